// Arithmetic. Integers are 32 bits and wrap around as AutoLISP's do; as soon as a real takes
// part, the computation goes on in reals.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>

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


// ---- functions of reals -------------------------------------------------------------------

[[noreturn]] void undefinedFor(const Value& v)
{
    fail("function undefined for argument: " + toString(v, true));
}

Value sqrtFn(Interpreter&, const Args& a)
{
    double x = numArg(a[0]);
    if (x < 0)
        undefinedFor(a[0]);
    return Value::real(std::sqrt(x));
}

Value sinFn(Interpreter&, const Args& a) { return Value::real(std::sin(numArg(a[0]))); }
Value cosFn(Interpreter&, const Args& a) { return Value::real(std::cos(numArg(a[0]))); }
Value expFn(Interpreter&, const Args& a) { return Value::real(std::exp(numArg(a[0]))); }

Value logFn(Interpreter&, const Args& a)
{
    double x = numArg(a[0]);
    if (x <= 0)
        undefinedFor(a[0]);
    return Value::real(std::log(x));
}

// (atan y [x]): the arc tangent of y, or of y/x in the quadrant of the point (x, y).
Value atanFn(Interpreter&, const Args& a)
{
    double y = numArg(a[0]);
    if (!a.has(1))
        return Value::real(std::atan(y));
    return Value::real(std::atan2(y, numArg(a[1])));
}

// (expt base power): an integer for integers (a negative power gives 0, or 1 and -1
// for base 1 and -1), else a real.
Value exptFn(Interpreter&, const Args& a)
{
    numArg(a[0]);
    numArg(a[1]);
    if (a[0].isInt() && a[1].isInt()) {
        int32_t b = a[0].asInt(), e = a[1].asInt();
        if (e < 0) {
            if (b == 0)
                divideByZero();
            return Value::integer(b == 1 ? 1 : b == -1 ? (e % 2 ? -1 : 1) : 0);
        }
        uint32_t result = 1, base = uint32_t(b);
        for (; e > 0; e >>= 1, base *= base)
            if (e & 1)
                result *= base;
        return Value::integer(int32_t(result));
    }
    double b = a[0].asDouble(), e = a[1].asDouble();
    if (b < 0 && e != std::floor(e))
        undefinedFor(a[0]);
    if (b == 0 && e < 0)
        divideByZero();
    return Value::real(std::pow(b, e));
}

Value gcdFn(Interpreter&, const Args& a)
{
    int32_t x = intArg(a[0]), y = intArg(a[1]);
    if (x <= 0)
        fail("bad argument value: positive: " + toString(a[0], true));
    if (y <= 0)
        fail("bad argument value: positive: " + toString(a[1], true));
    return Value::integer(std::gcd(x, y));
}

template <class Op>
Value bitFold(const Args& a, int32_t start, Op op)
{
    int32_t acc = start;
    for (size_t i = 0; i < a.size(); ++i)
        acc = i == 0 ? intArg(a[0]) : op(acc, intArg(a[i]));
    return Value::integer(acc);
}

Value logandFn(Interpreter&, const Args& a)
{
    return bitFold(a, 0, [](int32_t x, int32_t y) { return x & y; });
}
Value logiorFn(Interpreter&, const Args& a)
{
    return bitFold(a, 0, [](int32_t x, int32_t y) { return x | y; });
}

// (lsh n bits): shifted left by bits, right for negative bits; zeros come in.
Value lshFn(Interpreter&, const Args& a)
{
    int32_t n = a.has(0) ? intArg(a[0]) : 0;
    int32_t bits = a.has(1) ? intArg(a[1]) : 0;
    uint32_t u = uint32_t(n);
    if (bits >= 32 || bits <= -32)
        return Value::integer(0);
    u = bits >= 0 ? u << bits : u >> -bits;
    return Value::integer(int32_t(u));
}

Value notBitsFn(Interpreter&, const Args& a) { return Value::integer(~intArg(a[0])); }

