// The handler of korDialog_MultiEditDialog.
#include "dialogs/MultiEdit.h"

#include "dialogs/MultiEditDlg.h"
#include "dialogs/ValueRows.h"
#include "frame/Handler.h"

#include <memory>
#include <vector>

namespace {

// The row whose pick button ended the window with `endCode`: the n-th row (counted from 1)
// has the button 999 + 2n. None for any other code or a row that does not exist.
MultiEditRow* FindPickedRow(INT_PTR endCode, const std::vector<MultiEditRow*>& rows)
{
    for (size_t n = 1; n <= rows.size() && n <= CMultiEditDlg::kMaxRows; ++n)
        if (endCode == static_cast<INT_PTR>(999 + 2 * n))
            return rows[n - 1];
    return nullptr;
}

}  // namespace

int MultiEdit()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_MultiEditDialog -> MultiEdit()\r\n");

    CString promptSuffix;
    {
        CKorResourceOverride resources;
        promptSuffix = LoadModuleString(IDS_PICK_PROMPT);
    }

    static const valuerows::ArgumentChecks checks = {
        L"PARAMETERERROR 1: Datenbank kein String -> return -> RSERR\r\n",
        L"PARAMETERERROR 2: Tabelle kein String -> return -> RSERR\r\n",
        L"PARAMETERERROR 3: Identifier keine Liste -> return -> RSERR\r\n",
        L"PARAMETERERROR 4: Werte keine Liste -> return -> RSERR\r\n",
        L"PARAMETERERROR 3+4: Anzahl Identifier und Werte ungleich -> return -> RSERR\r\n",
    };
    valuerows::Arguments args;
    if (!valuerows::ReadArguments(checks, args))
        return RSERR;

    // The rows belong to this call; each window gets pointers to them.
    std::vector<std::unique_ptr<MultiEditRow>> owned;
    std::vector<MultiEditRow*> rows;
    for (int i = 0; i < args.count; ++i) {
        CString label;
        switch (valuerows::ReadLabel(CKORAdsLisp::Nth(i, args.labels), args.database, args.table, label)) {
        case valuerows::LabelResult::Ok:
            break;
        case valuerows::LabelResult::NotAPositiveNumber:
            return KorParameterError(-6, L"PARAMETERERROR 3: Identifier %d keine Zahl -> return -6 -> RSERR\r\n", i);
        case valuerows::LabelResult::LookupFailed:
            korDialogLog.AusgabeLang(L"DialogReturn",
                                     L"PARAMETERERROR 3: Identifier %d keine Zahl -> return -> RSERR\r\n", i);
            return RSERR;
        case valuerows::LabelResult::NeitherNumberNorText:
            return KorParameterError(-6, L"PARAMETERERROR 3: Identifier %d kein String -> return -> RSERR\r\n", i);
        }
        // A value that is no number (a string, a list) starts the row at 0.0.
        double value = 0.0;
        CKORAdsLisp::SetQ(value, CKORAdsLisp::Nth(i, args.values));
        owned.push_back(std::make_unique<MultiEditRow>(label, value));
        rows.push_back(owned.back().get());
    }

    // One window per pass: a pick button ends it, the user shows the distance, and the next
    // pass shows the rows again with the new value.
    INT_PTR end = -1;
    for (;;) {
        CKorResourceOverride resources;
        CMultiEditDlg dlg(CWnd::FromHandle(adsw_acadMainWnd()));
        dlg.m_Rows = rows;
        end = dlg.DoModal();
        if (end == IDOK || end == IDCANCEL)
            break;
        if (end == -1)
            break;  // the window cannot be opened: asking again would not help
        if (MultiEditRow* row = FindPickedRow(end, rows)) {
            const CString prompt = L"\n" + row->m_strText + promptSuffix;
            // Only a distance the user gave is written; Escape or an empty answer leave the
            // row as it was.
            acedGetDist(nullptr, prompt, &row->m_dValue);
        }
    }

    CKORAdsLispVar result;
    if (end == IDCANCEL) {
        CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(0)));
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"CANCEL -> return 0 -> RSRSLT\r\n");
        return RSRSLT;
    }
    if (end == IDOK) {
        // (1 value0 value1 ...): every row's value as a real, also the rows not shown.
        for (const MultiEditRow* row : rows) {
            if (result.Length() < 2)
                CKORAdsLisp::SetQ(result,
                                  CKORAdsLisp::List(CKORAdsLispVar(static_cast<short>(1)), CKORAdsLispVar(row->m_dValue)));
            else
                result.Append(CKORAdsLisp::List(CKORAdsLispVar(row->m_dValue)));
        }
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"OK -> return -> RSRSLT\r\n");
        return RSRSLT;
    }
    korDialogLog.AusgabeLang(L"DialogReturn", L"dialog %d cannot be shown -> return -> RSERR\r\n", IDD_MULTIEDIT);
    return RSERR;
}
