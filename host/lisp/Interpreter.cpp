#include "lisp/Interpreter.h"

#include "lisp/Reader.h"
#include "lisp/Utf8.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace lisp {

Interpreter::Interpreter() : out_(&std::cout)
{
    t_ = intern("T");
    t_->value = Value::symbol(t_);
    t_->constant = true;
    quiet_ = intern("");
    lambda_ = intern("LAMBDA");
    errorHandler_ = intern("*ERROR*");

    installForms(*this);
    installListFunctions(*this);
    installMathFunctions(*this);
    installStringFunctions(*this);
    installPredicates(*this);
    installIoFunctions(*this);
    installControlFunctions(*this);
    installFileFunctions(*this);
    installConversionFunctions(*this);
    installVisualFunctions(*this);
}

Interpreter::~Interpreter()
{
    // Bound values may hold functions that hold symbols; drop the values first, while every
    // symbol still exists.
    bindings_.unwind(0);
    if (limits_.memory != 0)
        setHeapLimit(0);
}

void Interpreter::defineBuiltin(std::string_view name, BuiltinFn fn, int minArgs, int maxArgs)
{
    Symbol* sym = intern(name);
    sym->value = Value(new Subr(sym->name, fn, minArgs, maxArgs));
}

void Interpreter::defineBuiltin(std::string_view name, BuiltinClosure fn, int minArgs,
                                int maxArgs)
{
    Symbol* sym = intern(name);
    sym->value = Value(new Subr(sym->name, std::move(fn), minArgs, maxArgs));
}

void Interpreter::defineSpecial(std::string_view name, SpecialFn fn)
{
    Symbol* sym = intern(name);
    sym->value = Value(new Subr(sym->name, fn));
}

Value Interpreter::evalText(std::string_view text)
{
    Reader reader(text, symbols_);
    Value result;
    while (auto form = reader.next()) {
        try {
            result = eval(*form);
        } catch (ExitWithValue& exit) {
            result = std::move(exit.value);
        }
    }
    return result;
}

Value Interpreter::read(std::string_view text)
{
    Reader reader(text, symbols_);
    auto form = reader.next();
    return form ? *form : Value();
}

std::optional<std::string> Interpreter::findLoadFile(const std::string& name) const
{
    namespace fs = std::filesystem;
    std::vector<std::string> candidates{name};
    if (fs::path(name).extension() != ".lsp")
        candidates.push_back(name + ".lsp");
    auto usable = [](const fs::path& p) {
        std::error_code ec;
        return fs::is_regular_file(p, ec);
    };
    for (const auto& c : candidates)
        if (usable(c))
            return c;
    if (fs::path(name).is_absolute())
        return std::nullopt;
    for (const auto& dir : loadPath_)
        for (const auto& c : candidates) {
            fs::path p = fs::path(dir) / c;
            if (usable(p))
                return p.string();
        }
    return std::nullopt;
}

Value Interpreter::loadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail("LOAD failed: \"" + path + "\"");
    std::ostringstream text;
    text << in.rdbuf();
    std::string source = utf8::fromFileText(text.str());
    Reader reader(source, symbols_);
    Value result;
    try {
        while (auto form = reader.next())
            result = eval(*form);
    } catch (LispError& e) {
        if (e.where.empty())
            e.where = "in " + path + ", expression at line " + std::to_string(reader.line());
        throw;
    }
    return result;
}

}  // namespace lisp
