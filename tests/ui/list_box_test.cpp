// The list box with Windows' order and semantics, and WM_CTLCOLOR as a search dialog uses it.
#include "uidriver/afxdriver.h"
#include "mfc/afxlist_p.h"
#include "test_dialogs.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QApplication>

#include <vector>

using uitest::runModal;

namespace {

constexpr COLORREF kYellow = RGB(255, 255, 0);

// A dialog that narrows a long list to the lines containing the search text, as the module's search dialogs do.
class SearchDialog : public CDialog {
public:
    SearchDialog() : CDialog(IDD_TEST_SEARCH) { m_highlight.CreateSolidBrush(kYellow); }

    std::vector<CString> m_items;
    int m_selected = -1;  // item index of the chosen line
    CEdit m_search;
    CListBox m_list;
    CListBox m_multi;
    int selChanges = 0, doubleClicks = 0, destroyed = 0;

    void OnChangedSearch()
    {
        CString text;
        m_search.GetWindowText(text);
        m_list.SendMessage(LB_RESETCONTENT);
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (!text.IsEmpty() && std::wcsstr(m_items[i], text) == nullptr)
                continue;
            LRESULT at = m_list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(m_items[i].GetString()));
            m_list.SendMessage(LB_SETITEMDATA, at, static_cast<LPARAM>(i));
        }
        Invalidate();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_SEARCH_TEXT, m_search);
        DDX_Control(pDX, IDC_SEARCH_LIST, m_list);
        DDX_Control(pDX, IDC_SEARCH_MULTI, m_multi);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        OnChangedSearch();
        return TRUE;
    }
    void OnSelChange()
    {
        ++selChanges;
        int line = m_list.GetCurSel();
        if (line != LB_ERR)
            m_selected = static_cast<int>(m_list.GetItemData(line));
    }
    void OnDblClk() { ++doubleClicks; }
    void OnDestroy() override { ++destroyed; }
    HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) override
    {
        CString text;
        m_search.GetWindowText(text);
        if (!text.IsEmpty() && (pWnd->m_hWnd == m_search.m_hWnd || pWnd->m_hWnd == m_list.m_hWnd)) {
            pDC->SetBkColor(kYellow);
            return m_highlight;
        }
        return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    }

    CBrush m_highlight;

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SearchDialog, CDialog)
    ON_EN_CHANGE(IDC_SEARCH_TEXT, &SearchDialog::OnChangedSearch)
    ON_LBN_SELCHANGE(IDC_SEARCH_LIST, &SearchDialog::OnSelChange)
    ON_LBN_DBLCLK(IDC_SEARCH_LIST, &SearchDialog::OnDblClk)
    ON_WM_DESTROY()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

std::vector<CString> texts(const CListBox& list)
{
    std::vector<CString> out;
    for (int i = 0; i < list.GetCount(); ++i) {
        CString t;
        list.GetText(i, t);
        out.push_back(t);
    }
    return out;
}

}  // namespace

TEST(ListBox, SortedLinesTakeWindowsOrderAndCarryTheirItemData)
{
    SearchDialog dlg;
    runModal(dlg, [&](CDialog&) {
        CListBox& list = dlg.m_list;
        // Arriving out of order, with equal texts (ignoring case) and umlauts.
        const wchar_t* arriving[] = {L"Schieber", L"apfel", L"Öl", L"Birne", L"Äpfel", L"Apfel", L"zebra", L"APFEL"};
        for (const wchar_t* t : arriving)  // AddString answers the index the line went to
            list.SetItemData(list.AddString(t), reinterpret_cast<DWORD_PTR>(t));
        std::vector<CString> expected = {L"APFEL", L"Apfel", L"apfel", L"Äpfel", L"Birne", L"Öl", L"Schieber", L"zebra"};
        EXPECT_EQ(texts(list), expected) << "no case, accents after the plain letter, the last of equal texts first";
        for (int i = 0; i < list.GetCount(); ++i)
            EXPECT_EQ(texts(list)[i], reinterpret_cast<const wchar_t*>(list.GetItemData(i))) << "item data stays with its line";

        EXPECT_EQ(list.FindStringExact(-1, L"äPFEL"), 3);
        EXPECT_EQ(list.FindStringExact(0, L"apfel"), 1) << "the search starts after the start index";
        EXPECT_EQ(list.FindStringExact(2, L"apfel"), 0) << "and wraps around";
        EXPECT_EQ(list.FindStringExact(-1, L"Apf"), LB_ERR) << "whole texts only";
        EXPECT_EQ(list.GetTextLen(8), LB_ERR);

        // The selection follows its line when lines come and go before it.
        EXPECT_EQ(list.SetCurSel(5), 5);  // "Öl"
        list.AddString(L"Aal");
        EXPECT_EQ(list.GetCurSel(), 6);
        EXPECT_EQ(list.DeleteString(0), 8);
        EXPECT_EQ(list.GetCurSel(), 5);
        EXPECT_EQ(list.InsertString(0, L"zzz"), 0) << "InsertString puts a line where it is told, sorted or not";
        EXPECT_EQ(list.InsertString(-1, L"aaa"), 9);
        EXPECT_EQ(list.GetCurSel(), 6);
        EXPECT_EQ(list.DeleteString(6), 9);
        EXPECT_EQ(list.GetCurSel(), LB_ERR) << "deleting the selected line leaves none selected";
        EXPECT_EQ(list.DeleteString(42), LB_ERR);

        // A reset keeps nothing: lines, item data, selection.
        list.SetCurSel(1);
        list.ResetContent();
        EXPECT_EQ(list.AddString(L"neu"), 0);
        EXPECT_EQ(list.GetItemData(0), 0u) << "a new line starts without item data";
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        afxdriver::key(afxdriver::Key::Escape);
    });
}

