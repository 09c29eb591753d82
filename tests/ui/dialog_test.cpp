// CDialog as a user meets it: keys, data exchange, message maps, icons, handles.
#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"
#include "mfc/afxstate_p.h"
#include "test_dialogs.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QWidget>

using afxdriver::Key;
using uitest::focusedId;
using uitest::runModal;
using uitest::windowRect;

namespace {

// A range handler learns the sender's id; the first matching entry wins.
class RangeDialog : public KeysDialog {
public:
    std::vector<UINT> clicked, edited;
    int ownApply = 0;

protected:
    afx_msg void OnOwnApply() { ++ownApply; }
    afx_msg void OnAnyButton(UINT id) { clicked.push_back(id); }
    afx_msg void OnAnyEdit(UINT id) { edited.push_back(id); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(RangeDialog, KeysDialog)
    ON_BN_CLICKED(IDC_KEYS_APPLY, &RangeDialog::OnOwnApply)
    ON_CONTROL_RANGE(BN_CLICKED, IDC_KEYS_APPLY, IDC_KEYS_HIDDEN, &RangeDialog::OnAnyButton)
    ON_CONTROL_RANGE(EN_CHANGE, IDC_KEYS_TEXT, IDC_KEYS_REAL, &RangeDialog::OnAnyEdit)
END_MESSAGE_MAP()

bool isDefault(CDialog& d, int id) { return (d.GetDlgItem(id)->GetStyle() & 0xF) == BS_DEFPUSHBUTTON; }

}  // namespace

TEST(MessageMaps, ARangeHandlerGetsTheSendersIdAndTheFirstMatchingEntryWins)
{
    RangeDialog dlg;
    runModal(dlg, [&](CDialog& d) {
        EXPECT_EQ(dlg.edited, (std::vector<UINT>{IDC_KEYS_TEXT, IDC_KEYS_INT, IDC_KEYS_REAL}))
            << "filling the edits from code notifies, each with its id";
        dlg.edited.clear();
        ASSERT_TRUE(afxdriver::click(IDC_KEYS_APPLY));
        EXPECT_EQ(dlg.ownApply, 1) << "the single entry comes first";
        EXPECT_TRUE(dlg.clicked.empty());
        d.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_KEYS_HIDDEN, BN_CLICKED), 0);
        EXPECT_EQ(dlg.clicked, std::vector<UINT>{IDC_KEYS_HIDDEN});
        ASSERT_TRUE(afxdriver::type(IDC_KEYS_INT, L"7"));
        ASSERT_TRUE(afxdriver::type(IDC_KEYS_REAL, L"1.5"));
        ASSERT_FALSE(dlg.edited.empty());
        EXPECT_EQ(dlg.edited.front(), static_cast<UINT>(IDC_KEYS_INT));
        EXPECT_EQ(dlg.edited.back(), static_cast<UINT>(IDC_KEYS_REAL));
        EXPECT_EQ(dlg.textChanges, 0) << "the range entry of the derived class served the text edit's changes";
        ASSERT_TRUE(afxdriver::click(IDCANCEL));
    });
    EXPECT_EQ(dlg.cancels, 1) << "commands outside every range still reach the base's map";
}

// Escape, the close box and the Cancel button all go through OnCancel and exchange no data.
TEST(DialogKeys, EscapeTheCloseBoxAndCancelGoThroughOnCancel)
{
    for (int way = 0; way < 3; ++way) {
        KeysDialog dlg;
        INT_PTR r = runModal(dlg, [&](CDialog&) {
            afxdriver::type(IDC_KEYS_INT, L"7");
            ASSERT_TRUE(way == 0 ? afxdriver::key(Key::Escape) : way == 1 ? afxdriver::cancel() : afxdriver::click(L"Abbrechen"));
        });
        EXPECT_EQ(r, IDCANCEL) << way;
        EXPECT_EQ(dlg.cancels, 1);
        EXPECT_EQ(dlg.oks, 0);
        EXPECT_EQ(dlg.m_number, 42) << "Cancel exchanges no data";
    }
    KeysDialog dlg;
    dlg.refuseCancel = true;
    INT_PTR r = runModal(dlg, [&](CDialog& d) {
        afxdriver::key(Key::Escape);
        afxdriver::cancel();
        EXPECT_TRUE(d.IsRunningModal());
        EXPECT_TRUE(d.IsWindowVisible());
        EXPECT_EQ(dlg.cancels, 2);
        afxdriver::click(IDOK);
    });
    EXPECT_EQ(r, IDOK);
}

