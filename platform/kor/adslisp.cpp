// The LISP value library: values, the current call's arguments and results.
#include "kor/adslisp.h"

#include "ads/adslib.h"
#include "text/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <limits>

const CKORAdsLispVar CKORAdsLisp::Nil;

CKORConsProxy::CKORConsProxy(const CKORAdsLispVar& car, const CKORAdsLispVar& cdr)
    : m_car(std::make_shared<const CKORAdsLispVar>(car)), m_cdr(std::make_shared<const CKORAdsLispVar>(cdr))
{
}

CKORAdsLispVar::CKORAdsLispVar(int value) : m_kind(Kind::Long), m_long(value) {}
CKORAdsLispVar::CKORAdsLispVar(short value) : m_kind(Kind::Short), m_long(value) {}
CKORAdsLispVar::CKORAdsLispVar(unsigned long value)
    : m_kind(Kind::Long), m_long(static_cast<int32_t>(static_cast<uint32_t>(value)))
{
}
CKORAdsLispVar::CKORAdsLispVar(double value) : m_kind(Kind::Real), m_real(value) {}
CKORAdsLispVar::CKORAdsLispVar(const wchar_t* text)
{
    if (text) {
        m_kind = Kind::String;
        m_text = text;
    }
}
CKORAdsLispVar::CKORAdsLispVar(const CString& text) : m_kind(Kind::String), m_text(text.str()) {}

CKORAdsLispVar::CKORAdsLispVar(const CKORConsProxy& pair) : m_kind(Kind::Dotted)
{
    m_items = {pair.car(), pair.cdr()};
}

CKORAdsLispVar CKORAdsLispVar::T()
{
    CKORAdsLispVar v;
    v.m_kind = Kind::T;
    return v;
}

CKORAdsLispVar CKORAdsLispVar::EName(int64_t a, int64_t b)
{
    CKORAdsLispVar v;
    v.m_kind = Kind::EName;
    v.m_ename[0] = a;
    v.m_ename[1] = b;
    return v;
}

CKORAdsLispVar CKORAdsLispVar::FromList(std::vector<CKORAdsLispVar> elements)
{
    CKORAdsLispVar v;
    if (!elements.empty()) {
        v.m_kind = Kind::List;
        v.m_items = std::move(elements);
    }
    return v;
}

int CKORAdsLispVar::Length() const
{
    return m_kind == Kind::List ? static_cast<int>(m_items.size()) : 0;
}

CKORAdsLispVar& CKORAdsLispVar::Append(const CKORAdsLispVar& other)
{
    if (m_kind != Kind::List) {
        CKORAdsLispVar old = *this;
        *this = CKORAdsLispVar();
        m_kind = Kind::List;
        if (old.m_kind != Kind::Nil)
            m_items.push_back(std::move(old));
    }
    if (other.m_kind == Kind::List)
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    else if (other.m_kind != Kind::Nil)
        m_items.push_back(other);
    if (m_items.empty())
        m_kind = Kind::Nil;
    return *this;
}

long CKORAdsLispVar::asLong() const
{
    return (m_kind == Kind::Short || m_kind == Kind::Long) ? m_long : 0;
}

double CKORAdsLispVar::asReal() const
{
    if (m_kind == Kind::Real)
        return m_real;
    return static_cast<double>(asLong());
}

namespace {

std::wstring quoted(const std::wstring& text)
{
    std::wstring s = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\')
            s += L'\\';
        s += c;
    }
    return s + L"\"";
}

}  // namespace

std::wstring CKORAdsLispVar::ToString() const
{
    switch (m_kind) {
    case Kind::Nil:
        return L"nil";
    case Kind::T:
        return L"T";
    case Kind::Short:
    case Kind::Long:
        return std::to_wstring(m_long);
    case Kind::Real:
        return kortext::formatRealWide(m_real);
    case Kind::String:
        return quoted(m_text);
    case Kind::EName:
        return L"<Entity name: " + std::to_wstring(m_ename[0]) + L">";
    case Kind::Dotted:
        return L"(" + m_items[0].ToString() + L" . " + m_items[1].ToString() + L")";
    case Kind::List: {
        std::wstring s = L"(";
        for (size_t i = 0; i < m_items.size(); ++i)
            s += (i ? L" " : L"") + m_items[i].ToString();
        return s + L")";
    }
    }
    return L"";
}