TEST(ListBox, ExtendedSelectionKeepsSeveralLines)
{
    SearchDialog dlg;
    runModal(dlg, [&](CDialog&) {
        CListBox& multi = dlg.m_multi;
        for (const wchar_t* t : {L"eins", L"zwei", L"drei", L"vier"})
            multi.AddString(t);
        EXPECT_EQ(multi.SetSel(-1, TRUE), 0);
        multi.SetSel(1, FALSE);
        EXPECT_EQ(multi.GetSel(1), 0);
        EXPECT_EQ(multi.GetSelCount(), 3);
        ASSERT_TRUE(afxdriver::select(IDC_SEARCH_MULTI, L"vier"));
        EXPECT_EQ(multi.GetSelCount(), 1) << "a plain click selects that line alone";
        EXPECT_EQ(multi.GetCurSel(), 3) << "the caret";
        EXPECT_EQ(dlg.m_list.SetSel(0, TRUE), LB_ERR) << "a single-selection list has no SetSel";
        afxdriver::key(afxdriver::Key::Escape);
    });
}

TEST(ListBox, TheUsersClicksKeysAndDoubleClicksNotifyTheDialog)
{
    SearchDialog dlg;
    dlg.m_items = {L"Hydrant", L"Schieber", L"Leitung", L"Armatur"};
    runModal(dlg, [&](CDialog&) {
        CListBox& list = dlg.m_list;
        ASSERT_EQ(list.GetCount(), 4);
        ASSERT_TRUE(afxdriver::select(IDC_SEARCH_LIST, L"Leitung"));
        EXPECT_EQ(list.GetCurSel(), 2);
        EXPECT_EQ(dlg.selChanges, 1);
        EXPECT_EQ(dlg.m_selected, 2) << "the handler read the line's item data";

        // Down arrow: the next line, and the notification.
        QWidget* view = afxqt::liveWidget(list.m_hWnd);
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(view, &down);
        EXPECT_EQ(list.GetCurSel(), 3);
        EXPECT_EQ(dlg.m_selected, 1) << "Schieber";
        EXPECT_EQ(dlg.selChanges, 2);

        ASSERT_TRUE(afxdriver::doubleClick(IDC_SEARCH_LIST, 0));
        EXPECT_EQ(list.GetCurSel(), 0);
        EXPECT_EQ(dlg.m_selected, 3) << "Armatur";
        EXPECT_EQ(dlg.doubleClicks, 1);
        afxdriver::key(afxdriver::Key::Escape);
    });
    EXPECT_EQ(dlg.destroyed, 1);
}

TEST(CtlColor, TheDialogsColoursComeAndGoWithTheSearchText)
{
    SearchDialog dlg;
    dlg.m_items = {L"Hydrant", L"Schieber", L"Leitung"};
    runModal(dlg, [&](CDialog&) {
        const COLORREF editBefore = afxdriver::backgroundColor(IDC_SEARCH_TEXT);
        const COLORREF listBefore = afxdriver::backgroundColor(IDC_SEARCH_LIST);
        const COLORREF hintBefore = afxdriver::backgroundColor(IDC_SEARCH_HINT);

        ASSERT_TRUE(afxdriver::type(IDC_SEARCH_TEXT, L"e"));
        EXPECT_EQ(afxdriver::backgroundColor(IDC_SEARCH_TEXT), kYellow);
        EXPECT_EQ(afxdriver::backgroundColor(IDC_SEARCH_LIST), kYellow);
        EXPECT_EQ(afxdriver::backgroundColor(IDC_SEARCH_HINT), hintBefore) << "only the two it asked for";

        ASSERT_TRUE(afxdriver::type(IDC_SEARCH_TEXT, L""));
        EXPECT_EQ(afxdriver::backgroundColor(IDC_SEARCH_TEXT), editBefore) << "a null brush: its own colours";
        EXPECT_EQ(afxdriver::backgroundColor(IDC_SEARCH_LIST), listBefore);
        afxdriver::key(afxdriver::Key::Escape);
    });
}
