#include "sys/syscalls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korsys {

namespace {

int systemOpen(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

}  // namespace

const Calls& systemCalls()
{
    static const Calls system = {systemOpen, ::mkstemp, ::write, ::fsync, ::fchmod, ::fchown, ::close, ::rename};
    return system;
}

Calls& calls()
{
    static Calls table = systemCalls();
    return table;
}

bool writeAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        ssize_t n = calls().write(fd, p + done, size - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace korsys
