// The rollout dialog base and the switch between a dialog and the drawing.
#include "korgui/korrollout.h"

#include "ads/adslib.h"

IMPLEMENT_DYNAMIC(CKORGuiRolloutDlg, CExtResizableDialog)

CKORGuiRolloutDlg::CKORGuiRolloutDlg(UINT nIDTemplate, CWnd* pParentWnd)
    : CExtResizableDialog(nIDTemplate, pParentWnd)
{
}

CKORGuiRolloutDlg::~CKORGuiRolloutDlg() = default;

INT_PTR CKORGuiRolloutDlg::DoModal() { return CExtResizableDialog::DoModal(); }

BOOL CKORGuiRolloutDlg::OnInitDialog() { return CExtResizableDialog::OnInitDialog(); }

void CKORGuiRolloutDlg::OnOK() { CExtResizableDialog::OnOK(); }

void CKORGuiRolloutDlg::OnDestroy() { CExtResizableDialog::OnDestroy(); }

BOOL CKORGuiRolloutDlg::SetAllLabels()
{
    if (CWnd* ok = GetDlgItem(IDOK))
        ok->SetWindowText(L"OK");
    if (CWnd* cancel = GetDlgItem(IDCANCEL))
        cancel->SetWindowText(L"Abbrechen");
    return TRUE;
}

HICON CKORGuiRolloutDlg::GetResourceIcon(UINT id, int cx, int cy, HINSTANCE instance)
{
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, cx, cy, LR_DEFAULTCOLOR));
}

void SwitchToCad(CWnd* dialog)
{
    if (dialog && dialog->GetSafeHwnd())
        dialog->ShowWindow(SW_HIDE);
    if (CWnd* view = CWnd::FromHandle(acedGetAcadDwgView()))
        view->SetFocus();
    else if (CWnd* main = CWnd::FromHandle(adsw_acadMainWnd()))
        main->SetFocus();
}

void SwitchToMfc(CWnd* dialog, bool bActivate)
{
    if (!dialog || !dialog->GetSafeHwnd())
        return;
    dialog->ShowWindow(bActivate ? SW_SHOW : SW_SHOWNA);
    if (bActivate)
        dialog->SetFocus();
}
