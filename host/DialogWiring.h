// DialogWiring.h — connects a korcad session to the window layer: the main window and drawing
// view dialogs are parented to, answers from an --answers file, and a screenshot of every
// dialog as it opens into --shots.
#pragma once

#include "Session.h"

#include <memory>
#include <string>

namespace korcad {

class AnswerRunner;
class MainWindow;

class DialogWiring {
public:
    DialogWiring();
    ~DialogWiring();
    DialogWiring(const DialogWiring&) = delete;
    DialogWiring& operator=(const DialogWiring&) = delete;

    // Installs the windows, the answer runner (reading the answers file) and the shots
    // directory into the session. False with a message when the answers file cannot be read.
    bool install(Session& session, std::string* error);

    // For a person at a display: the main window shows at once and its command line answers
    // the prompts (picks in the view included).
    // `echo` (standard output's buffer) then shows its lines there too. False (nothing
    // changed) when no window can be shown on a screen: the terminal stays the command line.
    bool useWindowCommandLine(Session& session, class EchoBuffer* echo);

    // Answers the file had that nothing asked for.
    size_t unusedAnswers() const;
    // With --shots, a picture of the main window with the drawing (DIR/korcad.png) when the
    // window was shown during the run.
    void shootMainWindow();

private:
    std::unique_ptr<MainWindow> mainWindow_;
    class EchoBuffer* echo_ = nullptr;
    std::unique_ptr<AnswerRunner> runner_;
    std::string shotsDir_;
    int shotsListener_ = 0;
    int shotCount_ = 0;
};

}  // namespace korcad
