#include "cad/HostFunctions.h"

#include "cad/CadHost.h"
#include "cad/EntityFunctions.h"
#include "cad/SysVars.h"
#include "cad/UserInput.h"

#include "lisp/Reader.h"

#include "ads/adshost.h"
#include "text/text.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cmath>
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
        dirs.push_back((fs::path(exeDir) / KOR_PKGLIBDIR_FROM_BIN).lexically_normal().string());
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

bool loadApplication(CadHost& host, const std::string& nameOrPath, std::string* error)
{
    auto failWith = [&](const std::string& msg) {
        if (error)
            *error = "ARXLOAD failed: " + msg;
        return false;
    };
    if (nameOrPath.empty())
        return failWith("no application name");
    auto path = findAppFile(nameOrPath);
    if (!path) {
        std::string dirs;
        for (const auto& d : appSearchDirs())
            dirs += (dirs.empty() ? "" : ":") + d;
        return failWith("\"" + nameOrPath + "\" not found (searched " + dirs + ")");
    }
    std::string why;
    if (!host.loadApp(*path, &why))
        return failWith(why);
    return true;
}

namespace {

std::string promptArg(const lisp::Args& a, size_t i)
{
    return a.has(i) && !a[i].isNil() ? lisp::strArg(a[i]) : std::string();
}

bool pointArg(const Value& v, double p[3])
{
    p[0] = p[1] = p[2] = 0;
    int n = 0;
    for (const Value* c = &v; c->isCons(); c = &c->consCell()->cdr) {
        const Value& x = c->consCell()->car;
        if (n == 3 || !x.isNumber())
            return false;
        p[n++] = x.asDouble();
    }
    return n >= 2;
}

Value pointValue(const double p[3])
{
    return lisp::list({Value::real(p[0]), Value::real(p[1]), Value::real(p[2])});
}

// What (initget) left for the next get... function of LISP.
struct LispInitGet {
    int flags = 0;
    std::wstring keywords;
};

}  // namespace

