// The colour control and the paint manager's colour-space conversions.
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

// ---- conversions -----------------------------------------------------------------------------

COLORREF CExtPaintManager::stat_RGBtoCMY(COLORREF clr) { return (~clr) & 0x00FFFFFFu; }

COLORREF CExtPaintManager::stat_CMYtoRGB(COLORREF clr) { return (~clr) & 0x00FFFFFFu; }

void CExtPaintManager::stat_RGBtoHSL(COLORREF rgb, double* H, double* S, double* L)
{
    double r = GetRValue(rgb) / 255.0, g = GetGValue(rgb) / 255.0, b = GetBValue(rgb) / 255.0;
    double mx = std::max({r, g, b}), mn = std::min({r, g, b});
    double l = (mx + mn) / 2, h = 0, s = 0;
    if (mx > mn) {
        double d = mx - mn;
        s = l > 0.5 ? d / (2 - mx - mn) : d / (mx + mn);
        if (mx == r)
            h = (g - b) / d + (g < b ? 6 : 0);
        else if (mx == g)
            h = (b - r) / d + 2;
        else
            h = (r - g) / d + 4;
        h /= 6;
    }
    if (H)
        *H = h;
    if (S)
        *S = s;
    if (L)
        *L = l;
}

namespace {

double hueToChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

int byte(double v) { return std::clamp(static_cast<int>(v * 255 + 0.5), 0, 255); }

double unit(double v) { return std::isnan(v) ? 0.0 : std::clamp(v, 0.0, 1.0); }

}  // namespace

COLORREF CExtPaintManager::stat_HLStoRGB(double H, double L, double S)
{
    H = unit(H), L = unit(L), S = unit(S);
    if (S == 0)
        return RGB(byte(L), byte(L), byte(L));
    double q = L < 0.5 ? L * (1 + S) : L + S - L * S;
    double p = 2 * L - q;
    return RGB(byte(hueToChannel(p, q, H + 1.0 / 3)), byte(hueToChannel(p, q, H)),
               byte(hueToChannel(p, q, H - 1.0 / 3)));
}

// ---- the colour control ----------------------------------------------------------------------

const UINT CExtColorCtrl::g_nMsgColorChanged = RegisterWindowMessageW(L"CExtColorCtrl::g_nMsgColorChanged");

const COLORREF CExtColorCtrl::g_basicColors[48] = {
    // light pastels of red, orange, yellow, green, cyan, azure, blue, magenta
    RGB(255, 179, 179), RGB(255, 217, 179), RGB(255, 255, 179), RGB(179, 255, 179),
    RGB(179, 255, 255), RGB(179, 217, 255), RGB(179, 179, 255), RGB(255, 179, 255),
    RGB(255, 102, 102), RGB(255, 179, 102), RGB(255, 255, 102), RGB(102, 255, 102),
    RGB(102, 255, 255), RGB(102, 179, 255), RGB(102, 102, 255), RGB(255, 102, 255),
    // the pure colours
    RGB(255, 0, 0), RGB(255, 128, 0), RGB(255, 255, 0), RGB(0, 255, 0),
    RGB(0, 255, 255), RGB(0, 128, 255), RGB(0, 0, 255), RGB(255, 0, 255),
    // darker
    RGB(179, 0, 0), RGB(179, 89, 0), RGB(179, 179, 0), RGB(0, 179, 0),
    RGB(0, 179, 179), RGB(0, 89, 179), RGB(0, 0, 179), RGB(179, 0, 179),
    RGB(102, 0, 0), RGB(102, 51, 0), RGB(102, 102, 0), RGB(0, 102, 0),
    RGB(0, 102, 102), RGB(0, 51, 102), RGB(0, 0, 102), RGB(102, 0, 102),
    // greys
    RGB(0, 0, 0), RGB(36, 36, 36), RGB(73, 73, 73), RGB(109, 109, 109),
    RGB(146, 146, 146), RGB(182, 182, 182), RGB(219, 219, 219), RGB(255, 255, 255),
};

