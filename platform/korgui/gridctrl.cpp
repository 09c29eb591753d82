// The grid control: cells kept by the C++ object, shown by a QTableView through a model.
#include "korgui/korgui.h"
#include "korgui/gridview_p.h"

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

// ---- the grid's state ----------------------------------------------------------------------------

namespace korgui {

QColor toQColor(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace korgui

using korgui::GridModel;
using korgui::GridView;

struct CKORGuiExtGridCtrl::Impl {
    explicit Impl(CKORGuiExtGridCtrl* o) : owner(o), model(this) {}

    CKORGuiExtGridCtrl* owner;
    int rows = 0, cols = 0, fixedRows = 0, fixedCols = 0;
    // Cells by grid row and column; null is an empty plain cell not made yet.
    std::vector<std::vector<std::unique_ptr<CKORGuiExtGridCellBase>>> cells;
    std::vector<char> rowSelected;  // per grid row
    std::vector<int> widths;        // per column; -1: as the window makes it
    bool listMode = false, singleSel = false, editable = true;
    bool titleTips = true, trackFocus = true;
    int gridLines = GVL_BOTH;
    UINT autoSizeStyle = GVS_BOTH;
    bool autoSizePending = false;
    UINT pendingAutoSizeStyle = GVS_DEFAULT;
    bool hasText = false, hasTextBk = false, hasGridBk = false, hasFixedBk = false;
    COLORREF text = 0, textBk = 0, gridBk = 0, fixedBk = 0;
    int focusRow = -1, focusCol = -1;  // grid coordinates

    GridModel model;
    QPointer<GridView> view;

    bool valid(int r, int c) const { return r >= 0 && r < rows && c >= 0 && c < cols; }
    CKORGuiExtGridCellBase* cell(int r, int c) const { return valid(r, c) ? cells[r][c].get() : nullptr; }
    CKORGuiExtGridCellBase* makeCell(int r, int c)
    {
        if (!valid(r, c))
            return nullptr;
        auto& slot = cells[r][c];
        if (!slot)
            slot = std::make_unique<CKORGuiExtGridCell>();
        return slot.get();
    }
    QModelIndex index(int r, int c) const { return model.index(r - fixedRows, c); }

    GridView* bound();
    void bind(GridView* v);
    void applyLook();
    void applyWidths();
    void applySelectionMode();
    void pushSelection();
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void setRowSelected(int r, bool on);
    void autoSize(UINT style);
};

// ---- model ----------------------------------------------------------------------------------------

namespace korgui {

GridModel::GridModel(CKORGuiExtGridCtrl::Impl* d) : d(d) {}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : d->rows - d->fixedRows;
}

int GridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : d->cols; }

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int r = index.row() + d->fixedRows, c = index.column();
    const CKORGuiExtGridCellBase* cell = d->cell(r, c);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (!cell || cell->ShowsRowSelection() || cell->DashPattern())
            return {};
        return QString::fromStdWString(CString(cell->GetText()).str());
    case Qt::CheckStateRole:
        if (cell && cell->ShowsRowSelection())
            return d->rowSelected[r] ? Qt::Checked : Qt::Unchecked;
        return {};
    case kPatternRole:
        return cell && cell->DashPattern() ? QVariant(true) : QVariant();
    case Qt::ForegroundRole:
        return d->hasText ? QVariant(toQColor(d->text)) : QVariant();
    case Qt::BackgroundRole:
        return d->hasTextBk ? QVariant(toQColor(d->textBk)) : QVariant();
    case Qt::ToolTipRole:
        if (d->titleTips && cell && !cell->ShowsRowSelection() && !cell->DashPattern())
            return QString::fromStdWString(CString(cell->GetText()).str());
        return {};
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const int r = index.row() + d->fixedRows;
    d->makeCell(r, index.column())->SetText(value.toString().toStdWString().c_str());
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const CKORGuiExtGridCellBase* cell = d->cell(index.row() + d->fixedRows, index.column());
    bool readOnly = cell && ((cell->GetState() & GVIS_READONLY) || cell->ShowsRowSelection() || cell->DashPattern());
    if (d->editable && !readOnly && index.column() >= d->fixedCols)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || d->fixedRows < 1)
        return {};
    if (role == Qt::DisplayRole) {
        const CKORGuiExtGridCellBase* cell = d->cell(0, section);
        return cell ? QString::fromStdWString(CString(cell->GetText()).str()) : QString();
    }
    if (role == Qt::BackgroundRole && d->hasFixedBk)
        return toQColor(d->fixedBk);
    return {};
}

