#include "lisp/Error.h"

#include "lisp/Printer.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace lisp {

const char* const kStackLimitMessage = "internal stack limit reached";

void fail(const std::string& message) { throw LispError(message); }

void badArgType(const char* predicate, const Value& arg)
{
    // AutoLISP puts a colon after the numeric checks and after descriptions ("numberp: nil",
    // "2D/3D point: nil"), not after the other predicates ("stringp nil", "consp nil").
    std::string p = predicate;
    bool colon = p == "numberp" || p == "fixnump" || p.find(' ') != std::string::npos;
    const char* gap = colon ? ": " : " ";
    throw LispError("bad argument type: " + p + gap + toString(arg, true));
}

void tooFewArguments() { throw LispError("too few arguments"); }
void tooManyArguments() { throw LispError("too many arguments"); }
void divideByZero() { throw LispError("divide by zero"); }

namespace {

// The stack of the calling thread as far as LISP may use it: from the top down to the floor,
// the lowest address reached before a LISP error is raised. What stays below the floor is
// left for the error's way out: unwinding, printing the message.
struct StackRange {
    uintptr_t top = 0;
    uintptr_t floor = 0;
};

StackRange stackRange()
{
    StackRange r;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* low = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attr, &low, &size) == 0 && low && size > 0) {
            // An unlimited stack (ulimit -s unlimited) reports a size no mapping really has:
            // count on no more than 64 MiB below the top.
            r.top = reinterpret_cast<uintptr_t>(low) + size;
            size_t usable = std::min<size_t>(size, size_t(64) << 20);
            size_t reserve = std::min<size_t>(usable / 4, 512 * 1024);
            r.floor = r.top - usable + reserve;
        }
        pthread_attr_destroy(&attr);
    }
    return r;
}

const StackRange& threadStack()
{
    static thread_local const StackRange range = stackRange();
    return range;
}

uintptr_t here() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }

}  // namespace

void checkStack()
{
    if (here() < threadStack().floor)
        throw LispError(kStackLimitMessage);
}

bool isStackLimit(const LispError& e) { return std::string_view(e.what()) == kStackLimitMessage; }

bool stackHalfFree()
{
    const StackRange& r = threadStack();
    return r.top == 0 || here() >= r.floor + (r.top - r.floor) / 2;
}

}  // namespace lisp
