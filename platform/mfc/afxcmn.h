// afxcmn.h — the common controls our dialogs use beyond the standard ones: the up-down
// control (spin button) beside a number field.
//
// Stands in for: MFC's afxcmn.h and the Windows common control "msctls_updown32".
// [X] CSpinButtonCtrl: range, position, buddy; the styles UDS_AUTOBUDDY, UDS_ALIGNRIGHT,
//     UDS_ARROWKEYS and UDS_SETBUDDYINT
// [ ] UDN_DELTAPOS / WM_VSCROLL notifications, acceleration, hexadecimal bases, UDS_WRAP
//
// In a template the control is a custom control of the class UPDOWN_CLASS. Its two arrows
// step the position by one within the range (no wrap); with UDS_SETBUDDYINT the buddy's text
// is the position and is read back before each step, so a typed number counts; with
// UDS_ARROWKEYS the Up and Down keys in the buddy step as the arrows do. With UDS_AUTOBUDDY
// the buddy is the control before it in the template, and with UDS_ALIGNRIGHT the control
// moves into the right end of its buddy, which gets narrower by the control's width.
#pragma once

#include "mfc/afxwin.h"

#define UPDOWN_CLASS L"msctls_updown32"

#define UDS_WRAP 0x0001
#define UDS_SETBUDDYINT 0x0002
#define UDS_ALIGNRIGHT 0x0004
#define UDS_ALIGNLEFT 0x0008
#define UDS_AUTOBUDDY 0x0010
#define UDS_ARROWKEYS 0x0020
#define UDS_NOTHOUSANDS 0x0080

class CSpinButtonCtrl : public CWnd {
public:
    // The position runs from nLower (the down arrow's end) to nUpper (the up arrow's end);
    // a range given upside down is kept so (up then counts down), as in Windows.
    void SetRange(short nLower, short nUpper);
    void SetRange32(int nLower, int nUpper);
    void GetRange32(int& nLower, int& nUpper) const;
    // Sets the position (limited to the range) and, with UDS_SETBUDDYINT, the buddy's text;
    // returns the previous position.
    int SetPos(int nPos);
    // The position; with UDS_SETBUDDYINT the buddy's number when it holds one in the range.
    int GetPos() const;
    CWnd* SetBuddy(CWnd* pWndBuddy);  // returns the previous buddy
    CWnd* GetBuddy() const;
};
