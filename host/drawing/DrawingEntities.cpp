// DrawingEntities.cpp — walking, reading, erasing and adding the entities of a drawing.
#include "drawing/Drawing.h"
#include "drawing/DrawingRecords.h"

#include "drawing/Wildcard.h"

#include <algorithm>
#include <cstring>

namespace korcad {

using namespace records;

// ---- entities -------------------------------------------------------------------------------

bool Drawing::entNext(const ads_name entity, ads_name next) const
{
    if (entities_ < 0)
        return false;
    const auto& records = sections_[entities_].records;
    size_t from = 0;
    bool any = !entity || (entity[0] == 0 && entity[1] == 0);
    if (!any) {
        const Record* r = record(entity);
        if (!r || where_[r->id].section != static_cast<uint32_t>(entities_))
            return false;
        from = where_[r->id].index + 1;
    }
    for (size_t i = from; i < records.size(); ++i) {
        if (records[i].erased || (any && sub_[records[i].id]))
            continue;
        nameOf(records[i].id, next);
        return true;
    }
    return false;
}

bool Drawing::entLast(ads_name last) const
{
    if (entities_ < 0)
        return false;
    const auto& records = sections_[entities_].records;
    for (size_t i = records.size(); i-- > 0;)
        if (!records[i].erased && !sub_[records[i].id]) {
            nameOf(records[i].id, last);
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

// Appends one group (single or point) as a result buffer. False for a name that points to
// no record (left out).
template <class Resolve>
void addGroup(ads::ChainBuilder& chain, std::span<const Tag> t, const Group& g, bool utf8, Resolve resolve)
{
    const Tag& first = t[g.tag];
    int c = g.code;
    switch (dxf::kindOf(c)) {
    case dxf::Kind::Text:
        chain.addText(c, dxf::decodeText(first.value, utf8));
        return;
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        chain.add(c)->resval.rreal = real(first.value);
        return;
    case dxf::Kind::Point: {
        resbuf* rb = chain.add(c);
        for (size_t k = 0; k < 3; ++k)
            rb->resval.rpoint[k] = k < g.count ? real(t[g.tag + k].value) : 0.0;
        return;
    }
    case dxf::Kind::Int16:
        chain.add(c)->resval.rint = static_cast<short>(integer(first.value));
        return;
    case dxf::Kind::Int32:
        chain.add(c)->resval.rlong = static_cast<int32_t>(integer(first.value));
        return;
    case dxf::Kind::Name: {
        ads_name n;
        if (resolve(first.value, n)) {
            resbuf* rb = chain.add(c);
            rb->resval.rlname[0] = n[0];
            rb->resval.rlname[1] = n[1];
        }
        return;
    }
    }
}

bool appWanted(const std::wstring& app, const resbuf* apps)
{
    for (const resbuf* a = apps; a; a = a->rbnext)
        if (a->restype == RTSTR && a->resval.rstring && wildcardMatch(app, a->resval.rstring, true))
            return true;
    return false;
}

}  // namespace

ads::RbPtr Drawing::entGet(const ads_name entity, const resbuf* apps) const
{
    const Record* r = record(entity);
    if (!r)
        return nullptr;
    auto t = tags(*r);
    auto resolve = [this](std::string_view handle, ads_name n) {
        uint32_t id = lookupHandle(trim(handle));
        const Record* target = recordById(id);
        if (!target || target->erased)
            return false;
        nameOf(id, n);
        return true;
    };
    ads::ChainBuilder chain;
    resbuf* self = chain.add(-1);
    nameOf(r->id, self->resval.rlname);
    size_t xs = xdataStart(t);
    for (const Group& g : groupsOf(t, 0, xs))
        addGroup(chain, t, g, utf8_, resolve);
    if (apps && xs < t.size()) {
        bool started = false;
        bool wanted = false;
        for (const Group& g : groupsOf(t, xs, t.size())) {
            if (g.code == 1001) {
                wanted = appWanted(text(t[g.tag].value), apps);
                if (wanted && !started) {
                    chain.add(-3);
                    started = true;
                }
            }
            if (wanted)
                addGroup(chain, t, g, utf8_, resolve);
        }
    }
    return chain.take();
}

bool Drawing::entDel(const ads_name name)
{
    if (!name || name[1] != serial_ || name[0] < kNameBase || (name[0] - kNameBase) % 8 != 0)
        return false;
    int64_t id = (name[0] - kNameBase) / 8;
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
                    t->push_back(Tag{330, g.value});
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