void installHostFunctions(lisp::Interpreter& lisp, CadHost& host, UserInput& input)
{
    lisp.defineBuiltin(
        "arxload",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            std::string error;
            if (loadApplication(host, lisp::strArg(a[0]), &error))
                return a[0];
            if (a.has(1))
                return a[1];
            lisp::fail(error);
        },
        1, 2);
    lisp.defineBuiltin(
        "arxunload",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            std::string error;
            if (host.unloadApp(lisp::strArg(a[0]), &error))
                return a[0];
            if (a.has(1))
                return a[1];
            lisp::fail("ARXUNLOAD failed: " + error);
        },
        1, 2);
    lisp.defineBuiltin(
        "arx",
        [&host](lisp::Interpreter&, const lisp::Args&) {
            lisp::ListBuilder names;
            for (const auto& app : host.loadedApps())
                names.push(Value::string(fs::path(app.path).filename().string()));
            return names.take();
        },
        0, 0);

    auto pending = std::make_shared<LispInitGet>();
    lisp.defineBuiltin(
        "initget",
        [pending](lisp::Interpreter&, const lisp::Args& a) {
            size_t i = 0;
            pending->flags = 0;
            pending->keywords.clear();
            if (a.has(i) && a[i].isInt())
                pending->flags = a[i++].asInt();
            if (a.has(i) && !a[i].isNil())
                pending->keywords = kortext::toWide(lisp::strArg(a[i++]));
            if (a.has(i))
                lisp::tooManyArguments();
            return Value();
        },
        0, 2);

    // Asks through the input service with what initget left, which it uses up.
    auto ask = [&input, pending](ads::InputRequest r, ads::InputAnswer& answer) {
        r.flags = pending->flags;
        r.keywords = pending->keywords;
        *pending = LispInitGet();
        int rc = input.get(r, answer);
        if (rc == RTCAN)
            lisp::fail("Function cancelled");
        return rc;
    };
    auto request = [](ads::InputKind kind, std::string prompt) {
        ads::InputRequest r;
        r.kind = kind;
        r.prompt = kortext::toWide(prompt);
        return r;
    };
    // (fn [pt] [prompt]): an optional point first.
    auto withBase = [request](ads::InputKind kind, const lisp::Args& a, bool baseRequired) {
        size_t i = 0;
        ads::InputRequest r = request(kind, std::string());
        if (a.has(0) && a[0].isCons()) {
            if (!pointArg(a[0], r.base))
                lisp::badArgType("2D/3D point", a[0]);
            r.hasBase = true;
            i = 1;
        } else if (baseRequired) {
            lisp::badArgType("2D/3D point", a.has(0) ? a[0] : Value());
        } else if (a.has(0) && a[0].isNil() && a.has(1)) {
            i = 1;
        }
        r.prompt = kortext::toWide(promptArg(a, i));
        if (a.has(i + 1))
            lisp::tooManyArguments();
        return r;
    };
    auto keywordOr = [](int rc, const ads::InputAnswer& answer, Value v) {
        if (rc == RTKWORD)
            return Value::string(kortext::fromWide(answer.text.c_str()));
        return rc == RTNORM ? v : Value();
    };

    lisp.defineBuiltin(
        "getstring",
        [ask, request](lisp::Interpreter&, const lisp::Args& a) {
            // (getstring "Prompt") or (getstring cr "Prompt").
            ads::InputRequest r = request(ads::InputKind::String, std::string());
            if (a.has(0) && !a[0].isStr()) {
                r.acceptBlanks = !a[0].isNil();
                r.prompt = kortext::toWide(promptArg(a, 1));
            } else {
                if (a.has(1))
                    lisp::tooManyArguments();
                r.prompt = kortext::toWide(promptArg(a, 0));
            }
            ads::InputAnswer answer;
            ask(r, answer);
            return Value::string(kortext::fromWide(answer.text.c_str()));
        },
        0, 2);
    lisp.defineBuiltin(
        "getreal",
        [ask, request, keywordOr](lisp::Interpreter&, const lisp::Args& a) {
            ads::InputAnswer answer;
            int rc = ask(request(ads::InputKind::Real, promptArg(a, 0)), answer);
            return keywordOr(rc, answer, Value::real(answer.real));
        },
        0, 1);
    lisp.defineBuiltin(
        "getint",
        [ask, request, keywordOr](lisp::Interpreter&, const lisp::Args& a) {
            ads::InputAnswer answer;
            int rc = ask(request(ads::InputKind::Integer, promptArg(a, 0)), answer);
            return keywordOr(rc, answer, Value::integer(answer.integer));
        },
        0, 1);
    lisp.defineBuiltin(
        "getdist",
        [ask, withBase, keywordOr](lisp::Interpreter&, const lisp::Args& a) {
            ads::InputAnswer answer;
            int rc = ask(withBase(ads::InputKind::Distance, a, false), answer);
            return keywordOr(rc, answer, Value::real(answer.real));
        },
        0, 2);
    lisp.defineBuiltin(
        "getpoint",
        [ask, withBase, keywordOr](lisp::Interpreter&, const lisp::Args& a) {
            ads::InputAnswer answer;
            int rc = ask(withBase(ads::InputKind::Point, a, false), answer);
            return keywordOr(rc, answer, pointValue(answer.point));
        },
        0, 2);
    lisp.defineBuiltin(
        "getcorner",
        [ask, withBase, keywordOr](lisp::Interpreter&, const lisp::Args& a) {
            ads::InputAnswer answer;
            int rc = ask(withBase(ads::InputKind::Corner, a, true), answer);
            return keywordOr(rc, answer, pointValue(answer.point));
        },
        1, 2);
    // (getangle [pt] [prompt]) and (getorient [pt] [prompt]): an angle typed in the current
    // units (AUNITS, ANGDIR: typed 0 is ANGBASE) or shown by two points. getangle answers it
    // from ANGBASE, getorient from east; both counterclockwise, 0 <= angle < 2 pi.
    auto angle = [ask, withBase, keywordOr](lisp::Interpreter& l, const lisp::Args& a, bool absolute) {
        ads::InputRequest r = withBase(ads::InputKind::Angle, a, false);
        Value base = l.systemVariable("ANGBASE"), dir = l.systemVariable("ANGDIR");
        double angbase = base.isNumber() ? base.asDouble() : 0.0;
        double sign = dir.isInt() && dir.asInt() == 1 ? -1.0 : 1.0;
        for (;;) {
            ads::InputAnswer answer;
            int rc = ask(r, answer);
            if (rc != RTNORM)
                return keywordOr(rc, answer, Value());
            double direction;  // counterclockwise from east
            if (answer.integer == 1) {
                direction = answer.real;
            } else {
                Value typed = Value::string(kortext::fromWide(answer.text.c_str()));
                Value v = l.apply(l.functionOf(Value::symbol(l.intern("angtof"))), lisp::Args(&typed, 1));
                if (!v.isNumber()) {
                    l.out() << "Erfordert einen gültigen Winkel oder zwei Punkte.\n";
                    continue;
                }
                direction = angbase + sign * v.asDouble();
            }
            double result = std::fmod(direction - (absolute ? 0.0 : angbase), 2 * M_PI);
            return Value::real(result < 0 ? result + 2 * M_PI : result);
        }
    };
    lisp.defineBuiltin(
        "getangle", [angle](lisp::Interpreter& l, const lisp::Args& a) { return angle(l, a, false); }, 0, 2);
    lisp.defineBuiltin(
        "getorient", [angle](lisp::Interpreter& l, const lisp::Args& a) { return angle(l, a, true); }, 0, 2);
    lisp.defineBuiltin(
        "getkword",
        [ask, request](lisp::Interpreter&, const lisp::Args& a) {
            ads::InputAnswer answer;
            int rc = ask(request(ads::InputKind::Keyword, promptArg(a, 0)), answer);
            return rc == RTNORM || rc == RTKWORD ? Value::string(kortext::fromWide(answer.text.c_str())) : Value();
        },
        0, 1);

    installEntityFunctions(lisp, host);
    installSystemVariables(lisp, host);
}

}  // namespace korcad
