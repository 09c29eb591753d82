// DialogWiring.h — connects a korcad session to the window layer: the main window dialogs
// are parented to, answers from an --answers file and screenshots into --shots.
#pragma once

#include "Session.h"

#include <memory>
#include <string>

namespace afxdriver {
class AnswerRunner;
}

namespace korcad {

class DialogWiring {
public:
    DialogWiring();
    ~DialogWiring();
    DialogWiring(const DialogWiring&) = delete;
    DialogWiring& operator=(const DialogWiring&) = delete;

    // Installs the main window, the answer runner (reading the answers file) and the shots
    // directory into the session. False with a message when the answers file cannot be read.
    bool install(Session& session, std::string* error);

    // Answers the file had that nothing asked for.
    size_t unusedAnswers() const;

private:
    std::unique_ptr<afxdriver::AnswerRunner> runner_;
};

}  // namespace korcad
