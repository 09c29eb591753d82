// The grid control's model over its cells, the delegate that draws them and the table view
// that shows them.
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

// ---- the grid's state ----------------------------------------------------------------------------

namespace korgui {

QColor toQColor(COLORREF c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

}  // namespace korgui

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
    // Room the columns leave as the window grows goes to the last one, as a user expects.
    horizontalHeader()->setStretchLastSection(true);
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
