// adslisp.h — the suite's LISP value library: one LISP value held by value, and the
// operations a LISP handler uses to read its call's arguments and hand back its result.
//
// [X] CKORAdsLispVar: nil, T, integers (16- and 32-bit), reals, strings, lists, dotted
//     pairs, entity names; copied by value
// [X] CKORAdsLisp: Parameter (1, 4, 6 variables), type tests, Length, Nth (0-based), Car,
//     List, Append, Cons, SetQ into short/int/double/text pointer/text buffer/variable, Return
// [ ] symbols, selection sets, points as a type of their own (points arrive as lists of reals)
//
// Conversions that SetQ makes (a target is changed only when the value fits its kind):
//  - into short or int: integers and reals (reals truncated toward zero) saturated at the
//    target's range: 70000 and 1e9 both give 32767 in a short, never a wrapped value;
//  - into double: integers and reals;
//  - into const wchar_t*: strings only; the pointer points into the value's own text;
//  - into a wide buffer of n characters: strings only, cut to n - 1 characters;
//  - into a CKORAdsLispVar: any value.
//
// An argument that nests lists deeper than CKORAdsLisp::MaxNesting levels (a LISP program
// can build 20,000 in a loop) is not read: it reads as nil, so the handler's type checks
// refuse it with their own error, and one line on standard error names the argument. The
// arguments after it read as usual. FromResbuf does the same for its one value.
#pragma once

#include "mfc/afx.h"

#include <memory>
#include <string>
#include <vector>

enum datatype_t {
    LISP_REAL = 0,
    LISP_INT = 1,
    LISP_STRING = 2,
    LISP_LIST = 3,
    LISP_DOTTED = 4,
    LISP_NIL = 5,
    LISP_T = 6,
    LISP_ENAME = 7,
};

class CKORAdsLispVar;

// A dotted pair on its way into a CKORAdsLispVar (what CKORAdsLisp::Cons returns).
class CKORConsProxy {
public:
    CKORConsProxy(const CKORAdsLispVar& car, const CKORAdsLispVar& cdr);
    const CKORAdsLispVar& car() const { return *m_car; }
    const CKORAdsLispVar& cdr() const { return *m_cdr; }

private:
    std::shared_ptr<const CKORAdsLispVar> m_car, m_cdr;
};

class CKORAdsLispVar {
public:
    enum class Kind { Nil, T, Short, Long, Real, String, List, Dotted, EName };

    CKORAdsLispVar() = default;
    CKORAdsLispVar(int value);
    CKORAdsLispVar(short value);
    CKORAdsLispVar(unsigned long value);  // kept as a 32-bit integer (wraps like the host)
    CKORAdsLispVar(double value);
    CKORAdsLispVar(const wchar_t* text);  // null gives nil
    CKORAdsLispVar(const CString& text);
    CKORAdsLispVar(const CKORConsProxy& pair);

    static CKORAdsLispVar T();
    static CKORAdsLispVar EName(int64_t a, int64_t b);
    static CKORAdsLispVar FromList(std::vector<CKORAdsLispVar> elements);  // empty gives nil

    Kind kind() const { return m_kind; }
    int Length() const;  // elements of a list; 0 for everything else
    // Appends in place: the elements of a list are appended one by one, nil appends
    // nothing, any other value is appended as one element. A non-list target becomes a
    // list holding its old value first (nil becomes the empty list).
    CKORAdsLispVar& Append(const CKORAdsLispVar& other);

    // Read access.
    long asLong() const;       // integers; 0 otherwise
    double asReal() const;     // integers and reals; 0 otherwise
    const std::wstring& text() const { return m_text; }
    const std::vector<CKORAdsLispVar>& elements() const { return m_items; }  // list; pair: car, cdr
    const int64_t* ename() const { return m_ename; }

    // A text form for logs and tests, as prin1 would print it.
    std::wstring ToString() const;

    friend bool operator==(const CKORAdsLispVar& a, const CKORAdsLispVar& b);
    friend bool operator!=(const CKORAdsLispVar& a, const CKORAdsLispVar& b) { return !(a == b); }

private:
    Kind m_kind = Kind::Nil;
    long m_long = 0;
    double m_real = 0;
    std::wstring m_text;
    std::vector<CKORAdsLispVar> m_items;
    int64_t m_ename[2] = {0, 0};
};

class CKORAdsLisp {
public:
    static const CKORAdsLispVar Nil;
    static constexpr int MaxNesting = 1000;  // levels of lists in one value read from the host

    // Fill the variables with the first arguments of the current call, in order; a missing
    // argument leaves its variable nil. False when no call is in progress.
    static bool Parameter(CKORAdsLispVar& a);
    static bool Parameter(CKORAdsLispVar& a, CKORAdsLispVar& b, CKORAdsLispVar& c, CKORAdsLispVar& d);
    static bool Parameter(CKORAdsLispVar& a, CKORAdsLispVar& b, CKORAdsLispVar& c, CKORAdsLispVar& d,
                          CKORAdsLispVar& e, CKORAdsLispVar& f);
    // All arguments of the current call.
    static std::vector<CKORAdsLispVar> Arguments();

    static datatype_t Type(const CKORAdsLispVar& v);
    static bool StringP(const CKORAdsLispVar& v);
    static bool NumberP(const CKORAdsLispVar& v);  // integer or real
    static bool IntP(const CKORAdsLispVar& v);
    static bool RealP(const CKORAdsLispVar& v);
    static bool ListP(const CKORAdsLispVar& v);    // a non-empty proper list (nil is no list)

    static int Length(const CKORAdsLispVar& v);
    static CKORAdsLispVar Nth(int index, const CKORAdsLispVar& list);  // nil when out of range
    static CKORAdsLispVar Car(const CKORAdsLispVar& list);
    static CKORAdsLispVar List(const CKORAdsLispVar& a);
    static CKORAdsLispVar List(const CKORAdsLispVar& a, const CKORAdsLispVar& b);
    static CKORAdsLispVar Append(const CKORAdsLispVar& a, const CKORAdsLispVar& b);
    static CKORConsProxy Cons(const CKORAdsLispVar& a, const CKORAdsLispVar& b);

    static CKORAdsLispVar SetQ(short& target, const CKORAdsLispVar& v);
    static CKORAdsLispVar SetQ(int& target, const CKORAdsLispVar& v);
    static CKORAdsLispVar SetQ(double& target, const CKORAdsLispVar& v);
    static CKORAdsLispVar SetQ(const wchar_t*& target, const CKORAdsLispVar& v);
    static CKORAdsLispVar SetQ(CKORAdsLispVar& target, const CKORAdsLispVar& v);
    static CKORAdsLispVar SetQ(wchar_t* buffer, const CKORAdsLispVar& v, int count);

    // Makes v the result of the current call.
    static bool Return(const CKORAdsLispVar& v);

    // Conversions between values and result-buffer chains (one value per chain).
    static struct resbuf* ToResbuf(const CKORAdsLispVar& v);  // caller frees with acutRelRb
    static CKORAdsLispVar FromResbuf(const struct resbuf* rb);
};
