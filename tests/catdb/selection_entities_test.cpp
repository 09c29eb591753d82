// Classifying the entities of a selection set: the old class removed, classes loaded, standard
// values and catalogue attributes written, each entity read and written at most once a step.
#include "EntityTestHost.h"

namespace {

using catdbtest::xdataOf;
using Groups = std::vector<std::pair<int, std::wstring>>;

class SelectionEntities : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(scope.make(catdbtest::smallCatalogueSql()), "");
        CCATDBMultiLanguageString::SetUserLanguage(L"de");
        std::string error;
        auto d = korcad::loadDrawing(catdbtest::netzPath(), &error);
        ASSERT_NE(d, nullptr) << error;
        host.openDrawing(std::move(d));
        ads_name ss;
        ASSERT_TRUE(catdbtest::selectAll(L"LWPOLYLINE", ss));
        set = CKORAdsSelectionSet(ss);
        ASSERT_GE(set.GetSize(), 4);
        for (long i = 0; i < 3; ++i)
            ASSERT_NE(set.GetAt(i, e[i]), 0);
        netz = xdataOf(e[0], L"KOR_NETZ");
        ASSERT_FALSE(netz.empty());
    }
    void TearDown() override { set = CKORAdsSelectionSet(); }
    void give(const ads_name entity, std::initializer_list<std::pair<const wchar_t*, const wchar_t*>> attributes)
    {
        CKORAdsEntity x;
        ASSERT_TRUE(x.Connect(entity));
        for (const auto& [name, value] : attributes)
            ASSERT_TRUE(x.SetAttribute(name, value));
        ASSERT_TRUE(x.Update());
    }
    // What the classification of one entity writes (as the assignment worker does).
    void classify(const ads_name entity, const CCATDBCADClass& c)
    {
        CKORAdsEntity x;
        ASSERT_TRUE(x.Connect(entity));
        x.SetAttribute(CATDB_ATTR_CADCLASS, c.GetCADClassIdentification());
        x.SetAttribute(CATDB_ATTR_CADCLASS_M, 1);
        x.SetAttribute(CATDB_ATTR_CADCLASS_NAME, c.GetDisplayName().GetText(nullptr));
        ASSERT_TRUE(x.Update());
    }
    CString attribute(const ads_name entity, const wchar_t* name)
    {
        CKOREntity x;
        CString value = L"<none>";
        if (x.Connect(entity))
            x.GetAttribute(name, value);
        return value;
    }
    // The entity's attribute names, separated by blanks.
    std::wstring names(const ads_name entity)
    {
        CKOREntity x;
        CStringArray all;
        x.Connect(entity);
        x.GetAttributeNames(all);
        std::wstring out;
        for (int i = 0; i < all.GetSize(); ++i)
            out += (i ? L" " : L"") + all[i].str();
        return out;
    }

    catdbtest::CatalogueScope scope;
    catdbtest::CountingHost host;
    CKORAdsSelectionSet set;
    ads_name e[3];
    Groups netz;
};

