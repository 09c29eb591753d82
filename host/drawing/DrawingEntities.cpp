// DrawingEntities.cpp — walking, reading, erasing and adding the entities of a drawing.
#include "drawing/Drawing.h"
#include "drawing/DrawingRecords.h"

#include "text/wildcard.h"

#include <algorithm>
#include <cstring>

namespace korcad {

using namespace records;

// ---- entities -------------------------------------------------------------------------------

bool Drawing::entNext(const EntityName& entity, EntityName& next) const
{
    if (entities_ < 0)
        return false;
    const auto& records = sections_[entities_].records;
    size_t from = 0;
    bool any = entity.null();
    if (!any) {
        const Record* r = record(entity);
        if (!r || where_[r->id].section != static_cast<uint32_t>(entities_))
            return false;
        from = where_[r->id].index + 1;
    }
    for (size_t i = from; i < records.size(); ++i) {
        if (records[i].erased || (any && sub_[records[i].id]))
            continue;
        next = nameOf(records[i].id);
        return true;
    }
    return false;
}

bool Drawing::entLast(EntityName& last) const
{
    if (entities_ < 0)
        return false;
    const auto& records = sections_[entities_].records;
    for (size_t i = records.size(); i-- > 0;)
        if (!records[i].erased && !sub_[records[i].id]) {
            last = nameOf(records[i].id);
            return true;
        }
    return false;
}

std::vector<uint32_t> Drawing::mainEntities() const
{
    std::vector<uint32_t> out;
    if (entities_ < 0)
        return out;
    for (const Record& r : sections_[entities_].records)
        if (!r.erased && !sub_[r.id])
            out.push_back(r.id);
    return out;
}

namespace {

bool appWanted(const std::wstring& app, const std::vector<std::wstring>& apps)
{
    for (const std::wstring& a : apps)
        if (kortext::wildcardMatch(app, a, true))
            return true;
    return false;
}

}  // namespace

dxf::Groups Drawing::entGet(const EntityName& entity, const std::vector<std::wstring>* apps) const
{
    const Record* r = record(entity);
    if (!r)
        return {};
    auto t = tags(*r);
    dxf::Groups out;
    // A name goes in as the name of the record its handle stands for; one that points to no
    // record is left out.
    auto add = [&](const Group& g) {
        if (dxf::kindOf(g.code) != dxf::Kind::Name) {
            out.push_back(valueOf(t, g, utf8_));
            return;
        }
        uint32_t id = lookupHandle(trim(t[g.tag].value()));
        const Record* target = recordById(id);
        if (target && !target->erased)
            out.emplace_back(g.code, nameOf(id));
    };
    out.emplace_back(-1, nameOf(r->id));
    size_t xs = xdataStart(t);
    for (const Group& g : groupsOf(t, 0, xs))
        add(g);
    if (apps && xs < t.size()) {
        bool started = false;
        bool wanted = false;
        for (const Group& g : groupsOf(t, xs, t.size())) {
            if (g.code == 1001) {
                wanted = appWanted(text(t[g.tag].value()), *apps);
                if (wanted && !started) {
                    out.emplace_back(-3);
                    started = true;
                }
            }
            if (wanted)
                add(g);
        }
    }
    return out;
}

bool Drawing::entDel(const EntityName& name)
{
    if (name.serial != serial_ || name.id < kNameBase || (name.id - kNameBase) % 8 != 0)
        return false;
    int64_t id = (name.id - kNameBase) / 8;
    Record* r = id > 0 && id < static_cast<int64_t>(where_.size()) ? recordById(static_cast<uint32_t>(id)) : nullptr;
    if (!r || where_[r->id].section != static_cast<uint32_t>(entities_) || sub_[r->id])
        return false;
    // A main entity goes (or comes back) with its sub-entities.
    bool erase = !r->erased;
    auto& records = sections_[entities_].records;
    for (size_t i = where_[r->id].index; i < records.size(); ++i) {
        if (i > where_[r->id].index && !sub_[records[i].id])
            break;
        records[i].erased = erase;
    }
    touch();
    return true;
}

uint32_t Drawing::appendEntity(const std::vector<std::pair<int, std::string>>& groups)
{
    if (!soundRecord(groups, nullptr))
        return 0;
    if (entities_ < 0) {
        // A drawing without an ENTITIES section gets one before the OBJECTS (or at the end).
        Section s;
        s.name = "ENTITIES";
        s.head = {Tag{0, "SECTION"}, Tag{2, "ENTITIES"}};
        s.end = {Tag{0, "ENDSEC"}};
        size_t at = sections_.size();
        for (size_t i = 0; i < sections_.size(); ++i)
            if (sections_[i].name == "OBJECTS" || (sections_[i].name.empty() && i + 1 == sections_.size())) {
                at = i;
                break;
            }
        sections_.insert(sections_.begin() + static_cast<long>(at), std::move(s));
        entities_ = static_cast<int>(at);
        for (uint32_t i = 0; i < sections_.size(); ++i)
            renumber(i);
    }
    auto t = std::make_unique<Tags>();
    t->push_back(Tag{0, own(groups[0].second)});
    if (usesHandles()) {
        t->push_back(Tag{5, own(newHandle())});
        if (const Record* ms = find(L"BLOCK_RECORD", L"*Model_Space"))
            for (const Tag& g : tags(*ms))
                if (g.code == 5) {
                    t->push_back(Tag{330, g.value()});
                    break;
                }
    }
    for (size_t i = 1; i < groups.size(); ++i)
        if (groups[i].first != 5 && groups[i].first != 330)
            t->push_back(Tag{groups[i].first, own(groups[i].second)});
    Record rec;
    rec.id = static_cast<uint32_t>(where_.size());
    rec.own = std::move(t);
    auto& records = sections_[entities_].records;
    where_.push_back(Where{static_cast<uint32_t>(entities_), static_cast<uint32_t>(records.size())});
    sub_.push_back(continuesComplex(records.size(), groups[0].second) ? 1 : 0);
    records.push_back(std::move(rec));
    remember(records.back());
    touch();
    return static_cast<uint32_t>(where_.size() - 1);
}

}  // namespace korcad
