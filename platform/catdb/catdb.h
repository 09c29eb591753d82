// catdb.h — the suite's class catalogue: the catalogue types and CAD classes of a network
// (here a drinking-water network), read from a catalogue database, and the classification of
// drawing entities with them.
//
// [X] the model: types (with a parent type), CAD classes with key, identification, display
//     names in German and English and standard attribute values; a key index
// [X] the model manager: one current model, read lazily from the catalogue database through
//     kordb::resolve and kor_reltab::Query (so any backend kordb serves works unchanged)
// [X] selection entities: removing an old classification, loading entities with their class,
//     standard values and catalogue-derived attributes, one write per entity; a new class
//     given in memory and written with the removal in that one write, so an entity is
//     classified whole or left as it was; the entities that failed, by handle
// [ ] editing and saving the catalogue, catalogue versions (added as callers need them)
//
// The catalogue database (named "KATALOG" unless SetCatalogueDatabase names another; key
// "DB_<name>") holds three tables:
//   TYPEN          Nr INTEGER (order), Name TEXT (unique, any case), Obertyp TEXT (the parent
//                  type's name, or empty), Name_DE TEXT, Name_EN TEXT
//   KLASSEN        Nr INTEGER (order), Schluessel TEXT (the key: unique, case-sensitive, no
//                  '|' and no control character), Typ TEXT (a type's name), Version INTEGER,
//                  Name_DE TEXT, Name_EN TEXT
//   STANDARDWERTE  Schluessel TEXT, Attribut TEXT, Wert TEXT: the standard value of one
//                  attribute for one class
// Rows that break these rules (duplicate or bad key or name, unknown type, a parent cycle,
// a standard value of an unknown class) are left out, and one diagnostic per table says how
// many and names the first few. A missing or unreadable TYPEN or KLASSEN gives an empty
// model; a missing STANDARDWERTE gives classes without standard values. Every diagnostic goes
// through kordb::report, beginning "class catalogue <name>: ".
//
// Identification of a class (the text of its "CAD-Class" attribute): "KEY|TYPE|VERSION",
// e.g. "HY-UF-080|Hydrant|1" (see ParseCADClassIdentification).
//
// Everything runs on the CAD program's main thread.
#pragma once

#include "korent/korent.h"
#include "mfc/afx.h"

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// The attributes of a classification.
#define CATDB_ATTR_CADCLASS L"CAD-Class"         // identification of the class
#define CATDB_ATTR_CADCLASS_M L"CAD-Class_M"     // integer 1: the class was assigned
#define CATDB_ATTR_CADCLASS_NAME L"CAD-Class-Name"  // display name of the class

// A text in several languages ("de", "en", ...: the language's two-letter code, any case).
class CCATDBMultiLanguageString {
public:
    CCATDBMultiLanguageString() = default;

    // The text in `language` ("de", "en", or a locale such as "en_GB.UTF-8": only its first
    // two letters count). Null: the user's language (UserLanguage). A language without a text
    // falls back to German, then to any text there is; "" when there is none.
    CString GetText(LPCTSTR language = nullptr) const;
    // Sets the text of one language; an empty text removes it.
    void SetText(LPCTSTR language, LPCTSTR text);
    bool IsEmpty() const { return m_texts.empty(); }

    // The user's display language: "en" when the first set of LC_ALL, LC_MESSAGES and LANG
    // starts with "en", else "de". SetUserLanguage overrides it (null or "" returns to the
    // environment).
    static CString UserLanguage();
    static void SetUserLanguage(LPCTSTR language);

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_texts;  // (code, text), few entries
};

// An element of the catalogue with a name; the catalogue types are CCATDBBase objects.
class CCATDBBase {
public:
    virtual ~CCATDBBase();
    CString GetName() const { return CString(m_name); }
    const CCATDBMultiLanguageString& GetDisplayName() const { return m_displayName; }
    // The parent type, or null (only types have one).
    const CCATDBBase* GetParentType() const { return m_parent; }
    // Non-zero when this element belongs to `type`: for a type, when `type` is this type or
    // one of its ancestors; for a class, when its type does. A type of another (earlier)
    // model counts by its name (any case). Zero for null.
    virtual int IsOfType(const CCATDBBase* type) const;

protected:
    friend class CCATDBModel;
    CCATDBBase() = default;
    std::wstring m_name;
    CCATDBMultiLanguageString m_displayName;
    const CCATDBBase* m_parent = nullptr;
};

