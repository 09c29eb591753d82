// The colour control's surface: the presentations of every mode (planes, bars, the cube,
// the mixer, the wheel, the basic colours) and the markers on them.
#include "extctl/extcolor_p.h"

using namespace extcolor;

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

