// Error.h — a LISP error: the message AutoLISP shows after "; error: " and hands to *error*.
#pragma once

#include "lisp/Value.h"

#include <stdexcept>
#include <string>

namespace lisp {

class LispError : public std::runtime_error {
public:
    explicit LispError(const std::string& message) : std::runtime_error(message) {}
    std::string message() const { return what(); }

    // Set once the error passed the point where *error* is called, so that outer frames do
    // not call it again.
    bool handled = false;
    // A defined *error* ran for this error (and showed it as it saw fit).
    bool reported = false;
    // Where the error happened, set by the innermost file that was loading:
    // "in FILE, expression at line N"; empty outside files.
    std::string where;
};

// The reader stopped at the end of the text inside a list, string or comment: more input
// could complete the expression (the command line then asks for another line).
class IncompleteInput : public LispError {
public:
    explicit IncompleteInput(const std::string& message) : LispError(message) {}
};

// AutoLISP's messages.
[[noreturn]] void fail(const std::string& message);
// "bad argument type: numberp: \"x\"", "bad argument type: stringp 1" — the predicate the
// argument failed, and the argument.
[[noreturn]] void badArgType(const char* predicate, const Value& arg);
[[noreturn]] void tooFewArguments();
[[noreturn]] void tooManyArguments();
[[noreturn]] void divideByZero();

// The messages of the interpreter's limits (Interpreter::setLimits).
extern const char* const kMemoryLimitMessage;
extern const char* const kStepLimitMessage;

// The message of a deep recursion that would overflow the machine stack.
extern const char* const kStackLimitMessage;

// Raises the stack-limit error when the calling thread's stack is nearly used up. Called on
// every level of recursion: evaluation, reading, printing, comparing.
void checkStack();

// The error is the stack-limit error.
bool isStackLimit(const LispError& e);
// At least half of the stack LISP may use is still free at the caller: far enough from the
// limit that *error* can run for a stack-limit error.
bool stackHalfFree();

}  // namespace lisp
