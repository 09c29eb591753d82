#include "drawing/Drawing.h"

#include "drawing/Wildcard.h"

#include "text/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <set>
#include <stdexcept>
#include <type_traits>

namespace korcad {

using dxf::Tag;
using dxf::Tags;

namespace {

// Entity names are (kNameBase + id * 8, drawing serial): they look like the addresses CAD
// programs hand out, and a stray number is unlikely to be one.
constexpr int64_t kNameBase = 0x7ff6a0000000;
int64_t nextSerial = 1;

// What a new drawing is: DXF R2000 with the standard tables, as CAD programs start one.
const char kNewDrawing[] =
    "  0\nSECTION\n  2\nHEADER\n"
    "  9\n$ACADVER\n  1\nAC1015\n"
    "  9\n$DWGCODEPAGE\n  3\nANSI_1252\n"
    "  9\n$INSUNITS\n 70\n6\n"
    "  9\n$HANDSEED\n  5\n30\n"
    "  0\nENDSEC\n"
    "  0\nSECTION\n  2\nCLASSES\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nTABLES\n"
    "  0\nTABLE\n  2\nVPORT\n  5\n8\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
    "  0\nVPORT\n  5\n29\n330\n8\n100\nAcDbSymbolTableRecord\n100\nAcDbViewportTableRecord\n  2\n*Active\n"
    " 70\n0\n 10\n0.0\n 20\n0.0\n 11\n1.0\n 21\n1.0\n 12\n0.0\n 22\n0.0\n 40\n100.0\n 41\n1.5\n"
    "  0\nENDTAB\n"
    "  0\nTABLE\n  2\nLTYPE\n  5\n5\n330\n0\n100\nAcDbSymbolTable\n 70\n3\n"
    "  0\nLTYPE\n  5\n14\n330\n5\n100\nAcDbSymbolTableRecord\n100\nAcDbLinetypeTableRecord\n  2\nByBlock\n"
    " 70\n0\n  3\n\n 72\n65\n 73\n0\n 40\n0.0\n"
    "  0\nLTYPE\n  5\n15\n330\n5\n100\nAcDbSymbolTableRecord\n100\nAcDbLinetypeTableRecord\n  2\nByLayer\n"
    " 70\n0\n  3\n\n 72\n65\n 73\n0\n 40\n0.0\n"
    "  0\nLTYPE\n  5\n16\n330\n5\n100\nAcDbSymbolTableRecord\n100\nAcDbLinetypeTableRecord\n  2\nContinuous\n"
    " 70\n0\n  3\nSolid line\n 72\n65\n 73\n0\n 40\n0.0\n"
    "  0\nENDTAB\n"
    "  0\nTABLE\n  2\nLAYER\n  5\n2\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
    "  0\nLAYER\n  5\n10\n330\n2\n100\nAcDbSymbolTableRecord\n100\nAcDbLayerTableRecord\n  2\n0\n"
    " 70\n0\n 62\n7\n  6\nContinuous\n370\n-3\n"
    "  0\nENDTAB\n"
    "  0\nTABLE\n  2\nSTYLE\n  5\n3\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
    "  0\nSTYLE\n  5\n11\n330\n3\n100\nAcDbSymbolTableRecord\n100\nAcDbTextStyleTableRecord\n  2\nStandard\n"
    " 70\n0\n 40\n0.0\n 41\n1.0\n 50\n0.0\n 71\n0\n 42\n2.5\n  3\ntxt\n  4\n\n"
    "  0\nENDTAB\n"
    "  0\nTABLE\n  2\nVIEW\n  5\n6\n330\n0\n100\nAcDbSymbolTable\n 70\n0\n  0\nENDTAB\n"
    "  0\nTABLE\n  2\nUCS\n  5\n7\n330\n0\n100\nAcDbSymbolTable\n 70\n0\n  0\nENDTAB\n"
    "  0\nTABLE\n  2\nAPPID\n  5\n9\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
    "  0\nAPPID\n  5\n12\n330\n9\n100\nAcDbSymbolTableRecord\n100\nAcDbRegAppTableRecord\n  2\nACAD\n 70\n0\n"
    "  0\nENDTAB\n"
    "  0\nTABLE\n  2\nDIMSTYLE\n  5\nA\n330\n0\n100\nAcDbSymbolTable\n 70\n1\n"
    "  0\nDIMSTYLE\n105\n27\n330\nA\n100\nAcDbSymbolTableRecord\n100\nAcDbDimStyleTableRecord\n  2\nStandard\n"
    " 70\n0\n"
    "  0\nENDTAB\n"
    "  0\nTABLE\n  2\nBLOCK_RECORD\n  5\n1\n330\n0\n100\nAcDbSymbolTable\n 70\n2\n"
    "  0\nBLOCK_RECORD\n  5\n1F\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n"
    "  2\n*Model_Space\n"
    "  0\nBLOCK_RECORD\n  5\n1B\n330\n1\n100\nAcDbSymbolTableRecord\n100\nAcDbBlockTableRecord\n"
    "  2\n*Paper_Space\n"
    "  0\nENDTAB\n"
    "  0\nENDSEC\n"
    "  0\nSECTION\n  2\nBLOCKS\n"
    "  0\nBLOCK\n  5\n20\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockBegin\n  2\n*Model_Space\n"
    " 70\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  3\n*Model_Space\n  1\n\n"
    "  0\nENDBLK\n  5\n21\n330\n1F\n100\nAcDbEntity\n  8\n0\n100\nAcDbBlockEnd\n"
    "  0\nBLOCK\n  5\n1C\n330\n1B\n100\nAcDbEntity\n 67\n1\n  8\n0\n100\nAcDbBlockBegin\n  2\n*Paper_Space\n"
    " 70\n0\n 10\n0.0\n 20\n0.0\n 30\n0.0\n  3\n*Paper_Space\n  1\n\n"
    "  0\nENDBLK\n  5\n1D\n330\n1B\n100\nAcDbEntity\n 67\n1\n  8\n0\n100\nAcDbBlockEnd\n"
    "  0\nENDSEC\n"
    "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n"
    "  0\nSECTION\n  2\nOBJECTS\n"
    "  0\nDICTIONARY\n  5\nC\n330\n0\n100\nAcDbDictionary\n281\n1\n  3\nACAD_GROUP\n350\nD\n"
    "  0\nDICTIONARY\n  5\nD\n330\nC\n100\nAcDbDictionary\n281\n1\n"
    "  0\nENDSEC\n"
    "  0\nEOF\n";

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::string upperAscii(std::string_view s)
{
    std::string u(trim(s));
    for (char& c : u)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return u;
}

bool is(const Tag& t, int code, std::string_view value) { return t.code == code && trim(t.value) == value; }

double real(std::string_view v)
{
    double d = 0;
    dxf::parseReal(v, d);
    return d;
}

long long integer(std::string_view v) { return dxf::integerOf(v); }

bool equalText(const std::wstring& a, const std::wstring& b)
{
    return Drawing::upper(a) == Drawing::upper(b);
}

// One group of a record: a single tag, or the two or three tags of a point.
struct Group {
    int code = 0;
    size_t tag = 0;
    size_t count = 1;
};

// The groups of tags[from, to): points gather their Y and Z.
std::vector<Group> groupsOf(std::span<const Tag> t, size_t from, size_t to)
{
    std::vector<Group> out;
    for (size_t i = from; i < to;) {
        Group g{t[i].code, i, 1};
        if (dxf::isPointX(t[i].code) && i + 1 < to && t[i + 1].code == t[i].code + 10) {
            g.count = (i + 2 < to && t[i + 2].code == t[i].code + 20) ? 3 : 2;
        }
        out.push_back(g);
        i += g.count;
    }
    return out;
}

// Where a record's extended data starts (its first 1001 group), or its end.
size_t xdataStart(std::span<const Tag> t)
{
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].code == 1001)
            return i;
    return t.size();
}

