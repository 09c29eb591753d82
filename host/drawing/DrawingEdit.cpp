// DrawingEdit.cpp — entmod and entmake: changing an entity, and making one from its groups.
#include "drawing/Drawing.h"
#include "drawing/DrawingRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <map>

namespace korcad {

using namespace records;

namespace {

// The file text of one group's value, handed to `put` piece by piece: points give their X, Y
// (and Z when `z`).
template <class Put>
bool formatValues(const dxf::Group* gr, bool utf8, bool z, Put&& put, std::string* why)
{
    char buf[32];
    switch (dxf::kindOf(gr->code)) {
    case dxf::Kind::Text:
        put(dxf::encodeText(gr->text, utf8));
        return true;
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        if (!std::isfinite(gr->real)) {
            *why = "group " + std::to_string(gr->code) + " is no finite number";
            return false;
        }
        put(dxf::formatReal(gr->real));
        return true;
    case dxf::Kind::Point:
        for (int k = 0; k < (z ? 3 : 2); ++k) {
            if (!std::isfinite(gr->point[k])) {
                *why = "group " + std::to_string(gr->code) + " is no finite point";
                return false;
            }
            put(dxf::formatReal(gr->point[k]));
        }
        return true;
    case dxf::Kind::Int16:
    case dxf::Kind::Int32:
        std::snprintf(buf, sizeof buf, "%d", gr->integer);
        put(std::string(buf));
        return true;
    case dxf::Kind::Name:
        break;
    }
    return false;
}

bool formatGroup(const dxf::Group* gr, bool utf8, bool z, std::vector<std::string>& out, std::string* why)
{
    return formatValues(gr, utf8, z, [&](std::string&& v) { out.push_back(std::move(v)); }, why);
}

// Whether a file text is plain ASCII, which reads as it stands in either encoding: no control
// character, no escape.
bool plainText(std::string_view v)
{
    return std::all_of(v.begin(), v.end(), [](char c) { return c >= 0x20 && c < 0x7f && c != '^' && c != '\\'; });
}

// decodeText, plain ASCII taken over as it stands.
std::wstring textOf(std::string_view v, bool utf8)
{
    return plainText(v) ? std::wstring(v.begin(), v.end()) : dxf::decodeText(v, utf8);
}

// Whether the file text of an application name (a 1001 group) names `app`, compared without
// regard to case. Plain ASCII on both sides, the usual case, is compared as it stands; anything
// else is decoded.
bool namesApp(std::string_view fileText, const std::wstring& app, bool utf8)
{
    if (plainText(fileText) && std::all_of(app.begin(), app.end(), [](wchar_t c) { return c < 0x80; })) {
        auto fold = [](unsigned c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; };
        return fileText.size() == app.size() &&
               std::equal(fileText.begin(), fileText.end(), app.begin(), [&](char c, wchar_t w) {
                   return fold(static_cast<unsigned char>(c)) == fold(static_cast<unsigned>(w));
               });
    }
    return equalText(dxf::decodeText(fileText, utf8), app);
}

bool sameValue(const dxf::Group* gr, std::span<const Tag> t, const Group& g, bool utf8)
{
    switch (dxf::kindOf(gr->code)) {
    case dxf::Kind::Text:
        return !gr->noText && dxf::decodeText(t[g.tag].value(), utf8) == gr->text;
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        return real(t[g.tag].value()) == gr->real;
    case dxf::Kind::Point:
        for (size_t k = 0; k < 3; ++k)
            if ((k < g.count ? real(t[g.tag + k].value()) : 0.0) != gr->point[k])
                return false;
        return true;
    case dxf::Kind::Int16:
        return integer(t[g.tag].value()) == gr->integer;
    case dxf::Kind::Int32:
        return integer(t[g.tag].value()) == gr->integer;
    case dxf::Kind::Name:
        break;
    }
    return false;
}

}  // namespace

// The record a list's leading (-1 . name) group names; null with the reason when there is none.
const Drawing::Record* Drawing::namedRecord(const dxf::Groups& given, std::string* why) const
{
    if (given.empty() || given[0].code != -1) {
        *why = "the list does not start with the entity name (-1 group)";
        return nullptr;
    }
    const Record* found = record(given[0].name);
    if (!found)
        *why = "the -1 group names no entity of the drawing";
    return found;
}

bool Drawing::entMod(const dxf::Groups& given, std::string* why)
{
    std::string ignored;
    if (!why)
        why = &ignored;
    const Record* found = namedRecord(given, why);
    if (!found)
        return false;
    if (!noLineBreaks(std::span(given).subspan(1), why))
        return false;
    const uint32_t id = found->id;
    auto t = tags(*found);
    const size_t xs = xdataStart(t);
    const std::vector<Group> old = groupsOf(t, 0, xs);
    const std::string ty(type(*found));

    // The new groups, and the extended data by application.
    std::vector<const dxf::Group*> fresh;
    GivenXdata xdata;
    bool inXdata = false;
    for (const dxf::Group* gr = given.data() + 1; gr != given.data() + given.size(); ++gr) {
        if (gr->code == -3) {
            inXdata = true;
            continue;
        }
        if (inXdata) {
            if (!takeXdataGroup(gr, xdata, why))
                return false;
            continue;
        }
        if (!dxf::isGroupCode(gr->code) || gr->code < 0 || gr->code >= 1000) {
            *why = "group " + std::to_string(gr->code) + " is no group of entity data";
            return false;
        }
        if (isTextCode(gr->code) && gr->noText) {
            *why = "group " + std::to_string(gr->code) + " without text";
            return false;
        }
        fresh.push_back(gr);
    }

    // Checks before anything changes.
    for (const dxf::Group* gr : fresh) {
        if (gr->code == 0 && kortext::upper(gr->text) != kortext::upper(kortext::toWide(ty))) {
            *why = "entmod does not change an entity's type";
            return false;
        }
        if (gr->code == 6) {
            std::wstring lt = kortext::upper(gr->text);
            if (lt != L"BYLAYER" && lt != L"BYBLOCK" && !find(L"LTYPE", gr->text)) {
                *why = "linetype " + kortext::fromWide(gr->text) + " is not defined";
                return false;
            }
        }
    }
    for (const GivenBlock& block : xdata)
        if (!findApp(block.name->text)) {
            *why = "application " + kortext::fromWide(block.name->text) + " is not registered (regapp)";
            return false;
        }
    for (const dxf::Group* gr : fresh)
        if (gr->code == 8 && !find(L"LAYER", gr->text))
            addTableRecord("LAYER", {{2, dxf::encodeText(gr->text, utf8_)},
                                     {70, "0"},
                                     {62, "7"},
                                     {6, "Continuous"}});
    // A new table record may have moved records of the TABLES section: take the record again.
    Record& r = *recordById(id);
    t = tags(r);

    // Match old and new groups by code and occurrence. Groups entget does not show (pointers
    // to nothing) take no part: they are kept.
    std::vector<bool> shown(old.size(), true);
    for (size_t i = 0; i < old.size(); ++i)
        if (dxf::kindOf(old[i].code) == dxf::Kind::Name) {
            uint32_t target = lookupHandle(trim(t[old[i].tag].value()));
            shown[i] = target && !recordById(target)->erased;
        }
    std::map<int, std::vector<size_t>> oldByCode, newByCode;
    for (size_t i = 0; i < old.size(); ++i)
        if (shown[i])
            oldByCode[old[i].code].push_back(i);
    std::vector<long> matchOf(fresh.size(), -1);
    for (size_t j = 0; j < fresh.size(); ++j) {
        auto& list = newByCode[fresh[j]->code];
        auto it = oldByCode.find(fresh[j]->code);
        if (it != oldByCode.end() && list.size() < it->second.size())
            matchOf[j] = static_cast<long>(it->second[list.size()]);
        list.push_back(j);
    }
    auto kept = [&](size_t i) { return !shown[i] || !newByCode.count(old[i].code); };

    Tags out;
    std::vector<Tag> deferred;  // new common groups, placed after the layer
    auto emitOld = [&](size_t i) {
        for (size_t k = 0; k < old[i].count; ++k)
            out.push_back(t[old[i].tag + k]);
    };
    auto emitNew = [&](const dxf::Group* gr, long m, std::vector<Tag>& into) -> bool {
        int c = gr->code;
        auto keepOld = [&] {
            for (size_t k = 0; k < old[m].count; ++k)
                into.push_back(t[old[m].tag + k]);
            return true;
        };
        if (dxf::kindOf(c) == dxf::Kind::Name) {
            const Record* target = record(gr->name);
            std::string handle;
            if (target)
                for (const Tag& g : tags(*target))
                    if (g.code == 5 || g.code == 105) {
                        handle = std::string(trim(g.value()));
                        break;
                    }
            if (handle.empty()) {
                *why = "group " + std::to_string(c) + " names no object with a handle";
                return false;
            }
            if (m >= 0 && upperTrimmed(t[old[m].tag].value()) == upperTrimmed(handle))
                return keepOld();
            into.push_back(Tag{c, own(handle)});
            return true;
        }
        // The handle never changes; an unchanged value keeps the text it was read with.
        if (m >= 0 && (c == 5 || c == 105 || sameValue(gr, t, old[m], utf8_)))
            return keepOld();
        bool z = m >= 0 ? old[m].count == 3 : !(ty == "LWPOLYLINE" && c == 10);
        std::vector<std::string> values;
        if (!formatGroup(gr, utf8_, z, values, why))
            return false;
        for (size_t k = 0; k < values.size(); ++k)
            into.push_back(Tag{c + static_cast<int>(k) * 10, own(values[k])});
        return true;
    };
    long lastOld = -1;
    for (size_t j = 0; j < fresh.size(); ++j) {
        long m = matchOf[j];
        if (m >= 0) {
            for (long i = lastOld + 1; i < m; ++i)
                if (kept(static_cast<size_t>(i)))
                    emitOld(static_cast<size_t>(i));
            lastOld = std::max(lastOld, m);
            if (!emitNew(fresh[j], m, out))
                return false;
        } else if (isCommonEntityCode(fresh[j]->code) && oldByCode.count(8)) {
            if (!emitNew(fresh[j], -1, deferred))
                return false;
        } else if (!emitNew(fresh[j], -1, out)) {
            return false;
        }
    }
    for (long i = lastOld + 1; i < static_cast<long>(old.size()); ++i)
        if (kept(static_cast<size_t>(i)))
            emitOld(static_cast<size_t>(i));
    if (!deferred.empty()) {
        auto layer = std::find_if(out.begin(), out.end(), [](const Tag& g) { return g.code == 8; });
        out.insert(layer == out.end() ? out.end() : layer + 1, deferred.begin(), deferred.end());
    }
    if (out.empty() || out[0].code != 0) {
        *why = "the entity would lose its type group";
        return false;
    }
    if (ty == "LWPOLYLINE") {
        // The vertex count follows the vertices.
        size_t vertices = static_cast<size_t>(std::count_if(out.begin(), out.end(), [](const Tag& g) { return g.code == 10; }));
        for (Tag& g : out)
            if (g.code == 90 && static_cast<size_t>(integer(g.value())) != vertices)
                g.setValue(own(std::to_string(vertices)));
    }

    // Extended data: the applications named are replaced, the others stay.
    if (!replaceXdata(t, xs, xdata, out, why))
        return false;
    if (!soundRecord(out, why))
        return false;

    // Which records are sub-entities changes only when the entity starts to open a complex
    // entity or stops to (an INSERT's 66 flag); a walk over the whole section for every entmod
    // made a loop over many entities quadratic.
    const bool opened = opensComplex(r);
    r.own = std::make_unique<Tags>(std::move(out));
    if (where_[r.id].section != static_cast<uint32_t>(entities_))
        ++tablesChanged_;
    if (where_[r.id].section == static_cast<uint32_t>(entities_) && opensComplex(r) != opened)
        computeSubEntities();
    touch();
    return true;
}

bool Drawing::takeXdataGroup(const dxf::Group* gr, GivenXdata& xdata, std::string* why)
{
    if (gr->code == 1001) {
        if (gr->noText) {
            *why = "an application name (1001) without text";
            return false;
        }
        xdata.push_back({gr, std::span<const dxf::Group>(gr + 1, size_t{0})});
        return true;
    }
    if (gr->code >= 1000 && gr->code <= 1071 && !xdata.empty()) {
        GivenBlock& last = xdata.back();
        if (last.groups.data() + last.groups.size() == gr)
            last.groups = std::span<const dxf::Group>(last.groups.data(), last.groups.size() + 1);
        else
            xdata.push_back({last.name, std::span<const dxf::Group>(gr, 1), true});
        return true;
    }
    *why = "extended data holds group " + std::to_string(gr->code) + " (only 1000-1071 after an application name)";
    return false;
}

const Drawing::Record* Drawing::findApp(const std::wstring& app) const
{
    // The last answer holds while no record outside the entities changed (a loop that writes
    // one application's data asks for the same name again and again).
    if (lastApp_.tablesChanged == tablesChanged_ && lastApp_.name == app)
        return recordById(lastApp_.id);
    lastApp_ = {app, 0, tablesChanged_};
    Table table;
    if (!findTable("APPID", table))
        return nullptr;
    const Section* s = section("TABLES");
    for (size_t i = table.header + 1; i < table.end; ++i) {
        const Record& r = s->records[i];
        if (r.erased)
            continue;
        for (const Tag& g : tags(r))
            if (g.code == 2) {
                if (namesApp(g.value(), app, utf8_)) {
                    lastApp_.id = r.id;
                    return &r;
                }
                break;
            }
    }
    return nullptr;
}

bool Drawing::replaceXdata(std::span<const Tag> t, size_t xs, const GivenXdata& given, Tags& out, std::string* why)
{
    // The blocks given, made into tags first: their values in one text the drawing keeps, the
    // tags pointing into it.
    std::string& text = scratch_;
    text.clear();
    size_t groups = 0;
    for (const GivenBlock& block : given)
        groups += block.groups.size();
    std::vector<std::pair<int, size_t>> pieces;  // (code, end in text), a block's name first
    pieces.reserve(groups + 2 * given.size());
    std::vector<std::pair<size_t, size_t>> madeAt(given.size());  // a block's pieces [from, to)
    const Record* appRecord = nullptr;
    size_t head = 0;  // the block that `more` blocks go on
    for (size_t n = 0; n < given.size(); ++n) {
        if (!given[n].more) {
            head = n;
            const std::wstring& app = given[n].name->text;
            appRecord = findApp(app);
            if (!appRecord) {
                *why = "application " + kortext::fromWide(app) + " is not registered (regapp)";
                return false;
            }
            madeAt[n] = {pieces.size(), pieces.size()};
        }
        if (given[n].groups.empty())
            continue;
        if (madeAt[head].first == pieces.size()) {
            // The block's name as the drawing registered it, in file form (read and written
            // again unless it is plain ASCII, which reads back as it stands).
            std::string_view name;
            for (const Tag& g : tags(*appRecord))
                if (g.code == 2) {
                    name = g.value();
                    break;
                }
            if (plainText(name))
                text += name;
            else
                dxf::encodeText(dxf::decodeText(name, utf8_), utf8_, text);
            pieces.emplace_back(1001, text.size());
        }
        for (const dxf::Group& gr : given[n].groups) {
            if (isTextCode(gr.code) && gr.noText) {
                *why = "group " + std::to_string(gr.code) + " without text";
                return false;
            }
            if (dxf::kindOf(gr.code) == dxf::Kind::Text) {
                dxf::encodeText(gr.text, utf8_, text);
                pieces.emplace_back(gr.code, text.size());
                continue;
            }
            int k = 0;
            auto put = [&](const std::string& v) {
                text += v;
                pieces.emplace_back(gr.code + 10 * k++, text.size());
            };
            if (!formatValues(&gr, utf8_, true, put, why))
                return false;
        }
        madeAt[head].second = pieces.size();
    }
    Tags made;
    made.reserve(pieces.size());
    if (!pieces.empty()) {
        std::string_view kept = own(text);
        size_t at = 0;
        for (const auto& [code, end] : pieces) {
            made.push_back(Tag{code, kept.substr(at, end - at)});
            at = end;
            if (std::string reason = unsoundGroup(code, made.back().value(), false); !reason.empty()) {
                *why = "the record would break the file: " + reason;
                return false;
            }
        }
    }

    // The record's blocks in order, each its own tags or those made in its place.
    struct Block {
        std::span<const Tag> tags;
        const std::wstring* name = nullptr;  // an application given, for a block added
        bool gone = false;
    };
    std::vector<Block> blocks;
    for (size_t i = xs; i < t.size(); ++i) {
        if (t[i].code == 1001 || blocks.empty())
            blocks.push_back({t.subspan(i, 0)});
        blocks.back().tags = std::span<const Tag>(blocks.back().tags.data(), blocks.back().tags.size() + 1);
    }
    for (size_t n = 0; n < given.size(); ++n) {
        if (given[n].more)
            continue;
        const std::wstring& app = given[n].name->text;
        const std::span<const Tag> block(made.data() + madeAt[n].first, madeAt[n].second - madeAt[n].first);
        auto it = std::find_if(blocks.begin(), blocks.end(), [&](const Block& b) {
            return !b.gone && (b.name ? equalText(*b.name, app) : namesApp(b.tags[0].value(), app, utf8_));
        });
        if (it == blocks.end()) {
            if (!block.empty())
                blocks.push_back({block, &app});
        } else if (block.empty()) {
            it->gone = true;
        } else {
            it->tags = block;
        }
    }
    size_t xsize = 0;
    for (const Block& b : blocks)
        if (!b.gone)
            for (const Tag& g : b.tags)
                xsize += g.size;
    if (xsize > 16383) {
        *why = "the extended data would exceed 16383 bytes";
        return false;
    }
    size_t count = 0;
    for (const Block& b : blocks)
        count += b.gone ? 0 : b.tags.size();
    out.reserve(out.size() + count);
    for (const Block& b : blocks)
        if (!b.gone)
            out.insert(out.end(), b.tags.begin(), b.tags.end());
    return true;
}

dxf::Groups Drawing::entGetXdata(const EntityName& entity, const std::wstring& app) const
{
    const Record* r = record(entity);
    if (!r)
        return {};
    auto t = tags(*r);
    dxf::Groups out;
    out.emplace_back(-1, nameOf(r->id));
    const size_t xs = xdataStart(t);
    for (size_t i = 0; i < xs; ++i)
        if (t[i].code == 5) {
            out.emplace_back(5, textOf(t[i].value(), utf8_));
            break;
        }
    bool started = false, wanted = false;
    for (const Group& g : groupsOf(t, xs, t.size())) {
        if (g.code == 1001) {
            wanted = namesApp(t[g.tag].value(), app, utf8_);
            if (wanted && !started) {
                out.emplace_back(-3);
                started = true;
            }
        }
        if (wanted && dxf::kindOf(g.code) == dxf::Kind::Text)
            out.emplace_back(g.code, textOf(t[g.tag].value(), utf8_));
        else if (wanted)
            out.push_back(valueOf(t, g, utf8_));
    }
    return out;
}

bool Drawing::entModXdata(const dxf::Groups& given, std::string* why)
{
    std::string ignored;
    if (!why)
        why = &ignored;
    const Record* found = namedRecord(given, why);
    if (!found)
        return false;
    if (given.size() < 2 || given[1].code != -3) {
        *why = "the list holds no extended data (-3 group) after the entity name";
        return false;
    }
    const auto data = std::span(given).subspan(2);
    if (!noLineBreaks(data, why))
        return false;
    GivenXdata xdata;
    for (const dxf::Group& gr : data)
        if (!takeXdataGroup(&gr, xdata, why))
            return false;
    Record& r = *recordById(found->id);
    auto t = tags(r);
    const size_t xs = xdataStart(t);
    // Room for the record's tags and the blocks given (a point takes three tags), kept by the
    // record from here on.
    size_t room = t.size() + xdata.size();
    for (const dxf::Group& gr : data)
        room += dxf::kindOf(gr.code) == dxf::Kind::Point ? 3 : 1;
    Tags out;
    out.reserve(room);
    out.assign(t.begin(), t.begin() + static_cast<long>(xs));
    // The groups before the extended data and the other applications' blocks stay as they were
    // stored (and checked); replaceXdata checks what it makes.
    if (!replaceXdata(t, xs, xdata, out, why))
        return false;
    if (r.own)
        *r.own = std::move(out);
    else
        r.own = std::make_unique<Tags>(std::move(out));
    touch();
    return true;
}

namespace {

// The subclass markers of entities korcad makes, as DXF R2000 and later files carry them: the
// marker, and the first code of the type's own groups that the marker goes before.
struct Subclass {
    const char* type;
    const char* marker;
    const char* second = nullptr;  // a second marker (ARC's AcDbArc before its angles)
    int secondBefore = 0;
};
const Subclass kSubclasses[] = {
    {"LINE", "AcDbLine"},          {"LWPOLYLINE", "AcDbPolyline"}, {"CIRCLE", "AcDbCircle"},
    {"ARC", "AcDbCircle", "AcDbArc", 50}, {"TEXT", "AcDbText"},   {"POINT", "AcDbPoint"},
    {"INSERT", "AcDbBlockReference"}, {"MTEXT", "AcDbMText"},
};

// Groups each kind of entity cannot do without.
const std::map<std::string, std::vector<int>> kRequired = {
    {"LINE", {10, 11}}, {"LWPOLYLINE", {10}}, {"CIRCLE", {10, 40}}, {"ARC", {10, 40, 50, 51}},
    {"TEXT", {10, 40, 1}}, {"POINT", {10}}, {"INSERT", {2, 10}}, {"MTEXT", {10, 1}},
};

}  // namespace

uint32_t Drawing::entMake(const dxf::Groups& given, std::string* why)
{
    std::string ignored;
    if (!why)
        why = &ignored;
    if (given.empty() || given[0].code != 0 || given[0].noText) {
        *why = "the list does not start with the entity type (0 group)";
        return 0;
    }
    if (!noLineBreaks(given, why))
        return 0;
    const std::string type = upperTrimmed(kortext::fromWide(given[0].text));
    if (type == "LAYER") {
        std::wstring name;
        int colour = 7;
        std::wstring ltype = L"Continuous";
        int flags = 0;
        for (const dxf::Group* gr = given.data() + 1; gr != given.data() + given.size(); ++gr) {
            if (gr->code == 2 && !gr->noText)
                name = gr->text;
            else if (gr->code == 62)
                colour = gr->integer;
            else if (gr->code == 6 && !gr->noText)
                ltype = gr->text;
            else if (gr->code == 70)
                flags = gr->integer;
        }
        if (name.empty() || find(L"LAYER", name)) {
            *why = name.empty() ? "a layer needs its name (2 group)" : "layer " + kortext::fromWide(name) + " exists";
            return 0;
        }
        if (!find(L"LTYPE", ltype)) {
            *why = "linetype " + kortext::fromWide(ltype) + " is not defined";
            return 0;
        }
        return addTableRecord("LAYER", {{2, dxf::encodeText(name, utf8_)},
                                        {70, std::to_string(flags)},
                                        {62, std::to_string(colour)},
                                        {6, dxf::encodeText(ltype, utf8_)}});
    }
    if (isObjectType(type))
        return makeObject(given, why);
    if (type == "VERTEX" || type == "ATTRIB" || type == "SEQEND" || type == "POLYLINE" || type.empty()) {
        *why = "korcad makes no " + (type.empty() ? std::string("untyped") : type) +
               " entities (complex entities are made as LWPOLYLINE or INSERT)";
        return 0;
    }
    if (!kEntityTypes.count(type)) {
        *why = dxf::encodeText(given[0].text, true) + " is no entity type (entmake makes LINE, INSERT, ...)";
        return 0;
    }
    // Sort the groups: the common ones (layer, linetype, colour, ...) first, the type's own
    // after its subclass marker, extended data last.
    std::vector<const dxf::Group*> common, own, xdata;
    std::wstring layer = L"0";
    bool inXdata = false;
    std::set<int> present;
    for (const dxf::Group* gr = given.data() + 1; gr != given.data() + given.size(); ++gr) {
        if (gr->code == -3 || inXdata) {
            inXdata = true;
            if (gr->code != -3)
                xdata.push_back(gr);
            continue;
        }
        if (gr->code < 0 || gr->code == 5 || gr->code == 100 || gr->code == 330 ||
            !dxf::isGroupCode(gr->code))
            continue;  // names, handles, owners and markers are the drawing's to give
        if (isTextCode(gr->code) && gr->noText) {
            *why = "group " + std::to_string(gr->code) + " without text";
            return 0;
        }
        present.insert(gr->code);
        if (gr->code == 8) {
            layer = gr->text;
            continue;
        }
        (isCommonEntityCode(gr->code) ? common : own).push_back(gr);
    }
    auto required = kRequired.find(type);
    if (required != kRequired.end())
        for (int code : required->second)
            if (!present.count(code)) {
                *why = type + " needs group " + std::to_string(code);
                return 0;
            }
    for (const dxf::Group* gr : common)
        if (gr->code == 6) {
            std::wstring lt = kortext::upper(gr->text);
            if (lt != L"BYLAYER" && lt != L"BYBLOCK" && !find(L"LTYPE", gr->text)) {
                *why = "linetype " + kortext::fromWide(gr->text) + " is not defined";
                return 0;
            }
        }
    if (type == "INSERT")
        for (const dxf::Group* gr : own)
            if (gr->code == 2 && !find(L"BLOCK", gr->text)) {
                *why = "block " + kortext::fromWide(gr->text) + " is not defined";
                return 0;
            }
    std::wstring app;
    for (const dxf::Group* gr : xdata)
        if (gr->code == 1001 && (gr->noText || !find(L"APPID", gr->text))) {
            *why = "application " + kortext::fromWide(gr->text) +
                   " is not registered (regapp)";
            return 0;
        }

    const Subclass* sub = nullptr;
    for (const Subclass& s : kSubclasses)
        if (type == s.type)
            sub = &s;
    const bool subclassed = version() >= "AC1015";
    std::vector<std::pair<int, std::string>> groups{{0, type}};
    auto add = [&](const dxf::Group* gr, bool z) {
        std::vector<std::string> values;
        if (!formatGroup(gr, utf8_, z, values, why))
            return false;
        for (size_t k = 0; k < values.size(); ++k)
            groups.emplace_back(gr->code + static_cast<int>(k) * 10, std::move(values[k]));
        return true;
    };
    if (subclassed)
        groups.emplace_back(100, "AcDbEntity");
    groups.emplace_back(8, dxf::encodeText(layer, utf8_));
    for (const dxf::Group* gr : common)
        if (!add(gr, true))
            return 0;
    if (subclassed && sub)
        groups.emplace_back(100, sub->marker);
    bool secondDone = false;
    size_t vertices = 0;
    for (const dxf::Group* gr : own) {
        if (subclassed && sub && sub->second && !secondDone && gr->code >= sub->secondBefore) {
            groups.emplace_back(100, sub->second);
            secondDone = true;
        }
        if (type == "LWPOLYLINE" && gr->code == 90)
            continue;  // the count follows the vertices
        vertices += gr->code == 10;
        if (!add(gr, !(type == "LWPOLYLINE" && gr->code == 10)))
            return 0;
    }
    if (type == "LWPOLYLINE") {
        // The vertex count goes before the vertices.
        auto first = std::find_if(groups.begin(), groups.end(), [](const auto& g) { return g.first == 10 || g.first == 70 || g.first == 43; });
        groups.insert(first, {90, std::to_string(vertices)});
    }
    if (layer != L"0" && !find(L"LAYER", layer))
        addTableRecord("LAYER", {{2, dxf::encodeText(layer, utf8_)}, {70, "0"}, {62, "7"}, {6, "Continuous"}});
    for (const dxf::Group* gr : xdata)
        if (!add(gr, true))
            return 0;
    return appendEntity(groups);
}

}  // namespace korcad