namespace {

using Comps = std::array<int, 3>;

bool isCmy(int mode)
{
    return mode == CExtColorCtrl::MODE_CMY_CUBE || mode == CExtColorCtrl::MODE_CMY_MIX ||
           (mode >= CExtColorCtrl::MODE_C && mode <= CExtColorCtrl::MODE_Y);
}

// The colour's three components in the mode's space (RGB, or CMY for the CMY modes).
Comps toSpace(COLORREF clr, bool cmy)
{
    if (cmy)
        clr = CExtPaintManager::stat_RGBtoCMY(clr);
    return {GetRValue(clr), GetGValue(clr), GetBValue(clr)};
}

COLORREF fromSpace(const Comps& c, bool cmy)
{
    COLORREF packed = RGB(c[0], c[1], c[2]);
    return cmy ? CExtPaintManager::stat_CMYtoRGB(packed) : packed;
}

QRgb qrgb(COLORREF c) { return qRgb(GetRValue(c), GetGValue(c), GetBValue(c)); }

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
double fraction(int i, int n) { return n > 1 ? std::clamp(static_cast<double>(i) / (n - 1), 0.0, 1.0) : 0.0; }

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
double visibleLight(double l) { return l > 0 && l < 1 ? l : 0.5; }
double visibleSaturation(double s) { return s > 0 ? s : 1.0; }

// What part of the presentation a point lies in.
enum class Part { None, Plane, Bar, Face0, Face1, Face2, Mix0, Mix1, Mix2, Cell, Reference, Current };

}  // namespace

class CExtColorCtrl::Surface : public QWidget {
public:
    Surface(CExtColorCtrl* ctrl, QWidget* parent) : QWidget(parent), m_ctrl(ctrl) {}
    CExtColorCtrl* m_ctrl;

    // What a click at p picks; with `within` the point is first brought into that part (a
    // drag that leaves the part keeps picking its edge).
    bool pickAt(QPoint p, Part within, Part& part, COLORREF& clr, std::array<double, 3>& hsl, bool& hasHsl) const;
    void drawMarker(QPainter& painter, QPointF at) const;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent*) override { m_dragPart = Part::None; }
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
    Part m_dragPart = Part::None;
    CachedImage m_plane, m_bar, m_mix[3], m_faces[3];
};

QTransform CExtColorCtrl::Surface::face(int k) const
{
    QRectF c = content();
    double s = std::min(c.width() / (2 * std::cos(M_PI / 6)), c.height() / 2) * 0.98;
    QPointF o = c.center();
    const QPointF e[3] = {QPointF(std::cos(M_PI / 6), 0.5) * s, QPointF(-std::cos(M_PI / 6), 0.5) * s,
                          QPointF(0, -1) * s};
    int a1 = (k + 1) % 3, a2 = (k + 2) % 3;
    QPointF origin = o + e[k];
    return QTransform(e[a1].x() / 256, e[a1].y() / 256, e[a2].x() / 256, e[a2].y() / 256, origin.x(), origin.y());
}

const QImage& CExtColorCtrl::Surface::planeImage()
{
    CExtColorCtrl& c = *m_ctrl;
    int mode = c.m_eMode;
    QSize size = mode == MODE_HSL_ROLLER ? wheel().size() : plane().size();
    QString key = QStringLiteral("%1 %2x%3").arg(mode).arg(size.width()).arg(size.height());
    int w = size.width(), h = size.height();
    switch (mode) {
    case MODE_HSL_PANEL: {
        double light = visibleLight(c.m_l);
        return m_plane.get(key + QStringLiteral(" l%1").arg(light, 0, 'g', 17), [&] {
            return drawImage(size, [&](int i, int j) {
                return CExtPaintManager::stat_HLStoRGB(fraction(i, w), light, 1 - fraction(j, h));
            });
        });
    }
    case MODE_HSL_BASIC_HUE: {
        double hue = c.m_h;
        return m_plane.get(key + QStringLiteral(" h%1").arg(hue, 0, 'g', 17), [&] {
            return drawImage(size, [&](int i, int j) {
                return CExtPaintManager::stat_HLStoRGB(hue, 1 - fraction(j, h), fraction(i, w));
            });
        });
    }
    case MODE_HSL_ROLLER: {
        double light = visibleLight(c.m_l);
        return m_plane.get(key + QStringLiteral(" l%1").arg(light, 0, 'g', 17), [&] {
            QColor background = palette().color(QPalette::Window);
            COLORREF bg = RGB(background.red(), background.green(), background.blue());
            double r = w / 2.0;
            return drawImage(size, [&](int i, int j) {
                double dx = (i + 0.5 - r) / r, dy = (j + 0.5 - r) / r;
                double d = std::hypot(dx, dy);
                if (d > 1)
                    return bg;
                double hue = std::atan2(-dy, dx) / (2 * M_PI);
                return CExtPaintManager::stat_HLStoRGB(hue < 0 ? hue + 1 : hue, light, d);
            });
        });
    }
    default: {  // one axis of RGB or CMY
        bool cmy = isCmy(mode);
        int a = (mode - MODE_R) % 3;
        Comps cur = toSpace(c.m_selClrs.m_clrCurrent, cmy);
        return m_plane.get(key + QStringLiteral(" v%1").arg(cur[a]), [&] {
            return drawImage(size, [&](int i, int j) {
                Comps v = cur;
                v[(a + 1) % 3] = byte(fraction(i, w));
                v[(a + 2) % 3] = byte(1 - fraction(j, h));
                return fromSpace(v, cmy);
            });
        });
    }
    }
}

