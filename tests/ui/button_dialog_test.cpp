// The button dialog of korDialog_ButtonDialog, driven as the user would: its size follows
// the number of buttons, the focus starts on the default button, and every way out.
#include "dialogs/ButtonDialogDlg.h"
#include "frame/Handler.h"
#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "mfc/afxstate_p.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <QTextDocument>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include <memory>

using afxdriver::Key;
using uitest::clientRectOf;
using uitest::focusedId;
using uitest::windowRect;

namespace {

UINT choice(int k) { return static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE0 + 2 * k); }

// The entries of one call, owned here as the LISP handler owns them.
struct Entries {
    std::vector<std::unique_ptr<CButtonDialogEntry>> owned;
    explicit Entries(int n)
    {
        for (int i = 0; i < n; ++i) {
            CString caption, value;
            caption.Format(L"Knopf %c", L'A' + i);
            value.Format(L"wert-%c", L'a' + i);
            owned.push_back(std::make_unique<CButtonDialogEntry>(caption, value));
        }
    }
    void fill(CButtonDialogDlg& dlg) const
    {
        for (const auto& e : owned)
            dlg.m_Entries.push_back(e.get());
    }
};

// What the user saw when the dialog opened.
struct Seen {
    CRect window, client, cancel, spacer;
    UINT focus = 0;
    std::vector<UINT> visible;
    std::vector<UINT> defaults;  // buttons with the default style (drawn as the default)
    std::vector<CRect> rects;    // of the visible buttons, in client coordinates
    std::vector<CString> captions;
    CString title, cancelText;
};

class ButtonDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = AfxGetResourceHandle();
        AfxSetResourceHandle(korDialogInstance());  // as the handler's resource override does
        mainWindow = uitest::mainWindow();
    }
    void TearDown() override { AfxSetResourceHandle(previous); }

    // Opens the dialog with n entries and the default index, records what shows, then does
    // what `user` does.
    INT_PTR run(int n, short defaultIndex, const std::function<void(CButtonDialogDlg&)>& user,
                const wchar_t* title = L"Titel")
    {
        entries = std::make_unique<Entries>(n);
        if (!firstCaption.IsEmpty())
            entries->owned[0]->m_strCaption = firstCaption;
        // As the handler does: a temporary object for the main window, gone after DoModal.
        dlg = std::make_unique<CButtonDialogDlg>(CWnd::FromHandle(mainWindow));
        entries->fill(*dlg);
        dlg->m_strTitle = title;
        dlg->m_nDefault = defaultIndex;
        return uitest::runModal(*dlg, [&](CDialog& d) {
            seen = Seen{};
            seen.window = windowRect(d);
            d.GetClientRect(&seen.client);
            seen.cancel = clientRectOf(d, IDCANCEL);
            seen.spacer = windowRect(*d.GetDlgItem(IDC_BUTTONDIALOG_SPACER));
            seen.focus = focusedId();
            for (int k = 0; k < 12; ++k)
                if (CWnd* b = d.GetDlgItem(choice(k)); b->IsWindowVisible()) {
                    seen.visible.push_back(choice(k));
                    CString text;
                    b->GetWindowText(text);
                    seen.captions.push_back(text);
                    seen.rects.push_back(clientRectOf(d, choice(k)));
                    if ((b->GetStyle() & 0xF) == BS_DEFPUSHBUTTON)
                        seen.defaults.push_back(choice(k));
                }
            d.GetWindowText(seen.title);
            d.GetDlgItemText(IDCANCEL, seen.cancelText);
            user(*dlg);
        });
    }

    // The window as the template makes it: twelve rows.
    Seen full()
    {
        run(12, 0, [](CButtonDialogDlg&) { afxdriver::key(Key::Escape); });
        return seen;
    }

    HINSTANCE previous = nullptr;
    HWND mainWindow = nullptr;
    CString firstCaption;  // replaces the first entry's caption when set
    std::unique_ptr<Entries> entries;
    std::unique_ptr<CButtonDialogDlg> dlg;
    Seen seen;
};

}  // namespace

