// Output to the command line or to a file (lisp/Files.h), reading expressions from text,
// loading files.
#include "lisp/Interpreter.h"

#include "lisp/Files.h"
#include "lisp/Printer.h"

#include <filesystem>
#include <ostream>

namespace lisp {

namespace {

Value princFn(Interpreter& lisp, const Args& a)
{
    if (a.size() == 0)
        return lisp.quietSymbol();
    writeOut(lisp, outputFileArg(a, 1), toString(a[0], false));
    return a[0];
}

Value prin1Fn(Interpreter& lisp, const Args& a)
{
    if (a.size() == 0)
        return lisp.quietSymbol();
    writeOut(lisp, outputFileArg(a, 1), toString(a[0], true));
    return a[0];
}

// print: a new line, the value as prin1 writes it, a blank.
Value printFn(Interpreter& lisp, const Args& a)
{
    if (a.size() == 0)
        return lisp.quietSymbol();
    writeOut(lisp, outputFileArg(a, 1), "\n" + toString(a[0], true) + " ");
    return a[0];
}

Value terpriFn(Interpreter& lisp, const Args&)
{
    writeOut(lisp, nullptr, "\n");
    return Value();
}

Value promptFn(Interpreter& lisp, const Args& a)
{
    writeOut(lisp, nullptr, strArg(a[0]));
    return Value();
}

// alert: on the command line, the message on lines of its own.
Value alertFn(Interpreter& lisp, const Args& a)
{
    writeOut(lisp, nullptr, "\n" + strArg(a[0]) + "\n");
    return Value();
}

Value readFn(Interpreter& lisp, const Args& a)
{
    if (a.size() == 0)
        return Value();
    return lisp.read(strArg(a[0]));
}

// The places load looked in for a name it did not find, for the line under the error.
std::string searchedPlaces(Interpreter& lisp, const std::string& name)
{
    namespace fs = std::filesystem;
    std::string tried = name;
    if (fs::path(name).extension() != ".lsp")
        tried += " and " + name + ".lsp";
    if (fs::path(name).is_absolute())
        return "not found: looked for " + tried;
    std::error_code ec;
    std::string places = "the current directory (" + fs::current_path(ec).string() + ")";
    for (const auto& dir : lisp.loadPath())
        places += ", " + dir;
    return "not found: looked for " + tried + " in " + places;
}

// (load name [onfailure]): the value of the file's last expression; onfailure instead of an
// error when the file cannot be found or read.
Value loadFn(Interpreter& lisp, const Args& a)
{
    const std::string& name = strArg(a[0]);
    auto path = lisp.findLoadFile(name);
    if (!path) {
        if (a.has(1))
            return a[1];
        LispError e("LOAD failed: \"" + name + "\"");
        e.where = searchedPlaces(lisp, name);
        throw e;
    }
    return lisp.loadFile(*path);
}

}  // namespace

void installIoFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("princ", princFn, 0, 2);
    lisp.defineBuiltin("prin1", prin1Fn, 0, 2);
    lisp.defineBuiltin("print", printFn, 0, 2);
    lisp.defineBuiltin("terpri", terpriFn, 0, 0);
    lisp.defineBuiltin("prompt", promptFn, 1, 1);
    lisp.defineBuiltin("alert", alertFn, 1, 1);
    lisp.defineBuiltin("read", readFn, 0, 1);
    lisp.defineBuiltin("load", loadFn, 1, 2);
}

}  // namespace lisp
