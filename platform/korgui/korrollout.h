// korrollout.h — the common library's rollout dialog base and its switch between the dialog
// and the drawing.
//
// Stands in for: CKORGuiRolloutDlg (with what its bases CKORGuiDialog, CKORObject and
// CKORAdsMDIReactor give a dialog), SwitchToCad and SwitchToMfc of the common library.
// [X] modal dialogs from a template, resizable with saved positions (CExtResizableDialog)
// [X] SetAllLabels: the suite's captions of OK and Cancel
// [X] GetResourceIcon: an icon of a library's resources at a given size, owned by the caller
// [X] the pick switch: SwitchToCad hides the dialog and hands the keyboard to the drawing
//     view while the dialog's code waits for a pick; SwitchToMfc brings the dialog back
// [ ] rollout panels (folding groups), palettes, document reactions of the MDI reactor
#pragma once

#include "extctl/extctl.h"

class CKORGuiRolloutDlg : public CExtResizableDialog {
    DECLARE_DYNAMIC(CKORGuiRolloutDlg)

public:
    explicit CKORGuiRolloutDlg(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CKORGuiRolloutDlg() override;

    INT_PTR DoModal() override;

    // Puts the suite's captions on OK ("OK") and Cancel ("Abbrechen") where the dialog has
    // them; a derived dialog adds its own labels after calling this. Called by the dialog's
    // own OnInitDialog when it wants them (the base does not call it).
    virtual BOOL SetAllLabels();

    // Icon `id` of `instance` at cx x cy pixels, or null when the library has none. The
    // caller owns it and frees it with DestroyIcon.
    static HICON GetResourceIcon(UINT id, int cx, int cy, HINSTANCE instance);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnDestroy() override;

    // Non-zero: code of the dialog that lets the user pick in the drawing calls SwitchToCad
    // before and SwitchToMfc after the pick. Set for every rollout dialog.
    BOOL m_bSwitchForPick = TRUE;
};

// Lets the user work in the drawing while `dialog` waits: the dialog hides (its modal loop
// goes on; the rest of the program takes input again) and the drawing view gets the keyboard.
void SwitchToCad(CWnd* dialog);
// Brings `dialog` back after SwitchToCad; with bActivate it becomes the active window again.
void SwitchToMfc(CWnd* dialog, bool bActivate);
