// The entities of a selection set being classified: each operation reads an entity once and
// writes it once.
//
// What the class gives is the same for all its entities: AssignCADClass and
// SetStandardValuesFromTbl check it once per class and mark the entity; it is given to the
// entity (bringUpToDate) before anything else looks at or changes its attributes, in the order
// the operations came. An entity refused by its class takes the step at once, as it is, so
// that it fails where it did. Once written the entity lets go of its attributes.
#include "catdb/catdb.h"

#include <string>
#include <unordered_map>

struct CCATDBSelectionEntities::Loaded {
    CKORAdsEntity entity;  // AutoFlush off: one write per entity
    ads_name name = {0, 0};
    const CCATDBCADClass* cadClass = nullptr;
    long index = 0;         // in the selection set
    bool failed = false;    // not to be written
    bool assign = false;    // the class's three attributes are still to be given
    bool standard = false;  // the class's standard values are still to be given (after those)
    bool written = false;   // written, and its attributes let go: the drawing holds them
};

// What a class gives its entities, checked once.
struct CCATDBSelectionEntities::ClassValues {
    CString identification, displayName;  // as AssignCADClass gives them
    bool assignChecked = false, assignTaken = false;
    bool standardChecked = false, standardTaken = false;  // every standard value is taken
};

namespace {

// Entities that failed during one operation, said in one text.
class Failures {
public:
    explicit Failures(const wchar_t* what) : what_(what) {}
    void add(long index, const CString& why)
    {
        if (count_++ == 0)
            first_ = L"entity " + std::to_wstring(index) + L": " + why.str();
    }
    // False, with the text in `error`, when an entity failed.
    bool result(long total, std::wstring& error) const
    {
        if (count_ == 0)
            return true;
        error = std::to_wstring(count_) + L" of " + std::to_wstring(total) + L" entities " + what_ + L" (" + first_ +
                L")";
        return false;
    }

private:
    const wchar_t* what_;
    long count_ = 0;
    std::wstring first_;
};

// Removes the attributes of an entity's classification, in memory: "CAD-Class",
// "CAD-Class_M", "CAD-Class-Name" and the standard values of the class "CAD-Class" names.
void removeClassification(CKOREntity& entity, const CCATDBCADClass* old)
{
    if (old)
        for (const auto& [attribute, value] : old->GetStandardValues())
            if (entity.HasAttribute(attribute.c_str()))
                entity.RemoveAttribute(attribute.c_str());
    for (LPCTSTR attribute : {CATDB_ATTR_CADCLASS, CATDB_ATTR_CADCLASS_M, CATDB_ATTR_CADCLASS_NAME})
        if (entity.HasAttribute(attribute))
            entity.RemoveAttribute(attribute);
}

// The catalogue class an entity's "CAD-Class" names, or null.
const CCATDBCADClass* classOf(const CKOREntity& entity, const CCATDBModel& model)
{
    CString identification, key, second;
    int number = -1;
    if (!entity.GetAttribute(CATDB_ATTR_CADCLASS, identification) ||
        !CCATDBCADClass::ParseCADClassIdentification(identification, key, second, number))
        return nullptr;
    return model.FindCADClass(key);
}

}  // namespace

CCATDBSelectionEntities::CCATDBSelectionEntities(const CKORAdsSelectionSet& selectionSet) : m_set(selectionSet) {}

CCATDBSelectionEntities::~CCATDBSelectionEntities() = default;

long CCATDBSelectionEntities::GetLoadedCount() const
{
    return static_cast<long>(m_loaded.size());
}

CKOREntity* CCATDBSelectionEntities::GetLoadedEntity(long i)
{
    if (i < 0 || i >= GetLoadedCount())
        return nullptr;
    Loaded& loaded = m_loaded[static_cast<size_t>(i)];
    bringUpToDate(loaded);
    return &loaded.entity;
}

const CCATDBCADClass* CCATDBSelectionEntities::GetLoadedClass(long i) const
{
    return i >= 0 && i < GetLoadedCount() ? m_loaded[static_cast<size_t>(i)].cadClass : nullptr;
}

bool CCATDBSelectionEntities::RemoveAttributesFromTbl()
{
    m_error.clear();
    if (!m_set.IsValid()) {
        m_error = L"the selection set is not valid";
        return false;
    }
    const CCATDBModel& model = *CCATDBModelManager::GetCurrentModel();
    const long n = m_set.GetSize();
    Failures failures(L"could not be changed");
    CKORAdsEntity entity;
    for (long i = 0; i < n; ++i) {
        ads_name name;
        if (!m_set.GetAt(i, name)) {
            failures.add(i, L"not in the selection set any more");
            continue;
        }
        if (!entity.Connect(name)) {
            failures.add(i, entity.GetLastError());
            continue;
        }
        removeClassification(entity, classOf(entity, model));
        if (!entity.Update())
            failures.add(i, entity.GetLastError());
    }
    return failures.result(n, m_error);
}

