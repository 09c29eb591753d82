// The handler of korDialog_FragBox.
#include "dialogs/FragBox.h"

#include "dialogs/FragBoxDlg.h"
#include "dialogs/ValueRows.h"
#include "frame/Handler.h"

#include <memory>
#include <vector>

int FragBox()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_FragBox -> FragBox()\r\n");

    static const valuerows::ArgumentChecks checks = {
        L"PARAMETERERROR 1: Keine Datenbank -> return -> RSERR\r\n",
        L"PARAMETERERROR 2: Keine Tabelle -> return -> RSERR\r\n",
        L"PARAMETERERROR 3: Keine Identifier4Beschreibung -> return -> RSERR\r\n",
        L"PARAMETERERROR 4: Keine Identifier4Beschreibung -> return -> RSERR\r\n",
        L"PARAMETERERROR 3+4: Anzahl Elemente in Liste ungleich -> return -> RSERR\r\n",
    };
    valuerows::Arguments args;
    if (!valuerows::ReadArguments(checks, args))
        return RSERR;

    // The rows belong to this call; the dialog gets pointers to them.
    std::vector<std::unique_ptr<FragBoxRow>> rows;
    for (int i = 0; i < args.count; ++i) {
        CString label;
        switch (valuerows::ReadLabel(CKORAdsLisp::Nth(i, args.labels), args.database, args.table, label)) {
        case valuerows::LabelResult::Ok:
            break;
        case valuerows::LabelResult::NotAPositiveNumber:
            return KorParameterError(
                -6, L"PARAMETERERROR 3: Identifier4Beschreibung keine Zahl -> return -> RSERR\r\n");
        case valuerows::LabelResult::LookupFailed:
            korDialogLog.AusgabeLang(L"DialogReturn", L"GetStringFromFragBoxIdentifier failed -> return -> RSERR\r\n");
            return RSERR;
        case valuerows::LabelResult::NeitherNumberNorText:
            return KorParameterError(
                -6, L"PARAMETERERROR 3: Identifier4Beschreibung kein String -> return -> RSERR\r\n");
        }
        rows.push_back(std::make_unique<FragBoxRow>(label, CKORAdsLisp::Nth(i, args.values)));
    }

    INT_PTR end = -1;
    {
        CKorResourceOverride resources;
        CFragBoxDlg dlg(CWnd::FromHandle(adsw_acadMainWnd()));
        for (const auto& row : rows)
            dlg.m_Rows.push_back(row.get());
        end = dlg.DoModal();
    }

    CKORAdsLispVar result;
    if (end == IDCANCEL) {
        CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(0)));
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"CANCEL -> return 0 -> RSRSLT\r\n");
        return RSRSLT;
    }
    if (end == IDOK) {
        // (1 value0 value1 ...): every row's value as one element, lists and nil included.
        for (const auto& row : rows) {
            if (result.Length() < 2)
                CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(static_cast<short>(1)), row->m_Value));
            else
                result.Append(CKORAdsLisp::List(row->m_Value));
        }
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"OK -> return -> RSRSLT\r\n");
        return RSRSLT;
    }
    korDialogLog.AusgabeLang(L"DialogReturn", L"return -> RSERR\r\n");
    return RSERR;
}