TEST_F(SelectionEntities, ReclassifyingRemovesTheOldClassAndWritesTheNewOnesValues)
{
    // 0 was a hydrant (with a remark of the user), 1 of a class the catalogue does not know,
    // 2 never classified.
    give(e[0], {{L"CAD-Class", L"HY-UF-080|Hydrant|1"}, {L"CAD-Class-Name", L"Unterflurhydrant DN 80"},
                {L"Nennweite", L"80"}, {L"Material", L"GGG"}, {L"Hydrantenart", L"Unterflur"},
                {L"Bemerkung", L"alt"}});
    CKORAdsEntity m;
    ASSERT_TRUE(m.Connect(e[0]) && m.SetAttribute(L"CAD-Class_M", 1) && m.Update());
    give(e[1], {{L"CAD-Class", L"ALT-4711|Punkt|3"}, {L"Nennweite", L"150"}, {L"CAD-Class-Name", L"Altklasse"}});
    const long n = set.GetSize();

    CCATDBSelectionEntities entities(set);
    EXPECT_EQ(entities.GetSelectionSet().GetAdsName()[0], set.GetAdsName()[0]);
    host.resetCounts();
    ASSERT_TRUE(entities.RemoveAttributesFromTbl()) << entities.GetLastError().GetString();
    EXPECT_EQ(host.reads, n);
    EXPECT_EQ(host.writes, 2);  // only the entities that had something to remove
    EXPECT_EQ(names(e[0]), L"Bemerkung");
    EXPECT_EQ(names(e[1]), L"Nennweite");  // an unknown class has no standard values to remove
    EXPECT_EQ(xdataOf(e[0], L"KOR_NETZ"), netz);

    const CCATDBCADClass& schieber = *CCATDBModelManager::GetCurrentModel()->FindCADClass(L"AR-SC-100");
    for (long i = 0; i < n; ++i) {
        ads_name x;
        ASSERT_NE(set.GetAt(i, x), 0);
        classify(x, schieber);
    }

    CCATDBMultiLanguageString::SetUserLanguage(L"en");
    host.resetCounts();
    ASSERT_TRUE(entities.LoadEntities(set.GetAdsName())) << entities.GetLastError().GetString();
    EXPECT_EQ(entities.GetLoadedCount(), n);
    EXPECT_EQ(entities.GetLoadedClass(1), &schieber);
    EXPECT_EQ(entities.GetLoadedClass(n), nullptr);
    ASSERT_TRUE(entities.SetStandardValuesFromTbl()) << entities.GetLastError().GetString();
    EXPECT_EQ(host.writes, 0);  // in memory only
    ASSERT_TRUE(entities.UpdateCATDBValuesFromKey()) << entities.GetLastError().GetString();
    EXPECT_EQ(host.reads, n);
    EXPECT_EQ(host.writes, n);

    EXPECT_EQ(xdataOf(e[2], KOR_ATTRIBUTE_APP),
              (Groups{{1000, L"CAD-Class"}, {1000, L"AR-SC-100|Armatur|2"}, {1000, L"CAD-Class_M"}, {1071, L"1"},
                      {1000, L"CAD-Class-Name"}, {1000, L"Gate valve DN 100"}, {1000, L"Druckstufe"},
                      {1000, L"PN 16"}, {1000, L"Material"}, {1000, L"GGG"}, {1000, L"Nennweite"}, {1000, L"100"}}));
    EXPECT_EQ(attribute(e[0], L"Bemerkung"), L"alt");
    EXPECT_EQ(attribute(e[0], L"Hydrantenart"), L"<none>");
    EXPECT_EQ(attribute(e[0], L"Nennweite"), L"100");
    EXPECT_EQ(attribute(e[1], L"Nennweite"), L"150");  // a value the entity has stays
    EXPECT_EQ(attribute(e[1], L"Material"), L"GGG");
    EXPECT_EQ(xdataOf(e[0], L"KOR_NETZ"), netz);

    // Once more: nothing changes, nothing is written.
    host.resetCounts();
    ASSERT_TRUE(entities.LoadEntities(set.GetAdsName()));
    ASSERT_TRUE(entities.SetStandardValuesFromTbl());
    ASSERT_TRUE(entities.UpdateCATDBValuesFromKey());
    EXPECT_EQ(host.writes, 0);
    EXPECT_EQ(scope.all(), "");
}

TEST_F(SelectionEntities, InvalidSetsErasedEntitiesAndUnknownClassesAreReported)
{
    // Nothing loaded yet.
    CCATDBSelectionEntities entities(set);
    EXPECT_FALSE(entities.SetStandardValuesFromTbl());
    EXPECT_EQ(entities.GetLastError(), L"no entities are loaded");
    EXPECT_FALSE(entities.UpdateCATDBValuesFromKey());

    // A set that does not exist (any more).
    ads_name gone;
    ASSERT_TRUE(catdbtest::selectAll(L"LWPOLYLINE", gone));
    acedSSFree(gone);
    EXPECT_FALSE(entities.LoadEntities(gone));
    EXPECT_EQ(entities.GetLastError(), L"the selection set is not valid");
    EXPECT_EQ(entities.GetLoadedCount(), 0);
    EXPECT_FALSE(entities.LoadEntities(nullptr));
    CCATDBSelectionEntities none{CKORAdsSelectionSet(gone, false)};
    EXPECT_FALSE(none.RemoveAttributesFromTbl());

    // One entity of a known class, one of an unknown class, one without a class; one erased
    // before loading.
    const CCATDBCADClass& hy = *CCATDBModelManager::GetCurrentModel()->FindCADClass(L"HY-UF-080");
    classify(e[0], hy);
    classify(e[2], hy);
    give(e[1], {{L"CAD-Class", L"ALT-4711|Punkt|3"}, {L"CAD-Class-Name", L"Altklasse"}});
    ads_name erased;
    ASSERT_NE(set.GetAt(set.GetSize() - 1, erased), 0);
    ASSERT_EQ(acdbEntDel(erased), RTNORM);
    EXPECT_FALSE(entities.LoadEntities(set.GetAdsName()));
    const long n = set.GetSize();
    const std::wstring unread = L"1 of " + std::to_wstring(n) + L" entities could not be read (entity " + std::to_wstring(n - 1);
    EXPECT_EQ(entities.GetLastError().str().rfind(unread + L": ", 0), 0u) << entities.GetLastError().GetString();
    ASSERT_EQ(entities.GetLoadedCount(), n - 1);
    EXPECT_TRUE(entities.GetLoadedClass(0) == &hy && !entities.GetLoadedClass(1) && entities.GetLoadedClass(2) == &hy &&
                !entities.GetLoadedClass(3));
    ASSERT_TRUE(entities.SetStandardValuesFromTbl());

    // An entity erased between loading and writing: the others are written.
    Groups erasedBefore = xdataOf(e[2], KOR_ATTRIBUTE_APP);
    ASSERT_EQ(acdbEntDel(e[2]), RTNORM);
    Groups unknownBefore = xdataOf(e[1], KOR_ATTRIBUTE_APP);
    host.resetCounts();
    EXPECT_FALSE(entities.UpdateCATDBValuesFromKey());
    EXPECT_EQ(host.reads, 0);
    EXPECT_NE(entities.GetLastError().str().find(L"1 of " + std::to_wstring(n - 1) + L" entities could not be written"),
              std::wstring::npos)
        << entities.GetLastError().GetString();
    EXPECT_EQ(attribute(e[0], L"Hydrantenart"), L"Unterflur");
    EXPECT_EQ(attribute(e[0], L"CAD-Class-Name"), L"Unterflurhydrant DN 80");
    EXPECT_EQ(xdataOf(e[1], KOR_ATTRIBUTE_APP), unknownBefore);
    // The erased entity stays as it was when brought back.
    ASSERT_EQ(acdbEntDel(e[2]), RTNORM);
    EXPECT_EQ(xdataOf(e[2], KOR_ATTRIBUTE_APP), erasedBefore);
    EXPECT_EQ(erasedBefore.size(), 6u);

    // RemoveAttributesFromTbl goes on past an erased entity and says so.
    EXPECT_FALSE(entities.RemoveAttributesFromTbl());
    EXPECT_NE(entities.GetLastError().str().find(L"could not be changed"), std::wstring::npos);
    EXPECT_EQ(attribute(e[0], L"CAD-Class"), L"<none>");
    EXPECT_EQ(attribute(e[0], L"Hydrantenart"), L"<none>");
}

