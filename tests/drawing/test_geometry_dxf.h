// test_geometry_dxf.h — small DXF drawings for the geometry and view tests: layers, linetypes,
// blocks and entities given as groups, written as a DXF text korcad reads.
#pragma once

#include "DrawingTestUtil.h"
#include "drawing/Geometry.h"

#include <string>
#include <utility>
#include <vector>

namespace geomtest {

using Groups = std::vector<std::pair<int, std::string>>;

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
        return drawingtest::dxfText(all);
    }

private:
    Groups layers_, ltypes_, blocks_, entities_;
};

inline std::string num(double v) { return std::to_string(v); }

inline Groups line(double x0, double y0, double x1, double y1, const std::string& layer = "0", Groups extra = {})
{
    Groups g = {{0, "LINE"}, {8, layer}};
    g.insert(g.end(), extra.begin(), extra.end());
    g.insert(g.end(), {{10, num(x0)}, {20, num(y0)}, {11, num(x1)}, {21, num(y1)}});
    return g;
}

inline Groups circle(double x, double y, double r, const std::string& layer = "0", Groups extra = {})
{
    Groups g = {{0, "CIRCLE"}, {8, layer}};
    g.insert(g.end(), extra.begin(), extra.end());
    g.insert(g.end(), {{10, num(x)}, {20, num(y)}, {40, num(r)}});
    return g;
}

inline Groups arc(double x, double y, double r, double a0, double a1, const std::string& layer = "0")
{
    return {{0, "ARC"}, {8, layer}, {10, num(x)}, {20, num(y)}, {40, num(r)}, {50, num(a0)}, {51, num(a1)}};
}

inline Groups text(double x, double y, double h, const std::string& value, const std::string& layer = "0")
{
    return {{0, "TEXT"}, {8, layer}, {10, num(x)}, {20, num(y)}, {40, num(h)}, {1, value}};
}

}  // namespace geomtest
