// What the FragBox and the multi-edit dialog share: arguments, labels, the rows' window.
#include "dialogs/ValueRows.h"

#include "frame/Handler.h"
#include "res/resource.h"
#include "texts/TextLookup.h"

namespace valuerows {

CString TrimmedName(const CKORAdsLispVar& arg)
{
    wchar_t buffer[260];
    CKORAdsLisp::SetQ(buffer, arg, 260);
    CString name = buffer;
    name.TrimLeft();
    name.TrimRight();
    return name;
}

namespace {

// Hands (code) to LISP and writes the check's log line; false, for the caller to return.
bool refuse(int code, const wchar_t* logLine)
{
    KorParameterError(code, L"%s", logLine);
    return false;
}

}  // namespace

bool ReadArguments(const ArgumentChecks& checks, Arguments& args)
{
    CKORAdsLispVar databaseArg, tableArg;
    CKORAdsLisp::Parameter(databaseArg, tableArg, args.labels, args.values);

    // Database and table are taken over as soon as each has passed its check.
    if (!CKORAdsLisp::StringP(databaseArg))
        return refuse(-1, checks.noDatabase);
    args.database = TrimmedName(databaseArg);
    if (!CKORAdsLisp::StringP(tableArg))
        return refuse(-2, checks.noTable);
    args.table = TrimmedName(tableArg);
    if (!CKORAdsLisp::ListP(args.labels))
        return refuse(-3, checks.noLabelList);
    if (!CKORAdsLisp::ListP(args.values))
        return refuse(-4, checks.noValueList);
    args.count = CKORAdsLisp::Length(args.labels);
    if (CKORAdsLisp::Length(args.values) != args.count)
        return refuse(-5, checks.lengthsDiffer);
    return true;
}

LabelResult ReadLabel(const CKORAdsLispVar& element, const CString& database, const CString& table, CString& label)
{
    if (CKORAdsLisp::RealP(element) || CKORAdsLisp::IntP(element)) {
        int identifier = 0;
        CKORAdsLisp::SetQ(identifier, element);
        if (identifier < 1)
            return LabelResult::NotAPositiveNumber;
        return GetStringFromFragBoxIdentifier(database, table, identifier, label) ? LabelResult::Ok
                                                                                  : LabelResult::LookupFailed;
    }
    if (CKORAdsLisp::StringP(element)) {
        wchar_t buffer[256];
        CKORAdsLisp::SetQ(buffer, element, 256);
        label = buffer;
        return LabelResult::Ok;
    }
    return LabelResult::NeitherNumberNorText;
}

void SetUpButtons(CWnd& dialog, CExtButton& ok, CExtButton& cancel, HICON& windowIcon, HICON& okIcon,
                  HICON& cancelIcon)
{
    ok.SetWindowText(LoadModuleString(IDS_OK));
    cancel.SetWindowText(LoadModuleString(IDS_CANCEL));

    windowIcon = LoadModuleIcon(IDI_KORLOGO);
    SetWindowIcons(dialog, windowIcon);
    okIcon = LoadModuleIcon(IDI_OK);
    cancelIcon = LoadModuleIcon(IDI_CANCEL);
    ok.SetIcon(okIcon, nullptr);
    cancel.SetIcon(cancelIcon, nullptr);
    ok.Invalidate(TRUE);
    cancel.Invalidate(TRUE);
}

int RowHeight(CWnd& dialog, UINT gaugeId)
{
    CWnd* gauge = dialog.GetDlgItem(static_cast<int>(gaugeId));
    if (!gauge)
        return 0;
    CRect r;
    gauge->GetWindowRect(&r);
    return r.Height();
}

void ShrinkDialog(CWnd& dialog, CWnd& ok, CWnd& cancel, int d)
{
    CRect window;
    dialog.GetWindowRect(&window);
    CRect okRect, cancelRect;
    ok.GetWindowRect(&okRect);
    dialog.ScreenToClient(&okRect);
    cancel.GetWindowRect(&cancelRect);
    dialog.ScreenToClient(&cancelRect);

    okRect.OffsetRect(0, -d);
    cancelRect.OffsetRect(0, -d);
    window.bottom -= d;

    dialog.SetWindowPos(nullptr, window.left, window.top, window.Width(), window.Height(), SWP_NOZORDER);
    ok.SetWindowPos(nullptr, okRect.left, okRect.top, okRect.Width(), okRect.Height(), SWP_NOZORDER);
    cancel.SetWindowPos(nullptr, cancelRect.left, cancelRect.top, cancelRect.Width(), cancelRect.Height(),
                        SWP_NOZORDER);
}

}  // namespace valuerows
