// wintypes.h — the handful of Windows base types the CAD and dialog layers share.
//
// Stands in for: <windows.h> as far as handles, BOOL and the dialog result codes go.
// [X] handle types (HWND, HINSTANCE, HICON, HANDLE) as distinct opaque pointers
// [X] BOOL/UINT/DWORD/WPARAM/LPARAM/LRESULT, RECT/POINT/SIZE
// [X] dialog results IDOK/IDCANCEL, window messages and flags that callers name
// [X] _wtof, as the C runtime reads numbers in its default ("C") locale, a decimal comma too;
//     _wtoi and _wtol
// [ ] everything else of the Win32 API
#pragma once

#include <climits>
#include <clocale>
#include <cstdint>
#include <cwchar>
#include <string>

typedef int BOOL;
#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

typedef unsigned int UINT;
typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef unsigned char BYTE;
typedef long LONG;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t LRESULT;
typedef intptr_t INT_PTR;
typedef wchar_t WCHAR;
typedef wchar_t* LPWSTR;
typedef const wchar_t* LPCWSTR;
typedef const wchar_t* LPCTSTR;
typedef wchar_t TCHAR;

// Opaque handles: each is its own pointer type so they cannot be mixed up.
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;
struct HICON__;
typedef HICON__* HICON;
typedef void* HANDLE;

struct RECT {
    LONG left = 0, top = 0, right = 0, bottom = 0;
};
typedef RECT* LPRECT;
struct POINT {
    LONG x = 0, y = 0;
};
struct SIZE {
    LONG cx = 0, cy = 0;
};

// Dialog results.
#define IDOK 1
#define IDCANCEL 2

// Reasons passed to a library's entry function.
#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// Colours: red in the low byte, then green, then blue.
typedef DWORD COLORREF;
#define RGB(r, g, b) \
    (static_cast<COLORREF>(static_cast<BYTE>(r) | (static_cast<WORD>(static_cast<BYTE>(g)) << 8) | \
                           (static_cast<DWORD>(static_cast<BYTE>(b)) << 16)))
#define GetRValue(rgb) (static_cast<BYTE>((rgb) & 0xFF))
#define GetGValue(rgb) (static_cast<BYTE>(((rgb) >> 8) & 0xFF))
#define GetBValue(rgb) (static_cast<BYTE>(((rgb) >> 16) & 0xFF))

// Window messages the module sends.
#define WM_SETICON 0x0080
#define ICON_SMALL 0
#define ICON_BIG 1

#define _T(x) L##x
#define _TEXT(x) L##x

// The number at the start of `text` (after white space): the longest leading part that forms
// one, with a point as the decimal sign whatever the process's locale (Qt puts the desktop's
// into force); 0 when there is none. A text without a point may use a comma instead, as a
// German user types a number: "1,35" is 1.35.
// (No static here: a static inside an inline function would keep a module that calls it
// from ever being unloaded.)
inline double _wtof(const wchar_t* text)
{
    if (!text)
        return 0.0;
    std::wstring number(text);
    if (number.find(L'.') == std::wstring::npos)
        if (size_t comma = number.find(L','); comma != std::wstring::npos)
            number[comma] = L'.';
    locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    if (!c)
        return wcstod(number.c_str(), nullptr);
    double value = wcstod_l(number.c_str(), nullptr, c);
    freelocale(c);
    return value;
}

// The C runtime's _wtol: leading white space, a sign and the digits that follow; 0 when the
// text does not start with a number. Numbers beyond the range of long are cut to its limits.
inline long _wtol(const wchar_t* text) { return text ? wcstol(text, nullptr, 10) : 0L; }

// The C runtime's _wtoi: as _wtol, cut to the limits of int.
inline int _wtoi(const wchar_t* text)
{
    long long n = text ? wcstoll(text, nullptr, 10) : 0LL;
    return n > INT_MAX ? INT_MAX : n < INT_MIN ? INT_MIN : static_cast<int>(n);
}
