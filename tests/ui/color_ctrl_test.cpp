// The colour control and the colour-space conversions, clicked and keyed.
#include "extctl/extcolor.h"
#include "mfc/afxqt_p.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

#include <vector>

namespace {

using P = CExtPaintManager;

// Known colours convert both ways; hue 1.0 is red again, values outside 0 ... 1 are limited.
TEST(ColorConversions, KnownColoursConvertBothWaysAndOutOfRangeValuesAreLimited)
{
    const struct {
        COLORREF rgb;
        double h, s, l;
    } known[] = {
        {RGB(255, 0, 0), 0.0, 1.0, 0.5},     {RGB(0, 255, 0), 1.0 / 3, 1.0, 0.5},         {RGB(0, 0, 255), 2.0 / 3, 1.0, 0.5},
        {RGB(255, 0, 255), 5.0 / 6, 1.0, 0.5}, {RGB(0, 0, 0), 0.0, 0.0, 0.0},           {RGB(255, 255, 255), 0.0, 0.0, 1.0},
        {RGB(128, 128, 128), 0.0, 0.0, 128 / 255.0}, {RGB(255, 128, 128), 0.0, 1.0, 383 / 510.0},
    };
    for (const auto& k : known) {
        double h, s, l;
        P::stat_RGBtoHSL(k.rgb, &h, &s, &l);
        EXPECT_NEAR(h, k.h, 1e-12) << std::hex << k.rgb;
        EXPECT_NEAR(s, k.s, 1e-12) << std::hex << k.rgb;
        EXPECT_NEAR(l, k.l, 1e-12) << std::hex << k.rgb;
        EXPECT_EQ(P::stat_HLStoRGB(k.h, k.l, k.s), k.rgb);
    }
    EXPECT_EQ(P::stat_HLStoRGB(1.0, 0.5, 1.0), RGB(255, 0, 0));
    EXPECT_EQ(P::stat_HLStoRGB(0.0, 2.0, 1.0), RGB(255, 255, 255));
    EXPECT_EQ(P::stat_HLStoRGB(-0.5, 0.5, -1.0), RGB(128, 128, 128));
    double l = -1;
    P::stat_RGBtoHSL(RGB(255, 255, 255), nullptr, nullptr, &l);  // null addresses are skipped
    EXPECT_EQ(l, 1.0);
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

// A click picks, notifies the parent with the record, and moves the mark there.
TEST(ColorControl, ClickAndDragPickNotifyAndMoveTheMark)
{
    ColorHost host(CExtColorCtrl::MODE_R, kStart);
    uitest::runModal(host, [&](CDialog& d) {
        QWidget* w = surface(host.ctrl);
        QPoint p(w->width() / 4, w->height() / 3);
        COLORREF expected;
        ASSERT_TRUE(host.ctrl.ColorAtPoint(CPoint(p.x(), p.y()), expected));
        press(w, p);
        press(w, p, QEvent::MouseButtonRelease);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), expected);
        EXPECT_EQ(host.ctrl.m_selClrs.m_clrPrevious, kStart);
        ASSERT_EQ(host.notified, std::vector<COLORREF>{expected});
        EXPECT_EQ(host.senders[0], host.ctrl.m_hWnd);
        EXPECT_EQ(GetRValue(expected), 200) << "the plane keeps red";

        // Drag from the plane far to the left and up: green 0, blue 255 (the plane's corner).
        press(w, QPoint(w->width() / 2, w->height() / 2));
        press(w, QPoint(-50, -50), QEvent::MouseMove);
        press(w, QPoint(-50, -50), QEvent::MouseButtonRelease);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), RGB(200, 0, 255));

        const size_t before = host.notified.size();
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


        host.ctrl.SetupColor(RGB(255, 0, 0), false);
        host.ctrl = CExtColorCtrl::MODE_NAMED_COLORS;
        keyTo(w, Qt::Key_Right);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), CExtColorCtrl::g_basicColors[17]);
        keyTo(w, Qt::Key_Up);
        EXPECT_EQ(host.ctrl.GetCurrentColor(), CExtColorCtrl::g_basicColors[9]);
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
