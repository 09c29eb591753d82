// GeometryStyle.cpp — what an entity is shown in: the colour index palette, layers (shown or
// not, colour, linetype), linetypes with a dash pattern, block definitions, and an entity's
// own colour and linetype resolved against its layer and its insert.
#include "drawing/GeometryBuilder.h"

namespace korcad::geom {

namespace {

struct Palette {
    uint32_t rgb[256];
    Palette()
    {
        const uint32_t base[10] = {0x000000, 0xFF0000, 0xFFFF00, 0x00FF00, 0x00FFFF,
                                   0x0000FF, 0xFF00FF, 0xFFFFFF, 0x808080, 0xC0C0C0};
        for (int i = 0; i < 10; ++i)
            rgb[i] = base[i];
        // 10..249: 24 hues 15 degrees apart; in each run of ten, five brightnesses, each full
        // and half saturated.
        const int value[5] = {255, 204, 153, 127, 76};
        for (int i = 10; i < 250; ++i) {
            double hue = (i / 10 - 1) * 15.0;
            int v = value[(i % 10) / 2];
            bool pale = i % 2 == 1;
            int lo = pale ? v / 2 : 0;
            auto channel = [&](double h) {
                // HSV with full saturation, then lifted to `lo` for the pale ones.
                h = std::fmod(h + 360.0, 360.0);
                double f;
                if (h < 60) f = 1;
                else if (h < 120) f = (120 - h) / 60;
                else if (h < 240) f = 0;
                else if (h < 300) f = (h - 240) / 60;
                else f = 1;
                return static_cast<uint32_t>(lo + (v - lo) * f);
            };
            uint32_t r = channel(hue), g = channel(hue - 120), b = channel(hue - 240);
            rgb[i] = (r << 16) | (g << 8) | b;
        }
        const uint32_t greys[6] = {0x333333, 0x505050, 0x696969, 0x828282, 0xBEBEBE, 0xFFFFFF};
        for (int i = 0; i < 6; ++i)
            rgb[250 + i] = greys[i];
    }
};

}  // namespace

uint32_t aciColour(int aci)
{
    static const Palette palette;
    if (aci < 0)
        aci = -aci;
    if (aci <= 0 || aci >= 256)
        return 0xFFFFFF;
    return palette.rgb[aci];
}

Builder::Common Builder::common(std::span<const dxf::Tag> t)
{
    Common c;
    if (!t.empty())
        c.type = trim(t[0].value());
    for (const dxf::Tag& g : t) {
        switch (g.code) {
        case 8: c.layer = trim(g.value()); break;
        case 62: c.colour = static_cast<int>(integer(g.value())); break;
        case 420: c.trueColour = integer(g.value()); break;
        case 6: c.linetype = trim(g.value()); break;
        case 48: c.ltscale = real(g.value()); break;
        case 60: c.invisible = integer(g.value()) != 0; break;
        case 230: if (real(g.value()) < 0) c.extrusionSign.x = -1; break;
        case 1001: return c;  // extended data follows
        default: break;
        }
    }
    return c;
}

const LayerInfo& Builder::layer(std::string_view name)
{
    // Entities come in runs on one layer: the last one asked for is kept at hand.
    if (lastLayer_ && name == lastLayerName_)
        return *lastLayer_;
    lastLayerName_ = std::string(name);
    lastLayer_ = &layerByName(name);
    return *lastLayer_;
}

const LayerInfo& Builder::layerByName(std::string_view name)
{
    std::string key = upper(name);
    auto it = layers_.find(key);
    if (it != layers_.end())
        return it->second;
    LayerInfo info;
    if (const Drawing::Record* r = d_.find(L"LAYER", dxf::decodeText(name, d_.utf8()))) {
        int colour = 7;
        long long flags = 0, trueColour = -1;
        std::string_view lt;
        for (const dxf::Tag& g : d_.tags(*r)) {
            if (g.code == 62) colour = static_cast<int>(integer(g.value()));
            else if (g.code == 70) flags = integer(g.value());
            else if (g.code == 420) trueColour = integer(g.value());
            else if (g.code == 6) lt = trim(g.value());
        }
        info.shown = colour >= 0 && !(flags & 1);
        info.style.aci = std::abs(colour);
        info.style.rgb = trueColour >= 0 ? static_cast<uint32_t>(trueColour & 0xFFFFFF) : aciColour(info.style.aci);
        if (trueColour >= 0)
            info.style.aci = -1;
        info.style.linetype = linetype(lt);
    }
    return layers_.emplace(key, info).first->second;
}

int Builder::linetype(std::string_view name)
{
    std::string key = upper(name);
    if (key.empty() || key == "CONTINUOUS" || key == "BYLAYER" || key == "BYBLOCK")
        return -1;
    auto it = linetypes_.find(key);
    if (it != linetypes_.end())
        return it->second;
    int index = -1;
    if (const Drawing::Record* r = d_.find(L"LTYPE", dxf::decodeText(name, d_.utf8()))) {
        Linetype lt;
        lt.name = std::string(trim(name));
        for (const dxf::Tag& g : d_.tags(*r))
            if (g.code == 49)
                lt.pattern.push_back(real(g.value()));
        bool anyDash = std::any_of(lt.pattern.begin(), lt.pattern.end(), [](double v) { return v != 0; });
        if (!lt.pattern.empty() && anyDash) {
            index = static_cast<int>(g_.linetypes_.size());
            g_.linetypes_.push_back(std::move(lt));
        }
    }
    linetypes_.emplace(key, index);
    return index;
}

const Builder::Block* Builder::block(std::string_view name)
{
    std::string key = upper(name);
    auto it = blocks_.find(key);
    if (it != blocks_.end())
        return &it->second;
    Block b;
    const Drawing::Record* head = d_.find(L"BLOCK", dxf::decodeText(name, d_.utf8()));
    if (head) {
        for (const dxf::Tag& g : d_.tags(*head)) {
            if (g.code == 10) b.base.x = real(g.value());
            else if (g.code == 20) b.base.y = real(g.value());
        }
        for (const Drawing::Record* r = d_.nextRecord(*head); r; r = d_.nextRecord(*r)) {
            auto t = d_.tags(*r);
            std::string_view ty = t.empty() ? std::string_view() : trim(t[0].value());
            if (ty == "ENDBLK" || ty == "BLOCK")
                break;
            b.records.push_back(r);
        }
    }
    return &blocks_.emplace(key, std::move(b)).first->second;
}

bool Builder::resolve(const Common& c, const Context& ctx, Style& s)
{
    const LayerInfo* lay = &layer(c.layer);
    if (ctx.layer0 && c.layer == "0")
        lay = ctx.layer0;
    if (!lay->shown || c.invisible)
        return false;
    if (c.trueColour >= 0 && c.colour != 0) {
        // A true colour (420) stands for itself; 62 then only names the nearest index.
        s.aci = -1;
        s.rgb = static_cast<uint32_t>(c.trueColour & 0xFFFFFF);
    } else if (c.colour == 0) {
        s.aci = ctx.byBlock.aci;
        s.rgb = ctx.byBlock.rgb;
    } else if (c.colour == 256 || c.colour < 0 || c.colour > 256) {
        s.aci = lay->style.aci;
        s.rgb = lay->style.rgb;
    } else {
        s.aci = c.colour;
        s.rgb = aciColour(c.colour);
    }
    if (c.linetype.empty()) {
        s.linetype = lay->style.linetype;
    } else {
        std::string lt = upper(c.linetype);
        if (lt == "BYLAYER")
            s.linetype = lay->style.linetype;
        else if (lt == "BYBLOCK")
            s.linetype = ctx.byBlock.linetype;
        else
            s.linetype = linetype(c.linetype);
    }
    return true;
}

Primitive Builder::styled(const Style& s, const Common& c, const Context& ctx)
{
    Primitive p;
    p.entity = ctx.entity;
    p.rgb = s.rgb;
    p.aci = static_cast<int16_t>(s.aci);
    p.linetype = static_cast<int16_t>(s.linetype);
    p.ltscale = static_cast<float>(c.ltscale > 0 ? c.ltscale : 1.0);
    return p;
}

}  // namespace korcad::geom
