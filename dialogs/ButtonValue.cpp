// The handler of korDialog_ButtonValue.
#include "dialogs/ButtonValue.h"

#include "dialogs/ButtonValueDlg.h"
#include "frame/Handler.h"
#include "kor/korcommon.h"
#include "texts/TextLookup.h"

namespace {

// Header and button: a number (the Identifier of a text) or a string (the text itself).
enum class TextArg { Number, Text, Neither };

TextArg readTextArgument(const CKORAdsLispVar& arg, int& number, CString& text)
{
    if (CKORAdsLisp::RealP(arg) || CKORAdsLisp::IntP(arg)) {
        CKORAdsLisp::SetQ(number, arg);
        return TextArg::Number;
    }
    if (CKORAdsLisp::StringP(arg)) {
        wchar_t buffer[256];
        CKORAdsLisp::SetQ(buffer, arg, 256);
        text = buffer;
        return TextArg::Text;
    }
    return TextArg::Neither;
}

}  // namespace

int ButtonValue()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_ButtonValue -> ButtonValue()\r\n");

    CKORAdsLispVar databaseArg, tableArg, headerArg, buttonArg, defaultArg, backArg;
    CKORAdsLisp::Parameter(databaseArg, tableArg, headerArg, buttonArg, defaultArg, backArg);

    CString database, table, backValue, headerText, buttonText, defaultText;
    int headerNumber = 0, buttonNumber = 0;
    bool numeric = false;

    if (!ConvertList2String(databaseArg, database))
        return KorParameterError(-1, L"PARAMETERERROR 1: Keine Datenbank -> return -> RSERR\r\n");
    if (database.IsEmpty())
        return KorParameterError(-1, L"PARAMETERERROR 1: Datenbank leer -> return -> RSERR\r\n");
    if (!ConvertList2String(tableArg, table))
        return KorParameterError(-2, L"PARAMETERERROR 2: Kein Table -> return -> RSERR\r\n");
    if (table.IsEmpty())
        return KorParameterError(-2, L"PARAMETERERROR 2: Table leer -> return -> RSERR\r\n");

    switch (readTextArgument(headerArg, headerNumber, headerText)) {
    case TextArg::Neither:
        return KorParameterError(-3, L"PARAMETERERROR 3: Kein Header4text -> return -> RSERR\r\n");
    case TextArg::Number:
        if (headerNumber < 1)
            return KorParameterError(-3, L"PARAMETERERROR 3: Keine Header4nummer -> return -> RSERR\r\n");
        break;
    case TextArg::Text:
        break;
    }
    switch (readTextArgument(buttonArg, buttonNumber, buttonText)) {
    case TextArg::Neither:
        return KorParameterError(-4, L"PARAMETERERROR 4: Kein Button4text -> return -> RSERR\r\n");
    case TextArg::Number:
        if (buttonNumber < 1)
            return KorParameterError(-4, L"PARAMETERERROR 4: Keine Button4nummer -> return -> RSERR\r\n");
        break;
    case TextArg::Text:
        break;
    }

    if (CKORAdsLisp::RealP(defaultArg) || CKORAdsLisp::IntP(defaultArg)) {
        double value = 0.0;
        CKORAdsLisp::SetQ(value, defaultArg);
        defaultText.Format(L"%.2f", value);
        numeric = true;
    } else if (CKORAdsLisp::StringP(defaultArg)) {
        wchar_t buffer[256];
        CKORAdsLisp::SetQ(buffer, defaultArg, 256);
        defaultText = buffer;
    } else {
        return KorParameterError(-5, L"PARAMETERERROR 5: Kein Defaultwert -> return -> RSERR\r\n");
    }

    // A back value that is no text at all ends the call without an answer or a log line.
    if (!ConvertList2String(backArg, backValue))
        return RSERR;
    if (backValue.IsEmpty())
        return KorParameterError(-6, L"PARAMETERERROR 6: Backvalue leer -> return -> RSERR\r\n");

    // Texts not given are read from the table (an empty header or button string as well).
    if (headerText.IsEmpty() && !GetStringFromFragBoxIdentifier(database, table, headerNumber, headerText))
        return KorParameterError(-7, L"Keine Strings aus Datenbank -> return -> RSERR\r\n");
    if (buttonText.IsEmpty() && !GetStringFromFragBoxIdentifier(database, table, buttonNumber, buttonText))
        return KorParameterError(-7, L"Keine Strings aus Datenbank -> return -> RSERR\r\n");

    CKORAdsLispVar result;
    CKorResourceOverride resources;
    CButtonValueDlg dlg(CWnd::FromHandle(adsw_acadMainWnd()));
    dlg.m_strHeader = headerText;
    dlg.m_strButton = buttonText;
    dlg.m_strValue = defaultText;

    switch (dlg.DoModal()) {
    case IDCANCEL:
        CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(0)));
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"cancel -> return 0 -> RSRSLT\r\n");
        return RSRSLT;
    case IDOK:
        if (numeric)
            CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(1), CKORAdsLispVar(_wtof(dlg.m_strValue))));
        else
            CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(1), CKORAdsLispVar(dlg.m_strValue)));
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"return '%s' -> RSRSLT\r\n", static_cast<const wchar_t*>(dlg.m_strValue));
        return RSRSLT;
    case IDC_BUTTONVALUE_BACK:
        CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(2), CKORAdsLispVar(backValue)));
        CKORAdsLisp::Return(result);
        korDialogLog.AusgabeLang(L"DialogReturn", L"return '%s' -> RSRSLT\r\n", static_cast<const wchar_t*>(backValue));
        return RSRSLT;
    default:
        korDialogLog.AusgabeLang(L"DialogReturn", L"return -> RSERR\r\n");
        return RSERR;
    }
}
