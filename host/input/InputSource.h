// InputSource.h — where the command line gets its next line from.
//
// Every prompt of the host reads through one InputSource: the command line itself, the
// get... functions of LISP, and later the picks the module asks for (distances, entities).
// The terminal answers by default; a queue answers when lines are scripted (an answers file
// pushes one line per prompt).
#pragma once

#include "lisp/Interpreter.h"

#include <deque>
#include <iosfwd>
#include <optional>
#include <string>

namespace korcad {

class InputSource {
public:
    virtual ~InputSource() = default;
    // Shows the prompt and returns the line the user gave, without its line end; nothing
    // when no more input will come (end of file, an exhausted script).
    virtual std::optional<std::string> readLine(const std::string& prompt) = 0;
    // A person types the lines, on a terminal that echoes them: the line end the person
    // typed ends the output line, Ctrl-C cancels, and input that ends mid-expression is
    // worth a word.
    virtual bool interactive() const { return false; }
};

// Raised by readLine when the person cancelled the line being typed (Ctrl-C). At a LISP
// prompt (getstring and the like) it is the AutoLISP error "Function cancelled"; the
// command line itself just asks again.
class LineCancelled : public lisp::LispError {
public:
    LineCancelled() : lisp::LispError(lisp::kCancelledMessage) {}
};

// Lines typed on the terminal (or piped to standard input).
class TerminalInput : public InputSource {
public:
    TerminalInput(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    std::optional<std::string> readLine(const std::string& prompt) override;

private:
    std::istream& in_;
    std::ostream& out_;
};

// Lines pushed beforehand, answered in order. When an echo stream is given, every prompt and
// its answer are written to it, so a transcript reads as if a person had typed.
class QueueInput : public InputSource {
public:
    explicit QueueInput(std::ostream* echo = nullptr) : echo_(echo) {}
    void push(std::string line) { lines_.push_back(std::move(line)); }
    size_t pending() const { return lines_.size(); }
    std::optional<std::string> readLine(const std::string& prompt) override;

private:
    std::deque<std::string> lines_;
    std::ostream* echo_;
};

}  // namespace korcad
