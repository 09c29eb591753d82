// The handler of korDialog_ButtonDialog.
#include "dialogs/ButtonDialog.h"

#include "dialogs/ButtonDialogDlg.h"
#include "frame/Handler.h"

#include <memory>
#include <vector>

int ButtonDialog()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_ButtonDialog -> ButtonDialog()\r\n");

    CKORAdsLispVar defaultArg, headerArg, captionsArg, valuesArg;
    CKORAdsLisp::Parameter(defaultArg, headerArg, captionsArg, valuesArg);

    // The entries belong to this call; the dialog gets pointers to them.
    std::vector<std::unique_ptr<CButtonDialogEntry>> entries;

    short defaultIndex = 0;
    if (!CKORAdsLisp::NumberP(defaultArg))
        return KorParameterError(-1, L"PARAMETERERROR 1: Keine Defaultbutton -> return -> RSERR\r\n");
    CKORAdsLisp::SetQ(defaultIndex, defaultArg);

    if (!CKORAdsLisp::ListP(headerArg))
        return KorParameterError(-2, L"PARAMETERERROR 2: Keine Headerliste -> return -> RSERR\r\n");
    CKORAdsLispVar titleArg = CKORAdsLisp::Nth(0, headerArg);
    if (!CKORAdsLisp::StringP(titleArg))
        return KorParameterError(-3, L"PARAMETERERROR 2: Headerliste kein String -> return -> RSERR\r\n");
    wchar_t buffer[256];
    CKORAdsLisp::SetQ(buffer, titleArg, 256);
    CString title = buffer;
    title.TrimLeft();
    title.TrimRight();

    if (!CKORAdsLisp::ListP(captionsArg))
        return KorParameterError(-4, L"PARAMETERERROR 3: Keine Buttontexte -> return -> RSERR\r\n");
    if (!CKORAdsLisp::ListP(valuesArg))
        return KorParameterError(-5, L"PARAMETERERROR 4: Buttontexte kein String -> return -> RSERR\r\n");
    if (CKORAdsLisp::Length(valuesArg) != CKORAdsLisp::Length(captionsArg))
        return KorParameterError(
            -6, L"PARAMETERERROR 3+4: Anzahl Headerliste und Buttontexte ungleich -> return -> RSERR\r\n");

    for (int i = 0; i < CKORAdsLisp::Length(captionsArg); ++i) {
        CKORAdsLispVar caption = CKORAdsLisp::Nth(i, captionsArg);
        if (!CKORAdsLisp::StringP(caption))
            return KorParameterError(-7, L"PARAMETERERROR 4: Buttontexte %d kein String -> return -> RSERR\r\n", i);
        auto entry = std::make_unique<CButtonDialogEntry>();
        CKORAdsLisp::SetQ(buffer, caption, 256);
        entry->m_strCaption = buffer;
        CKORAdsLispVar value = CKORAdsLisp::Nth(i, valuesArg);
        if (!CKORAdsLisp::StringP(value))
            return KorParameterError(-8, L"PARAMETERERROR 4: Buttontexte %d keine Zahl -> return -> RSERR\r\n", i);
        CKORAdsLisp::SetQ(buffer, value, 256);
        entry->m_strReturn = buffer;
        entries.push_back(std::move(entry));
    }

    CKORAdsLispVar result;
    {
        CKorResourceOverride resources;
        CButtonDialogDlg dlg(CWnd::FromHandle(adsw_acadMainWnd()));
        for (const auto& entry : entries)
            dlg.m_Entries.push_back(entry.get());
        dlg.m_strTitle = title;
        dlg.m_nDefault = defaultIndex;

        if (dlg.DoModal() == IDCANCEL) {
            CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(0)));
            CKORAdsLisp::Return(result);
            entries.clear();
            korDialogLog.AusgabeLang(L"DialogReturn", L"CANCEL -> return 0 -> RSERR\r\n");
        } else {
            if (const CButtonDialogEntry* chosen = dlg.m_pSelected)
                CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(1), CKORAdsLispVar(chosen->m_strReturn)));
            else
                CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(-9)));
            CKORAdsLisp::Return(result);
            entries.clear();
            korDialogLog.AusgabeLang(L"DialogReturn", L"return -> RSRSLT\r\n");
        }
    }
    return RSRSLT;
}
