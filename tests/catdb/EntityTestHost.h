// EntityTestHost.h — for the catalogue, entity and classification tests: korcad's host that
// counts the entity reads and writes reaching the drawing, and a test's own catalogue.
#pragma once

#include "db_scope.h"

#include "CatalogueSql.h"

#include "cad/CadHost.h"
#include "catdb/catdb.h"
#include "db/kordb.h"
#include "drawing/DrawingFile.h"

#include "ads/adshost.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
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

// A test's own folder (also its XDG_CONFIG_HOME) and a fresh db layer and catalogue model that
// collect their diagnostics; all undone when it goes.
struct CatalogueScope : dbtest::Scope {
    CatalogueScope()
    {
        CCATDBModelManager::SetCatalogueDatabase(nullptr);
        CCATDBModelManager::Reset();
        CCATDBMultiLanguageString::SetUserLanguage(nullptr);
    }
    ~CatalogueScope()
    {
        CCATDBModelManager::Reset();
        CCATDBMultiLanguageString::SetUserLanguage(nullptr);
    }
    // Makes the database `name` from SQL text in the folder and configures it; "" or the error.
    std::string make(const std::string& sql, const std::string& name = "KATALOG")
    {
        const std::string file = (dir / (name + ".sqlite")).string();
        std::string error = testdb::sqliteFile(file, sql);
        if (error.empty() && !kordb::setDatabase(name, file))
            error = "setDatabase " + name + " failed";
        return error;
    }
    std::string all() const
    {
        std::string out;
        for (const auto& d : diagnostics)
            out += d + "\n";
        return out;
    }
};

}  // namespace catdbtest
