// RunProcess.h — runs a program as a person would from the shell, for command-level tests:
// given standard input, captured standard output and error, exit code or signal.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct ProcessResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    int signal = 0;     // the signal that ended it, 0 if none
    std::string out;
    std::string err;
};

struct ProcessEnv {
    std::vector<std::pair<std::string, std::string>> set;
    std::vector<std::string> unset;
};

// In a child process after fork: applies `env` and executes argv[0]; never returns (exit
// status 127 when the program cannot be executed).
[[noreturn]] void execWithEnv(const std::vector<std::string>& argv, const ProcessEnv& env);

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input = "",
                         const ProcessEnv& env = {});

// A file in a fresh temporary directory, removed with the object.
class TempFile {
public:
    TempFile(const std::string& name, const std::string& content);
    ~TempFile();
    const std::string& path() const { return path_; }
    const std::string& dir() const { return dir_; }

private:
    std::string dir_;
    std::string path_;
};
