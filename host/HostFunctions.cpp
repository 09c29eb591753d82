#include "HostFunctions.h"

#include "InputSource.h"

#include "lisp/Reader.h"

#include "ads/adshost.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <ostream>

namespace korcad {

namespace fs = std::filesystem;
using lisp::Value;

namespace {

std::string programDir()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

bool isFile(const fs::path& p)
{
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// The files an application name may stand for in one directory.
std::vector<fs::path> candidates(const fs::path& dir, const std::string& name)
{
    return {dir / name, dir / (name + ".so"), dir / ("lib" + name + ".so")};
}

}  // namespace

std::vector<std::string> appPathDirs()
{
    std::vector<std::string> dirs;
    const char* env = std::getenv("KORCAD_APP_PATH");
    std::string s = env ? env : "";
    for (size_t start = 0; start < s.size();) {
        size_t end = std::min(s.find(':', start), s.size());
        if (end > start)
            dirs.push_back(s.substr(start, end - start));
        start = end + 1;
    }
    return dirs;
}

std::vector<std::string> appSearchDirs()
{
    std::vector<std::string> dirs = appPathDirs();
    std::string exeDir = programDir();
    if (!exeDir.empty())
        dirs.push_back((fs::path(exeDir) / ".." / "lib").lexically_normal().string());
    dirs.push_back(".");
    return dirs;
}

std::optional<std::string> findAppFile(const std::string& nameOrPath)
{
    if (nameOrPath.find('/') != std::string::npos) {
        fs::path p(nameOrPath);
        for (const auto& c : candidates(p.parent_path(), p.filename().string()))
            if (isFile(c))
                return c.string();
        return std::nullopt;
    }
    for (const auto& dir : appSearchDirs())
        for (const auto& c : candidates(dir, nameOrPath))
            if (isFile(c))
                return c.string();
    return std::nullopt;
}

bool loadApplication(const std::string& nameOrPath, std::string* error)
{
    auto failWith = [&](const std::string& msg) {
        if (error)
            *error = "ARXLOAD failed: " + msg;
        return false;
    };
    if (nameOrPath.empty())
        return failWith("no application name");
    if (const adshost::AppInfo* app = adshost::findApp(nameOrPath))
        return failWith("application \"" + app->name + "\" already loaded");
    auto path = findAppFile(nameOrPath);
    if (!path) {
        std::string dirs;
        for (const auto& d : appSearchDirs())
            dirs += (dirs.empty() ? "" : ":") + d;
        return failWith("\"" + nameOrPath + "\" not found (searched " + dirs + ")");
    }
    std::string why;
    if (!adshost::loadApp(*path, &why))
        return failWith(why);
    return true;
}

namespace {

Value arxload(lisp::Interpreter&, const lisp::Args& a)
{
    const std::string& name = lisp::strArg(a[0]);
    std::string error;
    if (loadApplication(name, &error))
        return a[0];
    if (a.has(1))
        return a[1];
    lisp::fail(error);
}

Value arxunload(lisp::Interpreter&, const lisp::Args& a)
{
    const std::string& name = lisp::strArg(a[0]);
    std::string error;
    if (adshost::unloadApp(name, &error))
        return a[0];
    if (a.has(1))
        return a[1];
    lisp::fail("ARXUNLOAD failed: " + error);
}

Value arx(lisp::Interpreter&, const lisp::Args&)
{
    lisp::ListBuilder names;
    for (const auto& app : adshost::loadedApps())
        names.push(Value::string(fs::path(app.path).filename().string()));
    return names.take();
}

std::string trim(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// Reads one answer; the end of input cancels the function, as Escape does in a CAD program.
std::string answer(InputSource& input, const std::string& prompt)
{
    auto line = input.readLine(prompt);
    if (!line)
        lisp::fail("Function cancelled");
    return *line;
}

std::string promptArg(const lisp::Args& a, size_t i)
{
    return a.has(i) && !a[i].isNil() ? lisp::strArg(a[i]) : std::string();
}

// Asks until the answer is empty (nil) or a number that accept turns into a value (accept
// answers nil to refuse it); a refused answer shows the message and asks again.
template <class Accept>
Value askNumber(lisp::Interpreter& lisp, InputSource& input, const std::string& prompt,
                const char* message, Accept accept)
{
    for (;;) {
        std::string line = trim(answer(input, prompt));
        if (line.empty())
            return Value();
        if (auto n = lisp::parseNumber(line)) {
            Value v = accept(*n);
            if (!v.isNil())
                return v;
        }
        lisp.out() << message << '\n';
    }
}

}  // namespace

void installHostFunctions(lisp::Interpreter& lisp, std::function<InputSource&()> input)
{
    lisp.defineBuiltin("arxload", arxload, 1, 2);
    lisp.defineBuiltin("arxunload", arxunload, 1, 2);
    lisp.defineBuiltin("arx", arx, 0, 0);

    lisp.defineBuiltin(
        "getstring",
        [input](lisp::Interpreter&, const lisp::Args& a) {
            // (getstring "Prompt") or (getstring cr "Prompt").
            bool wholeLine = false;
            std::string prompt;
            if (a.has(0) && !a[0].isStr()) {
                wholeLine = !a[0].isNil();
                prompt = promptArg(a, 1);
            } else {
                if (a.has(1))
                    lisp::tooManyArguments();
                prompt = promptArg(a, 0);
            }
            std::string line = answer(input(), prompt);
            if (!wholeLine)
                line = line.substr(0, line.find(' '));
            return Value::string(line);
        },
        0, 2);

    lisp.defineBuiltin(
        "getreal",
        [input](lisp::Interpreter& l, const lisp::Args& a) {
            return askNumber(l, input(), promptArg(a, 0), "Erfordert numerischen Wert.",
                             [](const Value& n) { return Value::real(n.asDouble()); });
        },
        0, 1);

    lisp.defineBuiltin(
        "getint",
        [input](lisp::Interpreter& l, const lisp::Args& a) {
            return askNumber(l, input(), promptArg(a, 0),
                             "Erfordert eine ganze Zahl zwischen -32768 und 32767.",
                             [](const Value& n) {
                                 bool ok = n.isInt() && n.asInt() >= SHRT_MIN &&
                                           n.asInt() <= SHRT_MAX;
                                 return ok ? n : Value();
                             });
        },
        0, 1);
}

}  // namespace korcad
