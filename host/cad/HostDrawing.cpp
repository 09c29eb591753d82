// The ADS calls over the current drawing: its tables and entities (acdbTblNext ...
// acdbEntDel, acdbRegApp, and one application's extended data alone) and the selection sets
// (acedSSGet ... acedSSFree). The drawing speaks in its own groups; GroupChains turns them into
// result-buffer chains and back.
#include "cad/CadHost.h"

#include "cad/GroupChains.h"

#include "drawing/Selection.h"

#include "text/text.h"

#include <algorithm>

namespace korcad {

resbuf* CadHost::tblNext(const std::wstring& table, bool rewind)
{
    Drawing* d = drawing(current_);
    return d ? toChain(d->tblNext(table, rewind)).release() : nullptr;
}

resbuf* CadHost::tblSearch(const std::wstring& table, const std::wstring& name, bool setNext)
{
    Drawing* d = drawing(current_);
    return d ? toChain(d->tblSearch(table, name, setNext)).release() : nullptr;
}

int CadHost::entNext(const ads_name entity, ads_name next)
{
    Drawing* d = drawing(current_);
    EntityName n;
    if (!d || !d->entNext(entityName(entity), n))
        return RTERROR;
    setName(next, n);
    return RTNORM;
}

int CadHost::entLast(ads_name last)
{
    Drawing* d = drawing(current_);
    EntityName n;
    if (!d || !d->entLast(n))
        return RTERROR;
    setName(last, n);
    return RTNORM;
}

int CadHost::handEnt(const std::wstring& handle, ads_name entity)
{
    Drawing* d = drawing(current_);
    EntityName n;
    if (!d || !d->handEnt(handle, n))
        return RTERROR;
    setName(entity, n);
    return RTNORM;
}

resbuf* CadHost::entGet(const ads_name entity, const resbuf* apps)
{
    Drawing* d = drawing(current_);
    if (!d)
        return nullptr;
    if (!apps)
        return toChain(d->entGet(entityName(entity))).release();
    std::vector<std::wstring> names = textsOf(apps);
    return toChain(d->entGet(entityName(entity), &names)).release();
}

int CadHost::entMod(const resbuf* groups)
{
    Drawing* d = drawing(current_);
    std::string why;
    if (d && d->entMod(fromChain(groups), &why))
        return RTNORM;
    lastError_ = d ? why : "no drawing is open";
    return RTERROR;
}

resbuf* CadHost::entGetXData(const ads_name entity, const std::wstring& app)
{
    Drawing* d = drawing(current_);
    return d ? toChain(d->entGetXdata(entityName(entity), app)).release() : nullptr;
}

int CadHost::entModXData(const resbuf* groups)
{
    Drawing* d = drawing(current_);
    std::string why;
    if (d && d->entModXdata(fromChain(groups, xdataGroups_), &why))
        return RTNORM;
    lastError_ = d ? why : "no drawing is open";
    return RTERROR;
}

int CadHost::entMake(const resbuf* groups)
{
    Drawing* d = drawing(current_);
    std::string why;
    if (d && d->entMake(fromChain(groups), &why))
        return RTNORM;
    lastError_ = d ? why : "no drawing is open";
    return RTERROR;
}

int CadHost::entDel(const ads_name entity)
{
    Drawing* d = drawing(current_);
    return d && d->entDel(entityName(entity)) ? RTNORM : RTERROR;
}

int CadHost::regApp(const std::wstring& name)
{
    Drawing* d = drawing(current_);
    return d && d->regApp(name) ? RTNORM : RTERROR;
}

// ---- selection sets -------------------------------------------------------------------------------

namespace {
// The second half of a selection set's name: tells sets from entity names.
constexpr int64_t kSetMark = 0x55e7;
}  // namespace

CadHost::SelectionSet* CadHost::selectionSet(const ads_name set)
{
    if (!set || set[1] != kSetMark)
        return nullptr;
    auto it = sets_.find(set[0]);
    return it == sets_.end() ? nullptr : &it->second;
}

void CadHost::newSet(std::vector<std::array<int64_t, 2>> items, ads_name set)
{
    int64_t key = nextSet_++;
    sets_[key] = SelectionSet{items};
    set[0] = key;
    set[1] = kSetMark;
}

int CadHost::ssGet(const std::wstring& modeText, const double* p1, const double* p2, const resbuf* filter,
                   ads_name set)
{
    lastError_.clear();  // an earlier call's reason is no reason for this one
    Drawing* d = drawing(current_);
    if (!d)
        return RTERROR;
    std::wstring mode = kortext::upper(modeText);
    while (!mode.empty() && (mode[0] == L'_' || mode[0] == L'.'))
        mode.erase(0, 1);
    SelectionFilter f;
    std::string why;
    if (filter && !f.parse(fromChain(filter), &why)) {
        lastError_ = why;
        return RTERROR;
    }
    const std::vector<std::wstring> all{L"*"};
    auto take = [&](const EntityName& e) {
        if (!filter)
            return true;
        dxf::Groups groups = d->entGet(e, f.needsXdata() ? &all : nullptr);
        return !groups.empty() && f.matches(groups);
    };
    std::vector<std::array<int64_t, 2>> items;
    if (mode == L"X" || mode == L"A") {
        for (uint32_t id : d->mainEntities()) {
            EntityName e = d->nameOf(id);
            if (take(e))
                items.push_back({e.id, e.serial});
        }
    } else if (mode == L"L") {
        EntityName e;
        if (d->entLast(e) && take(e))
            items.push_back({e.id, e.serial});
    } else if (mode == L"P") {
        auto it = sets_.find(previousSet_);
        if (it != sets_.end())
            for (const auto& e : it->second.items)
                if (d->record(entityName(e.data())) && take(entityName(e.data())))
                    items.push_back(e);
    } else if ((mode == L"W" || mode == L"C") && p1 && p2 && boxSelector_) {
        for (const auto& e : boxSelector_(p1, p2, mode == L"C"))
            if (take(entityName(e.data())))
                items.push_back(e);
    } else if (mode.empty() && userSelector_) {
        Names picked;
        int rc = userSelector_(picked);
        if (rc == RTCAN)
            return RTCAN;
        for (const auto& e : picked)
            if (take(entityName(e.data())))
                items.push_back(e);
    } else {
        lastError_ = mode == L"W" || mode == L"C" ? "ssget: window and crossing need two points"
                                                  : "ssget: unknown mode";
        return RTERROR;
    }
    if (items.empty())
        return RTERROR;
    newSet(std::move(items), set);
    previousSet_ = set[0];
    return RTNORM;
}

int CadHost::ssLength(const ads_name set, int32_t* length)
{
    SelectionSet* s = selectionSet(set);
    if (!s)
        return RTERROR;
    *length = static_cast<int32_t>(s->items.size());
    return RTNORM;
}

int CadHost::ssName(const ads_name set, int32_t index, ads_name entity)
{
    SelectionSet* s = selectionSet(set);
    if (!s || index < 0 || static_cast<size_t>(index) >= s->items.size())
        return RTERROR;
    entity[0] = s->items[static_cast<size_t>(index)][0];
    entity[1] = s->items[static_cast<size_t>(index)][1];
    return RTNORM;
}

int CadHost::ssAdd(const ads_name entity, const ads_name set, ads_name result)
{
    Drawing* d = drawing(current_);
    bool hasEntity = entity && (entity[0] || entity[1]);
    if (hasEntity && (!d || !d->record(entityName(entity))))
        return RTERROR;
    if (!set || (set[0] == 0 && set[1] == 0)) {
        std::vector<std::array<int64_t, 2>> items;
        if (hasEntity)
            items.push_back({entity[0], entity[1]});
        newSet(std::move(items), result);
        return RTNORM;
    }
    SelectionSet* s = selectionSet(set);
    if (!s)
        return RTERROR;
    if (hasEntity) {
        std::array<int64_t, 2> e{entity[0], entity[1]};
        if (std::find(s->items.begin(), s->items.end(), e) == s->items.end())
            s->items.push_back(e);
    }
    result[0] = set[0];
    result[1] = set[1];
    return RTNORM;
}

int CadHost::ssDel(const ads_name entity, const ads_name set)
{
    SelectionSet* s = selectionSet(set);
    if (!s)
        return RTERROR;
    std::array<int64_t, 2> e{entity[0], entity[1]};
    auto it = std::find(s->items.begin(), s->items.end(), e);
    if (it == s->items.end())
        return RTERROR;
    s->items.erase(it);
    return RTNORM;
}

int CadHost::ssFree(const ads_name set)
{
    if (!selectionSet(set))
        return RTERROR;
    sets_.erase(set[0]);
    return RTNORM;
}

}  // namespace korcad
