#include "run_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

std::string makeTempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korcadtest-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

TempFile::TempFile(const std::string& name, const std::string& content)
    : dir_(makeTempDir()), path_(dir_ + "/" + name)
{
    std::ofstream(path_, std::ios::binary) << content;
}

TempFile::~TempFile()
{
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

void execWithEnv(const std::vector<std::string>& argv, const ProcessEnv& env)
{
    for (const auto& name : env.unset)
        unsetenv(name.c_str());
    for (const auto& [name, value] : env.set)
        setenv(name.c_str(), value.c_str(), 1);
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
}

ProcessResult runProcess(const std::vector<std::string>& argv, const std::string& input,
                         const ProcessEnv& env)
{
    TempFile in("stdin", input);
    std::string outPath = in.dir() + "/stdout", errPath = in.dir() + "/stderr";

    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        int fdIn = open(in.path().c_str(), O_RDONLY);
        int fdOut = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int fdErr = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fdIn < 0 || fdOut < 0 || fdErr < 0)
            _exit(126);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        dup2(fdErr, 2);
        execWithEnv(argv, env);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ProcessResult r;
    if (WIFEXITED(status))
        r.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        r.signal = WTERMSIG(status);
    r.out = readFile(outPath);
    r.err = readFile(errPath);
    return r;
}