const QImage& CExtColorCtrl::Surface::barImage()
{
    CExtColorCtrl& c = *m_ctrl;
    int mode = c.m_eMode;
    QSize size = bar().size();
    int h = size.height();
    QString key = QStringLiteral("%1 %2x%3").arg(mode).arg(size.width()).arg(h);
    auto column = [&](auto colourAt) { return drawImage(size, [&](int, int j) { return colourAt(1 - fraction(j, h)); }); };
    switch (mode) {
    case MODE_HSL_PANEL:
    case MODE_HSL_ROLLER: {
        double hue = c.m_h, sat = c.m_s;
        return m_bar.get(key + QStringLiteral(" %1 %2").arg(hue, 0, 'g', 17).arg(sat, 0, 'g', 17), [&] {
            return column([&](double t) { return CExtPaintManager::stat_HLStoRGB(hue, t, sat); });
        });
    }
    case MODE_HSL_BASIC_HUE: {
        double light = visibleLight(c.m_l), sat = visibleSaturation(c.m_s);
        return m_bar.get(key + QStringLiteral(" %1 %2").arg(light, 0, 'g', 17).arg(sat, 0, 'g', 17), [&] {
            return column([&](double t) { return CExtPaintManager::stat_HLStoRGB(t, light, sat); });
        });
    }
    default: {
        bool cmy = isCmy(mode);
        int a = (mode - MODE_R) % 3;
        Comps cur = toSpace(c.m_selClrs.m_clrCurrent, cmy);
        return m_bar.get(key + QStringLiteral(" %1 %2").arg(cur[(a + 1) % 3]).arg(cur[(a + 2) % 3]), [&] {
            return column([&](double t) {
                Comps v = cur;
                v[a] = byte(t);
                return fromSpace(v, cmy);
            });
        });
    }
    }
}

void CExtColorCtrl::Surface::drawMarker(QPainter& painter, QPointF at) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1.5));
    painter.drawEllipse(at, 5, 5);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(at, 3.5, 3.5);
    painter.restore();
}

