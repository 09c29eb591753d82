// The grid control, filled before its window exists, then driven by mouse and keyboard.
#include "ui_support.h"

#include "korgui/korgui.h"
#include "mfc/afxqt_p.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTableView>

namespace {

constexpr UINT kGridId = 201;

const AfxControlTemplate kControls[] = {
    {IDOK, AfxControlKind::PushButton, L"OK", 7, 93, 60, 16, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP},
    {kGridId, AfxControlKind::Custom, L"", 7, 7, 194, 82, WS_CHILD | WS_VISIBLE, L"MFCGridCtrl"},
};
const AfxDialogTemplate kTemplate = {9700, 0, 0, 208, 113, WS_POPUP | WS_CAPTION | WS_THICKFRAME,
                                     L"Gitter", L"MS Sans Serif", 8, kControls, std::size(kControls)};

// A grid of a header row and `rows` rows of three texts ("r1c1" ...), column 0 showing the selection.
class GridDlg : public CDialog {
public:
    explicit GridDlg(int rows, bool multiple = true, bool editable = false)
    {
        InitModalIndirect(&kTemplate);
        grid.SetFixedRowCount(1);
        grid.SetColumnCount(4);
        grid.SetRowCount(rows + 1);
        for (int c = 1; c < 4; ++c)
            grid.GetCell(0, c)->SetText(CString(std::wstring(L"H") + std::to_wstring(c)));
        for (int r = 1; r <= rows; ++r) {
            grid.SetCellType(r, 0, RUNTIME_CLASS(CGridCellCheckIfSel));
            for (int c = 1; c < 4; ++c)
                grid.GetCell(r, c)->SetText(CString(L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c)));
            grid.SetItemState(r, 1, grid.GetItemState(r, 1) | GVIS_READONLY);
        }
        grid.SetListMode(TRUE);
        grid.SetSingleRowSelection(!multiple);
        grid.SetEditable(editable);
    }

    CKORGuiExtGridCtrl grid;

    QTableView* view() const { return qobject_cast<QTableView*>(afxqt::widget(grid.m_hWnd)); }
    std::vector<int> selectedRows() const
    {
        std::vector<int> out;
        for (int r = grid.GetFixedRowCount(); r < grid.GetRowCount(); ++r)
            if (grid.IsCellSelected(r, 0))
                out.push_back(r);
        return out;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kGridId, grid); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        grid.AutoSizeColumns();
        GotoDlgCtrl(&grid);
        return FALSE;
    }
};

// Input as a person gives it, to the grid's window.
void key(QTableView* v, int k, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = {})
{
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : v;
    QKeyEvent press(QEvent::KeyPress, k, mods, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, k, mods, text);
    QCoreApplication::sendEvent(target, &release);
    QCoreApplication::processEvents();
}

void click(QTableView* v, int row, int column, Qt::KeyboardModifiers mods = Qt::NoModifier, bool twice = false)
{
    QPoint at = v->visualRect(v->model()->index(row, column)).center();
    QPointF global = v->viewport()->mapToGlobal(at);
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, global, Qt::LeftButton, buttons, mods);
        QCoreApplication::sendEvent(v->viewport(), &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    if (twice) {
        send(QEvent::MouseButtonDblClick, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, Qt::NoButton);
    }
    QCoreApplication::processEvents();
}

QLineEdit* editor(QTableView* v) { return qobject_cast<QLineEdit*>(QApplication::focusWidget()); }

