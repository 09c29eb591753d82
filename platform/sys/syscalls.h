// syscalls.h — the file-system calls behind the two things korcad must never lose: a saved
// drawing and the debug log. They go through one table, so a test can put a fault in any of
// them (a disk that fills up, a rename that fails, a process killed between two steps of a
// save) without a hook in the product's own interface. The defaults are the system's calls.
//
// [X] open, mkstemp, write, fsync, fchmod, fchown, close, rename
// [X] a scoped replacement for tests; writeAll over write
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace korsys {

struct Calls {
    int (*open)(const char* path, int flags, mode_t mode);
    int (*mkstemp)(char* pathTemplate);
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fsync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*close)(int fd);
    int (*rename)(const char* from, const char* to);
};

// The process's table (one copy, shared by the host and every module).
Calls& calls();
// The system's own calls.
const Calls& systemCalls();

// Replaces entries of the table while it lives: { korsys::ScopedCalls faults; faults->write = ...; }
class ScopedCalls {
public:
    ScopedCalls() : m_saved(calls()) {}
    ~ScopedCalls() { calls() = m_saved; }
    ScopedCalls(const ScopedCalls&) = delete;
    ScopedCalls& operator=(const ScopedCalls&) = delete;
    Calls* operator->() { return &calls(); }

private:
    Calls m_saved;
};

// Writes all `size` bytes, going on after EINTR. False with errno set on a failed write; a
// write that takes nothing counts as a full disk (ENOSPC).
bool writeAll(int fd, const void* data, size_t size);

}  // namespace korsys
