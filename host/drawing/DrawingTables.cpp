// DrawingTables.cpp — entity names and handles, and the symbol tables of a drawing.
#include "drawing/Drawing.h"
#include "drawing/DrawingRecords.h"

#include "text/wildcard.h"

#include <algorithm>
#include <cstring>

namespace korcad {

using namespace records;

// ---- names and handles ----------------------------------------------------------------------

EntityName Drawing::nameOf(uint32_t id) const { return EntityName{kNameBase + static_cast<int64_t>(id) * 8, serial_}; }

const Drawing::Record* Drawing::record(const EntityName& name) const
{
    if (name.serial != serial_ || name.id < kNameBase || (name.id - kNameBase) % 8 != 0)
        return nullptr;
    int64_t id = (name.id - kNameBase) / 8;
    if (id <= 0 || id >= static_cast<int64_t>(where_.size()))
        return nullptr;
    const Record* r = recordById(static_cast<uint32_t>(id));
    return r && !r->erased ? r : nullptr;
}

uint32_t Drawing::lookupHandle(std::string_view handle) const
{
    if (!handlesBuilt_) {
        handles_.clear();
        handles_.reserve(where_.size());
        for (const Section& s : sections_)
            for (const Record& r : s.records) {
                auto t = tags(r);
                for (size_t i = 1; i < t.size() && i < 4; ++i)
                    if (t[i].code == 5 || t[i].code == 105) {
                        handles_.emplace(upperTrimmed(t[i].value()), r.id);
                        break;
                    }
            }
        handlesBuilt_ = true;
    }
    auto it = handles_.find(upperTrimmed(handle));
    return it == handles_.end() ? 0 : it->second;
}

bool Drawing::handEnt(const std::wstring& handle, EntityName& name) const
{
    std::string h;
    for (wchar_t c : handle) {
        if (!std::iswxdigit(c))
            return false;
        h += static_cast<char>(c);
    }
    uint32_t id = h.empty() ? 0 : lookupHandle(h);
    const Record* r = recordById(id);
    if (!r || r->erased)
        return false;
    name = nameOf(id);
    return true;
}

bool Drawing::usesHandles() const
{
    if (!headerValue("$HANDSEED").empty())
        return true;
    return version() >= "AC1015";
}

std::string Drawing::newHandle()
{
    // $HANDSEED is the next free handle; a file without one (or with a stale one) gets the one
    // after the highest in use.
    Section* h = section("HEADER");
    size_t seedTag = 0;
    if (h)
        for (size_t i = 0; i + 1 < h->head.size(); ++i)
            if (h->head[i].code == 9 && trim(h->head[i].value()) == "$HANDSEED")
                seedTag = i + 1;
    if (nextHandle_ == 0) {
        if (seedTag)
            nextHandle_ = std::strtoull(std::string(trim(h->head[seedTag].value())).c_str(), nullptr, 16);
        lookupHandle("0");
        for (const auto& [handle, id] : handles_)
            nextHandle_ = std::max(nextHandle_, std::strtoull(handle.c_str(), nullptr, 16) + 1);
        nextHandle_ = std::max<unsigned long long>(nextHandle_, 1);
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "%llX", nextHandle_);
    std::string handle = buf;
    ++nextHandle_;
    std::snprintf(buf, sizeof buf, "%llX", nextHandle_);
    if (seedTag)
        h->head[seedTag].setValue(own(buf));
    return handle;
}

void Drawing::remember(const Record& r)
{
    if (!handlesBuilt_)
        return;
    auto t = tags(r);
    for (size_t i = 1; i < t.size() && i < 4; ++i)
        if (t[i].code == 5 || t[i].code == 105) {
            handles_.emplace(upperTrimmed(t[i].value()), r.id);
            return;
        }
}

// ---- tables ---------------------------------------------------------------------------------

bool Drawing::findTable(const std::string& name, Table& table) const
{
    const Section* s = section("TABLES");
    if (!s)
        return false;
    for (size_t i = 0; i < s->records.size(); ++i) {
        if (type(s->records[i]) != "TABLE")
            continue;
        auto t = tags(s->records[i]);
        bool match = false;
        for (const Tag& g : t)
            if (g.code == 2) {
                match = upperTrimmed(g.value()) == name;
                break;
            }
        if (!match)
            continue;
        size_t j = i + 1;
        while (j < s->records.size() && type(s->records[j]) != "ENDTAB" && type(s->records[j]) != "TABLE")
            ++j;
        table.header = i;
        table.end = j;
        return true;
    }
    return false;
}

std::vector<const Drawing::Record*> Drawing::tableRecords(const std::wstring& tableName) const
{
    std::vector<const Record*> out;
    std::string table = upperTrimmed(kortext::fromWide(tableName));
    if (table == "BLOCK") {
        // Block definitions: the BLOCK records of the BLOCKS section.
        if (const Section* s = section("BLOCKS"))
            for (const Record& r : s->records)
                if (type(r) == "BLOCK" && !r.erased) {
                    std::wstring n = kortext::upper(recordName(tags(r), utf8_));
                    if (n != L"*MODEL_SPACE" && n != L"*PAPER_SPACE")
                        out.push_back(&r);
                }
        return out;
    }
    Table t;
    if (!findTable(table, t))
        return out;
    const Section* s = section("TABLES");
    for (size_t i = t.header + 1; i < t.end; ++i) {
        const Record& r = s->records[i];
        if (r.erased)
            continue;
        if (table == "LTYPE") {
            std::wstring n = kortext::upper(recordName(tags(r), utf8_));
            if (n == L"BYBLOCK" || n == L"BYLAYER")
                continue;
        }
        out.push_back(&r);
    }
    return out;
}

const Drawing::Record* Drawing::find(const std::wstring& table, const std::wstring& name) const
{
    for (const Record* r : tableRecords(table))
        if (equalText(recordName(tags(*r), utf8_), name))
            return r;
    return nullptr;
}

dxf::Groups Drawing::tableGroups(const Record& r) const
{
    dxf::Groups out;
    auto t = tags(r);
    bool block = type(r) == "BLOCK";
    auto groups = groupsOf(t, 0, xdataStart(t));
    int depth = 0;  // inside a 102 {...} group
    for (const Group& g : groups) {
        const Tag& first = t[g.tag];
        if (g.code == 102) {
            depth += trim(first.value()).starts_with("{") ? 1 : (depth > 0 ? -1 : 0);
            continue;
        }
        if (depth > 0)
            continue;
        int c = g.code;
        if (c == 5 || c == 100 || c == 105 || c == 290 || (c >= 330 && c <= 369) || c == 370 ||
            (c >= 390 && c <= 399) || c == 480 || c == 481 || (block && c == 8))
            continue;
        if (dxf::kindOf(c) != dxf::Kind::Name)
            out.push_back(valueOf(t, g, utf8_));
    }
    if (block) {
        // A block definition names its first entity (-2).
        const Where& w = where_[r.id];
        const Section& s = sections_[w.section];
        if (w.index + 1 < s.records.size() && type(s.records[w.index + 1]) != "ENDBLK") {
            out.emplace_back(-2, nameOf(s.records[w.index + 1].id));
        }
    }
    return out;
}

dxf::Groups Drawing::tblNext(const std::wstring& table, bool rewind)
{
    std::vector<const Record*> records = tableRecords(table);
    size_t& cursor = cursors_[kortext::upper(table)];
    if (rewind)
        cursor = 0;
    if (cursor >= records.size())
        return {};
    return tableGroups(*records[cursor++]);
}

dxf::Groups Drawing::tblSearch(const std::wstring& table, const std::wstring& name, bool setNext)
{
    std::vector<const Record*> records = tableRecords(table);
    for (size_t i = 0; i < records.size(); ++i)
        if (equalText(recordName(tags(*records[i]), utf8_), name)) {
            if (setNext)
                cursors_[kortext::upper(table)] = i + 1;
            return tableGroups(*records[i]);
        }
    return {};
}

void Drawing::renumber(uint32_t sectionIndex)
{
    auto& records = sections_[sectionIndex].records;
    for (uint32_t i = 0; i < records.size(); ++i)
        where_[records[i].id] = Where{sectionIndex, i};
}

uint32_t Drawing::addTableRecord(const std::string& tableName, const std::vector<std::pair<int, std::string>>& data)
{
    Table t;
    Section* s = section("TABLES");
    if (!s || !findTable(tableName, t))
        return 0;
    std::vector<std::pair<int, std::string>> whole{{0, tableName}};
    whole.insert(whole.end(), data.begin(), data.end());
    if (!soundRecord(whole, nullptr))
        return 0;
    const Record& header = s->records[t.header];
    bool subclassed = false;
    std::string tableHandle;
    for (const Tag& g : tags(header)) {
        if (g.code == 100)
            subclassed = true;
        if (g.code == 5)
            tableHandle = std::string(trim(g.value()));
    }
    static const std::map<std::string, std::string> subclass = {
        {"APPID", "AcDbRegAppTableRecord"}, {"LAYER", "AcDbLayerTableRecord"},
        {"LTYPE", "AcDbLinetypeTableRecord"}, {"STYLE", "AcDbTextStyleTableRecord"}};
    auto r = std::make_unique<Tags>();
    r->push_back(Tag{0, own(tableName)});
    if (usesHandles()) {
        r->push_back(Tag{5, own(newHandle())});
        if (!tableHandle.empty())
            r->push_back(Tag{330, own(tableHandle)});
    }
    if (subclassed) {
        r->push_back(Tag{100, "AcDbSymbolTableRecord"});
        auto sc = subclass.find(tableName);
        if (sc != subclass.end())
            r->push_back(Tag{100, sc->second});
    }
    for (const auto& [code, value] : data)
        r->push_back(Tag{code, own(value)});
    Record rec;
    rec.id = static_cast<uint32_t>(where_.size());
    rec.own = std::move(r);
    uint32_t sectionIndex = static_cast<uint32_t>(s - sections_.data());
    where_.push_back(Where{sectionIndex, static_cast<uint32_t>(t.end)});
    sub_.push_back(0);
    s->records.insert(s->records.begin() + static_cast<long>(t.end), std::move(rec));
    ++tablesChanged_;
    renumber(sectionIndex);
    remember(*recordById(static_cast<uint32_t>(where_.size() - 1)));
    touch();
    return static_cast<uint32_t>(where_.size() - 1);
}

int Drawing::setLayersOn(const std::wstring& pattern, bool on)
{
    int matched = 0;
    for (const Record* found : tableRecords(L"LAYER")) {
        if (!kortext::wildcardMatch(recordName(tags(*found), utf8_), pattern, true))
            continue;
        ++matched;
        ++tablesChanged_;
        Record& r = *recordById(found->id);
        for (Tag& g : writable(r))
            if (g.code == 62) {
                long long colour = integer(g.value());
                if ((colour < 0) == on) {
                    g.setValue(own(std::to_string(on ? -colour : -colour)));
                    touch();
                }
            }
    }
    return matched;
}

bool Drawing::regApp(const std::wstring& name)
{
    if (name.empty() || name.size() > 255 || find(L"APPID", name))
        return false;
    for (wchar_t c : name)
        if (!(std::iswalnum(c) || c == L'_' || c == L'-' || c == L'$'))
            return false;
    return addTableRecord("APPID", {{2, dxf::encodeText(name, utf8_)}, {70, "0"}}) != 0;
}

}  // namespace korcad
