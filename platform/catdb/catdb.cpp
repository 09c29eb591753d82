// The class catalogue: texts in several languages, types, CAD classes, the model read from the
// catalogue database and the current model.
#include "catdb/catdb.h"

#include "db/kordb.h"
#include "text/text.h"

#include <cstdlib>
#include <optional>
#include <set>
#include <unordered_map>

namespace {

// The two-letter language code of a language or locale name, lower case; empty for none.
std::wstring languageCode(const wchar_t* language)
{
    std::wstring code;
    for (size_t i = 0; language && language[i] && i < 2; ++i) {
        wchar_t c = language[i];
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z')))
            return {};
        code += static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c);
    }
    return code.size() == 2 ? code : std::wstring();
}

std::wstring userLanguageOverride;

using kortext::equalNoCase;

std::wstring upper(const std::wstring& s) { return kortext::upper(s); }

bool hasControl(const std::wstring& s)
{
    for (wchar_t c : s)
        if (c < 0x20 || c == 0x7f)
            return true;
    return false;
}

// A decimal number 0..999999999 without sign or blanks.
std::optional<int> decimal(const std::wstring& s)
{
    if (s.empty() || s.size() > 9)
        return std::nullopt;
    int n = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9')
            return std::nullopt;
        n = n * 10 + (c - L'0');
    }
    return n;
}

// Rows left out of one table, said in one diagnostic.
class Rejects {
public:
    Rejects(std::string prefix, std::string table) : prefix_(std::move(prefix)), table_(std::move(table)) {}
    void add(int row, const std::wstring& why)
    {
        if (++count_ <= 3)
            examples_ += (count_ > 1 ? "; " : "") + std::string("row ") + std::to_string(row) + ": " +
                         kortext::fromWide(why);
    }
    ~Rejects()
    {
        if (count_ > 0)
            kordb::report(prefix_ + std::to_string(count_) + (count_ == 1 ? " row" : " rows") + " of " + table_ +
                          " left out (" + examples_ + (count_ > 3 ? "; ..." : "") + ")");
    }

private:
    std::string prefix_, table_, examples_;
    int count_ = 0;
};

std::wstring quoted(const std::wstring& s)
{
    return L"\"" + s + L"\"";
}

// Reads one table of the catalogue: false (with a diagnostic) when it cannot be read.
bool readTable(const std::wstring& database, const std::wstring& table, const wchar_t* columns,
               const wchar_t* order, CKORRltbRecordset& rs, const std::string& prefix)
{
    std::wstring resolved;
    if (!kordb::resolve(L"DB_" + database, table, resolved, prefix))
        return false;
    std::wstring query = L"SELECT " + std::wstring(columns) + L" FROM \"" + resolved + L"\"";
    if (order)
        query += L" ORDER BY " + std::wstring(order);
    if (!kor_reltab::Query(CString(query), rs)) {
        kordb::report(prefix + "table " + kortext::fromWide(table) + " cannot be read (" + kordb::lastError() +
                      ")");
        return false;
    }
    return true;
}

}  // namespace

// ---- CCATDBMultiLanguageString -------------------------------------------------------------------

CString CCATDBMultiLanguageString::GetText(LPCTSTR language) const
{
    if (m_texts.empty())
        return CString();
    std::wstring want = language ? languageCode(language) : UserLanguage().str();
    const std::wstring* german = nullptr;
    for (const auto& [code, text] : m_texts) {
        if (code == want)
            return CString(text);
        if (code == L"de")
            german = &text;
    }
    return CString(german ? *german : m_texts.front().second);
}

void CCATDBMultiLanguageString::SetText(LPCTSTR language, LPCTSTR text)
{
    std::wstring code = languageCode(language);
    if (code.empty())
        return;
    for (auto it = m_texts.begin(); it != m_texts.end(); ++it)
        if (it->first == code) {
            if (!text || !*text)
                m_texts.erase(it);
            else
                it->second = text;
            return;
        }
    if (text && *text)
        m_texts.emplace_back(code, text);
}

CString CCATDBMultiLanguageString::UserLanguage()
{
    if (!userLanguageOverride.empty())
        return CString(userLanguageOverride);
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value)
            return CString((value[0] == 'e' && value[1] == 'n') ? L"en" : L"de");
    }
    return CString(L"de");
}

void CCATDBMultiLanguageString::SetUserLanguage(LPCTSTR language)
{
    userLanguageOverride = language ? languageCode(language) : std::wstring();
}

// ---- types and classes -----------------------------------------------------------------------------

CCATDBBase::~CCATDBBase() = default;

int CCATDBBase::IsOfType(const CCATDBBase* type) const
{
    if (!type)
        return 0;
    for (const CCATDBBase* t = this; t; t = t->m_parent)
        if (t == type || equalNoCase(t->m_name, type->m_name))
            return 1;
    return 0;
}

