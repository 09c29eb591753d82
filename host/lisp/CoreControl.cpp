// Evaluation on demand, assignment through a symbol value, and the error functions:
// exit / quit, the vl-catch-all family and vl-exit-with-..., symbols as data.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"

#include <algorithm>
#include <vector>

namespace lisp {

namespace {

Value evalFn(Interpreter& lisp, const Args& a) { return lisp.eval(a[0]); }

Value setFn(Interpreter& lisp, const Args& a)
{
    lisp.assign(symArg(a[0]), a[1]);
    return a[1];
}

// exit and quit end the running program as an error with AutoLISP's message, which a defined
// *error* receives.
Value exitFn(Interpreter&, const Args&) { fail("quit / exit abort"); }

// (vl-load-com): makes Visual LISP's extensions available. They are built in here, so it has
// nothing to do; programs call it first thing.
Value vlLoadComFn(Interpreter&, const Args&) { return Value(); }

// (vl-catch-all-apply fn args): fn's value, or an error object when fn raised an error.
Value catchAllApply(Interpreter& lisp, const Args& a)
{
    const Value& fnArg = a[0];
    std::vector<Value> items;
    const Value* p = &listArg(a[1]);
    for (; p->isCons(); p = &p->consCell()->cdr)
        items.push_back(p->consCell()->car);
    if (!p->isNil())
        fail("bad list: " + toString(a[1], true));
    try {
        Interpreter::CatchScope catching(lisp);
        Value fn = lisp.functionOf(fnArg);
        return lisp.apply(fn, Args(items.data(), items.size()));
    } catch (LispError& e) {
        return Value(new CatchError(e.message()));
    }
}

Value catchAllErrorP(Interpreter& lisp, const Args& a)
{
    return lisp.boolean(a[0].tag() == Tag::CatchError);
}

Value catchAllErrorMessage(Interpreter&, const Args& a)
{
    if (a[0].tag() != Tag::CatchError)
        badArgType("vl-catch-all-apply-error-p", a[0]);
    return Value::string(a[0].as<CatchError>()->message);
}

// (vl-exit-with-error message): ends the running program with this error message, which a
// defined *error* receives as it is.
Value exitWithErrorFn(Interpreter&, const Args& a) { fail(strArg(a[0])); }

// (vl-exit-with-value value): ends the running command; the value is what it answers.
Value exitWithValueFn(Interpreter&, const Args& a) { throw ExitWithValue{a[0]}; }

Value vlSymbolNameFn(Interpreter&, const Args& a) { return Value::string(symArg(a[0])->name); }

Value vlSymbolValueFn(Interpreter& lisp, const Args& a) { return lisp.valueOf(symArg(a[0])); }

Value vlSymbolpFn(Interpreter& lisp, const Args& a) { return lisp.boolean(a[0].isSym()); }

// (atoms-family format [names]): the symbols that have a value (format 0) or their names
// (format 1); with a list of names, for each name the symbol or name if it has a value,
// else nil.
Value atomsFamilyFn(Interpreter& lisp, const Args& a)
{
    int32_t format = intArg(a[0]);
    if (format != 0 && format != 1)
        fail("bad argument value: 0 or 1: " + toString(a[0], true));
    auto item = [&](Symbol* sym) {
        return format == 0 ? Value::symbol(sym) : Value::string(sym->name);
    };
    ListBuilder b;
    if (a.has(1) && !a[1].isNil()) {
        const Value* p = &listArg(a[1]);
        for (; p->isCons(); p = &p->consCell()->cdr) {
            Symbol* sym = lisp.symbols().find(strArg(p->consCell()->car));
            b.push(sym && !lisp.valueOf(sym).isNil() ? item(sym) : Value());
        }
        return b.take();
    }
    std::vector<Symbol*> bound;
    lisp.symbols().forEach([&](const Symbol& sym) {
        if (!sym.value.isNil())
            bound.push_back(const_cast<Symbol*>(&sym));
    });
    std::sort(bound.begin(), bound.end(), [](Symbol* x, Symbol* y) { return x->name < y->name; });
    for (Symbol* sym : bound)
        b.push(item(sym));
    return b.take();
}

}  // namespace

void installControlFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("eval", evalFn, 1, 1);
    lisp.defineBuiltin("set", setFn, 2, 2);
    lisp.defineBuiltin("exit", exitFn, 0, 0);
    lisp.defineBuiltin("quit", exitFn, 0, 0);
    lisp.defineBuiltin("vl-load-com", vlLoadComFn, 0, 0);
    lisp.defineBuiltin("vl-catch-all-apply", catchAllApply, 2, 2);
    lisp.defineBuiltin("vl-catch-all-error-p", catchAllErrorP, 1, 1);
    lisp.defineBuiltin("vl-catch-all-error-message", catchAllErrorMessage, 1, 1);
    lisp.defineBuiltin("vl-exit-with-error", exitWithErrorFn, 1, 1);
    lisp.defineBuiltin("vl-exit-with-value", exitWithValueFn, 1, 1);
    lisp.defineBuiltin("vl-symbol-name", vlSymbolNameFn, 1, 1);
    lisp.defineBuiltin("vl-symbol-value", vlSymbolValueFn, 1, 1);
    lisp.defineBuiltin("vl-symbolp", vlSymbolpFn, 1, 1);
    lisp.defineBuiltin("atoms-family", atomsFamilyFn, 1, 2);
}

}  // namespace lisp