TEST_F(SelectionEntities, OperationsTakeEffectInTheirOrderAndAWrittenEntityIsReadAgain)
{
    // The hydrant's standard values are given before the entity becomes a gate valve.
    const CCATDBModel& model = *CCATDBModelManager::GetCurrentModel();
    classify(e[0], *model.FindCADClass(L"HY-UF-080"));
    CCATDBSelectionEntities entities(set);
    ASSERT_TRUE(entities.LoadEntities(set.GetAdsName()));
    ASSERT_TRUE(entities.SetStandardValuesFromTbl());
    ASSERT_TRUE(entities.AssignCADClass(0, *model.FindCADClass(L"AR-SC-100")));
    ASSERT_TRUE(entities.UpdateCATDBValuesFromKey()) << entities.GetLastError().GetString();
    EXPECT_EQ(xdataOf(e[0], KOR_ATTRIBUTE_APP),
              (Groups{{1000, L"CAD-Class"}, {1000, L"AR-SC-100|Armatur|2"}, {1000, L"CAD-Class_M"}, {1071, L"1"},
                      {1000, L"CAD-Class-Name"}, {1000, L"Schieber DN 100"}, {1000, L"Hydrantenart"},
                      {1000, L"Unterflur"}, {1000, L"Material"}, {1000, L"GGG"}, {1000, L"Nennweite"},
                      {1000, L"80"}}));
    host.resetCounts();
    CKOREntity* written = entities.GetLoadedEntity(0);
    EXPECT_TRUE(written && written->GetAttributeCount() == 6);
    EXPECT_EQ(host.reads, 1);
}

// Each class is checked for itself: one whose name no entity takes fails its entity alone.
TEST_F(SelectionEntities, EachClassIsCheckedForItselfAndOneNoEntityTakesFailsItsEntity)
{
    std::string sql = catdbtest::smallCatalogueSql();
    sql += "INSERT INTO KLASSEN VALUES (6, 'HY-LANG', 'Hydrant', 1, replace(hex(zeroblob(150)), '0', 'x'), NULL);";
    ASSERT_EQ(scope.make(sql), "");
    CCATDBModelManager::Reset();
    const CCATDBModel& model = *CCATDBModelManager::GetCurrentModel();
    CCATDBSelectionEntities entities(set);
    ASSERT_TRUE(entities.LoadEntities(set.GetAdsName()));
    EXPECT_TRUE(entities.AssignCADClass(0, *model.FindCADClass(L"AR-SC-100")));
    EXPECT_FALSE(entities.AssignCADClass(1, *model.FindCADClass(L"HY-LANG")));
    EXPECT_EQ(entities.GetLastError(), L"CAD-Class-Name: value longer than 255 characters");
    EXPECT_TRUE(entities.IsLoadedEntityFailed(1) && !entities.IsLoadedEntityFailed(0));
    EXPECT_FALSE(entities.UpdateCATDBValuesFromKey());
    EXPECT_EQ(attribute(e[0], L"CAD-Class"), L"AR-SC-100|Armatur|2");
    EXPECT_EQ(attribute(e[1], L"CAD-Class"), L"<none>");
}

}  // namespace
