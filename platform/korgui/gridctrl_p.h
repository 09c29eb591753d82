// gridctrl_p.h — the grid control's state, shared by the control (gridctrl.cpp) and its
// model and view (gridview.cpp).
#pragma once

#include "korgui/gridview_p.h"

#include <QPointer>

#include <memory>
#include <vector>

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

    korgui::GridModel model;
    QPointer<korgui::GridView> view;

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

    korgui::GridView* bound();
    void bind(korgui::GridView* v);
    void applyLook();
    void applyWidths();
    void applySelectionMode();
    void pushSelection();
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void setRowSelected(int r, bool on);
    void autoSize(UINT style);
};
