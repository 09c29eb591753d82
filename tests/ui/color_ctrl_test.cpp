// The colour control and the colour-space conversions, drawn, clicked and keyed.
#include "extctl/extcolor.h"
#include "mfc/afxqt_p.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

using P = CExtPaintManager;

struct Hsl {
    double h, s, l;
};

Hsl hslOf(COLORREF c)
{
    Hsl v{};
    P::stat_RGBtoHSL(c, &v.h, &v.s, &v.l);
    return v;
}

TEST(ColorConversions, PrimariesSecondariesAndGreysHaveTheirKnownHueSaturationAndLight)
{
    struct Known {
        COLORREF rgb;
        double h, s, l;
    };
    const Known known[] = {
        {RGB(255, 0, 0), 0.0, 1.0, 0.5},           {RGB(0, 255, 0), 1.0 / 3, 1.0, 0.5},
        {RGB(0, 0, 255), 2.0 / 3, 1.0, 0.5},       {RGB(255, 255, 0), 1.0 / 6, 1.0, 0.5},
        {RGB(0, 255, 255), 0.5, 1.0, 0.5},         {RGB(255, 0, 255), 5.0 / 6, 1.0, 0.5},
        {RGB(0, 0, 0), 0.0, 0.0, 0.0},             {RGB(255, 255, 255), 0.0, 0.0, 1.0},
        {RGB(128, 128, 128), 0.0, 0.0, 128 / 255.0}, {RGB(128, 0, 0), 0.0, 1.0, 64 / 255.0},
        {RGB(255, 128, 128), 0.0, 1.0, 383 / 510.0},
    };
    for (const Known& k : known) {
        SCOPED_TRACE(testing::Message() << std::hex << k.rgb);
        Hsl v = hslOf(k.rgb);
        EXPECT_NEAR(v.h, k.h, 1e-12);
        EXPECT_NEAR(v.s, k.s, 1e-12);
        EXPECT_NEAR(v.l, k.l, 1e-12);
        EXPECT_EQ(P::stat_HLStoRGB(k.h, k.l, k.s), k.rgb);
    }
    // Hue 1.0 is red again; values outside 0 ... 1 are limited.
    EXPECT_EQ(P::stat_HLStoRGB(1.0, 0.5, 1.0), RGB(255, 0, 0));
    EXPECT_EQ(P::stat_HLStoRGB(0.0, 2.0, 1.0), RGB(255, 255, 255));
    EXPECT_EQ(P::stat_HLStoRGB(-0.5, 0.5, -1.0), RGB(128, 128, 128));
    // Null addresses are skipped.
    double l = -1;
    P::stat_RGBtoHSL(RGB(255, 255, 255), nullptr, nullptr, &l);
    EXPECT_EQ(l, 1.0);
}

// Every RGB colour goes to HSL and back unchanged, and through the fields within their rounding.
TEST(ColorConversions, EveryRgbColourSurvivesTheRoundTripThroughHsl)
{
    int exactMisses = 0, worst = 0;
    COLORREF worstColour = 0;
    auto field = [](double v) { return std::min(static_cast<long>(v * 255 + 0.5), 255L); };
    auto back = [](long n) { return std::min((n + 0.5) / 255, 1.0); };
    for (COLORREF c = 0; c < 0x1000000u; ++c) {
        double h, s, l;
        P::stat_RGBtoHSL(c, &h, &s, &l);
        if (P::stat_HLStoRGB(h, l, s) != c)
            ++exactMisses;
        COLORREF q = P::stat_HLStoRGB(back(field(h)), back(field(l)), back(field(s)));
        int d = std::max({std::abs(GetRValue(q) - GetRValue(c)), std::abs(GetGValue(q) - GetGValue(c)),
                          std::abs(GetBValue(q) - GetBValue(c))});
        if (d > worst)
            worst = d, worstColour = c;
    }
    EXPECT_EQ(exactMisses, 0);
    // A hue one step (1/255) off moves a channel by at most 6 * 255 / 255 = 6 steps at full
    // chroma, light and saturation by one step each: beyond 8 the conversion itself is off.
    EXPECT_LE(worst, 8) << "worst colour " << std::hex << worstColour;
}

