// Comparisons, type tests and type.
#include "lisp/Interpreter.h"

namespace lisp {

namespace {

// = and the order comparisons take numbers or strings; both sides must be of one kind.
int compare(const Value& a, const Value& b)
{
    if (a.isNumber()) {
        double x = a.asDouble(), y = numArg(b);
        if (a.isInt() && b.isInt())
            return a.asInt() < b.asInt() ? -1 : a.asInt() > b.asInt();
        return x < y ? -1 : x > y;
    }
    if (a.isStr()) {
        const std::string& y = strArg(b);
        int c = a.str().compare(y);
        return c < 0 ? -1 : c > 0;
    }
    badArgType("numberp", a);
}

bool sameValue(const Value& a, const Value& b)
{
    if ((a.isNumber() && b.isNumber()) || (a.isStr() && b.isStr()))
        return compare(a, b) == 0;
    return a.identical(b);
}

// Each argument stands in the relation to the next one.
template <class Rel>
Value chain(Interpreter& lisp, const Args& a, Rel rel)
{
    for (size_t i = 0; i + 1 < a.size(); ++i)
        if (!rel(compare(a[i], a[i + 1])))
            return Value();
    if (a.size() == 1)
        compare(a[0], a[0]);  // a lone argument must still be a number or a string
    return lisp.t();
}

Value eqNum(Interpreter& lisp, const Args& a)
{
    for (size_t i = 0; i + 1 < a.size(); ++i)
        if (!sameValue(a[i], a[i + 1]))
            return Value();
    return lisp.t();
}

Value neqNum(Interpreter& lisp, const Args& a)
{
    for (size_t i = 0; i + 1 < a.size(); ++i)
        if (sameValue(a[i], a[i + 1]))
            return Value();
    return lisp.t();
}

Value less(Interpreter& l, const Args& a) { return chain(l, a, [](int c) { return c < 0; }); }
Value greater(Interpreter& l, const Args& a) { return chain(l, a, [](int c) { return c > 0; }); }
Value lessEq(Interpreter& l, const Args& a) { return chain(l, a, [](int c) { return c <= 0; }); }
Value greaterEq(Interpreter& l, const Args& a) { return chain(l, a, [](int c) { return c >= 0; }); }

Value eqFn(Interpreter& lisp, const Args& a) { return lisp.boolean(a[0].identical(a[1])); }

Value equalFn(Interpreter& lisp, const Args& a)
{
    double fuzz = a.has(2) ? numArg(a[2]) : 0.0;
    return lisp.boolean(lispEqual(a[0], a[1], fuzz < 0 ? -fuzz : fuzz));
}

Value notFn(Interpreter& lisp, const Args& a) { return lisp.boolean(a[0].isNil()); }
Value atomFn(Interpreter& lisp, const Args& a) { return lisp.boolean(!a[0].isCons()); }
Value listpFn(Interpreter& lisp, const Args& a) { return lisp.boolean(a[0].isList()); }
Value numberpFn(Interpreter& lisp, const Args& a) { return lisp.boolean(a[0].isNumber()); }

// (boundp sym): the symbol has a value; nil, the empty symbol, never has one.
Value boundpFn(Interpreter& lisp, const Args& a)
{
    if (a[0].isNil())
        return Value();
    return lisp.boolean(!lisp.valueOf(symArg(a[0])).isNil());
}

Value typeFn(Interpreter& lisp, const Args& a)
{
    const char* name = nullptr;
    switch (a[0].tag()) {
    case Tag::Nil:
        return Value();
    case Tag::Int:
        name = "INT";
        break;
    case Tag::Real:
        name = "REAL";
        break;
    case Tag::Sym:
        name = "SYM";
        break;
    case Tag::Str:
        name = "STR";
        break;
    case Tag::Cons:
        name = "LIST";
        break;
    case Tag::Subr:
        name = "SUBR";
        break;
    case Tag::Usubr:
        name = "USUBR";
        break;
    case Tag::Exsubr:
        name = "EXRXSUBR";
        break;
    case Tag::Ename:
        name = "ENAME";
        break;
    case Tag::Pickset:
        name = "PICKSET";
        break;
    case Tag::CatchError:
        name = "VL-CATCH-ALL-APPLY-ERROR";
        break;
    case Tag::File:
        name = "FILE";
        break;
    }
    return Value::symbol(lisp.intern(name));
}

}  // namespace

void installPredicates(Interpreter& lisp)
{
    lisp.defineBuiltin("=", eqNum, 1, -1);
    lisp.defineBuiltin("/=", neqNum, 1, -1);
    lisp.defineBuiltin("<", less, 1, -1);
    lisp.defineBuiltin(">", greater, 1, -1);
    lisp.defineBuiltin("<=", lessEq, 1, -1);
    lisp.defineBuiltin(">=", greaterEq, 1, -1);
    lisp.defineBuiltin("eq", eqFn, 2, 2);
    lisp.defineBuiltin("equal", equalFn, 2, 3);
    lisp.defineBuiltin("not", notFn, 1, 1);
    lisp.defineBuiltin("null", notFn, 1, 1);
    lisp.defineBuiltin("atom", atomFn, 1, 1);
    lisp.defineBuiltin("listp", listpFn, 1, 1);
    lisp.defineBuiltin("numberp", numberpFn, 1, 1);
    lisp.defineBuiltin("boundp", boundpFn, 1, 1);
    lisp.defineBuiltin("type", typeFn, 1, 1);
}

}  // namespace lisp