bool operator==(const CKORAdsLispVar& a, const CKORAdsLispVar& b)
{
    using K = CKORAdsLispVar::Kind;
    bool aInt = a.m_kind == K::Short || a.m_kind == K::Long;
    bool bInt = b.m_kind == K::Short || b.m_kind == K::Long;
    if (aInt && bInt)
        return a.m_long == b.m_long;
    if (a.m_kind != b.m_kind)
        return false;
    switch (a.m_kind) {
    case K::Real:
        return a.m_real == b.m_real;
    case K::String:
        return a.m_text == b.m_text;
    case K::EName:
        return a.m_ename[0] == b.m_ename[0] && a.m_ename[1] == b.m_ename[1];
    case K::List:
    case K::Dotted:
        return a.m_items == b.m_items;
    default:
        return true;
    }
}

// ---- arguments and results ---------------------------------------------------------------

namespace {

// A list nested deeper than this is refused (see adslisp.h). Reading, copying, comparing and
// freeing a value all recurse once per level; this many levels stay far inside any stack.
constexpr int kMaxNesting = CKORAdsLisp::MaxNesting;

struct TooDeep {};

// Reads one value starting at rb; leaves rb on the buffer after it. depth counts the lists
// around it.
CKORAdsLispVar readValue(const resbuf*& rb, int depth);

CKORAdsLispVar readList(const resbuf*& rb, int depth)
{
    if (depth > kMaxNesting)
        throw TooDeep();
    // rb is just past RTLB.
    std::vector<CKORAdsLispVar> items;
    while (rb && rb->restype != RTLE) {
        if (rb->restype == RTDOTE) {
            rb = rb->rbnext;
            CKORAdsLispVar cdr = readValue(rb, depth);
            if (rb && rb->restype == RTLE)
                rb = rb->rbnext;
            if (items.size() == 1)
                return CKORAdsLispVar(CKORAdsLisp::Cons(items[0], cdr));
            // (a b . c): keep the elements; a dotted tail beyond a pair is folded into a pair.
            CKORAdsLispVar tail(CKORAdsLisp::Cons(items.back(), cdr));
            items.back() = tail;
            return CKORAdsLispVar::FromList(std::move(items));
        }
        items.push_back(readValue(rb, depth));
    }
    if (rb)
        rb = rb->rbnext;  // RTLE
    return CKORAdsLispVar::FromList(std::move(items));
}

CKORAdsLispVar readValue(const resbuf*& rb, int depth)
{
    if (!rb)
        return CKORAdsLispVar();
    const resbuf* cur = rb;
    rb = rb->rbnext;
    switch (cur->restype) {
    case RTSHORT:
        return CKORAdsLispVar(cur->resval.rint);
    case RTLONG:
        return CKORAdsLispVar(static_cast<int>(cur->resval.rlong));
    case RTREAL:
    case RTANG:
    case RTORINT:
        return CKORAdsLispVar(cur->resval.rreal);
    case RTSTR:
        return CKORAdsLispVar(cur->resval.rstring ? cur->resval.rstring : L"");
    case RTPOINT:
        return CKORAdsLisp::List(cur->resval.rpoint[0], cur->resval.rpoint[1]);
    case RT3DPOINT: {
        CKORAdsLispVar p = CKORAdsLisp::List(cur->resval.rpoint[0], cur->resval.rpoint[1]);
        return p.Append(CKORAdsLisp::List(cur->resval.rpoint[2]));
    }
    case RTENAME:
    case RTPICKS:
        return CKORAdsLispVar::EName(cur->resval.rlname[0], cur->resval.rlname[1]);
    case RTT:
        return CKORAdsLispVar::T();
    case RTLB:
        return readList(rb, depth + 1);
    default:  // RTNIL, RTVOID, RTNONE and anything unknown read as nil
        return CKORAdsLispVar();
    }
}

// Moves rb past the value that starts there, without building it.
void skipValue(const resbuf*& rb)
{
    long open = 0;
    do {
        if (rb->restype == RTLB)
            ++open;
        else if (rb->restype == RTLE)
            --open;
        rb = rb->rbnext;
    } while (rb && open > 0);
}

// One whole value (argument number `position`, 0 for a lone value): a value nested too deep
// reads as nil, and says so.
CKORAdsLispVar readTopValue(const resbuf*& rb, int position)
{
    const resbuf* start = rb;
    try {
        return readValue(rb, 0);
    } catch (const TooDeep&) {
        rb = start;
        skipValue(rb);
        std::string which = position > 0 ? "argument " + std::to_string(position) : "a value";
        std::fprintf(stderr, "korlib: %s is a list nested deeper than %d levels; it reads as nil\n",
                     which.c_str(), kMaxNesting);
        return CKORAdsLispVar();
    }
}

void writeElements(resbuf**& tail, const CKORAdsLispVar& v);

void appendRb(resbuf**& tail, resbuf* rb)
{
    *tail = rb;
    tail = &rb->rbnext;
}

void writeValue(resbuf**& tail, const CKORAdsLispVar& v)
{
    using K = CKORAdsLispVar::Kind;
    resbuf* rb = nullptr;
    switch (v.kind()) {
    case K::Nil:
        appendRb(tail, acutNewRb(RTNIL));
        return;
    case K::T:
        appendRb(tail, acutNewRb(RTT));
        return;
    case K::Short:
        rb = acutNewRb(RTSHORT);
        rb->resval.rint = static_cast<short>(v.asLong());
        break;
    case K::Long:
        rb = acutNewRb(RTLONG);
        rb->resval.rlong = static_cast<int32_t>(v.asLong());
        break;
    case K::Real:
        rb = acutNewRb(RTREAL);
        rb->resval.rreal = v.asReal();
        break;
    case K::String:
        // In the chain before its text is copied: a copy that fails is released with the chain.
        rb = acutNewRb(RTSTR);
        rb->resval.rstring = nullptr;
        appendRb(tail, rb);
        rb->resval.rstring = acutNewString(v.text().c_str());
        return;
    case K::EName:
        rb = acutNewRb(RTENAME);
        rb->resval.rlname[0] = v.ename()[0];
        rb->resval.rlname[1] = v.ename()[1];
        break;
    case K::List:
    case K::Dotted:
        appendRb(tail, acutNewRb(RTLB));
        writeElements(tail, v);
        appendRb(tail, acutNewRb(RTLE));
        return;
    }
    appendRb(tail, rb);
}

// The inside of a list or dotted pair, without RTLB and RTLE.
void writeElements(resbuf**& tail, const CKORAdsLispVar& v)
{
    if (v.kind() == CKORAdsLispVar::Kind::Dotted) {
        writeValue(tail, v.elements()[0]);
        appendRb(tail, acutNewRb(RTDOTE));
        writeValue(tail, v.elements()[1]);
        return;
    }
    for (const auto& e : v.elements())
        writeValue(tail, e);
}

template <typename Int>
Int toInteger(const CKORAdsLispVar& v, Int old)
{
    if (CKORAdsLisp::IntP(v))
        return static_cast<Int>(std::clamp<long>(v.asLong(), std::numeric_limits<Int>::min(),
                                                 std::numeric_limits<Int>::max()));
    if (CKORAdsLisp::RealP(v)) {
        double r = std::trunc(v.asReal());
        if (std::isnan(r))
            return old;
        if (r <= std::numeric_limits<Int>::min())
            return std::numeric_limits<Int>::min();
        if (r >= std::numeric_limits<Int>::max())
            return std::numeric_limits<Int>::max();
        return static_cast<Int>(r);
    }
    return old;
}

}  // namespace

