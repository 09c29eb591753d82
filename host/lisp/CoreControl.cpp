// Evaluation on demand, assignment through a symbol value, and the error functions:
// exit / quit and the vl-catch-all family.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"

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

}  // namespace

void installControlFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("eval", evalFn, 1, 1);
    lisp.defineBuiltin("set", setFn, 2, 2);
    lisp.defineBuiltin("exit", exitFn, 0, 0);
    lisp.defineBuiltin("quit", exitFn, 0, 0);
    lisp.defineBuiltin("vl-catch-all-apply", catchAllApply, 2, 2);
    lisp.defineBuiltin("vl-catch-all-error-p", catchAllErrorP, 1, 1);
    lisp.defineBuiltin("vl-catch-all-error-message", catchAllErrorMessage, 1, 1);
}

}  // namespace lisp