// ---- the control in a dialog of the test's own ----------------------------------------------

constexpr UINT kTemplateId = 9700;
constexpr UINT kArea = 9701;

const AfxControlTemplate kControls[] = {
    {kArea, AfxControlKind::PushButton, L"", 7, 7, 139, 130, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP},
    {IDOK, AfxControlKind::PushButton, L"OK", 7, 142, 60, 14, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP},
};
const AfxDialogTemplate kTemplate = {kTemplateId, 0, 0, 153, 162, WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Farbtest",
                                     L"MS Sans Serif", 8, kControls, std::size(kControls)};

class ColorHost : public CDialog {
public:
    explicit ColorHost(CExtColorCtrl::e_mode_t mode, COLORREF colour) : ctrl(mode)
    {
        InitModalIndirect(&kTemplate, CWnd::FromHandle(uitest::mainWindow()));
        ctrl.m_selClrs = {RGB(255, 255, 255), colour, RGB(255, 255, 255)};
    }
    CExtColorCtrl ctrl;
    std::vector<COLORREF> notified;  // the record's current colour at each notification
    std::vector<HWND> senders;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        EXPECT_TRUE(ctrl.SubclassDlgItem(kArea, this));
        return TRUE;
    }
    LRESULT OnColorChanged(WPARAM w, LPARAM l)
    {
        senders.push_back(reinterpret_cast<HWND>(w));
        notified.push_back(reinterpret_cast<CExtColorCtrl::selection_colors_t*>(l)->m_clrCurrent);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ColorHost, CDialog)
    ON_REGISTERED_MESSAGE(CExtColorCtrl::g_nMsgColorChanged, &ColorHost::OnColorChanged)
END_MESSAGE_MAP()

QWidget* surface(const CExtColorCtrl& c) { return afxqt::liveWidget(c.m_hWnd); }