// (boole op a b ...): each bit by the truth table op, folded left to right. The four bits of
// op answer for the input bits (1 1), (1 0), (0 1) and (0 0): 1 is and, 6 xor, 7 or, 8 nor.
Value booleFn(Interpreter&, const Args& a)
{
    int32_t op = intArg(a[0]);
    uint32_t acc = uint32_t(intArg(a[1]));
    for (size_t i = 2; i < a.size(); ++i) {
        uint32_t b = uint32_t(intArg(a[i])), out = 0;
        for (int bit = 0; bit < 32; ++bit) {
            unsigned x = (acc >> bit) & 1, y = (b >> bit) & 1;
            unsigned index = (1 - x) * 2 + (1 - y);
            out |= uint32_t((op >> index) & 1) << bit;
        }
        acc = out;
    }
    return Value::integer(int32_t(acc));
}

Value vlInfpFn(Interpreter& lisp, const Args& a) { return lisp.boolean(std::isinf(numArg(a[0]))); }
Value vlNanpFn(Interpreter& lisp, const Args& a) { return lisp.boolean(std::isnan(numArg(a[0]))); }

// ---- points -------------------------------------------------------------------------------

struct Point {
    double c[3] = {0, 0, 0};
    bool is3d = false;
};

// A list of two or three numbers, else "bad argument type: 2D/3D point: ...".
Point pointArg(const Value& v)
{
    Point p;
    int n = 0;
    const Value* q = &v;
    for (; q->isCons() && n < 3; q = &q->consCell()->cdr) {
        const Value& x = q->consCell()->car;
        if (!x.isNumber())
            badArgType("2D/3D point", v);
        p.c[n++] = x.asDouble();
    }
    if (n < 2 || !q->isNil())
        badArgType("2D/3D point", v);
    p.is3d = n == 3;
    return p;
}

Value pointValue(const double c[3], bool is3d)
{
    ListBuilder b;
    for (int i = 0; i < (is3d ? 3 : 2); ++i)
        b.push(Value::real(c[i]));
    return b.take();
}

// (angle from to): the angle of the line in the XY plane, 0 <= angle < 2 pi.
Value angleFn(Interpreter&, const Args& a)
{
    Point p = pointArg(a[0]), q = pointArg(a[1]);
    double r = std::atan2(q.c[1] - p.c[1], q.c[0] - p.c[0]);
    if (r < 0)
        r += 2 * M_PI;
    return Value::real(r);
}

// (distance a b): in 3D when both points are 3D, else in the XY plane.
Value distanceFn(Interpreter&, const Args& a)
{
    Point p = pointArg(a[0]), q = pointArg(a[1]);
    double dz = p.is3d && q.is3d ? q.c[2] - p.c[2] : 0;
    return Value::real(std::hypot(q.c[0] - p.c[0], q.c[1] - p.c[1], dz));
}

// (polar pt angle dist): the point at the distance in the direction, as 2D or 3D as pt.
Value polarFn(Interpreter&, const Args& a)
{
    Point p = pointArg(a[0]);
    double ang = numArg(a[1]), dist = numArg(a[2]);
    double c[3] = {p.c[0] + dist * std::cos(ang), p.c[1] + dist * std::sin(ang), p.c[2]};
    return pointValue(c, p.is3d);
}

