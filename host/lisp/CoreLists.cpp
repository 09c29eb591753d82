// List functions: construction, access, search, mapping and sorting.
#include "lisp/Interpreter.h"

#include "lisp/Printer.h"

#include <algorithm>
#include <functional>
#include <string>

namespace lisp {

namespace {

// Iterates a proper list; a dotted tail raises "bad list".
template <class F>
void forEach(const Value& list, F f)
{
    const Value* p = &listArg(list);
    for (; p->isCons(); p = &p->consCell()->cdr)
        f(p->consCell()->car);
    if (!p->isNil())
        fail("bad list: " + toString(list, true));
}

std::vector<Value> toVector(const Value& list)
{
    std::vector<Value> out;
    forEach(list, [&](const Value& v) { out.push_back(v); });
    return out;
}

Value listFn(Interpreter&, const Args& a)
{
    ListBuilder b;
    for (const Value& v : a)
        b.push(v);
    return b.take();
}

Value consFn(Interpreter&, const Args& a) { return Value::cons(a[0], a[1]); }

// car, cdr and the c[ad]{2,4}r family, applied right to left: cadr is (car (cdr x)).
template <char... Ops>
Value cxr(Interpreter&, const Args& a)
{
    static constexpr char ops[] = {Ops...};
    Value v = a[0];
    for (size_t i = sizeof...(Ops); i-- > 0;) {
        if (!v.isList())
            badArgType("consp", v);
        Value next = ops[i] == 'a' ? car(v) : cdr(v);
        v = std::move(next);
    }
    return v;
}

Value nthFn(Interpreter&, const Args& a)
{
    int32_t n = intArg(a[0]);
    const Value* p = &listArg(a[1]);
    if (n < 0)
        return Value();
    for (; n > 0 && p->isCons(); --n)
        p = &p->consCell()->cdr;
    return p->isCons() ? p->consCell()->car : Value();
}

Value lengthFn(Interpreter&, const Args& a)
{
    int32_t n = 0;
    forEach(a[0], [&](const Value&) { ++n; });
    return Value::integer(n);
}

Value appendFn(Interpreter&, const Args& a)
{
    ListBuilder b;
    for (const Value& list : a)
        forEach(list, [&](const Value& v) { b.push(v); });
    return b.take();
}

Value reverseFn(Interpreter&, const Args& a)
{
    Value out;
    forEach(a[0], [&](const Value& v) { out = Value::cons(v, std::move(out)); });
    return out;
}

// The element of the last cons: of (1 2 . 3) that is 2.
Value lastFn(Interpreter&, const Args& a)
{
    const Value* p = &listArg(a[0]);
    if (!p->isCons())
        return Value();
    while (p->consCell()->cdr.isCons())
        p = &p->consCell()->cdr;
    return p->consCell()->car;
}

Value memberFn(Interpreter&, const Args& a)
{
    for (const Value* p = &listArg(a[1]); p->isCons(); p = &p->consCell()->cdr)
        if (lispEqual(a[0], p->consCell()->car))
            return *p;
    return Value();
}

Value assocFn(Interpreter&, const Args& a)
{
    for (const Value* p = &listArg(a[1]); p->isCons(); p = &p->consCell()->cdr) {
        const Value& entry = p->consCell()->car;
        if (entry.isCons() && lispEqual(a[0], entry.consCell()->car))
            return entry;
    }
    return Value();
}

// (subst new old list): every element equal to old replaced by new, also inside the
// elements that are lists, at any depth.
Value substTree(const Value& x, const Value& from, const Value& to)
{
    checkStack();
    if (lispEqual(x, from))
        return to;
    if (!x.isCons())
        return x;
    ListBuilder b;
    const Value* p = &x;
    for (; p->isCons(); p = &p->consCell()->cdr)
        b.push(substTree(p->consCell()->car, from, to));
    if (!p->isNil())
        b.setTail(lispEqual(*p, from) ? to : *p);
    return b.take();
}

Value substFn(Interpreter&, const Args& a)
{
    if (!a[2].isCons())
        return a[2];
    // Only elements are compared with old, not the list itself or its tails.
    ListBuilder b;
    const Value* p = &a[2];
    for (; p->isCons(); p = &p->consCell()->cdr)
        b.push(substTree(p->consCell()->car, a[1], a[0]));
    if (!p->isNil())
        b.setTail(*p);
    return b.take();
}

Value mapcarFn(Interpreter& lisp, const Args& a)
{
    Value fn = lisp.functionOf(a[0]);
    std::vector<const Value*> lists;
    for (size_t i = 1; i < a.size(); ++i)
        lists.push_back(&listArg(a[i]));
    ListBuilder out;
    for (;;) {
        ArgBuffer args;
        for (const Value*& p : lists) {
            if (!p->isCons())
                return out.take();
            args.push(p->consCell()->car);
            p = &p->consCell()->cdr;
        }
        out.push(lisp.apply(fn, args.args()));
    }
}

Value applyFn(Interpreter& lisp, const Args& a)
{
    Value fn = lisp.functionOf(a[0]);
    std::vector<Value> items = toVector(a[1]);
    return lisp.apply(fn, Args(items.data(), items.size()));
}

Value vlRemoveFn(Interpreter&, const Args& a)
{
    ListBuilder b;
    forEach(a[1], [&](const Value& v) {
        if (!lispEqual(v, a[0]))
            b.push(v);
    });
    return b.take();
}

Value vlPositionFn(Interpreter&, const Args& a)
{
    int32_t i = 0;
    for (const Value* p = &listArg(a[1]); p->isCons(); p = &p->consCell()->cdr, ++i)
        if (lispEqual(a[0], p->consCell()->car))
            return Value::integer(i);
    return Value();
}

// A stable merge sort that stays in bounds whatever the comparison function answers.
void mergeSort(std::vector<Value>& v, const std::function<bool(const Value&, const Value&)>& less)
{
    std::vector<Value> tmp(v.size());
    for (size_t width = 1; width < v.size(); width *= 2) {
        for (size_t lo = 0; lo < v.size(); lo += 2 * width) {
            size_t mid = std::min(lo + width, v.size()), hi = std::min(lo + 2 * width, v.size());
            size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                tmp[k++] = less(v[j], v[i]) ? v[j++] : v[i++];
            while (i < mid)
                tmp[k++] = v[i++];
            while (j < hi)
                tmp[k++] = v[j++];
        }
        v.swap(tmp);
    }
}

// (vl-sort list less): the elements ordered by the function; equal elements keep their order.
// As in AutoLISP, an element eq to the one before it goes: (vl-sort '(3 2 1 3) '<) is
// (1 2 3). Reals, strings and lists are objects of their own there and all stay.
Value vlSortFn(Interpreter& lisp, const Args& a)
{
    std::vector<Value> items = toVector(a[0]);
    Value fn = lisp.functionOf(a[1]);
    mergeSort(items, [&](const Value& x, const Value& y) {
        Value pair[2] = {x, y};
        return !lisp.apply(fn, Args(pair, 2)).isNil();
    });
    ListBuilder b;
    for (size_t i = 0; i < items.size(); ++i)
        if (i == 0 || items[i].isReal() || !items[i].identical(items[i - 1]))
            b.push(items[i]);
    return b.take();
}


// Calls a predicate on the elements of one or more lists side by side, up to the end of the
// shortest; stop() decides on each answer whether to stop there.
template <class Stop>
Value overElements(Interpreter& lisp, const Args& a, Stop stop, Value* answer)
{
    Value fn = lisp.functionOf(a[0]);
    std::vector<const Value*> lists;
    for (size_t i = 1; i < a.size(); ++i)
        lists.push_back(&listArg(a[i]));
    for (;;) {
        ArgBuffer args;
        for (const Value*& p : lists) {
            if (!p->isCons())
                return Value();
            args.push(p->consCell()->car);
            p = &p->consCell()->cdr;
        }
        *answer = lisp.apply(fn, args.args());
        if (stop(*answer))
            return lisp.t();
    }
}

// (vl-every pred list...): T when pred holds for every element (and for empty lists).
Value vlEveryFn(Interpreter& lisp, const Args& a)
{
    Value answer;
    bool failed = !overElements(lisp, a, [](const Value& v) { return v.isNil(); }, &answer).isNil();
    return lisp.boolean(!failed);
}

// (vl-some pred list...): the first answer of pred that is not nil.
Value vlSomeFn(Interpreter& lisp, const Args& a)
{
    Value answer;
    if (overElements(lisp, a, [](const Value& v) { return !v.isNil(); }, &answer).isNil())
        return Value();
    return answer;
}

// (vl-member-if pred list): the rest of the list from the first element pred holds for.
template <bool Holds>
Value vlMemberIfFn(Interpreter& lisp, const Args& a)
{
    Value fn = lisp.functionOf(a[0]);
    for (const Value* p = &listArg(a[1]); p->isCons(); p = &p->consCell()->cdr) {
        Value item = p->consCell()->car;
        if (lisp.apply(fn, Args(&item, 1)).isNil() != Holds)
            return *p;
    }
    return Value();
}

template <bool Keep>
Value vlRemoveIfFn(Interpreter& lisp, const Args& a)
{
    Value fn = lisp.functionOf(a[0]);
    ListBuilder b;
    forEach(a[1], [&](const Value& v) {
        Value item = v;
        if (lisp.apply(fn, Args(&item, 1)).isNil() != Keep)
            b.push(v);
    });
    return b.take();
}

// (vl-list* a b ... tail): a list ending in the last argument, dotted when it is no list.
Value vlListStarFn(Interpreter&, const Args& a)
{
    ListBuilder b;
    for (size_t i = 0; i + 1 < a.size(); ++i)
        b.push(a[i]);
    b.setTail(a[a.size() - 1]);
    return b.take();
}

Value vlConspFn(Interpreter& lisp, const Args& a) { return lisp.boolean(a[0].isCons()); }

// (vl-list-length list): the length of a proper list; nil for a dotted one.
Value vlListLengthFn(Interpreter&, const Args& a)
{
    int32_t n = 0;
    const Value* p = &listArg(a[0]);
    for (; p->isCons(); p = &p->consCell()->cdr)
        ++n;
    return p->isNil() ? Value::integer(n) : Value();
}

// (vl-sort-i list less): the indexes of the elements in sorted order; every element stays.
Value vlSortIFn(Interpreter& lisp, const Args& a)
{
    std::vector<Value> items = toVector(a[0]);
    Value fn = lisp.functionOf(a[1]);
    std::vector<Value> order;
    for (size_t i = 0; i < items.size(); ++i)
        order.push_back(Value::integer(static_cast<int32_t>(i)));
    mergeSort(order, [&](const Value& x, const Value& y) {
        Value pair[2] = {items[x.asInt()], items[y.asInt()]};
        return !lisp.apply(fn, Args(pair, 2)).isNil();
    });
    ListBuilder b;
    for (const Value& i : order)
        b.push(i);
    return b.take();
}

// (acad_strlsort strings): the strings in alphabetical order (by character codes); a list
// longer than MAXSORT stays as it is.
Value acadStrlsortFn(Interpreter& lisp, const Args& a)
{
    std::vector<Value> items = toVector(a[0]);
    for (const Value& v : items)
        strArg(v);
    Value most = lisp.systemVariable("MAXSORT");
    if (most.isInt() && items.size() > static_cast<size_t>(most.asInt()))
        return a[0];
    std::stable_sort(items.begin(), items.end(),
                     [](const Value& x, const Value& y) { return x.str() < y.str(); });
    ListBuilder b;
    for (const Value& v : items)
        b.push(v);
    return b.take();
}

}  // namespace

bool lispEqual(const Value& a, const Value& b, double fuzz)
{
    if (a.isNumber() && b.isNumber()) {
        if (a.isInt() && b.isInt() && fuzz == 0.0)
            return a.asInt() == b.asInt();
        double d = a.asDouble() - b.asDouble();
        return (d < 0 ? -d : d) <= fuzz;
    }
    if (a.isStr() && b.isStr())
        return a.str() == b.str();
    if (a.isCons() && b.isCons()) {
        checkStack();
        const Value *p = &a, *q = &b;
        while (p->isCons() && q->isCons()) {
            if (!lispEqual(p->consCell()->car, q->consCell()->car, fuzz))
                return false;
            p = &p->consCell()->cdr;
            q = &q->consCell()->cdr;
        }
        return lispEqual(*p, *q, fuzz);
    }
    return a.identical(b);
}

void installListFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("list", listFn, 0, -1);
    lisp.defineBuiltin("cons", consFn, 2, 2);
    lisp.defineBuiltin("car", cxr<'a'>, 1, 1);
    lisp.defineBuiltin("cdr", cxr<'d'>, 1, 1);
    lisp.defineBuiltin("caar", cxr<'a', 'a'>, 1, 1);
    lisp.defineBuiltin("cadr", cxr<'a', 'd'>, 1, 1);
    lisp.defineBuiltin("cdar", cxr<'d', 'a'>, 1, 1);
    lisp.defineBuiltin("cddr", cxr<'d', 'd'>, 1, 1);
    lisp.defineBuiltin("caaar", cxr<'a', 'a', 'a'>, 1, 1);
    lisp.defineBuiltin("caadr", cxr<'a', 'a', 'd'>, 1, 1);
    lisp.defineBuiltin("cadar", cxr<'a', 'd', 'a'>, 1, 1);
    lisp.defineBuiltin("caddr", cxr<'a', 'd', 'd'>, 1, 1);
    lisp.defineBuiltin("cdaar", cxr<'d', 'a', 'a'>, 1, 1);
    lisp.defineBuiltin("cdadr", cxr<'d', 'a', 'd'>, 1, 1);
    lisp.defineBuiltin("cddar", cxr<'d', 'd', 'a'>, 1, 1);
    lisp.defineBuiltin("cdddr", cxr<'d', 'd', 'd'>, 1, 1);
    lisp.defineBuiltin("caaaar", cxr<'a', 'a', 'a', 'a'>, 1, 1);
    lisp.defineBuiltin("caaadr", cxr<'a', 'a', 'a', 'd'>, 1, 1);
    lisp.defineBuiltin("caadar", cxr<'a', 'a', 'd', 'a'>, 1, 1);
    lisp.defineBuiltin("caaddr", cxr<'a', 'a', 'd', 'd'>, 1, 1);
    lisp.defineBuiltin("cadaar", cxr<'a', 'd', 'a', 'a'>, 1, 1);
    lisp.defineBuiltin("cadadr", cxr<'a', 'd', 'a', 'd'>, 1, 1);
    lisp.defineBuiltin("caddar", cxr<'a', 'd', 'd', 'a'>, 1, 1);
    lisp.defineBuiltin("cadddr", cxr<'a', 'd', 'd', 'd'>, 1, 1);
    lisp.defineBuiltin("cdaaar", cxr<'d', 'a', 'a', 'a'>, 1, 1);
    lisp.defineBuiltin("cdaadr", cxr<'d', 'a', 'a', 'd'>, 1, 1);
    lisp.defineBuiltin("cdadar", cxr<'d', 'a', 'd', 'a'>, 1, 1);
    lisp.defineBuiltin("cdaddr", cxr<'d', 'a', 'd', 'd'>, 1, 1);
    lisp.defineBuiltin("cddaar", cxr<'d', 'd', 'a', 'a'>, 1, 1);
    lisp.defineBuiltin("cddadr", cxr<'d', 'd', 'a', 'd'>, 1, 1);
    lisp.defineBuiltin("cdddar", cxr<'d', 'd', 'd', 'a'>, 1, 1);
    lisp.defineBuiltin("cddddr", cxr<'d', 'd', 'd', 'd'>, 1, 1);
    lisp.defineBuiltin("nth", nthFn, 2, 2);
    lisp.defineBuiltin("length", lengthFn, 1, 1);
    lisp.defineBuiltin("append", appendFn, 0, -1);
    lisp.defineBuiltin("reverse", reverseFn, 1, 1);
    lisp.defineBuiltin("last", lastFn, 1, 1);
    lisp.defineBuiltin("member", memberFn, 2, 2);
    lisp.defineBuiltin("assoc", assocFn, 2, 2);
    lisp.defineBuiltin("subst", substFn, 3, 3);
    lisp.defineBuiltin("mapcar", mapcarFn, 2, -1);
    lisp.defineBuiltin("apply", applyFn, 2, 2);
    lisp.defineBuiltin("vl-remove", vlRemoveFn, 2, 2);
    lisp.defineBuiltin("vl-position", vlPositionFn, 2, 2);
    lisp.defineBuiltin("vl-sort", vlSortFn, 2, 2);
    lisp.defineBuiltin("vl-sort-i", vlSortIFn, 2, 2);
    lisp.defineBuiltin("acad_strlsort", acadStrlsortFn, 1, 1);
    lisp.defineBuiltin("vl-every", vlEveryFn, 2, -1);
    lisp.defineBuiltin("vl-some", vlSomeFn, 2, -1);
    lisp.defineBuiltin("vl-member-if", vlMemberIfFn<true>, 2, 2);
    lisp.defineBuiltin("vl-member-if-not", vlMemberIfFn<false>, 2, 2);
    lisp.defineBuiltin("vl-remove-if", vlRemoveIfFn<false>, 2, 2);
    lisp.defineBuiltin("vl-remove-if-not", vlRemoveIfFn<true>, 2, 2);
    lisp.defineBuiltin("vl-list*", vlListStarFn, 1, -1);
    lisp.defineBuiltin("vl-consp", vlConspFn, 1, 1);
    lisp.defineBuiltin("vl-list-length", vlListLengthFn, 1, 1);
}

}  // namespace lisp
