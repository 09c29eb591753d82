// The handlers of korDialog_GridDialog and korDialog_GridDialog_LType.
#include "dialogs/GridDialog.h"

#include "dialogs/GridDialogDlg.h"
#include "frame/Handler.h"
#include "kor/korcommon.h"

#include <cwchar>
#include <memory>
#include <vector>

namespace {

using V = CKORAdsLispVar;
using L = CKORAdsLisp;

// The row arrays of one call: handed to the dialog as pointers, deleted on every way out.
struct RowList {
    std::vector<std::unique_ptr<CStringArray>> owned;
    std::vector<CStringArray*> rows;
    CStringArray* add()
    {
        owned.push_back(std::make_unique<CStringArray>());
        rows.push_back(owned.back().get());
        return rows.back();
    }
};

// Appends every string element of a LISP list to `out`; other elements are left out. The
// elements are read in place: a table of many rows is not copied on its way to the grid.
void appendStrings(const V& list, CStringArray& out)
{
    for (const V& element : list.elements()) {
        const wchar_t* text = nullptr;  // points into the element
        L::SetQ(text, element);
        if (text)
            out.Add(text);
    }
}

int rowNumber(const CString& text) { return static_cast<int>(_wtol(text)); }

// Element n of the argument list as Nth gives it, read in place (the rows can be many).
const V& element(const V& list, int n)
{
    static const V nil;
    return L::ListP(list) && n < L::Length(list) ? list.elements()[static_cast<size_t>(n)] : nil;
}

}  // namespace

int GridDialog()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_GridDialog -> GridDialog()\r\n");
    V arg;
    L::Parameter(arg);

    const V preselectArg = L::Car(arg);
    if (!L::IntP(preselectArg))
        return KorParameterError(-1, L"PARAMETERERROR 1: keine Zahl -> return -> RSERR\r\n");
    int preselected = 0;
    L::SetQ(preselected, preselectArg);

    const V titleArg = L::Nth(1, arg);
    if (!L::StringP(titleArg))
        return KorParameterError(-1, L"PARAMETERERROR 2: keine Dialogtitel -> return -> RSERR\r\n");
    const wchar_t* titleText = nullptr;
    L::SetQ(titleText, titleArg);
    CString title = titleText ? titleText : L"";
    title.Trim();

    const V modeArg = L::Nth(2, arg);
    if (!L::IntP(modeArg))
        return KorParameterError(-1, L"PARAMETERERROR 2: keine Selectionmode -> return -> RSERR\r\n");
    int mode = 1;
    L::SetQ(mode, modeArg);

    CStringArray headers;
    const V& headerArg = element(arg, 3);
    if (L::ListP(headerArg))
        appendStrings(headerArg, headers);

    RowList rows;
    const V& rowsArg = element(arg, 4);
    if (L::ListP(rowsArg)) {
        for (const V& element : rowsArg.elements()) {
            CStringArray* row = rows.add();  // also for an element that is no list
            if (L::ListP(element))
                appendStrings(element, *row);
        }
    }

    int hiddenColumn = -1;
    if (L::Length(arg) > 5 && L::IntP(L::Nth(5, arg)))
        L::SetQ(hiddenColumn, L::Nth(5, arg));

    V result;
    {
        CKorResourceOverride resources;
        CGridDialogDlg dlg(nullptr);
        dlg.SetHeaders(headers);
        dlg.SetRows(rows.rows);
        dlg.m_strTitle = title;
        if (hiddenColumn >= 0) {
            dlg.m_Grid.SetColumnWidth(hiddenColumn, 0);
            dlg.m_Grid.SetGridBkColor(RGB(255, 255, 255));
        }
        CString row;
        row.Format(L"%i", preselected);
        dlg.m_SelectionList.Add(row);
        dlg.m_bMultipleSelection = mode == 0;
        if (mode == 2)
            dlg.m_bEdit = true;

        dlg.DoModal();  // the members tell how it ended: Cancel leaves them empty

        if (mode == 2) {
            for (int i = 0; i < dlg.m_KeyTexts.GetSize(); ++i) {
                const CString value = i < dlg.m_ValueTexts.GetSize() ? dlg.m_ValueTexts[i] : CString();
                result.Append(L::List(V(L::Cons(V(dlg.m_KeyTexts[i]), V(value)))));
            }
        } else {
            const int count = static_cast<int>(rows.rows.size());
            for (int i = 0; i < dlg.m_SelectionList.GetSize(); ++i) {
                const int r = rowNumber(dlg.m_SelectionList[i]);
                if (r < 1 || r > count)
                    continue;
                const CStringArray& texts = *rows.rows[r - 1];
                // A row without texts answers with the empty text.
                const CString first = texts.GetSize() > 0 ? texts[0] : CString();
                result.Append(L::List(L::List(V(r), V(first))));
            }
        }
        result.Append(L::List(L::Nil));
    }
    L::Return(result);
    rows.owned.clear();
    korDialogLog.AusgabeLang(L"DialogReturn", L"return -> RSRSLT\r\n");
    return RSRSLT;
}

