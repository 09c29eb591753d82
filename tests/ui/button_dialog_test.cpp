// The button dialog's window: its size follows the buttons, the focus starts on the default.
#include "dialogs/ButtonDialogDlg.h"
#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "mfc/afxstate_p.h"
#include "mfc/afxqt_p.h"
#include "ui_module.h"

#include <gtest/gtest.h>

#include <QStyle>
#include <QStyleOptionButton>
#include <QWidget>

#include <memory>

using afxdriver::Key;
using uitest::clientRectOf;
using uitest::focusedId;
using uitest::windowRect;

namespace {

UINT choice(int k) { return static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE0 + 2 * k); }

// What the user saw when the dialog opened.
struct Seen {
    CRect window, cancel, spacer, last;  // last: the last visible button, in client coordinates
    UINT focus = 0;
    std::vector<UINT> visible, defaults;  // defaults: buttons drawn as the default
    CString lastCaption, title, cancelText;
};

class ButtonDialog : public uitest::ModuleWindowTest {
protected:

    // Opens the dialog with n entries and the default index, records what shows, then does what `user` does.
    INT_PTR run(int n, short defaultIndex, const std::function<void(CButtonDialogDlg&)>& user,
                const wchar_t* title = L"Titel")
    {
        // The entries owned here, as the handler owns them.
        dlg = std::make_unique<CButtonDialogDlg>(parent());
        entries.clear();
        for (wchar_t i = 0; i < n; ++i) {
            std::wstring caption = i == 0 && !firstCaption.empty() ? firstCaption : L"Knopf " + std::wstring(1, L'A' + i);
            entries.push_back(std::make_unique<CButtonDialogEntry>(caption.c_str(), (L"wert-" + std::wstring(1, L'a' + i)).c_str()));
            dlg->m_Entries.push_back(entries.back().get());
        }
        dlg->m_strTitle = title;
        dlg->m_nDefault = defaultIndex;
        return uitest::runModal(*dlg, [&](CDialog& d) {
            seen = Seen{};
            seen.window = windowRect(d);
            seen.cancel = clientRectOf(d, IDCANCEL);
            seen.spacer = windowRect(*d.GetDlgItem(IDC_BUTTONDIALOG_SPACER));
            seen.focus = focusedId();
            for (int k = 0; k < 12; ++k)
                if (CWnd* b = d.GetDlgItem(choice(k)); b->IsWindowVisible()) {
                    seen.visible.push_back(choice(k));
                    b->GetWindowText(seen.lastCaption);
                    seen.last = clientRectOf(d, choice(k));
                    if ((b->GetStyle() & 0xF) == BS_DEFPUSHBUTTON)
                        seen.defaults.push_back(choice(k));
                }
            d.GetWindowText(seen.title);
            d.GetDlgItemText(IDCANCEL, seen.cancelText);
            user(*dlg);
        });
    }

    HWND mainWindow = uitest::mainWindow();
    std::wstring firstCaption;  // replaces the first entry's caption when set
    std::vector<std::unique_ptr<CButtonDialogEntry>> entries;
    std::unique_ptr<CButtonDialogDlg> dlg;
    Seen seen;
};

}  // namespace

// Empty rows go, Cancel moves up; the default, if among fewer than twelve buttons, has the focus.
TEST_F(ButtonDialog, EveryCountOfButtonsTakesAwayTheEmptyRows)
{
    run(12, 0, [](CButtonDialogDlg&) { afxdriver::key(Key::Escape); });
    const Seen twelve = seen;
    int row = twelve.spacer.Height();
    ASSERT_GT(row, 20) << "the spacer is 18 dialog units high";
    const std::pair<int, short> cases[] = {{0, 0}, {1, 0}, {3, 1}, {5, -1}, {11, 12}, {12, 5}, {14, 300}};
    for (const auto& [n, defaultIndex] : cases) {
        SCOPED_TRACE(testing::Message() << n << " buttons, default " << defaultIndex);
        INT_PTR r = run(n, defaultIndex, [n = n](CButtonDialogDlg&) { afxdriver::key(n ? Key::Enter : Key::Escape); });
        const int shown = std::min(n, 12);
        EXPECT_EQ(static_cast<int>(seen.visible.size()), shown);
        EXPECT_EQ(seen.window.Height(), twelve.window.Height() - (12 - shown) * row);
        EXPECT_EQ(seen.cancel.top, twelve.cancel.top - (12 - shown) * row);
        if (n == 0) {
            EXPECT_EQ(r, IDCANCEL);
            EXPECT_EQ(dlg->m_pSelected, nullptr);
            continue;
        }
        EXPECT_GT(seen.cancel.top, seen.last.bottom);
        EXPECT_EQ(seen.lastCaption.str(), L"Knopf " + std::wstring(1, static_cast<wchar_t>(L'A' + shown - 1)));
        const int k = defaultIndex >= 0 && defaultIndex < n && n < 12 ? defaultIndex : 0;
        EXPECT_EQ(seen.focus, choice(k));
        if (k) {
            EXPECT_EQ(seen.defaults, std::vector<UINT>{choice(k)}) << "the focused button is the default";
        }
        EXPECT_EQ(seen.window.Width(), twelve.window.Width());
        EXPECT_EQ(r, static_cast<INT_PTR>(choice(k)));
        EXPECT_EQ(dlg->m_pSelected, entries[k].get());
    }
    EXPECT_TRUE(afxqt::state().temporaryObjects.isEmpty()) << "the parent's temporary object is freed after each call";
}

