// The colour dialog window (template IDD_KORCOLOR).
//
// The window system draws a minimised window's icon from the window icon and gives the icon
// for dragging, and a dialog has no context menu of its own here: the dialog needs no
// handlers for those.
#include "dialogs/KorColorDlg.h"

#include "frame/Handler.h"
#include "kor/korcommon.h"

#include <algorithm>

namespace {

// The text of a field: a number 0 ... 255 in decimal.
CString number(long v)
{
    CString s;
    s.Format(L"%d", static_cast<int>(v));
    return s;
}

// Hue, saturation or light (0.0 ... 1.0) as a field shows it: 0 ... 255.
long toField(double v) { return std::min(static_cast<long>(v * 255 + 0.5), 255L); }

// A field's value back as 0.0 ... 1.0.
double fromField(long v) { return std::min((v + 0.5) / 255, 1.0); }

}  // namespace

KorColorDlg::KorColorDlg(COLORREF clrReference, COLORREF clrCurrent, CWnd* pParent)
    : CExtResizableDialog(IDD, pParent),
      m_clrReference(clrReference),
      m_clrCurrent(clrCurrent),
      m_picker(CExtColorCtrl::MODE_NAMED_COLORS),
      m_swatch(CExtColorCtrl::MODE_SWATCH)
{
    m_hIcon = LoadModuleIcon(IDI_KORCOLOR, 32, AfxFindDialogResourceHandle(IDD));
}

KorColorDlg::~KorColorDlg() = default;

BEGIN_MESSAGE_MAP(KorColorDlg, CExtResizableDialog)
    ON_CBN_SELCHANGE(IDC_COLOR_MODE, &KorColorDlg::OnModeChange)
    ON_REGISTERED_MESSAGE(CExtColorCtrl::g_nMsgColorChanged, &KorColorDlg::OnColorChanged)
    ON_EN_CHANGE(IDC_COLOR_CYAN, &KorColorDlg::OnChangeCMY)
    ON_EN_CHANGE(IDC_COLOR_MAGENTA, &KorColorDlg::OnChangeCMY)
    ON_EN_CHANGE(IDC_COLOR_YELLOW, &KorColorDlg::OnChangeCMY)
    ON_EN_CHANGE(IDC_COLOR_RED, &KorColorDlg::OnChangeRGB)
    ON_EN_CHANGE(IDC_COLOR_BLUE, &KorColorDlg::OnChangeRGB)
    ON_EN_CHANGE(IDC_COLOR_GREEN, &KorColorDlg::OnChangeRGB)
    ON_EN_CHANGE(IDC_COLOR_HUE, &KorColorDlg::OnChangeHSL)
    ON_EN_CHANGE(IDC_COLOR_SAT, &KorColorDlg::OnChangeHSL)
    ON_EN_CHANGE(IDC_COLOR_LIGHT, &KorColorDlg::OnChangeHSL)
END_MESSAGE_MAP()

void KorColorDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_COLOR_CYAN_SPIN, m_spinCyan);
    DDX_Control(pDX, IDC_COLOR_MAGENTA_SPIN, m_spinMagenta);
    DDX_Control(pDX, IDC_COLOR_YELLOW_SPIN, m_spinYellow);
    DDX_Control(pDX, IDC_COLOR_SAT_SPIN, m_spinSat);
    DDX_Control(pDX, IDC_COLOR_RED_SPIN, m_spinRed);
    DDX_Control(pDX, IDC_COLOR_LIGHT_SPIN, m_spinLight);
    DDX_Control(pDX, IDC_COLOR_HUE_SPIN, m_spinHue);
    DDX_Control(pDX, IDC_COLOR_GREEN_SPIN, m_spinGreen);
    DDX_Control(pDX, IDC_COLOR_BLUE_SPIN, m_spinBlue);
    DDX_Control(pDX, IDC_COLOR_CYAN, m_editCyan);
    DDX_Control(pDX, IDC_COLOR_MAGENTA, m_editMagenta);
    DDX_Control(pDX, IDC_COLOR_YELLOW, m_editYellow);
    DDX_Control(pDX, IDC_COLOR_SAT, m_editSat);
    DDX_Control(pDX, IDC_COLOR_RED, m_editRed);
    DDX_Control(pDX, IDC_COLOR_LIGHT, m_editLight);
    DDX_Control(pDX, IDC_COLOR_HUE, m_editHue);
    DDX_Control(pDX, IDC_COLOR_GREEN, m_editGreen);
    DDX_Control(pDX, IDC_COLOR_BLUE, m_editBlue);
    DDX_Control(pDX, IDC_COLOR_MODE, m_comboMode);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDC_COLOR_SAT_LABEL, m_labelSat);
    DDX_Control(pDX, IDC_COLOR_RED_LABEL, m_labelRed);
    DDX_Control(pDX, IDC_COLOR_LIGHT_LABEL, m_labelLight);
    DDX_Control(pDX, IDC_COLOR_HUE_LABEL, m_labelHue);
    DDX_Control(pDX, IDC_COLOR_GREEN_LABEL, m_labelGreen);
    DDX_Control(pDX, IDC_COLOR_BLUE_LABEL, m_labelBlue);
    DDX_Control(pDX, IDC_COLOR_CYAN_LABEL, m_labelCyan);
    DDX_Control(pDX, IDC_COLOR_MAGENTA_LABEL, m_labelMagenta);
    DDX_Control(pDX, IDC_COLOR_YELLOW_LABEL, m_labelYellow);
    DDX_Control(pDX, IDC_COLOR_NEW_LABEL, m_labelNew);
    DDX_Control(pDX, IDC_COLOR_CURRENT_LABEL, m_labelCurrent);
    DDX_Control(pDX, IDC_COLOR_MODE_LABEL, m_labelModes);
}