void CExtColorCtrl::Surface::paintEvent(QPaintEvent*)
{
    CExtColorCtrl& c = *m_ctrl;
    c.syncHsl();
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(hasFocus() ? QPalette::Highlight : QPalette::Mid));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    const COLORREF current = c.m_selClrs.m_clrCurrent;
    const int mode = c.m_eMode;

    // A mark across a vertical bar at the value t (1.0 at the top).
    auto barMark = [&](QRect r, double t) {
        int y = r.top() + static_cast<int>(std::lround((1 - t) * (r.height() - 1)));
        painter.fillRect(QRect(r.left() - 1, y - 2, r.width() + 2, 5), Qt::black);
        painter.fillRect(QRect(r.left(), y - 1, r.width(), 3), Qt::white);
    };
    // The same along a horizontal bar.
    auto hMark = [&](QRect r, double t) {
        int x = r.left() + static_cast<int>(std::lround(t * (r.width() - 1)));
        painter.fillRect(QRect(x - 2, r.top() - 1, 5, r.height() + 2), Qt::black);
        painter.fillRect(QRect(x - 1, r.top(), 3, r.height()), Qt::white);
    };
    auto planePoint = [&](QRect r, double x, double y) {
        return QPointF(r.left() + x * (r.width() - 1) + 0.5, r.top() + (1 - y) * (r.height() - 1) + 0.5);
    };

    switch (mode) {
    case MODE_NAMED_COLORS:
        for (int i = 0; i < 48; ++i) {
            QRect r = cell(i).adjusted(1, 1, -1, -1);
            painter.fillRect(r, QColor(qrgb(g_basicColors[i])));
            if (g_basicColors[i] == current) {
                painter.setPen(QPen(Qt::black, 2));
                painter.drawRect(r.adjusted(1, 1, -1, -1));
                painter.setPen(QPen(Qt::white, 1));
                painter.drawRect(r.adjusted(3, 3, -4, -4));
            }
        }
        break;
    case MODE_HSL_PANEL:
    case MODE_HSL_BASIC_HUE:
    case MODE_HSL_ROLLER: {
        QRect p = mode == MODE_HSL_ROLLER ? wheel() : plane();
        painter.drawImage(p.topLeft(), planeImage());
        painter.drawImage(bar().topLeft(), barImage());
        if (mode == MODE_HSL_PANEL) {
            drawMarker(painter, planePoint(p, c.m_h, c.m_s));
            barMark(bar(), c.m_l);
        } else if (mode == MODE_HSL_BASIC_HUE) {
            drawMarker(painter, planePoint(p, c.m_s, c.m_l));
            barMark(bar(), c.m_h);
        } else {
            double r = p.width() / 2.0, a = c.m_h * 2 * M_PI;
            drawMarker(painter, QPointF(p.left() + r + std::cos(a) * c.m_s * r, p.top() + r - std::sin(a) * c.m_s * r));
            barMark(bar(), c.m_l);
        }
        break;
    }
    case MODE_RGB_CUBE:
    case MODE_CMY_CUBE: {
        bool cmy = mode == MODE_CMY_CUBE;
        Comps cur = toSpace(current, cmy);
        for (int k = 0; k < 3; ++k) {
            int a1 = (k + 1) % 3, a2 = (k + 2) % 3;
            const QImage& img = m_faces[k].get(QStringLiteral("%1 %2").arg(mode).arg(cur[k]), [&] {
                return drawImage(QSize(256, 256), [&](int i, int j) {
                    Comps v = cur;
                    v[a1] = i;
                    v[a2] = j;
                    return fromSpace(v, cmy);
                });
            });
            painter.save();
            painter.setTransform(face(k));
            painter.drawImage(0, 0, img);
            painter.restore();
        }
        for (int k = 0; k < 3; ++k)
            drawMarker(painter, face(k).map(QPointF(cur[(k + 1) % 3] + 0.5, cur[(k + 2) % 3] + 0.5)));
        break;
    }
    case MODE_RGB_MIX:
    case MODE_CMY_MIX: {
        bool cmy = mode == MODE_CMY_MIX;
        Comps cur = toSpace(current, cmy);
        for (int k = 0; k < 3; ++k) {
            QRect r = mixBar(k, 3);
            const QImage& img = m_mix[k].get(
                QStringLiteral("%1 %2x%3 %4 %5").arg(mode).arg(r.width()).arg(r.height()).arg(cur[(k + 1) % 3]).arg(cur[(k + 2) % 3]),
                [&] {
                    return drawImage(r.size(), [&](int i, int) {
                        Comps v = cur;
                        v[k] = byte(fraction(i, r.width()));
                        return fromSpace(v, cmy);
                    });
                });
            painter.drawImage(r.topLeft(), img);
            hMark(r, cur[k] / 255.0);
            if (k == c.m_activeBar && hasFocus()) {
                painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
                painter.drawRect(r.adjusted(-1, -1, 0, 0));
            }
        }
        break;
    }
    case MODE_GRAYSCALE_MIX: {
        QRect r = mixBar(0, 1);
        const QImage& img = m_mix[0].get(QStringLiteral("grey %1x%2").arg(r.width()).arg(r.height()), [&] {
            return drawImage(r.size(), [&](int i, int) {
                int v = byte(fraction(i, r.width()));
                return RGB(v, v, v);
            });
        });
        painter.drawImage(r.topLeft(), img);
        int grey = (GetRValue(current) * 299 + GetGValue(current) * 587 + GetBValue(current) * 114 + 500) / 1000;
        hMark(r, grey / 255.0);
        break;
    }
    case MODE_SWATCH: {
        QRect r = content();
        QRect top(r.left(), r.top(), r.width(), r.height() / 2);
        QRect bottom(r.left(), top.bottom() + 1, r.width(), r.bottom() - top.bottom());
        painter.fillRect(top, QColor(qrgb(current)));
        painter.fillRect(bottom, QColor(qrgb(c.m_selClrs.m_clrReference)));
        break;
    }
    default: {  // one axis
        bool cmy = isCmy(mode);
        int a = (mode - MODE_R) % 3;
        Comps cur = toSpace(current, cmy);
        painter.drawImage(plane().topLeft(), planeImage());
        painter.drawImage(bar().topLeft(), barImage());
        drawMarker(painter, planePoint(plane(), cur[(a + 1) % 3] / 255.0, cur[(a + 2) % 3] / 255.0));
        barMark(bar(), cur[a] / 255.0);
        break;
    }
    }
}