// (inters a1 a2 b1 b2 [onseg]): where line a1-a2 meets line b1-b2; with onseg nil the lines
// go on without end, else the point must lie on both segments. nil for parallel lines, lines
// that do not meet in 3D, and degenerate ones. 3D when any point is.
Value intersFn(Interpreter&, const Args& a)
{
    Point p1 = pointArg(a[0]), p2 = pointArg(a[1]), p3 = pointArg(a[2]), p4 = pointArg(a[3]);
    bool onSegment = !a.has(4) || !a[4].isNil();
    bool is3d = p1.is3d || p2.is3d || p3.is3d || p4.is3d;
    double d1[3], d2[3], w[3];
    for (int i = 0; i < 3; ++i) {
        d1[i] = p2.c[i] - p1.c[i];
        d2[i] = p4.c[i] - p3.c[i];
        w[i] = p3.c[i] - p1.c[i];
    }
    auto cross = [](const double u[3], const double v[3], double out[3]) {
        out[0] = u[1] * v[2] - u[2] * v[1];
        out[1] = u[2] * v[0] - u[0] * v[2];
        out[2] = u[0] * v[1] - u[1] * v[0];
    };
    auto dot = [](const double u[3], const double v[3]) {
        return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
    };
    double n[3], wd2[3], wd1[3];
    cross(d1, d2, n);
    double nn = dot(n, n);
    double scale = dot(d1, d1) * dot(d2, d2);
    if (scale == 0 || nn <= 1e-20 * scale)
        return Value();
    cross(w, d2, wd2);
    cross(w, d1, wd1);
    double t = dot(wd2, n) / nn, s = dot(wd1, n) / nn;
    double at[3], bt[3];
    for (int i = 0; i < 3; ++i) {
        at[i] = p1.c[i] + t * d1[i];
        bt[i] = p3.c[i] + s * d2[i];
    }
    double gap = std::hypot(at[0] - bt[0], at[1] - bt[1], at[2] - bt[2]);
    double size = std::sqrt(std::max(dot(d1, d1), dot(d2, d2)));
    if (gap > 1e-10 * std::max(1.0, size))
        return Value();  // skew lines in 3D
    const double eps = 1e-10;
    if (onSegment && (t < -eps || t > 1 + eps || s < -eps || s > 1 + eps))
        return Value();
    return pointValue(at, is3d);
}

// (trans pt from to [disp]): the world, the user system and the display are one here
// (0, 1 and 2; 3, paper space, too), and so is the system of an extrusion (0 0 1): the point
// as a 3D point. Other systems are refused.
Value transFn(Interpreter&, const Args& a)
{
    Point p = pointArg(a[0]);
    auto checkSystem = [](const Value& v) {
        if (v.isInt()) {
            if (v.asInt() < 0 || v.asInt() > 3)
                fail("bad argument value: coordinate system: " + toString(v, true));
            return;
        }
        if (v.isCons()) {
            Point n = pointArg(v);
            if (n.c[0] == 0 && n.c[1] == 0 && n.c[2] > 0)
                return;
            fail("bad argument value: coordinate system: " + toString(v, true));
        }
        badArgType("coordinate system", v);
    };
    checkSystem(a[1]);
    checkSystem(a[2]);
    bool displacement = a.has(3) && !a[3].isNil();
    (void)displacement;  // the same for a displacement: nothing moves, nothing turns
    return pointValue(p.c, true);
}

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
    lisp.defineBuiltin("sqrt", sqrtFn, 1, 1);
    lisp.defineBuiltin("sin", sinFn, 1, 1);
    lisp.defineBuiltin("cos", cosFn, 1, 1);
    lisp.defineBuiltin("atan", atanFn, 1, 2);
    lisp.defineBuiltin("expt", exptFn, 2, 2);
    lisp.defineBuiltin("exp", expFn, 1, 1);
    lisp.defineBuiltin("log", logFn, 1, 1);
    lisp.defineBuiltin("gcd", gcdFn, 2, 2);
    lisp.defineBuiltin("logand", logandFn, 0, -1);
    lisp.defineBuiltin("logior", logiorFn, 0, -1);
    lisp.defineBuiltin("lsh", lshFn, 0, 2);
    lisp.defineBuiltin("~", notBitsFn, 1, 1);
    lisp.defineBuiltin("boole", booleFn, 2, -1);
    lisp.defineBuiltin("vl-infp", vlInfpFn, 1, 1);
    lisp.defineBuiltin("vl-nanp", vlNanpFn, 1, 1);
    lisp.defineBuiltin("angle", angleFn, 2, 2);
    lisp.defineBuiltin("distance", distanceFn, 2, 2);
    lisp.defineBuiltin("polar", polarFn, 3, 3);
    lisp.defineBuiltin("inters", intersFn, 4, 5);
    lisp.defineBuiltin("trans", transFn, 3, 4);
    // pi is a variable, as in AutoLISP: a program may read it like any other.
    lisp.setSymbolValue("pi", Value::real(M_PI));
}

}  // namespace lisp