BOOL KorColorDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();
    // The caption from the headline: its last line, or all of it when its only break is
    // the first character.
    bool captionFromTitle = false;
    if (!m_strTitle.IsEmpty()) {
        const std::wstring& title = m_strTitle.str();
        size_t lastBreak = title.find_last_of(L'\n');
        CString caption = m_strTitle;
        if (lastBreak != std::wstring::npos && lastBreak != 0)
            caption = CString(title.substr(lastBreak + 1));
        if (!caption.IsEmpty()) {
            SetWindowText(caption);
            captionFromTitle = true;
        }
    }
    SetWindowIcons(*this, m_hIcon);

    m_btnOK.SetWindowText(LoadModuleString(IDS_OK));
    m_btnCancel.SetWindowText(LoadModuleString(IDS_CANCEL));
    m_hOKIcon = LoadModuleIcon(IDI_OK);
    m_hCancelIcon = LoadModuleIcon(IDI_CANCEL);
    m_btnOK.SetIcon(m_hOKIcon, nullptr);
    m_btnCancel.SetIcon(m_hCancelIcon, nullptr);
    m_btnOK.Invalidate(TRUE);
    m_btnCancel.Invalidate(TRUE);

    m_picker.m_selClrs = {m_clrReference, m_clrCurrent, m_clrReference};
    m_swatch.m_selClrs = {m_clrReference, m_clrReference, m_clrReference};

    m_comboMode.SetCurSel(0);

    // The mode box grows with the width, the picker with the whole window; the column on
    // the right and the swatch stay at the right edge, OK and Cancel at the bottom.
    AddAnchor(IDC_COLOR_MODE, CSize(0, 0), CSize(100, 0));
    AddAnchor(IDC_COLOR_PICKER, CSize(0, 0), CSize(100, 100));
    for (UINT id : {IDC_COLOR_RED_LABEL, IDC_COLOR_RED, IDC_COLOR_RED_SPIN, IDC_COLOR_GREEN_LABEL, IDC_COLOR_GREEN,
                    IDC_COLOR_GREEN_SPIN, IDC_COLOR_BLUE_LABEL, IDC_COLOR_BLUE, IDC_COLOR_BLUE_SPIN,
                    IDC_COLOR_CYAN_LABEL, IDC_COLOR_CYAN, IDC_COLOR_CYAN_SPIN, IDC_COLOR_MAGENTA_LABEL,
                    IDC_COLOR_MAGENTA, IDC_COLOR_MAGENTA_SPIN, IDC_COLOR_YELLOW_LABEL, IDC_COLOR_YELLOW,
                    IDC_COLOR_YELLOW_SPIN, IDC_COLOR_HUE_LABEL, IDC_COLOR_HUE, IDC_COLOR_HUE_SPIN,
                    IDC_COLOR_SAT_LABEL, IDC_COLOR_SAT, IDC_COLOR_SAT_SPIN, IDC_COLOR_LIGHT_LABEL, IDC_COLOR_LIGHT,
                    IDC_COLOR_LIGHT_SPIN, IDC_COLOR_NEW_LABEL, IDC_COLOR_SWATCH, IDC_COLOR_CURRENT_LABEL})
        AddAnchor(id, CSize(100, 0));
    AddAnchor(IDOK, CSize(0, 100));
    AddAnchor(IDCANCEL, CSize(0, 100));
    ShowSizeGrip(true);

    m_picker.SubclassDlgItem(IDC_COLOR_PICKER, this);
    m_swatch.SubclassDlgItem(IDC_COLOR_SWATCH, this);

    for (CSpinButtonCtrl* spin : {&m_spinCyan, &m_spinMagenta, &m_spinYellow, &m_spinSat, &m_spinRed, &m_spinLight,
                                  &m_spinHue, &m_spinGreen, &m_spinBlue})
        spin->SetRange(0, 255);

    m_bInitialized = true;
    OnColorChanged(0, reinterpret_cast<LPARAM>(&m_picker.m_selClrs));
    m_swatch.SetupColor(m_clrReference, false);

    m_labelRed.SetWindowText(LoadModuleString(IDS_COLOR_RED));
    m_labelGreen.SetWindowText(LoadModuleString(IDS_COLOR_GREEN));
    m_labelBlue.SetWindowText(LoadModuleString(IDS_COLOR_BLUE));
    m_labelCyan.SetWindowText(LoadModuleString(IDS_COLOR_CYAN));
    m_labelMagenta.SetWindowText(LoadModuleString(IDS_COLOR_MAGENTA));
    m_labelYellow.SetWindowText(LoadModuleString(IDS_COLOR_YELLOW));
    m_labelHue.SetWindowText(LoadModuleString(IDS_COLOR_HUE));
    m_labelSat.SetWindowText(LoadModuleString(IDS_COLOR_SAT));
    m_labelLight.SetWindowText(LoadModuleString(IDS_COLOR_LIGHT));
    m_labelNew.SetWindowText(LoadModuleString(IDS_COLOR_NEW));
    m_labelCurrent.SetWindowText(LoadModuleString(IDS_COLOR_CURRENT));
    m_labelModes.SetWindowText(LoadModuleString(IDS_COLOR_MODES));
    if (!captionFromTitle)
        SetWindowText(LoadModuleString(IDS_COLOR_CAPTION));
    return TRUE;
}

void KorColorDlg::OnSize(UINT nType, int cx, int cy)
{
    CExtResizableDialog::OnSize(nType, cx, cy);
    Invalidate(TRUE);
    UpdateWindow();
}