CKORAdsLispVar CKORAdsLisp::FromResbuf(const resbuf* rb) { return readTopValue(rb, 0); }

resbuf* CKORAdsLisp::ToResbuf(const CKORAdsLispVar& v)
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    try {
        writeValue(tail, v);
    } catch (...) {
        // Out of memory half-way: nothing of the chain is left behind.
        *tail = nullptr;
        acutRelRb(head);
        throw;
    }
    return head;
}

std::vector<CKORAdsLispVar> CKORAdsLisp::Arguments()
{
    std::vector<CKORAdsLispVar> out;
    for (const resbuf* rb = acedGetArgs(); rb;)
        out.push_back(readTopValue(rb, static_cast<int>(out.size()) + 1));
    return out;
}

namespace {

bool fill(std::initializer_list<CKORAdsLispVar*> targets)
{
    if (acedGetFunCode() == RTERROR)
        return false;
    std::vector<CKORAdsLispVar> args = CKORAdsLisp::Arguments();
    size_t i = 0;
    for (CKORAdsLispVar* t : targets) {
        *t = i < args.size() ? std::move(args[i]) : CKORAdsLispVar();  // a long list is not copied
        ++i;
    }
    return true;
}

}  // namespace

bool CKORAdsLisp::Parameter(CKORAdsLispVar& a) { return fill({&a}); }
bool CKORAdsLisp::Parameter(CKORAdsLispVar& a, CKORAdsLispVar& b, CKORAdsLispVar& c, CKORAdsLispVar& d)
{
    return fill({&a, &b, &c, &d});
}
bool CKORAdsLisp::Parameter(CKORAdsLispVar& a, CKORAdsLispVar& b, CKORAdsLispVar& c, CKORAdsLispVar& d,
                            CKORAdsLispVar& e, CKORAdsLispVar& f)
{
    return fill({&a, &b, &c, &d, &e, &f});
}

