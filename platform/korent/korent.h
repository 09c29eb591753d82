// korent.h — the suite's entity library: named attributes on drawing entities, and ADS
// selection sets as values.
//
// [X] CKOREntity: connect to an entity by its ADS name, read, set and remove its attributes,
//     write them back in one acdbEntModXData
// [X] CKORAdsEntity: the common library's entity class (same work, written back explicitly)
// [X] CKORAdsSelectionSet: an ADS selection set shared by its copies, freed with the last one
// [ ] reactors (CKORAdsMDIReactor), entity geometry (added as callers need them)
//
// Where attributes live. All attributes of an entity are the extended data of ONE registered
// application, "KOR_ATTRIBUTE" (registered with acdbRegApp when an entity first gets one), so
// any DXF reader sees them and saving the drawing keeps them:
//
//     (-3 ("KOR_ATTRIBUTE" (1000 . "CAD-Class") (1000 . "HY-UF-080|Hydrant|1")
//                          (1000 . "CAD-Class_M") (1071 . 1)
//                          (1000 . "Nennweite")   (1000 . "80") ...))
//
// that is, pairs of a name (group 1000) and a value: group 1000 for a text, group 1071 (a
// 32-bit integer) for an integer. Pairs keep the order in which the attributes were first
// set. Extended data of other applications is never read or written. Names are compared
// exactly (case-sensitive); a name is 1..255 characters, a text value 0..255 characters (the
// limit of a 1000 group), neither holds a control character. When a drawing holds a
// KOR_ATTRIBUTE block that does not follow this layout, the pairs before the first wrong
// group are read, and Connect reports the rest through GetLastError (Connect still succeeds;
// the next write keeps only what was read).
//
// Writing. A write sends (-1 . name) (-3 ("KOR_ATTRIBUTE" pairs...)) to acdbEntModXData: one call
// carrying every attribute, so the entity is either all old or all new, and every other group
// of the entity stays as the host keeps it. An entity without attributes loses its
// KOR_ATTRIBUTE block. When nothing changed since the last read or write, nothing is sent.
//
// Errors: every call that answers false leaves a reason in GetLastError() (an empty text
// after a call that succeeded is not promised; read it only after a false).
//
// Everything runs on the CAD program's main thread.
#pragma once

#include "ads/adslib.h"
#include "mfc/afx.h"

#include <memory>
#include <string>
#include <vector>

// The application under which attributes are kept in an entity's extended data.
#define KOR_ATTRIBUTE_APP L"KOR_ATTRIBUTE"

class CKOREntity {
public:
    CKOREntity();
    virtual ~CKOREntity();
    CKOREntity(const CKOREntity&) = default;
    CKOREntity& operator=(const CKOREntity&) = default;
    CKOREntity(CKOREntity&&) noexcept = default;
    CKOREntity& operator=(CKOREntity&&) noexcept = default;

    // Reads the entity `name` names and its attributes (one acdbEntGetXData: the entity's
    // handle and its KOR_ATTRIBUTE data, nothing else of it). False, and not
    // connected, for a null, stale, erased or unknown name. Changes not yet written for a
    // previous entity are dropped.
    bool Connect(const ads_name name);
    bool IsConnected() const { return m_connected; }
    // The connected entity's ADS name; false (out unchanged) when not connected.
    bool GetName(ads_name out) const;
    // The connected entity's handle (group 5), as the drawing gives it; empty when not
    // connected or the drawing gives none.
    CString GetHandle() const { return CString(m_handle); }

    // On (the default for CKOREntity): SetAttribute and RemoveAttribute write the entity at
    // once (and undo their change in memory when that write fails). Off: changes stay in
    // memory until Update. Switching it on does not write pending changes (Update does).
    void AutoFlush(bool on) { m_autoFlush = on; }
    bool IsAutoFlush() const { return m_autoFlush; }

