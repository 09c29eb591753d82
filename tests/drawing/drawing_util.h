// drawing_util.h — what the drawing tests share: the sample drawing, small DXF texts built from
// groups (tables, blocks, entities), a drawing read from them, and groups shown as text.
#pragma once

#include "drawing/Drawing.h"
#include "drawing/Dxf.h"

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace drawingtest {

using Groups = std::vector<std::pair<int, std::string>>;

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string netzPath() { return std::string(EXAMPLES_DIR) + "/netz.dxf"; }

// DXF text from (code, value) pairs.
inline std::string dxfText(const Groups& groups, const char* eol = "\n")
{
    std::string out;
    for (const auto& [code, value] : groups) {
        std::string c = std::to_string(code);
        out += std::string(c.size() < 3 ? 3 - c.size() : 0, ' ') + c + eol + value + eol;
    }
    return out;
}

inline std::unique_ptr<korcad::Drawing> readDrawing(const std::string& bytes)
{
    std::string error;
    auto d = korcad::Drawing::read(L"test.dxf", bytes, &error);
    if (!d)
        throw std::runtime_error(error);
    return d;
}

inline std::unique_ptr<korcad::Drawing> readNetz() { return readDrawing(readFile(netzPath())); }

// The (code, value) stream of a DXF text as our reader splits it.
inline Groups tagStream(const std::string& bytes)
{
    korcad::dxf::TagStream s;
    s.bytes = bytes;
    std::string error;
    if (!korcad::dxf::readTags(s, &error))
        throw std::runtime_error(error);
    Groups out;
    for (const auto& t : s.tags)
        out.emplace_back(t.code, std::string(t.value()));
    return out;
}

// Groups as "code=value" texts, for compact comparisons: texts in ASCII ('?' for others),
// reals as DXF writes them, points as x,y,z, names as <name>, the -3 marker as "-".
inline std::vector<std::string> show(const korcad::dxf::Groups& groups)
{
    using namespace korcad;
    std::vector<std::string> out;
    for (const dxf::Group& g : groups) {
        std::string v = "-";
        if (dxf::isGroupCode(g.code)) {
            switch (dxf::kindOf(g.code)) {
            case dxf::Kind::Text:
                v.clear();
                for (wchar_t c : g.text)
                    v += static_cast<char>(c < 128 ? c : '?');
                break;
            case dxf::Kind::Real:
            case dxf::Kind::Int64: v = dxf::formatReal(g.real); break;
            case dxf::Kind::Point:
                v = dxf::formatReal(g.point[0]) + "," + dxf::formatReal(g.point[1]) + "," + dxf::formatReal(g.point[2]);
                break;
            case dxf::Kind::Int16:
            case dxf::Kind::Int32: v = std::to_string(g.integer); break;
            case dxf::Kind::Name: v = "<name>"; break;
            }
        }
        out.push_back(std::to_string(g.code) + "=" + v);
    }
    return out;
}

inline bool has(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

// A small drawing written as a DXF text korcad reads: layers, linetypes, blocks and entities.
class DxfBuilder {
public:
    DxfBuilder()
    {
        ltype("Continuous", {});
        layer("0", 7);
    }
    DxfBuilder& layer(const std::string& name, int colour, const std::string& linetype = "Continuous", int flags = 0)
    {
        layers_.push_back({0, "LAYER"});
        layers_.insert(layers_.end(), {{2, name}, {70, std::to_string(flags)}, {62, std::to_string(colour)}, {6, linetype}});
        return *this;
    }
    DxfBuilder& ltype(const std::string& name, const std::vector<double>& pattern)
    {
        ltypes_.push_back({0, "LTYPE"});
        ltypes_.insert(ltypes_.end(), {{2, name}, {70, "0"}, {3, ""}, {72, "65"}, {73, std::to_string(pattern.size())}});
        for (double p : pattern)
            ltypes_.push_back({49, std::to_string(p)});
        return *this;
    }
    DxfBuilder& block(const std::string& name, double bx, double by, const std::vector<Groups>& entities)
    {
        blocks_.insert(blocks_.end(), {{0, "BLOCK"}, {8, "0"}, {2, name}, {70, "0"}, {10, std::to_string(bx)},
                                       {20, std::to_string(by)}, {30, "0.0"}, {3, name}});
        for (const auto& e : entities)
            blocks_.insert(blocks_.end(), e.begin(), e.end());
        blocks_.insert(blocks_.end(), {{0, "ENDBLK"}, {8, "0"}});
        return *this;
    }
    DxfBuilder& entity(const Groups& groups)
    {
        entities_.insert(entities_.end(), groups.begin(), groups.end());
        return *this;
    }
    std::string text() const
    {
        Groups all = {{0, "SECTION"}, {2, "HEADER"}, {9, "$ACADVER"}, {1, "AC1009"}, {0, "ENDSEC"},
                      {0, "SECTION"}, {2, "TABLES"}, {0, "TABLE"}, {2, "LTYPE"}, {70, "1"}};
        all.insert(all.end(), ltypes_.begin(), ltypes_.end());
        all.insert(all.end(), {{0, "ENDTAB"}, {0, "TABLE"}, {2, "LAYER"}, {70, "1"}});
        all.insert(all.end(), layers_.begin(), layers_.end());
        all.insert(all.end(), {{0, "ENDTAB"}, {0, "ENDSEC"}, {0, "SECTION"}, {2, "BLOCKS"}});
        all.insert(all.end(), blocks_.begin(), blocks_.end());
        all.insert(all.end(), {{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}});
        all.insert(all.end(), entities_.begin(), entities_.end());
        all.insert(all.end(), {{0, "ENDSEC"}, {0, "EOF"}});
        return dxfText(all);
    }

private:
    Groups layers_, ltypes_, blocks_, entities_;
};

inline std::string num(double v) { return std::to_string(v); }

// Entities as groups: `extra` groups come after the layer.
inline Groups entity(const std::string& type, const std::string& layer, Groups extra, const Groups& rest)
{
    extra.insert(extra.begin(), {{0, type}, {8, layer}});
    extra.insert(extra.end(), rest.begin(), rest.end());
    return extra;
}
inline Groups line(double x0, double y0, double x1, double y1, const std::string& layer = "0", Groups extra = {})
{
    return entity("LINE", layer, std::move(extra), {{10, num(x0)}, {20, num(y0)}, {11, num(x1)}, {21, num(y1)}});
}
inline Groups circle(double x, double y, double r, const std::string& layer = "0", Groups extra = {})
{
    return entity("CIRCLE", layer, std::move(extra), {{10, num(x)}, {20, num(y)}, {40, num(r)}});
}
inline Groups arc(double x, double y, double r, double a0, double a1, const std::string& layer = "0")
{
    return entity("ARC", layer, {}, {{10, num(x)}, {20, num(y)}, {40, num(r)}, {50, num(a0)}, {51, num(a1)}});
}
inline Groups text(double x, double y, double h, const std::string& value, const std::string& layer = "0")
{
    return entity("TEXT", layer, {}, {{10, num(x)}, {20, num(y)}, {40, num(h)}, {1, value}});
}
inline Groups insert(const std::string& block, double x, double y, const std::string& layer = "0", Groups extra = {})
{
    return entity("INSERT", layer, std::move(extra), {{2, block}, {10, num(x)}, {20, num(y)}});
}

}  // namespace drawingtest
