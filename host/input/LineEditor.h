// LineEditor.h — the command line on a terminal: line editing and history through libedit.
//
// Arrows move in the line and through the history; the history is kept across sessions in
// $XDG_STATE_HOME/korcad/history (~/.local/state/korcad/history by default). A history file
// that cannot be read or written is reported once and otherwise left alone.
//
// While a line editor exists, Ctrl-C (SIGINT) only sets the interpreter's interrupt flag:
// while a line is being typed the line is cancelled (readLine raises LineCancelled); while
// LISP runs, the evaluator raises "Function cancelled". Only one line editor may exist.
#pragma once

#include "input/InputSource.h"

#include <functional>
#include <iosfwd>
#include <signal.h>
#include <string>

namespace korcad {

class LineEditor : public InputSource {
public:
    // Line editing is for a person at a terminal: standard input and output are terminals.
    static bool available();
    // The history file the environment asks for; empty when neither XDG_STATE_HOME nor HOME
    // is set.
    static std::string historyPath();

    // What goes on while the editor waits for a key (the windows' events, once there are
    // windows): called before each wait; true asks to be called again after a short interval
    // (kWaitingIntervalMs) even if no key comes, false lets the wait last until one does.
    using WhileWaiting = std::function<bool()>;
    static constexpr int kWaitingIntervalMs = 30;

    // Warnings (about the history file) go to `warnings`.
    explicit LineEditor(std::ostream& warnings, WhileWaiting whileWaiting = {});
    ~LineEditor() override;
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    std::optional<std::string> readLine(const std::string& prompt) override;
    bool interactive() const override { return true; }

private:
    void remember(const std::string& line);
    void warnHistory(const std::string& what);

    std::ostream& warnings_;
    WhileWaiting whileWaiting_;
    std::string historyPath_;
    bool historyWarned_ = false;
    struct sigaction previousSigint_ {};
};

}  // namespace korcad