TEST_F(ButtonDialog, ThreeButtonsShrinkTheWindowByNineRowsAndFocusTheDefault)
{
    Seen twelve = full();
    int row = twelve.spacer.Height();
    ASSERT_GT(row, 20) << "the spacer is 18 dialog units high";

    INT_PTR r = run(3, 1, [](CButtonDialogDlg&) { afxdriver::key(Key::Enter); });
    EXPECT_EQ(seen.visible, (std::vector<UINT>{IDC_BUTTONDIALOG_CHOICE0, IDC_BUTTONDIALOG_CHOICE1, IDC_BUTTONDIALOG_CHOICE2}));
    EXPECT_EQ(seen.captions, (std::vector<CString>{L"Knopf A", L"Knopf B", L"Knopf C"}));
    EXPECT_EQ(seen.window.Height(), twelve.window.Height() - 9 * row);
    EXPECT_EQ(seen.window.Width(), twelve.window.Width());
    EXPECT_EQ(seen.cancel.top, twelve.cancel.top - 9 * row);
    EXPECT_EQ(seen.cancel.Size(), twelve.cancel.Size());
    EXPECT_EQ(seen.focus, static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE1)) << "the focus is on B";
    EXPECT_EQ(seen.defaults, std::vector<UINT>{IDC_BUTTONDIALOG_CHOICE1}) << "the focused button is the default";

    // Enter pressed B.
    EXPECT_EQ(r, IDC_BUTTONDIALOG_CHOICE1);
    ASSERT_TRUE(dlg->m_pSelected);
    EXPECT_EQ(dlg->m_pSelected->m_strReturn, L"wert-b");
}

TEST_F(ButtonDialog, EveryCountOfButtonsTakesAwayTheEmptyRows)
{
    Seen twelve = full();
    int row = twelve.spacer.Height();
    for (int n : {0, 1, 5, 11, 12}) {
        run(n, 0, [](CButtonDialogDlg&) { afxdriver::key(Key::Escape); });
        EXPECT_EQ(static_cast<int>(seen.visible.size()), n);
        EXPECT_EQ(seen.window.Height(), twelve.window.Height() - (12 - n) * row) << n << " buttons";
        EXPECT_EQ(seen.cancel.top, twelve.cancel.top - (12 - n) * row) << n << " buttons";
        // Cancel stays below the last button.
        if (n > 0) {
            EXPECT_GT(seen.cancel.top, seen.rects.back().bottom) << n;
        }
    }
}

TEST_F(ButtonDialog, AClickRecordsItsEntryAndEndsWithTheButtonsId)
{
    INT_PTR r = run(3, 1, [](CButtonDialogDlg&) { ASSERT_TRUE(afxdriver::click(L"Knopf C")); });
    EXPECT_EQ(r, IDC_BUTTONDIALOG_CHOICE2);
    ASSERT_TRUE(dlg->m_pSelected);
    EXPECT_EQ(dlg->m_pSelected, entries->owned[2].get());
    EXPECT_EQ(dlg->m_pSelected->m_strReturn, L"wert-c");

    r = run(12, 0, [](CButtonDialogDlg&) { afxdriver::click(IDC_BUTTONDIALOG_CHOICE11); });
    EXPECT_EQ(r, IDC_BUTTONDIALOG_CHOICE11);
    EXPECT_EQ(dlg->m_pSelected, entries->owned[11].get());
}

TEST_F(ButtonDialog, CancelEscapeAndTheCloseBoxEndWithNoEntry)
{
    const std::function<void(CButtonDialogDlg&)> ways[] = {
        [](CButtonDialogDlg&) { afxdriver::click(IDCANCEL); },
        [](CButtonDialogDlg&) { afxdriver::click(L"Abbrechen"); },
        [](CButtonDialogDlg&) { afxdriver::key(Key::Escape); },
        [](CButtonDialogDlg&) { afxdriver::cancel(); },
    };
    for (const auto& way : ways) {
        EXPECT_EQ(run(3, 1, way), IDCANCEL);
        EXPECT_EQ(dlg->m_pSelected, nullptr);
    }
}

TEST_F(ButtonDialog, MoreThanTwelveEntriesShowTwelve)
{
    run(14, 0, [](CButtonDialogDlg&) {
        EXPECT_FALSE(afxdriver::click(L"Knopf M")) << "the thirteenth cannot be chosen";
        afxdriver::key(Key::Escape);
    });
    EXPECT_EQ(seen.visible.size(), 12u);
    EXPECT_EQ(seen.captions.back(), L"Knopf L");
}

TEST_F(ButtonDialog, WithTwelveButtonsTheFocusStartsOnTheFirst)
{
    run(12, 5, [](CButtonDialogDlg&) { afxdriver::key(Key::Escape); });
    EXPECT_EQ(seen.focus, static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE0)) << "whatever the default index";
}

