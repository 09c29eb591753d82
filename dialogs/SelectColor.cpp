// The handler of korDialog_SelectColor.
#include "dialogs/SelectColor.h"

#include "dialogs/KorColorDlg.h"
#include "frame/Handler.h"

int SelectColor()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_SelectColor -> SelectColor()\r\n");

    CKORAdsLispVar headlineArg;
    CKORAdsLisp::Parameter(headlineArg);
    if (!CKORAdsLisp::StringP(headlineArg))
        return KorParameterError(-1, L"PARAMETERERROR 1: Keine Headline -> return -> RSERR\r\n");

    wchar_t buffer[256];
    CKORAdsLisp::SetQ(buffer, headlineArg, 256);
    CString title = buffer;

    CKORAdsLispVar result;
    CKorResourceOverride resources;
    const COLORREF white = RGB(255, 255, 255);
    KorColorDlg dlg(white, white, CWnd::FromHandle(adsw_acadMainWnd()));
    dlg.m_strTitle = title;
    if (dlg.DoModal() == IDOK) {
        CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(1), CKORAdsLispVar(static_cast<unsigned long>(dlg.m_clrCurrent))));
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"return farbe=%d -> RSRSLT\r\n", static_cast<int>(dlg.m_clrCurrent));
    } else {
        CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(0)));
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"return farbe=0 -> RSRSLT\r\n");
    }
    return RSRSLT;
}
