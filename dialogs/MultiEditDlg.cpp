// The multi-edit window (template IDD_MULTIEDIT).
#include "dialogs/MultiEditDlg.h"

#include "frame/Handler.h"

#include <charconv>
#include <clocale>
#include <cwchar>
#include <locale.h>

namespace {

const UINT kPickIds[CMultiEditDlg::kMaxRows] = {
    IDC_MULTIEDIT_PICK0, IDC_MULTIEDIT_PICK1, IDC_MULTIEDIT_PICK2, IDC_MULTIEDIT_PICK3,
    IDC_MULTIEDIT_PICK4, IDC_MULTIEDIT_PICK5, IDC_MULTIEDIT_PICK6, IDC_MULTIEDIT_PICK7,
};
const UINT kEditIds[CMultiEditDlg::kMaxRows] = {
    IDC_MULTIEDIT_EDIT0, IDC_MULTIEDIT_EDIT1, IDC_MULTIEDIT_EDIT2, IDC_MULTIEDIT_EDIT3,
    IDC_MULTIEDIT_EDIT4, IDC_MULTIEDIT_EDIT5, IDC_MULTIEDIT_EDIT6, IDC_MULTIEDIT_EDIT7,
};

// Values are shown and read with a decimal point whatever the process's locale says (the
// GUI toolkit sets LC_NUMERIC from the environment, so a German desktop would give "2,50").
// Two decimals, rounded as printf's "%.2f" rounds.
CString FormatValue(double value)
{
    char buffer[400];  // the largest double has 309 digits before the point
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    if (ec != std::errc())
        return CString(L"0.00");
    return CString(std::wstring(buffer, end).c_str());
}

HICON LoadModuleIcon(UINT id, int size)
{
    return static_cast<HICON>(
        LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_SHARED));
}

}  // namespace

CMultiEditDlg::CMultiEditDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CMultiEditDlg::~CMultiEditDlg() = default;

UINT CMultiEditDlg::PickId(int i) { return kPickIds[i]; }
UINT CMultiEditDlg::EditId(int i) { return kEditIds[i]; }

BEGIN_MESSAGE_MAP(CMultiEditDlg, CExtResizableDialog)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK0, &CMultiEditDlg::OnPick0)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK1, &CMultiEditDlg::OnPick1)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK2, &CMultiEditDlg::OnPick2)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK3, &CMultiEditDlg::OnPick3)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK4, &CMultiEditDlg::OnPick4)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK5, &CMultiEditDlg::OnPick5)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK6, &CMultiEditDlg::OnPick6)
    ON_BN_CLICKED(IDC_MULTIEDIT_PICK7, &CMultiEditDlg::OnPick7)
END_MESSAGE_MAP()

void CMultiEditDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
    for (int i = 0; i < kMaxRows; ++i)
        DDX_Control(pDX, static_cast<int>(kPickIds[i]), m_btnPick[i]);
}

BOOL CMultiEditDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();

    // A fixed window: no grip, no anchors, no saved position.
    ShowSizeGrip(false);
    m_btnOK.SetWindowText(LoadModuleString(IDS_OK));
    m_btnCancel.SetWindowText(LoadModuleString(IDS_CANCEL));

    m_hIcon = LoadModuleIcon(IDI_KORLOGO, 32);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_hOKIcon = LoadModuleIcon(IDI_OK, 32);
    m_hCancelIcon = LoadModuleIcon(IDI_CANCEL, 32);
    m_hPickIcon = LoadModuleIcon(IDI_PICK, 16);
    m_btnOK.SetIcon(m_hOKIcon, nullptr);
    m_btnCancel.SetIcon(m_hCancelIcon, nullptr);
    for (CExtButton& pick : m_btnPick)
        pick.SetIcon(m_hPickIcon, nullptr);
    m_btnOK.Invalidate(TRUE);
    m_btnCancel.Invalidate(TRUE);
    for (CExtButton& pick : m_btnPick)
        pick.Invalidate(TRUE);

    // The rows are as far apart as the gauge is high.
    int rowHeight = 0;
    if (CWnd* gauge = GetDlgItem(IDC_MULTIEDIT_ROWHEIGHT)) {
        CRect r;
        gauge->GetWindowRect(&r);
        rowHeight = r.Height();
    }

    // Rows from the top until the first that cannot be shown; the rest of the window goes.
    for (int i = 0; i < kMaxRows; ++i) {
        if (!FillRow(i, kPickIds[i], kEditIds[i])) {
            ShrinkDialog((kMaxRows - i) * rowHeight);
            break;
        }
    }
    return TRUE;
}

bool CMultiEditDlg::FillRow(int i, UINT pickId, UINT editId)
{
    if (i >= static_cast<int>(m_Rows.size()) || !m_Rows[i])
        return false;
    CWnd* pick = GetDlgItem(static_cast<int>(pickId));
    CWnd* edit = GetDlgItem(static_cast<int>(editId));
    if (!edit)
        return false;
    const MultiEditRow& row = *m_Rows[i];
    if (pick)
        pick->SetWindowText(row.m_strText);
    edit->SetWindowText(FormatValue(row.m_dValue));
    if (pick)
        pick->ShowWindow(SW_SHOW);
    edit->ShowWindow(SW_SHOW);
    return true;
}

void CMultiEditDlg::ShrinkDialog(int d)
{
    CRect window;
    GetWindowRect(&window);
    CRect ok, cancel;
    m_btnOK.GetWindowRect(&ok);
    ScreenToClient(&ok);
    m_btnCancel.GetWindowRect(&cancel);
    ScreenToClient(&cancel);

    ok.OffsetRect(0, -d);
    cancel.OffsetRect(0, -d);
    window.bottom -= d;

    SetWindowPos(nullptr, window.left, window.top, window.Width(), window.Height(), SWP_NOZORDER);
    m_btnOK.SetWindowPos(nullptr, ok.left, ok.top, ok.Width(), ok.Height(), SWP_NOZORDER);
    m_btnCancel.SetWindowPos(nullptr, cancel.left, cancel.top, cancel.Width(), cancel.Height(), SWP_NOZORDER);
}

void CMultiEditDlg::OnOK()
{
    for (int i = 0; i < kMaxRows; ++i) {
        CWnd* edit = GetDlgItem(static_cast<int>(kEditIds[i]));
        if (edit && edit->IsWindowVisible()) {
            CString text;
            edit->GetWindowText(text);
            StoreRow(i, text);
        }
    }
    CExtResizableDialog::OnOK();
}

void CMultiEditDlg::StoreRow(int i, const CString& text)
{
    if (i >= static_cast<int>(m_Rows.size()) || !m_Rows[i])
        return;
    m_Rows[i]->m_dValue = _wtof(text.GetString());
}

void CMultiEditDlg::OnPick0() { EndDialog(IDC_MULTIEDIT_PICK0); }
void CMultiEditDlg::OnPick1() { EndDialog(IDC_MULTIEDIT_PICK1); }
void CMultiEditDlg::OnPick2() { EndDialog(IDC_MULTIEDIT_PICK2); }
void CMultiEditDlg::OnPick3() { EndDialog(IDC_MULTIEDIT_PICK3); }
void CMultiEditDlg::OnPick4() { EndDialog(IDC_MULTIEDIT_PICK4); }
void CMultiEditDlg::OnPick5() { EndDialog(IDC_MULTIEDIT_PICK5); }
void CMultiEditDlg::OnPick6() { EndDialog(IDC_MULTIEDIT_PICK6); }
void CMultiEditDlg::OnPick7() { EndDialog(IDC_MULTIEDIT_PICK7); }