TEST_F(ButtonDialog, ADefaultOutsideTheButtonsLeavesTheFocusToTheDialogManager)
{
    for (short bad : {-1, 12, 300}) {
        INT_PTR r = run(3, bad, [](CButtonDialogDlg&) { afxdriver::key(Key::Enter); });
        EXPECT_EQ(seen.focus, static_cast<UINT>(IDC_BUTTONDIALOG_CHOICE0)) << bad;
        EXPECT_EQ(r, IDC_BUTTONDIALOG_CHOICE0) << "Enter pressed the first button";
    }
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

TEST_F(ButtonDialog, TitleCancelTextAndIconsComeFromTheModule)
{
    run(2, 0, [](CButtonDialogDlg&) { afxdriver::key(Key::Escape); }, L"Armaturen wählen");
    EXPECT_EQ(seen.title, L"Armaturen wählen");
    EXPECT_EQ(seen.cancelText, L"Abbrechen");
    HICON logo = static_cast<HICON>(
        LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(IDI_KORLOGO), IMAGE_ICON, 32, 32, LR_SHARED));
    HICON cross = static_cast<HICON>(
        LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(IDI_CANCEL), IMAGE_ICON, 32, 32, LR_SHARED));
    ASSERT_TRUE(logo);
    ASSERT_TRUE(cross);
    EXPECT_EQ(dlg->m_hIcon, logo) << "shared: the same handle every time";
    EXPECT_EQ(dlg->m_hCancelIcon, cross);
}

TEST_F(ButtonDialog, TheWindowIsCentredOnTheMainWindowAtItsFinalSizeAndCannotBeResized)
{
    CRect main = windowRect(*CWnd::FromHandle(mainWindow));
    QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    for (int n : {3, 12}) {
        run(n, 0, [](CButtonDialogDlg& d) { afxdriver::key(Key::Escape); });
        if (seen.window.Height() <= area.height()) {
            EXPECT_NEAR(seen.window.CenterPoint().x, main.CenterPoint().x, 2) << n << " buttons";
            EXPECT_NEAR(seen.window.CenterPoint().y, main.CenterPoint().y, 2) << n << " buttons";
        } else {  // (a small screen at a large scale) taller than the screen: its top on it
            EXPECT_EQ(seen.window.top, area.top()) << n << " buttons";
        }
    }
    run(3, 0, [](CButtonDialogDlg& d) {
        CRect before = windowRect(d);
        // What a user's drag on the border would ask for.
        auto* w = reinterpret_cast<QWidget*>(d.m_hWnd);
        EXPECT_EQ(w->minimumSize(), w->maximumSize()) << "a fixed size";
        EXPECT_EQ(windowRect(d), before);
        afxdriver::key(Key::Escape);
    });
}

TEST_F(ButtonDialog, TemporaryWindowObjectsAreFreedWhenTheCallEnds)
{
    auto temporaries = [] { return afxqt::state().temporaryObjects.size(); };
    ASSERT_EQ(temporaries(), 0);
    for (int round = 0; round < 3; ++round) {
        size_t during = 0;
        run(3, 0, [&](CButtonDialogDlg&) {
            during = temporaries();
            afxdriver::key(Key::Escape);
        });
        EXPECT_GE(during, 1u) << "the parent (and the controls the test looked at) while it runs";
        EXPECT_EQ(temporaries(), 0) << "round " << round;
    }

    // Outside a dialog the host's idle time frees them.
    CWnd* main = CWnd::FromHandle(mainWindow);
    ASSERT_TRUE(main);
    EXPECT_EQ(CWnd::FromHandle(mainWindow), main) << "one object per window while it lives";
    EXPECT_EQ(temporaries(), 1);
    CWnd::DeleteTempMap();
    EXPECT_EQ(temporaries(), 0);
    main = CWnd::FromHandle(mainWindow);
    ASSERT_TRUE(main);
    EXPECT_EQ(main->m_hWnd, mainWindow) << "a fresh object for the same window";
    CWnd::DeleteTempMap();
}

