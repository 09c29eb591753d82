// Drawing.h — an open drawing as korcad holds it: the DXF file's sections, with the header
// variables, the symbol tables, the block definitions, the model-space entities and the
// objects, each record kept as the groups it was read with.
//
// Nothing of a file is lost: a record korcad never changes is written back group for group,
// byte for byte; a changed one keeps every group the change did not touch. On top of the
// records sit what applications and LISP ask for: table records (tblnext, tblsearch), entity
// names and handles, entity data with extended data by application (entget, entmod),
// registered applications (regapp) and the entities a selection filter picks (ssget "X").
//
// Entities korcad understands: LINE, LWPOLYLINE, POLYLINE (2D, with its VERTEX records and
// SEQEND), CIRCLE, ARC, POINT, TEXT, MTEXT and INSERT (with its ATTRIB records and SEQEND);
// every other entity is kept, named and walked like these, but not interpreted.
//
// Entity names: every record of the drawing has an id that never changes while the drawing
// is open; a name is (base + id * 8, the drawing's serial), so a name of a closed drawing
// never finds a record of another one.
#pragma once

#include "drawing/Dxf.h"
#include "drawing/Group.h"

#include <map>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace korcad {

class Drawing {
public:
    // A record: its groups from its 0 group up to the next one.
    struct Record {
        std::unique_ptr<dxf::Tags> own;  // its groups once changed or made here
        uint32_t id = 0;
        uint32_t first = 0, count = 0;  // its groups in the file's stream, while unchanged
        bool erased = false;
    };
    static_assert(sizeof(Record) == 24);

    // A new drawing: the standard tables (LTYPE ByBlock, ByLayer, Continuous; LAYER 0; STYLE
    // Standard; APPID ACAD; the model and paper space blocks), no entities. DXF R2000.
    explicit Drawing(std::wstring name);
    // A drawing read from the bytes of a DXF file. Null with the reason in *error (naming the
    // line) for a binary DXF, a DWG file, or a file that is malformed or cut short.
    static std::unique_ptr<Drawing> read(std::wstring name, std::string bytes, std::string* error);
    ~Drawing();

    // The value of a header variable ("$LTSCALE") as the file has it; empty when it has none.
    std::string_view headerValue(const std::string& variable) const;
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    const std::wstring& name() const { return name_; }
    // Tells the drawings of one run apart: never 0, never the same for two drawings.
    int64_t serial() const { return serial_; }
    void setName(std::wstring name) { name_ = std::move(name); }
    // The file the drawing was read from or last saved to; empty for a new drawing.
    const std::string& path() const { return path_; }
    void setPath(std::string path) { path_ = std::move(path); }
    // That file as it was when the drawing was read from it or last saved to it, for QSAVE to
    // see whether another program changed it since; `known` is false while there is none.
    struct FileIdentity {
        bool known = false;
        uint64_t device = 0, inode = 0;
        int64_t size = 0, mtimeSeconds = 0, mtimeNanoseconds = 0;
        bool operator==(const FileIdentity&) const = default;
    };
    const FileIdentity& fileIdentity() const { return fileIdentity_; }
    void setFileIdentity(const FileIdentity& identity) { fileIdentity_ = identity; }
    // The DXF text of the drawing, as it is now.
    std::string write() const;
    // Changed since it was read or last saved.
    bool modified() const { return modified_; }
    void setSaved() { modified_ = false; }
    // Counts the changes: what shows the drawing takes it anew when this moved on.
    uint64_t revision() const { return revision_; }
    // Texts in the file are UTF-8 (AutoCAD 2007 and later) rather than Windows-1252.
    bool utf8() const { return utf8_; }
    std::string version() const;  // $ACADVER, e.g. "AC1015"; empty when the header has none

    // ---- groups of records ------------------------------------------------------------------
    std::span<const dxf::Tag> tags(const Record& r) const;
    // Every group of the file, in order (what write() writes).
    dxf::Tags allTags() const;
    size_t entityCount() const;  // entities of the ENTITIES section that are not erased

    // ---- symbol tables ----------------------------------------------------------------------
    // A table record by name (any case): LTYPE, LAYER, STYLE, VIEW, UCS, APPID, DIMSTYLE,
    // VPORT, BLOCK_RECORD, and BLOCK for the block definitions. Null when there is none.
    const Record* find(const std::wstring& table, const std::wstring& name) const;
    // tblnext / tblsearch: the record as the groups a program reads (0 type, 2 name, 70
    // flags and the table's own data; no handles, owners or subclass markers), or null.
    // ByBlock and ByLayer linetypes and the model and paper space blocks are not walked.
    dxf::Groups tblNext(const std::wstring& table, bool rewind);
    dxf::Groups tblSearch(const std::wstring& table, const std::wstring& name, bool setNext);
    // Switches the layers whose names match `pattern` (wild cards, any case) on or off: a layer
    // that is off has a negative colour. How many matched.
    int setLayersOn(const std::wstring& pattern, bool on);
    // regapp: adds an APPID record. False when the name is taken or is no valid name.
    bool regApp(const std::wstring& name);

