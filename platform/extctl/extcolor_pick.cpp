// The colour control's surface: what a click, a drag or a key picks.
#include "extctl/extcolor_p.h"

using namespace extcolor;

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

