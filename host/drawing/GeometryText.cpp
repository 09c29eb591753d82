// GeometryText.cpp — TEXT and MTEXT as the view shows them: their control codes and formatting
// taken out, placed by their alignment, height, rotation and width.
#include "drawing/GeometryBuilder.h"

namespace korcad::geom {

// TEXT's control codes: %%d degree, %%c diameter, %%p plus-minus, %%% percent; %%u and %%o
// (underline, overline) are dropped.
std::wstring plainText(const std::wstring& s)
{
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'%' && i + 2 < s.size() && s[i + 1] == L'%') {
            wchar_t c = static_cast<wchar_t>(kortext::toLower(static_cast<char32_t>(s[i + 2])));
            if (c == L'd') { out += L'\u00B0'; i += 2; continue; }
            if (c == L'c') { out += L'\u2300'; i += 2; continue; }
            if (c == L'p') { out += L'\u00B1'; i += 2; continue; }
            if (c == L'%') { out += L'%'; i += 2; continue; }
            if (c == L'u' || c == L'o' || c == L'k') { i += 2; continue; }
        }
        out += s[i];
    }
    return out;
}

// MTEXT's formatting taken out: \P is a line break, \~ a space, \\ \{ \} the characters,
// \S a^b; a stacked fraction a/b; font, height, colour and the like (\f..; \H..; \C..;)
// dropped, as are the braces that group them.
std::wstring plainMText(const std::wstring& s)
{
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        wchar_t c = s[i];
        if (c == L'{' || c == L'}')
            continue;
        if (c != L'\\' || i + 1 >= s.size()) {
            out += c;
            continue;
        }
        wchar_t k = s[++i];
        switch (k) {
        case L'P':
        case L'n':
            out += L'\n';
            break;
        case L'~':
            out += L' ';
            break;
        case L'\\':
        case L'{':
        case L'}':
            out += k;
            break;
        case L'S': {
            size_t semi = s.find(L';', i);
            std::wstring stack = s.substr(i + 1, semi == std::wstring::npos ? std::wstring::npos : semi - i - 1);
            for (wchar_t& ch : stack)
                if (ch == L'^' || ch == L'#')
                    ch = L'/';
            out += stack;
            i = semi == std::wstring::npos ? s.size() : semi;
            break;
        }
        case L'A': case L'C': case L'c': case L'F': case L'f': case L'H': case L'h': case L'Q': case L'q':
        case L'T': case L't': case L'W': case L'w': case L'p': {
            size_t semi = s.find(L';', i);
            i = semi == std::wstring::npos ? s.size() : semi;
            break;
        }
        case L'L': case L'l': case L'O': case L'o': case L'K': case L'k':
            break;
        default:
            out += k;
        }
    }
    return out;
}

void Builder::addText(Primitive p, std::wstring text, Point at, double height, double rotation, double widthFactor,
                      HAlign h, VAlign v, const Context& ctx)
{
    if (text.empty() || !(height > 0) || !room(ctx))
        return;
    const Xform& xf = ctx.xf;
    p.shape = Shape::Text;
    p.a = xf.apply(at);
    Point dx = xf.direction(rotation), dy = xf.direction(rotation + kPi / 2);
    double sx = std::hypot(dx.x, dx.y), sy = std::hypot(dy.x, dy.y);
    p.rotation = std::atan2(dx.y, dx.x);
    p.height = height * sy;
    p.widthFactor = (widthFactor > 0 ? widthFactor : 1) * (sy > 0 ? sx / sy : 1);
    p.hAlign = h;
    p.vAlign = v;
    // Its box in its own frame, estimated: 0.6 of the height per character, lines 5/3 of
    // the height apart.
    size_t lines = 1, longest = 0, run = 0;
    for (wchar_t c : text) {
        if (c == L'\n') {
            ++lines;
            run = 0;
        } else {
            longest = std::max(longest, ++run);
        }
    }
    double width = static_cast<double>(longest) * p.height * 0.6 * p.widthFactor;
    double block = p.height + static_cast<double>(lines - 1) * p.height * 5.0 / 3.0;
    p.left = h == HAlign::Left ? 0 : h == HAlign::Centre ? -width / 2 : -width;
    p.right = p.left + width;
    switch (v) {
    case VAlign::Baseline: p.top = p.height; break;
    case VAlign::Bottom: p.top = block; break;
    case VAlign::Middle: p.top = block / 2; break;
    case VAlign::Top: p.top = 0; break;
    }
    p.bottom = p.top - block;
    if (v == VAlign::Baseline)
        p.bottom = std::min(p.bottom, -p.height * 0.3);  // descenders
    double cs = std::cos(p.rotation), sn = std::sin(p.rotation);
    for (double x : {p.left, p.right})
        for (double y : {p.bottom, p.top})
            p.box.add(p.a.x + x * cs - y * sn, p.a.y + x * sn + y * cs);
    p.text = static_cast<uint32_t>(g_.texts_.size());
    g_.texts_.push_back(std::move(text));
    g_.prims_.push_back(p);
}

