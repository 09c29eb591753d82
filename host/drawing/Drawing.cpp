#include "drawing/Drawing.h"
#include "drawing/DrawingRecords.h"

#include "text/text.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <set>
#include <stdexcept>
#include <type_traits>

namespace korcad {

using namespace records;


namespace {

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

using kortext::trim;

}  // namespace

namespace records {

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
        std::string type = upperTrimmed(value);
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

bool noLineBreaks(std::span<const dxf::Group> groups, std::string* why)
{
    for (const dxf::Group& g : groups)
        if (isTextCode(g.code) && g.text.find_first_of(L"\r\n") != std::wstring::npos) {
            *why = "group " + std::to_string(g.code) + " holds a line break";
            return false;
        }
    return true;
}

const std::set<std::string, std::less<>> kEntityTypes = {
    "3DFACE", "3DSOLID", "ACAD_TABLE", "ARC", "ARC_DIMENSION", "ATTDEF", "BODY", "CIRCLE", "DGNUNDERLAY",
    "DIMENSION", "DWFUNDERLAY", "ELLIPSE", "HATCH", "HELIX", "IMAGE", "INSERT", "LEADER", "LIGHT", "LINE",
    "LWPOLYLINE", "MESH", "MLINE", "MPOLYGON", "MTEXT", "MULTILEADER", "OLE2FRAME", "OLEFRAME", "PDFUNDERLAY",
    "POINT", "RAY", "REGION", "SHAPE", "SOLID", "SPLINE", "SURFACE", "TEXT", "TOLERANCE", "TRACE", "VIEWPORT",
    "WIPEOUT", "XLINE",
};

}  // namespace records

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
            else if (!sawEof && t[i].code == 0 && trim(t[i].value()) == "ENDSEC")
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
        sec.name = upperTrimmed(t[i].value());
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
                                 static_cast<size_t>(t.back().value().data() + t.back().value().size() - file_.bytes.data()));
    if (!utf8_ && kortext::isValidUtf8(drawn))
        utf8_ = std::any_of(drawn.begin(), drawn.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    computeSubEntities();
    return true;
}

std::string Drawing::version() const { return upperTrimmed(headerValue("$ACADVER")); }

std::string_view Drawing::headerValue(const std::string& variable) const
{
    const Section* h = section("HEADER");
    if (!h)
        return {};
    for (size_t i = 0; i + 1 < h->head.size(); ++i)
        if (h->head[i].code == 9 && trim(h->head[i].value()) == variable)
            return h->head[i + 1].value();
    return {};
}

bool Drawing::opensComplex(const Record& r) const
{
    std::string_view ty = type(r);
    if (ty == "POLYLINE")
        return true;
    if (ty == "INSERT")
        for (const Tag& g : tags(r))
            if (g.code == 66 && integer(g.value()) == 1)
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
    // The text's room at once: a drawing of many entities grew it by doubling, copying and
    // touching twice its size.
    const size_t eol = crlf_ ? 2 : 1;
    auto room = [&](std::span<const Tag> tags) {
        size_t n = 0;
        for (const Tag& t : tags)
            n += t.size + 4 + 2 * eol;
        return n;
    };
    size_t size = 0;
    for (const Section& s : sections_) {
        size += room(s.head) + room(s.end);
        for (const Record& r : s.records)
            if (!r.erased)
                size += room(tags(r));
    }
    std::string out;
    out.reserve(size);
    for (const Section& s : sections_) {
        dxf::writeTags(s.head, crlf_, out);
        for (const Record& r : s.records)
            if (!r.erased)
                dxf::writeTags(tags(r), crlf_, out);
        dxf::writeTags(s.end, crlf_, out);
    }
    return out;
}

std::string_view Drawing::own(std::string_view text)
{
    // Texts are kept end to end in large blocks, never freed one by one: a change to many
    // entities makes no allocation per text and leaves no holes in the heap. A long text gets
    // a block of its own (and the next one a new block).
    constexpr size_t kBlock = 64 * 1024;
    if (text.empty())
        return std::string_view("", 0);
    if (text.size() > ownedFree_) {
        size_t size = std::max(kBlock, text.size());
        owned_.push_back(std::make_unique_for_overwrite<char[]>(size));
        ownedFree_ = size;
    }
    char* at = owned_.back().get() + (text.size() > kBlock ? 0 : kBlock - ownedFree_);
    std::memcpy(at, text.data(), text.size());
    ownedFree_ = text.size() > kBlock ? 0 : ownedFree_ - text.size();
    return std::string_view(at, text.size());
}

Tags& Drawing::writable(Record& r)
{
    if (!r.own) {
        auto t = tags(r);
        r.own = std::make_unique<Tags>(t.begin(), t.end());
    }
    return *r.own;
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
    return t.empty() ? std::string_view() : trim(t[0].value());
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

}  // namespace korcad
