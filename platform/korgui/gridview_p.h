// gridview_p.h — inside the grid control: the model over its cells and the view that shows
// them. For korgui itself and its tests; modules see only korgui.h.
#pragma once

#include "korgui/korgui.h"

#include <QAbstractTableModel>
#include <QTableView>

namespace korgui {

// Set (true) for a cell that draws a dash pattern; the lengths are the cell's own.
constexpr int kPatternRole = Qt::UserRole + 1;

QColor toQColor(COLORREF c);

// The grid's data rows (fixed rows are the header) and columns, straight from its cells.
class GridModel : public QAbstractTableModel {
public:
    explicit GridModel(CKORGuiExtGridCtrl::Impl* d);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The grid changes its counts through these.
    void beginRows(bool insert, int first, int last);
    void endRows(bool insert) { insert ? endInsertRows() : endRemoveRows(); }
    void beginColumns(bool insert, int first, int last);
    void endColumns(bool insert) { insert ? endInsertColumns() : endRemoveColumns(); }
    void beginReset() { beginResetModel(); }
    void endReset() { endResetModel(); }

private:
    CKORGuiExtGridCtrl::Impl* d;
};

// The grid's window: a table view whose keys and clicks follow the grid's rules.
class GridView : public QTableView {
public:
    explicit GridView(QWidget* parent);
    void attach(CKORGuiExtGridCtrl::Impl* d);
    void keyboardSearch(const QString& search) override;
    // The width the texts of a column need (at most the header's precision of rows measured).
    int dataWidth(int column) const { return sizeHintForColumn(column); }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event = nullptr) const override;
    bool viewportEvent(QEvent* e) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    bool multiple() const;
    // The first column a person reads: not hidden and no selection mark; 0 when none.
    int firstTextColumn() const;
    CKORGuiExtGridCtrl::Impl* m_d = nullptr;
};

}  // namespace korgui
