// extcolor_p.h — the inside of the colour control, shared by its source files: the surface
// widget that draws the presentations and takes the clicks and keys, and its helpers.
#pragma once

#include "extctl/extcolor.h"
#include "mfc/afxqt_p.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTransform>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cmath>

namespace extcolor {

// A fraction 0 .. 1 as a colour byte 0 .. 255, rounded; a fraction brought into 0 .. 1 (NaN: 0).
inline int byte(double v) { return std::clamp(static_cast<int>(v * 255 + 0.5), 0, 255); }
inline double unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

using Comps = std::array<int, 3>;

inline bool isCmy(int mode)
{
    return mode == CExtColorCtrl::MODE_CMY_CUBE || mode == CExtColorCtrl::MODE_CMY_MIX ||
           (mode >= CExtColorCtrl::MODE_C && mode <= CExtColorCtrl::MODE_Y);
}

// The colour's three components in the mode's space (RGB, or CMY for the CMY modes).
inline Comps toSpace(COLORREF clr, bool cmy)
{
    if (cmy)
        clr = CExtPaintManager::stat_RGBtoCMY(clr);
    return {GetRValue(clr), GetGValue(clr), GetBValue(clr)};
}

inline COLORREF fromSpace(const Comps& c, bool cmy)
{
    COLORREF packed = RGB(c[0], c[1], c[2]);
    return cmy ? CExtPaintManager::stat_CMYtoRGB(packed) : packed;
}

inline QRgb qrgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

// An image of the given size whose pixel (i, j) has the colour f(i, j).
template <typename F>
QImage drawImage(QSize size, F f)
{
    QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    for (int j = 0; j < image.height(); ++j) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(j));
        for (int i = 0; i < image.width(); ++i)
            line[i] = qrgb(f(i, j));
    }
    return image;
}

// 0.0 at the first pixel, 1.0 at the last.
inline double fraction(int i, int n) { return n > 1 ? std::clamp(static_cast<double>(i) / (n - 1), 0.0, 1.0) : 0.0; }

// An image kept until the values it was drawn for change.
struct CachedImage {
    QImage image;
    QString key;
    template <typename Draw>
    const QImage& get(const QString& k, Draw draw)
    {
        if (key != k || image.isNull()) {
            image = draw();
            key = k;
        }
        return image;
    }
};

// Hue and saturation cannot be seen at black or white, nor hue at a grey: where the
// presentations show or pick them, they do so at half light and full saturation instead.
inline double visibleLight(double l) { return l > 0 && l < 1 ? l : 0.5; }
inline double visibleSaturation(double s) { return s > 0 ? s : 1.0; }

// What part of the presentation a point lies in.
enum class Part { None, Plane, Bar, Face0, Face1, Face2, Mix0, Mix1, Mix2, Cell, Reference, Current };

}  // namespace extcolor

class CExtColorCtrl::Surface : public QWidget {
public:
    Surface(CExtColorCtrl* ctrl, QWidget* parent) : QWidget(parent), m_ctrl(ctrl) {}
    CExtColorCtrl* m_ctrl;

    // What a click at p picks; with `within` the point is first brought into that part (a
    // drag that leaves the part keeps picking its edge).
    bool pickAt(QPoint p, extcolor::Part within, extcolor::Part& part, COLORREF& clr, std::array<double, 3>& hsl, bool& hasHsl) const;
    void drawMarker(QPainter& painter, QPointF at) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent*) override { m_dragPart = extcolor::Part::None; }
    void keyPressEvent(QKeyEvent* e) override;

private:
    QRect content() const { return rect().adjusted(2, 2, -2, -2); }
    QRect plane() const
    {
        QRect c = content();
        return c.adjusted(0, 0, -(barWidth() + kGap), 0);
    }
    QRect bar() const
    {
        QRect c = content();
        return QRect(c.right() + 1 - barWidth(), c.top(), barWidth(), c.height());
    }
    int barWidth() const { return std::max(10, content().width() / 9); }
    QRect mixBar(int k, int n) const
    {
        QRect c = content();
        int h = (c.height() - (n - 1) * kGap) / n;
        return QRect(c.left(), c.top() + k * (h + kGap), c.width(), h);
    }
    QRect cell(int i) const
    {
        QRect c = content();
        int col = i % 8, row = i / 8;
        int x0 = c.left() + c.width() * col / 8, x1 = c.left() + c.width() * (col + 1) / 8;
        int y0 = c.top() + c.height() * row / 6, y1 = c.top() + c.height() * (row + 1) / 6;
        return QRect(x0, y0, x1 - x0, y1 - y0);
    }
    // The wheel's square inside the plane.
    QRect wheel() const
    {
        QRect p = plane();
        int d = std::min(p.width(), p.height());
        return QRect(p.left() + (p.width() - d) / 2, p.top() + (p.height() - d) / 2, d, d);
    }
    // Face k of the cube: image pixel (a, b) of a 256 x 256 slice to the screen.
    QTransform face(int k) const;

    const QImage& planeImage();
    const QImage& barImage();

    static constexpr int kGap = 4;
    extcolor::Part m_dragPart = extcolor::Part::None;
    extcolor::CachedImage m_plane, m_bar, m_mix[3], m_faces[3];
};

