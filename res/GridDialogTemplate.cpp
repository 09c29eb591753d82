// The template of the grid dialog, in dialog units; control order is tab order.
#include "res/resource.h"

namespace {

constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;

// Cancel and OK under the grid; the grid window class is the common library's.
const AfxControlTemplate controls[] = {
    {IDCANCEL, AfxControlKind::PushButton, L"Abbruch", 141, 93, 60, 16, kButton},
    {IDOK, AfxControlKind::PushButton, L"Ok", 7, 93, 60, 16, kButton},
    {IDC_GRIDDIALOG_GRID, AfxControlKind::Custom, L"", 7, 7, 194, 82, WS_CHILD | WS_VISIBLE, L"MFCGridCtrl"},
};

}  // namespace

const AfxDialogTemplate korGridDialogTemplate = {
    IDD_GRIDDIALOG, 0, 0, 208, 113, WS_POPUP | WS_CAPTION | WS_THICKFRAME | DS_SETFONT,
    L"", L"MS Sans Serif", 8, controls, std::size(controls)};
