// The LISP functions over the drawing: symbol tables, entities, extended data and selection
// sets. They go through the same ads::Host calls an application's acdb... and acedSS... calls
// reach, so LISP and applications see one drawing.
//
//   (tblnext table [rewind])   (tblsearch table name [setnext])
//   (entnext [ename])  (entlast)  (handent handle)  (entsel [prompt])  (nentsel [prompt]): the
//   part of a block picked, with the block's matrix and the insert (one level of nesting)
//   (entget ename [applist])   (entmod list)   (entmake list)   (entdel ename)   (regapp name)
//   (ssget ["X"|"L"|"P"|"W" p1 p2|"C" p1 p2] [filter]) — without a mode the user selects
//   (sslength ss)  (ssname ss index)
//   (ssadd [ename [ss]])  (ssdel ename ss)  (ssmemb ename ss)
//   (xdroom ename)  (xdsize list): the room left for extended data and what a list takes
// entsel and handent leave ERRNO 7 (nothing at the pick), 52 (no pick) and 13 (no such handle).
#include "cad/EntityFunctions.h"

#include "cad/AdsBridge.h"
#include "cad/CadHost.h"

#include "lisp/Args.h"

#include "text/text.h"

#include <cmath>
#include <cstdlib>

namespace korcad {

using lisp::Value;

namespace {

const int64_t* enameArg(const Value& v)
{
    if (v.tag() != lisp::Tag::Ename)
        lisp::badArgType("lentityp", v);
    return v.as<lisp::Ename>()->id;
}

const int64_t* picksetArg(const Value& v)
{
    if (v.tag() != lisp::Tag::Pickset)
        lisp::badArgType("lselsetp", v);
    return v.as<lisp::Pickset>()->id;
}

Value enameValue(const ads_name n) { return Value(new lisp::Ename(n[0], n[1])); }

// A chain the host handed over, as LISP's list of groups; nil for none.
Value groups(lisp::Interpreter& lisp, resbuf* chain)
{
    ads::RbPtr owned(chain);
    return chain ? groupsToLisp(lisp, chain) : Value();
}

std::wstring wide(const Value& v) { return kortext::toWide(lisp::strArg(v)); }

double number(std::string_view text) { return std::strtod(std::string(text).c_str(), nullptr); }

// ERRNO's codes for what failed.
constexpr int kPickFailed = 7, kInvalidHandle = 13, kNullResponse = 52;

// Asks for an entity as entsel and nentsel do. False with `instead` set to what they answer
// when nothing was picked: a keyword's text, or nil with ERRNO set (Escape raises the error).
bool askEntity(CadHost& host, lisp::Interpreter& l, const lisp::Args& a, ads::InputAnswer& answer, Value& instead)
{
    ads::InputRequest r;
    r.kind = ads::InputKind::Entity;
    r.prompt = a.has(0) && !a[0].isNil() ? wide(a[0]) : std::wstring(L"Objekt wählen: ");
    int rc = host.getInput(r, answer);
    if (rc == RTCAN)
        lisp::fail(lisp::kCancelledMessage);
    if (rc == RTKWORD) {
        instead = Value::string(kortext::fromWide(answer.text.c_str()));
        return false;
    }
    if (rc != RTNORM) {
        l.setErrorNumber(rc == RTNONE ? kNullResponse : kPickFailed);
        return false;
    }
    return true;
}

// nentsel's answer for a pick: (ename point) for an entity of its own or an attribute; for
// a part of a block (ename point matrix (insert)) with the matrix from the block's
// coordinates to the world's (rows: the images of X, Y and Z, then the offset).
Value nestedPick(CadHost& host, const ads::InputAnswer& answer)
{
    Value point = lisp::list({Value::real(answer.point[0]), Value::real(answer.point[1]), Value::real(answer.point[2])});
    Value picked = enameValue(answer.entity);
    Drawing* d = host.drawing(host.currentDrawing());
    const Drawing::Record* insert = d ? d->record(EntityName{answer.entity[0], answer.entity[1]}) : nullptr;
    uint32_t part = host.partAt(answer.point);
    if (!insert || !part || part == insert->id)
        return lisp::list({picked, point});
    EntityName partName = d->nameOf(part);
    Value partValue(new lisp::Ename(partName.id, partName.serial));
    auto partTags = d->tags(*d->record(partName));
    if (!partTags.empty() && kortext::trim(partTags[0].value()) == "ATTRIB")
        return lisp::list({partValue, point});
    double at[3] = {0, 0, 0}, scale[3] = {1, 1, 1}, rotation = 0, base[3] = {0, 0, 0};
    std::wstring block;
    for (const dxf::Tag& g : d->tags(*insert)) {
        if (g.code == 10 || g.code == 20 || g.code == 30)
            at[g.code / 10 - 1] = number(g.value());
        else if (g.code >= 41 && g.code <= 43)
            scale[g.code - 41] = number(g.value());
        else if (g.code == 50)
            rotation = number(g.value()) * M_PI / 180;
        else if (g.code == 2)
            block = dxf::decodeText(g.value(), d->utf8());
        else if (g.code == 1001)
            break;
    }
    if (const Drawing::Record* b = d->find(L"BLOCK", block))
        for (const dxf::Tag& g : d->tags(*b))
            if (g.code == 10 || g.code == 20 || g.code == 30)
                base[g.code / 10 - 1] = number(g.value());
    double cs = std::cos(rotation), sn = std::sin(rotation);
    double x[3] = {cs * scale[0], sn * scale[0], 0}, y[3] = {-sn * scale[1], cs * scale[1], 0}, z[3] = {0, 0, scale[2]};
    double offset[3];
    for (int k = 0; k < 3; ++k)
        offset[k] = at[k] - (x[k] * base[0] + y[k] * base[1] + z[k] * base[2]);
    auto row = [](const double v[3]) {  // + 0.0: no negative zeros
        return lisp::list({Value::real(v[0] + 0.0), Value::real(v[1] + 0.0), Value::real(v[2] + 0.0)});
    };
    return lisp::list({partValue, point, lisp::list({row(x), row(y), row(z), row(offset)}), lisp::list({picked})});
}


// The bytes a list of extended data takes as korcad counts them against the 16383 of an
// entity: each application's name and each value as the file writes it. Nil (after a note)
// for an application that is not registered or braces that do not pair.
Value xdataSize(CadHost& host, const Value& list)
{
    Drawing* d = host.drawing(host.currentDrawing());
    const Value* blocks = &lisp::listArg(list);
    if (car(*blocks).isInt() && car(*blocks).asInt() == -3)
        blocks = &blocks->consCell()->cdr;
    else if (car(*blocks).isCons() && car(car(*blocks)).isInt() && car(car(*blocks)).asInt() == -3)
        blocks = &car(*blocks).consCell()->cdr;
    int64_t size = 0;
    for (const Value* b = blocks; b->isCons(); b = &b->consCell()->cdr) {
        const Value& block = b->consCell()->car;
        std::wstring app = wide(car(block));
        if (!d || !d->find(L"APPID", app)) {
            host.print(L"Invalid application name in 1001 group\n");
            return Value();
        }
        size += static_cast<int64_t>(kortext::fromWide(app).size());
        int depth = 0;
        for (const Value* g = &cdr(block); g->isCons(); g = &g->consCell()->cdr) {
            const Value& group = g->consCell()->car;
            int code = lisp::intArg(car(group));
            const Value& v = cdr(group);
            if (code == 1002) {
                depth += wide(v) == L"{" ? 1 : -1;
                if (depth < 0)
                    return Value();
            }
            if (v.isStr())
                size += static_cast<int64_t>(v.str().size());
            else if (v.isReal())
                size += static_cast<int64_t>(dxf::formatReal(v.asDouble()).size());
            else if (v.isInt())
                size += static_cast<int64_t>(std::to_string(v.asInt()).size());
            else
                for (const Value* c = &v; c->isCons(); c = &c->consCell()->cdr)
                    size += static_cast<int64_t>(dxf::formatReal(lisp::numArg(car(*c))).size());
        }
        if (depth != 0)
            return Value();
    }
    return Value::integer(static_cast<int32_t>(size));
}

}  // namespace

void installEntityFunctions(lisp::Interpreter& lisp, CadHost& host)
{
    lisp.defineBuiltin(
        "tblnext",
        [&host](lisp::Interpreter& l, const lisp::Args& a) {
            bool rewind = a.has(1) && !a[1].isNil();
            return groups(l, host.tblNext(wide(a[0]), rewind));
        },
        1, 2);
    lisp.defineBuiltin(
        "tblsearch",
        [&host](lisp::Interpreter& l, const lisp::Args& a) {
            bool setNext = a.has(2) && !a[2].isNil();
            return groups(l, host.tblSearch(wide(a[0]), wide(a[1]), setNext));
        },
        2, 3);
    lisp.defineBuiltin(
        "entnext",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            ads_name next;
            ads_name none = {0, 0};
            const int64_t* from = a.has(0) && !a[0].isNil() ? enameArg(a[0]) : none;
            return host.entNext(from, next) == RTNORM ? enameValue(next) : Value();
        },
        0, 1);
    lisp.defineBuiltin(
        "entlast",
        [&host](lisp::Interpreter&, const lisp::Args&) {
            ads_name last;
            return host.entLast(last) == RTNORM ? enameValue(last) : Value();
        },
        0, 0);
    lisp.defineBuiltin(
        "entsel",
        [&host](lisp::Interpreter& l, const lisp::Args& a) {
            ads::InputAnswer answer;
            if (Value instead; !askEntity(host, l, a, answer, instead))
                return instead;
            return lisp::list({enameValue(answer.entity),
                               lisp::list({Value::real(answer.point[0]), Value::real(answer.point[1]),
                                           Value::real(answer.point[2])})});
        },
        0, 1);
    lisp.defineBuiltin(
        "nentsel",
        [&host](lisp::Interpreter& l, const lisp::Args& a) {
            ads::InputAnswer answer;
            if (Value instead; !askEntity(host, l, a, answer, instead))
                return instead;
            return nestedPick(host, answer);
        },
        0, 1);
    lisp.defineBuiltin(
        "handent",
        [&host](lisp::Interpreter& l, const lisp::Args& a) {
            ads_name e;
            if (host.handEnt(wide(a[0]), e) == RTNORM)
                return enameValue(e);
            l.setErrorNumber(kInvalidHandle);
            return Value();
        },
        1, 1);
    lisp.defineBuiltin(
        "entget",
        [&host](lisp::Interpreter& l, const lisp::Args& a) {
            const int64_t* e = enameArg(a[0]);
            ads::ChainBuilder apps;
            bool withApps = a.has(1) && !a[1].isNil();
            if (withApps)
                for (const Value* p = &lisp::listArg(a[1]); p->isCons(); p = &p->consCell()->cdr)
                    apps.addText(RTSTR, wide(p->consCell()->car));
            ads::RbPtr appChain = apps.take();
            ads_name name = {e[0], e[1]};
            return groups(l, host.entGet(name, withApps ? appChain.get() : nullptr));
        },
        1, 2);
    lisp.defineBuiltin(
        "entmod",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            ads::RbPtr chain = groupsFromLisp(lisp::listArg(a[0]));
            if (!chain || chain->restype != -1)
                lisp::fail("bad entmod list: " + std::string("the entity name (-1 group) must come first"));
            if (host.entMod(chain.get()) == RTNORM)
                return a[0];
            host.print(L"entmod: " + kortext::toWide(host.lastError()) + L"\n");
            return Value();
        },
        1, 1);
    lisp.defineBuiltin(
        "entmake",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            if (!a.has(0) || a[0].isNil())
                return Value();
            ads::RbPtr chain = groupsFromLisp(lisp::listArg(a[0]));
            if (host.entMake(chain.get()) == RTNORM)
                return a[0];
            host.print(L"entmake: " + kortext::toWide(host.lastError()) + L"\n");
            return Value();
        },
        0, 1);
    lisp.defineBuiltin(
        "entdel",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            return host.entDel(enameArg(a[0])) == RTNORM ? a[0] : Value();
        },
        1, 1);
    lisp.defineBuiltin(
        "regapp",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            return host.regApp(wide(a[0])) == RTNORM ? a[0] : Value();
        },
        1, 1);

    lisp.defineBuiltin(
        "ssget",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            std::wstring mode;
            size_t i = 0;
            if (a.has(0) && a[0].isStr())
                mode = wide(a[i++]);
            // Points of a window or crossing: (ssget "W" p1 p2 [filter]).
            double points[2][3] = {{0, 0, 0}, {0, 0, 0}};
            int given = 0;
            while (given < 2 && a.has(i) && a[i].isCons() && car(a[i]).isNumber()) {
                int k = 0;
                for (const Value* c = &a[i]; c->isCons() && k < 3; c = &c->consCell()->cdr, ++k)
                    points[given][k] = lisp::numArg(car(*c));
                ++given;
                ++i;
            }
            ads::RbPtr filter;
            if (a.has(i) && a[i].isCons() && car(a[i]).isCons()) {
                filter = groupsFromLisp(a[i]);
                ++i;
            }
            if (a.has(i))
                lisp::badArgType("listp", a[i]);
            ads_name set;
            int rc = host.ssGet(mode, given == 2 ? points[0] : nullptr, given == 2 ? points[1] : nullptr,
                                filter.get(), set);
            if (rc == RTCAN)
                lisp::fail(lisp::kCancelledMessage);
            if (rc != RTNORM) {
                if (!host.lastError().empty() && host.lastError().rfind("filter", 0) == 0)
                    lisp::fail("bad SSGET list: " + host.lastError());
                return Value();
            }
            return picksetValue(set);
        },
        0, 4);
    lisp.defineBuiltin(
        "sslength",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            int32_t n = 0;
            if (host.ssLength(picksetArg(a[0]), &n) != RTNORM)
                lisp::badArgType("lselsetp", a[0]);
            return Value::integer(n);
        },
        1, 1);
    lisp.defineBuiltin(
        "ssname",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            const int64_t* set = picksetArg(a[0]);
            double index = lisp::numArg(a[1]);
            ads_name e;
            if (index < 0 || index > 2147483647.0 || host.ssName(set, static_cast<int32_t>(index), e) != RTNORM)
                return Value();
            return enameValue(e);
        },
        2, 2);
    lisp.defineBuiltin(
        "ssadd",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            ads_name none = {0, 0};
            const int64_t* e = a.has(0) && !a[0].isNil() ? enameArg(a[0]) : none;
            const int64_t* set = a.has(1) && !a[1].isNil() ? picksetArg(a[1]) : none;
            ads_name result;
            if (host.ssAdd(e, set, result) != RTNORM)
                return Value();
            return set == none ? picksetValue(result) : a[1];
        },
        0, 2);
    lisp.defineBuiltin(
        "ssdel",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            return host.ssDel(enameArg(a[0]), picksetArg(a[1])) == RTNORM ? a[1] : Value();
        },
        2, 2);
    lisp.defineBuiltin(
        "ssmemb",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            const int64_t* e = enameArg(a[0]);
            const int64_t* set = picksetArg(a[1]);
            int32_t n = 0;
            host.ssLength(set, &n);
            ads_name item;
            for (int32_t i = 0; i < n; ++i)
                if (host.ssName(set, i, item) == RTNORM && item[0] == e[0] && item[1] == e[1])
                    return a[0];
            return Value();
        },
        2, 2);
    lisp.defineBuiltin(
        "xdroom",
        [&host](lisp::Interpreter&, const lisp::Args& a) {
            const int64_t* e = enameArg(a[0]);
            Drawing* d = host.drawing(host.currentDrawing());
            long used = d ? d->xdataBytes(EntityName{e[0], e[1]}) : -1;
            return used < 0 ? Value() : Value::integer(static_cast<int32_t>(16383 - used));
        },
        1, 1);
    lisp.defineBuiltin(
        "xdsize", [&host](lisp::Interpreter&, const lisp::Args& a) { return xdataSize(host, a[0]); }, 1, 1);
    installDictionaryFunctions(lisp, host);
    installGraphicsFunctions(lisp, host);
}

}  // namespace korcad
