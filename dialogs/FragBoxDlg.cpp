// The FragBox window (template IDD_FRAGBOX).
#include "dialogs/FragBoxDlg.h"

#include "frame/Handler.h"

#include <clocale>
#include <cwchar>
#include <locale.h>

namespace {

const UINT kLabelIds[CFragBoxDlg::kMaxRows] = {
    IDC_FRAGBOX_LABEL0, IDC_FRAGBOX_LABEL1, IDC_FRAGBOX_LABEL2, IDC_FRAGBOX_LABEL3,
    IDC_FRAGBOX_LABEL4, IDC_FRAGBOX_LABEL5, IDC_FRAGBOX_LABEL6, IDC_FRAGBOX_LABEL7,
};
const UINT kEditIds[CFragBoxDlg::kMaxRows] = {
    IDC_FRAGBOX_EDIT0, IDC_FRAGBOX_EDIT1, IDC_FRAGBOX_EDIT2, IDC_FRAGBOX_EDIT3,
    IDC_FRAGBOX_EDIT4, IDC_FRAGBOX_EDIT5, IDC_FRAGBOX_EDIT6, IDC_FRAGBOX_EDIT7,
};

// Reals are shown and read with a decimal point whatever the process's C locale says (the
// GUI toolkit sets LC_NUMERIC from the environment, so a German desktop would give "2,50").
locale_t classicLocale()
{
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

class ClassicNumbers {
public:
    ClassicNumbers() : m_previous(uselocale(classicLocale())) {}
    ~ClassicNumbers() { uselocale(m_previous); }
    ClassicNumbers(const ClassicNumbers&) = delete;
    ClassicNumbers& operator=(const ClassicNumbers&) = delete;

private:
    locale_t m_previous;
};

// The C runtime's _wtoi: leading white space, a sign and the digits that follow; 0 when the
// text does not start with a number. Numbers beyond the range of int are cut to its limits.
int ReadInt(const CString& text)
{
    long long n = std::wcstoll(text.GetString(), nullptr, 10);
    if (n > INT_MAX)
        return INT_MAX;
    if (n < INT_MIN)
        return INT_MIN;
    return static_cast<int>(n);
}

HICON LoadModuleIcon(UINT id)
{
    return static_cast<HICON>(LoadImageW(korDialogInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_SHARED));
}

}  // namespace

CFragBoxDlg::CFragBoxDlg(CWnd* pParent) : CExtResizableDialog(IDD, pParent) {}

CFragBoxDlg::~CFragBoxDlg() = default;

UINT CFragBoxDlg::LabelId(int i) { return kLabelIds[i]; }
UINT CFragBoxDlg::EditId(int i) { return kEditIds[i]; }

BEGIN_MESSAGE_MAP(CFragBoxDlg, CExtResizableDialog)
END_MESSAGE_MAP()

void CFragBoxDlg::DoDataExchange(CDataExchange* pDX)
{
    CExtResizableDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
    DDX_Control(pDX, IDOK, m_btnOK);
}

BOOL CFragBoxDlg::OnInitDialog()
{
    CExtResizableDialog::OnInitDialog();

    // A fixed window: no grip, no anchors, no saved position.
    ShowSizeGrip(false);
    m_btnOK.SetWindowText(LoadModuleString(IDS_OK));
    m_btnCancel.SetWindowText(LoadModuleString(IDS_CANCEL));

    m_hIcon = LoadModuleIcon(IDI_KORLOGO);
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    m_hOKIcon = LoadModuleIcon(IDI_OK);
    m_hCancelIcon = LoadModuleIcon(IDI_CANCEL);
    m_btnOK.SetIcon(m_hOKIcon, nullptr);
    m_btnCancel.SetIcon(m_hCancelIcon, nullptr);
    m_btnOK.Invalidate(TRUE);
    m_btnCancel.Invalidate(TRUE);

    // The rows are as far apart as the gauge is high.
    int rowHeight = 0;
    if (CWnd* gauge = GetDlgItem(IDC_FRAGBOX_ROWHEIGHT)) {
        CRect r;
        gauge->GetWindowRect(&r);
        rowHeight = r.Height();
    }

    // Rows from the top until the first that cannot be shown; the rest of the window goes.
    for (int i = 0; i < kMaxRows; ++i) {
        if (!FillRow(i, kLabelIds[i], kEditIds[i])) {
            ShrinkDialog((kMaxRows - i) * rowHeight);
            break;
        }
    }
    return TRUE;
}

bool CFragBoxDlg::FillRow(int i, UINT labelId, UINT editId)
{
    if (i >= static_cast<int>(m_Rows.size()) || !m_Rows[i])
        return false;
    const FragBoxRow& row = *m_Rows[i];
    CWnd* label = GetDlgItem(static_cast<int>(labelId));
    if (label)
        label->SetWindowText(row.m_strText);
    CWnd* edit = GetDlgItem(static_cast<int>(editId));
    if (!edit)
        return false;

    CString text;
    switch (CKORAdsLisp::Type(row.m_Value)) {
    case LISP_REAL: {
        double value = 0;
        CKORAdsLisp::SetQ(value, row.m_Value);
        ClassicNumbers numbers;
        text.Format(L"%.2f", value);
        break;
    }
    case LISP_INT: {
        int value = 0;
        CKORAdsLisp::SetQ(value, row.m_Value);
        text.Format(L"%d", value);
        break;
    }
    case LISP_STRING: {
        wchar_t buffer[256];
        CKORAdsLisp::SetQ(buffer, row.m_Value, 256);
        text = buffer;
        break;
    }
    default:
        return false;  // the label keeps its text, hidden
    }
    edit->SetWindowText(text);
    if (label)
        label->ShowWindow(SW_SHOW);
    edit->ShowWindow(SW_SHOW);
    return true;
}

void CFragBoxDlg::ShrinkDialog(int d)
{
    CRect window;
    GetWindowRect(&window);
    CRect ok, cancel;
    m_btnOK.GetWindowRect(&ok);
    ScreenToClient(&ok);
    m_btnCancel.GetWindowRect(&cancel);
    ScreenToClient(&cancel);

    ok.top -= d;
    ok.bottom -= d;
    cancel.top -= d;
    cancel.bottom -= d;
    window.bottom -= d;

    SetWindowPos(nullptr, window.left, window.top, window.Width(), window.Height(), SWP_NOZORDER);
    m_btnOK.SetWindowPos(nullptr, ok.left, ok.top, ok.Width(), ok.Height(), SWP_NOZORDER);
    m_btnCancel.SetWindowPos(nullptr, cancel.left, cancel.top, cancel.Width(), cancel.Height(), SWP_NOZORDER);
}

void CFragBoxDlg::OnOK()
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

void CFragBoxDlg::StoreRow(int i, const CString& text)
{
    if (i >= static_cast<int>(m_Rows.size()) || !m_Rows[i])
        return;
    CKORAdsLispVar& value = m_Rows[i]->m_Value;
    switch (CKORAdsLisp::Type(value)) {
    case LISP_REAL:
        CKORAdsLisp::SetQ(value, CKORAdsLispVar(_wtof(text.GetString())));
        break;
    case LISP_INT:
        CKORAdsLisp::SetQ(value, CKORAdsLispVar(ReadInt(text)));
        break;
    case LISP_STRING:
        CKORAdsLisp::SetQ(value, CKORAdsLispVar(text));
        break;
    default:
        break;  // a value the box does not edit stays as it was
    }
}
