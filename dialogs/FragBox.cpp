// The handler of korDialog_FragBox.
#include "dialogs/FragBox.h"

#include "dialogs/FragBoxDlg.h"
#include "frame/Handler.h"
#include "texts/TextLookup.h"

#include <memory>
#include <vector>

namespace {

// A name argument, through the buffer LISP texts are read into and without outer blanks.
CString TrimmedName(const CKORAdsLispVar& arg)
{
    wchar_t buffer[260];
    CKORAdsLisp::SetQ(buffer, arg, 260);
    CString name = buffer;
    name.TrimLeft();
    name.TrimRight();
    return name;
}

}  // namespace

int FragBox()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_FragBox -> FragBox()\r\n");

    CKORAdsLispVar databaseArg, tableArg, descriptionsArg, valuesArg;
    CKORAdsLisp::Parameter(databaseArg, tableArg, descriptionsArg, valuesArg);

    if (!CKORAdsLisp::StringP(databaseArg))
        return KorParameterError(-1, L"PARAMETERERROR 1: Keine Datenbank -> return -> RSERR\r\n");
    const CString database = TrimmedName(databaseArg);
    if (!CKORAdsLisp::StringP(tableArg))
        return KorParameterError(-2, L"PARAMETERERROR 2: Keine Tabelle -> return -> RSERR\r\n");
    const CString table = TrimmedName(tableArg);
    if (!CKORAdsLisp::ListP(descriptionsArg))
        return KorParameterError(-3, L"PARAMETERERROR 3: Keine Identifier4Beschreibung -> return -> RSERR\r\n");
    if (!CKORAdsLisp::ListP(valuesArg))
        return KorParameterError(-4, L"PARAMETERERROR 4: Keine Identifier4Beschreibung -> return -> RSERR\r\n");
    const int count = CKORAdsLisp::Length(descriptionsArg);
    if (CKORAdsLisp::Length(valuesArg) != count)
        return KorParameterError(
            -5, L"PARAMETERERROR 3+4: Anzahl Elemente in Liste ungleich -> return -> RSERR\r\n");

    // The rows belong to this call; the dialog gets pointers to them.
    std::vector<std::unique_ptr<FragBoxRow>> rows;
    for (int i = 0; i < count; ++i) {
        const CKORAdsLispVar description = CKORAdsLisp::Nth(i, descriptionsArg);
        CString label;
        if (CKORAdsLisp::RealP(description) || CKORAdsLisp::IntP(description)) {
            int identifier = 0;
            CKORAdsLisp::SetQ(identifier, description);
            if (identifier < 1)
                return KorParameterError(
                    -6, L"PARAMETERERROR 3: Identifier4Beschreibung keine Zahl -> return -> RSERR\r\n");
            if (!GetStringFromFragBoxIdentifier(database, table, identifier, label)) {
                korDialogLog.AusgabeLang(L"DialogReturn", L"GetStringFromFragBoxIdentifier failed -> return -> RSERR\r\n");
                return RSERR;
            }
        } else if (CKORAdsLisp::StringP(description)) {
            wchar_t buffer[256];
            CKORAdsLisp::SetQ(buffer, description, 256);
            label = buffer;
        } else {
            return KorParameterError(
                -6, L"PARAMETERERROR 3: Identifier4Beschreibung kein String -> return -> RSERR\r\n");
        }
        rows.push_back(std::make_unique<FragBoxRow>(label, CKORAdsLisp::Nth(i, valuesArg)));
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