datatype_t CKORAdsLisp::Type(const CKORAdsLispVar& v)
{
    using K = CKORAdsLispVar::Kind;
    switch (v.kind()) {
    case K::Real:
        return LISP_REAL;
    case K::Short:
    case K::Long:
        return LISP_INT;
    case K::String:
        return LISP_STRING;
    case K::List:
        return LISP_LIST;
    case K::Dotted:
        return LISP_DOTTED;
    case K::T:
        return LISP_T;
    case K::EName:
        return LISP_ENAME;
    case K::Nil:
        break;
    }
    return LISP_NIL;
}

bool CKORAdsLisp::StringP(const CKORAdsLispVar& v) { return Type(v) == LISP_STRING; }
bool CKORAdsLisp::IntP(const CKORAdsLispVar& v) { return Type(v) == LISP_INT; }
bool CKORAdsLisp::RealP(const CKORAdsLispVar& v) { return Type(v) == LISP_REAL; }
bool CKORAdsLisp::NumberP(const CKORAdsLispVar& v) { return IntP(v) || RealP(v); }
bool CKORAdsLisp::ListP(const CKORAdsLispVar& v) { return Type(v) == LISP_LIST; }

int CKORAdsLisp::Length(const CKORAdsLispVar& v) { return v.Length(); }

CKORAdsLispVar CKORAdsLisp::Nth(int index, const CKORAdsLispVar& list)
{
    if (!ListP(list) || index < 0 || index >= list.Length())
        return CKORAdsLispVar();
    return list.elements()[index];
}

CKORAdsLispVar CKORAdsLisp::Car(const CKORAdsLispVar& list)
{
    if (list.kind() == CKORAdsLispVar::Kind::Dotted)
        return list.elements()[0];
    return Nth(0, list);
}

CKORAdsLispVar CKORAdsLisp::List(const CKORAdsLispVar& a) { return CKORAdsLispVar::FromList({a}); }

CKORAdsLispVar CKORAdsLisp::List(const CKORAdsLispVar& a, const CKORAdsLispVar& b)
{
    return CKORAdsLispVar::FromList({a, b});
}

CKORAdsLispVar CKORAdsLisp::Append(const CKORAdsLispVar& a, const CKORAdsLispVar& b)
{
    CKORAdsLispVar out = a;
    out.Append(b);
    return out;
}

CKORConsProxy CKORAdsLisp::Cons(const CKORAdsLispVar& a, const CKORAdsLispVar& b)
{
    return CKORConsProxy(a, b);
}

CKORAdsLispVar CKORAdsLisp::SetQ(short& target, const CKORAdsLispVar& v)
{
    target = toInteger<short>(v, target);
    return NumberP(v) ? CKORAdsLispVar(target) : CKORAdsLispVar();
}

CKORAdsLispVar CKORAdsLisp::SetQ(int& target, const CKORAdsLispVar& v)
{
    target = toInteger<int>(v, target);
    return NumberP(v) ? CKORAdsLispVar(target) : CKORAdsLispVar();
}

CKORAdsLispVar CKORAdsLisp::SetQ(double& target, const CKORAdsLispVar& v)
{
    if (!NumberP(v))
        return CKORAdsLispVar();
    target = v.asReal();
    return CKORAdsLispVar(target);
}

CKORAdsLispVar CKORAdsLisp::SetQ(const wchar_t*& target, const CKORAdsLispVar& v)
{
    if (!StringP(v))
        return CKORAdsLispVar();
    target = v.text().c_str();
    return v;
}

CKORAdsLispVar CKORAdsLisp::SetQ(CKORAdsLispVar& target, const CKORAdsLispVar& v)
{
    target = v;
    return v;
}

CKORAdsLispVar CKORAdsLisp::SetQ(wchar_t* buffer, const CKORAdsLispVar& v, int count)
{
    if (!buffer || count <= 0 || !StringP(v))
        return CKORAdsLispVar();
    size_t n = std::min(v.text().size(), static_cast<size_t>(count - 1));
    std::wmemcpy(buffer, v.text().data(), n);
    buffer[n] = 0;
    return CKORAdsLispVar(buffer);
}

bool CKORAdsLisp::Return(const CKORAdsLispVar& v)
{
    using K = CKORAdsLispVar::Kind;
    resbuf* rb = nullptr;
    resbuf** tail = &rb;
    // The chain is released however this ends, also when memory runs out half-way.
    struct Release {
        resbuf*& chain;
        ~Release() { acutRelRb(chain); }
    } release{rb};
    int rc;
    if (v.kind() == K::List || v.kind() == K::Dotted) {
        // A list goes over as its elements; the host makes the list of them.
        writeElements(tail, v);
        rc = acedRetList(rb);
    } else {
        writeValue(tail, v);
        rc = acedRetVal(rb);
    }
    return rc == RTNORM;
}
