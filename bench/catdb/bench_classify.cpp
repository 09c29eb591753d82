// Classifying 100,000 entities with three attributes each, as the assignment worker does it
// (CKORAdsEntity: Connect, three SetAttribute, Update), against a bare loop of acdbEntGetX and
// acdbEntMod writing the same extended data. Then the whole classification with the catalogue.
#include "../host/BigDrawing.h"
#include "../../tests/catdb/CatalogueSql.h"

#include "CadHost.h"
#include "catdb/catdb.h"
#include "db/kordb.h"
#include "korent/korent.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    const size_t n = argc > 1 ? std::stoul(argv[1]) : 100000;
    korcad::CadHost host;
    host.openDrawing(bench::bigDrawing(n));
    acdbRegApp(KOR_ATTRIBUTE_APP);
    ads_name ss;
    ads::RbPtr all(acutBuildList(RTNONE, 0));
    if (acedSSGet(L"X", nullptr, nullptr, nullptr, ss) != RTNORM)
        return 1;
    CKORAdsSelectionSet set(ss);
    const long size = set.GetSize();
    std::printf("entities: %ld\n", size);

    int round = 0;
    auto values = [&](std::wstring& id, std::wstring& name) {
        ++round;
        id = L"K-" + std::to_wstring(round) + L"|Armatur|1";
        name = L"Klasse " + std::to_wstring(round);
    };
    auto ours = [&] {
        std::wstring id, name;
        values(id, name);
        for (long i = 0; i < size; ++i) {
            ads_name e;
            if (!set.GetAt(i, e))
                continue;
            CKORAdsEntity entity;
            if (!entity.Connect(e))
                continue;
            entity.SetAttribute(L"CAD-Class", id.c_str());
            entity.SetAttribute(L"CAD-Class_M", 1);
            entity.SetAttribute(L"CAD-Class-Name", name.c_str());
            if (!entity.Update())
                std::abort();
        }
    };
    auto bare = [&] {
        std::wstring id, name;
        values(id, name);
        ads::RbPtr apps(acutBuildList(RTSTR, KOR_ATTRIBUTE_APP, 0));
        for (long i = 0; i < size; ++i) {
            ads_name e;
            if (acedSSName(ss, static_cast<int32_t>(i), e) != RTNORM)
                continue;
            ads::RbPtr groups(acdbEntGetX(e, apps.get()));
            if (!groups)
                continue;
            ads::RbPtr mod(acutBuildList(-1, e, -3, 1001, KOR_ATTRIBUTE_APP, 1000, L"CAD-Class", 1000, id.c_str(),
                                         1000, L"CAD-Class_M", 1071, 1, 1000, L"CAD-Class-Name", 1000, name.c_str(),
                                         0));
            if (acdbEntMod(mod.get()) != RTNORM)
                std::abort();
        }
    };
    std::vector<double> tOurs, tBare;
    for (int r = 0; r < 5; ++r) {
        if (r % 2) {
            tBare.push_back(bench::timeIt(bare));
            tOurs.push_back(bench::timeIt(ours));
        } else {
            tOurs.push_back(bench::timeIt(ours));
            tBare.push_back(bench::timeIt(bare));
        }
    }
    double o = bench::median(tOurs), b = bench::median(tBare);
    std::printf("assignment loop: ours %.1f ms (%.2f us/entity), bare %.1f ms (%.2f us/entity), ratio %.3f\n", o,
                1000 * o / size, b, 1000 * b / size, o / b);

    // The whole classification with a catalogue of 50,000 classes.
    std::string db = "/tmp/bench-katalog-" + std::to_string(::getpid()) + ".sqlite";
    catdbtest::makeDatabase(db, catdbtest::generatedCatalogueSql(50000));
    kordb::setDatabase("KATALOG", db);
    double load = bench::timeIt([] { CCATDBModelManager::GetCurrentModel(); });
    const CCATDBCADClass* c = CCATDBModelManager::GetCurrentModel()->FindCADClass(L"GEN-000002");
    CCATDBSelectionEntities entities(set);
    double removal = bench::timeIt([&] { entities.RemoveAttributesFromTbl(); });
    double assign = bench::timeIt([&] {
        for (long i = 0; i < size; ++i) {
            ads_name e;
            set.GetAt(i, e);
            CKORAdsEntity entity;
            entity.Connect(e);
            entity.SetAttribute(CATDB_ATTR_CADCLASS, c->GetCADClassIdentification());
            entity.SetAttribute(CATDB_ATTR_CADCLASS_M, 1);
            entity.SetAttribute(CATDB_ATTR_CADCLASS_NAME, c->GetDisplayName().GetText(nullptr));
            entity.Update();
        }
    });
    double update = bench::timeIt([&] {
        entities.LoadEntities(set.GetAdsName());
        entities.SetStandardValuesFromTbl();
        entities.UpdateCATDBValuesFromKey();
    });
    std::printf("catalogue of 50,000 classes read in %.1f ms; removal %.1f ms, assignment %.1f ms, "
                "load + standard values + update %.1f ms\n",
                load, removal, assign, update);
    std::remove(db.c_str());
    return 0;
}
