// Functions of Visual LISP's run time that need no drawing: functions kept as lists
// (defun-q), the blackboard and document namespaces, the registry, ver, startapp, and the
// switches between text and graphics screen.
//
//   (defun-q name (args / locals) body...)  name's value is the list ((args / locals) body...),
//                                           which a call runs like a defun's function
//   (defun-q-list-ref 'name)  that list; (defun-q-list-set 'name list) sets it, answers 'name
//   (vl-bb-set 'sym value) (vl-bb-ref 'sym)  values every drawing sees (korcad has one)
//   (vl-doc-set 'sym value) (vl-doc-ref 'sym) the drawing's own symbols
//   (vl-registry-write key [name] data)  (vl-registry-read key [name])
//   (vl-registry-delete key [name])       keys in $XDG_CONFIG_HOME/kor/registry.lsp
//   (ver)  (startapp program [file])  (textscr)  (graphscr)
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"
#include "lisp/Utf8.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

extern char** environ;

namespace lisp {

namespace {

namespace fs = std::filesystem;

Value defunQForm(Interpreter& lisp, const Value& args)
{
    if (!args.isCons() || !cdr(args).isCons())
        tooFewArguments();
    Symbol* name = symArg(car(args));
    const Value& params = car(cdr(args));
    if (!params.isList())
        badArgType("listp", params);
    lisp.assign(name, cdr(args));
    return Value::symbol(name);
}

Value defunQListRef(Interpreter&, const Args& a)
{
    const Value& v = symArg(a[0])->value;
    return v.isCons() ? v : Value();
}

Value defunQListSet(Interpreter& lisp, const Args& a)
{
    Symbol* name = symArg(a[0]);
    if (!a[1].isCons() || !car(a[1]).isList())
        badArgType("listp", a[1]);
    lisp.assign(name, a[1]);
    return a[0];
}

Value docRef(Interpreter&, const Args& a) { return symArg(a[0])->value; }

Value docSet(Interpreter& lisp, const Args& a)
{
    lisp.assign(symArg(a[0]), a[1]);
    return a[1];
}

Value verFn(Interpreter&, const Args& a)
{
    if (a.has(0))
        strArg(a[0]);
    return Value::string("Visual LISP 2022 (de)");
}

Value screenFn(Interpreter&, const Args&) { return Value(); }

// (startapp program [file]): starts the program (found along $PATH) with the file as its
// argument and does not wait for it; a number above 0, or nil when it could not start.
Value startappFn(Interpreter&, const Args& a)
{
    std::string program = strArg(a[0]);
    std::string file = a.has(1) && !a[1].isNil() ? strArg(a[1]) : std::string();
    if (program.empty())
        return Value();
    std::vector<char*> argv{program.data()};
    if (!file.empty())
        argv.push_back(file.data());
    argv.push_back(nullptr);
    // A child in between starts the program and ends at once, so the program belongs to init
    // and korcad has nothing to wait for.
    pid_t middle = fork();
    if (middle < 0)
        return Value();
    if (middle == 0) {
        pid_t pid;
        int rc = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
        _exit(rc == 0 ? 0 : 1);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? Value::integer(33) : Value();
}

// ---- the registry --------------------------------------------------------------------------
// One file of entries ("KEY" "NAME" value), a line each; keys and names compare without
// regard to case, "" is a key's default value.

fs::path registryFile()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    fs::path base = xdg && xdg[0] == '/' ? fs::path(xdg) : fs::path(home ? home : ".") / ".config";
    return base / "kor" / "registry.lsp";
}

using Registry = std::map<std::pair<std::string, std::string>, Value>;

std::string keyOf(const std::string& key)
{
    std::string k = utf8::upper(key);
    while (!k.empty() && k.back() == '\\')
        k.pop_back();
    return k;
}

Registry readRegistry(Interpreter& lisp)
{
    Registry r;
    std::ifstream in(registryFile());
    std::string line;
    while (std::getline(in, line)) {
        Value entry = lisp.read(line);
        if (entry.isCons() && car(entry).isStr() && car(cdr(entry)).isStr())
            r[{car(entry).str(), car(cdr(entry)).str()}] = car(cdr(cdr(entry)));
    }
    return r;
}

bool writeRegistry(const Registry& r)
{
    fs::path file = registryFile();
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    fs::path temp = file;
    temp += ".new";
    {
        std::ofstream out(temp);
        for (const auto& [k, v] : r)
            out << toString(list({Value::string(k.first), Value::string(k.second), v}), true) << '\n';
        if (!out.flush())
            return false;
    }
    fs::rename(temp, file, ec);
    return !ec;
}

std::string valueName(const Args& a, size_t i)
{
    return a.has(i) && !a[i].isNil() ? utf8::upper(strArg(a[i])) : std::string();
}

Value registryRead(Interpreter& lisp, const Args& a)
{
    Registry r = readRegistry(lisp);
    auto it = r.find({keyOf(strArg(a[0])), valueName(a, 1)});
    return it == r.end() ? Value() : it->second;
}

// (vl-registry-write key [name] data): a string or an integer; the data, nil when the file
// cannot be written.
Value registryWrite(Interpreter& lisp, const Args& a)
{
    std::string key = keyOf(strArg(a[0]));
    const Value& data = a.has(2) ? a[2] : a.has(1) ? a[1] : Value();
    std::string name = a.has(2) ? valueName(a, 1) : std::string();
    if (!data.isStr() && !data.isInt())
        badArgType("stringp", data);
    if (key.empty())
        return Value();
    Registry r = readRegistry(lisp);
    r[{key, name}] = data;
    return writeRegistry(r) ? data : Value();
}

// (vl-registry-delete key [name]): the value, or without a name the key with its values; a
// key that has keys below it stays. T when something went.
Value registryDelete(Interpreter& lisp, const Args& a)
{
    std::string key = keyOf(strArg(a[0]));
    Registry r = readRegistry(lisp);
    size_t before = r.size();
    if (a.has(1) && !a[1].isNil()) {
        r.erase({key, valueName(a, 1)});
    } else {
        std::string below = key + "\\";
        for (const auto& entry : r)
            if (entry.first.first.rfind(below, 0) == 0)
                return Value();
        for (auto it = r.begin(); it != r.end();)
            it = it->first.first == key ? r.erase(it) : std::next(it);
    }
    return lisp.boolean(r.size() != before && writeRegistry(r));
}

}  // namespace

void installVisualFunctions(Interpreter& lisp)
{
    lisp.defineSpecial("defun-q", defunQForm);
    lisp.defineBuiltin("defun-q-list-ref", defunQListRef, 1, 1);
    lisp.defineBuiltin("defun-q-list-set", defunQListSet, 2, 2);
    auto blackboard = std::make_shared<std::map<Symbol*, Value>>();
    lisp.defineBuiltin(
        "vl-bb-ref",
        [blackboard](Interpreter&, const Args& a) {
            auto it = blackboard->find(symArg(a[0]));
            return it == blackboard->end() ? Value() : it->second;
        },
        1, 1);
    lisp.defineBuiltin(
        "vl-bb-set",
        [blackboard](Interpreter&, const Args& a) {
            (*blackboard)[symArg(a[0])] = a[1];
            return a[1];
        },
        2, 2);
    lisp.defineBuiltin("vl-doc-ref", docRef, 1, 1);
    lisp.defineBuiltin("vl-doc-set", docSet, 2, 2);
    lisp.defineBuiltin("vl-registry-read", registryRead, 1, 2);
    lisp.defineBuiltin("vl-registry-write", registryWrite, 2, 3);
    lisp.defineBuiltin("vl-registry-delete", registryDelete, 1, 2);
    lisp.defineBuiltin("ver", verFn, 0, 1);
    lisp.defineBuiltin("startapp", startappFn, 1, 2);
    lisp.defineBuiltin("textscr", screenFn, 0, 0);
    lisp.defineBuiltin("graphscr", screenFn, 0, 0);
}

}  // namespace lisp