    // ---- entities ---------------------------------------------------------------------------
    // The entity after `entity` (with a null one the first), sub-entities included; false at
    // the end or for a name of no entity.
    bool entNext(const EntityName& entity, EntityName& next) const;
    bool entLast(EntityName& last) const;  // the last main entity
    // Any record by its handle (hex, any case).
    bool handEnt(const std::wstring& handle, EntityName& name) const;
    // entget: the groups of a record with (-1 . name) first and names for handles; with
    // `apps` (application names, wildcards allowed) its extended data of those applications
    // after a -3 group. Empty for a name of no record.
    dxf::Groups entGet(const EntityName& entity, const std::vector<std::wstring>* apps = nullptr) const;
    // entmod: writes the groups back to the record named by the -1 group. Groups the list
    // leaves out stay as they were; extended data of the applications the list names is
    // replaced (an application without groups loses its data). A text with a line break (CR
    // or LF) is refused. False with the reason.
    bool entMod(const dxf::Groups& groups, std::string* why);
    // entget and entmod at the level of one application's extended data, for programs that
    // keep their data there and change many entities: neither converts the entity's other
    // groups. entGetXdata gives (-1 . name), the handle (5) when the entity has one and, when
    // it holds extended data of `app` (compared without regard to case), -3 and that block as
    // entget gives it; empty for a name of no record. entModXdata takes (-1 . name) (-3) and
    // application blocks as entmod does, and nothing else: each block named replaces that
    // application's data as entmod replaces it, with entmod's checks; every other group of
    // the record stays as it was, tag for tag. False with the reason.
    dxf::Groups entGetXdata(const EntityName& entity, const std::wstring& app) const;
    bool entModXdata(const dxf::Groups& groups, std::string* why);
    // entmake: a new entity at the end of the model space from its groups (0 type first):
    // LINE, LWPOLYLINE, CIRCLE, ARC, TEXT, POINT, INSERT, MTEXT checked for the groups they
    // need, the other entity types of DXF taken as given; a LAYER table record. Anything else
    // as the type (SECTION, ENDSEC, EOF, TABLE, CLASS, BLOCK, ENDBLK, an unknown name) and a
    // text with a line break in any group are refused. Layers are made as entmod makes them;
    // linetypes, blocks and applications must exist. The new record's id, or 0 with the reason.
    //
    // Under these checks every record the drawing makes or changes is checked once more as it
    // is stored (a type that would end a section or the file, a code no file holds, a value
    // with a line break, a number that is none): a save always reads back.
    uint32_t entMake(const dxf::Groups& groups, std::string* why);
    // entdel: erases a main entity with its sub-entities, or brings an erased one back.
    bool entDel(const EntityName& name);
    // The main entities (not erased), in drawing order.
    std::vector<uint32_t> mainEntities() const;
    EntityName nameOf(uint32_t id) const;
    // The record an entity name stands for; null for a name of no record of this drawing.
    const Record* record(const EntityName& name) const;
    // A new entity at the end of the ENTITIES section from (code, text) groups, 0 first; a
    // handle and the model-space owner are added when the drawing uses them. Its id, or 0 for
    // groups that would break the file.
    uint32_t appendEntity(const std::vector<std::pair<int, std::string>>& groups);

    // ---- objects ----------------------------------------------------------------------------
    // The named object dictionary (the first record of OBJECTS); 0 when the drawing has none.
    uint32_t rootDictionary() const;
    // A dictionary's entries in order, by key; empty for a record that is no dictionary.
    struct DictEntry {
        std::wstring key;
        uint32_t id = 0;
    };
    std::vector<DictEntry> dictionary(uint32_t dict) const;
    // Adds an entry (false when the key is taken, any case, or either record has no handle)
    // and makes the dictionary the object's owner; removes one (the object stays, its id is
    // the answer, 0 for no such key); renames one (false when `from` is missing or `to` taken).
    bool dictAdd(uint32_t dict, const std::wstring& key, uint32_t object);
    uint32_t dictRemove(uint32_t dict, const std::wstring& key);
    bool dictRename(uint32_t dict, const std::wstring& from, const std::wstring& to);
    // The types entmake puts into OBJECTS, owned by nothing: DICTIONARY, XRECORD, DICTIONARYVAR.
    static bool isObjectType(const std::string& type);
    // The bytes of extended data a record holds, as the limit of 16383 counts them (the texts
    // of its groups from the first 1001 on); -1 for a name of no record.
    long xdataBytes(const EntityName& name) const;
    // A record's id by its name (0 for none) and its handle (upper case; empty for none).
    uint32_t idOf(const EntityName& name) const;
    std::string handleOf(uint32_t id) const;