// Why a group cannot stand in a record of a file that DXF readers (korcad's first) read back;
// empty when it can. The drawing's last line of defence under the checks of entmake and
// entmod: a type that ends a section or the file, a code no file holds, a value that breaks
// its line (or, ended by CR, would not read back the same), a number that is none.
std::string unsoundGroup(int code, std::string_view value, bool first)
{
    if (first && code != 0)
        return "a record starts with its type (0 group)";
    if (!first && code == 0)
        return "a record holds one 0 group";
    if (code < -5 || code > 1071 || code == -3)
        return "group code " + std::to_string(code) + " is no group of a file";
    if (value.find_first_of("\r\n") != std::string_view::npos)
        return "group " + std::to_string(code) + " holds a line break";
    if (first) {
        std::string type = upperAscii(value);
        if (type.empty() || type == "SECTION" || type == "ENDSEC" || type == "EOF")
            return "\"" + type + "\" would end a section or the file";
    }
    dxf::Kind k = dxf::kindOf(code);
    double d;
    if ((k == dxf::Kind::Real || k == dxf::Kind::Point || k == dxf::Kind::Int16 || k == dxf::Kind::Int32 ||
         k == dxf::Kind::Int64) &&
        !dxf::parseReal(value, d))
        return "group " + std::to_string(code) + " holds no number";
    return {};
}

template <class Groups>
bool soundRecord(const Groups& groups, std::string* why)
{
    bool first = true;
    for (const auto& g : groups) {
        std::string reason;
        if constexpr (std::is_same_v<std::decay_t<decltype(g)>, Tag>)
            reason = unsoundGroup(g.code, g.value, first);
        else
            reason = unsoundGroup(g.first, g.second, first);
        if (!reason.empty()) {
            if (why)
                *why = "the record would break the file: " + reason;
            return false;
        }
        first = false;
    }
    return !first;
}

// The first text of a chain (program data, as entmake and entmod take it) with a line break:
// DXF holds a text on one line, and CAD programs refuse such texts. False, with the reason.
bool noLineBreaks(const resbuf* chain, std::string* why)
{
    for (const resbuf* rb = chain; rb; rb = rb->rbnext)
        if (acutIsTextType(rb->restype) && rb->resval.rstring && std::wcspbrk(rb->resval.rstring, L"\r\n")) {
            *why = "group " + std::to_string(rb->restype) + " holds a line break";
            return false;
        }
    return true;
}

// The entity types entmake makes: those of the ENTITIES section, less the parts of complex
// entities (VERTEX, ATTRIB, SEQEND come only with their entity). Anything else - the marker of
// a section, table, class or block, EOF, a name nobody reads - would give a file that CAD
// programs refuse or misread.
const std::set<std::string, std::less<>> kEntityTypes = {
    "3DFACE", "3DSOLID", "ACAD_TABLE", "ARC", "ARC_DIMENSION", "ATTDEF", "BODY", "CIRCLE", "DGNUNDERLAY",
    "DIMENSION", "DWFUNDERLAY", "ELLIPSE", "HATCH", "HELIX", "IMAGE", "INSERT", "LEADER", "LIGHT", "LINE",
    "LWPOLYLINE", "MESH", "MLINE", "MPOLYGON", "MTEXT", "MULTILEADER", "OLE2FRAME", "OLEFRAME", "PDFUNDERLAY",
    "POINT", "RAY", "REGION", "SHAPE", "SOLID", "SPLINE", "SURFACE", "TEXT", "TOLERANCE", "TRACE", "VIEWPORT",
    "WIPEOUT", "XLINE",
};

// Groups that every entity has a place for in its common part, after its layer.
bool isCommonEntityCode(int code)
{
    return code == 6 || code == 48 || code == 60 || code == 62 || code == 67 || code == 284 || code == 370 ||
           code == 420 || code == 430 || code == 440;
}

}  // namespace

// ---- reading and writing ----------------------------------------------------------------------

Drawing::Drawing() : serial_(nextSerial++) {}

Drawing::Drawing(std::wstring name) : Drawing()
{
    name_ = std::move(name);
    file_.bytes = kNewDrawing;
    std::string error;
    // The template is ours: it always reads.
    if (!dxf::readTags(file_, &error) || !build(&error))
        throw std::logic_error("the new-drawing template does not read: " + error);
}

Drawing::~Drawing() = default;

std::unique_ptr<Drawing> Drawing::read(std::wstring name, std::string bytes, std::string* error)
{
    switch (dxf::sniff(bytes)) {
    case dxf::FileKind::BinaryDxf:
        *error = "it is a binary DXF file; korcad reads ASCII DXF (save it as ASCII DXF)";
        return nullptr;
    case dxf::FileKind::Dwg:
        *error = "it is a DWG file; korcad reads DXF (save it as DXF in your CAD program)";
        return nullptr;
    case dxf::FileKind::Empty:
        *error = "the file is empty";
        return nullptr;
    case dxf::FileKind::AsciiDxf:
        break;
    }
    std::unique_ptr<Drawing> d(new Drawing());
    d->name_ = std::move(name);
    d->file_.bytes = std::move(bytes);
    if (!dxf::readTags(d->file_, error) || !d->build(error))
        return nullptr;
    return d;
}

