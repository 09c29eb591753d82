// The template of the button-value dialog, in dialog units; control order is tab order.
#include "res/resource.h"

namespace {

constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;

// OK and Cancel at the bottom; above them a frame with the label, and below the label the
// back-value button with the value edit to its right.
const AfxControlTemplate controls[] = {
    {IDOK, AfxControlKind::PushButton, L"OK", 4, 47, 60, 14, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 90, 47, 60, 14, kButton},
    {IDC_BUTTONVALUE_HEADER, AfxControlKind::Static, L"Static", 9, 11, 135, 8, SS_LEFT | WS_VISIBLE | WS_GROUP},
    {IDC_BUTTONVALUE_BACK, AfxControlKind::PushButton, L"Button1", 9, 23, 87, 14, kButton},
    {IDC_BUTTONVALUE_VALUE, AfxControlKind::Edit, L"", 104, 23, 40, 14,
     ES_LEFT | ES_AUTOHSCROLL | WS_VISIBLE | WS_BORDER | WS_TABSTOP},
    {static_cast<UINT>(IDC_STATIC), AfxControlKind::GroupBox, L"", 4, 2, 146, 41, BS_GROUPBOX | WS_VISIBLE},
};

}  // namespace

const AfxDialogTemplate korButtonValueTemplate = {
    IDD_BUTTONVALUE, 0, 0, 153, 67, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    L"_ kor --", L"MS Sans Serif", 8, controls, std::size(controls), WS_EX_TOOLWINDOW};
