// Dialog templates of the module, in dialog units; control order is tab order.
#include "res/resource.h"

namespace {

constexpr DWORD kHiddenButton = BS_PUSHBUTTON | WS_TABSTOP;  // no WS_VISIBLE: starts hidden
constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;

// The button dialog: up to twelve choice buttons in one column, Cancel below. Control 200
// is an invisible spacer whose height is one row of the column.
const AfxControlTemplate buttonDialogControls[] = {
    {1001, AfxControlKind::PushButton, L"", 7, 7, 150, 14, kHiddenButton},
    {1003, AfxControlKind::PushButton, L"", 7, 24, 150, 14, kHiddenButton},
    {1005, AfxControlKind::PushButton, L"", 7, 42, 150, 14, kHiddenButton},
    {1007, AfxControlKind::PushButton, L"", 7, 59, 150, 14, kHiddenButton},
    {1009, AfxControlKind::PushButton, L"", 7, 76, 150, 14, kHiddenButton},
    {1011, AfxControlKind::PushButton, L"", 7, 95, 150, 14, kHiddenButton},
    {1013, AfxControlKind::PushButton, L"", 7, 112, 150, 14, kHiddenButton},
    {1015, AfxControlKind::PushButton, L"", 7, 130, 150, 14, kHiddenButton},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 52, 224, 60, 20, kButton},
    {IDC_BUTTONDIALOG_SPACER, AfxControlKind::PushButton, L"", 7, 226, 21, 18, kHiddenButton},
    {1017, AfxControlKind::PushButton, L"", 7, 148, 150, 14, kHiddenButton},
    {1019, AfxControlKind::PushButton, L"", 7, 167, 150, 14, kHiddenButton},
    {1021, AfxControlKind::PushButton, L"", 7, 185, 150, 14, kHiddenButton},
    {1023, AfxControlKind::PushButton, L"", 7, 203, 150, 14, kHiddenButton},
};

}  // namespace

const AfxDialogTemplate korDialogTemplates[] = {
    {IDD_BUTTONDIALOG, 0, 0, 164, 251, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
     L"Dialog", L"MS Sans Serif", 8, buttonDialogControls, std::size(buttonDialogControls)},
};
const size_t korDialogTemplateCount = std::size(korDialogTemplates);