TEST_F(ButtonDialog, ADefaultOnAHiddenButtonTakesTheFocusButEnterDoesNothing)
{
    INT_PTR r = run(3, 7, [](CButtonDialogDlg& d) {
        // Once the window is active (as a window manager makes it), the hidden button still
        // has the dialog's focus, though Qt gives its own to a visible one.
        ASSERT_TRUE(uitest::waitUntilActive(d));
        EXPECT_EQ(focusedId(), static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE7));
        afxdriver::key(Key::Enter);
        EXPECT_TRUE(d.IsRunningModal()) << "the hidden button's handler finds no entry";
        afxdriver::key(Key::Escape);
    });
    EXPECT_EQ(seen.focus, static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE7));
    EXPECT_EQ(r, IDCANCEL);
    EXPECT_EQ(dlg->m_pSelected, nullptr);
}

// Centred on the main window at its final size, of a fixed size.
TEST_F(ButtonDialog, TheWindowIsCentredOnTheMainWindowAtItsFinalSizeAndCannotBeResized)
{
    CRect main = windowRect(*CWnd::FromHandle(mainWindow));
    run(3, 0, [](CButtonDialogDlg& d) {
        auto* w = reinterpret_cast<QWidget*>(d.m_hWnd);
        EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "a fixed size";
        afxdriver::key(Key::Escape);
    }, L"Armaturen wählen");
    EXPECT_NEAR(seen.window.CenterPoint().x, main.CenterPoint().x, 2);
    EXPECT_NEAR(seen.window.CenterPoint().y, main.CenterPoint().y, 2);
    EXPECT_EQ(seen.title, L"Armaturen wählen");
    EXPECT_EQ(seen.cancelText, L"Abbrechen");
}

TEST_F(ButtonDialog, ALongCaptionIsCutAtTheRightWithAnEllipsisAndWhollyInItsTooltip)
{
    firstCaption = L"Anfang ";
    while (firstCaption.size() < 200)
        firstCaption += L"Hausanschluss ";

    INT_PTR r = run(3, 0, [&](CButtonDialogDlg& d) {
        auto* first = dynamic_cast<afxqt::ElidingPushButton*>(afxqt::widget(d.GetDlgItem(choice(0))->m_hWnd));
        auto* second = dynamic_cast<afxqt::ElidingPushButton*>(afxqt::widget(d.GetDlgItem(choice(1))->m_hWnd));
        ASSERT_TRUE(first && second);
        QString shown = first->shownText();
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << "cut at the right, with an ellipsis";
        EXPECT_LE(first->fontMetrics().horizontalAdvance(shown), first->width());
        EXPECT_EQ(first->toolTip(), QString::fromStdWString(firstCaption));
        CString text;
        d.GetDlgItem(choice(0))->GetWindowText(text);
        EXPECT_EQ(text.str(), firstCaption) << "the program reads the whole caption";
        EXPECT_EQ(second->shownText(), "Knopf B");
        EXPECT_TRUE(second->toolTip().isEmpty()) << "a caption that fits has no tooltip";
        afxdriver::click(choice(0));
    });
    EXPECT_EQ(r, IDC_BUTTONDIALOG_CHOICE0);
}

// A caption is known to fit without being measured only where it surely does: at every width
// the button shows it whole exactly when the measured caption fits its room.
TEST_F(ButtonDialog, AButtonShowsItsCaptionWholeExactlyWhereItFits)
{
    struct Probe : afxqt::ElidingPushButton {
        using ElidingPushButton::ElidingPushButton;
        int room() const
        {
            QStyleOptionButton o;
            initStyleOption(&o);
            return style()->subElementRect(QStyle::SE_PushButtonContents, &o, this).width() - 4;
        }
    };
    for (const char* caption : {"Abbrechen", "Übernehmen", "WAVE Tÿ", "fi ffl, AV"}) {
        Probe b(QString::fromUtf8(caption));
        for (int w = 120; w > 10; --w) {
            b.resize(w, 24);
            EXPECT_EQ(b.shownText() == b.text(), b.fontMetrics().horizontalAdvance(b.text()) <= b.room())
                << caption << " at " << w;
        }
    }
}
