#include "lisp/Error.h"

#include "lisp/Printer.h"

#include <pthread.h>

#include <algorithm>
#include <cstdint>

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

// The lowest stack address this thread may reach before a LISP error is raised. What stays
// below it is left for the error's way out: *error*, printing the message.
uintptr_t stackFloor()
{
    uintptr_t floor = 0;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
        void* low = nullptr;
        size_t size = 0;
        if (pthread_attr_getstack(&attr, &low, &size) == 0 && low && size > 0) {
            // An unlimited stack (ulimit -s unlimited) reports a size no mapping really has:
            // count on no more than 64 MiB below the top.
            uintptr_t top = reinterpret_cast<uintptr_t>(low) + size;
            size_t usable = std::min<size_t>(size, size_t(64) << 20);
            size_t reserve = std::min<size_t>(usable / 4, 512 * 1024);
            floor = top - usable + reserve;
        }
        pthread_attr_destroy(&attr);
    }
    return floor;
}

}  // namespace

void checkStack()
{
    static thread_local const uintptr_t floor = stackFloor();
    auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
    if (here < floor)
        throw LispError(kStackLimitMessage);
}

}  // namespace lisp
