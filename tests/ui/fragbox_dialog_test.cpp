// The FragBox window: rows shown for its values, texts written back in each row's type.
#include "dialogs/FragBoxDlg.h"
#include "uidriver/afxdriver.h"
#include "ui_module.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using afxdriver::Key;
using uitest::clientRectOf;
using uitest::windowRect;
using V = CKORAdsLispVar;

namespace {

// What the user saw when the dialog opened.
struct Seen {
    CRect window, ok, gauge;
    std::vector<int> visibleRows;  // rows whose label and edit are both visible
    std::vector<CString> texts;    // of the visible rows
    std::vector<CRect> edits;      // of the visible rows, client coordinates
    int strayVisible = 0;          // a label or edit visible without its partner
};

class FragBoxWindow : public uitest::ModuleWindowTest {
protected:

    // Opens the dialog over `values`, records what shows, then does what `user` does.
    INT_PTR run(const std::vector<V>& values, const std::function<void()>& user)
    {
        rows.clear();
        for (const V& v : values)
            rows.push_back(std::make_unique<FragBoxRow>(L"Zeile", v));
        CFragBoxDlg dlg(parent());
        for (const auto& r : rows)
            dlg.m_Rows.push_back(r.get());
        return uitest::runModal(dlg, [&](CDialog& d) {
            seen = Seen{};
            seen.window = windowRect(d);
            seen.ok = clientRectOf(d, IDOK);
            seen.gauge = windowRect(*d.GetDlgItem(IDC_FRAGBOX_ROWHEIGHT));
            for (int i = 0; i < CFragBoxDlg::kMaxRows; ++i) {
                CWnd* label = d.GetDlgItem(CFragBoxDlg::LabelId(i));
                CWnd* edit = d.GetDlgItem(CFragBoxDlg::EditId(i));
                if (label->IsWindowVisible() && edit->IsWindowVisible()) {
                    seen.visibleRows.push_back(i);
                    CString t;
                    edit->GetWindowText(t);
                    seen.texts.push_back(t);
                    seen.edits.push_back(clientRectOf(d, CFragBoxDlg::EditId(i)));
                } else if (label->IsWindowVisible() || edit->IsWindowVisible()) {
                    ++seen.strayVisible;
                }
            }
            user();
        });
    }

    static std::vector<V> ints(int n) { return std::vector<V>(n, V(10)); }

    const V& value(size_t i) const { return rows[i]->m_Value; }

    std::vector<std::unique_ptr<FragBoxRow>> rows;
    Seen seen;
};

// Eight rows show labels and values formatted by type, from top to bottom above the buttons.
TEST_F(FragBoxWindow, EveryCountOfRowsTakesAwayTheEmptyRowsAndMovesTheButtonsUp)
{
    run({V(2.5), V(3), V(L"PE"), V(3.14159), V(-7), V(L""), V(0.005), V(1e6)}, [] { afxdriver::key(Key::Escape); });
    const Seen eight = seen;
    EXPECT_EQ(eight.visibleRows, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(eight.texts, (std::vector<CString>{L"2.50", L"3", L"PE", L"3.14", L"-7", L"", L"0.01", L"1000000.00"}));
    for (size_t i = 1; i < eight.edits.size(); ++i)
        EXPECT_GT(eight.edits[i].top, eight.edits[i - 1].bottom) << i;

    int h = eight.gauge.Height();
    ASSERT_GT(h, 25) << "the gauge is 22 dialog units high";
    for (int n : {0, 3, 10}) {
        SCOPED_TRACE(testing::Message() << n << " rows");
        run(ints(n), [] { afxdriver::key(Key::Escape); });
        int shown = std::min(n, 8);
        EXPECT_EQ(static_cast<int>(seen.visibleRows.size()), shown);
        EXPECT_EQ(seen.strayVisible, 0);
        EXPECT_EQ(seen.window.Height(), eight.window.Height() - (8 - shown) * h);
        EXPECT_EQ(seen.window.Width(), eight.window.Width());
        EXPECT_EQ(seen.ok.top, eight.ok.top - (8 - shown) * h);
        if (shown > 0) {
            EXPECT_GT(seen.ok.top, seen.edits.back().bottom) << "OK stays below the last row";
        }
    }
}

TEST_F(FragBoxWindow, ARowThatCannotBeEditedHidesItAndEveryRowAfterIt)
{
    V list = CKORAdsLisp::List(V(1), V(2));
    INT_PTR r = run({V(1.5), V(L"a"), list, V(3.14159), V(4)}, [] {
        ASSERT_TRUE(afxdriver::type(IDC_FRAGBOX_EDIT0, L"9.25"));
        ASSERT_FALSE(afxdriver::type(IDC_FRAGBOX_EDIT3, L"1")) << "a hidden row cannot be typed into";
        afxdriver::ok();
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(seen.visibleRows, (std::vector<int>{0, 1}));
    EXPECT_EQ(value(0), V(9.25));
    EXPECT_EQ(value(1), V(L"a"));
    EXPECT_EQ(value(2), list);
    EXPECT_EQ(value(3), V(3.14159)) << "a hidden row is not stored, so not rounded to 3.14";
    EXPECT_EQ(value(4), V(4));

    run({V(1), V(), V(2)}, [] { afxdriver::key(Key::Escape); });
    EXPECT_EQ(seen.visibleRows, (std::vector<int>{0})) << "nil is no editable value";
}

TEST_F(FragBoxWindow, OkWritesTheTextsBackInEachRowsOwnType)
{
    INT_PTR r = run({V(3.14159), V(5), V(2.5), V(L"PE"), V(5), V(1.0), V(8), V(L"x")}, [] {
        // row 0 unchanged
        afxdriver::type(IDC_FRAGBOX_EDIT1, L"7.9");
        afxdriver::type(IDC_FRAGBOX_EDIT2, L"abc");
        afxdriver::type(IDC_FRAGBOX_EDIT3, L"12");
        afxdriver::type(IDC_FRAGBOX_EDIT4, L"12abc");
        afxdriver::type(IDC_FRAGBOX_EDIT5, L" 2,5");
        afxdriver::type(IDC_FRAGBOX_EDIT6, L"-99999999999");
        afxdriver::type(IDC_FRAGBOX_EDIT7, L"");
        afxdriver::click(L"OK");
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(value(0), V(3.14)) << "a real is stored as shown, with two decimals";
    EXPECT_EQ(value(1), V(7)) << "an integer row takes the leading whole number";
    EXPECT_EQ(value(2), V(0.0)) << "a real row without a number gets 0.0";
    EXPECT_EQ(value(3), V(L"12")) << "a string row stays a string";
    EXPECT_EQ(value(4), V(12));
    EXPECT_EQ(value(5), V(2.5)) << "a decimal comma, as a German user types it";
    EXPECT_EQ(value(6), V(-2147483647 - 1)) << "cut to the limit of int";
    EXPECT_EQ(value(7), V(L""));
}

}  // namespace
