// The template of the CAD-class assignment dialog, in dialog units; control order is tab
// order.
#include "res/resource.h"

namespace {

constexpr DWORD kLabel = SS_LEFT | WS_VISIBLE | WS_GROUP;
constexpr DWORD kSearch = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kList = LBS_NOTIFY | LBS_SORT | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP;

// The search field over the list of classes, the hint below it; Cancel (hidden by the dialog),
// "Zeigen" and OK at the bottom.
const AfxControlTemplate controls[] = {
    {IDC_CADCLASS_SEARCH_LABEL, AfxControlKind::Static, L"Suche", 6, 6, 31, 8, kLabel},
    {IDC_CADCLASS_SEARCH, AfxControlKind::Edit, L"", 42, 3, 342, 14, kSearch},
    {IDC_CADCLASS_LIST, AfxControlKind::ListBox, L"", 5, 21, 379, 109, kList},
    {IDC_CADCLASS_HINT, AfxControlKind::Static, L"Static", 5, 135, 380, 8, kLabel},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbruch", 6, 150, 50, 17, kButton},
    {IDC_CADCLASS_SHOW, AfxControlKind::PushButton, L"Zeigen", 222, 150, 78, 17, kButton},
    {IDOK, AfxControlKind::PushButton, L"OK", 306, 150, 78, 17, kDefaultButton},
};

}  // namespace

const AfxDialogTemplate korCADClassTemplate = {
    IDD_CADCLASS, 0, 0, 392, 174, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT,
    L"Dialog", L"MS Shell Dlg", 8, controls, std::size(controls)};