// Enter presses the focused push button (the default until an edit has the focus), else the default.
TEST(DialogKeys, EnterPressesTheFocusedPushButtonElseTheDefault)
{
    KeysDialog dlg;
    INT_PTR r = runModal(dlg, [&](CDialog& d) {
        EXPECT_EQ(focusedId(), static_cast<UINT>(IDC_KEYS_TEXT)) << "first tab stop gets the focus";
        dlg.m_apply.SetFocus();
        afxdriver::key(Key::Enter);
        EXPECT_EQ(dlg.applied, 1);
        EXPECT_TRUE(d.IsRunningModal()) << "Apply does not close the dialog";
        EXPECT_TRUE(isDefault(d, IDC_KEYS_APPLY));
        EXPECT_FALSE(isDefault(d, IDOK));
        d.GetDlgItem(IDC_KEYS_TEXT)->SetFocus();
        EXPECT_FALSE(isDefault(d, IDC_KEYS_APPLY));
        EXPECT_TRUE(isDefault(d, IDOK));
        afxdriver::key(Key::Enter);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.oks, 1);

    // Without a default push button Enter sends IDOK all the same.
    PlainDialog plain;
    r = runModal(plain, [&](CDialog&) {
        ASSERT_EQ(focusedId(), static_cast<UINT>(IDC_PLAIN_EDIT));
        afxdriver::key(Key::Enter);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(plain.goes, 0);
}

// Tab follows the template's order past hidden controls and labels.
TEST(DialogKeys, TabFollowsTheTemplateOrderSkippingHiddenControlsAndLabels)
{
    KeysDialog dlg;
    std::vector<UINT> seen;
    runModal(dlg, [&](CDialog& d) {
        seen.push_back(focusedId());
        for (int i = 0; i < 7; ++i) {
            afxdriver::key(Key::Tab);
            seen.push_back(focusedId());
        }
        d.NextDlgCtrl();
        EXPECT_EQ(focusedId(), static_cast<UINT>(IDC_KEYS_INT));
        d.PrevDlgCtrl();
        d.PrevDlgCtrl();
        EXPECT_EQ(focusedId(), static_cast<UINT>(IDCANCEL));
        d.GotoDlgCtrl(d.GetDlgItem(IDC_KEYS_COMBO));
        EXPECT_EQ(focusedId(), static_cast<UINT>(IDC_KEYS_COMBO));
        afxdriver::key(Key::Escape);
    });
    EXPECT_EQ(seen, (std::vector<UINT>{IDC_KEYS_TEXT, IDC_KEYS_INT, IDC_KEYS_REAL, IDC_KEYS_COMBO, IDC_KEYS_APPLY, IDOK,
                                       IDCANCEL, IDC_KEYS_TEXT}));
}

// The members fill the controls; OK reads them back or names the bad value in a message box.
TEST(DataExchange, MembersFillTheControlsAndOKReadsThemBackOrSaysWhatIsWrong)
{
    KeysDialog dlg;
    std::string message;
    INT_PTR r = runModal(dlg, [&](CDialog& d) {
        CString text, number, real;
        d.GetDlgItemText(IDC_KEYS_TEXT, text);
        d.GetDlgItemText(IDC_KEYS_INT, number);
        d.GetDlgItemText(IDC_KEYS_REAL, real);
        EXPECT_EQ(text + L"|" + number + L"|" + real, L"Hydrant|42|2.5");
        ASSERT_TRUE(afxdriver::type(IDC_KEYS_TEXT, L"Schieber Nord"));
        ASSERT_TRUE(afxdriver::type(IDC_KEYS_INT, L" -17 "));
        ASSERT_TRUE(afxdriver::type(IDC_KEYS_REAL, L"3,5"));
        // The message box is a dialog of its own: read it and close it as the user would.
        afxdriver::onNextDialog([&](CDialog& box) {
            message = afxdriver::describe(box);
            CString t;
            box.GetDlgItemText(0xFFFF, t);
            EXPECT_EQ(t, L"Geben Sie eine Zahl ein.");
            afxdriver::key(Key::Enter);
        });
        afxdriver::click(IDOK);
        EXPECT_TRUE(d.IsRunningModal());
        EXPECT_EQ(focusedId(), static_cast<UINT>(IDC_KEYS_REAL)) << "the focus goes to the bad value";
        afxdriver::type(IDC_KEYS_REAL, L"3.75");
        ASSERT_TRUE(afxdriver::click(L"OK"));
    });
    EXPECT_NE(message.find("message box"), std::string::npos);
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.oks, 2);
    EXPECT_EQ(dlg.m_text, L"Schieber Nord");
    EXPECT_EQ(dlg.m_number, -17);
    EXPECT_DOUBLE_EQ(dlg.m_real, 3.75);
}

// ---- templates, handles, icons -------------------------------------------------------------------

TEST(Templates, AMissingTemplateOrAnUnknownControlClassGivesMinusOne)
{
    CDialog missing(4242, CWnd::FromHandle(uitest::mainWindow()));
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_TRUE(afxqt::state().temporaryObjects.isEmpty()) << "the parent's temporary object is freed too";
    CDialog broken(IDD_TEST_BROKEN, CWnd::FromHandle(uitest::mainWindow()));
    EXPECT_EQ(broken.DoModal(), -1);
    EXPECT_TRUE(afxqt::state().temporaryObjects.isEmpty());
    EXPECT_EQ(broken.m_hWnd, nullptr);
    EXPECT_EQ(AfxActiveModalDialog(), nullptr);
}

// An exception from the dialog's own code ends its run: it passes to DoModal's caller, and the
// dialog is neither left on the modal stack nor on screen; the next run opens as usual.
class ThrowingDialog : public KeysDialog {
public:
    BOOL OnInitDialog() override
    {
        KeysDialog::OnInitDialog();
        throw std::bad_alloc();
    }
};

TEST(Templates, AnExceptionFromOnInitDialogEndsTheRunAndLeavesNoWindow)
{
    const auto windows = QApplication::topLevelWidgets().size();
    ThrowingDialog throwing;
    EXPECT_THROW(throwing.DoModal(), std::bad_alloc);
    EXPECT_EQ(AfxActiveModalDialog(), nullptr);
    EXPECT_FALSE(throwing.IsRunningModal());
    EXPECT_EQ(throwing.m_hWnd, nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windows);
    KeysDialog next;
    afxdriver::onNextDialog([](CDialog&) { afxdriver::key(Key::Escape); });
    EXPECT_EQ(next.DoModal(), IDCANCEL);
}

TEST(Handles, ControlsAreReachedByIdPlacedAndLetGoWhenTheDialogCloses)
{
    KeysDialog dlg;
    runModal(dlg, [&](CDialog& d) {
        CWnd* apply = d.GetDlgItem(IDC_KEYS_APPLY);
        EXPECT_EQ(apply, &dlg.m_apply) << "the attached object answers for its window";
        CWnd* text = d.GetDlgItem(IDC_KEYS_TEXT);
        ASSERT_TRUE(text);
        EXPECT_EQ(text->GetDlgCtrlID(), IDC_KEYS_TEXT);
        EXPECT_EQ(CWnd::FromHandlePermanent(text->m_hWnd), nullptr) << "a temporary object";
        EXPECT_EQ(d.GetDlgItem(4711), nullptr);
        EXPECT_FALSE(d.GetDlgItem(IDC_KEYS_HIDDEN)->IsWindowVisible());
        EXPECT_TRUE(apply->EnableWindow(FALSE) == FALSE) << "it was enabled";
        EXPECT_FALSE(afxdriver::click(IDC_KEYS_APPLY)) << "a disabled button cannot be clicked";
        EXPECT_EQ(dlg.applied, 0);

        // A combo box's height counts its list, so the closed box keeps its own.
        CWnd* combo = d.GetDlgItem(IDC_KEYS_COMBO);
        const CRect closed = uitest::clientRectOf(d, IDC_KEYS_COMBO);
        combo->SetWindowPos(nullptr, closed.left + 5, closed.top, closed.Width() + 40, 300, SWP_NOZORDER);
        EXPECT_EQ(uitest::clientRectOf(d, IDC_KEYS_COMBO),
                  CRect(closed.left + 5, closed.top, closed.right + 45, closed.bottom));
        afxdriver::key(Key::Escape);
    });
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_apply.m_hWnd, nullptr);
    EXPECT_EQ(dlg.m_combo.m_hWnd, nullptr);
}

// Shared icons are cached per size (freeing one is harmless), owned ones are freed once.
TEST(Icons, SharedIconsAreCachedAndOwnedOnesFreedOnce)
{
    HINSTANCE lib = testResourceInstance();
    auto load = [&](int size, UINT flags) {
        return static_cast<HICON>(LoadImageW(lib, MAKEINTRESOURCEW(IDI_TEST_DOT), IMAGE_ICON, size, size, flags));
    };
    HICON a = load(16, LR_SHARED), b = load(16, LR_SHARED);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, b);
    EXPECT_NE(load(8, LR_SHARED), a) << "each size is its own image";
    EXPECT_TRUE(DestroyIcon(a));
    EXPECT_EQ(load(16, LR_SHARED), a);
    HICON own = load(16, 0);
    EXPECT_NE(own, a);
    EXPECT_TRUE(DestroyIcon(own));
    EXPECT_FALSE(DestroyIcon(own)) << "already freed";
    EXPECT_EQ(LoadImageW(lib, MAKEINTRESOURCEW(4711), IMAGE_ICON, 16, 16, LR_SHARED), nullptr);
}

// ---- the host's window and the dialogs' comings and goings ----------------------------------------

TEST(Host, ListenersHearDialogsOpenAndCloseInnermostLast)
{
    std::vector<std::string> events;
    int token = AfxAddDialogListener([&](CDialog& d, AfxDialogEvent e) {
        events.push_back((e == AfxDialogEvent::Opened ? "open " : "close ") + std::to_string(d.GetTemplateId()) +
                         " depth " + std::to_string(AfxModalDialogs().size()));
    });
    PlainDialog outer;
    runModal(outer, [&](CDialog&) {
        KeysDialog inner;
        runModal(inner, [](CDialog&) { afxdriver::key(Key::Escape); });
        afxdriver::key(Key::Escape);
    });
    AfxRemoveDialogListener(token);
    EXPECT_EQ(events, (std::vector<std::string>{"open 9300 depth 1", "open 9200 depth 2", "close 9200 depth 2",
                                                "close 9300 depth 1"}));
    EXPECT_TRUE(AfxModalDialogs().empty());
}
