// The colour dialog's window, driven as the user would.
#include "dialogs/KorColorDlg.h"
#include "mfc/afxqt_p.h"
#include "uidriver/afxdriver.h"
#include "ui_module.h"

#include <gtest/gtest.h>

#include <QToolButton>

#include <string>
#include <vector>

namespace {

using Fields = std::vector<std::wstring>;  // red green blue, cyan magenta yellow, hue sat light

Fields fields(CDialog& d)
{
    Fields f;
    for (UINT id : {IDC_COLOR_RED, IDC_COLOR_GREEN, IDC_COLOR_BLUE, IDC_COLOR_CYAN, IDC_COLOR_MAGENTA, IDC_COLOR_YELLOW,
                    IDC_COLOR_HUE, IDC_COLOR_SAT, IDC_COLOR_LIGHT}) {
        CString t;
        d.GetDlgItemText(static_cast<int>(id), t);
        f.push_back(t.str());
    }
    return f;
}

QWidget* widgetOf(CDialog& d, UINT id) { return afxqt::liveWidget(d.GetDlgItem(static_cast<int>(id))->m_hWnd); }

class ColorWindow : public uitest::ModuleWindowTest {
protected:

    INT_PTR run(const std::function<void(KorColorDlg&)>& user, COLORREF start = RGB(255, 255, 255))
    {
        KorColorDlg dlg(start, start, parent());
        INT_PTR r = uitest::runModal(dlg, [&](CDialog&) { user(dlg); });
        result = dlg.m_clrCurrent;
        return r;
    }

    COLORREF result = 0;
};

TEST_F(ColorWindow, TypingOneGroupUpdatesTheOtherGroupsAndBothControls)
{
    INT_PTR r = run([](KorColorDlg& d) {
        EXPECT_EQ(fields(d), (Fields{L"255", L"255", L"255", L"0", L"0", L"0", L"0", L"0", L"255"}));
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_RED, L"255"));
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_GREEN, L"0"));
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_BLUE, L"0"));
        EXPECT_EQ(fields(d), (Fields{L"255", L"0", L"0", L"0", L"255", L"255", L"0", L"255", L"128"}));
        EXPECT_EQ(d.m_picker.GetCurrentColor(), RGB(255, 0, 0));
        EXPECT_EQ(d.m_swatch.GetCurrentColor(), RGB(255, 0, 0));
        EXPECT_EQ(d.m_swatch.m_selClrs.m_clrReference, RGB(255, 255, 255)) << "the swatch keeps where the user started";

        // Cyan 255 (no red left), then magenta 0: green at full.
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_CYAN, L"255"));
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_MAGENTA, L"0"));
        EXPECT_EQ(fields(d), (Fields{L"0", L"255", L"0", L"255", L"0", L"255", L"85", L"255", L"128"}));

        // Hue 170, saturation 255, light 64: a dark blue (a field's n reads as (n + 0.5) / 255).
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_HUE, L"170"));
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_LIGHT, L"64"));
        EXPECT_EQ(fields(d), (Fields{L"2", L"0", L"129", L"253", L"255", L"126", L"170", L"255", L"64"}))
            << "the HSL fields keep what was typed";
        // An empty field reads as 0.
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_BLUE, L""));
        EXPECT_EQ(d.m_clrCurrent, RGB(2, 0, 0));
        EXPECT_EQ(fields(d)[5], L"255");
        ASSERT_TRUE(afxdriver::ok());
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(result, RGB(2, 0, 0));
}

TEST_F(ColorWindow, SpinButtonsStepAFieldWithinItsRange)
{
    run([](KorColorDlg& d) {
        auto arrow = [&](UINT spin, const char* which) {
            widgetOf(d, spin)->findChild<QToolButton*>(which)->click();
        };
        arrow(IDC_COLOR_GREEN_SPIN, "down");
        EXPECT_EQ(fields(d)[1], L"254");
        EXPECT_EQ(fields(d)[4], L"1") << "magenta follows the green spin";
        arrow(IDC_COLOR_GREEN_SPIN, "up");
        arrow(IDC_COLOR_GREEN_SPIN, "up");
        EXPECT_EQ(fields(d)[1], L"255") << "no step past 255";
        EXPECT_EQ(d.m_clrCurrent, RGB(255, 255, 255));
        afxdriver::key(afxdriver::Key::Escape);
    });
}

TEST_F(ColorWindow, AValuePast255IsRefusedWithAMessageTheFieldResetAndTheFocusKept)
{
    std::wstring message;
    run([&](KorColorDlg& d) {
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_GREEN, L"0"));
        afxdriver::onNextDialog([&](CDialog& box) {
            CString t;
            box.GetDlgItemText(0xFFFF, t);
            message = t.str();
            afxdriver::key(afxdriver::Key::Enter);
        });
        // The field does not take the "256": typing it ends as "25".
        EXPECT_FALSE(afxdriver::type(IDC_COLOR_RED, L"256"));
        EXPECT_EQ(message, L"Wert muss im Bereich 0..255 liegen");
        EXPECT_EQ(uitest::focusedId(), static_cast<UINT>(IDC_COLOR_RED));
        // The colour stays as it was at "25", and the field shows again what OK answers.
        EXPECT_EQ(d.m_clrCurrent, RGB(25, 0, 255));
        EXPECT_EQ(fields(d)[0], L"25");
        EXPECT_EQ(fields(d)[3], L"230");
        // Fields still work after the refusal.
        ASSERT_TRUE(afxdriver::type(IDC_COLOR_RED, L"0"));
        EXPECT_EQ(fields(d)[3], L"255");
        afxdriver::key(afxdriver::Key::Escape);
    });
}

}  // namespace
