// The button-value dialog of korDialog_ButtonValue, driven as the user would: what shows when
// it opens, the three ways out and what each leaves in the value, and the position it keeps.
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
using uitest::focusedId;
using uitest::windowRect;

namespace {

HICON moduleIcon(UINT id, int size)
{
    return static_cast<HICON>(LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
}

// A key typed by the user into the control that has the focus.
void typeChar(wchar_t ch)
{
    CWnd* focus = CWnd::GetFocus();
    ASSERT_TRUE(focus);
    auto* target = reinterpret_cast<QWidget*>(focus->m_hWnd);
    QString text(QChar(static_cast<char16_t>(ch)));
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// What the user saw when the dialog opened.
struct Seen {
    CRect window, ok, cancel, header, back, edit;
    UINT focus = 0;
    int selStart = -1, selEnd = -1;
    CString caption, headerText, backText, okText, cancelText, editText;
    HICON bigIcon = nullptr, smallIcon = nullptr, okIcon = nullptr, cancelIcon = nullptr, backIcon = nullptr;
    bool toolWindow = false, fixedSize = false;
    UINT underPointer = 0;  // the control a click in the back-value button's middle reaches
};

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
        return uitest::runModal(*dlg, [&](CDialog& d) {
            seen = Seen{};
            seen.window = windowRect(d);
            seen.ok = clientRectOf(d, IDOK);
            seen.cancel = clientRectOf(d, IDCANCEL);
            seen.header = clientRectOf(d, IDC_BUTTONVALUE_HEADER);
            seen.back = clientRectOf(d, IDC_BUTTONVALUE_BACK);
            seen.edit = clientRectOf(d, IDC_BUTTONVALUE_VALUE);
            seen.focus = focusedId();
            dlg->m_editValue.GetSel(seen.selStart, seen.selEnd);
            d.GetWindowText(seen.caption);
            d.GetDlgItemText(IDC_BUTTONVALUE_HEADER, seen.headerText);
            d.GetDlgItemText(IDC_BUTTONVALUE_BACK, seen.backText);
            d.GetDlgItemText(IDOK, seen.okText);
            d.GetDlgItemText(IDCANCEL, seen.cancelText);
            d.GetDlgItemText(IDC_BUTTONVALUE_VALUE, seen.editText);
            seen.bigIcon = d.GetIcon(TRUE);
            seen.smallIcon = d.GetIcon(FALSE);
            seen.okIcon = dlg->m_btnOK.GetIcon();
            seen.cancelIcon = dlg->m_btnCancel.GetIcon();
            seen.backIcon = dlg->m_btnBack.GetIcon();
            auto* w = reinterpret_cast<QWidget*>(d.m_hWnd);
            seen.toolWindow = w->windowType() == Qt::Tool;
            seen.fixedSize = w->minimumSize() == w->maximumSize();
            CPoint middle = seen.back.CenterPoint();
            if (QWidget* hit = w->childAt(middle.x, middle.y)) {
                CWnd* control = CWnd::FromHandle(reinterpret_cast<HWND>(hit));
                seen.underPointer = control ? control->GetDlgCtrlID() : 0;
            }
            user(*dlg);
        });
    }

    uitest::ScopedConfigHome home;  // saved positions go to a folder of the test's own
    CString previousSection;
    std::unique_ptr<CButtonValueDlg> dlg;
    Seen seen;
};

}  // namespace