// One CAD class of the catalogue. GetName() is its key.
class CCATDBCADClass : public CCATDBBase {
public:
    CString GetKey() const { return CString(m_name); }
    // The class's type in the catalogue (never null in a loaded model).
    const CCATDBBase* GetType() const { return m_type; }
    int GetVersion() const { return m_version; }
    // "KEY|TYPE|VERSION": what the "CAD-Class" attribute of a classified entity holds.
    CString GetCADClassIdentification() const;
    // Standard attribute values: attribute name -> value.
    const std::map<std::wstring, std::wstring>& GetStandardValues() const { return m_standardValues; }
    int IsOfType(const CCATDBBase* type) const override;

    // Splits an identification "KEY|TYPE|VERSION" (VERSION decimal digits) into key, type
    // name and version, or takes a bare "KEY" (no '|': second emptied, number left as it
    // is). True on success. False for anything else: an empty key, a key with a control
    // character, two fields, four or more, an empty type, a version that is no decimal
    // number up to 999999999; the outputs are then emptied (number left as it is).
    static bool ParseCADClassIdentification(const CString& identification, CString& key, CString& second,
                                            int& number);
    // The identification of key, type and version (no checks).
    static CString MakeCADClassIdentification(const CString& key, const CString& type, int version);

private:
    friend class CCATDBModel;
    const CCATDBBase* m_type = nullptr;
    int m_version = 0;
    std::map<std::wstring, std::wstring> m_standardValues;
};

// One catalogue as read from its database. It owns its types and classes.
class CCATDBModel {
public:
    CCATDBModel();
    ~CCATDBModel();
    CCATDBModel(const CCATDBModel&) = delete;
    CCATDBModel& operator=(const CCATDBModel&) = delete;

    // Reads the catalogue of database `database` (its configured name, e.g. "KATALOG"). False
    // (with a diagnostic) when TYPEN or KLASSEN cannot be read: the model is then empty. A
    // model read before is replaced.
    bool Load(const CString& database);

    // Types in table order (Nr); each a CCATDBBase.
    const std::vector<CCATDBBase*>& GetTypeList() const { return m_typeList; }
    // Classes in table order (Nr).
    const std::vector<CCATDBCADClass*>& GetCADClassList() const { return m_classList; }
    // Key -> class, keys compared exactly.
    const std::map<std::wstring, CCATDBCADClass*>& GetCADClassIndex() const { return m_classIndex; }
    // The class with this key, or null.
    CCATDBCADClass* FindCADClass(const CString& key) const;
    // The first type with this name (any case), or null.
    const CCATDBBase* FindType(const CString& name) const;
    // The name of the database it came from.
    CString GetDatabaseName() const { return CString(m_database); }
    bool IsEmpty() const { return m_classList.empty() && m_typeList.empty(); }

private:
    void clear();
    std::wstring m_database;
    std::vector<std::unique_ptr<CCATDBBase>> m_types;
    std::vector<std::unique_ptr<CCATDBCADClass>> m_classes;
    std::vector<CCATDBBase*> m_typeList;
    std::vector<CCATDBCADClass*> m_classList;
    std::map<std::wstring, CCATDBCADClass*> m_classIndex;
};

// The current model of the program.
class CCATDBModelManager {
public:
    // The current model, read from the catalogue database on first use. Never null: a
    // catalogue that cannot be read gives an empty model (and its diagnostic), which stays
    // until Reset. Pointers into a model stay valid until Reset or SetCatalogueDatabase.
    static CCATDBModel* GetCurrentModel();
    // Drops the current model; the next GetCurrentModel reads the catalogue again.
    static void Reset();
    // Which database holds the catalogue ("KATALOG" by default; null or "" returns to it).
    // Drops the current model.
    static void SetCatalogueDatabase(LPCTSTR name);
    static CString GetCatalogueDatabase();
};

// An entity that could not be classified: its place in the selection set (from 0), its handle
// (empty when the drawing no longer knows it) and why.
struct CCATDBEntityFailure {
    long index = 0;
    CString handle;
    CString reason;
};

