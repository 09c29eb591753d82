// The template of the colour dialog, in dialog units; control order is tab order.
#include "res/resource.h"

#include "mfc/afxcmn.h"

namespace {

constexpr DWORD kLabel = SS_RIGHT | WS_VISIBLE;
constexpr DWORD kField = ES_RIGHT | ES_NUMBER | ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kSpin = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS | WS_VISIBLE;
constexpr auto kSpinKind = AfxControlKind::Custom;

// The picker's presentations, in the order of the colour control's modes.
const wchar_t* const kModes[] = {
    L" Basisfarben",
    L" Farbe, Sättigung und Licht - Mixer",
    L" Farbe, Sättigung und Licht - Basisfarbe",
    L" Farbe, Sättigung und Licht - Roller",
    L" Rot, Grün und Blau - Quader",
    L" Rot, Grün und Blau - Mixer",
    L" Grauskalierung - Mixer",
    L" Cyan, Magenta und Gelb - Quader",
    L" Cyan, Magenta und Gelb - Mixer",
    L" Rote Achse",
    L" Grüne Achse",
    L" Blaue Achse",
    L" Cyan Achse",
    L" Magenta Achse",
    L" Gelbe Achse",
    nullptr,
};

// The mode box across the top; below it the picker on the left and, on the right, the
// fields of red, green, blue, cyan, magenta, yellow, hue, saturation and light, each with
// its label and spin button, then the swatch between "Neu" and "Aktuell"; OK and Cancel
// under the picker.
const AfxControlTemplate controls[] = {
    {IDC_COLOR_MODE_LABEL, AfxControlKind::Static, L"Colors:", 7, 9, 25, 9, SS_LEFT | WS_VISIBLE},
    {IDC_COLOR_MODE, AfxControlKind::ComboBox, L"", 34, 7, 189, 57, CBS_DROPDOWNLIST | WS_VSCROLL | WS_VISIBLE | WS_TABSTOP,
     nullptr, kModes},
    {IDC_COLOR_PICKER, AfxControlKind::PushButton, L"", 7, 25, 139, 130, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP},
    {IDC_COLOR_RED_LABEL, AfxControlKind::Static, L"Rot", 149, 26, 35, 10, kLabel},
    {IDC_COLOR_RED, AfxControlKind::Edit, L"", 188, 24, 35, 12, kField},
    {IDC_COLOR_RED_SPIN, kSpinKind, L"", 213, 28, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_GREEN_LABEL, AfxControlKind::Static, L"Grün", 149, 38, 35, 10, kLabel},
    {IDC_COLOR_GREEN, AfxControlKind::Edit, L"", 188, 36, 35, 12, kField},
    {IDC_COLOR_GREEN_SPIN, kSpinKind, L"", 213, 40, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_BLUE_LABEL, AfxControlKind::Static, L"Blau", 149, 51, 35, 10, kLabel},
    {IDC_COLOR_BLUE, AfxControlKind::Edit, L"", 188, 49, 35, 12, kField},
    {IDC_COLOR_BLUE_SPIN, kSpinKind, L"", 213, 53, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_CYAN_LABEL, AfxControlKind::Static, L"Cyan", 149, 66, 35, 10, kLabel},
    {IDC_COLOR_CYAN, AfxControlKind::Edit, L"", 188, 65, 35, 12, kField},
    {IDC_COLOR_CYAN_SPIN, kSpinKind, L"", 213, 69, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_MAGENTA_LABEL, AfxControlKind::Static, L"Magenta", 149, 79, 35, 10, kLabel},
    {IDC_COLOR_MAGENTA, AfxControlKind::Edit, L"", 188, 77, 35, 12, kField},
    {IDC_COLOR_MAGENTA_SPIN, kSpinKind, L"", 213, 81, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_YELLOW_LABEL, AfxControlKind::Static, L"Gelb", 149, 92, 35, 10, kLabel},
    {IDC_COLOR_YELLOW, AfxControlKind::Edit, L"", 188, 90, 35, 12, kField},
    {IDC_COLOR_YELLOW_SPIN, kSpinKind, L"", 213, 94, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_HUE_LABEL, AfxControlKind::Static, L"Farbe", 149, 108, 35, 10, kLabel},
    {IDC_COLOR_HUE, AfxControlKind::Edit, L"", 188, 106, 35, 12, kField},
    {IDC_COLOR_HUE_SPIN, kSpinKind, L"", 213, 109, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_SAT_LABEL, AfxControlKind::Static, L"Sättigung", 149, 121, 35, 10, kLabel},
    {IDC_COLOR_SAT, AfxControlKind::Edit, L"", 188, 119, 35, 12, kField},
    {IDC_COLOR_SAT_SPIN, kSpinKind, L"", 213, 123, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_LIGHT_LABEL, AfxControlKind::Static, L"Licht", 149, 134, 35, 10, kLabel},
    {IDC_COLOR_LIGHT, AfxControlKind::Edit, L"", 188, 132, 35, 12, kField},
    {IDC_COLOR_LIGHT_SPIN, kSpinKind, L"", 213, 136, 12, 7, kSpin, UPDOWN_CLASS},
    {IDC_COLOR_NEW_LABEL, AfxControlKind::Static, L"Neu", 149, 152, 35, 10, kLabel},
    {IDC_COLOR_SWATCH, AfxControlKind::PushButton, L"", 188, 149, 35, 29, BS_PUSHBUTTON | WS_VISIBLE},
    {IDC_COLOR_CURRENT_LABEL, AfxControlKind::Static, L"Aktuell", 149, 166, 35, 10, kLabel},
    {IDOK, AfxControlKind::PushButton, L"OK", 7, 158, 60, 20, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP},
    {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 89, 158, 60, 20, BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP},
};

}  // namespace

const AfxDialogTemplate korColorTemplate = {
    IDD_KORCOLOR, 0, 0, 230, 185,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | DS_SETFONT,
    L"Select color ...", L"MS Sans Serif", 8, controls, std::size(controls), WS_EX_APPWINDOW};
