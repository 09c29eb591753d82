// afxres.h — resources linked into a library: dialog templates, a string table and icons.
//
// Stands in for: a Windows resource script compiled into a DLL. A library writes its
// resources as the plain tables below and registers them once with AFX_RESOURCE_TABLE; they
// are then found by the library's instance handle, as Windows finds a DLL's resources.
// [X] dialog templates in dialog units with caption, style and font; controls in tab order
// [X] string table; icons as XPM images, several sizes per id
// [ ] menus, accelerators, bitmaps, version resources
#pragma once

#include "mfc/afx.h"

#include <cstddef>

// Window styles (values as in Windows).
#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L  // top-level windows (the bit WS_GROUP has on controls)
#define WS_MAXIMIZEBOX 0x00010000L  // top-level windows (the bit WS_TABSTOP has on controls)
#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L
#define DS_CENTER 0x0800L

// Extended window styles.
#define WS_EX_TOOLWINDOW 0x00000080L  // a floating tool window: a slim caption, no taskbar entry
#define WS_EX_APPWINDOW 0x00040000L   // a window of its own in the taskbar, even with an owner

// Control styles.
#define BS_PUSHBUTTON 0x0L
#define BS_DEFPUSHBUTTON 0x1L
#define BS_AUTOCHECKBOX 0x3L
#define BS_GROUPBOX 0x7L
#define BS_AUTORADIOBUTTON 0x9L
#define ES_LEFT 0x0L
#define ES_RIGHT 0x2L
#define ES_MULTILINE 0x4L
#define ES_AUTOHSCROLL 0x80L
#define ES_READONLY 0x800L
#define ES_NUMBER 0x2000L  // only digits can be typed
#define SS_LEFT 0x0L
#define SS_CENTER 0x1L
#define SS_RIGHT 0x2L
#define SS_ICON 0x3L
#define CBS_DROPDOWN 0x2L
#define CBS_DROPDOWNLIST 0x3L
#define CBS_SORT 0x100L
#define LBS_NOTIFY 0x1L
#define LBS_SORT 0x2L
#define LBS_NOINTEGRALHEIGHT 0x100L
#define LBS_EXTENDEDSEL 0x800L

// The id of template controls no code refers to (frames, fixed labels).
#define IDC_STATIC (-1)

// What kind of window a template control becomes.
enum class AfxControlKind {
    PushButton,   // PUSHBUTTON / DEFPUSHBUTTON (BS_DEFPUSHBUTTON in style)
    CheckBox,     // AUTOCHECKBOX
    RadioButton,  // AUTORADIOBUTTON
    GroupBox,     // GROUPBOX
    Static,       // LTEXT / CTEXT / RTEXT (SS_* alignment in style)
    Icon,         // ICON: text holds the icon id as digits
    Edit,         // EDITTEXT
    ComboBox,     // COMBOBOX
    ListBox,      // LISTBOX
    Custom,       // CONTROL with a class name the window layer knows
};

struct AfxControlTemplate {
    UINT id;
    AfxControlKind kind;
    const wchar_t* text;
    short x, y, cx, cy;  // dialog units
    DWORD style;         // WS_VISIBLE and WS_TABSTOP must be given where wanted
    const wchar_t* className = nullptr;  // for AfxControlKind::Custom
    // Dialog-initialisation data: the lines a combo or list box gets when it is created, a
    // list ended by a null pointer (null: none).
    const wchar_t* const* initStrings = nullptr;
};

struct AfxDialogTemplate {
    UINT id;
    short x, y, cx, cy;  // dialog units
    DWORD style;
    const wchar_t* caption;
    const wchar_t* fontName;
    short fontPoints;
    const AfxControlTemplate* controls;
    size_t controlCount;
    DWORD exStyle = 0;  // extended style (WS_EX_*) of an extended template
};

struct AfxStringResource {
    UINT id;
    const wchar_t* text;
};

struct AfxIconResource {
    UINT id;
    int size;                 // width and height in pixels
    const char* const* xpm;   // the image in XPM form
};

struct AfxResourceTable {
    const AfxDialogTemplate* dialogs;
    size_t dialogCount;
    const AfxStringResource* strings;
    size_t stringCount;
    const AfxIconResource* icons;
    size_t iconCount;
};

// Registers the resources of the library containing `anchor` (any address inside it).
void AfxRegisterResources(const void* anchor, const AfxResourceTable* table);
void AfxUnregisterResources(const AfxResourceTable* table);

// Lookups by instance: null when the instance has no such resource.
const AfxDialogTemplate* AfxFindDialogTemplate(HINSTANCE instance, UINT id);
const AfxStringResource* AfxFindStringResource(HINSTANCE instance, UINT id);
// The icon of `id` whose size is nearest to `size` (larger preferred on a tie).
const AfxIconResource* AfxFindIconResource(HINSTANCE instance, UINT id, int size);
// Where MFC looks for a named resource: the current resource handle first, then the
// resource chain, then every other library that registered resources.
HINSTANCE AfxFindDialogResourceHandle(UINT id);

#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(p) ((reinterpret_cast<uintptr_t>(p) >> 16) == 0)

// Registers a library's resources for as long as the library is loaded: define one
// AfxResourceTable in the library and pass it. Use once per library.
#define AFX_RESOURCE_TABLE(table_)                                                  \
    namespace {                                                                     \
    struct AfxResourceRegistrar_ {                                                  \
        AfxResourceRegistrar_() { AfxRegisterResources(&(table_), &(table_)); }     \
        ~AfxResourceRegistrar_() { AfxUnregisterResources(&(table_)); }             \
    } afxResourceRegistrar_;                                                        \
    }