    // The attribute's text (an integer attribute as decimal text). The buffer version copies
    // at most bufferChars - 1 characters and a terminating 0 (a longer text is cut); false
    // when the attribute is absent, the buffer is null or bufferChars < 1 (the buffer is then
    // left as it was, except that an absent attribute with a usable buffer gives "").
    bool GetAttribute(LPCTSTR name, TCHAR* buffer, int bufferChars) const;
    bool GetAttribute(LPCTSTR name, CString& value) const;
    bool HasAttribute(LPCTSTR name) const;
    // Whether an attribute holds an integer (group 1071) rather than a text.
    bool IsIntegerAttribute(LPCTSTR name) const;
    // Names of all attributes, in their order in the entity; their number.
    int GetAttributeNames(CStringArray& names) const;
    int GetAttributeCount() const { return static_cast<int>(m_attributes.size()); }

    // Sets (adds or replaces) an attribute. False when not connected, for a refused name or
    // value (see above), or when the write of AutoFlush fails.
    bool SetAttribute(LPCTSTR name, LPCTSTR value);
    bool SetAttribute(LPCTSTR name, int value);
    // Removes an attribute; false when not connected or it is absent (or the write fails).
    bool RemoveAttribute(LPCTSTR name);
    // Changes in memory not yet written.
    bool IsModified() const { return m_modified; }

    // Writes all attributes back in one acdbEntModXData (nothing is sent when nothing changed).
    // False when not connected or the host refuses the write: the entity was erased, or with
    // the attributes its extended data would pass the 16 KiB an entity holds (the drawing then
    // keeps what it had). The attributes stay in memory as they are, still counted as changed.
    bool Update();

    CString GetLastError() const { return CString(m_error); }

private:
    struct Attribute {
        std::wstring name;
        std::wstring text;  // the text, or the decimal form of an integer
        bool integer = false;
        int value = 0;
    };
    const Attribute* find(LPCTSTR name) const;
    bool setAttribute(LPCTSTR name, const wchar_t* text, bool integer, int value);
    bool fail(std::wstring why);
    bool flushOrUndo(std::vector<Attribute> before);

    ads_name m_name = {0, 0};
    std::wstring m_handle;
    bool m_connected = false;
    bool m_autoFlush = true;
    bool m_modified = false;
    bool m_hasBlock = false;  // the drawing holds a KOR_ATTRIBUTE block for the entity
    std::vector<Attribute> m_attributes;
    std::wstring m_error;
};

// The common library's entity class. Unlike CKOREntity it starts with AutoFlush off: it is
// made for batch work (connect, set several attributes, Update), where one write per entity
// matters; AutoFlush(true) gives the immediate writes of CKOREntity.
class CKORAdsEntity : public CKOREntity {
public:
    CKORAdsEntity() { AutoFlush(false); }
};

// An ADS selection set as a value. Constructed from an ADS name it either takes the set over
// (owns = true, the default: the set is freed with acedSSFree when the last copy goes) or
// shares it with whoever made it (owns = false: never freed here). Copies share the one set;
// a default-constructed object holds no set. Everything answers through the host's set, so
// a set freed elsewhere reads as empty and invalid.
class CKORAdsSelectionSet {
public:
    CKORAdsSelectionSet();
    explicit CKORAdsSelectionSet(const ads_name ss, bool owns = true);
    CKORAdsSelectionSet(const CKORAdsSelectionSet&) = default;
    CKORAdsSelectionSet& operator=(const CKORAdsSelectionSet&) = default;
    ~CKORAdsSelectionSet();

    // A set that the host knows (acedSSLength answers).
    bool IsValid() const;
    // Number of entities; 0 for no set or a set the host does not know.
    long GetSize() const;
    // The name of entity i (from 0); non-zero on success, 0 for an index out of range or no set.
    int GetAt(long i, ads_name out) const;
    // The set's ADS name; false (out unchanged) when no set is held.
    bool GetName(ads_name out) const;
    // The set's ADS name, or null when no set is held.
    const int64_t* GetAdsName() const;
    bool OwnsSet() const;

private:
    struct Shared;
    std::shared_ptr<Shared> m_set;
};