bool CCATDBSelectionEntities::IsLoadedEntityFailed(long i) const
{
    return i >= 0 && i < GetLoadedCount() && m_loaded[static_cast<size_t>(i)].failed;
}

void CCATDBSelectionEntities::failLoaded(Loaded& loaded, const CString& why)
{
    if (loaded.failed)
        return;
    loaded.failed = true;
    m_failures.push_back({loaded.index, loaded.entity.GetHandle(), why});
}

bool CCATDBSelectionEntities::LoadEntities(const ads_name ss)
{
    m_error.clear();
    m_loaded.clear();
    m_failures.clear();
    m_classValues.clear();
    CKORAdsSelectionSet set(ss, false);
    if (!ss || !set.IsValid()) {
        m_error = L"the selection set is not valid";
        return false;
    }
    const CCATDBModel& model = *CCATDBModelManager::GetCurrentModel();
    const long n = set.GetSize();
    m_loaded.reserve(static_cast<size_t>(n));
    Failures failures(L"could not be read");
    for (long i = 0; i < n; ++i) {
        ads_name name;
        if (!set.GetAt(i, name)) {
            failures.add(i, L"not in the selection set any more");
            m_failures.push_back({i, CString(), L"not in the selection set any more"});
            continue;
        }
        Loaded& loaded = m_loaded.emplace_back();
        if (!loaded.entity.Connect(name)) {
            failures.add(i, loaded.entity.GetLastError());
            m_failures.push_back({i, CString(), loaded.entity.GetLastError()});
            m_loaded.pop_back();
            continue;
        }
        loaded.name[0] = name[0];
        loaded.name[1] = name[1];
        loaded.cadClass = classOf(loaded.entity, model);
        loaded.index = i;
    }
    return failures.result(n, m_error);
}

bool CCATDBSelectionEntities::RemoveAttributesFromLoaded()
{
    m_error.clear();
    if (m_loaded.empty()) {
        m_error = L"no entities are loaded";
        return false;
    }
    for (Loaded& loaded : m_loaded) {
        if (!bringUpToDate(loaded))
            continue;
        removeClassification(loaded.entity, loaded.cadClass);
        loaded.cadClass = nullptr;
    }
    return true;
}

CCATDBSelectionEntities::ClassValues& CCATDBSelectionEntities::valuesOf(const CCATDBCADClass& cadClass)
{
    std::unique_ptr<ClassValues>& values = m_classValues[&cadClass];
    if (!values) {
        values = std::make_unique<ClassValues>();
        values->identification = cadClass.GetCADClassIdentification();
        values->displayName = cadClass.GetDisplayName().GetText(CCATDBMultiLanguageString::UserLanguage());
    }
    return *values;
}

bool CCATDBSelectionEntities::bringUpToDate(Loaded& loaded)
{
    if (loaded.written) {
        loaded.written = false;
        if (!loaded.entity.Connect(loaded.name)) {
            failLoaded(loaded, loaded.entity.GetLastError());
            return false;
        }
    }
    // Given as AssignCADClass and SetStandardValuesFromTbl give them; checked for the class, so
    // nothing is refused.
    if (loaded.assign && loaded.cadClass) {
        const ClassValues& values = valuesOf(*loaded.cadClass);
        loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS, values.identification);
        loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS_M, 1);
        loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS_NAME, values.displayName);
    }
    loaded.assign = false;
    if (loaded.standard && loaded.cadClass) {
        TCHAR first[2];
        for (const auto& [attribute, value] : loaded.cadClass->GetStandardValues())
            if (!loaded.entity.GetAttribute(attribute.c_str(), first, 2) || first[0] == 0)
                loaded.entity.SetAttribute(attribute.c_str(), value.c_str());
    }
    loaded.standard = false;
    return true;
}