    // The record after `r` in its section (erased ones skipped); null at the section's end.
    // Walks a block definition from its BLOCK record to its ENDBLK.
    const Record* nextRecord(const Record& r) const;


private:
    struct Section {
        std::string name;  // "HEADER", "TABLES", ...; empty for groups outside any section
        dxf::Tags head;    // 0 SECTION, 2 NAME and the groups before the first record
        std::vector<Record> records;
        dxf::Tags end;     // 0 ENDSEC
    };
    struct Where {
        uint32_t section = 0, index = 0;
    };
    struct Table {
        size_t header = 0, end = 0;  // TABLE and ENDTAB records within the TABLES section
    };

    // Extended data a program gives: per application, its name (the 1001 group) and the
    // groups that follow it (1000-1071). A block that goes on after a stray -3 group is a
    // second entry marked `more`.
    struct GivenBlock {
        const dxf::Group* name = nullptr;
        std::span<const dxf::Group> groups;
        bool more = false;
    };
    using GivenXdata = std::vector<GivenBlock>;

    Drawing();
    bool build(std::string* error);
    uint32_t makeObject(const dxf::Groups& given, std::string* why);
    size_t dictKey(uint32_t dict, const std::wstring& key) const;
    // One group after the -3 group of entmod, in the order given: an application's name or
    // one of its groups.
    static bool takeXdataGroup(const dxf::Group* gr, GivenXdata& xdata, std::string* why);
    // The APPID record of an application (any case), or null: find("APPID", ...) without the
    // list of the table's records.
    const Record* findApp(const std::wstring& app) const;
    // The extended data of a record's tags t[xs, end) with the blocks of `given` put in (in
    // place of the application's block, or at the end; no groups removes the block), appended
    // to `out`. False with the reason: an application that is not registered, a value that
    // cannot be written (the tags it makes pass the checks of a stored record), more than
    // 16383 bytes of extended data.
    bool replaceXdata(std::span<const dxf::Tag> t, size_t xs, const GivenXdata& given, dxf::Tags& out,
                      std::string* why);
    std::string_view own(std::string_view text);  // a copy the drawing keeps
    dxf::Tags& writable(Record& r);
    Record* recordById(uint32_t id);
    const Record* recordById(uint32_t id) const;
    const Record* namedRecord(const dxf::Groups& given, std::string* why) const;
    std::string_view type(const Record& r) const;
    std::wstring text(std::string_view value) const { return dxf::decodeText(value, utf8_); }
    const Section* section(const std::string& name) const;
    Section* section(const std::string& name);
    bool findTable(const std::string& name, Table& t) const;
    std::vector<const Record*> tableRecords(const std::wstring& table) const;
    dxf::Groups tableGroups(const Record& r) const;
    uint32_t lookupHandle(std::string_view handle) const;
    std::string newHandle();
    bool usesHandles() const;
    uint32_t addTableRecord(const std::string& table, const std::vector<std::pair<int, std::string>>& data);
    void renumber(uint32_t sectionIndex);
    void computeSubEntities();
    bool opensComplex(const Record& r) const;
    bool continuesComplex(size_t index, std::string_view type) const;
    void remember(const Record& r);  // a new record's handle, once handles are looked up

    std::wstring name_;
    std::string path_;
    FileIdentity fileIdentity_;
    dxf::TagStream file_;          // the file's bytes and groups; records point into them
    std::vector<std::unique_ptr<char[]>> owned_;  // texts of groups made or changed here, in blocks
    size_t ownedFree_ = 0;                         // room left in the last block
    uint64_t tablesChanged_ = 0;  // counts changes to records outside the entities
    struct LastApp {
        std::wstring name;
        uint32_t id = 0;  // 0: none
        uint64_t tablesChanged = ~uint64_t{0};
    };
    mutable LastApp lastApp_;  // findApp's last answer
    std::string scratch_;            // where replaceXdata puts a text together
    std::vector<Section> sections_;
    std::vector<Where> where_;     // by record id (id 0 unused)
    std::vector<uint8_t> sub_;     // by record id: a VERTEX, ATTRIB or SEQEND of a main entity
    int entities_ = -1;            // index of the ENTITIES section
    bool utf8_ = false;
    bool crlf_ = false;
    bool modified_ = false;
    uint64_t revision_ = 0;
    void touch()
    {
        modified_ = true;
        ++revision_;
    }
    int64_t serial_ = 0;
    std::map<std::wstring, size_t> cursors_;  // tblnext positions by table
    mutable std::unordered_map<std::string, uint32_t> handles_;  // upper-case handle -> id
    mutable bool handlesBuilt_ = false;
    unsigned long long nextHandle_ = 0;  // 0 until the first new handle is made
};

}  // namespace korcad
