// The template of the button dialog, in dialog units; control order is tab order.
#include "res/resource.h"

namespace {

constexpr DWORD kHiddenButton = BS_PUSHBUTTON | WS_TABSTOP;  // no WS_VISIBLE: starts hidden
constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;

// Up to twelve choice buttons in one column, Cancel below. The spacer is invisible; its
// height is one row of the column.
const AfxControlTemplate controls[] = {
    {IDC_BUTTONDIALOG_CHOICE0, AfxControlKind::PushButton, L"", 7, 7, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE1, AfxControlKind::PushButton, L"", 7, 24, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE2, AfxControlKind::PushButton, L"", 7, 42, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE3, AfxControlKind::PushButton, L"", 7, 59, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE4, AfxControlKind::PushButton, L"", 7, 76, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE5, AfxControlKind::PushButton, L"", 7, 95, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE6, AfxControlKind::PushButton, L"", 7, 112, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE7, AfxControlKind::PushButton, L"", 7, 130, 150, 14, kHiddenButton},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 52, 224, 60, 20, kButton},
    {IDC_BUTTONDIALOG_SPACER, AfxControlKind::PushButton, L"", 7, 226, 21, 18, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE8, AfxControlKind::PushButton, L"", 7, 148, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE9, AfxControlKind::PushButton, L"", 7, 167, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE10, AfxControlKind::PushButton, L"", 7, 185, 150, 14, kHiddenButton},
    {IDC_BUTTONDIALOG_CHOICE11, AfxControlKind::PushButton, L"", 7, 203, 150, 14, kHiddenButton},
};

}  // namespace

const AfxDialogTemplate korButtonDialogTemplate = {
    IDD_BUTTONDIALOG, 0, 0, 164, 251, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    L"Dialog", L"MS Sans Serif", 8, controls, std::size(controls)};