// The entities of a selection set being classified. Each operation reads each entity at most
// once and writes it at most once (only when something changed); an entity that cannot be
// read or written is skipped, the others go on, and the call answers false with the reason
// (and the number of such entities) in GetLastError.
//
// Classifying with a new class, each entity in one piece: LoadEntities, then
// RemoveAttributesFromLoaded and AssignCADClass in memory, then SetStandardValuesFromTbl and
// UpdateCATDBValuesFromKey, which writes each entity once. The drawing takes a write whole or
// not at all, so an entity is either classified whole (its previous classification gone, the
// class and its standard values written) or keeps what it had; GetFailures names those.
//
// Memory stays small for many entities: a class's attributes and standard values are made
// and checked once; an entity is given them when it is written (or looked at) and lets go of
// its attributes once written.
class CCATDBSelectionEntities {
public:
    // Keeps a copy of the set (sharing it, see CKORAdsSelectionSet).
    explicit CCATDBSelectionEntities(const CKORAdsSelectionSet& selectionSet);
    ~CCATDBSelectionEntities();
    CCATDBSelectionEntities(const CCATDBSelectionEntities&) = delete;
    CCATDBSelectionEntities& operator=(const CCATDBSelectionEntities&) = delete;

    const CKORAdsSelectionSet& GetSelectionSet() const { return m_set; }

    // For every entity of the selection set: removes "CAD-Class", "CAD-Class_M",
    // "CAD-Class-Name" and the standard-value attributes that the current model lists for
    // the class its "CAD-Class" names (none when the class is unknown), in one write. False
    // for an invalid set or when an entity failed.
    bool RemoveAttributesFromTbl();
    // Loads the entities of set `ss` (usually the held set's name) with their attributes and
    // their class (the current model's class that "CAD-Class" names, or none). Entities
    // loaded before and failures noted before are dropped. False when the set is not valid
    // (nothing is loaded then) or an entity could not be read (the others are loaded; each
    // that could not is a failure).
    bool LoadEntities(const ads_name ss);
    // In memory, for every loaded entity: removes what RemoveAttributesFromTbl removes. Nothing
    // is written. False when nothing is loaded.
    bool RemoveAttributesFromLoaded();
    // In memory, for loaded entity i: "CAD-Class", "CAD-Class_M" (1) and "CAD-Class-Name" of
    // the class (as UpdateCATDBValuesFromKey writes them), which becomes the entity's class.
    // Nothing is written. False when there is no such entity, or (the entity then a failure)
    // an attribute is refused.
    bool AssignCADClass(long i, const CCATDBCADClass& cadClass);
    // Gives every loaded entity with a class its class's standard values, in memory: an
    // attribute that is absent or empty gets the standard value; a value already there stays.
    // An entity that refuses a value is a failure. False when nothing is loaded.
    bool SetStandardValuesFromTbl();
    // For every loaded entity with a class: sets "CAD-Class" to the class's identification
    // and "CAD-Class-Name" to its display name in the user's language, then writes the
    // entity (with the standard values set before) in one write. An entity that failed before
    // is not written; one whose write is refused is a failure and keeps what it had. False
    // when nothing is loaded or an entity failed.
    bool UpdateCATDBValuesFromKey();

    // The loaded entities (LoadEntities), their class (null: none) and their number. The
    // entity is as the operations so far left it (one that UpdateCATDBValuesFromKey wrote is
    // read again: the entities let go of their attributes once written).
    long GetLoadedCount() const;
    CKOREntity* GetLoadedEntity(long i);
    const CCATDBCADClass* GetLoadedClass(long i) const;
    // Whether loaded entity i failed since it was loaded (see GetFailures).
    bool IsLoadedEntityFailed(long i) const;
    // The entities that could not be read, given a value or written since LoadEntities, in
    // the order they failed; each at most once.
    const std::vector<CCATDBEntityFailure>& GetFailures() const { return m_failures; }

    CString GetLastError() const { return CString(m_error); }

private:
    struct Loaded;
    struct ClassValues;
    void failLoaded(Loaded& loaded, const CString& why);
    bool bringUpToDate(Loaded& loaded);
    ClassValues& valuesOf(const CCATDBCADClass& cadClass);
    CKORAdsSelectionSet m_set;
    std::vector<Loaded> m_loaded;
    std::vector<CCATDBEntityFailure> m_failures;
    std::wstring m_error;
    // What AssignCADClass and SetStandardValuesFromTbl give, made and checked once per class
    // and load.
    std::unordered_map<const CCATDBCADClass*, std::unique_ptr<ClassValues>> m_classValues;
};
