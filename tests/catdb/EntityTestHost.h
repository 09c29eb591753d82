// EntityTestHost.h — korcad's host with a drawing for the entity and classification tests; it
// counts the entity reads and writes that reach the drawing (whole entities or extended data).
#pragma once

#include "cad/CadHost.h"
#include "drawing/DrawingFile.h"

#include "ads/adshost.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace catdbtest {

class CountingHost : public korcad::CadHost {
public:
    resbuf* entGet(const ads_name entity, const resbuf* apps) override
    {
        ++reads;
        return CadHost::entGet(entity, apps);
    }
    int entMod(const resbuf* groups) override
    {
        ++writes;
        return CadHost::entMod(groups);
    }
    resbuf* entGetXData(const ads_name entity, const std::wstring& app) override
    {
        ++reads;
        return CadHost::entGetXData(entity, app);
    }
    int entModXData(const resbuf* groups) override
    {
        ++writes;
        return CadHost::entModXData(groups);
    }
    void resetCounts() { reads = writes = 0; }
    int reads = 0;
    int writes = 0;
};

inline std::string netzPath() { return std::string(EXAMPLES_DIR) + "/netz.dxf"; }

// The extended data of one application of an entity, as (group, value as text) pairs;
// {{0, "<no entity>"}} for a name of no entity.
inline std::vector<std::pair<int, std::wstring>> xdataOf(const ads_name e, const wchar_t* app)
{
    ads::RbPtr apps(acutBuildList(RTSTR, app, 0));
    ads::RbPtr groups(acdbEntGetX(e, apps.get()));
    if (!groups)
        return {{0, L"<no entity>"}};
    std::vector<std::pair<int, std::wstring>> out;
    bool in = false;
    for (const resbuf* rb = groups.get(); rb; rb = rb->rbnext) {
        if (rb->restype == 1001) {
            in = true;
            continue;
        }
        if (!in)
            continue;
        switch (ads::groupKind(rb->restype)) {
        case ads::GroupKind::Text:
            out.emplace_back(rb->restype, rb->resval.rstring);
            break;
        case ads::GroupKind::Int16:
            out.emplace_back(rb->restype, std::to_wstring(rb->resval.rint));
            break;
        case ads::GroupKind::Int32:
            out.emplace_back(rb->restype, std::to_wstring(rb->resval.rlong));
            break;
        case ads::GroupKind::Real:
            out.emplace_back(rb->restype, std::to_wstring(rb->resval.rreal));
            break;
        default:
            out.emplace_back(rb->restype, L"?");
        }
    }
    return out;
}

// The entities of the current drawing whose type is `type`, as a new selection set.
inline bool selectAll(const wchar_t* type, ads_name ss)
{
    ads::RbPtr filter(acutBuildList(RTDXF0, type, 0));
    return acedSSGet(L"X", nullptr, nullptr, filter.get(), ss) == RTNORM;
}

}  // namespace catdbtest
