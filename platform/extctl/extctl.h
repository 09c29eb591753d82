// extctl.h — the suite's extended controls: the resizable dialog base and its buttons, edits
// and combo boxes.
//
// Stands in for: the extended-controls library the dialogs are built on.
// [X] CExtResizableDialog: modal dialogs from a template with a parent; percentage anchors
//     (AddAnchor); a size grip that can be hidden (ShowSizeGrip); window positions saved on
//     close and restored on the next opening (EnableSaveRestore); OnOK with data exchange,
//     OnCancel without
// [X] CExtButton with an icon beside its text (SetIcon); CExtEdit; CExtComboBox
// [X] the colour control and the colour-space conversions: extctl/extcolor.h
// [ ] themes and the paint manager's drawing services, control bars
//
// A dialog can be resized by the user when its template has WS_THICKFRAME or its size grip
// is shown (the default, until ShowSizeGrip(false)); it cannot be made smaller than it was
// when it first showed.
//
// Saved positions live in $XDG_CONFIG_HOME/kor/windowpositions.ini (~/.config when the
// variable is unset): one INI group per section, one key per entry, the value
// "x y width height": the window's screen position and its client size.
#pragma once

#include "mfc/afxwin.h"

#include <vector>

class CExtResizableDialog : public CDialog {
    DECLARE_DYNAMIC(CExtResizableDialog)

public:
    explicit CExtResizableDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CExtResizableDialog() override;

    // Anchors control nID: its top-left corner keeps its distance to the point `topLeft`
    // and its bottom-right corner to `bottomRight`, both in percent of the client area
    // ((0, 0) top-left ... (100, 100) bottom-right). With bottomRight (-1, -1) the control
    // keeps its size and only moves with topLeft. Call once the controls exist (in
    // OnInitDialog after the base's); false when there is no such control.
    BOOL AddAnchor(UINT nID, const CSize& topLeft, const CSize& bottomRight = CSize(-1, -1));

    // Shows or hides the size grip in the bottom-right corner. Without the grip the dialog
    // is resizable only when its template has WS_THICKFRAME.
    void ShowSizeGrip(bool bShow = true);

    // Restores the window position saved under section/entry now and saves it when the
    // dialog closes. Call in OnInitDialog, after ShowSizeGrip.
    //  bPositionOnly   false: a resizable dialog gets its saved size back too;
    //                  true:  only the position is restored; the size stays as the dialog
    //                         made it.
    //  bSaveOnlyOnOK   false: the position is saved however the dialog closes;
    //                  true:  only when it ends with IDOK (a cancelled dialog forgets
    //                         where it was moved to).
    // A saved position that lies off every screen (a monitor was removed) or is beyond any
    // screen at all (a damaged file: numbers past a million pixels) is brought back onto the
    // nearest screen; a saved size that is no size (not positive, or past 32768 pixels) is
    // ignored, one larger than the largest screen is cut to it. A restored position is kept; otherwise the dialog is centred on its parent
    // at its final size. False when the section or entry is empty.
    bool EnableSaveRestore(LPCTSTR pszSection, LPCTSTR pszEntry, bool bPositionOnly = false,
                           bool bSaveOnlyOnOK = false);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnSize(UINT nType, int cx, int cy) override;
    void OnDestroy() override;
    void OnShowWindow(BOOL bShow, UINT nStatus) override;

    DECLARE_MESSAGE_MAP()

private:
    struct Anchor {
        UINT id;
        CSize topLeft, bottomRight;
        CRect initial;      // the control's rectangle when anchored (client coordinates)
        CSize initialClient;  // the client area's size then
    };
    void applyResizable();
    void restorePosition();
    void savePosition();

    std::vector<Anchor> m_anchors;
    bool m_sizeGrip = true;
    bool m_saveRestore = false;
    bool m_positionOnly = false;
    bool m_saveOnlyOnOK = false;
    bool m_broughtBack = false;  // the saved position was off every screen
    CString m_section, m_entry;
};

// A push button that can show an icon beside its text.
class CExtButton : public CButton {
public:
    // hIconIn: the icon shown; hIconOut: if given, the icon shown while the button has the
    // keyboard focus. Null for hIconIn removes the icon. The button does not own the icons.
    void SetIcon(HICON hIconIn, HICON hIconOut = nullptr);
};

class CExtEdit : public CEdit {};

class CExtComboBox : public CComboBox {};