bool CExtColorCtrl::Surface::pickAt(QPoint p, Part within, Part& part, COLORREF& clr, std::array<double, 3>& hsl,
                                    bool& hasHsl) const
{
    const CExtColorCtrl& c = *m_ctrl;
    const int mode = c.m_eMode;
    const COLORREF current = c.m_selClrs.m_clrCurrent;
    hasHsl = false;
    part = Part::None;
    auto inside = [&](QRect r, Part which) {
        if (within == which) {
            p.setX(std::clamp(p.x(), r.left(), r.right()));
            p.setY(std::clamp(p.y(), r.top(), r.bottom()));
            return true;
        }
        return within == Part::None && r.contains(p);
    };
    auto fx = [&](QRect r) { return fraction(p.x() - r.left(), r.width()); };
    auto fy = [&](QRect r) { return 1 - fraction(p.y() - r.top(), r.height()); };

    switch (mode) {
    case MODE_NAMED_COLORS:
        for (int i = 0; i < 48; ++i)
            if (cell(i).adjusted(1, 1, -1, -1).contains(p) && (within == Part::None || within == Part::Cell)) {
                part = Part::Cell;
                clr = g_basicColors[i];
                return true;
            }
        return false;
    case MODE_HSL_PANEL:
    case MODE_HSL_BASIC_HUE:
    case MODE_HSL_ROLLER: {
        hsl = {c.m_h, c.m_s, c.m_l};
        if (inside(bar(), Part::Bar)) {
            part = Part::Bar;
            if (mode == MODE_HSL_BASIC_HUE) {
                hsl[0] = fy(bar());
                hsl[1] = visibleSaturation(hsl[1]);
                hsl[2] = visibleLight(hsl[2]);
            } else {
                hsl[2] = fy(bar());
            }
        } else if (mode == MODE_HSL_ROLLER) {
            QRect w = wheel();
            double r = w.width() / 2.0;
            double dx = (p.x() + 0.5 - w.left() - r) / r, dy = (p.y() + 0.5 - w.top() - r) / r;
            double d = std::hypot(dx, dy);
            if (within != Part::Plane && (within != Part::None || d > 1))
                return false;
            part = Part::Plane;
            double hue = std::atan2(-dy, dx) / (2 * M_PI);
            hsl[0] = hue < 0 ? hue + 1 : hue;
            hsl[1] = std::min(d, 1.0);
        } else if (inside(plane(), Part::Plane)) {
            part = Part::Plane;
            if (mode == MODE_HSL_PANEL) {
                hsl[0] = fx(plane());
                hsl[1] = fy(plane());
            } else {
                hsl[1] = fx(plane());
                hsl[2] = fy(plane());
            }
        } else {
            return false;
        }
        if (part == Part::Plane && mode != MODE_HSL_BASIC_HUE)
            hsl[2] = visibleLight(hsl[2]);
        hasHsl = true;
        clr = CExtPaintManager::stat_HLStoRGB(hsl[0], hsl[2], hsl[1]);
        return true;
    }
    case MODE_RGB_CUBE:
    case MODE_CMY_CUBE: {
        bool cmy = mode == MODE_CMY_CUBE;
        Comps v = toSpace(current, cmy);
        for (int k = 0; k < 3; ++k) {
            Part which = static_cast<Part>(static_cast<int>(Part::Face0) + k);
            if (within != Part::None && within != which)
                continue;
            QPointF q = face(k).inverted().map(QPointF(p) + QPointF(0.5, 0.5));
            bool hit = q.x() >= 0 && q.x() < 256 && q.y() >= 0 && q.y() < 256;
            if (!hit && within != which)
                continue;
            v[(k + 1) % 3] = std::clamp(static_cast<int>(std::floor(q.x())), 0, 255);
            v[(k + 2) % 3] = std::clamp(static_cast<int>(std::floor(q.y())), 0, 255);
            part = which;
            clr = fromSpace(v, cmy);
            return true;
        }
        return false;
    }
    case MODE_RGB_MIX:
    case MODE_CMY_MIX: {
        bool cmy = mode == MODE_CMY_MIX;
        Comps v = toSpace(current, cmy);
        for (int k = 0; k < 3; ++k) {
            Part which = static_cast<Part>(static_cast<int>(Part::Mix0) + k);
            if (inside(mixBar(k, 3), which)) {
                v[k] = byte(fx(mixBar(k, 3)));
                part = which;
                clr = fromSpace(v, cmy);
                return true;
            }
        }
        return false;
    }
    case MODE_GRAYSCALE_MIX:
        if (!inside(mixBar(0, 1), Part::Mix0))
            return false;
        part = Part::Mix0;
        clr = RGB(byte(fx(mixBar(0, 1))), byte(fx(mixBar(0, 1))), byte(fx(mixBar(0, 1))));
        return true;
    case MODE_SWATCH: {
        QRect r = content();
        if (!r.contains(p) || within != Part::None)
            return false;
        bool lower = p.y() > r.top() + r.height() / 2;
        part = lower ? Part::Reference : Part::Current;
        clr = lower ? c.m_selClrs.m_clrReference : current;
        return true;
    }
    default: {
        bool cmy = isCmy(mode);
        int a = (mode - MODE_R) % 3;
        Comps v = toSpace(current, cmy);
        if (inside(bar(), Part::Bar)) {
            part = Part::Bar;
            v[a] = byte(fy(bar()));
        } else if (inside(plane(), Part::Plane)) {
            part = Part::Plane;
            v[(a + 1) % 3] = byte(fx(plane()));
            v[(a + 2) % 3] = byte(fy(plane()));
        } else {
            return false;
        }
        clr = fromSpace(v, cmy);
        return true;
    }
    }
}