TEST(GridCtrl, CellsCountsAndStatesBeforeTheWindowExists)
{
    CKORGuiExtGridCtrl grid(0, 0, 0, 0);
    EXPECT_TRUE(grid.SetFixedRowCount(1));
    EXPECT_EQ(grid.GetRowCount(), 1);  // the header row
    EXPECT_FALSE(grid.SetFixedRowCount(2));
    EXPECT_FALSE(grid.SetFixedColumnCount(1));
    grid.SetColumnCount(3);
    grid.SetRowCount(4);
    grid.GetCell(2, 1)->SetText(L"zwei");
    grid.SetItemState(2, 1, GVIS_READONLY);
    EXPECT_EQ(grid.GetCell(4, 0), nullptr);

    // A new cell class keeps text and state; counts that shrink and grow keep the rest.
    EXPECT_TRUE(grid.SetCellType(2, 1, RUNTIME_CLASS(CGridCellCheckIfSel)));
    EXPECT_TRUE(grid.GetCell(2, 1)->ShowsRowSelection());
    EXPECT_TRUE(grid.GetItemState(2, 1) & GVIS_READONLY);
    // Only a creatable cell class: not a window class, not the abstract cell base.
    EXPECT_FALSE(grid.SetCellType(2, 1, RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(grid.SetCellType(2, 1, RUNTIME_CLASS(CKORGuiExtGridCellBase)));
    EXPECT_EQ(grid.GetCell(2, 1)->GetRuntimeClass(), RUNTIME_CLASS(CGridCellCheckIfSel)) << "the cell stays";
    grid.SetColumnCount(2);
    grid.SetRowCount(3);
    grid.SetColumnCount(5);
    grid.SetRowCount(6);
    EXPECT_EQ(grid.GetItemText(2, 1), CString(L"zwei"));
    EXPECT_TRUE(grid.GetItemState(0, 1) & GVIS_FIXED);

    // Selection before the window: the header row is never selected; single selection keeps one.
    grid.SetListMode(TRUE);
    EXPECT_FALSE(grid.SetSelectedRange(0, 0, 0, 4));
    EXPECT_TRUE(grid.SetSelectedRange(1, 0, 1, 4));
    EXPECT_TRUE(grid.SetSelectedRange(3, 0, 4, 4));
    EXPECT_FALSE(grid.SetSelectedRange(6, 0, 6, 4));
    EXPECT_TRUE(grid.IsCellSelected(4, 2));
    grid.SetSingleRowSelection(TRUE);
    EXPECT_TRUE(grid.IsCellSelected(1, 0));
    EXPECT_FALSE(grid.IsCellSelected(3, 0));
    grid.SetSelectedRange(5, 0, 5, 4);
    EXPECT_FALSE(grid.IsCellSelected(1, 0));
}

// The preselection shows, with the keyboard on its first row.
TEST(GridCtrl, ThePreselectionShowsAndTheMouseSelectsRowsWithCtrlAndTheCheckMark)
{
    GridDlg dlg(5);
    dlg.grid.SetSelectedRange(2, 0, 2, 3);
    dlg.grid.SetSelectedRange(4, 0, 4, 3);
    uitest::runModal(dlg, [&](CDialog& d) {
        QTableView* v = dlg.view();
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->model()->headerData(1, Qt::Horizontal).toString(), "H1");
        EXPECT_EQ(v->model()->index(0, 2).data().toString(), "r1c2");
        EXPECT_TRUE(v->selectionModel()->isRowSelected(1, {}));
        EXPECT_TRUE(v->selectionModel()->isRowSelected(3, {}));
        EXPECT_EQ(v->model()->index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
        EXPECT_EQ(v->model()->index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
        EXPECT_EQ(v->currentIndex().row(), 1);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{2, 4}));

        click(v, 0, 2);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{1}));
        click(v, 2, 3, Qt::ControlModifier);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{1, 3}));
        click(v, 1, 1);  // a plain click: this row alone
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{2}));
        click(v, 4, 0);  // the check mark adds its row
        click(v, 0, 0);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{1, 2, 5}));
        click(v, 4, 0);  // and takes it away again
        d.EndDialog(IDOK);
    });
    EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{1, 2}));
}

TEST(GridCtrl, TheKeyboardMovesExtendsAndTogglesTheSelection)
{
    GridDlg dlg(6);
    dlg.grid.SetSelectedRange(1, 0, 1, 3);
    uitest::runModal(dlg, [&](CDialog& d) {
        QTableView* v = dlg.view();
        key(v, Qt::Key_Down);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{2}));
        key(v, Qt::Key_Down, Qt::ShiftModifier);
        key(v, Qt::Key_Down, Qt::ShiftModifier);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{2, 3, 4}));
        key(v, Qt::Key_Down, Qt::ControlModifier);  // moves, selects nothing
        key(v, Qt::Key_Down, Qt::ControlModifier);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{2, 3, 4}));
        key(v, Qt::Key_Space, Qt::NoModifier, " ");  // row 6 joins
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{2, 3, 4, 6}));
        key(v, Qt::Key_Up, Qt::ControlModifier);
        key(v, Qt::Key_Up, Qt::ControlModifier);
        key(v, Qt::Key_Space, Qt::NoModifier, " ");  // row 4 leaves
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{2, 3, 6}));
        key(v, Qt::Key_A, Qt::ControlModifier, "a");
        EXPECT_EQ(dlg.selectedRows().size(), 6u);
        key(v, Qt::Key_Home);
        EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{1}));
        key(v, Qt::Key_Return);  // Enter is the dialog's: OK
    });
    EXPECT_EQ(dlg.m_nModalResult, IDOK);
    EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{1}));
}