void KorColorDlg::UpdateColor(COLORREF clr, bool bRGB, bool bCMY, bool bHSL)
{
    if (bRGB) {
        m_editRed.SetWindowText(number(GetRValue(clr)));
        m_editGreen.SetWindowText(number(GetGValue(clr)));
        m_editBlue.SetWindowText(number(GetBValue(clr)));
    }
    if (bCMY) {
        COLORREF cmy = CExtPaintManager::stat_RGBtoCMY(clr);
        m_editCyan.SetWindowText(number(GetRValue(cmy)));
        m_editMagenta.SetWindowText(number(GetGValue(cmy)));
        m_editYellow.SetWindowText(number(GetBValue(cmy)));
    }
    if (bHSL) {
        double h = 0, s = 0, l = 0;
        CExtPaintManager::stat_RGBtoHSL(clr, &h, &s, &l);
        m_editHue.SetWindowText(number(toField(h)));
        m_editSat.SetWindowText(number(toField(s)));
        m_editLight.SetWindowText(number(toField(l)));
    }
    if (m_picker.GetCurrentColor() != clr)
        m_picker.SetupColor(clr, false);
    if (m_swatch.GetCurrentColor() != clr)
        m_swatch.SetupColor(clr, false);
    m_clrCurrent = m_picker.GetCurrentColor();
}

bool KorColorDlg::ReadFields(CEdit* const fields[3], long values[3])
{
    CString message;
    if (!message.LoadString(IDS_COLOR_RANGE))
        message = LoadResourceString(IDS_COLOR_RANGE, korDialogInstance(), nullptr);
    for (int i = 0; i < 3; ++i) {
        CString text;
        fields[i]->GetWindowText(text);
        values[i] = _wtol(text);
        if (values[i] < 0 || values[i] > 255) {
            AfxMessageBox(message, MB_OK);
            fields[i]->SetFocus();
            return false;
        }
    }
    return true;
}

void KorColorDlg::OnChangeCMY()
{
    if (!m_bInitialized || m_bUpdating)
        return;
    m_bUpdating = true;
    CEdit* const fields[3] = {&m_editCyan, &m_editMagenta, &m_editYellow};
    long v[3];
    if (ReadFields(fields, v))
        UpdateColor(CExtPaintManager::stat_CMYtoRGB(RGB(v[0], v[1], v[2])), true, false, true);
    else  // the fields show again what OK answers
        UpdateColor(m_clrCurrent, false, true, false);
    m_bUpdating = false;
}

void KorColorDlg::OnChangeRGB()
{
    if (!m_bInitialized || m_bUpdating)
        return;
    m_bUpdating = true;
    CEdit* const fields[3] = {&m_editRed, &m_editGreen, &m_editBlue};
    long v[3];
    if (ReadFields(fields, v))
        UpdateColor(RGB(v[0], v[1], v[2]), false, true, true);
    else
        UpdateColor(m_clrCurrent, true, false, false);
    m_bUpdating = false;
}

void KorColorDlg::OnChangeHSL()
{
    if (!m_bInitialized || m_bUpdating)
        return;
    m_bUpdating = true;
    CEdit* const fields[3] = {&m_editHue, &m_editSat, &m_editLight};
    long v[3];
    if (ReadFields(fields, v))
        UpdateColor(CExtPaintManager::stat_HLStoRGB(fromField(v[0]), fromField(v[2]), fromField(v[1])), true, true,
                    false);
    else
        UpdateColor(m_clrCurrent, false, false, true);
    m_bUpdating = false;
}

LRESULT KorColorDlg::OnColorChanged(WPARAM wParam, LPARAM lParam)
{
    if (m_bUpdating)
        return 0;
    m_bUpdating = true;
    auto* record = reinterpret_cast<const CExtColorCtrl::selection_colors_t*>(lParam);
    UpdateColor(record->m_clrCurrent, true, true, true);
    m_bUpdating = false;
    return 0;
}

void KorColorDlg::OnModeChange()
{
    if (m_bInitialized)
        m_picker = static_cast<CExtColorCtrl::e_mode_t>(m_comboMode.GetCurSel());
}