int CCATDBCADClass::IsOfType(const CCATDBBase* type) const
{
    return m_type ? m_type->IsOfType(type) : 0;
}

CString CCATDBCADClass::GetCADClassIdentification() const
{
    return MakeCADClassIdentification(CString(m_name), m_type ? m_type->GetName() : CString(), m_version);
}

CString CCATDBCADClass::MakeCADClassIdentification(const CString& key, const CString& type, int version)
{
    return CString(key.str() + L"|" + type.str() + L"|" + std::to_wstring(version));
}

bool CCATDBCADClass::ParseCADClassIdentification(const CString& identification, CString& key, CString& second,
                                                 int& number)
{
    const std::wstring& s = identification.str();
    size_t bar1 = s.find(L'|');
    std::wstring k = s.substr(0, bar1);
    bool good = !k.empty() && !hasControl(k);
    std::wstring type;
    std::optional<int> version;
    if (good && bar1 != std::wstring::npos) {
        size_t bar2 = s.find(L'|', bar1 + 1);
        good = bar2 != std::wstring::npos;
        if (good) {
            type = s.substr(bar1 + 1, bar2 - bar1 - 1);
            version = decimal(s.substr(bar2 + 1));
            good = !type.empty() && !hasControl(type) && version.has_value();
        }
    }
    if (!good) {
        key.Empty();
        second.Empty();
        return false;
    }
    key = k.c_str();
    second = type.c_str();
    if (version)
        number = *version;
    return true;
}

// ---- CCATDBModel --------------------------------------------------------------------------------

CCATDBModel::CCATDBModel() = default;
CCATDBModel::~CCATDBModel() = default;

void CCATDBModel::clear()
{
    m_classIndex.clear();
    m_classList.clear();
    m_typeList.clear();
    m_classes.clear();
    m_types.clear();
}

CCATDBCADClass* CCATDBModel::FindCADClass(const CString& key) const
{
    auto it = m_classIndex.find(key.str());
    return it == m_classIndex.end() ? nullptr : it->second;
}

const CCATDBBase* CCATDBModel::FindType(const CString& name) const
{
    for (const CCATDBBase* t : m_typeList)
        if (equalNoCase(t->m_name, name.str()))
            return t;
    return nullptr;
}

namespace {
// Types and classes are made here only.
struct CatalogueType : CCATDBBase {};
}  // namespace