void GridModel::beginRows(bool insert, int first, int last)
{
    if (insert)
        beginInsertRows({}, first, last);
    else
        beginRemoveRows({}, first, last);
}

void GridModel::beginColumns(bool insert, int first, int last)
{
    if (insert)
        beginInsertColumns({}, first, last);
    else
        beginRemoveColumns({}, first, last);
}

// ---- drawing ------------------------------------------------------------------------------------

namespace {

// Draws the cells, their grid lines and dash patterns.
class GridDelegate : public QStyledItemDelegate {
public:
    GridDelegate(GridView* view, CKORGuiExtGridCtrl::Impl* d) : QStyledItemDelegate(view), m_d(d) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(p, option, index);
        if (index.data(kPatternRole).isValid()) {
            const CKORGuiExtGridCellBase* cell = m_d->cell(index.row() + m_d->fixedRows, index.column());
            if (cell && cell->DashPattern())
                paintPattern(p, option, *cell->DashPattern());
        }
        p->save();
        p->setPen(option.palette.color(QPalette::Mid));
        const QRect& r = option.rect;
        if (m_d->gridLines & GVL_HORZ)
            p->drawLine(r.bottomLeft(), r.bottomRight());
        if (m_d->gridLines & GVL_VERT)
            p->drawLine(r.topRight(), r.bottomRight());
        p->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.data(kPatternRole).isValid())
            return QSize(80, option.fontMetrics.height() + 4);
        if (index.data(Qt::CheckStateRole).isValid())
            return QStyledItemDelegate::sizeHint(option, index);
        // A one-line text: its advance plus the margins the style draws it with, measured
        // without laying the text out (auto-sizing measures a thousand rows).
        const QString text = index.data(Qt::DisplayRole).toString();
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        return QSize(option.fontMetrics.horizontalAdvance(text) + 2 * margin + 2, option.fontMetrics.height() + 4);
    }

private:
    // A short line: dashes (positive lengths), gaps (negative) and dots (0), repeated across
    // the cell; one period of the pattern spans at least 24 pixels. No lengths: a solid line.
    static void paintPattern(QPainter* p, const QStyleOptionViewItem& option, const std::vector<double>& pattern)
    {
        const QRect r = option.rect.adjusted(6, 0, -6, 0);
        const qreal y = r.center().y() + 0.5;
        p->save();
        p->setRenderHint(QPainter::Antialiasing, false);
        QColor ink = (option.state & QStyle::State_Selected) ? option.palette.color(QPalette::HighlightedText)
                                                             : option.palette.color(QPalette::Text);
        p->setPen(QPen(ink, 1.5));
        qreal period = 0;
        for (double v : pattern)
            period += std::abs(v);
        if (pattern.empty() || period <= 0) {
            p->drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
            p->restore();
            return;
        }
        const qreal scale = std::max(24.0, r.width() / 3.0) / period;
        qreal x = r.left();
        for (int guard = 0; x < r.right() && guard < 10000; ++guard) {
            for (double v : pattern) {
                if (x >= r.right())
                    break;
                qreal len = std::abs(v) * scale;
                if (v > 0)
                    p->drawLine(QPointF(x, y), QPointF(std::min<qreal>(x + len, r.right()), y));
                else if (v == 0)
                    p->drawPoint(QPointF(x, y));
                x += std::max<qreal>(len, v == 0 ? 2.0 : 0.0);
            }
        }
        p->restore();
    }

    CKORGuiExtGridCtrl::Impl* m_d;
};

}  // namespace

// ---- the window ----------------------------------------------------------------------------------

GridView::GridView(QWidget* parent) : QTableView(parent)
{
    verticalHeader()->hide();
    setTabKeyNavigation(false);  // Tab moves between the dialog's controls
    setWordWrap(false);
    setShowGrid(false);  // the delegate draws the lines the grid-line style asks for
    horizontalHeader()->setHighlightSections(true);
    horizontalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
}

