// The template of the multi-edit dialog, in dialog units; control order is tab order.
#include "res/resource.h"

namespace {

constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kPick = BS_PUSHBUTTON | WS_TABSTOP;                         // starts hidden
constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;  // starts hidden

// OK and Cancel at the bottom, eight rows of pick button and edit field above them; the pick
// button carries the row's label. The gauge is never shown; its height is the row spacing.
const AfxControlTemplate controls[] = {
    {IDOK, AfxControlKind::PushButton, L"OK", 41, 190, 60, 20, kDefaultButton},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 131, 190, 60, 20, kButton},
    {IDC_MULTIEDIT_PICK0, AfxControlKind::PushButton, L"", 7, 7, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT0, AfxControlKind::Edit, L"", 123, 7, 103, 14, kEdit},
    {IDC_MULTIEDIT_PICK1, AfxControlKind::PushButton, L"", 7, 28, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT1, AfxControlKind::Edit, L"", 123, 28, 103, 14, kEdit},
    {IDC_MULTIEDIT_PICK2, AfxControlKind::PushButton, L"", 7, 51, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT2, AfxControlKind::Edit, L"", 123, 51, 103, 14, kEdit},
    {IDC_MULTIEDIT_PICK3, AfxControlKind::PushButton, L"", 7, 73, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT3, AfxControlKind::Edit, L"", 123, 73, 103, 14, kEdit},
    {IDC_MULTIEDIT_PICK4, AfxControlKind::PushButton, L"", 7, 95, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT4, AfxControlKind::Edit, L"", 123, 95, 103, 14, kEdit},
    {IDC_MULTIEDIT_PICK5, AfxControlKind::PushButton, L"", 7, 118, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT5, AfxControlKind::Edit, L"", 123, 118, 103, 14, kEdit},
    {IDC_MULTIEDIT_PICK6, AfxControlKind::PushButton, L"", 7, 140, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT6, AfxControlKind::Edit, L"", 123, 140, 103, 14, kEdit},
    {IDC_MULTIEDIT_PICK7, AfxControlKind::PushButton, L"", 7, 163, 112, 14, kPick},
    {IDC_MULTIEDIT_EDIT7, AfxControlKind::Edit, L"", 123, 163, 103, 14, kEdit},
    {IDC_MULTIEDIT_ROWHEIGHT, AfxControlKind::PushButton, L"", 105, 188, 21, 22, BS_PUSHBUTTON},
};

}  // namespace

const AfxDialogTemplate korMultiEditTemplate = {
    IDD_MULTIEDIT, 0, 0, 233, 217, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    L"__kor---", L"MS Sans Serif", 8, controls, std::size(controls)};