int GridDialogLType()
{
    CKORDebugHelpFunction scope(korDialogLog, L"Dialog", L"korDialog_GridDialog_LType -> GridDialogLType()\r\n");
    V arg;
    L::Parameter(arg);
    if (!L::StringP(arg))
        return KorParameterError(-1, L"PARAMETERERROR 1: Defaultselektion kein String -> return -> RSERR\r\n");
    const wchar_t* defaultText = nullptr;
    L::SetQ(defaultText, arg);
    const CString defaultName = defaultText ? defaultText : L"";

    // The drawing's linetypes in table order; names of external references ("XREF|NAME")
    // are not offered. Each row keeps the dash lengths of its linetype (groups 49).
    RowList rows;
    std::vector<std::vector<double>> patterns;
    int preselected = -1;
    for (resbuf* record = acdbTblNext(L"LTYPE", 1); record; record = acdbTblNext(L"LTYPE", 0)) {
        const resbuf* nameItem = NKORAdsSysCommonUtils::ResultBufferItem(record, 2);
        if (nameItem && nameItem->resval.rstring && !std::wcschr(nameItem->resval.rstring, L'|')) {
            const resbuf* descriptionItem = NKORAdsSysCommonUtils::ResultBufferItem(record, 3);
            CStringArray* row = rows.add();
            row->Add(nameItem->resval.rstring);
            row->Add(descriptionItem && descriptionItem->resval.rstring ? descriptionItem->resval.rstring : L"");
            std::vector<double> lengths;
            for (const resbuf* rb = record; rb; rb = rb->rbnext)
                if (rb->restype == 49)
                    lengths.push_back(rb->resval.rreal);
            patterns.push_back(std::move(lengths));
            if (defaultName == CString(nameItem->resval.rstring))
                preselected = static_cast<int>(rows.rows.size());
        }
        acutRelRb(record);
    }

    int chosenRow = -1;
    CString chosenName;
    {
        CKorResourceOverride resources;
        CStringArray headers;
        headers.Add(LoadModuleString(IDS_LTYPE_NAME));
        headers.Add(LoadModuleString(IDS_LTYPE_DESCRIPTION));
        CGridDialogDlg dlg(nullptr);
        dlg.SetHeaders(headers);
        dlg.SetRows(rows.rows);
        dlg.m_strTitle = LoadModuleString(IDS_LTYPE_TITLE);

        // A column of our own after the two named ones: each linetype drawn as a short line.
        CKORGuiExtGridCtrl& grid = dlg.m_Grid;
        const int patternColumn = grid.GetColumnCount();
        grid.SetColumnCount(patternColumn + 1);
        grid.GetCell(0, patternColumn)->SetText(LoadModuleString(IDS_LTYPE_PATTERN));
        for (size_t i = 0; i < patterns.size(); ++i) {
            const int r = grid.GetFixedRowCount() + static_cast<int>(i);
            grid.SetCellType(r, patternColumn, RUNTIME_CLASS(CKORGuiExtGridCellPattern));
            if (auto* cell = dynamic_cast<CKORGuiExtGridCellPattern*>(grid.GetCell(r, patternColumn)))
                cell->SetPattern(patterns[i]);
            grid.SetItemState(r, patternColumn, grid.GetItemState(r, patternColumn) | GVIS_READONLY);
        }

        CString row;
        row.Format(L"%i", preselected);
        dlg.m_SelectionList.Add(row);
        dlg.m_bMultipleSelection = false;
        dlg.DoModal();

        if (dlg.m_SelectionList.GetSize() > 0) {
            chosenRow = rowNumber(dlg.m_SelectionList[0]);
            if (chosenRow >= 1 && chosenRow <= static_cast<int>(rows.rows.size()))
                chosenName = (*rows.rows[chosenRow - 1])[0];
        }
    }
    V result;
    L::SetQ(result, L::List(V(chosenRow), V(chosenName)));
    L::Return(result);
    rows.owned.clear();
    korDialogLog.AusgabeLang(L"DialogReturn", L"return -> RSRSLT\r\n");
    return RSRSLT;
}
