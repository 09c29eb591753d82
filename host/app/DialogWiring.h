// DialogWiring.h — connects a korcad session to the window layer: the main window and drawing
// view dialogs are parented to, the window's command line for a person at a display, answers
// from an --answers file, and a screenshot of every dialog as it opens into --shots.
#pragma once

#include "app/Session.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace korcad {

class AnswerRunner;
class EchoBuffer;
class InputSource;
class MainWindow;

class DialogWiring {
public:
    DialogWiring();
    ~DialogWiring();
    DialogWiring(const DialogWiring&) = delete;
    DialogWiring& operator=(const DialogWiring&) = delete;

    // Installs the windows (the view shows the session's current drawing, ZOOM fits it), the
    // answer runner (reading the answers file) and the shots directory into the session.
    // False with a message when the answers file cannot be read.
    bool install(Session& session, std::string* error);

    // For a person at a display: every prompt is asked in the main window's command line and
    // answered there or by a pick in its view; what korcad writes to `out` and `err` (the
    // buffers of standard output and error) shows in its history too, and each prompt with
    // its answer goes on to standard output as on a terminal. With `now` the window opens at
    // once (the command line is the run), else with the first prompt or dialog. `terminal`
    // makes the source that answers instead when no window can be shown on a screen (a
    // display that cannot be opened). Closing the window, or QUIT, with unsaved changes asks
    // whether to save them; a closed window ends the input and cancels a running program.
    void useWindow(Session& session, EchoBuffer* out, EchoBuffer* err,
                   std::function<std::unique_ptr<InputSource>()> terminal, bool now);

    // A dialog nobody can answer is cancelled, never waited for: with no display to show it
    // on and no answers file, with one line on standard error; after the person closed the
    // window, silently.
    void cancelUnanswerableDialogs();

    // After a program ran with the window on a screen, the window stays and its command line
    // goes on ("Befehl: ") until the person closes it or types QUIT.
    void keepWindowOpen(Session& session);

    // Whether the run may end: the drawing has no unsaved changes, or the person answered
    // "Änderungen an NAME speichern?" in the window with Ja (and the save worked) or Nein.
    bool askToSave(Session& session);

    // What the terminal's line editor does while it waits for a key: once the window layer
    // runs (a dialog was shown, korcad's window is open), its windows are repainted and
    // answered between keys. See LineEditor::WhileWaiting.
    static bool windowEventsWhileWaiting();

    // Answers the file had that nothing asked for.
    size_t unusedAnswers() const;
    // With --shots, a picture of the main window with the drawing (DIR/korcad.png) when the
    // window was shown during the run.
    void shootMainWindow();

private:
    // The window is shown on a screen a person sees.
    bool onScreen() const;

    std::unique_ptr<MainWindow> mainWindow_;
    std::vector<EchoBuffer*> echoes_;
    std::unique_ptr<std::ostream> transcript_;
    bool windowInput_ = false;
    std::unique_ptr<AnswerRunner> runner_;
    std::string shotsDir_;
    int shotsListener_ = 0;
    int cancelListener_ = 0;
    int shotCount_ = 0;
};

}  // namespace korcad