void CExtColorCtrl::Surface::mousePressEvent(QMouseEvent* e)
{
    if (focusPolicy() & Qt::ClickFocus)
        setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton)
        return;
    Part part;
    COLORREF clr;
    std::array<double, 3> hsl;
    bool hasHsl;
    if (!pickAt(e->position().toPoint(), Part::None, part, clr, hsl, hasHsl))
        return;
    m_dragPart = part;
    if (part >= Part::Mix0 && part <= Part::Mix2)
        m_ctrl->m_activeBar = static_cast<int>(part) - static_cast<int>(Part::Mix0);
    m_ctrl->pick(clr, hasHsl ? hsl.data() : nullptr);
}

void CExtColorCtrl::Surface::mouseMoveEvent(QMouseEvent* e)
{
    if (!(e->buttons() & Qt::LeftButton) || m_dragPart == Part::None || m_dragPart == Part::Cell ||
        m_dragPart == Part::Reference || m_dragPart == Part::Current)
        return;
    Part part;
    COLORREF clr;
    std::array<double, 3> hsl;
    bool hasHsl;
    if (pickAt(e->position().toPoint(), m_dragPart, part, clr, hsl, hasHsl))
        m_ctrl->pick(clr, hasHsl ? hsl.data() : nullptr);
}

