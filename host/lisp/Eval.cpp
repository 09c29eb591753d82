// The evaluator: forms, function calls, user functions and the way errors reach *error*.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"

#include <atomic>

namespace lisp {

const char* const kCancelledMessage = "Function cancelled";
const char* const kStepLimitMessage = "step limit reached";

namespace {

std::atomic<bool> interruptRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

[[noreturn]] void raiseInterrupt()
{
    interruptRequested.store(false, std::memory_order_relaxed);
    fail(kCancelledMessage);
}

}  // namespace

void requestInterrupt() noexcept { interruptRequested.store(true, std::memory_order_relaxed); }

bool takeInterrupt() noexcept { return interruptRequested.exchange(false, std::memory_order_relaxed); }

Value Interpreter::eval(const Value& form)
{
    if (interruptRequested.load(std::memory_order_relaxed)) [[unlikely]]
        raiseInterrupt();
    if (limits_.steps != 0 && ++steps_ > limits_.steps) [[unlikely]] {
        steps_ = limits_.steps;  // stays at the limit: every later step fails too
        fail(kStepLimitMessage);
    }
    switch (form.tag()) {
    case Tag::Sym:
        return valueOf(form.sym());
    case Tag::Cons:
        return evalForm(form);
    default:
        return form;
    }
}

Value Interpreter::valueOf(Symbol* sym)
{
    if (sym->value.isNil() && external_ && external_->isDefined(*sym))
        return Value(new Exsubr(sym));
    return sym->value;
}

Value Interpreter::evalBody(const Value& forms)
{
    Value result;
    for (const Value* p = &forms; p->isCons(); p = &p->consCell()->cdr)
        result = eval(p->consCell()->car);
    return result;
}

void Interpreter::noFunction(const Symbol& sym)
{
    fail("no function definition: " + sym.name);
}

Value Interpreter::evalForm(const Value& form)
{
    checkStack();
    const Value& head = form.consCell()->car;
    const Value& rest = form.consCell()->cdr;

    Value fn;
    const Symbol* name = nullptr;
    if (head.isSym()) {
        name = head.sym();
        fn = name->value;
        // A parameter named like the function it was given: the function, not the symbol.
        if (fn.isSym() && fn.sym() == name)
            fn = bindings_.outerValue(name);
        if (fn.isNil()) {
            if (!external_ || !external_->isDefined(*name))
                noFunction(*name);
        }
    } else {
        fn = head.isCons() ? eval(head) : head;  // ((lambda (x) ...) 1) and the like
        if (fn.isNil())
            fail("bad function: nil");
    }

    if (fn.tag() == Tag::Subr && fn.as<Subr>()->special)
        return fn.as<Subr>()->special(*this, rest);

    ArgBuffer args;
    const Value* p = &rest;
    for (; p->isCons(); p = &p->consCell()->cdr)
        args.push(eval(p->consCell()->car));
    if (!p->isNil())
        fail("bad list: " + toString(form, true));

    if (fn.isNil())  // an external function, checked above
        return external_->call(*this, *name, args.args());
    return apply(fn, args.args());
}

Value Interpreter::apply(const Value& fn, const Args& args)
{
    switch (fn.tag()) {
    case Tag::Subr: {
        const auto* s = fn.as<Subr>();
        // (apply 'and flags), (mapcar 'or a b): a special form gets the values as the
        // arguments of its form.
        if (s->special) {
            ListBuilder form;
            for (const Value& v : args)
                form.push(v);
            return s->special(*this, form.take());
        }
        if (args.size() < static_cast<size_t>(s->minArgs))
            tooFewArguments();
        if (s->maxArgs >= 0 && args.size() > static_cast<size_t>(s->maxArgs))
            tooManyArguments();
        return s->fn ? s->fn(*this, args) : s->closure(*this, args);
    }
    case Tag::Usubr:
        return callUser(*fn.as<Usubr>(), args);
    case Tag::Exsubr: {
        Symbol* sym = fn.as<Exsubr>()->sym;
        if (!external_ || !external_->isDefined(*sym))
            noFunction(*sym);
        return external_->call(*this, *sym, args);
    }
    case Tag::Cons:
        if (car(fn).isSym() && car(fn).sym() == lambda_) {
            Value lambda = makeLambda(cdr(fn), std::string());
            return callUser(*lambda.as<Usubr>(), args);
        }
        if (car(fn).isList()) {  // a function kept as a list, as defun-q makes it
            Value lambda = makeLambda(fn, std::string());
            return callUser(*lambda.as<Usubr>(), args);
        }
        [[fallthrough]];
    default:
        fail("bad function: " + toString(fn, true));
    }
}

Value Interpreter::functionOf(const Value& designator)
{
    checkStack();  // a symbol may name a symbol that names ... itself
    switch (designator.tag()) {
    case Tag::Subr:
    case Tag::Usubr:
    case Tag::Exsubr:
        return designator;
    case Tag::Sym: {
        Symbol* sym = designator.sym();
        Value value = sym->value;
        if (value.isSym() && value.sym() == sym)
            value = bindings_.outerValue(sym);
        if (!value.isNil())
            return functionOf(value);
        if (external_ && external_->isDefined(*sym))
            return Value(new Exsubr(sym));
        noFunction(*sym);
    }
    case Tag::Cons:
        if (car(designator).isSym() && car(designator).sym() == lambda_)
            return makeLambda(cdr(designator), std::string());
        if (car(designator).isList())
            return makeLambda(designator, std::string());
        [[fallthrough]];
    default:
        fail("bad function: " + toString(designator, true));
    }
}

Value Interpreter::makeLambda(const Value& paramsAndBody, std::string name)
{
    if (!paramsAndBody.isCons())
        tooFewArguments();
    const Value& params = car(paramsAndBody);
    if (!params.isList())
        badArgType("listp", params);
    auto* fn = new Usubr();
    Value result(fn);
    fn->name = std::move(name);
    bool locals = false;
    for (const Value* p = &params; p->isCons(); p = &p->consCell()->cdr) {
        Symbol* sym = symArg(p->consCell()->car);
        if (sym->name == "/" && !locals) {
            locals = true;
            continue;
        }
        (locals ? fn->locals : fn->params).push_back(sym);
    }
    fn->body = cdr(paramsAndBody);
    return result;
}

Value Interpreter::callUser(const Usubr& fn, const Args& args)
{
    if (args.size() < fn.params.size())
        tooFewArguments();
    if (args.size() > fn.params.size())
        tooManyArguments();
    // Keep the function alive while it runs, even if it redefines itself.
    Value body = fn.body;
    BindingScope scope(bindings_);
    for (size_t i = 0; i < fn.params.size(); ++i)
        bindings_.bind(fn.params[i], args[i]);
    for (Symbol* local : fn.locals)
        bindings_.bind(local, Value());
    try {
        return evalBody(body);
    } catch (LispError& e) {
        // *error* runs while this function's bindings still stand. A stack-limit error first
        // unwinds to a frame with half the stack free: at the deepest frames the handler
        // would only hit the limit again.
        if (!isStackLimit(e) || stackHalfFree())
            signal(e);
        throw;
    }
}

void Interpreter::signal(LispError& e)
{
    if (e.handled || catchDepth_ > 0 || inErrorHandler_)
        return;
    e.handled = true;
    Value handler = errorHandler_->value;
    if (handler.isNil())
        return;
    e.reported = true;
    inErrorHandler_ = true;
    try {
        Value fn = functionOf(handler);
        Value message = Value::string(e.message());
        apply(fn, Args(&message, 1));
    } catch (LispError& inner) {
        inErrorHandler_ = false;
        inner.handled = true;
        inner.reported = false;  // nobody has shown this one yet
        throw;
    }
    inErrorHandler_ = false;
}

Value Interpreter::evalTop(const Value& form)
{
    try {
        return eval(form);
    } catch (LispError& e) {
        signal(e);
        throw;
    } catch (ExitWithValue& exit) {
        return std::move(exit.value);
    }
}

void Interpreter::setLimits(const Limits& limits)
{
    limits_ = limits;
    steps_ = 0;
    setHeapLimit(limits.memory);
}

void Interpreter::assign(Symbol* sym, Value v)
{
    if (sym->constant)
        refuseConstant(*sym);
    sym->value = std::move(v);
}

}  // namespace lisp