TEST_F(ButtonValueDialog, OpensWithTheLabelTheBackButtonLeftOfTheEditAndTheDefaultSelected)
{
    run([](CButtonValueDlg&) { afxdriver::key(Key::Escape); });

    EXPECT_EQ(seen.caption, L"_ kor --") << "the template's caption stays";
    EXPECT_EQ(seen.headerText, L"Nennweite DN");
    EXPECT_EQ(seen.backText, L"Aus Zeichnung");
    EXPECT_EQ(seen.okText, L"OK");
    EXPECT_EQ(seen.cancelText, L"Abbrechen");
    EXPECT_TRUE(seen.toolWindow);
    EXPECT_TRUE(seen.fixedSize) << "no size grip and no sizing border";

    // The label on top; below it the back-value button with the edit on its right, on one
    // line; OK at the left and Cancel at the right below them.
    EXPECT_LT(seen.header.bottom, seen.back.top);
    EXPECT_EQ(seen.back.top, seen.edit.top);
    EXPECT_EQ(seen.back.Height(), seen.edit.Height());
    EXPECT_LT(seen.back.right, seen.edit.left);
    EXPECT_EQ(seen.header.left, seen.back.left);
    EXPECT_NEAR(seen.back.Width() * 40.0 / 87.0, seen.edit.Width(), 2.0) << "87 and 40 dialog units wide";
    EXPECT_LT(seen.edit.bottom, seen.ok.top);
    EXPECT_EQ(seen.ok.top, seen.cancel.top);
    EXPECT_EQ(seen.ok.Size(), seen.cancel.Size());
    EXPECT_LT(seen.ok.right, seen.cancel.left);
    // The frame around label, button and edit comes last in the template, so lies on top;
    // the mouse still reaches the button inside it.
    EXPECT_EQ(seen.underPointer, static_cast<UINT>(IDC_BUTTONVALUE_BACK));

    // Icons from the module: the logo on the window, check mark, cross and cross-hair.
    EXPECT_EQ(seen.bigIcon, moduleIcon(IDI_KORLOGO, 32));
    EXPECT_EQ(seen.smallIcon, moduleIcon(IDI_KORLOGO, 32));
    EXPECT_EQ(seen.okIcon, moduleIcon(IDI_OK, 32));
    EXPECT_EQ(seen.cancelIcon, moduleIcon(IDI_CANCEL, 32));
    ASSERT_TRUE(seen.backIcon);
    EXPECT_EQ(seen.backIcon, moduleIcon(IDI_PICK, 16)) << "the small cross-hair";

    // The default stands in the edit, which has the focus, wholly selected.
    EXPECT_EQ(seen.editText, L"3.14");
    EXPECT_EQ(seen.focus, static_cast<UINT>(IDC_BUTTONVALUE_VALUE));
    EXPECT_EQ(seen.selStart, 0);
    EXPECT_EQ(seen.selEnd, 4);
}

TEST_F(ButtonValueDialog, TypingReplacesTheDefaultAndEnterTakesTheEditedValue)
{
    INT_PTR r = run([](CButtonValueDlg&) {
        typeChar(L'7');
        typeChar(L'5');
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

// The back-value button ends at once and drops the edit; so does Cancel.
TEST_F(ButtonValueDialog, TheBackValueButtonAndCancelKeepTheDefault)
{
    for (UINT way : {UINT(IDC_BUTTONVALUE_BACK), UINT(IDCANCEL)}) {
        INT_PTR r = run([&](CButtonValueDlg&) {
            ASSERT_TRUE(afxdriver::type(IDC_BUTTONVALUE_VALUE, L"99"));
            if (way == IDCANCEL)
                ASSERT_TRUE(afxdriver::key(Key::Escape));
            else
                ASSERT_TRUE(afxdriver::click(L"Aus Zeichnung"));
        });
        EXPECT_EQ(r, static_cast<INT_PTR>(way));
        EXPECT_EQ(dlg->m_strValue, L"3.14") << "the typed text is not taken";
    }
}

TEST_F(ButtonValueDialog, EmptyTextsLeaveTheLabelEmptyAndTheBackButtonWithItsIconOnly)
{
    INT_PTR r = run([](CButtonValueDlg&) { afxdriver::click(IDC_BUTTONVALUE_BACK); }, L"", L"", L"");
    EXPECT_EQ(seen.headerText, L"");
    EXPECT_EQ(seen.backText, L"");
    EXPECT_EQ(seen.backIcon, moduleIcon(IDI_PICK, 16));
    EXPECT_EQ(seen.editText, L"");
    EXPECT_EQ(r, IDC_BUTTONVALUE_BACK) << "a button without text can still be clicked";
}

TEST_F(ButtonValueDialog, OpensWhereTheUserLastLeftIt)
{
    run([](CButtonValueDlg&) { afxdriver::key(Key::Escape); });
    CRect first = seen.window;

    // Moved, then closed by the back-value button: the position is kept however it closes.
    run([](CButtonValueDlg& d) {
        CRect r = windowRect(d);
        d.SetWindowPos(nullptr, 60, 45, r.Width(), r.Height(), SWP_NOZORDER);
        afxdriver::click(IDC_BUTTONVALUE_BACK);
    });
    run([](CButtonValueDlg&) { afxdriver::key(Key::Escape); });
    EXPECT_EQ(seen.window.TopLeft(), CPoint(60, 45));
    EXPECT_EQ(seen.window.Size(), first.Size());

    std::filesystem::path file = std::filesystem::path(home.path()) / "kor" / "windowpositions.ini";
    QSettings ini(QString::fromStdString(file.string()), QSettings::IniFormat);
    EXPECT_TRUE(ini.value("WindowPosition/korDialog_ButtonValueDialog2").toString().startsWith("60 45 "))
        << ini.allKeys().join(' ').toStdString();
}