bool CCATDBSelectionEntities::AssignCADClass(long i, const CCATDBCADClass& cadClass)
{
    m_error.clear();
    if (i < 0 || i >= GetLoadedCount()) {
        m_error = L"no loaded entity " + std::to_wstring(i);
        return false;
    }
    Loaded& loaded = m_loaded[static_cast<size_t>(i)];
    ClassValues& values = valuesOf(cadClass);
    // What a class gave before comes first.
    if ((loaded.assign || loaded.standard) && !bringUpToDate(loaded)) {
        m_error = loaded.entity.GetLastError().str();
        return false;
    }
    if (!values.assignChecked) {
        // Whether an entity takes the three attributes does not depend on the entity.
        if (!bringUpToDate(loaded)) {
            m_error = loaded.entity.GetLastError().str();
            return false;
        }
        CKORAdsEntity probe = loaded.entity;
        values.assignChecked = true;
        values.assignTaken = probe.SetAttribute(CATDB_ATTR_CADCLASS, values.identification) &&
                             probe.SetAttribute(CATDB_ATTR_CADCLASS_M, 1) &&
                             probe.SetAttribute(CATDB_ATTR_CADCLASS_NAME, values.displayName);
    }
    loaded.cadClass = &cadClass;
    if (values.assignTaken) {
        loaded.assign = true;
        return true;
    }
    if (!bringUpToDate(loaded)) {
        m_error = loaded.entity.GetLastError().str();
        return false;
    }
    if (loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS, values.identification) &&
        loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS_M, 1) &&
        loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS_NAME, values.displayName))
        return true;
    m_error = loaded.entity.GetLastError().str();
    failLoaded(loaded, loaded.entity.GetLastError());
    return false;
}

bool CCATDBSelectionEntities::SetStandardValuesFromTbl()
{
    m_error.clear();
    if (m_loaded.empty()) {
        m_error = L"no entities are loaded";
        return false;
    }
    Failures failures(L"did not take a standard value");
    CString current;
    for (Loaded& loaded : m_loaded) {
        if (!loaded.cadClass || loaded.failed)
            continue;
        ClassValues& values = valuesOf(*loaded.cadClass);
        if (!values.standardChecked) {
            // Whether an entity takes a value does not depend on the entity.
            if (!bringUpToDate(loaded)) {
                failures.add(loaded.index, loaded.entity.GetLastError());
                continue;
            }
            CKORAdsEntity probe = loaded.entity;
            values.standardChecked = true;
            values.standardTaken = true;
            for (const auto& [attribute, value] : loaded.cadClass->GetStandardValues())
                values.standardTaken = values.standardTaken && probe.SetAttribute(attribute.c_str(), value.c_str());
        }
        if (values.standardTaken) {
            loaded.standard = true;
            continue;
        }
        if (!bringUpToDate(loaded)) {
            failures.add(loaded.index, loaded.entity.GetLastError());
            continue;
        }
        for (const auto& [attribute, value] : loaded.cadClass->GetStandardValues()) {
            if (loaded.entity.GetAttribute(attribute.c_str(), current) && !current.IsEmpty())
                continue;
            if (!loaded.entity.SetAttribute(attribute.c_str(), value.c_str())) {
                failures.add(loaded.index, loaded.entity.GetLastError());
                failLoaded(loaded, loaded.entity.GetLastError());
                break;
            }
        }
    }
    return failures.result(static_cast<long>(m_loaded.size()), m_error);
}

bool CCATDBSelectionEntities::UpdateCATDBValuesFromKey()
{
    m_error.clear();
    if (m_loaded.empty()) {
        m_error = L"no entities are loaded";
        return false;
    }
    const CString language = CCATDBMultiLanguageString::UserLanguage();
    // What the catalogue derives from a class, made once per class.
    struct Derived {
        CString identification, displayName;
    };
    std::unordered_map<const CCATDBCADClass*, Derived> derived;
    Failures failures(L"could not be written");
    for (Loaded& loaded : m_loaded) {
        if (loaded.failed) {
            failures.add(loaded.index, L"not written: it failed before");
            continue;
        }
        if (!bringUpToDate(loaded)) {
            failures.add(loaded.index, loaded.entity.GetLastError());
            continue;
        }
        if (loaded.cadClass) {
            auto [it, added] = derived.try_emplace(loaded.cadClass);
            if (added)
                it->second = {loaded.cadClass->GetCADClassIdentification(),
                              loaded.cadClass->GetDisplayName().GetText(language)};
            if (!loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS, it->second.identification) ||
                !loaded.entity.SetAttribute(CATDB_ATTR_CADCLASS_NAME, it->second.displayName)) {
                failures.add(loaded.index, loaded.entity.GetLastError());
                failLoaded(loaded, loaded.entity.GetLastError());
                continue;
            }
        }
        if (!loaded.entity.Update()) {
            failures.add(loaded.index, loaded.entity.GetLastError());
            failLoaded(loaded, loaded.entity.GetLastError());
            continue;
        }
        // The drawing holds what the entity held: its memory goes to the next one.
        loaded.entity = CKORAdsEntity();
        loaded.written = true;
    }
    return failures.result(static_cast<long>(m_loaded.size()), m_error);
}
