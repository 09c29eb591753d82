// Arithmetic. Integers are 32 bits and wrap around as AutoLISP's do; as soon as a real takes
// part, the computation goes on in reals.
#include "lisp/Interpreter.h"

#include <climits>
#include <cmath>

namespace lisp {

namespace {

int32_t wrapAdd(int32_t a, int32_t b) { return int32_t(uint32_t(a) + uint32_t(b)); }
int32_t wrapSub(int32_t a, int32_t b) { return int32_t(uint32_t(a) - uint32_t(b)); }
int32_t wrapMul(int32_t a, int32_t b) { return int32_t(uint32_t(a) * uint32_t(b)); }

// Folds the arguments left to right with an integer and a real operation.
template <class IntOp, class RealOp>
Value fold(const Args& a, IntOp intOp, RealOp realOp)
{
    Value acc = a[0];
    numArg(acc);
    for (size_t i = 1; i < a.size(); ++i) {
        const Value& x = a[i];
        numArg(x);
        if (acc.isInt() && x.isInt())
            acc = Value::integer(intOp(acc.asInt(), x.asInt()));
        else
            acc = Value::real(realOp(acc.asDouble(), x.asDouble()));
    }
    return acc;
}

Value plus(Interpreter&, const Args& a)
{
    if (a.size() == 0)
        return Value::integer(0);
    return fold(a, wrapAdd, [](double x, double y) { return x + y; });
}

Value minus(Interpreter&, const Args& a)
{
    if (a.size() == 0)
        return Value::integer(0);
    if (a.size() == 1) {
        const Value& x = a[0];
        numArg(x);
        return x.isInt() ? Value::integer(wrapSub(0, x.asInt())) : Value::real(-x.asReal());
    }
    return fold(a, wrapSub, [](double x, double y) { return x - y; });
}

Value times(Interpreter&, const Args& a)
{
    if (a.size() == 0)
        return Value::integer(0);
    return fold(a, wrapMul, [](double x, double y) { return x * y; });
}

Value divide(Interpreter&, const Args& a)
{
    if (a.size() == 0)
        return Value::integer(0);
    return fold(
        a,
        [](int32_t x, int32_t y) {
            if (y == 0)
                divideByZero();
            return (x == INT32_MIN && y == -1) ? INT32_MIN : x / y;
        },
        [](double x, double y) {
            if (y == 0.0)
                divideByZero();
            return x / y;
        });
}

Value rem(Interpreter&, const Args& a)
{
    if (a.size() == 0)
        return Value::integer(0);
    return fold(
        a,
        [](int32_t x, int32_t y) {
            if (y == 0)
                divideByZero();
            return y == -1 ? 0 : x % y;
        },
        [](double x, double y) {
            if (y == 0.0)
                divideByZero();
            return std::fmod(x, y);
        });
}

Value onePlus(Interpreter&, const Args& a)
{
    numArg(a[0]);
    return a[0].isInt() ? Value::integer(wrapAdd(a[0].asInt(), 1)) : Value::real(a[0].asReal() + 1);
}

Value oneMinus(Interpreter&, const Args& a)
{
    numArg(a[0]);
    return a[0].isInt() ? Value::integer(wrapSub(a[0].asInt(), 1)) : Value::real(a[0].asReal() - 1);
}

Value absFn(Interpreter&, const Args& a)
{
    numArg(a[0]);
    if (a[0].isInt())
        return Value::integer(a[0].asInt() < 0 ? wrapSub(0, a[0].asInt()) : a[0].asInt());
    return Value::real(std::fabs(a[0].asReal()));
}

// fix: the integer part; beyond the integer range the truncated real, as AutoLISP gives it.
Value fixFn(Interpreter&, const Args& a)
{
    numArg(a[0]);
    if (a[0].isInt())
        return a[0];
    double t = std::trunc(a[0].asReal());
    if (t >= INT32_MIN && t <= INT32_MAX)
        return Value::integer(static_cast<int32_t>(t));
    return Value::real(t);
}

Value floatFn(Interpreter&, const Args& a) { return Value::real(numArg(a[0])); }

template <bool Max>
Value extremum(Interpreter&, const Args& a)
{
    if (a.size() == 0)
        return Value::integer(0);
    bool anyReal = false;
    const Value* best = &a[0];
    for (const Value& v : a) {
        numArg(v);
        anyReal |= v.isReal();
        if (Max ? v.asDouble() > best->asDouble() : v.asDouble() < best->asDouble())
            best = &v;
    }
    return anyReal ? Value::real(best->asDouble()) : *best;
}

Value zerop(Interpreter& lisp, const Args& a) { return lisp.boolean(numArg(a[0]) == 0.0); }
Value minusp(Interpreter& lisp, const Args& a) { return lisp.boolean(numArg(a[0]) < 0.0); }

}  // namespace

void installMathFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("+", plus, 0, -1);
    lisp.defineBuiltin("-", minus, 0, -1);
    lisp.defineBuiltin("*", times, 0, -1);
    lisp.defineBuiltin("/", divide, 0, -1);
    lisp.defineBuiltin("rem", rem, 0, -1);
    lisp.defineBuiltin("1+", onePlus, 1, 1);
    lisp.defineBuiltin("1-", oneMinus, 1, 1);
    lisp.defineBuiltin("abs", absFn, 1, 1);
    lisp.defineBuiltin("fix", fixFn, 1, 1);
    lisp.defineBuiltin("float", floatFn, 1, 1);
    lisp.defineBuiltin("min", extremum<false>, 0, -1);
    lisp.defineBuiltin("max", extremum<true>, 0, -1);
    lisp.defineBuiltin("zerop", zerop, 1, 1);
    lisp.defineBuiltin("minusp", minusp, 1, 1);
}

}  // namespace lisp