bool Drawing::build(std::string* error)
{
    const dxf::TagStream& s = file_;
    crlf_ = s.crlf;
    const Tags& t = s.tags;
    const size_t n = t.size();
    where_.assign(1, Where{});
    auto fail = [&](size_t i, const std::string& message) {
        *error = "line " + std::to_string(dxf::lineOf(s, std::min(i, n - 1))) + ": " + message;
        return false;
    };
    Section loose;
    bool sawEof = false;
    size_t i = 0;
    while (i < n) {
        if (sawEof || !is(t[i], 0, "SECTION")) {
            if (is(t[i], 0, "EOF"))
                sawEof = true;
            else if (!sawEof && t[i].code == 0 && trim(t[i].value) == "ENDSEC")
                return fail(i, "ENDSEC outside a section");
            loose.head.push_back(t[i++]);
            continue;
        }
        if (!loose.head.empty())
            sections_.push_back(std::move(loose));
        loose = Section{};
        Section sec;
        sec.head.push_back(t[i++]);
        if (i >= n || t[i].code != 2)
            return fail(i, "a SECTION without its name (group 2)");
        sec.name = upperAscii(t[i].value);
        sec.head.push_back(t[i++]);
        while (i < n && t[i].code != 0)
            sec.head.push_back(t[i++]);
        size_t records = 0;
        for (size_t j = i; j < n && !is(t[j], 0, "ENDSEC"); ++j)
            records += t[j].code == 0;
        sec.records.reserve(records);
        where_.reserve(where_.size() + records);
        while (i < n && !is(t[i], 0, "ENDSEC")) {
            if (is(t[i], 0, "SECTION") || is(t[i], 0, "EOF"))
                return fail(i, "section " + sec.name + " is not ended (ENDSEC missing)");
            Record r;
            r.id = static_cast<uint32_t>(where_.size());
            r.first = static_cast<uint32_t>(i);
            ++i;
            while (i < n && t[i].code != 0)
                ++i;
            r.count = static_cast<uint32_t>(i - r.first);
            where_.push_back(Where{static_cast<uint32_t>(sections_.size()), static_cast<uint32_t>(sec.records.size())});
            sec.records.push_back(std::move(r));
        }
        if (i >= n)
            return fail(n - 1, "the file ends inside section " + sec.name + ": it is cut short");
        sec.end.push_back(t[i++]);
        if (sec.name == "ENTITIES")
            entities_ = static_cast<int>(sections_.size());
        sections_.push_back(std::move(sec));
    }
    if (!sawEof)
        return fail(n - 1, "the file ends without EOF: it is cut short");
    if (!loose.head.empty())
        sections_.push_back(std::move(loose));
    std::string v = version();
    utf8_ = v >= "AC1021";
    // Some programs write UTF-8 into older versions; a file that is valid UTF-8 and not plain
    // ASCII is read so.
    // Only the drawing counts: the bytes up to its EOF group, not what may follow.
    const std::string_view drawn(file_.bytes.data(),
                                 static_cast<size_t>(t.back().value.data() + t.back().value.size() - file_.bytes.data()));
    if (!utf8_ && kortext::isValidUtf8(drawn))
        utf8_ = std::any_of(drawn.begin(), drawn.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    computeSubEntities();
    return true;
}

std::string Drawing::version() const { return upperAscii(headerValue("$ACADVER")); }

std::string_view Drawing::headerValue(const std::string& variable) const
{
    const Section* h = section("HEADER");
    if (!h)
        return {};
    for (size_t i = 0; i + 1 < h->head.size(); ++i)
        if (h->head[i].code == 9 && trim(h->head[i].value) == variable)
            return h->head[i + 1].value;
    return {};
}

bool Drawing::opensComplex(const Record& r) const
{
    std::string_view ty = type(r);
    if (ty == "POLYLINE")
        return true;
    if (ty == "INSERT")
        for (const Tag& g : tags(r))
            if (g.code == 66 && integer(g.value) == 1)
                return true;
    return false;
}

// A VERTEX, ATTRIB or SEQEND at `index` of the ENTITIES section belongs to the complex
// entity before it when that one is open (a POLYLINE, an INSERT with attributes, or a
// sub-entity other than SEQEND).
bool Drawing::continuesComplex(size_t index, std::string_view ty) const
{
    ty = trim(ty);
    if (entities_ < 0 || index == 0 || (ty != "VERTEX" && ty != "ATTRIB" && ty != "SEQEND"))
        return false;
    const Record& prev = sections_[entities_].records[index - 1];
    if (sub_[prev.id])
        return type(prev) != "SEQEND";
    return opensComplex(prev);
}

void Drawing::computeSubEntities()
{
    sub_.assign(where_.size(), 0);
    if (entities_ < 0)
        return;
    const auto& records = sections_[entities_].records;
    for (size_t i = 0; i < records.size(); ++i)
        sub_[records[i].id] = continuesComplex(i, type(records[i])) ? 1 : 0;
}

std::span<const Tag> Drawing::tags(const Record& r) const
{
    if (r.own)
        return *r.own;
    return std::span<const Tag>(file_.tags.data() + r.first, r.count);
}

Tags Drawing::allTags() const
{
    Tags out;
    out.reserve(file_.tags.size());
    for (const Section& s : sections_) {
        out.insert(out.end(), s.head.begin(), s.head.end());
        for (const Record& r : s.records)
            if (!r.erased) {
                auto t = tags(r);
                out.insert(out.end(), t.begin(), t.end());
            }
        out.insert(out.end(), s.end.begin(), s.end.end());
    }
    return out;
}

std::string Drawing::write() const
{
    std::string out;
    out.reserve(file_.bytes.size() + 4096);
    for (const Section& s : sections_) {
        dxf::writeTags(s.head, crlf_, out);
        for (const Record& r : s.records)
            if (!r.erased)
                dxf::writeTags(tags(r), crlf_, out);
        dxf::writeTags(s.end, crlf_, out);
    }
    return out;
}

std::string_view Drawing::own(std::string text)
{
    owned_.push_back(std::move(text));
    return owned_.back();
}

Tags& Drawing::writable(Record& r)
{
    if (!r.own) {
        auto t = tags(r);
        r.own = std::make_unique<Tags>(t.begin(), t.end());
    }
    return *r.own;
}

std::wstring Drawing::upper(const std::wstring& s)
{
    std::wstring u = s;
    for (wchar_t& c : u)
        c = static_cast<wchar_t>(std::towupper(c));
    return u;
}

const Drawing::Section* Drawing::section(const std::string& name) const
{
    for (const Section& s : sections_)
        if (s.name == name)
            return &s;
    return nullptr;
}

Drawing::Section* Drawing::section(const std::string& name)
{
    return const_cast<Section*>(static_cast<const Drawing*>(this)->section(name));
}

Drawing::Record* Drawing::recordById(uint32_t id)
{
    if (id == 0 || id >= where_.size())
        return nullptr;
    return &sections_[where_[id].section].records[where_[id].index];
}

const Drawing::Record* Drawing::recordById(uint32_t id) const
{
    return const_cast<Drawing*>(this)->recordById(id);
}

const Drawing::Record* Drawing::nextRecord(const Record& r) const
{
    if (r.id == 0 || r.id >= where_.size())
        return nullptr;
    const Where& w = where_[r.id];
    const auto& records = sections_[w.section].records;
    for (size_t i = w.index + 1; i < records.size(); ++i)
        if (!records[i].erased)
            return &records[i];
    return nullptr;
}

std::string_view Drawing::type(const Record& r) const
{
    auto t = tags(r);
    return t.empty() ? std::string_view() : trim(t[0].value);
}

size_t Drawing::entityCount() const
{
    if (entities_ < 0)
        return 0;
    size_t n = 0;
    for (const Record& r : sections_[entities_].records)
        n += !r.erased && !sub_[r.id];
    return n;
}

// ---- names and handles ----------------------------------------------------------------------

void Drawing::nameOf(uint32_t id, ads_name name) const
{
    name[0] = kNameBase + static_cast<int64_t>(id) * 8;
    name[1] = serial_;
}

const Drawing::Record* Drawing::record(const ads_name name) const
{
    if (!name || name[1] != serial_ || name[0] < kNameBase || (name[0] - kNameBase) % 8 != 0)
        return nullptr;
    int64_t id = (name[0] - kNameBase) / 8;
    if (id <= 0 || id >= static_cast<int64_t>(where_.size()))
        return nullptr;
    const Record* r = recordById(static_cast<uint32_t>(id));
    return r && !r->erased ? r : nullptr;
}

uint32_t Drawing::lookupHandle(std::string_view handle) const
{
    if (!handlesBuilt_) {
        handles_.clear();
        handles_.reserve(where_.size());
        for (const Section& s : sections_)
            for (const Record& r : s.records) {
                auto t = tags(r);
                for (size_t i = 1; i < t.size() && i < 4; ++i)
                    if (t[i].code == 5 || t[i].code == 105) {
                        handles_.emplace(upperAscii(t[i].value), r.id);
                        break;
                    }
            }
        handlesBuilt_ = true;
    }
    auto it = handles_.find(upperAscii(handle));
    return it == handles_.end() ? 0 : it->second;
}

bool Drawing::handEnt(const std::wstring& handle, ads_name name) const
{
    std::string h;
    for (wchar_t c : handle) {
        if (!std::iswxdigit(c))
            return false;
        h += static_cast<char>(c);
    }
    uint32_t id = h.empty() ? 0 : lookupHandle(h);
    const Record* r = recordById(id);
    if (!r || r->erased)
        return false;
    nameOf(id, name);
    return true;
}

bool Drawing::usesHandles() const
{
    if (!headerValue("$HANDSEED").empty())
        return true;
    return version() >= "AC1015";
}

std::string Drawing::newHandle()
{
    // $HANDSEED is the next free handle; a file without one (or with a stale one) gets the one
    // after the highest in use.
    Section* h = section("HEADER");
    size_t seedTag = 0;
    if (h)
        for (size_t i = 0; i + 1 < h->head.size(); ++i)
            if (h->head[i].code == 9 && trim(h->head[i].value) == "$HANDSEED")
                seedTag = i + 1;
    if (nextHandle_ == 0) {
        if (seedTag)
            nextHandle_ = std::strtoull(std::string(trim(h->head[seedTag].value)).c_str(), nullptr, 16);
        lookupHandle("0");
        for (const auto& [handle, id] : handles_)
            nextHandle_ = std::max(nextHandle_, std::strtoull(handle.c_str(), nullptr, 16) + 1);
        nextHandle_ = std::max<unsigned long long>(nextHandle_, 1);
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "%llX", nextHandle_);
    std::string handle = buf;
    ++nextHandle_;
    std::snprintf(buf, sizeof buf, "%llX", nextHandle_);
    if (seedTag)
        h->head[seedTag].value = own(buf);
    return handle;
}

void Drawing::remember(const Record& r)
{
    if (!handlesBuilt_)
        return;
    auto t = tags(r);
    for (size_t i = 1; i < t.size() && i < 4; ++i)
        if (t[i].code == 5 || t[i].code == 105) {
            handles_.emplace(upperAscii(t[i].value), r.id);
            return;
        }
}

// ---- tables ---------------------------------------------------------------------------------

bool Drawing::findTable(const std::string& name, Table& table) const
{
    const Section* s = section("TABLES");
    if (!s)
        return false;
    for (size_t i = 0; i < s->records.size(); ++i) {
        if (type(s->records[i]) != "TABLE")
            continue;
        auto t = tags(s->records[i]);
        bool match = false;
        for (const Tag& g : t)
            if (g.code == 2) {
                match = upperAscii(g.value) == name;
                break;
            }
        if (!match)
            continue;
        size_t j = i + 1;
        while (j < s->records.size() && type(s->records[j]) != "ENDTAB" && type(s->records[j]) != "TABLE")
            ++j;
        table.header = i;
        table.end = j;
        return true;
    }
    return false;
}

namespace {

std::wstring recordName(std::span<const Tag> t, bool utf8)
{
    for (const Tag& g : t)
        if (g.code == 2)
            return dxf::decodeText(g.value, utf8);
    return {};
}

}  // namespace

std::vector<const Drawing::Record*> Drawing::tableRecords(const std::wstring& tableName) const
{
    std::vector<const Record*> out;
    std::string table = upperAscii(kortext::fromWide(tableName));
    if (table == "BLOCK") {
        // Block definitions: the BLOCK records of the BLOCKS section.
        if (const Section* s = section("BLOCKS"))
            for (const Record& r : s->records)
                if (type(r) == "BLOCK" && !r.erased) {
                    std::wstring n = upper(recordName(tags(r), utf8_));
                    if (n != L"*MODEL_SPACE" && n != L"*PAPER_SPACE")
                        out.push_back(&r);
                }
        return out;
    }
    Table t;
    if (!findTable(table, t))
        return out;
    const Section* s = section("TABLES");
    for (size_t i = t.header + 1; i < t.end; ++i) {
        const Record& r = s->records[i];
        if (r.erased)
            continue;
        if (table == "LTYPE") {
            std::wstring n = upper(recordName(tags(r), utf8_));
            if (n == L"BYBLOCK" || n == L"BYLAYER")
                continue;
        }
        out.push_back(&r);
    }
    return out;
}

const Drawing::Record* Drawing::find(const std::wstring& table, const std::wstring& name) const
{
    for (const Record* r : tableRecords(table))
        if (equalText(recordName(tags(*r), utf8_), name))
            return r;
    return nullptr;
}

ads::RbPtr Drawing::tableChain(const Record& r) const
{
    ads::ChainBuilder chain;
    auto t = tags(r);
    bool block = type(r) == "BLOCK";
    auto groups = groupsOf(t, 0, xdataStart(t));
    int depth = 0;  // inside a 102 {...} group
    for (const Group& g : groups) {
        const Tag& first = t[g.tag];
        if (g.code == 102) {
            depth += trim(first.value).starts_with("{") ? 1 : (depth > 0 ? -1 : 0);
            continue;
        }
        if (depth > 0)
            continue;
        int c = g.code;
        if (c == 5 || c == 100 || c == 105 || c == 290 || (c >= 330 && c <= 369) || c == 370 ||
            (c >= 390 && c <= 399) || c == 480 || c == 481 || (block && c == 8))
            continue;
        switch (dxf::kindOf(c)) {
        case dxf::Kind::Text:
            chain.addText(c, text(first.value));
            break;
        case dxf::Kind::Real:
        case dxf::Kind::Int64:
            chain.add(c)->resval.rreal = real(first.value);
            break;
        case dxf::Kind::Point: {
            resbuf* rb = chain.add(c);
            for (size_t k = 0; k < 3; ++k)
                rb->resval.rpoint[k] = k < g.count ? real(t[g.tag + k].value) : 0.0;
            break;
        }
        case dxf::Kind::Int16:
            chain.add(c)->resval.rint = static_cast<short>(integer(first.value));
            break;
        case dxf::Kind::Int32:
            chain.add(c)->resval.rlong = static_cast<int32_t>(integer(first.value));
            break;
        case dxf::Kind::Name:
            break;
        }
    }
    if (block) {
        // A block definition names its first entity (-2).
        const Where& w = where_[r.id];
        const Section& s = sections_[w.section];
        if (w.index + 1 < s.records.size() && type(s.records[w.index + 1]) != "ENDBLK") {
            resbuf* rb = chain.add(-2);
            nameOf(s.records[w.index + 1].id, rb->resval.rlname);
        }
    }
    return chain.take();
}

ads::RbPtr Drawing::tblNext(const std::wstring& table, bool rewind)
{
    std::vector<const Record*> records = tableRecords(table);
    size_t& cursor = cursors_[upper(table)];
    if (rewind)
        cursor = 0;
    if (cursor >= records.size())
        return nullptr;
    return tableChain(*records[cursor++]);
}

ads::RbPtr Drawing::tblSearch(const std::wstring& table, const std::wstring& name, bool setNext)
{
    std::vector<const Record*> records = tableRecords(table);
    for (size_t i = 0; i < records.size(); ++i)
        if (equalText(recordName(tags(*records[i]), utf8_), name)) {
            if (setNext)
                cursors_[upper(table)] = i + 1;
            return tableChain(*records[i]);
        }
    return nullptr;
}

void Drawing::renumber(uint32_t sectionIndex)
{
    auto& records = sections_[sectionIndex].records;
    for (uint32_t i = 0; i < records.size(); ++i)
        where_[records[i].id] = Where{sectionIndex, i};
}

uint32_t Drawing::addTableRecord(const std::string& tableName, const std::vector<std::pair<int, std::string>>& data)
{
    Table t;
    Section* s = section("TABLES");
    if (!s || !findTable(tableName, t))
        return 0;
    std::vector<std::pair<int, std::string>> whole{{0, tableName}};
    whole.insert(whole.end(), data.begin(), data.end());
    if (!soundRecord(whole, nullptr))
        return 0;
    const Record& header = s->records[t.header];
    bool subclassed = false;
    std::string tableHandle;
    for (const Tag& g : tags(header)) {
        if (g.code == 100)
            subclassed = true;
        if (g.code == 5)
            tableHandle = std::string(trim(g.value));
    }
    static const std::map<std::string, std::string> subclass = {
        {"APPID", "AcDbRegAppTableRecord"}, {"LAYER", "AcDbLayerTableRecord"},
        {"LTYPE", "AcDbLinetypeTableRecord"}, {"STYLE", "AcDbTextStyleTableRecord"}};
    auto r = std::make_unique<Tags>();
    r->push_back(Tag{0, own(tableName)});
    if (usesHandles()) {
        r->push_back(Tag{5, own(newHandle())});
        if (!tableHandle.empty())
            r->push_back(Tag{330, own(tableHandle)});
    }
    if (subclassed) {
        r->push_back(Tag{100, "AcDbSymbolTableRecord"});
        auto sc = subclass.find(tableName);
        if (sc != subclass.end())
            r->push_back(Tag{100, sc->second});
    }
    for (const auto& [code, value] : data)
        r->push_back(Tag{code, own(value)});
    Record rec;
    rec.id = static_cast<uint32_t>(where_.size());
    rec.own = std::move(r);
    uint32_t sectionIndex = static_cast<uint32_t>(s - sections_.data());
    where_.push_back(Where{sectionIndex, static_cast<uint32_t>(t.end)});
    sub_.push_back(0);
    s->records.insert(s->records.begin() + static_cast<long>(t.end), std::move(rec));
    renumber(sectionIndex);
    remember(*recordById(static_cast<uint32_t>(where_.size() - 1)));
    touch();
    return static_cast<uint32_t>(where_.size() - 1);
}

int Drawing::setLayersOn(const std::wstring& pattern, bool on)
{
    int matched = 0;
    for (const Record* found : tableRecords(L"LAYER")) {
        if (!wildcardMatch(recordName(tags(*found), utf8_), pattern, true))
            continue;
        ++matched;
        Record& r = *recordById(found->id);
        for (Tag& g : writable(r))
            if (g.code == 62) {
                long long colour = integer(g.value);
                if ((colour < 0) == on) {
                    g.value = own(std::to_string(on ? -colour : -colour));
                    touch();
                }
            }
    }
    return matched;
}

bool Drawing::regApp(const std::wstring& name)
{
    if (name.empty() || name.size() > 255 || find(L"APPID", name))
        return false;
    for (wchar_t c : name)
        if (!(std::iswalnum(c) || c == L'_' || c == L'-' || c == L'$'))
            return false;
    return addTableRecord("APPID", {{2, dxf::encodeText(name, utf8_)}, {70, "0"}}) != 0;
}

// ---- entities -------------------------------------------------------------------------------

bool Drawing::entNext(const ads_name entity, ads_name next) const
{
    if (entities_ < 0)
        return false;
    const auto& records = sections_[entities_].records;
    size_t from = 0;
    bool any = !entity || (entity[0] == 0 && entity[1] == 0);
    if (!any) {
        const Record* r = record(entity);
        if (!r || where_[r->id].section != static_cast<uint32_t>(entities_))
            return false;
        from = where_[r->id].index + 1;
    }
    for (size_t i = from; i < records.size(); ++i) {
        if (records[i].erased || (any && sub_[records[i].id]))
            continue;
        nameOf(records[i].id, next);
        return true;
    }
    return false;
}

bool Drawing::entLast(ads_name last) const
{
    if (entities_ < 0)
        return false;
    const auto& records = sections_[entities_].records;
    for (size_t i = records.size(); i-- > 0;)
        if (!records[i].erased && !sub_[records[i].id]) {
            nameOf(records[i].id, last);
            return true;
        }
    return false;
}

std::vector<uint32_t> Drawing::mainEntities() const
{
    std::vector<uint32_t> out;
    if (entities_ < 0)
        return out;
    for (const Record& r : sections_[entities_].records)
        if (!r.erased && !sub_[r.id])
            out.push_back(r.id);
    return out;
}

namespace {

// Appends one group (single or point) as a result buffer. False for a name that points to
// no record (left out).
template <class Resolve>
void addGroup(ads::ChainBuilder& chain, std::span<const Tag> t, const Group& g, bool utf8, Resolve resolve)
{
    const Tag& first = t[g.tag];
    int c = g.code;
    switch (dxf::kindOf(c)) {
    case dxf::Kind::Text:
        chain.addText(c, dxf::decodeText(first.value, utf8));
        return;
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        chain.add(c)->resval.rreal = real(first.value);
        return;
    case dxf::Kind::Point: {
        resbuf* rb = chain.add(c);
        for (size_t k = 0; k < 3; ++k)
            rb->resval.rpoint[k] = k < g.count ? real(t[g.tag + k].value) : 0.0;
        return;
    }
    case dxf::Kind::Int16:
        chain.add(c)->resval.rint = static_cast<short>(integer(first.value));
        return;
    case dxf::Kind::Int32:
        chain.add(c)->resval.rlong = static_cast<int32_t>(integer(first.value));
        return;
    case dxf::Kind::Name: {
        ads_name n;
        if (resolve(first.value, n)) {
            resbuf* rb = chain.add(c);
            rb->resval.rlname[0] = n[0];
            rb->resval.rlname[1] = n[1];
        }
        return;
    }
    }
}

bool appWanted(const std::wstring& app, const resbuf* apps)
{
    for (const resbuf* a = apps; a; a = a->rbnext)
        if (a->restype == RTSTR && a->resval.rstring && wildcardMatch(app, a->resval.rstring, true))
            return true;
    return false;
}

}  // namespace

ads::RbPtr Drawing::entGet(const ads_name entity, const resbuf* apps) const
{
    const Record* r = record(entity);
    if (!r)
        return nullptr;
    auto t = tags(*r);
    auto resolve = [this](std::string_view handle, ads_name n) {
        uint32_t id = lookupHandle(trim(handle));
        const Record* target = recordById(id);
        if (!target || target->erased)
            return false;
        nameOf(id, n);
        return true;
    };
    ads::ChainBuilder chain;
    resbuf* self = chain.add(-1);
    nameOf(r->id, self->resval.rlname);
    size_t xs = xdataStart(t);
    for (const Group& g : groupsOf(t, 0, xs))
        addGroup(chain, t, g, utf8_, resolve);
    if (apps && xs < t.size()) {
        bool started = false;
        bool wanted = false;
        for (const Group& g : groupsOf(t, xs, t.size())) {
            if (g.code == 1001) {
                wanted = appWanted(text(t[g.tag].value), apps);
                if (wanted && !started) {
                    chain.add(-3);
                    started = true;
                }
            }
            if (wanted)
                addGroup(chain, t, g, utf8_, resolve);
        }
    }
    return chain.take();
}

namespace {

// The file text of one result buffer's value; points give their X, Y (and Z when `z`).
bool formatGroup(const resbuf* rb, bool utf8, bool z, std::vector<std::string>& out, std::string* why)
{
    char buf[32];
    switch (dxf::kindOf(rb->restype)) {
    case dxf::Kind::Text:
        out.push_back(dxf::encodeText(rb->resval.rstring ? rb->resval.rstring : L"", utf8));
        return true;
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        if (!std::isfinite(rb->resval.rreal)) {
            *why = "group " + std::to_string(rb->restype) + " is no finite number";
            return false;
        }
        out.push_back(dxf::formatReal(rb->resval.rreal));
        return true;
    case dxf::Kind::Point:
        for (int k = 0; k < (z ? 3 : 2); ++k) {
            if (!std::isfinite(rb->resval.rpoint[k])) {
                *why = "group " + std::to_string(rb->restype) + " is no finite point";
                return false;
            }
            out.push_back(dxf::formatReal(rb->resval.rpoint[k]));
        }
        return true;
    case dxf::Kind::Int16:
        std::snprintf(buf, sizeof buf, "%d", rb->resval.rint);
        out.push_back(buf);
        return true;
    case dxf::Kind::Int32:
        std::snprintf(buf, sizeof buf, "%d", rb->resval.rlong);
        out.push_back(buf);
        return true;
    case dxf::Kind::Name:
        break;
    }
    return false;
}

bool sameValue(const resbuf* rb, std::span<const Tag> t, const Group& g, bool utf8)
{
    switch (dxf::kindOf(rb->restype)) {
    case dxf::Kind::Text:
        return rb->resval.rstring && dxf::decodeText(t[g.tag].value, utf8) == rb->resval.rstring;
    case dxf::Kind::Real:
    case dxf::Kind::Int64:
        return real(t[g.tag].value) == rb->resval.rreal;
    case dxf::Kind::Point:
        for (size_t k = 0; k < 3; ++k)
            if ((k < g.count ? real(t[g.tag + k].value) : 0.0) != rb->resval.rpoint[k])
                return false;
        return true;
    case dxf::Kind::Int16:
        return integer(t[g.tag].value) == rb->resval.rint;
    case dxf::Kind::Int32:
        return integer(t[g.tag].value) == rb->resval.rlong;
    case dxf::Kind::Name:
        break;
    }
    return false;
}

}  // namespace

bool Drawing::entMod(const resbuf* chain, std::string* why)
{
    std::string ignored;
    if (!why)
        why = &ignored;
    if (!chain || chain->restype != -1) {
        *why = "the list does not start with the entity name (-1 group)";
        return false;
    }
    const Record* found = record(chain->resval.rlname);
    if (!found) {
        *why = "the -1 group names no entity of the drawing";
        return false;
    }
    if (!noLineBreaks(chain->rbnext, why))
        return false;
    const uint32_t id = found->id;
    auto t = tags(*found);
    const size_t xs = xdataStart(t);
    const std::vector<Group> old = groupsOf(t, 0, xs);
    const std::string ty(type(*found));

    // The new groups, and the extended data by application.
    std::vector<const resbuf*> fresh;
    std::vector<std::pair<std::wstring, std::vector<const resbuf*>>> xdata;
    bool inXdata = false;
    for (const resbuf* rb = chain->rbnext; rb; rb = rb->rbnext) {
        if (rb->restype == -3) {
            inXdata = true;
            continue;
        }
        if (inXdata) {
            if (rb->restype == 1001) {
                if (!rb->resval.rstring) {
                    *why = "an application name (1001) without text";
                    return false;
                }
                xdata.push_back({rb->resval.rstring, {}});
            } else if (rb->restype >= 1000 && rb->restype <= 1071 && !xdata.empty()) {
                xdata.back().second.push_back(rb);
            } else {
                *why = "extended data holds group " + std::to_string(rb->restype) +
                       " (only 1000-1071 after an application name)";
                return false;
            }
            continue;
        }
        if (ads::groupKind(rb->restype) == ads::GroupKind::None || rb->restype < 0 || rb->restype >= 1000) {
            *why = "group " + std::to_string(rb->restype) + " is no group of entity data";
            return false;
        }
        if (acutIsTextType(rb->restype) && !rb->resval.rstring) {
            *why = "group " + std::to_string(rb->restype) + " without text";
            return false;
        }
        fresh.push_back(rb);
    }

    // Checks before anything changes.
    for (const resbuf* rb : fresh) {
        if (rb->restype == 0 && upper(rb->resval.rstring) != upper(kortext::toWide(ty))) {
            *why = "entmod does not change an entity's type";
            return false;
        }
        if (rb->restype == 6) {
            std::wstring lt = upper(rb->resval.rstring);
            if (lt != L"BYLAYER" && lt != L"BYBLOCK" && !find(L"LTYPE", rb->resval.rstring)) {
                *why = "linetype " + kortext::fromWide(rb->resval.rstring) + " is not defined";
                return false;
            }
        }
    }
    for (const auto& [app, groups] : xdata)
        if (!find(L"APPID", app)) {
            *why = "application " + kortext::fromWide(app) + " is not registered (regapp)";
            return false;
        }
    for (const resbuf* rb : fresh)
        if (rb->restype == 8 && !find(L"LAYER", rb->resval.rstring))
            addTableRecord("LAYER", {{2, dxf::encodeText(rb->resval.rstring, utf8_)},
                                     {70, "0"},
                                     {62, "7"},
                                     {6, "Continuous"}});
    // A new table record may have moved records of the TABLES section: take the record again.
    Record& r = *recordById(id);
    t = tags(r);

    // Match old and new groups by code and occurrence. Groups entget does not show (pointers
    // to nothing) take no part: they are kept.
    std::vector<bool> shown(old.size(), true);
    for (size_t i = 0; i < old.size(); ++i)
        if (dxf::kindOf(old[i].code) == dxf::Kind::Name) {
            uint32_t target = lookupHandle(trim(t[old[i].tag].value));
            shown[i] = target && !recordById(target)->erased;
        }
    std::map<int, std::vector<size_t>> oldByCode, newByCode;
    for (size_t i = 0; i < old.size(); ++i)
        if (shown[i])
            oldByCode[old[i].code].push_back(i);
    std::vector<long> matchOf(fresh.size(), -1);
    for (size_t j = 0; j < fresh.size(); ++j) {
        auto& list = newByCode[fresh[j]->restype];
        auto it = oldByCode.find(fresh[j]->restype);
        if (it != oldByCode.end() && list.size() < it->second.size())
            matchOf[j] = static_cast<long>(it->second[list.size()]);
        list.push_back(j);
    }
    auto kept = [&](size_t i) { return !shown[i] || !newByCode.count(old[i].code); };

    Tags out;
    std::vector<Tag> deferred;  // new common groups, placed after the layer
    auto emitOld = [&](size_t i) {
        for (size_t k = 0; k < old[i].count; ++k)
            out.push_back(t[old[i].tag + k]);
    };
    auto emitNew = [&](const resbuf* rb, long m, std::vector<Tag>& into) -> bool {
        int c = rb->restype;
        auto keepOld = [&] {
            for (size_t k = 0; k < old[m].count; ++k)
                into.push_back(t[old[m].tag + k]);
            return true;
        };
        if (dxf::kindOf(c) == dxf::Kind::Name) {
            const Record* target = record(rb->resval.rlname);
            std::string handle;
            if (target)
                for (const Tag& g : tags(*target))
                    if (g.code == 5 || g.code == 105) {
                        handle = std::string(trim(g.value));
                        break;
                    }
            if (handle.empty()) {
                *why = "group " + std::to_string(c) + " names no object with a handle";
                return false;
            }
            if (m >= 0 && upperAscii(t[old[m].tag].value) == upperAscii(handle))
                return keepOld();
            into.push_back(Tag{c, own(handle)});
            return true;
        }
        // The handle never changes; an unchanged value keeps the text it was read with.
        if (m >= 0 && (c == 5 || c == 105 || sameValue(rb, t, old[m], utf8_)))
            return keepOld();
        bool z = m >= 0 ? old[m].count == 3 : !(ty == "LWPOLYLINE" && c == 10);
        std::vector<std::string> values;
        if (!formatGroup(rb, utf8_, z, values, why))
            return false;
        for (size_t k = 0; k < values.size(); ++k)
            into.push_back(Tag{c + static_cast<int>(k) * 10, own(values[k])});
        return true;
    };
    long lastOld = -1;
    for (size_t j = 0; j < fresh.size(); ++j) {
        long m = matchOf[j];
        if (m >= 0) {
            for (long i = lastOld + 1; i < m; ++i)
                if (kept(static_cast<size_t>(i)))
                    emitOld(static_cast<size_t>(i));
            lastOld = std::max(lastOld, m);
            if (!emitNew(fresh[j], m, out))
                return false;
        } else if (isCommonEntityCode(fresh[j]->restype) && oldByCode.count(8)) {
            if (!emitNew(fresh[j], -1, deferred))
                return false;
        } else if (!emitNew(fresh[j], -1, out)) {
            return false;
        }
    }
    for (long i = lastOld + 1; i < static_cast<long>(old.size()); ++i)
        if (kept(static_cast<size_t>(i)))
            emitOld(static_cast<size_t>(i));
    if (!deferred.empty()) {
        auto layer = std::find_if(out.begin(), out.end(), [](const Tag& g) { return g.code == 8; });
        out.insert(layer == out.end() ? out.end() : layer + 1, deferred.begin(), deferred.end());
    }
    if (out.empty() || out[0].code != 0) {
        *why = "the entity would lose its type group";
        return false;
    }
    if (ty == "LWPOLYLINE") {
        // The vertex count follows the vertices.
        size_t vertices = static_cast<size_t>(std::count_if(out.begin(), out.end(), [](const Tag& g) { return g.code == 10; }));
        for (Tag& g : out)
            if (g.code == 90 && static_cast<size_t>(integer(g.value)) != vertices)
                g.value = own(std::to_string(vertices));
    }

    // Extended data: the applications named are replaced, the others stay.
    std::vector<std::pair<std::wstring, Tags>> blocks;
    for (size_t i = xs; i < t.size(); ++i) {
        if (t[i].code == 1001)
            blocks.push_back({text(t[i].value), {}});
        if (!blocks.empty())
            blocks.back().second.push_back(t[i]);
    }
    for (const auto& [app, groups] : xdata) {
        Tags block;
        if (!groups.empty()) {
            const Record* appRecord = find(L"APPID", app);
            block.push_back(Tag{1001, own(dxf::encodeText(recordName(tags(*appRecord), utf8_), utf8_))});
            for (const resbuf* rb : groups) {
                std::vector<std::string> values;
                if (acutIsTextType(rb->restype) && !rb->resval.rstring) {
                    *why = "group " + std::to_string(rb->restype) + " without text";
                    return false;
                }
                if (!formatGroup(rb, utf8_, true, values, why))
                    return false;
                for (size_t k = 0; k < values.size(); ++k)
                    block.push_back(Tag{rb->restype + static_cast<int>(k) * 10, own(values[k])});
            }
        }
        const std::wstring& name = app;  // named: clang 14 cannot capture a structured binding
        auto it = std::find_if(blocks.begin(), blocks.end(), [&](const auto& b) { return equalText(b.first, name); });
        if (it == blocks.end()) {
            if (!block.empty())
                blocks.push_back({app, std::move(block)});
        } else if (block.empty()) {
            blocks.erase(it);
        } else {
            it->second = std::move(block);
        }
    }
    size_t xsize = 0;
    for (const auto& b : blocks)
        for (const Tag& g : b.second)
            xsize += g.value.size();
    if (xsize > 16383) {
        *why = "the extended data would exceed 16383 bytes";
        return false;
    }
    for (const auto& b : blocks)
        out.insert(out.end(), b.second.begin(), b.second.end());
    if (!soundRecord(out, why))
        return false;

    // Which records are sub-entities changes only when the entity starts to open a complex
    // entity or stops to (an INSERT's 66 flag); a walk over the whole section for every entmod
    // made a loop over many entities quadratic.
    const bool opened = opensComplex(r);
    r.own = std::make_unique<Tags>(std::move(out));
    if (where_[r.id].section == static_cast<uint32_t>(entities_) && opensComplex(r) != opened)
        computeSubEntities();
    touch();
    return true;
}

namespace {

// The subclass markers of entities korcad makes, as DXF R2000 and later files carry them: the
// marker, and the first code of the type's own groups that the marker goes before.
struct Subclass {
    const char* type;
    const char* marker;
    const char* second = nullptr;  // a second marker (ARC's AcDbArc before its angles)
    int secondBefore = 0;
};
const Subclass kSubclasses[] = {
    {"LINE", "AcDbLine"},          {"LWPOLYLINE", "AcDbPolyline"}, {"CIRCLE", "AcDbCircle"},
    {"ARC", "AcDbCircle", "AcDbArc", 50}, {"TEXT", "AcDbText"},   {"POINT", "AcDbPoint"},
    {"INSERT", "AcDbBlockReference"}, {"MTEXT", "AcDbMText"},
};

// Groups each kind of entity cannot do without.
const std::map<std::string, std::vector<int>> kRequired = {
    {"LINE", {10, 11}}, {"LWPOLYLINE", {10}}, {"CIRCLE", {10, 40}}, {"ARC", {10, 40, 50, 51}},
    {"TEXT", {10, 40, 1}}, {"POINT", {10}}, {"INSERT", {2, 10}}, {"MTEXT", {10, 1}},
};

}  // namespace

uint32_t Drawing::entMake(const resbuf* chain, std::string* why)
{
    std::string ignored;
    if (!why)
        why = &ignored;
    if (!chain || chain->restype != 0 || !chain->resval.rstring) {
        *why = "the list does not start with the entity type (0 group)";
        return 0;
    }
    if (!noLineBreaks(chain, why))
        return 0;
    const std::string type = upperAscii(kortext::fromWide(chain->resval.rstring));
    if (type == "LAYER") {
        std::wstring name;
        int colour = 7;
        std::wstring ltype = L"Continuous";
        int flags = 0;
        for (const resbuf* rb = chain->rbnext; rb; rb = rb->rbnext) {
            if (rb->restype == 2 && rb->resval.rstring)
                name = rb->resval.rstring;
            else if (rb->restype == 62)
                colour = rb->resval.rint;
            else if (rb->restype == 6 && rb->resval.rstring)
                ltype = rb->resval.rstring;
            else if (rb->restype == 70)
                flags = rb->resval.rint;
        }
        if (name.empty() || find(L"LAYER", name)) {
            *why = name.empty() ? "a layer needs its name (2 group)" : "layer " + kortext::fromWide(name) + " exists";
            return 0;
        }
        if (!find(L"LTYPE", ltype)) {
            *why = "linetype " + kortext::fromWide(ltype) + " is not defined";
            return 0;
        }
        return addTableRecord("LAYER", {{2, dxf::encodeText(name, utf8_)},
                                        {70, std::to_string(flags)},
                                        {62, std::to_string(colour)},
                                        {6, dxf::encodeText(ltype, utf8_)}});
    }
    if (type == "VERTEX" || type == "ATTRIB" || type == "SEQEND" || type == "POLYLINE" || type.empty()) {
        *why = "korcad makes no " + (type.empty() ? std::string("untyped") : type) +
               " entities (complex entities are made as LWPOLYLINE or INSERT)";
        return 0;
    }
    if (!kEntityTypes.count(type)) {
        *why = dxf::encodeText(chain->resval.rstring, true) + " is no entity type (entmake makes LINE, INSERT, ...)";
        return 0;
    }
    // Sort the groups: the common ones (layer, linetype, colour, ...) first, the type's own
    // after its subclass marker, extended data last.
    std::vector<const resbuf*> common, own, xdata;
    std::wstring layer = L"0";
    bool inXdata = false;
    std::set<int> present;
    for (const resbuf* rb = chain->rbnext; rb; rb = rb->rbnext) {
        if (rb->restype == -3 || inXdata) {
            inXdata = true;
            if (rb->restype != -3)
                xdata.push_back(rb);
            continue;
        }
        if (rb->restype < 0 || rb->restype == 5 || rb->restype == 100 || rb->restype == 330 ||
            ads::groupKind(rb->restype) == ads::GroupKind::None)
            continue;  // names, handles, owners and markers are the drawing's to give
        if (acutIsTextType(rb->restype) && !rb->resval.rstring) {
            *why = "group " + std::to_string(rb->restype) + " without text";
            return 0;
        }
        present.insert(rb->restype);
        if (rb->restype == 8) {
            layer = rb->resval.rstring;
            continue;
        }
        (isCommonEntityCode(rb->restype) ? common : own).push_back(rb);
    }
    auto required = kRequired.find(type);
    if (required != kRequired.end())
        for (int code : required->second)
            if (!present.count(code)) {
                *why = type + " needs group " + std::to_string(code);
                return 0;
            }
    for (const resbuf* rb : common)
        if (rb->restype == 6) {
            std::wstring lt = upper(rb->resval.rstring);
            if (lt != L"BYLAYER" && lt != L"BYBLOCK" && !find(L"LTYPE", rb->resval.rstring)) {
                *why = "linetype " + kortext::fromWide(rb->resval.rstring) + " is not defined";
                return 0;
            }
        }
    if (type == "INSERT")
        for (const resbuf* rb : own)
            if (rb->restype == 2 && !find(L"BLOCK", rb->resval.rstring)) {
                *why = "block " + kortext::fromWide(rb->resval.rstring) + " is not defined";
                return 0;
            }
    std::wstring app;
    for (const resbuf* rb : xdata)
        if (rb->restype == 1001 && (!rb->resval.rstring || !find(L"APPID", rb->resval.rstring))) {
            *why = "application " + kortext::fromWide(rb->resval.rstring ? rb->resval.rstring : L"") +
                   " is not registered (regapp)";
            return 0;
        }

    const Subclass* sub = nullptr;
    for (const Subclass& s : kSubclasses)
        if (type == s.type)
            sub = &s;
    const bool subclassed = version() >= "AC1015";
    std::vector<std::pair<int, std::string>> groups{{0, type}};
    auto add = [&](const resbuf* rb, bool z) {
        std::vector<std::string> values;
        if (!formatGroup(rb, utf8_, z, values, why))
            return false;
        for (size_t k = 0; k < values.size(); ++k)
            groups.emplace_back(rb->restype + static_cast<int>(k) * 10, std::move(values[k]));
        return true;
    };
    if (subclassed)
        groups.emplace_back(100, "AcDbEntity");
    groups.emplace_back(8, dxf::encodeText(layer, utf8_));
    for (const resbuf* rb : common)
        if (!add(rb, true))
            return 0;
    if (subclassed && sub)
        groups.emplace_back(100, sub->marker);
    bool secondDone = false;
    size_t vertices = 0;
    for (const resbuf* rb : own) {
        if (subclassed && sub && sub->second && !secondDone && rb->restype >= sub->secondBefore) {
            groups.emplace_back(100, sub->second);
            secondDone = true;
        }
        if (type == "LWPOLYLINE" && rb->restype == 90)
            continue;  // the count follows the vertices
        vertices += rb->restype == 10;
        if (!add(rb, !(type == "LWPOLYLINE" && rb->restype == 10)))
            return 0;
    }
    if (type == "LWPOLYLINE") {
        // The vertex count goes before the vertices.
        auto first = std::find_if(groups.begin(), groups.end(), [](const auto& g) { return g.first == 10 || g.first == 70 || g.first == 43; });
        groups.insert(first, {90, std::to_string(vertices)});
    }
    if (layer != L"0" && !find(L"LAYER", layer))
        addTableRecord("LAYER", {{2, dxf::encodeText(layer, utf8_)}, {70, "0"}, {62, "7"}, {6, "Continuous"}});
    for (const resbuf* rb : xdata)
        if (!add(rb, true))
            return 0;
    return appendEntity(groups);
}

bool Drawing::entDel(const ads_name name)
{
    if (!name || name[1] != serial_ || name[0] < kNameBase || (name[0] - kNameBase) % 8 != 0)
        return false;
    int64_t id = (name[0] - kNameBase) / 8;
    Record* r = id > 0 && id < static_cast<int64_t>(where_.size()) ? recordById(static_cast<uint32_t>(id)) : nullptr;
    if (!r || where_[r->id].section != static_cast<uint32_t>(entities_) || sub_[r->id])
        return false;
    // A main entity goes (or comes back) with its sub-entities.
    bool erase = !r->erased;
    auto& records = sections_[entities_].records;
    for (size_t i = where_[r->id].index; i < records.size(); ++i) {
        if (i > where_[r->id].index && !sub_[records[i].id])
            break;
        records[i].erased = erase;
    }
    touch();
    return true;
}

uint32_t Drawing::appendEntity(const std::vector<std::pair<int, std::string>>& groups)
{
    if (!soundRecord(groups, nullptr))
        return 0;
    if (entities_ < 0) {
        // A drawing without an ENTITIES section gets one before the OBJECTS (or at the end).
        Section s;
        s.name = "ENTITIES";
        s.head = {Tag{0, "SECTION"}, Tag{2, "ENTITIES"}};
        s.end = {Tag{0, "ENDSEC"}};
        size_t at = sections_.size();
        for (size_t i = 0; i < sections_.size(); ++i)
            if (sections_[i].name == "OBJECTS" || (sections_[i].name.empty() && i + 1 == sections_.size())) {
                at = i;
                break;
            }
        sections_.insert(sections_.begin() + static_cast<long>(at), std::move(s));
        entities_ = static_cast<int>(at);
        for (uint32_t i = 0; i < sections_.size(); ++i)
            renumber(i);
    }
    auto t = std::make_unique<Tags>();
    t->push_back(Tag{0, own(groups[0].second)});
    if (usesHandles()) {
        t->push_back(Tag{5, own(newHandle())});
        if (const Record* ms = find(L"BLOCK_RECORD", L"*Model_Space"))
            for (const Tag& g : tags(*ms))
                if (g.code == 5) {
                    t->push_back(Tag{330, g.value});
                    break;
                }
    }
    for (size_t i = 1; i < groups.size(); ++i)
        if (groups[i].first != 5 && groups[i].first != 330)
            t->push_back(Tag{groups[i].first, own(groups[i].second)});
    Record rec;
    rec.id = static_cast<uint32_t>(where_.size());
    rec.own = std::move(t);
    auto& records = sections_[entities_].records;
    where_.push_back(Where{static_cast<uint32_t>(entities_), static_cast<uint32_t>(records.size())});
    sub_.push_back(continuesComplex(records.size(), groups[0].second) ? 1 : 0);
    records.push_back(std::move(rec));
    remember(records.back());
    touch();
    return static_cast<uint32_t>(where_.size() - 1);
}

}  // namespace korcad
