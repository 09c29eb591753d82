// The template of the line-weight dialog, in dialog units; control order is tab order.
#include "res/resource.h"

namespace {

constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kSimpleSorted = 0x1L /* CBS_SIMPLE */ | CBS_SORT | WS_VSCROLL | WS_VISIBLE | WS_CHILD | WS_TABSTOP;

const AfxControlTemplate controls[] = {
    {IDCANCEL, AfxControlKind::PushButton, L"Abbruch", 141, 93, 60, 16, kButton},
    {IDOK, AfxControlKind::PushButton, L"Ok", 7, 93, 60, 16, kButton},
    {IDC_LWEIGHT_COMBO, AfxControlKind::ComboBox, L"", 7, 7, 194, 82, kSimpleSorted},
};

}  // namespace

const AfxDialogTemplate korLWeightDialogTemplate = {
    IDD_LWEIGHTDIALOG, 0, 0, 208, 113, WS_POPUP | WS_CAPTION | WS_THICKFRAME | DS_SETFONT,
    L"", L"MS Sans Serif", 8, controls, std::size(controls)};