bool GridView::multiple() const { return m_d && !m_d->singleSel; }

void GridView::attach(CKORGuiExtGridCtrl::Impl* d)
{
    m_d = d;
    setItemDelegate(new GridDelegate(this, d));
}

void GridView::keyPressEvent(QKeyEvent* e)
{
    if (state() == EditingState) {
        QTableView::keyPressEvent(e);
        return;
    }
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        e->ignore();  // the dialog's: Enter confirms it, it never opens an editor here
        return;
    }
    if (e->key() == Qt::Key_Space && (mods == Qt::NoModifier || mods == Qt::ControlModifier)) {
        QModelIndex current = currentIndex();
        if (current.isValid() && selectionModel()) {
            QItemSelectionModel::SelectionFlags rows =
                (m_d && m_d->listMode) ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate;
            if (multiple())
                selectionModel()->select(current, QItemSelectionModel::Toggle | rows);
            else
                selectionModel()->select(current, QItemSelectionModel::ClearAndSelect | rows);
        }
        e->accept();
        return;
    }
    QTableView::keyPressEvent(e);
}

QItemSelectionModel::SelectionFlags GridView::selectionCommand(const QModelIndex& index, const QEvent* event) const
{
    // A click on a check mark of several selectable rows toggles its row, as a check box would.
    if (event && event->type() == QEvent::MouseButtonPress && multiple() && index.isValid() &&
        index.data(Qt::CheckStateRole).isValid() &&
        !(static_cast<const QMouseEvent*>(event)->modifiers() & Qt::ShiftModifier))
        return QItemSelectionModel::Toggle | QItemSelectionModel::Rows;
    return QTableView::selectionCommand(index, event);
}

bool GridView::viewportEvent(QEvent* e)
{
    if (e->type() == QEvent::ToolTip) {
        // Only a text its column cuts shows as a tooltip.
        auto* help = static_cast<QHelpEvent*>(e);
        QModelIndex index = indexAt(help->pos());
        QString tip = index.data(Qt::ToolTipRole).toString();
        if (!tip.isEmpty() && fontMetrics().horizontalAdvance(tip) + 8 > visualRect(index).width()) {
            QToolTip::showText(help->globalPos(), afxqt::toolTipText(tip), viewport(), visualRect(index));
        } else {
            QToolTip::hideText();
            e->ignore();
        }
        return true;
    }
    return QTableView::viewportEvent(e);
}

int GridView::firstTextColumn() const
{
    if (!model() || model()->rowCount() == 0)
        return 0;
    for (int c = 0; c < model()->columnCount(); ++c)
        if (!isColumnHidden(c) && !model()->index(0, c).data(Qt::CheckStateRole).isValid())
            return c;
    return 0;
}

QModelIndex GridView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    // The first key in a grid without a current cell lands in the first row's first text.
    if (!currentIndex().isValid() && model() && model()->rowCount() > 0)
        return model()->index(0, firstTextColumn());
    // In a list of rows Home and End go to the first and the last row.
    if (m_d && m_d->listMode && model() && model()->rowCount() > 0 &&
        (cursorAction == MoveHome || cursorAction == MoveEnd))
        return model()->index(cursorAction == MoveHome ? 0 : model()->rowCount() - 1, currentIndex().column());
    return QTableView::moveCursor(cursorAction, modifiers);
}

void GridView::keyboardSearch(const QString& search)
{
    // Typing a name finds the row whose first text starts with it, whatever the current column.
    if (!model() || model()->rowCount() == 0)
        return;
    const int column = firstTextColumn();
    QModelIndex current = currentIndex();
    QModelIndex start = model()->index(current.isValid() ? current.row() : 0, column);
    QModelIndexList hits = model()->match(start, Qt::DisplayRole, search, 1,
                                          Qt::MatchStartsWith | Qt::MatchWrap);
    if (!hits.isEmpty()) {
        QModelIndex hit = model()->index(hits.first().row(), current.isValid() ? current.column() : column);
        setCurrentIndex(hit);
    }
}

}  // namespace korgui

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
