// The handler of korDialog_LWeightDialog.
#include "dialogs/LWeightDialog.h"

#include "dialogs/LWeightDialogDlg.h"
#include "frame/Handler.h"

int ShowLineWeightDialog(int index)
{
    CKorResourceOverride resources;
    CLWeightDialogDlg dlg(nullptr);
    dlg.m_nSelection = index;
    dlg.DoModal();
    return dlg.m_nSelection;
}

int LWeightDialog()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_LWeightDialog -> LWeightDialog()\r\n");
    CKORAdsLispVar arg;
    CKORAdsLisp::Parameter(arg);
    // No check fails: anything but an integer means the first entry.
    int index = 0;
    if (CKORAdsLisp::IntP(arg))
        CKORAdsLisp::SetQ(index, arg);

    const int value = ShowLineWeightDialog(index);

    CKORAdsLispVar result;
    CKORAdsLisp::SetQ(result, CKORAdsLispVar(value));
    CKORAdsLisp::Return(result);
    korDialogLog.AusgabeLang(L"DialogReturn", L"return -> RSRSLT\r\n");
    return RSRSLT;
}
