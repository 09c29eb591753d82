// acui.h — AutoCAD's line-weight combo box.
//
// Stands in for: CAcUiLineWeightComboBox and its base CAcUiMRUComboBox of AutoCAD's UI
// library. Bound to a template combo box with DDX_Control, it becomes a drop-down list of
// line weights, each entry a line drawn in its weight beside its text.
// [X] the standard line weights in hundredths of a millimetre, shown as "0.25 mm"
// [X] "VonLayer" (-1), "VonBlock" (-2) and "Vorgabe" (-3) where switched on, in that order
//     before the weights
// [X] GetCurrentItemLineWeight, GetItemLineWeight, FindItemByLineWeight
// [ ] the recently-used part of the MRU combo (no entries are remembered between uses)
#pragma once

#include "mfc/afxwin.h"

#include <vector>

// Line-weight values besides the weights themselves.
#define ACUI_LNWT_BYLAYER (-1)
#define ACUI_LNWT_BYBLOCK (-2)
#define ACUI_LNWT_DEFAULT (-3)

// A combo box whose entries carry a value; the base of AutoCAD's value combos.
class CAcUiMRUComboBox : public CComboBox {};

class CAcUiLineWeightComboBox : public CAcUiMRUComboBox {
public:
    // The weights a drawing knows, in hundredths of a millimetre, ascending.
    static const std::vector<int>& StandardLineWeights();

    // Which of the special entries AddItems puts before the weights.
    void SetUseByLayer(BOOL bUse);
    void SetUseByBlock(BOOL bUse);
    void SetUseDefault(BOOL bUse);
    BOOL GetUseByLayer() const { return m_byLayer; }
    BOOL GetUseByBlock() const { return m_byBlock; }
    BOOL GetUseDefault() const { return m_default; }

    // Fills the box anew: the special entries switched on, then every standard weight. The
    // box becomes a drop-down list (no typing) showing each weight as a line. False when the
    // control is not bound to a window.
    BOOL AddItems();

    // The value of the selected entry; ACUI_LNWT_DEFAULT when no entry is selected.
    int GetCurrentItemLineWeight() const;
    // The value of entry nIndex; ACUI_LNWT_DEFAULT outside the list.
    int GetItemLineWeight(int nIndex) const;
    // The entry showing this value, or CB_ERR.
    int FindItemByLineWeight(int lineWeight) const;

    // The text of a value: "0.25 mm", "Vorgabe", "VonLayer", "VonBlock".
    static CString LineWeightText(int lineWeight);

private:
    BOOL m_byLayer = TRUE, m_byBlock = TRUE, m_default = FALSE;
};