void CExtColorCtrl::Surface::keyPressEvent(QKeyEvent* e)
{
    CExtColorCtrl& c = *m_ctrl;
    const int mode = c.m_eMode;
    int dx = 0, dy = 0, dz = 0;
    switch (e->key()) {
    case Qt::Key_Left: dx = -1; break;
    case Qt::Key_Right: dx = 1; break;
    case Qt::Key_Up: dy = 1; break;
    case Qt::Key_Down: dy = -1; break;
    case Qt::Key_PageUp: dz = 1; break;
    case Qt::Key_PageDown: dz = -1; break;
    default:
        QWidget::keyPressEvent(e);  // Enter, Escape, Tab: the dialog's
        return;
    }
    if (mode == MODE_SWATCH) {
        QWidget::keyPressEvent(e);
        return;
    }
    int step = (e->modifiers() & Qt::ShiftModifier) ? 16 : 1;
    c.syncHsl();
    const COLORREF current = c.m_selClrs.m_clrCurrent;
    auto add = [&](int v, int d) { return std::clamp(v + d * step, 0, 255); };
    auto addUnit = [&](double v, int d) { return std::clamp(v + d * step / 255.0, 0.0, 1.0); };

    switch (mode) {
    case MODE_NAMED_COLORS: {
        int at = 0;
        for (int i = 0; i < 48; ++i)
            if (g_basicColors[i] == current)
                at = i;
        int col = std::clamp(at % 8 + dx, 0, 7), row = std::clamp(at / 8 - dy + (dz ? -dz * 5 : 0), 0, 5);
        c.pick(g_basicColors[row * 8 + col]);
        break;
    }
    case MODE_HSL_PANEL:
    case MODE_HSL_ROLLER:
    case MODE_HSL_BASIC_HUE: {
        double hsl[3] = {c.m_h, c.m_s, c.m_l};
        if (mode == MODE_HSL_BASIC_HUE) {
            hsl[1] = addUnit(hsl[1], dx);
            hsl[2] = addUnit(hsl[2], dy);
            hsl[0] = addUnit(hsl[0], dz);
        } else {
            hsl[0] = addUnit(hsl[0], dx);
            hsl[1] = addUnit(hsl[1], dy);
            hsl[2] = addUnit(hsl[2], dz);
        }
        c.pick(CExtPaintManager::stat_HLStoRGB(hsl[0], hsl[2], hsl[1]), hsl);
        break;
    }
    case MODE_RGB_CUBE:
    case MODE_CMY_CUBE: {
        bool cmy = mode == MODE_CMY_CUBE;
        Comps v = toSpace(current, cmy);
        v[0] = add(v[0], dx);
        v[1] = add(v[1], dy);
        v[2] = add(v[2], dz);
        c.pick(fromSpace(v, cmy));
        break;
    }
    case MODE_RGB_MIX:
    case MODE_CMY_MIX: {
        bool cmy = mode == MODE_CMY_MIX;
        c.m_activeBar = std::clamp(c.m_activeBar - dy, 0, 2);
        Comps v = toSpace(current, cmy);
        v[c.m_activeBar] = add(v[c.m_activeBar], dx + dz);
        c.pick(fromSpace(v, cmy));
        update();  // the active bar may have changed without the colour
        break;
    }
    case MODE_GRAYSCALE_MIX: {
        int grey = (GetRValue(current) * 299 + GetGValue(current) * 587 + GetBValue(current) * 114 + 500) / 1000;
        int v = add(grey, dx + dy + dz);
        c.pick(RGB(v, v, v));
        break;
    }
    default: {
        bool cmy = isCmy(mode);
        int a = (mode - MODE_R) % 3;
        Comps v = toSpace(current, cmy);
        v[(a + 1) % 3] = add(v[(a + 1) % 3], dx);
        v[(a + 2) % 3] = add(v[(a + 2) % 3], dy);
        v[a] = add(v[a], dz);
        c.pick(fromSpace(v, cmy));
        break;
    }
    }
}

