// DrawingObjects.cpp — the OBJECTS section: the named object dictionary, the entries of a
// dictionary (a 3 group with the key, then the entry's handle as a 350 or 360 group), and
// objects made from groups (dictionaries, extended records) that belong to nothing until a
// dictionary takes them.
#include "drawing/Drawing.h"
#include "drawing/DrawingRecords.h"

#include "text/text.h"

#include <cmath>
#include <cstdio>

namespace korcad {

using namespace records;

namespace {

bool isEntryHandle(int code) { return code == 350 || code == 360; }

}  // namespace

bool Drawing::isObjectType(const std::string& type)
{
    return type == "DICTIONARY" || type == "XRECORD" || type == "DICTIONARYVAR";
}

uint32_t Drawing::rootDictionary() const
{
    const Section* s = section("OBJECTS");
    if (!s)
        return 0;
    for (const Record& r : s->records)
        if (!r.erased)
            return type(r) == "DICTIONARY" ? r.id : 0;
    return 0;
}

uint32_t Drawing::idOf(const EntityName& name) const
{
    const Record* r = record(name);
    return r ? r->id : 0;
}

long Drawing::xdataBytes(const EntityName& name) const
{
    const Record* r = record(name);
    if (!r)
        return -1;
    long bytes = 0;
    bool inXdata = false;
    for (const Tag& g : tags(*r)) {
        inXdata = inXdata || g.code == 1001;
        if (inXdata)
            bytes += static_cast<long>(g.size);
    }
    return bytes;
}

std::string Drawing::handleOf(uint32_t id) const
{
    const Record* r = recordById(id);
    if (!r)
        return std::string();
    auto t = tags(*r);
    for (size_t i = 1; i < t.size() && i < 4; ++i)
        if (t[i].code == 5 || t[i].code == 105)
            return upperTrimmed(t[i].value());
    return std::string();
}

std::vector<Drawing::DictEntry> Drawing::dictionary(uint32_t dict) const
{
    std::vector<DictEntry> entries;
    const Record* r = recordById(dict);
    if (!r || r->erased || type(*r) != "DICTIONARY")
        return entries;
    auto t = tags(*r);
    for (size_t i = 0; i + 1 < t.size(); ++i)
        if (t[i].code == 3 && isEntryHandle(t[i + 1].code)) {
            uint32_t id = lookupHandle(t[i + 1].value());
            const Record* object = recordById(id);
            if (object && !object->erased)
                entries.push_back({text(t[i].value()), id});
        }
    return entries;
}

// The index of the 3 group of `key` (any case) in a dictionary's tags; 0 when there is none.
size_t Drawing::dictKey(uint32_t dict, const std::wstring& key) const
{
    const Record* r = recordById(dict);
    if (!r || r->erased || type(*r) != "DICTIONARY")
        return 0;
    auto t = tags(*r);
    std::wstring wanted = kortext::upper(key);
    for (size_t i = 1; i + 1 < t.size(); ++i)
        if (t[i].code == 3 && isEntryHandle(t[i + 1].code) && kortext::upper(text(t[i].value())) == wanted)
            return i;
    return 0;
}

bool Drawing::dictAdd(uint32_t dict, const std::wstring& key, uint32_t object)
{
    Record* r = recordById(dict);
    Record* o = recordById(object);
    std::string handle = handleOf(object), owner = handleOf(dict);
    if (!r || !o || o->erased || handle.empty() || owner.empty() || key.empty() || dictKey(dict, key) ||
        type(*r) != "DICTIONARY" || key.find_first_of(L"\r\n") != std::wstring::npos)
        return false;
    Tags& t = writable(*r);
    t.push_back(Tag{3, own(dxf::encodeText(key, utf8_))});
    t.push_back(Tag{350, own(handle)});
    // The object belongs to the dictionary now.
    Tags& ot = writable(*o);
    bool owned = false;
    for (Tag& g : ot)
        if (g.code == 330) {
            g.setValue(own(owner));
            owned = true;
            break;
        }
    if (!owned) {
        size_t at = 1;
        while (at < ot.size() && (ot[at].code == 5 || ot[at].code == 105 || ot[at].code == 102))
            ++at;
        ot.insert(ot.begin() + static_cast<long>(at), Tag{330, own(owner)});
    }
    ++tablesChanged_;
    touch();
    return true;
}

uint32_t Drawing::dictRemove(uint32_t dict, const std::wstring& key)
{
    size_t at = dictKey(dict, key);
    if (!at)
        return 0;
    Tags& t = writable(*recordById(dict));
    uint32_t id = lookupHandle(t[at + 1].value());
    t.erase(t.begin() + static_cast<long>(at), t.begin() + static_cast<long>(at) + 2);
    ++tablesChanged_;
    touch();
    return id;
}

bool Drawing::dictRename(uint32_t dict, const std::wstring& from, const std::wstring& to)
{
    size_t at = dictKey(dict, from);
    if (!at || to.empty() || to.find_first_of(L"\r\n") != std::wstring::npos ||
        (dictKey(dict, to) && dictKey(dict, to) != at))
        return false;
    writable(*recordById(dict))[at].setValue(own(dxf::encodeText(to, utf8_)));
    ++tablesChanged_;
    touch();
    return true;
}

uint32_t Drawing::makeObject(const dxf::Groups& given, std::string* why)
{
    const std::string kind = upperTrimmed(kortext::fromWide(given[0].text));
    Section* s = section("OBJECTS");
    if (!s) {
        *why = "the drawing has no OBJECTS section";
        return 0;
    }
    std::vector<std::pair<int, std::string>> groups{{0, kind}};
    if (usesHandles())
        groups.emplace_back(5, newHandle());
    groups.emplace_back(100, kind == "XRECORD" ? "AcDbXrecord" : kind == "DICTIONARY" ? "AcDbDictionary"
                                                                                        : "DictionaryVariables");
    char buf[32];
    for (const dxf::Group* gr = given.data() + 1; gr != given.data() + given.size(); ++gr) {
        if (gr->code < 0 || gr->code == 5 || gr->code == 100 || gr->code == 330 || !dxf::isGroupCode(gr->code))
            continue;
        switch (dxf::kindOf(gr->code)) {
        case dxf::Kind::Text:
            if (gr->noText) {
                *why = "group " + std::to_string(gr->code) + " without text";
                return 0;
            }
            groups.emplace_back(gr->code, dxf::encodeText(gr->text, utf8_));
            break;
        case dxf::Kind::Real:
        case dxf::Kind::Int64:
            if (!std::isfinite(gr->real)) {
                *why = "group " + std::to_string(gr->code) + " is no finite number";
                return 0;
            }
            groups.emplace_back(gr->code, dxf::formatReal(gr->real));
            break;
        case dxf::Kind::Point:
            for (int k = 0; k < 3; ++k) {
                if (!std::isfinite(gr->point[k])) {
                    *why = "group " + std::to_string(gr->code) + " is no finite point";
                    return 0;
                }
                groups.emplace_back(gr->code + k * 10, dxf::formatReal(gr->point[k]));
            }
            break;
        case dxf::Kind::Int16:
        case dxf::Kind::Int32:
            std::snprintf(buf, sizeof buf, "%d", gr->integer);
            groups.emplace_back(gr->code, buf);
            break;
        case dxf::Kind::Name: {
            std::string handle = handleOf(idOf(gr->name));
            if (handle.empty()) {
                *why = "group " + std::to_string(gr->code) + " names no object of the drawing";
                return 0;
            }
            groups.emplace_back(gr->code, handle);
            break;
        }
        }
    }
    if (!soundRecord(groups, why))
        return 0;
    auto t = std::make_unique<Tags>();
    for (const auto& [code, value] : groups)
        t->push_back(Tag{code, own(value)});
    Record rec;
    rec.id = static_cast<uint32_t>(where_.size());
    rec.own = std::move(t);
    uint32_t sectionIndex = static_cast<uint32_t>(s - sections_.data());
    where_.push_back(Where{sectionIndex, static_cast<uint32_t>(s->records.size())});
    sub_.push_back(0);
    s->records.push_back(std::move(rec));
    remember(s->records.back());
    ++tablesChanged_;
    touch();
    return static_cast<uint32_t>(where_.size() - 1);
}

}  // namespace korcad
