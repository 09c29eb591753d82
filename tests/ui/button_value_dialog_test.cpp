// The button-value dialog of korDialog_ButtonValue, driven as the user would: what shows when
// it opens, the ways out and what each leaves in the value, and the position it keeps.
#include "dialogs/ButtonValueDlg.h"
#include "uidriver/afxdriver.h"
#include "ui_module.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QWidget>

#include <filesystem>
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
        EXPECT_EQ(textOf(d, IDC_BUTTONVALUE_HEADER) + L"|" + textOf(d, IDC_BUTTONVALUE_BACK) + L"|" + textOf(d, IDOK) +
                      L"|" + textOf(d, IDCANCEL),
                  L"Nennweite DN|Aus Zeichnung|OK|Abbrechen");
        CString caption;
        d.GetWindowText(caption);
        EXPECT_EQ(caption, L"_ kor --") << "the template's caption stays";
        auto* w = reinterpret_cast<QWidget*>(d.m_hWnd);
        EXPECT_EQ(w->windowType(), Qt::Tool);
        EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "no size grip and no sizing border";

        // The label on top; below it the back-value button with the edit on its right, on one
        // line; OK at the left and Cancel at the right below them.
        CRect header = clientRectOf(d, IDC_BUTTONVALUE_HEADER), back = clientRectOf(d, IDC_BUTTONVALUE_BACK),
              edit = clientRectOf(d, IDC_BUTTONVALUE_VALUE), ok = clientRectOf(d, IDOK), cancel = clientRectOf(d, IDCANCEL);
        EXPECT_LT(header.bottom, back.top);
        EXPECT_EQ(header.left, back.left);
        EXPECT_EQ(back.top, edit.top);
        EXPECT_EQ(back.Height(), edit.Height());
        EXPECT_LT(back.right, edit.left);
        EXPECT_NEAR(back.Width() * 40.0 / 87.0, edit.Width(), 2.0) << "87 and 40 dialog units wide";
        EXPECT_LT(edit.bottom, ok.top);
        EXPECT_EQ(ok.top, cancel.top);
        EXPECT_EQ(ok.Size(), cancel.Size());
        EXPECT_LT(ok.right, cancel.left);
        // The frame around label, button and edit comes last in the template, so lies on top;
        // the mouse still reaches the button inside it.
        QWidget* hit = w->childAt(back.CenterPoint().x, back.CenterPoint().y);
        ASSERT_TRUE(hit);
        EXPECT_EQ(CWnd::FromHandle(reinterpret_cast<HWND>(hit))->GetDlgCtrlID(), IDC_BUTTONVALUE_BACK);

        // Icons from the module: the logo on the window, check mark, cross and the small cross-hair.
        EXPECT_EQ(d.GetIcon(TRUE), moduleIcon(IDI_KORLOGO, 32));
        EXPECT_EQ(d.GetIcon(FALSE), moduleIcon(IDI_KORLOGO, 32));
        EXPECT_EQ(d.m_btnOK.GetIcon(), moduleIcon(IDI_OK, 32));
        EXPECT_EQ(d.m_btnCancel.GetIcon(), moduleIcon(IDI_CANCEL, 32));
        EXPECT_NE(d.m_btnBack.GetIcon(), nullptr);
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

// Typed keys replace the selected default; Enter takes the edited value, so does OK.
TEST_F(ButtonValueDialog, TypingReplacesTheDefaultAndEnterTakesTheEditedValue)
{
    INT_PTR r = run([](CButtonValueDlg&) {
        auto* target = reinterpret_cast<QWidget*>(CWnd::GetFocus()->m_hWnd);
        for (const char* ch : {"7", "5"}) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, ch), release(QEvent::KeyRelease, 0, Qt::NoModifier, ch);
            QApplication::sendEvent(target, &press);
            QApplication::sendEvent(target, &release);
        }
        afxdriver::key(Key::Enter);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg->m_strValue, L"75");

    r = run([](CButtonValueDlg&) {
        ASSERT_TRUE(afxdriver::type(IDC_BUTTONVALUE_VALUE, L"PE-HD 100"));
        ASSERT_TRUE(afxdriver::click(L"OK"));
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg->m_strValue, L"PE-HD 100");
}

// The back-value button ends at once and drops the edit; so does Cancel. Without texts the
// label is empty and the back-value button shows its icon alone, and can still be clicked.
TEST_F(ButtonValueDialog, TheBackValueButtonAndCancelKeepTheDefault)
{
    for (UINT way : {UINT(IDC_BUTTONVALUE_BACK), UINT(IDCANCEL)}) {
        INT_PTR r = run([&](CButtonValueDlg&) {
            ASSERT_TRUE(afxdriver::type(IDC_BUTTONVALUE_VALUE, L"99"));
            ASSERT_TRUE(way == IDCANCEL ? afxdriver::key(Key::Escape) : afxdriver::click(L"Aus Zeichnung"));
        });
        EXPECT_EQ(r, static_cast<INT_PTR>(way));
        EXPECT_EQ(dlg->m_strValue, L"3.14") << "the typed text is not taken";
    }
    INT_PTR r = run([](CButtonValueDlg& d) {
        EXPECT_EQ(textOf(d, IDC_BUTTONVALUE_HEADER) + textOf(d, IDC_BUTTONVALUE_BACK) + textOf(d, IDC_BUTTONVALUE_VALUE), L"");
        EXPECT_EQ(d.m_btnBack.GetIcon(), moduleIcon(IDI_PICK, 16));
        afxdriver::click(IDC_BUTTONVALUE_BACK);
    }, L"", L"", L"");
    EXPECT_EQ(r, IDC_BUTTONVALUE_BACK);
}

// Moved, then closed by the back-value button: the position is kept under the dialog's own
// entry however it closes.
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
    std::filesystem::path file = std::filesystem::path(home.path()) / "kor" / "windowpositions.ini";
    QSettings ini(QString::fromStdString(file.string()), QSettings::IniFormat);
    EXPECT_TRUE(ini.value("WindowPosition/korDialog_ButtonValueDialog2").toString().startsWith("60 45 "))
        << ini.allKeys().join(' ').toStdString();
}
