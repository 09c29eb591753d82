// The FragBox window (template IDD_FRAGBOX).
#include "dialogs/FragBoxDlg.h"

#include "dialogs/ValueRows.h"
#include "frame/Handler.h"

namespace {

const UINT kLabelIds[CFragBoxDlg::kMaxRows] = {
    IDC_FRAGBOX_LABEL0, IDC_FRAGBOX_LABEL1, IDC_FRAGBOX_LABEL2, IDC_FRAGBOX_LABEL3,
    IDC_FRAGBOX_LABEL4, IDC_FRAGBOX_LABEL5, IDC_FRAGBOX_LABEL6, IDC_FRAGBOX_LABEL7,
};
const UINT kEditIds[CFragBoxDlg::kMaxRows] = {
    IDC_FRAGBOX_EDIT0, IDC_FRAGBOX_EDIT1, IDC_FRAGBOX_EDIT2, IDC_FRAGBOX_EDIT3,
    IDC_FRAGBOX_EDIT4, IDC_FRAGBOX_EDIT5, IDC_FRAGBOX_EDIT6, IDC_FRAGBOX_EDIT7,
};

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
    valuerows::SetUpButtons(*this, m_btnOK, m_btnCancel, m_hIcon, m_hOKIcon, m_hCancelIcon);

    // Rows from the top until the first that cannot be shown; the rest of the window goes.
    valuerows::FillRows(*this, m_btnOK, m_btnCancel, valuerows::RowHeight(*this, IDC_FRAGBOX_ROWHEIGHT),
                        [this](int i) { return FillRow(i, kLabelIds[i], kEditIds[i]); });
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

void CFragBoxDlg::ShrinkDialog(int d) { valuerows::ShrinkDialog(*this, m_btnOK, m_btnCancel, d); }

void CFragBoxDlg::OnOK()
{
    valuerows::StoreShownRows(*this, kEditIds, [this](int i, const CString& text) { StoreRow(i, text); });
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
        CKORAdsLisp::SetQ(value, CKORAdsLispVar(_wtoi(text.GetString())));
        break;
    case LISP_STRING:
        CKORAdsLisp::SetQ(value, CKORAdsLispVar(text));
        break;
    default:
        break;  // a value the box does not edit stays as it was
    }
}
