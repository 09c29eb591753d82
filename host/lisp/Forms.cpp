// Special forms: they receive their arguments unevaluated and decide what to evaluate.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"

namespace lisp {

namespace {

// The arguments of a special form as a vector-like view over the list.
size_t count(const Value& args)
{
    size_t n = 0;
    for (const Value* p = &args; p->isCons(); p = &p->consCell()->cdr)
        ++n;
    return n;
}

void arity(const Value& args, size_t min, size_t max)
{
    size_t n = count(args);
    if (n < min)
        tooFewArguments();
    if (n > max)
        tooManyArguments();
}

Value quoteForm(Interpreter&, const Value& args)
{
    arity(args, 1, 1);
    return car(args);
}

// (function f): a symbol or a lambda expression, as quote gives it.
Value functionForm(Interpreter& lisp, const Value& args)
{
    arity(args, 1, 1);
    const Value& f = car(args);
    if (f.isCons() && car(f).isSym() && car(f).sym()->name == "LAMBDA")
        return lisp.makeLambda(cdr(f), std::string());
    return f;
}

Value setqForm(Interpreter& lisp, const Value& args)
{
    Value result;
    for (const Value* p = &args; p->isCons();) {
        Symbol* sym = symArg(p->consCell()->car);
        const Value& rest = p->consCell()->cdr;
        if (!rest.isCons())
            tooFewArguments();
        result = lisp.eval(rest.consCell()->car);
        lisp.assign(sym, result);
        p = &rest.consCell()->cdr;
    }
    return result;
}

Value defunForm(Interpreter& lisp, const Value& args)
{
    if (count(args) < 2)
        tooFewArguments();
    Symbol* name = symArg(car(args));
    Value fn = lisp.makeLambda(cdr(args), name->name);
    lisp.assign(name, std::move(fn));
    return Value::symbol(name);
}

Value lambdaForm(Interpreter& lisp, const Value& args)
{
    return lisp.makeLambda(args, std::string());
}

Value ifForm(Interpreter& lisp, const Value& args)
{
    arity(args, 2, 3);
    if (lisp.eval(car(args)))
        return lisp.eval(car(cdr(args)));
    return lisp.eval(car(cdr(cdr(args))));
}

Value condForm(Interpreter& lisp, const Value& args)
{
    for (const Value* p = &args; p->isCons(); p = &p->consCell()->cdr) {
        const Value& clause = p->consCell()->car;
        if (!clause.isCons())
            badArgType("listp", clause);
        Value test = lisp.eval(car(clause));
        if (test)
            return cdr(clause).isNil() ? test : lisp.evalBody(cdr(clause));
    }
    return Value();
}

Value prognForm(Interpreter& lisp, const Value& args) { return lisp.evalBody(args); }

Value whileForm(Interpreter& lisp, const Value& args)
{
    if (!args.isCons())
        tooFewArguments();
    Value result;
    while (lisp.eval(car(args)))
        result = lisp.evalBody(cdr(args));
    return result;
}

Value repeatForm(Interpreter& lisp, const Value& args)
{
    if (!args.isCons())
        tooFewArguments();
    int32_t n = intArg(lisp.eval(car(args)));
    Value result;
    for (int32_t i = 0; i < n; ++i)
        result = lisp.evalBody(cdr(args));
    return result;
}

// (foreach name list expr...): name is bound to each element in turn, and unbound after.
Value foreachForm(Interpreter& lisp, const Value& args)
{
    if (count(args) < 2)
        tooFewArguments();
    Symbol* var = symArg(car(args));
    Value items = listArg(lisp.eval(car(cdr(args))));
    const Value& body = cdr(cdr(args));
    BindingScope scope(lisp.bindings());
    lisp.bindings().bind(var, Value());
    Value result;
    for (const Value* p = &items; p->isCons(); p = &p->consCell()->cdr) {
        var->value = p->consCell()->car;
        result = lisp.evalBody(body);
    }
    return result;
}

Value andForm(Interpreter& lisp, const Value& args)
{
    for (const Value* p = &args; p->isCons(); p = &p->consCell()->cdr)
        if (!lisp.eval(p->consCell()->car))
            return Value();
    return lisp.t();
}

Value orForm(Interpreter& lisp, const Value& args)
{
    for (const Value* p = &args; p->isCons(); p = &p->consCell()->cdr)
        if (lisp.eval(p->consCell()->car))
            return lisp.t();
    return Value();
}

}  // namespace

void installForms(Interpreter& lisp)
{
    lisp.defineSpecial("quote", quoteForm);
    lisp.defineSpecial("function", functionForm);
    lisp.defineSpecial("setq", setqForm);
    lisp.defineSpecial("defun", defunForm);
    lisp.defineSpecial("lambda", lambdaForm);
    lisp.defineSpecial("if", ifForm);
    lisp.defineSpecial("cond", condForm);
    lisp.defineSpecial("progn", prognForm);
    lisp.defineSpecial("while", whileForm);
    lisp.defineSpecial("repeat", repeatForm);
    lisp.defineSpecial("foreach", foreachForm);
    lisp.defineSpecial("and", andForm);
    lisp.defineSpecial("or", orForm);
}

}  // namespace lisp
