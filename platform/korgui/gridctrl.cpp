// The grid control: cells kept by the C++ object, shown by a QTableView through a model
// (the model and the view are in gridview.cpp).
#include "korgui/korgui.h"
#include "korgui/gridctrl_p.h"

#include "mfc/afxqt_p.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QToolTip>

#include <algorithm>
#include <cstdio>

using korgui::GridModel;
using korgui::GridView;

// ---- cells -----------------------------------------------------------------------------------

CKORGuiExtGridCellBase::~CKORGuiExtGridCellBase() = default;

void CKORGuiExtGridCellBase::CopyFrom(const CKORGuiExtGridCellBase& other)
{
    SetText(other.GetText());
    SetState(other.GetState());
}

IMPLEMENT_DYNAMIC(CKORGuiExtGridCellBase, CObject)
IMPLEMENT_DYNCREATE(CKORGuiExtGridCell, CKORGuiExtGridCellBase)
IMPLEMENT_DYNCREATE(CGridCellCheckIfSel, CKORGuiExtGridCell)
IMPLEMENT_DYNCREATE(CKORGuiExtGridCellPattern, CKORGuiExtGridCell)

void CKORGuiExtGridCellPattern::SetPattern(const std::vector<double>& lengths)
{
    m_pattern = lengths;
}

// ---- binding the window ------------------------------------------------------------------------

GridView* CKORGuiExtGridCtrl::Impl::bound()
{
    QWidget* w = owner->m_hWnd ? afxqt::liveWidget(owner->m_hWnd) : nullptr;
    auto* v = dynamic_cast<GridView*>(w);
    if (v != view.data()) {
        view = nullptr;
        if (v)
            bind(v);
    }
    return view.data();
}

void CKORGuiExtGridCtrl::Impl::bind(GridView* v)
{
    view = v;
    v->attach(this);
    v->setModel(&model);
    // The grid is reachable with Tab, whatever its template says: a person must get to it
    // without the mouse.
    if (afxqt::WindowInfo* info = afxqt::windowInfo(v))
        info->style |= WS_TABSTOP;
    v->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(v->selectionModel(), &QItemSelectionModel::selectionChanged, v,
                     [this](const QItemSelection& s, const QItemSelection& ds) { selectionChanged(s, ds); });
    QObject::connect(v->selectionModel(), &QItemSelectionModel::currentChanged, v,
                     [this](const QModelIndex& current, const QModelIndex&) {
                         focusRow = current.isValid() ? current.row() + fixedRows : -1;
                         focusCol = current.isValid() ? current.column() : -1;
                     });
    applySelectionMode();
    applyLook();
    applyWidths();
    pushSelection();
    if (autoSizePending) {
        autoSizePending = false;
        autoSize(pendingAutoSizeStyle);
    }
}

