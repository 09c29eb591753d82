// The colour control and the paint manager's colour-space conversions. The control's
// surface draws in extcolor_paint.cpp and picks in extcolor_pick.cpp.
#include "extctl/extcolor_p.h"

using namespace extcolor;

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