void Builder::textEntity(std::span<const dxf::Tag> t, const Primitive& p, const Common& c, const Context& ctx)
{
    Point first, second;
    double height = 0, rotation = 0, widthFactor = 1;
    long long h = 0, v = 0;
    bool hasSecond = false, attribute = c.type == "ATTRIB";
    std::wstring text;
    int subclassText = 0;
    for (const dxf::Tag& g : t) {
        switch (g.code) {
        case 10: first.x = real(g.value()); break;
        case 20: first.y = real(g.value()); break;
        case 11: second.x = real(g.value()); hasSecond = true; break;
        case 21: second.y = real(g.value()); break;
        case 40: height = real(g.value()); break;
        case 50: rotation = real(g.value()) * kPi / 180; break;
        case 41: widthFactor = real(g.value()); break;
        case 72: h = integer(g.value()); break;
        case 73: if (!attribute) v = integer(g.value()); break;
        case 74: if (attribute) v = integer(g.value()); break;
        case 70: if (attribute && (integer(g.value()) & 1)) return; break;  // an invisible attribute
        case 1: text = dxf::decodeText(g.value(), d_.utf8()); break;
        case 100: ++subclassText; break;
        case 1001: goto done;
        default: break;
        }
    }
done:
    (void)subclassText;
    first.x *= c.extrusionSign.x;
    second.x *= c.extrusionSign.x;
    HAlign ha = h == 1 || h == 4 ? HAlign::Centre : h == 2 ? HAlign::Right : HAlign::Left;
    VAlign va = h == 4 ? VAlign::Middle
                : v == 1 ? VAlign::Bottom : v == 2 ? VAlign::Middle : v == 3 ? VAlign::Top : VAlign::Baseline;
    // Aligned and fitted texts (72 = 3, 5) are drawn from their first point.
    bool useSecond = hasSecond && (ha != HAlign::Left || va != VAlign::Baseline);
    addText(p, plainText(text), useSecond ? second : first, height, rotation, widthFactor, ha, va, ctx);
}

void Builder::mtextEntity(std::span<const dxf::Tag> t, const Primitive& p, const Common& c, const Context& ctx)
{
    Point at, dir{1, 0};
    bool hasDir = false;
    double height = 0, rotation = 0;
    long long attach = 1;
    std::string raw;  // 3 groups, then the 1 group
    std::string last;
    for (const dxf::Tag& g : t) {
        switch (g.code) {
        case 10: at.x = real(g.value()); break;
        case 20: at.y = real(g.value()); break;
        case 11: dir.x = real(g.value()); hasDir = true; break;
        case 21: dir.y = real(g.value()); break;
        case 40: height = real(g.value()); break;
        case 50: rotation = real(g.value()) * kPi / 180; break;
        case 71: attach = integer(g.value()); break;
        case 3: raw += g.value(); break;
        case 1: last = std::string(g.value()); break;
        case 1001: goto done;
        default: break;
        }
    }
done:
    raw += last;
    if (hasDir && (dir.x != 0 || dir.y != 0))
        rotation = std::atan2(dir.y, dir.x);
    at.x *= c.extrusionSign.x;
    attach = std::clamp<long long>(attach, 1, 9);
    HAlign ha = static_cast<HAlign>((attach - 1) % 3);
    VAlign va = attach <= 3 ? VAlign::Top : attach <= 6 ? VAlign::Middle : VAlign::Bottom;
    addText(p, plainMText(dxf::decodeText(raw, d_.utf8())), at, height, rotation, 1, ha, va, ctx);
}

}  // namespace korcad::geom
