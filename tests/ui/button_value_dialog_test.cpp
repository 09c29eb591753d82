// The button-value dialog's window: what shows, and the position it keeps.
#include "dialogs/ButtonValueDlg.h"
#include "uidriver/afxdriver.h"
#include "ui_module.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <memory>

using afxdriver::Key;
using uitest::clientRectOf;
using uitest::windowRect;

namespace {

HICON moduleIcon(UINT id, int size)
{
    return static_cast<HICON>(LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
}

CString textOf(CDialog& d, int id)
{
    CString t;
    d.GetDlgItemText(id, t);
    return t;
}

class ButtonValueDialog : public uitest::ModuleWindowTest {
protected:
    void SetUp() override
    {
        ModuleWindowTest::SetUp();
        previousSection = korWindowPositionSection;
        korWindowPositionSection = L"WindowPosition";  // as the application's start sets it
    }
    void TearDown() override
    {
        korWindowPositionSection = previousSection;
        ModuleWindowTest::TearDown();
    }

    INT_PTR run(const std::function<void(CButtonValueDlg&)>& user, const wchar_t* value = L"3.14",
                const wchar_t* header = L"Nennweite DN", const wchar_t* button = L"Aus Zeichnung")
    {
        dlg = std::make_unique<CButtonValueDlg>(parent());
        dlg->m_strHeader = header;
        dlg->m_strButton = button;
        dlg->m_strValue = value;
        return uitest::runModal(*dlg, [&](CDialog&) { user(*dlg); });
    }

    uitest::ScopedConfigHome home;  // saved positions go to a folder of the test's own
    CString previousSection;
    std::unique_ptr<CButtonValueDlg> dlg;
};

}  // namespace

TEST_F(ButtonValueDialog, OpensWithTheLabelTheBackButtonLeftOfTheEditAndTheDefaultSelected)
{
    run([](CButtonValueDlg& d) {
        EXPECT_EQ(textOf(d, IDC_BUTTONVALUE_HEADER) + L"|" + textOf(d, IDC_BUTTONVALUE_BACK), L"Nennweite DN|Aus Zeichnung");
        auto* w = reinterpret_cast<QWidget*>(d.m_hWnd);
        EXPECT_EQ(w->windowType(), Qt::Tool);
        EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "no size grip and no sizing border";

        CRect back = clientRectOf(d, IDC_BUTTONVALUE_BACK), edit = clientRectOf(d, IDC_BUTTONVALUE_VALUE);
        EXPECT_EQ(back.top, edit.top);
        EXPECT_LT(back.right, edit.left) << "the back-value button left of the edit";
        // The frame lies on top (last in the template); the mouse still reaches the button.
        QWidget* hit = w->childAt(back.CenterPoint().x, back.CenterPoint().y);
        ASSERT_TRUE(hit);
        EXPECT_EQ(CWnd::FromHandle(reinterpret_cast<HWND>(hit))->GetDlgCtrlID(), IDC_BUTTONVALUE_BACK);

        // Icons from the module: the logo on the window, the small cross-hair on the back-value button.
        EXPECT_EQ(d.GetIcon(TRUE), moduleIcon(IDI_KORLOGO, 32));
        EXPECT_TRUE(w->windowIcon().availableSizes().contains(QSize(32, 32))) << "the window shows it";
        EXPECT_EQ(d.m_btnBack.GetIcon(), moduleIcon(IDI_PICK, 16));

        // The default stands in the edit, which has the focus, wholly selected.
        EXPECT_EQ(textOf(d, IDC_BUTTONVALUE_VALUE), L"3.14");
        EXPECT_EQ(uitest::focusedId(), static_cast<UINT>(IDC_BUTTONVALUE_VALUE));
        int start = -1, end = -1;
        d.m_editValue.GetSel(start, end);
        EXPECT_EQ(CPoint(start, end), CPoint(0, 4));
        afxdriver::key(Key::Escape);
    });
}

// The position is kept under the dialog's own entry however it closes.
TEST_F(ButtonValueDialog, KeepsWhereTheUserLeftIt)
{
    run([](CButtonValueDlg& d) {
        CRect r = windowRect(d);
        d.SetWindowPos(nullptr, 60, 45, r.Width(), r.Height(), SWP_NOZORDER);
        afxdriver::click(IDC_BUTTONVALUE_BACK);
    });
    run([](CButtonValueDlg& d) {
        EXPECT_EQ(windowRect(d).TopLeft(), CPoint(60, 45));
        afxdriver::key(Key::Escape);
    });
}
