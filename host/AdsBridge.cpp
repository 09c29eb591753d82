#include "AdsBridge.h"

#include "lisp/Printer.h"

#include "mfc/afx.h"

#include <climits>
#include <utility>
#include <vector>

namespace korcad {

using lisp::Value;

std::string adsRequestError(const std::string& functionName)
{
    return "ADS request error: " + functionName;
}

namespace {

// Appends to a chain under construction.
class ChainBuilder {
public:
    resbuf* add(int type)
    {
        resbuf* rb = acutNewRb(type);
        *tail_ = rb;
        tail_ = &rb->rbnext;
        return rb;
    }
    ads::RbPtr take()
    {
        tail_ = nullptr;
        return ads::RbPtr(std::exchange(head_, nullptr));
    }
    ~ChainBuilder() { acutRelRb(head_); }

private:
    resbuf* head_ = nullptr;
    resbuf** tail_ = &head_;
};

void append(ChainBuilder& chain, const Value& v)
{
    switch (v.tag()) {
    case lisp::Tag::Nil:
        chain.add(RTNIL);
        return;
    case lisp::Tag::Int: {
        int32_t i = v.asInt();
        if (i >= SHRT_MIN && i <= SHRT_MAX)
            chain.add(RTSHORT)->resval.rint = static_cast<short>(i);
        else
            chain.add(RTLONG)->resval.rlong = i;
        return;
    }
    case lisp::Tag::Real:
        chain.add(RTREAL)->resval.rreal = v.asReal();
        return;
    case lisp::Tag::Str:
        chain.add(RTSTR)->resval.rstring = acutNewString(AfxFromUtf8(v.str()).c_str());
        return;
    case lisp::Tag::Sym:
        if (v.sym()->name == "T") {
            chain.add(RTT);
            return;
        }
        break;
    case lisp::Tag::Ename: {
        resbuf* rb = chain.add(RTENAME);
        rb->resval.rlname[0] = v.as<lisp::Ename>()->id[0];
        rb->resval.rlname[1] = v.as<lisp::Ename>()->id[1];
        return;
    }
    case lisp::Tag::Cons: {
        lisp::checkStack();
        chain.add(RTLB);
        const Value* p = &v;
        for (; p->isCons(); p = &p->consCell()->cdr)
            append(chain, p->consCell()->car);
        if (!p->isNil()) {
            chain.add(RTDOTE);
            append(chain, *p);
        }
        chain.add(RTLE);
        return;
    }
    default:
        break;
    }
    // Symbols other than T and function objects have no result-buffer form.
    lisp::badArgType("ads value", v);
}

[[noreturn]] void malformed(const char* what)
{
    lisp::fail(std::string("malformed value from application: ") + what);
}

Value atom(lisp::Interpreter& lisp, const resbuf* rb)
{
    switch (rb->restype) {
    case RTSHORT:
        return Value::integer(rb->resval.rint);
    case RTLONG:
        return Value::integer(rb->resval.rlong);
    case RTREAL:
    case RTANG:
    case RTORINT:
        return Value::real(rb->resval.rreal);
    case RTSTR:
        return Value::string(AfxToUtf8(rb->resval.rstring));
    case RTNIL:
    case RTVOID:
    case RTNONE:
        return Value();
    case RTT:
        return lisp.t();
    case RTENAME:
        return Value(new lisp::Ename(rb->resval.rlname[0], rb->resval.rlname[1]));
    case RTPOINT:
        return lisp::list({Value::real(rb->resval.rpoint[0]), Value::real(rb->resval.rpoint[1])});
    case RT3DPOINT:
        return lisp::list({Value::real(rb->resval.rpoint[0]), Value::real(rb->resval.rpoint[1]),
                           Value::real(rb->resval.rpoint[2])});
    default:
        lisp::fail("unknown result type from application: " + std::to_string(rb->restype));
    }
}

}  // namespace

ads::RbPtr toResbufChain(const lisp::Args& args)
{
    ChainBuilder chain;
    for (const Value& v : args)
        append(chain, v);
    return chain.take();
}

Value fromResbuf(lisp::Interpreter& lisp, const resbuf* rb)
{
    // Lists are read with a stack of open lists, so nesting costs no C++ stack.
    struct Open {
        lisp::ListBuilder items;
        bool dotted = false;    // RTDOTE seen: the next value is the tail
        bool complete = false;  // the tail is set: only RTLE may follow
    };
    std::vector<Open> open;
    for (; rb; rb = rb->rbnext) {
        Value v;
        switch (rb->restype) {
        case RTLB:
            open.emplace_back();
            continue;
        case RTDOTE:
            if (open.empty() || open.back().items.empty() || open.back().dotted)
                malformed("misplaced RTDOTE");
            open.back().dotted = true;
            continue;
        case RTLE:
            if (open.empty())
                malformed("RTLE without RTLB");
            if (open.back().dotted && !open.back().complete)
                malformed("RTDOTE without a value");
            v = open.back().items.take();
            open.pop_back();
            break;
        default:
            v = atom(lisp, rb);
        }
        if (open.empty())
            return v;  // one value: whatever follows it is not part of the answer
        Open& o = open.back();
        if (o.complete)
            malformed("value after the tail of a dotted pair");
        if (o.dotted) {
            o.items.setTail(std::move(v));
            o.complete = true;
        } else {
            o.items.push(std::move(v));
        }
    }
    if (!open.empty())
        malformed("RTLB without RTLE");
    return Value();
}

bool AdsFunctions::isDefined(const lisp::Symbol& sym)
{
    return !sym.name.empty() && host_.isDefined(AfxFromUtf8(sym.name));
}

namespace {

// The name as the application defined it, for messages ("korDialog_FragBox").
std::string definedName(const CadHost& host, const lisp::Symbol& sym)
{
    std::wstring wanted = AfxFromUtf8(sym.name);
    for (const auto& f : host.definedFunctions())
        if (CString(f.name.c_str()).CompareNoCase(wanted.c_str()) == 0)
            return AfxToUtf8(f.name.c_str());
    return sym.name;
}

}  // namespace

Value AdsFunctions::call(lisp::Interpreter& lisp, const lisp::Symbol& sym, const lisp::Args& args)
{
    ads::RbPtr chain = toResbufChain(args);
    CallResult r = host_.invoke(AfxFromUtf8(sym.name), chain.get());
    if (!r.found)
        lisp::fail("no function definition: " + sym.name);
    bool voidOnly = !r.value || (r.value->restype == RTVOID && !r.value->rbnext);
    if (r.hasValue && !voidOnly)
        return fromResbuf(lisp, r.value.get());
    if (r.status == RSERR)
        lisp::fail(adsRequestError(definedName(host_, sym)));
    return Value();
}

}  // namespace korcad