void CKORGuiExtGridCtrl::Impl::applySelectionMode()
{
    if (!view)
        return;
    view->setSelectionBehavior(listMode ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    view->setSelectionMode(singleSel ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(editable ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                         QAbstractItemView::AnyKeyPressed
                                   : QAbstractItemView::NoEditTriggers);
}

void CKORGuiExtGridCtrl::Impl::applyLook()
{
    if (!view)
        return;
    view->horizontalHeader()->setVisible(fixedRows > 0);
    view->horizontalHeader()->setHighlightSections(trackFocus);
    QPalette pal = view->palette();
    if (hasGridBk)
        pal.setColor(QPalette::Base, korgui::toQColor(gridBk));
    if (hasText)
        pal.setColor(QPalette::Text, korgui::toQColor(text));
    view->setPalette(pal);
    view->viewport()->update();
    view->horizontalHeader()->viewport()->update();
}

void CKORGuiExtGridCtrl::Impl::applyWidths()
{
    if (!view)
        return;
    for (int c = 0; c < cols; ++c) {
        int w = c < static_cast<int>(widths.size()) ? widths[c] : -1;
        view->setColumnHidden(c, w == 0);
        if (w > 0)
            view->horizontalHeader()->resizeSection(c, w);
    }
}

void CKORGuiExtGridCtrl::Impl::setRowSelected(int r, bool on)
{
    if (r < fixedRows || r >= rows || (rowSelected[r] != 0) == on)
        return;
    rowSelected[r] = on;
    for (int c = 0; c < cols; ++c)
        if (const CKORGuiExtGridCellBase* cl = cell(r, c); cl && cl->ShowsRowSelection()) {
            QModelIndex i = index(r, c);
            emit model.dataChanged(i, i, {Qt::CheckStateRole});
        }
}

void CKORGuiExtGridCtrl::Impl::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected)
{
    auto apply = [this](const QItemSelection& sel, bool on) {
        for (const QItemSelectionRange& range : sel) {
            for (int row = range.top(); row <= range.bottom(); ++row) {
                const int r = row + fixedRows;
                if (listMode) {
                    setRowSelected(r, on);
                    continue;
                }
                for (int c = range.left(); c <= range.right(); ++c) {
                    CKORGuiExtGridCellBase* cl = makeCell(r, c);
                    cl->SetState(on ? cl->GetState() | GVIS_SELECTED : cl->GetState() & ~GVIS_SELECTED);
                }
                bool any = false;
                for (int c = 0; c < cols && !any; ++c)
                    any = cell(r, c) && (cell(r, c)->GetState() & GVIS_SELECTED);
                setRowSelected(r, any);
            }
        }
    };
    apply(deselected, false);
    apply(selected, true);
}

// Hands the selection kept here to the window's selection model (one range per run of rows).
void CKORGuiExtGridCtrl::Impl::pushSelection()
{
    if (!view || !view->selectionModel() || cols == 0)
        return;
    QItemSelection sel;
    QModelIndex first;
    for (int r = fixedRows; r < rows; ++r) {
        if (listMode) {
            if (!rowSelected[r])
                continue;
            int end = r;
            while (end + 1 < rows && rowSelected[end + 1])
                ++end;
            sel.select(index(r, 0), index(end, cols - 1));
            if (!first.isValid())
                first = index(r, 0);
            r = end;
        } else {
            for (int c = 0; c < cols; ++c)
                if (cell(r, c) && (cell(r, c)->GetState() & GVIS_SELECTED)) {
                    sel.select(index(r, c), index(r, c));
                    if (!first.isValid())
                        first = index(r, c);
                }
        }
    }
    view->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    // The keyboard starts at the focus cell, else at the first selected row, in its first
    // column with a text.
    QModelIndex current = valid(focusRow, focusCol) && focusRow >= fixedRows ? index(focusRow, focusCol) : first;
    if (current.isValid()) {
        int c = current.column();
        while (c + 1 < cols && (view->isColumnHidden(c) || (cell(current.row() + fixedRows, c) &&
                                                            cell(current.row() + fixedRows, c)->ShowsRowSelection())))
            ++c;
        current = model.index(current.row(), c);
        view->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        view->scrollTo(current);
    }
}

void CKORGuiExtGridCtrl::Impl::autoSize(UINT style)
{
    if (!view) {
        autoSizePending = true;
        pendingAutoSizeStyle = style;
        return;
    }
    if (style == GVS_DEFAULT)
        style = GVS_BOTH;
    QHeaderView* header = view->horizontalHeader();
    header->setResizeContentsPrecision(1000);
    for (int c = 0; c < cols; ++c) {
        if (view->isColumnHidden(c))
            continue;  // a hidden column stays hidden
        int w = 0;
        if ((style & GVS_HEADER) && fixedRows > 0)
            w = std::max(w, header->sectionSizeHint(c));
        if (style & GVS_DATA)
            w = std::max(w, view->dataWidth(c));
        if (w > 0) {
            header->resizeSection(c, w);
            if (c < static_cast<int>(widths.size()) && widths[c] > 0)
                widths[c] = w;
        }
    }
}

// ---- the control ------------------------------------------------------------------------------------

CKORGuiExtGridCtrl::CKORGuiExtGridCtrl(int nRows, int nCols, int nFixedRows, int nFixedCols)
    : m_impl(std::make_unique<Impl>(this))
{
    SetColumnCount(nCols);
    SetRowCount(nRows);
    SetFixedRowCount(nFixedRows);
    SetFixedColumnCount(nFixedCols);
}

CKORGuiExtGridCtrl::~CKORGuiExtGridCtrl()
{
    // The window may outlive this object for a moment: it must not show a model that goes.
    if (m_impl->view)
        m_impl->view->setModel(nullptr);
}

CKORGuiExtGridCtrl::Impl* CKORGuiExtGridCtrl::impl() const
{
    m_impl->bound();
    return m_impl.get();
}

BOOL CKORGuiExtGridCtrl::SetRowCount(int nRows)
{
    Impl* d = impl();
    if (nRows < 0 || nRows < d->fixedRows)
        return FALSE;
    if (nRows == d->rows)
        return TRUE;
    const bool grow = nRows > d->rows;
    // Model rows start after the fixed rows.
    int first = (grow ? d->rows : nRows) - d->fixedRows, last = (grow ? nRows : d->rows) - d->fixedRows - 1;
    d->model.beginRows(grow, first, last);
    d->cells.resize(nRows);
    for (int r = d->rows; r < nRows; ++r)
        d->cells[r].resize(d->cols);
    d->rowSelected.resize(nRows, 0);
    d->rows = nRows;
    d->model.endRows(grow);
    return TRUE;
}

BOOL CKORGuiExtGridCtrl::SetColumnCount(int nCols)
{
    Impl* d = impl();
    if (nCols < 0 || nCols < d->fixedCols)
        return FALSE;
    if (nCols == d->cols)
        return TRUE;
    const bool grow = nCols > d->cols;
    d->model.beginColumns(grow, grow ? d->cols : nCols, (grow ? nCols : d->cols) - 1);
    for (auto& row : d->cells)
        row.resize(nCols);
    d->widths.resize(nCols, -1);
    d->cols = nCols;
    d->model.endColumns(grow);
    d->applyWidths();
    return TRUE;
}

BOOL CKORGuiExtGridCtrl::SetFixedRowCount(int nFixedRows)
{
    Impl* d = impl();
    if (nFixedRows < 0 || nFixedRows > 1)
        return FALSE;  // one header row at most
    if (nFixedRows == d->fixedRows)
        return TRUE;
    if (d->rows < nFixedRows)
        SetRowCount(nFixedRows);
    d->model.beginReset();
    d->fixedRows = nFixedRows;
    for (int r = 0; r < nFixedRows; ++r)
        d->rowSelected[r] = 0;
    d->model.endReset();
    d->applyLook();
    d->pushSelection();
    return TRUE;
}

BOOL CKORGuiExtGridCtrl::SetFixedColumnCount(int nFixedCols) { return nFixedCols == 0 ? TRUE : FALSE; }

int CKORGuiExtGridCtrl::GetRowCount() const { return impl()->rows; }
int CKORGuiExtGridCtrl::GetColumnCount() const { return impl()->cols; }
int CKORGuiExtGridCtrl::GetFixedRowCount() const { return impl()->fixedRows; }
int CKORGuiExtGridCtrl::GetFixedColumnCount() const { return impl()->fixedCols; }

CKORGuiExtGridCellBase* CKORGuiExtGridCtrl::GetCell(int nRow, int nCol) { return impl()->makeCell(nRow, nCol); }

const CKORGuiExtGridCellBase* CKORGuiExtGridCtrl::GetCell(int nRow, int nCol) const
{
    return impl()->makeCell(nRow, nCol);
}

BOOL CKORGuiExtGridCtrl::SetCellType(int nRow, int nCol, CRuntimeClass* pRuntimeClass)
{
    Impl* d = impl();
    if (!d->valid(nRow, nCol) || !pRuntimeClass)
        return FALSE;
    if (!pRuntimeClass->IsDerivedFrom(RUNTIME_CLASS(CKORGuiExtGridCellBase)) || !pRuntimeClass->m_pfnCreateObject) {
        std::fprintf(stderr, "SetCellType: %s is no cell class that can be created\n",
                     pRuntimeClass->m_lpszClassName ? pRuntimeClass->m_lpszClassName : "?");
        return FALSE;
    }
    std::unique_ptr<CObject> made(pRuntimeClass->CreateObject());
    std::unique_ptr<CKORGuiExtGridCellBase> fresh(dynamic_cast<CKORGuiExtGridCellBase*>(made.get()));
    if (!fresh)
        return FALSE;
    made.release();
    if (const CKORGuiExtGridCellBase* old = d->cell(nRow, nCol))
        fresh->CopyFrom(*old);
    d->cells[nRow][nCol] = std::move(fresh);
    if (nRow >= d->fixedRows) {
        QModelIndex i = d->index(nRow, nCol);
        emit d->model.dataChanged(i, i);
    }
    return TRUE;
}

BOOL CKORGuiExtGridCtrl::SetItemText(int nRow, int nCol, LPCTSTR text)
{
    Impl* d = impl();
    CKORGuiExtGridCellBase* cell = d->makeCell(nRow, nCol);
    if (!cell)
        return FALSE;
    cell->SetText(text);
    if (nRow < d->fixedRows)
        emit d->model.headerDataChanged(Qt::Horizontal, nCol, nCol);
    else
        emit d->model.dataChanged(d->index(nRow, nCol), d->index(nRow, nCol));
    return TRUE;
}

CString CKORGuiExtGridCtrl::GetItemText(int nRow, int nCol) const
{
    const CKORGuiExtGridCellBase* cell = impl()->cell(nRow, nCol);
    return cell ? CString(cell->GetText()) : CString();
}

BOOL CKORGuiExtGridCtrl::SetItemState(int nRow, int nCol, UINT state)
{
    Impl* d = impl();
    CKORGuiExtGridCellBase* cell = d->makeCell(nRow, nCol);
    if (!cell)
        return FALSE;
    // Selected and fixed follow the selection and the fixed rows; a caller cannot set them.
    cell->SetState((state & ~(GVIS_SELECTED | GVIS_FIXED)) | (cell->GetState() & GVIS_SELECTED));
    return TRUE;
}

UINT CKORGuiExtGridCtrl::GetItemState(int nRow, int nCol) const
{
    const Impl* d = impl();
    const CKORGuiExtGridCellBase* cell = d->cell(nRow, nCol);
    UINT state = cell ? cell->GetState() : 0;
    if (d->valid(nRow, nCol) && nRow < d->fixedRows)
        state |= GVIS_FIXED;
    if (IsCellSelected(nRow, nCol))
        state |= GVIS_SELECTED;
    return state;
}

void CKORGuiExtGridCtrl::SetListMode(BOOL bEnableListMode)
{
    Impl* d = impl();
    d->listMode = bEnableListMode != FALSE;
    d->applySelectionMode();
}

BOOL CKORGuiExtGridCtrl::GetListMode() const { return impl()->listMode; }

void CKORGuiExtGridCtrl::SetSingleRowSelection(BOOL bSing)
{
    Impl* d = impl();
    d->singleSel = bSing != FALSE;
    if (d->singleSel) {
        // Keep only the first selected row.
        bool seen = false;
        for (int r = d->fixedRows; r < d->rows; ++r)
            if (d->rowSelected[r]) {
                if (seen)
                    d->setRowSelected(r, false);
                seen = true;
            }
    }
    d->applySelectionMode();
    d->pushSelection();
}

BOOL CKORGuiExtGridCtrl::GetSingleRowSelection() const { return impl()->singleSel; }

BOOL CKORGuiExtGridCtrl::SetSelectedRange(int nMinRow, int nMinCol, int nMaxRow, int nMaxCol, BOOL, BOOL)
{
    Impl* d = impl();
    if (nMinRow > nMaxRow || nMinCol > nMaxCol || !d->valid(nMinRow, nMinCol) || !d->valid(nMaxRow, nMaxCol))
        return FALSE;
    nMinRow = std::max(nMinRow, d->fixedRows);
    if (nMinRow > nMaxRow)
        return FALSE;  // only fixed rows
    if (d->singleSel) {
        ClearSelection();
        nMaxRow = nMinRow;
    }
    if (d->view) {
        QItemSelection sel(d->index(nMinRow, d->listMode ? 0 : nMinCol),
                           d->index(nMaxRow, d->listMode ? d->cols - 1 : nMaxCol));
        d->view->selectionModel()->select(sel, QItemSelectionModel::Select);
        QModelIndex current = d->view->currentIndex();
        if (!current.isValid()) {
            d->focusRow = nMinRow;
            d->focusCol = nMinCol;
            d->pushSelection();
        }
        return TRUE;
    }
    for (int r = nMinRow; r <= nMaxRow; ++r) {
        if (d->listMode) {
            d->setRowSelected(r, true);
            continue;
        }
        for (int c = nMinCol; c <= nMaxCol; ++c) {
            CKORGuiExtGridCellBase* cl = d->makeCell(r, c);
            cl->SetState(cl->GetState() | GVIS_SELECTED);
        }
        d->setRowSelected(r, true);
    }
    return TRUE;
}

void CKORGuiExtGridCtrl::ClearSelection()
{
    Impl* d = impl();
    if (d->view) {
        d->view->selectionModel()->clearSelection();
        return;
    }
    for (int r = 0; r < d->rows; ++r) {
        d->setRowSelected(r, false);
        for (int c = 0; c < d->cols; ++c)
            if (CKORGuiExtGridCellBase* cl = d->cell(r, c))
                cl->SetState(cl->GetState() & ~GVIS_SELECTED);
    }
}

BOOL CKORGuiExtGridCtrl::IsCellSelected(int nRow, int nCol) const
{
    const Impl* d = impl();
    if (!d->valid(nRow, nCol) || nRow < d->fixedRows)
        return FALSE;
    if (d->listMode)
        return d->rowSelected[nRow] != 0;
    const CKORGuiExtGridCellBase* cl = d->cell(nRow, nCol);
    return cl && (cl->GetState() & GVIS_SELECTED);
}

void CKORGuiExtGridCtrl::SetFocusCell(int nRow, int nCol)
{
    Impl* d = impl();
    if (!d->valid(nRow, nCol) || nRow < d->fixedRows)
        return;
    d->focusRow = nRow;
    d->focusCol = nCol;
    if (d->view)
        d->view->selectionModel()->setCurrentIndex(d->index(nRow, nCol), QItemSelectionModel::NoUpdate);
}

void CKORGuiExtGridCtrl::GetFocusCell(int& nRow, int& nCol) const
{
    const Impl* d = impl();
    nRow = d->focusRow;
    nCol = d->focusCol;
}

void CKORGuiExtGridCtrl::SetEditable(BOOL bEditable)
{
    Impl* d = impl();
    d->editable = bEditable != FALSE;
    d->applySelectionMode();
}

BOOL CKORGuiExtGridCtrl::IsEditable() const { return impl()->editable; }

BOOL CKORGuiExtGridCtrl::SetColumnWidth(int nCol, int width)
{
    Impl* d = impl();
    if (nCol < 0 || nCol >= d->cols || width < 0)
        return FALSE;
    d->widths[nCol] = width;
    d->applyWidths();
    return TRUE;
}

int CKORGuiExtGridCtrl::GetColumnWidth(int nCol) const
{
    const Impl* d = impl();
    if (nCol < 0 || nCol >= d->cols)
        return 0;
    if (d->view)
        return d->view->isColumnHidden(nCol) ? 0 : d->view->horizontalHeader()->sectionSize(nCol);
    return d->widths[nCol];
}

void CKORGuiExtGridCtrl::SetGridLines(int nWhichLines)
{
    Impl* d = impl();
    d->gridLines = nWhichLines & GVL_BOTH;
    if (d->view)
        d->view->viewport()->update();
}

int CKORGuiExtGridCtrl::GetGridLines() const { return impl()->gridLines; }
void CKORGuiExtGridCtrl::SetAutoSizeStyle(UINT nStyle) { impl()->autoSizeStyle = nStyle; }
UINT CKORGuiExtGridCtrl::GetAutoSizeStyle() const { return impl()->autoSizeStyle; }
void CKORGuiExtGridCtrl::AutoSizeColumns(UINT nAutoSizeStyle) { impl()->autoSize(nAutoSizeStyle); }

void CKORGuiExtGridCtrl::SetTextColor(COLORREF clr)
{
    Impl* d = impl();
    d->hasText = true;
    d->text = clr;
    d->applyLook();
}
COLORREF CKORGuiExtGridCtrl::GetTextColor() const { return impl()->text; }

void CKORGuiExtGridCtrl::SetTextBkColor(COLORREF clr)
{
    Impl* d = impl();
    d->hasTextBk = true;
    d->textBk = clr;
    d->applyLook();
}
COLORREF CKORGuiExtGridCtrl::GetTextBkColor() const { return impl()->textBk; }

void CKORGuiExtGridCtrl::SetGridBkColor(COLORREF clr)
{
    Impl* d = impl();
    d->hasGridBk = true;
    d->gridBk = clr;
    d->applyLook();
}
COLORREF CKORGuiExtGridCtrl::GetGridBkColor() const { return impl()->gridBk; }

void CKORGuiExtGridCtrl::SetFixedBkColor(COLORREF clr)
{
    Impl* d = impl();
    d->hasFixedBk = true;
    d->fixedBk = clr;
    d->applyLook();
}
COLORREF CKORGuiExtGridCtrl::GetFixedBkColor() const { return impl()->fixedBk; }

void CKORGuiExtGridCtrl::EnableTitleTips(BOOL bEnable) { impl()->titleTips = bEnable != FALSE; }
BOOL CKORGuiExtGridCtrl::GetTitleTips() const { return impl()->titleTips; }

void CKORGuiExtGridCtrl::SetTrackFocusCell(BOOL bTrack)
{
    Impl* d = impl();
    d->trackFocus = bTrack != FALSE;
    d->applyLook();
}
BOOL CKORGuiExtGridCtrl::GetTrackFocusCell() const { return impl()->trackFocus; }

void CKORGuiExtGridCtrl::Refresh()
{
    if (GridView* v = impl()->view) {
        v->viewport()->update();
        v->horizontalHeader()->viewport()->update();
    }
}

// ---- the window class of templates ---------------------------------------------------------------

namespace {

struct RegisterGridClass {
    RegisterGridClass()
    {
        afxqt::registerControlClass(L"MFCGridCtrl", [](QWidget* parent, const AfxControlTemplate&) -> QWidget* {
            return new GridView(parent);
        });
    }
} registerGridClass;

}  // namespace

