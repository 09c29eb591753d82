// The template of the FragBox, in dialog units; control order is tab order.
#include "res/resource.h"

namespace {

constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT;                                     // starts hidden
constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;  // starts hidden

// OK and Cancel at the bottom, eight rows of label and edit field above them. The gauge is
// never shown; its height is the spacing of the rows.
const AfxControlTemplate controls[] = {
    {IDOK, AfxControlKind::PushButton, L"OK", 41, 190, 60, 20, kDefaultButton},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 131, 190, 60, 20, kButton},
    {IDC_FRAGBOX_LABEL0, AfxControlKind::Static, L"", 7, 10, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT0, AfxControlKind::Edit, L"", 123, 7, 103, 14, kEdit},
    {IDC_FRAGBOX_LABEL1, AfxControlKind::Static, L"", 7, 31, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT1, AfxControlKind::Edit, L"", 123, 29, 103, 14, kEdit},
    {IDC_FRAGBOX_LABEL2, AfxControlKind::Static, L"", 7, 54, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT2, AfxControlKind::Edit, L"", 123, 51, 103, 14, kEdit},
    {IDC_FRAGBOX_LABEL3, AfxControlKind::Static, L"", 7, 76, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT3, AfxControlKind::Edit, L"", 123, 73, 103, 14, kEdit},
    {IDC_FRAGBOX_LABEL4, AfxControlKind::Static, L"", 7, 97, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT4, AfxControlKind::Edit, L"", 123, 95, 103, 14, kEdit},
    {IDC_FRAGBOX_LABEL5, AfxControlKind::Static, L"", 7, 120, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT5, AfxControlKind::Edit, L"", 123, 118, 103, 14, kEdit},
    {IDC_FRAGBOX_LABEL6, AfxControlKind::Static, L"", 7, 143, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT6, AfxControlKind::Edit, L"", 123, 140, 103, 14, kEdit},
    {IDC_FRAGBOX_LABEL7, AfxControlKind::Static, L"", 7, 165, 113, 8, kLabel},
    {IDC_FRAGBOX_EDIT7, AfxControlKind::Edit, L"", 123, 163, 103, 14, kEdit},
    {IDC_FRAGBOX_ROWHEIGHT, AfxControlKind::PushButton, L"", 105, 188, 21, 22, BS_PUSHBUTTON},
};

}  // namespace

const AfxDialogTemplate korFragBoxTemplate = {
    IDD_FRAGBOX, 0, 0, 233, 217, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
    L"__kor---", L"MS Sans Serif", 8, controls, std::size(controls)};
