// The colour dialog: a large colour control in one of fifteen presentations chosen in a
// combo box, nine number fields (red, green, blue; cyan, magenta, yellow; hue, saturation,
// light, each 0 ... 255 with a spin button) and a swatch of the new colour over the one the
// user started from. Every change in a group of fields or in the picker updates the other
// groups and both colour controls at once. After IDOK m_clrCurrent is the chosen colour.
#pragma once

#include "extctl/extcolor.h"
#include "extctl/extctl.h"
#include "mfc/afxcmn.h"
#include "res/resource.h"

class KorColorDlg : public CExtResizableDialog {
public:
    enum { IDD = IDD_KORCOLOR };

    // clrReference: the colour the user starts from (the swatch's lower half);
    // clrCurrent: the colour shown and edited.
    KorColorDlg(COLORREF clrReference, COLORREF clrCurrent, CWnd* pParent = nullptr);
    ~KorColorDlg() override;

    COLORREF m_clrReference;
    COLORREF m_clrCurrent;  // after every update the picker's colour; the result after IDOK
    // Set by the caller before DoModal: the headline. Its last line (the part after the
    // last line break, unless the break is the first character) is the caption; without
    // one the caption is "Farbe auswählen".
    CString m_strTitle;

    CSpinButtonCtrl m_spinCyan, m_spinMagenta, m_spinYellow, m_spinSat, m_spinRed, m_spinLight, m_spinHue,
        m_spinGreen, m_spinBlue;
    CEdit m_editCyan, m_editMagenta, m_editYellow, m_editSat, m_editRed, m_editLight, m_editHue, m_editGreen,
        m_editBlue;
    CExtComboBox m_comboMode;
    CExtButton m_btnCancel, m_btnOK;
    CStatic m_labelSat, m_labelRed, m_labelLight, m_labelHue, m_labelGreen, m_labelBlue, m_labelCyan,
        m_labelMagenta, m_labelYellow, m_labelNew, m_labelCurrent, m_labelModes;

    bool m_bInitialized = false;  // false until the end of OnInitDialog
    bool m_bUpdating = false;     // the window writes into its own fields: ignore their notifications

    HICON m_hIcon = nullptr;  // window icon (shared)
    CExtColorCtrl m_picker;   // takes over IDC_COLOR_PICKER
    CExtColorCtrl m_swatch;   // takes over IDC_COLOR_SWATCH
    HICON m_hOKIcon = nullptr;
    HICON m_hCancelIcon = nullptr;

    // Shows clr in the field groups whose switch is on and in both colour controls, and
    // takes the picker's colour as the current colour.
    void UpdateColor(COLORREF clr, bool bRGB, bool bCMY, bool bHSL);

protected:
    DECLARE_MESSAGE_MAP()
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // After the base has moved the anchored controls, the whole window is drawn anew.
    void OnSize(UINT nType, int cx, int cy) override;

    afx_msg void OnModeChange();
    afx_msg LRESULT OnColorChanged(WPARAM wParam, LPARAM lParam);
    afx_msg void OnChangeCMY();
    afx_msg void OnChangeRGB();
    afx_msg void OnChangeHSL();

private:
    // Reads three fields in order; false (after the message, with the focus in the field)
    // at the first value outside 0 ... 255.
    bool ReadFields(CEdit* const fields[3], long values[3]);
};
