#include "cad/AdsBridge.h"

#include "lisp/Printer.h"

#include "text/text.h"

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

using ads::ChainBuilder;

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
        chain.add(RTSTR)->resval.rstring = acutNewString(kortext::toWide(v.str()).c_str());
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
    case lisp::Tag::Pickset: {
        resbuf* rb = chain.add(RTPICKS);
        rb->resval.rlname[0] = v.as<lisp::Pickset>()->id[0];
        rb->resval.rlname[1] = v.as<lisp::Pickset>()->id[1];
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
        return Value::string(kortext::fromWide(rb->resval.rstring ? rb->resval.rstring : L""));
    case RTNIL:
    case RTVOID:
    case RTNONE:
        return Value();
    case RTT:
        return lisp.t();
    case RTENAME:
        return Value(new lisp::Ename(rb->resval.rlname[0], rb->resval.rlname[1]));
    case RTPICKS:
        return picksetValue(rb->resval.rlname);
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

bool isGroupCode(int type) { return (type < 5000 && ads::groupKind(type) != ads::GroupKind::None) || type == -3; }

Value picksetValue(const int64_t id[2])
{
    // The set lives in the host until LISP lets go of it.
    return Value(new lisp::Pickset(id[0], id[1], [](const int64_t* set) {
        ads_name n = {set[0], set[1]};
        acedSSFree(n);
    }));
}

namespace {

Value groupValue(lisp::Interpreter& lisp, const resbuf* rb, bool twoD)
{
    Value code = Value::integer(rb->restype);
    switch (ads::groupKind(rb->restype)) {
    case ads::GroupKind::Text:
        return Value::cons(code, Value::string(kortext::fromWide(rb->resval.rstring ? rb->resval.rstring : L"")));
    case ads::GroupKind::Real:
    case ads::GroupKind::Int64:
        return Value::cons(code, Value::real(rb->resval.rreal));
    case ads::GroupKind::Int16:
        return Value::cons(code, Value::integer(rb->resval.rint));
    case ads::GroupKind::Int32:
        return Value::cons(code, Value::integer(rb->resval.rlong));
    case ads::GroupKind::Point: {
        lisp::ListBuilder p;
        p.push(code);
        for (int k = 0; k < (twoD ? 2 : 3); ++k)
            p.push(Value::real(rb->resval.rpoint[k]));
        return p.take();
    }
    case ads::GroupKind::Name:
        return Value::cons(code, Value(new lisp::Ename(rb->resval.rlname[0], rb->resval.rlname[1])));
    case ads::GroupKind::None:
        break;
    }
    (void)lisp;
    lisp::fail("unknown group code from application: " + std::to_string(rb->restype));
}

}  // namespace

Value groupsToLisp(lisp::Interpreter& lisp, const resbuf* chain)
{
    lisp::ListBuilder out;
    bool lwpolyline = false;
    for (const resbuf* rb = chain; rb; rb = rb->rbnext) {
        if (rb->restype == -3) {
            // (-3 ("APP" groups...) ...)
            lisp::ListBuilder apps;
            lisp::ListBuilder app;
            bool any = false;
            for (const resbuf* x = rb->rbnext; x; x = x->rbnext) {
                if (x->restype == 1001) {
                    if (any)
                        apps.push(app.take());
                    app = lisp::ListBuilder();
                    app.push(Value::string(kortext::fromWide(x->resval.rstring ? x->resval.rstring : L"")));
                    any = true;
                } else if (any) {
                    app.push(groupValue(lisp, x, false));
                }
            }
            if (any)
                apps.push(app.take());
            out.push(Value::cons(Value::integer(-3), apps.take()));
            break;
        }
        if (!isGroupCode(rb->restype))
            lisp::fail("malformed value from application: type " + std::to_string(rb->restype) + " among DXF groups");
        if (rb->restype == 0 && rb->resval.rstring)
            lwpolyline = std::wstring(rb->resval.rstring) == L"LWPOLYLINE";
        // A lightweight polyline's vertices are 2D points, as AutoLISP gives them.
        out.push(groupValue(lisp, rb, lwpolyline && rb->restype == 10));
    }
    return out.take();
}

namespace {

[[noreturn]] void badGroup(const Value& v) { lisp::fail("bad DXF group: " + lisp::toString(v, true)); }

void addGroup(ChainBuilder& chain, const Value& g, bool extended)
{
    if (!g.isCons() || !car(g).isInt())
        badGroup(g);
    int code = car(g).asInt();
    const Value& v = cdr(g);
    if (extended && (code < 1000 || code > 1071))
        badGroup(g);
    switch (ads::groupKind(code)) {
    case ads::GroupKind::Text:
        if (!v.isStr())
            badGroup(g);
        chain.addText(code, kortext::toWide(v.str()));
        return;
    case ads::GroupKind::Real:
    case ads::GroupKind::Int64:
        if (!v.isNumber())
            badGroup(g);
        chain.add(code)->resval.rreal = v.asDouble();
        return;
    case ads::GroupKind::Int16:
        if (!v.isInt() || v.asInt() < -32768 || v.asInt() > 32767)
            badGroup(g);
        chain.add(code)->resval.rint = static_cast<short>(v.asInt());
        return;
    case ads::GroupKind::Int32:
        if (!v.isInt())
            badGroup(g);
        chain.add(code)->resval.rlong = v.asInt();
        return;
    case ads::GroupKind::Point: {
        double p[3] = {0, 0, 0};
        int n = 0;
        for (const Value* c = &v; c->isCons(); c = &c->consCell()->cdr) {
            if (n == 3 || !car(*c).isNumber())
                badGroup(g);
            p[n++] = car(*c).asDouble();
        }
        if (n < 2)
            badGroup(g);
        resbuf* rb = chain.add(code);
        std::copy(p, p + 3, rb->resval.rpoint);
        return;
    }
    case ads::GroupKind::Name:
        if (v.tag() != lisp::Tag::Ename)
            badGroup(g);
        {
            resbuf* rb = chain.add(code);
            rb->resval.rlname[0] = v.as<lisp::Ename>()->id[0];
            rb->resval.rlname[1] = v.as<lisp::Ename>()->id[1];
        }
        return;
    case ads::GroupKind::None:
        break;
    }
    badGroup(g);
}

}  // namespace

ads::RbPtr groupsFromLisp(const Value& list)
{
    ChainBuilder chain;
    if (!list.isList())
        lisp::badArgType("listp", list);
    for (const Value* p = &list; p->isCons(); p = &p->consCell()->cdr) {
        const Value& g = p->consCell()->car;
        if (g.isCons() && car(g).isInt() && car(g).asInt() == -3) {
            chain.add(-3);
            for (const Value* a = &cdr(g); a->isCons(); a = &a->consCell()->cdr) {
                const Value& app = a->consCell()->car;
                if (!app.isCons() || !car(app).isStr())
                    badGroup(g);
                chain.addText(1001, kortext::toWide(car(app).str()));
                for (const Value* x = &cdr(app); x->isCons(); x = &x->consCell()->cdr)
                    addGroup(chain, x->consCell()->car, true);
            }
            continue;
        }
        addGroup(chain, g, false);
    }
    return chain.take();
}

ads::RbPtr toResbufChain(const lisp::Args& args)
{
    ChainBuilder chain;
    for (const Value& v : args)
        append(chain, v);
    return chain.take();
}

Value fromResbuf(lisp::Interpreter& lisp, const resbuf* rb)
{
    // Entity data handed over as it came from acdbEntGet: a list of groups.
    if (rb && isGroupCode(rb->restype))
        return groupsToLisp(lisp, rb);
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
    return !sym.name.empty() && host_.isDefined(kortext::toWide(sym.name));
}

namespace {

// The name as the application defined it, for messages ("korDialog_FragBox").
std::string definedName(const CadHost& host, const lisp::Symbol& sym)
{
    std::wstring wanted = kortext::toWide(sym.name);
    for (const auto& f : host.definedFunctions())
        if (kortext::equalNoCase(f.name, wanted))
            return kortext::fromWide(f.name.c_str());
    return sym.name;
}

}  // namespace

Value AdsFunctions::call(lisp::Interpreter& lisp, const lisp::Symbol& sym, const lisp::Args& args)
{
    ads::RbPtr chain = toResbufChain(args);
    CallResult r = host_.invoke(kortext::toWide(sym.name), chain.get());
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