QImage grab(const CExtColorCtrl& c)
{
    QApplication::sendPostedEvents();
    return surface(c)->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

bool near(QRgb a, COLORREF b, int tolerance)
{
    return std::abs(qRed(a) - GetRValue(b)) <= tolerance && std::abs(qGreen(a) - GetGValue(b)) <= tolerance &&
           std::abs(qBlue(a) - GetBValue(b)) <= tolerance;
}

void press(QWidget* w, QPoint p, QEvent::Type type = QEvent::MouseButtonPress)
{
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void keyTo(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &e);
}

const COLORREF kStart = RGB(200, 60, 30);

// Each presentation shows, wherever a click picks a colour, that colour; all look different.
TEST(ColorControl, EachPresentationShowsTheColoursItsClicksPick)
{
    std::vector<QImage> shots;
    for (int mode = 0; mode < CExtColorCtrl::MODE_COUNT; ++mode) {
        SCOPED_TRACE(testing::Message() << "mode " << mode);
        ColorHost host(static_cast<CExtColorCtrl::e_mode_t>(mode), kStart);
        uitest::runModal(host, [&](CDialog& d) {
            QImage shot = grab(host.ctrl);
            shots.push_back(shot);
            int hits = 0, matches = 0;
            for (int y = 0; y < shot.height(); y += 5)
                for (int x = 0; x < shot.width(); x += 5) {
                    COLORREF c;
                    if (!host.ctrl.ColorAtPoint(CPoint(x, y), c))
                        continue;
                    ++hits;
                    matches += near(shot.pixel(x, y), c, 3);
                }
            EXPECT_GT(hits, 40) << "a click picks a colour in a good part of the control";
            EXPECT_GE(matches, hits * 9 / 10) << matches << " of " << hits << " points show what they pick";
            d.EndDialog(IDOK);
        });
    }
    for (size_t i = 0; i < shots.size(); ++i)
        for (size_t j = i + 1; j < shots.size(); ++j)
            EXPECT_NE(shots[i], shots[j]) << "modes " << i << " and " << j << " look the same";
}

// What each kind of presentation shows, sampled.
TEST(ColorControl, PresentationsKeepTheirFixedAxisAndShowTheirColours)
{
    auto sampled = [](CExtColorCtrl::e_mode_t mode, COLORREF colour, const std::function<void(ColorHost&, const QImage&)>& check) {
        ColorHost host(mode, colour);
        uitest::runModal(host, [&](CDialog& d) {
            check(host, grab(host.ctrl));
            d.EndDialog(IDOK);
        });
    };
    // HSL panel: the plane is at half light.
    sampled(CExtColorCtrl::MODE_HSL_PANEL, RGB(255, 255, 255), [](ColorHost& h, const QImage& img) {
        for (double fx : {0.1, 0.3, 0.5}) {
            QPoint p(static_cast<int>(img.width() * fx), img.height() / 3);
            Hsl v = hslOf(RGB(qRed(img.pixel(p)), qGreen(img.pixel(p)), qBlue(img.pixel(p))));
            EXPECT_NEAR(v.l, 0.5, 0.01) << "at " << fx;
        }
    });
    // Swatch: the current colour above, the reference below.
    sampled(CExtColorCtrl::MODE_SWATCH, RGB(0, 0, 255), [](ColorHost&, const QImage& img) {
        EXPECT_TRUE(near(img.pixel(img.width() / 2, img.height() / 4), RGB(0, 0, 255), 0));
        EXPECT_TRUE(near(img.pixel(img.width() / 2, img.height() * 3 / 4), RGB(255, 255, 255), 0));
    });
    // Basic colours: the 48 fields show 48 different colours, the pure red among them.
    sampled(CExtColorCtrl::MODE_NAMED_COLORS, RGB(1, 2, 3), [](ColorHost&, const QImage& img) {
        std::vector<QRgb> seen;
        for (int row = 0; row < 6; ++row)
            for (int col = 0; col < 8; ++col)
                seen.push_back(img.pixel((2 * col + 1) * img.width() / 16, (2 * row + 1) * img.height() / 12));
        std::sort(seen.begin(), seen.end());
        EXPECT_EQ(std::unique(seen.begin(), seen.end()) - seen.begin(), 48);
        EXPECT_TRUE(std::binary_search(seen.begin(), seen.end(), qRgb(255, 0, 0)));
    });
}

// A click picks, notifies the parent with the record, and moves the mark there.
TEST(ColorControl, ClickAndDragPickNotifyAndMoveTheMark)
{
    ColorHost host(CExtColorCtrl::MODE_R, kStart);
    uitest::runModal(host, [&](CDialog& d) {
        QWidget* w = surface(host.ctrl);
        QPoint p(w->width() / 4, w->height() / 3);
        COLORREF expected;
        ASSERT_TRUE(host.ctrl.ColorAtPoint(CPoint(p.x(), p.y()), expected));
        auto markAt = [&](QPoint at) {
            QImage img = grab(host.ctrl);
            bool black = false, white = false;
            for (int dy = -6; dy <= 6; ++dy)
                for (int dx = -6; dx <= 6; ++dx) {
                    QRgb px = img.pixel(at + QPoint(dx, dy));
                    black |= px == qRgb(0, 0, 0);
                    white |= px == qRgb(255, 255, 255);
                }
            return black && white;
        };
        EXPECT_FALSE(markAt(p)) << "no mark before the click";
        press(w, p);
        press(w, p, QEvent::MouseButtonRelease);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), expected);
        EXPECT_EQ(host.ctrl.m_selClrs.m_clrPrevious, kStart);
        ASSERT_EQ(host.notified, std::vector<COLORREF>{expected});
        EXPECT_EQ(host.senders[0], host.ctrl.m_hWnd);
        EXPECT_EQ(GetRValue(expected), 200) << "the plane keeps red";
        EXPECT_TRUE(markAt(p)) << "the current colour is marked where it was picked";

        // Drag from the plane far to the left and up: green 0, blue 255 (the plane's corner).
        press(w, QPoint(w->width() / 2, w->height() / 2));
        press(w, QPoint(-50, -50), QEvent::MouseMove);
        press(w, QPoint(-50, -50), QEvent::MouseButtonRelease);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(200, 0, 255));

        // The gap between plane and bar picks nothing.
        size_t before = host.notified.size();
        COLORREF none;
        int gapX = -1;
        for (int x = w->width() / 2; x < w->width() && gapX < 0; ++x)
            if (!host.ctrl.ColorAtPoint(CPoint(x, w->height() / 2), none))
                gapX = x;
        ASSERT_GE(gapX, 0);
        press(w, QPoint(gapX, w->height() / 2));
        EXPECT_EQ(host.notified.size(), before);

        // SetupColor without notification changes the colour silently; with it, notifies.
        host.ctrl.SetupColor(RGB(1, 2, 3), false);
        EXPECT_EQ(host.notified.size(), before);
        host.ctrl.SetupColor(RGB(4, 5, 6), true);
        EXPECT_EQ(host.notified.back(), RGB(4, 5, 6));
        d.EndDialog(IDOK);
    });
}