TEST(GridCtrl, EditingByKeyboardAndMouseNeverOnEnter)
{
    GridDlg dlg(3, false, true);
    uitest::runModal(dlg, [&](CDialog& d) {
        QTableView* v = dlg.view();
        // The focus puts the keyboard on the first row's first text, selecting nothing.
        EXPECT_EQ(v->currentIndex(), v->model()->index(0, 1));
        EXPECT_TRUE(dlg.selectedRows().empty());
        key(v, Qt::Key_F2);
        EXPECT_EQ(editor(v), nullptr) << "a read-only cell was opened";
        key(v, Qt::Key_Right);
        key(v, Qt::Key_F2);
        ASSERT_NE(editor(v), nullptr);
        editor(v)->selectAll();
        key(v, Qt::Key_X, Qt::NoModifier, "x");
        key(v, Qt::Key_Return);  // ends the edit, the dialog stays

        EXPECT_EQ(dlg.grid.GetItemText(1, 2), CString(L"x"));
        EXPECT_TRUE(d.IsRunningModal());

        // Typing edits the current cell at once; Escape drops the edit and keeps the dialog.
        key(v, Qt::Key_Down);
        key(v, Qt::Key_Q, Qt::NoModifier, "q");
        ASSERT_NE(editor(v), nullptr);
        key(v, Qt::Key_Escape);
        EXPECT_EQ(dlg.grid.GetItemText(2, 2), CString(L"r2c2"));
        EXPECT_TRUE(d.IsRunningModal());

        // A double click edits the cell under the mouse.
        click(v, 2, 3, Qt::NoModifier, true);
        ASSERT_NE(editor(v), nullptr);
        editor(v)->setText("neu");
        key(v, Qt::Key_Enter);
        EXPECT_EQ(dlg.grid.GetItemText(3, 3), CString(L"neu"));

        key(v, Qt::Key_Return);  // no editor open: the dialog's OK
    });
    EXPECT_EQ(dlg.m_nModalResult, IDOK);
    EXPECT_EQ(dlg.selectedRows(), (std::vector<int>{3}));
}

TEST(GridCtrl, AHiddenColumnStaysHiddenAndIsSkippedByTheKeyboard)
{
    GridDlg dlg(2, true, true);
    dlg.grid.SetColumnWidth(2, 0);
    uitest::runModal(dlg, [&](CDialog& d) {
        QTableView* v = dlg.view();
        EXPECT_TRUE(v->isColumnHidden(2));
        EXPECT_EQ(dlg.grid.GetColumnWidth(2), 0);  // after auto-sizing too
        EXPECT_GT(dlg.grid.GetColumnWidth(3), 0);
        key(v, Qt::Key_Down);
        key(v, Qt::Key_Right);
        EXPECT_EQ(v->currentIndex().column(), 3);
        d.EndDialog(IDOK);
    });
}

TEST(GridCtrl, AWiderGridGivesTheRoomToItsLastColumn)
{
    GridDlg dlg(2);
    uitest::runModal(dlg, [&](CDialog& d) {
        QTableView* v = dlg.view();
        const int first = dlg.grid.GetColumnWidth(1), last = dlg.grid.GetColumnWidth(3);
        CRect r;
        dlg.grid.GetWindowRect(&r);
        dlg.grid.SetWindowPos(nullptr, 0, 0, r.Width() + 120, r.Height(), SWP_NOMOVE | SWP_NOZORDER);
        QCoreApplication::processEvents();
        EXPECT_EQ(dlg.grid.GetColumnWidth(1), first);
        EXPECT_GE(dlg.grid.GetColumnWidth(3), last + 120);
        EXPECT_EQ(v->horizontalHeader()->length(), v->viewport()->width());
        d.EndDialog(IDOK);
    });
}

}  // namespace
