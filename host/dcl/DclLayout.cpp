// Placing a dialog's tiles in rows and columns, in dialog units.
#include "dcl/Dcl.h"

#include <algorithm>
#include <cmath>

namespace dcl {

namespace {

constexpr int kCharW = 4;   // a character's width
constexpr int kCharH = 8;   // a line's height
constexpr int kRowGap = 4;  // between tiles side by side
constexpr int kColGap = 3;  // between tiles one under the other
constexpr int kMargin = 7;  // the dialog's border

struct Size {
    int w = 0, h = 0;
};

bool isRow(const std::string& t)
{
    return t == "row" || t == "boxed_row" || t == "radio_row" || t == "boxed_radio_row" || t == "concatenation";
}
bool isBoxed(const std::string& t) { return t.rfind("boxed_", 0) == 0; }

int chars(const Tile& t, const char* name, double fallback, int unit)
{
    return static_cast<int>(std::lround(std::max(0.0, t.number(name, fallback)) * unit));
}

// What may grow beyond its natural height in a row or a column.
bool growsDown(const Tile& t)
{
    if (t.flag("fixed_height"))
        return false;
    return isCluster(t.type) || t.type == "list_box" || t.type == "image" || t.type == "image_button" ||
           t.type == "spacer" || (t.type == "slider" && t.text("layout") == "vertical");
}

// Space around a cluster's children: left, top, right, bottom.
void margins(const Tile& t, int m[4])
{
    m[0] = m[1] = m[2] = m[3] = 0;
    if (t.type == "dialog") {
        m[0] = m[1] = m[2] = m[3] = kMargin;
    } else if (isBoxed(t.type)) {
        m[0] = m[2] = 6;
        m[1] = t.label().empty() ? 7 : 11;
        m[3] = 5;
    }
}

int gapOf(const Tile& t)
{
    if (t.type == "concatenation" || t.type == "paragraph")
        return 0;
    return isRow(t.type) ? kRowGap : kColGap;
}

Size natural(const Dialog& d, int i, std::vector<Size>& sizes)
{
    const Tile& t = d.tiles[i];
    const int W = chars(t, "width", 0, kCharW), H = chars(t, "height", 0, kCharH);
    const int L = textWidth(t.label()) * kCharW;
    Size s;
    if (isCluster(t.type)) {
        const bool row = isRow(t.type);
        int n = 0;
        for (int c : t.children) {
            Size cs = natural(d, c, sizes);
            if (row) {
                s.w += cs.w;
                s.h = std::max(s.h, cs.h);
            } else {
                s.h += cs.h;
                s.w = std::max(s.w, cs.w);
            }
            ++n;
        }
        if (n > 1)
            (row ? s.w : s.h) += gapOf(t) * (n - 1);
        int m[4];
        margins(t, m);
        s.w += m[0] + m[2];
        s.h += m[1] + m[3];
        if (isBoxed(t.type))
            s.w = std::max(s.w, L + 16);
        s.w = std::max(s.w, W);
        s.h = std::max(s.h, H);
    } else if (t.type == "button") {
        s = {std::max(W, L + 16), std::max(H, 14)};
    } else if (t.type == "toggle" || t.type == "radio_button") {
        s = {std::max(W, L + 14), std::max(H, 10)};
    } else if (t.type == "text" || t.type == "text_part") {
        s = {std::max(W, L), std::max(H, 8)};
    } else if (t.type == "edit_box" || t.type == "popup_list") {
        int label = L ? L + 4 : 0;
        int edit = chars(t, "edit_width", 0, kCharW);
        int field = edit ? edit + (t.type == "popup_list" ? 16 : 6) : (t.type == "popup_list" ? 64 : 40);
        s = {std::max(W, label + field), std::max(H, 14)};
    } else if (t.type == "list_box") {
        int label = L ? 10 : 0;
        s = {std::max({W, L, 80}), label + std::max(H ? H : 10 * kCharH, 24)};
    } else if (t.type == "image" || t.type == "image_button") {
        s.w = W ? W : 10 * kCharW;
        double aspect = t.number("aspect_ratio", 0);
        s.h = H ? H : aspect > 0 ? static_cast<int>(std::lround(s.w / aspect)) : 5 * kCharH;
    } else if (t.type == "slider") {
        bool vertical = t.text("layout") == "vertical";
        s = vertical ? Size{std::max(W, 12), std::max(H, 60)} : Size{std::max(W, 60), std::max(H, 12)};
    } else {  // spacer
        s = {W, H};
    }
    sizes[i] = s;
    return s;
}

// Where a tile of natural size `want` sits in a slot `have` long, by its alignment.
int offset(const std::string& align, int have, int want, bool centredByDefault)
{
    if (align == "centered")
        return (have - want) / 2;
    if (align == "right" || align == "bottom")
        return have - want;
    if (align == "left" || align == "top")
        return 0;
    return centredByDefault ? (have - want) / 2 : 0;
}

void place(Dialog& d, int i, Box box, const std::vector<Size>& sizes)
{
    Tile& t = d.tiles[i];
    t.box = box;
    t.field = box;
    const int L = textWidth(t.label()) * kCharW;
    if (t.type == "edit_box" || t.type == "popup_list") {
        // A field of a given width sits at the right end of its tile, so fields line up.
        int label = L ? L + 4 : 0;
        int edit = chars(t, "edit_width", 0, kCharW);
        int width = edit ? std::min(box.cx - label, edit + (t.type == "popup_list" ? 16 : 6)) : box.cx - label;
        t.field = {box.x + box.cx - std::max(width, 8), box.y + (box.cy - 12) / 2, std::max(width, 8), 12};
        return;
    }
    if (t.type == "list_box") {
        int label = L ? 10 : 0;
        t.field = {box.x, box.y + label, box.cx, std::max(box.cy - label, 8)};
        return;
    }
    if (!isCluster(t.type))
        return;
    const bool row = isRow(t.type);
    int m[4];
    margins(t, m);
    Box inner{box.x + m[0], box.y + m[1], std::max(0, box.cx - m[0] - m[2]), std::max(0, box.cy - m[1] - m[3])};
    const std::vector<int> kids = t.children;
    if (kids.empty())
        return;
    // A cluster's children_... attributes stand for its tiles' own where they give none.
    for (int c : kids) {
        Tile& k = d.tiles[c];
        for (const char* name : {"alignment", "fixed_width", "fixed_height"})
            if (!k.attr(name))
                if (const Attr* a = t.attr(std::string("children_") + name))
                    k.attrs.push_back({name, a->value, false});
    }
    // The main axis: what is left over goes in equal parts to the children that may grow.
    // The parts of a concatenation or paragraph keep their own size, one after the other.
    const bool packed = t.type == "concatenation" || t.type == "paragraph";
    auto grows = [&](const Tile& k) { return !packed && (row ? !k.flag("fixed_width") : growsDown(k)); };
    int used = gapOf(t) * static_cast<int>(kids.size() - 1), growing = 0;
    for (int c : kids) {
        used += row ? sizes[c].w : sizes[c].h;
        growing += grows(d.tiles[c]);
    }
    int extra = std::max(0, (row ? inner.cx : inner.cy) - used);
    int pos = row ? inner.x : inner.y;
    if (!growing && row && !packed)
        pos += extra / 2;  // tiles of fixed width sit in the middle of their row
    int share = growing ? extra / growing : 0, rest = growing ? extra % growing : 0;
    for (int c : kids) {
        const Tile& k = d.tiles[c];
        const Size s = sizes[c];
        int len = (row ? s.w : s.h) + (grows(k) ? share + (rest-- > 0 ? 1 : 0) : 0);
        Box b;
        const std::string align = k.text("alignment");
        if (row) {
            int h = growsDown(k) ? inner.cy : s.h;
            b = {pos, inner.y + offset(align, inner.cy, h, true), len, h};
        } else {
            int w = k.flag("fixed_width") || packed ? s.w : inner.cx;
            b = {inner.x + offset(align, inner.cx, w, false), pos, w, len};
        }
        place(d, c, b, sizes);
        pos += len + gapOf(t);
    }
}

}  // namespace

int textWidth(const std::string& label)
{
    int n = 0;
    for (size_t i = 0; i < label.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(label[i]);
        if ((c & 0xC0) == 0x80)
            continue;  // the rest of a UTF-8 character
        if (c == '&' && (i + 1 >= label.size() || label[i + 1] != '&'))
            continue;
        if (c == '&')
            ++i;
        ++n;
    }
    return n;
}

void layout(Dialog& dialog)
{
    if (dialog.tiles.empty())
        return;
    std::vector<Size> sizes(dialog.tiles.size());
    Size s = natural(dialog, 0, sizes);
    s.w = std::max(s.w, textWidth(dialog.tiles[0].label()) * kCharW + 40);
    place(dialog, 0, {0, 0, s.w, s.h}, sizes);
}

}  // namespace dcl