// Arrow keys move the mark.
TEST(ColorControl, ArrowKeysMoveTheCurrentColour)
{
    ColorHost host(CExtColorCtrl::MODE_R, RGB(100, 100, 100));
    uitest::runModal(host, [&](CDialog& d) {
        QWidget* w = surface(host.ctrl);
        keyTo(w, Qt::Key_Right);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(100, 101, 100));
        keyTo(w, Qt::Key_Up, Qt::ShiftModifier);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(100, 101, 116));
        keyTo(w, Qt::Key_PageDown);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(99, 101, 116));
        EXPECT_EQ(host.notified.size(), 3u);

        host.ctrl = CExtColorCtrl::MODE_CMY_MIX;  // cyan 156, magenta 154, yellow 139
        keyTo(w, Qt::Key_Down);                   // to the magenta bar
        keyTo(w, Qt::Key_Left);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(99, 102, 116)) << "magenta one less";

        host.ctrl.SetupColor(RGB(255, 0, 0), false);
        host.ctrl = CExtColorCtrl::MODE_NAMED_COLORS;
        keyTo(w, Qt::Key_Right);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), CExtColorCtrl::g_basicColors[17]);
        keyTo(w, Qt::Key_Up);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), CExtColorCtrl::g_basicColors[9]);

        host.ctrl = CExtColorCtrl::MODE_HSL_BASIC_HUE;
        host.ctrl.SetupColor(RGB(255, 255, 255), false);
        for (int i = 0; i < 3; ++i)
            keyTo(w, Qt::Key_Up);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(255, 255, 255)) << "light stays at its top";
        EXPECT_EQ(host.ctrl.GetMode(), CExtColorCtrl::MODE_HSL_BASIC_HUE);
        d.EndDialog(IDOK);
    });
}

// The control takes the template control's place.
TEST(ColorControl, TakesThePlaceOfTheTemplateControlAndTheSwatchRestoresTheReference)
{
    ColorHost host(CExtColorCtrl::MODE_SWATCH, RGB(0, 128, 0));
    uitest::runModal(host, [&](CDialog& d) {
        CWnd* item = d.GetDlgItem(kArea);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->m_hWnd, host.ctrl.m_hWnd);
        EXPECT_EQ(host.ctrl.GetDlgCtrlID(), static_cast<int>(kArea));
        QWidget* w = surface(host.ctrl);
        QWidget* first = nullptr;
        for (QObject* o : w->parentWidget()->children())
            if (auto* c = qobject_cast<QWidget*>(o); c && afxqt::windowInfo(c) && !first)
                first = c;
        EXPECT_EQ(first, w) << "first in the tab order, as the template control was";
        EXPECT_FALSE(host.ctrl.SubclassDlgItem(kArea, &d)) << "a control takes over only once";

        press(w, QPoint(w->width() / 2, w->height() / 4));
        EXPECT_TRUE(host.notified.empty()) << "the upper half is the current colour already";
        press(w, QPoint(w->width() / 2, w->height() * 3 / 4));
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(255, 255, 255));
        EXPECT_EQ(host.notified, std::vector<COLORREF>{RGB(255, 255, 255)});
        d.EndDialog(IDOK);
    });
}

}  // namespace