// ---- CExtColorCtrl -----------------------------------------------------------------------------

CExtColorCtrl::CExtColorCtrl(e_mode_t eMode)
    : m_eMode(eMode >= MODE_NAMED_COLORS && eMode < MODE_COUNT ? eMode : MODE_NAMED_COLORS)
{
}

CExtColorCtrl::~CExtColorCtrl()
{
    if (m_surface && afxqt::liveWidget(afxqt::handle(m_surface)))
        m_surface->m_ctrl = nullptr, delete m_surface;
}

BOOL CExtColorCtrl::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    QWidget* dialog = pParent ? afxqt::liveWidget(pParent->m_hWnd) : nullptr;
    QWidget* original = afxqt::childById(dialog, nID);
    if (!original || m_hWnd)
        return FALSE;
    // The surface takes the template control's place: its id, style, geometry, visibility,
    // focus rule and place in the tab order; the template control goes.
    const afxqt::WindowInfo* info = afxqt::windowInfo(original);
    afxqt::WindowInfo copy = info ? *info : afxqt::WindowInfo{};
    auto* surface = new Surface(this, dialog);
    surface->setGeometry(original->geometry());
    surface->setFocusPolicy(original->focusPolicy() == Qt::NoFocus ? Qt::ClickFocus : original->focusPolicy());
    surface->setEnabled(original->isEnabled());
    surface->stackUnder(original);
    surface->setVisible(!original->isHidden());
    surface->installEventFilter(dialog);  // the dialog's focus rules (default button) see it too
    delete original;
    afxqt::WindowInfo& mine = afxqt::registerWindow(surface);
    mine.id = copy.id;
    mine.style = copy.style;
    mine.kind = AfxControlKind::Custom;
    QObject::connect(surface, &QObject::destroyed, [this, surface] {
        if (m_surface == surface)
            m_surface = nullptr;
    });
    m_surface = surface;
    return Attach(afxqt::handle(surface));
}

CExtColorCtrl& CExtColorCtrl::operator=(e_mode_t eMode)
{
    if (eMode >= MODE_NAMED_COLORS && eMode < MODE_COUNT && eMode != m_eMode) {
        m_eMode = eMode;
        if (m_surface)
            m_surface->update();
    }
    return *this;
}

void CExtColorCtrl::syncHsl()
{
    COLORREF current = m_selClrs.m_clrCurrent;
    if (m_hslFor == current)
        return;
    double h, s, l;
    CExtPaintManager::stat_RGBtoHSL(current, &h, &s, &l);
    // A grey has no hue, black and white have no saturation: keep the last ones.
    if (s > 0)
        m_h = h;
    if (l > 0 && l < 1)
        m_s = s;
    m_l = l;
    m_hslFor = current;
}

void CExtColorCtrl::SetupColor(COLORREF clr, bool bNotifyChanged)
{
    clr &= 0x00FFFFFFu;
    if (clr != m_selClrs.m_clrCurrent) {
        m_selClrs.m_clrPrevious = m_selClrs.m_clrCurrent;
        m_selClrs.m_clrCurrent = clr;
    }
    if (m_surface)
        m_surface->update();
    if (bNotifyChanged)
        if (CWnd* parent = GetParent())
            parent->SendMessage(g_nMsgColorChanged, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&m_selClrs));
}

void CExtColorCtrl::pick(COLORREF clr, const double* hsl)
{
    if (hsl) {
        m_h = hsl[0], m_s = hsl[1], m_l = hsl[2];
        m_hslFor = clr;
    }
    if (clr == m_selClrs.m_clrCurrent) {
        if (m_surface)
            m_surface->update();  // the mark may have moved (a hue at grey, say)
        return;
    }
    SetupColor(clr, true);
}

bool CExtColorCtrl::ColorAtPoint(CPoint pt, COLORREF& clr) const
{
    if (!m_surface)
        return false;
    const_cast<CExtColorCtrl*>(this)->syncHsl();
    Part part;
    std::array<double, 3> hsl;
    bool hasHsl;
    return m_surface->pickAt(QPoint(pt.x, pt.y), Part::None, part, clr, hsl, hasHsl);
}
