// child.h — a program beside the test (terminal and display tests): its output read as it comes
// through a pipe or a pseudo-terminal the test types into, waits for what it prints within a
// deadline, and the whole process group killed at the end.
#pragma once

#include "run_process.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

struct ChildSetup {
    bool terminal = false;              // a pseudo-terminal of 24 x 100 instead of pipes
    std::string errFile = "/dev/null";  // where standard error goes (with a pipe)
    int keepFd = -1;                    // a descriptor the program inherits
};

class Child {
public:
    Child(const std::vector<std::string>& argv, const ProcessEnv& env, const ChildSetup& setup = {})
    {
        int out[2] = {-1, -1};
        winsize size{24, 100, 0, 0};
        if (setup.terminal) {
            pid_ = forkpty(&fd_, nullptr, nullptr, &size);
        } else {
            if (pipe2(out, O_CLOEXEC) != 0)
                throw std::runtime_error("pipe failed");
            pid_ = fork();
        }
        if (pid_ < 0)
            throw std::runtime_error("fork failed");
        if (pid_ == 0) {
            if (!setup.terminal) {
                dup2(open("/dev/null", O_RDONLY), 0);
                dup2(out[1], 1);
                dup2(open(setup.errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
                setpgid(0, 0);
            }
            if (setup.keepFd >= 0)
                fcntl(setup.keepFd, F_SETFD, 0);
            execWithEnv(argv, env);
        }
        if (!setup.terminal) {
            close(out[1]);
            fd_ = out[0];
        }
    }
    ~Child()
    {
        if (!exited_) {
            kill(-pid_, SIGKILL);
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(fd_);
    }

    void type(const std::string& keys)
    {
        if (write(fd_, keys.data(), keys.size()) != static_cast<ssize_t>(keys.size()))
            throw std::runtime_error("cannot type into the terminal");
    }
    // Waits until the output shows `text` (or a match of `pattern`) after what earlier waits found.
    bool waitFor(const std::string& text) { return waitUntilFound([&](const std::string& rest) {
        size_t at = rest.find(text);
        return at == std::string::npos ? std::string::npos : at + text.size();
    }); }
    bool waitFor(const std::regex& pattern) { return waitUntilFound([&](const std::string& rest) {
        std::smatch m;
        return std::regex_search(rest, m, pattern) ? size_t(m.position(0) + m.length(0)) : std::string::npos;
    }); }
    bool running() { return !exited_ && waitpid(pid_, &status_, WNOHANG) == 0; }
    // The exit code once the program ended by itself within the deadline (its output read); else -1.
    int exitCode()
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < end) {
            bool open = readSome(20);
            if (waitpid(pid_, &status_, WNOHANG) == pid_) {
                exited_ = true;
                while (open && readSome(0))
                    continue;
                return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
            }
        }
        return -1;
    }
    const std::string& out() const { return out_; }

private:
    template <class Find>
    bool waitUntilFound(const Find& find)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        for (;;) {
            size_t after = find(out_.substr(seen_));
            if (after != std::string::npos) {
                seen_ += after;
                return true;
            }
            if (std::chrono::steady_clock::now() > end || !readSome(50))
                return false;
        }
    }
    // Reads what has come; false once the output has ended.
    bool readSome(int waitMs)
    {
        pollfd p{fd_, POLLIN, 0};
        if (poll(&p, 1, waitMs) <= 0)
            return true;
        char buf[4096];
        ssize_t n = read(fd_, buf, sizeof buf);
        if (n <= 0)
            return false;
        out_.append(buf, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    int status_ = 0;
    bool exited_ = false;
    std::string out_;
    size_t seen_ = 0;
};