bool CCATDBModel::Load(const CString& database)
{
    clear();
    m_database = database.str();
    const std::string prefix = "class catalogue " + kortext::fromWide(m_database) + ": ";

    CKORRltbRecordset types, classes, values;
    if (!readTable(m_database, L"TYPEN", L"Nr, Name, Obertyp, Name_DE, Name_EN", L"Nr", types, prefix) ||
        !readTable(m_database, L"KLASSEN", L"Nr, Schluessel, Typ, Version, Name_DE, Name_EN", L"Nr", classes,
                   prefix)) {
        kordb::report(prefix + "the catalogue is empty");
        return false;
    }

    // Types: names first, then parents.
    std::unordered_map<std::wstring, CCATDBBase*> typeByName;  // upper-case name
    std::vector<std::wstring> parentOf;
    {
        Rejects rejects(prefix, "TYPEN");
        for (int row = 1; row <= types.GetRecordCount(); ++row) {
            std::wstring name = types.GetFieldChar(L"Name", row).str();
            if (name.empty() || hasControl(name) || name.find(L'|') != std::wstring::npos) {
                rejects.add(row, L"bad type name " + quoted(name));
                continue;
            }
            if (typeByName.count(upper(name))) {
                rejects.add(row, L"type " + quoted(name) + L" named twice");
                continue;
            }
            auto t = std::make_unique<CatalogueType>();
            t->m_name = name;
            t->m_displayName.SetText(L"de", types.GetFieldChar(L"Name_DE", row));
            t->m_displayName.SetText(L"en", types.GetFieldChar(L"Name_EN", row));
            typeByName[upper(name)] = t.get();
            parentOf.push_back(types.GetFieldChar(L"Obertyp", row).str());
            m_typeList.push_back(t.get());
            m_types.push_back(std::move(t));
        }
        for (size_t i = 0; i < m_types.size(); ++i) {
            if (parentOf[i].empty())
                continue;
            auto it = typeByName.find(upper(parentOf[i]));
            if (it == typeByName.end())
                rejects.add(static_cast<int>(i + 1),
                            L"parent type " + quoted(parentOf[i]) + L" of " + quoted(m_types[i]->m_name) +
                                L" is not defined (taken as a type without parent)");
            else
                m_types[i]->m_parent = it->second;
        }
        // A parent chain that comes back to where it began is cut there.
        for (size_t i = 0; i < m_types.size(); ++i) {
            auto& t = m_types[i];
            size_t steps = 0;
            for (const CCATDBBase* p = t->m_parent; p; p = p->m_parent)
                if (++steps > m_types.size() || p == t.get()) {
                    rejects.add(static_cast<int>(i + 1),
                                L"type " + quoted(t->m_name) + L" is its own ancestor (its parent is dropped)");
                    t->m_parent = nullptr;
                    break;
                }
        }
    }

    {
        Rejects rejects(prefix, "KLASSEN");
        m_classes.reserve(static_cast<size_t>(classes.GetRecordCount()));
        m_classList.reserve(static_cast<size_t>(classes.GetRecordCount()));
        for (int row = 1; row <= classes.GetRecordCount(); ++row) {
            std::wstring key = classes.GetFieldChar(L"Schluessel", row).str();
            if (key.empty() || hasControl(key) || key.find(L'|') != std::wstring::npos) {
                rejects.add(row, L"bad key " + quoted(key));
                continue;
            }
            std::wstring typeName = classes.GetFieldChar(L"Typ", row).str();
            auto type = typeByName.find(upper(typeName));
            if (type == typeByName.end()) {
                rejects.add(row, L"class " + quoted(key) + L" of unknown type " + quoted(typeName));
                continue;
            }
            std::wstring versionText = classes.GetFieldChar(L"Version", row).str();
            std::optional<int> version = versionText.empty() ? std::optional<int>(0) : decimal(versionText);
            if (!version) {
                rejects.add(row, L"class " + quoted(key) + L" with version " + quoted(versionText));
                continue;
            }
            if (m_classIndex.count(key)) {
                rejects.add(row, L"key " + quoted(key) + L" given twice");
                continue;
            }
            auto c = std::make_unique<CCATDBCADClass>();
            c->m_name = key;
            c->m_type = type->second;
            c->m_version = *version;
            if (c->GetCADClassIdentification().GetLength() > 255) {
                rejects.add(row, L"class " + quoted(key) + L": identification longer than 255 characters");
                continue;
            }
            c->m_displayName.SetText(L"de", classes.GetFieldChar(L"Name_DE", row));
            c->m_displayName.SetText(L"en", classes.GetFieldChar(L"Name_EN", row));
            if (c->m_displayName.IsEmpty())
                c->m_displayName.SetText(L"de", key.c_str());
            m_classIndex.emplace(key, c.get());
            m_classList.push_back(c.get());
            m_classes.push_back(std::move(c));
        }
    }

    if (!readTable(m_database, L"STANDARDWERTE", L"Schluessel, Attribut, Wert", nullptr, values, prefix)) {
        kordb::report(prefix + "the classes have no standard values");
        return true;
    }
    Rejects rejects(prefix, "STANDARDWERTE");
    for (int row = 1; row <= values.GetRecordCount(); ++row) {
        std::wstring key = values.GetFieldChar(L"Schluessel", row).str();
        auto c = m_classIndex.find(key);
        if (c == m_classIndex.end()) {
            rejects.add(row, L"no class " + quoted(key));
            continue;
        }
        std::wstring attribute = values.GetFieldChar(L"Attribut", row).str();
        std::wstring value = values.GetFieldChar(L"Wert", row).str();
        if (attribute.empty() || attribute.size() > 255 || hasControl(attribute) || value.size() > 255 ||
            hasControl(value)) {
            rejects.add(row, L"class " + quoted(key) + L": bad attribute " + quoted(attribute) + L" or its value");
            continue;
        }
        if (!c->second->m_standardValues.emplace(attribute, value).second)
            rejects.add(row, L"class " + quoted(key) + L": attribute " + quoted(attribute) + L" given twice");
    }
    return true;
}

// ---- CCATDBModelManager -------------------------------------------------------------------------

namespace {
std::unique_ptr<CCATDBModel> currentModel;
std::wstring catalogueDatabase = L"KATALOG";
}  // namespace

CCATDBModel* CCATDBModelManager::GetCurrentModel()
{
    if (!currentModel) {
        currentModel = std::make_unique<CCATDBModel>();
        currentModel->Load(CString(catalogueDatabase));
    }
    return currentModel.get();
}

void CCATDBModelManager::Reset()
{
    currentModel.reset();
}

void CCATDBModelManager::SetCatalogueDatabase(LPCTSTR name)
{
    catalogueDatabase = name && *name ? name : L"KATALOG";
    Reset();
}

CString CCATDBModelManager::GetCatalogueDatabase()
{
    return CString(catalogueDatabase);
}