TEST_F(ButtonDialog, ALongCaptionIsCutAtTheRightWithAnEllipsisAndWhollyInItsTooltip)
{
    std::wstring longCaption = L"Anfang ";
    while (longCaption.size() < 196)
        longCaption += L"Hausanschluss ";
    longCaption.resize(196);
    longCaption += L"Ende";
    ASSERT_EQ(longCaption.size(), 200u);
    firstCaption = longCaption.c_str();
    const QString full = QString::fromStdWString(longCaption);

    INT_PTR r = run(3, 0, [&](CButtonDialogDlg& d) {
        auto* first = dynamic_cast<afxqt::ElidingPushButton*>(afxqt::widget(d.GetDlgItem(choice(0))->m_hWnd));
        auto* second = dynamic_cast<afxqt::ElidingPushButton*>(afxqt::widget(d.GetDlgItem(choice(1))->m_hWnd));
        ASSERT_TRUE(first && second);
        QString shown = first->shownText();
        EXPECT_TRUE(shown.startsWith("Anfang ")) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << "cut at the right, with an ellipsis";
        EXPECT_LT(shown.size(), 60);
        EXPECT_LE(first->fontMetrics().horizontalAdvance(shown), first->width());
        EXPECT_EQ(first->toolTip(), full);
        CString text;
        d.GetDlgItem(choice(0))->GetWindowText(text);
        EXPECT_EQ(text, longCaption.c_str()) << "the program reads the whole caption";
        EXPECT_EQ(second->shownText(), "Knopf B");
        EXPECT_TRUE(second->toolTip().isEmpty()) << "a caption that fits has no tooltip";

        // New captions from code.
        d.GetDlgItem(choice(1))->SetWindowText(longCaption.c_str());
        EXPECT_TRUE(second->isElided());
        EXPECT_EQ(second->toolTip(), full);
        d.GetDlgItem(choice(1))->SetWindowText(L"Kurz");
        EXPECT_FALSE(second->isElided());
        EXPECT_TRUE(second->toolTip().isEmpty());

        // A wider button shows more, one wide enough all of it.
        CRect rect = uitest::clientRectOf(d, choice(0));
        d.GetDlgItem(choice(0))->SetWindowPos(nullptr, rect.left, rect.top, rect.Width() * 2, rect.Height(),
                                              SWP_NOZORDER);
        EXPECT_GT(first->shownText().size(), shown.size());
        d.GetDlgItem(choice(0))->SetWindowPos(nullptr, rect.left, rect.top, 4000, rect.Height(), SWP_NOZORDER);
        EXPECT_FALSE(first->isElided());
        EXPECT_TRUE(first->toolTip().isEmpty());
        d.GetDlgItem(choice(0))->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                                              SWP_NOZORDER);
        EXPECT_EQ(first->shownText(), shown);
        EXPECT_EQ(first->toolTip(), full);

        // A caption with markup in it shows as written in its tooltip too: Qt would take it
        // for markup and show "fett" in bold.
        const std::wstring marked = longCaption + L" <b>fett</b> &amp;";
        d.GetDlgItem(choice(1))->SetWindowText(marked.c_str());
        ASSERT_TRUE(second->isElided());
        QTextDocument tip;
        tip.setHtml(second->toolTip());
        EXPECT_EQ(tip.toPlainText(), QString::fromStdWString(marked)) << second->toolTip().toStdString();
        d.GetDlgItem(choice(1))->SetWindowText(L"Kurz");
        afxdriver::click(choice(0));
    });
    EXPECT_EQ(r, IDC_BUTTONDIALOG_CHOICE0);
    ASSERT_TRUE(dlg->m_pSelected);
    EXPECT_EQ(dlg->m_pSelected->m_strReturn, L"wert-a");
}

TEST_F(ButtonDialog, AScreenshotShowsTheWholeWindow)
{
    std::string dir = std::getenv("KOR_UI_SHOTS") ? std::getenv("KOR_UI_SHOTS") : uitest::freshDir("button-dialog");
    run(3, 1, [&](CButtonDialogDlg&) {
        ASSERT_TRUE(afxdriver::shot(dir + "/three.png"));
        afxdriver::key(Key::Escape);
    });
    QImage image(QString::fromStdString(dir + "/three.png"));
    ASSERT_FALSE(image.isNull());
    // The window's content under a drawn caption bar, framed by one pixel left and right.
    EXPECT_EQ(image.width(), seen.client.Width() + 2);
    int bar = image.height() - seen.client.Height() - 1;
    EXPECT_GT(bar, 10) << "a caption bar sits above the content";
    EXPECT_NE(image.pixelColor(image.width() / 2, bar / 2), image.pixelColor(image.width() / 2, bar + 4))
        << "the caption bar is drawn in its own colour";

    // The focused button B is drawn as the default: its left part (no text there) differs
    // from A's, while A and C look alike.
    ASSERT_EQ(seen.rects.size(), 3u);
    auto leftPart = [&](int k) {
        const CRect& r = seen.rects[k];
        return image.copy(r.left + 1, r.top + bar, r.Width() / 4, r.Height());
    };
    EXPECT_NE(leftPart(1), leftPart(0));
    EXPECT_EQ(leftPart(2), leftPart(0));
}
