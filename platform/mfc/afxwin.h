// afxwin.h — the window side of our MFC stand-in: windows, message maps, modal dialogs from
// templates, the standard controls, data exchange and icons.
//
// Stands in for: MFC's afxwin.h / afxdlgs.h and the Win32 window calls behind them. The
// windows are Qt widgets; this header names none of Qt (HWND is opaque).
// [X] CPoint, CSize, CRect
// [X] CCmdTarget message maps: BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP, ON_COMMAND,
//     ON_BN_CLICKED, ON_EN_CHANGE, ON_CBN_SELCHANGE, ON_LBN_SELCHANGE, ON_LBN_DBLCLK,
//     ON_CONTROL, ON_CONTROL_RANGE (the handler gets the id); dispatch walks the class's map,
//     then its base classes' maps
// [X] CWnd: handles (FromHandle, Attach), child controls by id, text, show/hide, enable,
//     geometry (SetWindowPos, MoveWindow, GetWindowRect, GetClientRect, screen/client
//     mapping), focus, SendMessage for WM_SETICON / WM_GETICON / WM_COMMAND / WM_CLOSE / EM_SETSEL /
//     EM_SCROLLCARET / CB_SETCURSEL
// [X] CDialog: DoModal over a template looked up by id (current resource handle first),
//     EndDialog, OnInitDialog / OnOK / OnCancel / DoDataExchange / UpdateData, the dialog
//     manager's keyboard (Escape, Enter, Tab) and initial focus
// [X] CButton, CEdit, CStatic, CComboBox, CListBox; DDX_Control, DDX_Text
// [X] SendMessage LB_* for list boxes (add, insert, delete, reset, selection, text, find,
//     item data), with Windows' values and results
// [X] WM_CTLCOLOR: CWnd::OnCtlColor (ON_WM_CTLCOLOR) is asked for each control of a dialog
//     when it shows and whenever the dialog or the control is invalidated; CDC (colours and
//     background mode), CBrush / CreateSolidBrush / DeleteObject for solid brushes
// [X] LoadImageW / DestroyIcon for icons a library links in; AfxMessageBox
// [ ] menus, toolbars, modeless dialogs, owner drawing, drawing with GDI, the rest of the
//     message set
//
// Behaviour follows Windows where a dialog can notice it: template sizes are dialog units of
// the template font; Escape and the close box send IDCANCEL; a push button that has the focus
// is the default button (and is drawn so), else the template's default is; Enter presses the
// focused push button, else the default push button, else sends IDOK; child windows vanish
// with their dialog when DoModal returns; temporary window objects go when the outermost
// DoModal returns.
#pragma once

#include "mfc/afxres.h"

typedef POINT* LPPOINT;
typedef const RECT* LPCRECT;
typedef unsigned short USHORT;
typedef uintptr_t DWORD_PTR;

// ---- messages, notifications and flags (values as in Windows) ---------------------------
#define WM_DESTROY 0x0002
#define WM_CLOSE 0x0010
#define WM_CTLCOLOR 0x0019
#define WM_GETICON 0x007F
#define WM_COMMAND 0x0111
#define EM_SETSEL 0x00B1      // edits: select from wParam to lParam (-1: to the end)
#define EM_SCROLLCARET 0x00B7  // edits: scroll the caret into view
#define CB_SETCURSEL 0x014E    // combo boxes: select line wParam (out of range: none)
// List boxes. Indexes count from 0; LB_ERR (-1) for a bad index or nothing found.
#define LB_ADDSTRING 0x0180        // lParam text; returns the line's index
#define LB_INSERTSTRING 0x0181     // wParam index (-1: at the end), lParam text; returns the index
#define LB_DELETESTRING 0x0182     // wParam index; returns the number of lines left
#define LB_RESETCONTENT 0x0184
#define LB_SETCURSEL 0x0186        // wParam index (-1 or out of range: none, returns LB_ERR)
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189          // wParam index, lParam buffer (large enough); returns the length
#define LB_GETTEXTLEN 0x018A       // wParam index
#define LB_GETCOUNT 0x018B
#define LB_GETITEMDATA 0x0199      // wParam index
#define LB_SETITEMDATA 0x019A      // wParam index, lParam data
#define LB_FINDSTRINGEXACT 0x01A2  // wParam start (-1: whole list), lParam text; ignores case

#define BN_CLICKED 0
#define EN_SETFOCUS 0x0100
#define EN_KILLFOCUS 0x0200
#define EN_CHANGE 0x0300
#define CBN_SELCHANGE 1
#define CBN_DBLCLK 2
#define CBN_EDITCHANGE 5
#define LBN_SELCHANGE 1
#define LBN_DBLCLK 2

#define MAKEWPARAM(lo, hi) (static_cast<WPARAM>((static_cast<DWORD>(hi) << 16) | static_cast<WORD>(lo)))
#define LOWORD(v) (static_cast<WORD>(static_cast<uintptr_t>(v) & 0xFFFF))
#define HIWORD(v) (static_cast<WORD>((static_cast<uintptr_t>(v) >> 16) & 0xFFFF))

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_SHOWNA 8
#define SW_RESTORE 9

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

#define SIZE_RESTORED 0

#define IMAGE_ICON 1
#define LR_DEFAULTCOLOR 0x0000
#define LR_DEFAULTSIZE 0x0040
#define LR_SHARED 0x8000

#define MB_OK 0x0000
#define MB_OKCANCEL 0x0001
#define MB_YESNOCANCEL 0x0003
#define MB_YESNO 0x0004
#define MB_ICONERROR 0x0010
#define MB_ICONQUESTION 0x0020
#define MB_ICONWARNING 0x0030
#define MB_ICONINFORMATION 0x0040
#define IDYES 6
#define IDNO 7

#define CB_ERR (-1)
#define LB_ERR (-1)

// What OnCtlColor is asked for (nCtlColor).
#define CTLCOLOR_MSGBOX 0
#define CTLCOLOR_EDIT 1
#define CTLCOLOR_LISTBOX 2
#define CTLCOLOR_BTN 3
#define CTLCOLOR_DLG 4
#define CTLCOLOR_SCROLLBAR 5
#define CTLCOLOR_STATIC 6

// Background modes of a device context.
#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFF

// ---- drawing objects ----------------------------------------------------------------------
struct HDC__;
typedef HDC__* HDC;
struct HBRUSH__;
typedef HBRUSH__* HBRUSH;
typedef void* HGDIOBJ;

// A solid brush of the colour; the caller frees it with DeleteObject.
HBRUSH CreateSolidBrush(COLORREF color);
// Frees a brush made by CreateSolidBrush; false for a handle that is no live brush.
BOOL DeleteObject(HGDIOBJ object);
// The colour of a live brush; false for a null or freed one.
BOOL AfxGetBrushColor(HBRUSH brush, COLORREF* color);

class CBrush : public CObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF color) { CreateSolidBrush(color); }
    CBrush(const CBrush&) = delete;
    CBrush& operator=(const CBrush&) = delete;
    ~CBrush() override { DeleteObject(); }

    // False when the object already holds a brush.
    BOOL CreateSolidBrush(COLORREF color);
    BOOL DeleteObject();
    HBRUSH GetSafeHandle() const { return m_hObject; }
    operator HBRUSH() const { return m_hObject; }

    HBRUSH m_hObject = nullptr;
};

// The device context a control is drawn with, as far as WM_CTLCOLOR uses it: the colours and
// the background mode a handler sets. The window layer reads them back.
class CDC : public CObject {
public:
    CDC();
    HDC GetSafeHdc() const { return m_hDC; }
    // Each returns the previous value; CLR_INVALID while none was set.
    COLORREF SetBkColor(COLORREF color);
    COLORREF SetTextColor(COLORREF color);
    int SetBkMode(int mode);  // TRANSPARENT or OPAQUE (the default)
    COLORREF GetBkColor() const { return m_bkColor; }
    COLORREF GetTextColor() const { return m_textColor; }
    int GetBkMode() const { return m_bkMode; }

    HDC m_hDC;

private:
    COLORREF m_bkColor = CLR_INVALID;
    COLORREF m_textColor = CLR_INVALID;
    int m_bkMode = OPAQUE;
};

// ---- geometry ------------------------------------------------------------------------------
class CPoint : public POINT {
public:
    CPoint() { x = y = 0; }
    CPoint(int x_, int y_) { x = x_, y = y_; }
    CPoint(POINT p) : POINT(p) {}
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

class CSize : public SIZE {
public:
    CSize() { cx = cy = 0; }
    CSize(int cx_, int cy_) { cx = cx_, cy = cy_; }
    CSize(SIZE s) : SIZE(s) {}
    bool operator==(const CSize& o) const { return cx == o.cx && cy == o.cy; }
    bool operator!=(const CSize& o) const { return !(*this == o); }
};

class CRect : public RECT {
public:
    CRect() { left = top = right = bottom = 0; }
    CRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    CRect(const RECT& r) : RECT(r) {}
    CRect(CPoint topLeft, CSize size)
        : CRect(topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy) {}

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    CSize Size() const { return CSize(Width(), Height()); }
    CPoint TopLeft() const { return CPoint(left, top); }
    CPoint BottomRight() const { return CPoint(right, bottom); }
    CPoint CenterPoint() const { return CPoint((left + right) / 2, (top + bottom) / 2); }
    bool IsRectEmpty() const { return Width() <= 0 || Height() <= 0; }
    bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
    void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
    void MoveToXY(int x, int y) { OffsetRect(x - left, y - top); }
    void DeflateRect(int dx, int dy) { left += dx, right -= dx, top += dy, bottom -= dy; }
    void InflateRect(int dx, int dy) { DeflateRect(-dx, -dy); }

    operator LPRECT() { return this; }
    operator LPCRECT() const { return this; }
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

// ---- message maps -----------------------------------------------------------------------
// Marks message handlers in class declarations, as in MFC.
#define afx_msg

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();
typedef void (CCmdTarget::*AFX_PMSG_ID)(UINT);  // range handlers
typedef LRESULT (CCmdTarget::*AFX_PMSG_MSG)(WPARAM, LPARAM);  // window-message handlers

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // WM_COMMAND; 0 ends the map
    UINT nCode;     // notification code (BN_CLICKED, EN_CHANGE, ...)
    UINT nID;       // first and last control id served
    UINT nLastID;
    AFX_PMSG pfn;          // void handler() (null in a range entry)
    AFX_PMSG_ID pfnRange;  // void handler(UINT id) of a range entry (else null)
    AFX_PMSG_MSG pfnMessage = nullptr;  // LRESULT handler(WPARAM, LPARAM) of a message entry
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                                   \
protected:                                                      \
    static const AFX_MSGMAP* GetThisMessageMap();               \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                  \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                             \
    {                                                                           \
        using ThisClass [[maybe_unused]] = theClass;                            \
        typedef baseClass TheBaseClass;                                         \
        static const AFX_MSGMAP_ENTRY messageEntries_[] = {

#define END_MESSAGE_MAP()                                                          \
        {0, 0, 0, 0, nullptr, nullptr}};                                           \
        static const AFX_MSGMAP messageMap_ = {&TheBaseClass::GetThisMessageMap,   \
                                               &messageEntries_[0]};               \
        return &messageMap_;                                                       \
    }

// The handler must be a member of the mapped class (or a base): taking no arguments, or for
// a range the id of the control that sent the notification.
#define AFX_MSGMAP_HANDLER_(memberFxn) \
    static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(memberFxn))
#define AFX_MSGMAP_RANGE_HANDLER_(memberFxn) \
    static_cast<AFX_PMSG_ID>(static_cast<void (ThisClass::*)(UINT)>(memberFxn))
#define ON_CONTROL(code, id, memberFxn)                                                        \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), static_cast<UINT>(id),      \
     AFX_MSGMAP_HANDLER_(memberFxn), nullptr},
// One handler for the notification `code` of every control from firstId to lastId (both
// included); it is called with the sending control's id.
#define ON_CONTROL_RANGE(code, firstId, lastId, memberFxn)                                  \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(firstId), static_cast<UINT>(lastId), \
     nullptr, AFX_MSGMAP_RANGE_HANDLER_(memberFxn)},
// A window message sent to the window (SendMessage), e.g. a registered one: the handler is
// LRESULT handler(WPARAM, LPARAM). `message` is read when the map is first used.
#define AFX_MSG_ENTRY_MESSAGE 0xFFFFFFFFu
#define ON_MESSAGE(message, memberFxn)                                                      \
    {static_cast<UINT>(message), AFX_MSG_ENTRY_MESSAGE, 0, 0, nullptr, nullptr,             \
     static_cast<AFX_PMSG_MSG>(static_cast<LRESULT (ThisClass::*)(WPARAM, LPARAM)>(memberFxn))},
#define ON_REGISTERED_MESSAGE(nMessageVariable, memberFxn) ON_MESSAGE(nMessageVariable, memberFxn)
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
// Window messages whose handlers are CWnd's virtual functions: the entry marks that the class
// handles them (the window layer asks OnCtlColor only of windows whose map has the entry) and
// checks the handler's signature.
#define ON_WM_CTLCOLOR()                                                                         \
    {WM_CTLCOLOR, 0, 0, 0,                                                                       \
     ((void)static_cast<HBRUSH (ThisClass::*)(CDC*, CWnd*, UINT)>(&ThisClass::OnCtlColor), nullptr), \
     nullptr},
#define ON_WM_DESTROY() \
    {WM_DESTROY, 0, 0, 0, ((void)static_cast<void (ThisClass::*)()>(&ThisClass::OnDestroy), nullptr), nullptr},

class CWnd;
class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    ~CCmdTarget() override = default;
    // Calls the first handler in the message maps (this class's first) for a command or
    // notification from control nID. False when no map has one.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);
    // Calls the first ON_MESSAGE / ON_REGISTERED_MESSAGE handler for `message` in the maps;
    // false when no map has one.
    BOOL OnMsgMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // True when a message map of the class (or a base) has an entry for the window message.
    BOOL HasMessageEntry(UINT message) const;

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};

// ---- windows ----------------------------------------------------------------------------
class CWnd : public CCmdTarget {
    DECLARE_DYNCREATE(CWnd)
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    // Markers for SetWindowPos's insert-after argument.
    static const CWnd wndTop;
    static const CWnd wndBottom;
    static const CWnd wndTopMost;
    static const CWnd wndNoTopMost;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return GetSafeHwnd(); }

    // The object attached to a window, or a temporary one. Null for a null or dead handle.
    // A temporary object lives until the window goes, the outermost DoModal returns or
    // DeleteTempMap is called (the host's idle time), whichever comes first: keep the
    // handle, not the pointer.
    static CWnd* FromHandle(HWND hWnd);
    // Deletes every temporary object FromHandle made (as MFC does at idle time).
    static void DeleteTempMap();
    // Only an object attached with Attach / SubclassDlgItem / DDX_Control; else null.
    static CWnd* FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    DWORD GetStyle() const;

    void SetWindowText(LPCTSTR text);
    void GetWindowText(CString& text) const;
    int GetWindowText(LPWSTR buffer, int maxCount) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCTSTR text);
    int GetDlgItemText(int nID, CString& text) const;

    // Returns whether the window was visible before.
    BOOL ShowWindow(int nCmdShow);
    // Visible on screen: the window and every parent shown.
    BOOL IsWindowVisible() const;
    // Returns whether the window was disabled before.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;

    // Top-level windows: screen coordinates of the outer frame. Child windows: client
    // coordinates of the parent.
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT rect, BOOL bRepaint = TRUE);
    void GetWindowRect(LPRECT rect) const;  // screen coordinates
    void GetClientRect(LPRECT rect) const;  // (0, 0, width, height) of the client area
    void ScreenToClient(LPPOINT point) const;
    void ScreenToClient(LPRECT rect) const;
    void ClientToScreen(LPPOINT point) const;
    void ClientToScreen(LPRECT rect) const;
    // Centres a top-level window on its parent (or the given window), else on the screen.
    void CenterWindow(CWnd* pAlternateOwner = nullptr);

    // Returns the window that had the focus.
    CWnd* SetFocus();
    static CWnd* GetFocus();

    // Repaints the window. For a dialog or one of its controls it also asks the dialog's
    // OnCtlColor again (for every control, or that control) and applies the answer.
    void Invalidate(BOOL bErase = TRUE);
    void UpdateWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;

    BOOL DestroyWindow();

    // Commands and notifications from child controls: wParam = MAKEWPARAM(id, code),
    // lParam = the control's HWND. The default routes them through the message map.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // After the window's client area changed size.
    virtual void OnSize(UINT nType, int cx, int cy);
    // Just before the window goes away; its geometry can still be read.
    virtual void OnDestroy();
    // When a dialog window has been shown (bShow TRUE); its frame is known from then on.
    virtual void OnShowWindow(BOOL bShow, UINT nStatus);
    // The colours of child control pWnd (or of the dialog itself, CTLCOLOR_DLG): set colours
    // on pDC and return a brush whose colour becomes the background, or null for the
    // control's own colours. Asked only when the window's message map has ON_WM_CTLCOLOR().
    virtual HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);

    DECLARE_MESSAGE_MAP()
};

// ---- dialogs --------------------------------------------------------------------------
class CDialog;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
        : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;  // TRUE: controls -> members; FALSE: members -> controls
    CWnd* m_pDlgWnd;
    // The control about to be exchanged; a failure puts the focus on it.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC) { return PrepareCtrl(nIDC); }
    // Ends the exchange as failed (the value was refused). Does not return.
    [[noreturn]] void Fail();

private:
    HWND m_hWndLastControl = nullptr;
};

struct AfxDialogSession;  // the running modal loop of one DoModal

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    CDialog();
    ~CDialog() override;

    // A dialog built from a template the caller holds instead of a resource. The template
    // must outlive DoModal.
    BOOL InitModalIndirect(const AfxDialogTemplate* dialogTemplate, CWnd* pParentWnd = nullptr);

    // Creates the window from the template, runs OnInitDialog and a modal loop until
    // EndDialog. Returns EndDialog's result, or -1 when the template is missing or the window
    // could not be created.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Moves the focus as Tab / Shift+Tab do, or to a given control.
    void NextDlgCtrl() const;
    void PrevDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);

    UINT GetTemplateId() const { return m_nIDHelp; }
    // True between the start of DoModal and the end of its loop.
    bool IsRunningModal() const { return m_session != nullptr; }

    UINT m_nIDHelp = 0;  // the template id
    int m_nModalResult = -1;  // what EndDialog was given during the last run
    CWnd* m_pParentWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

    DECLARE_MESSAGE_MAP()

private:
    friend struct AfxDialogSession;
    const AfxDialogTemplate* m_lpDialogTemplate = nullptr;  // set by InitModalIndirect
    AfxDialogSession* m_session = nullptr;
};

// ---- controls ---------------------------------------------------------------------------
class CButton : public CWnd {
    DECLARE_DYNAMIC(CButton)
public:
    int GetCheck() const;      // BST_UNCHECKED / BST_CHECKED
    void SetCheck(int nCheck);
    HICON SetIcon(HICON hIcon);  // shows the icon beside the text; returns the previous one
    HICON GetIcon() const;
    void Click();              // as the user's click: the parent gets BN_CLICKED
};
#define BST_UNCHECKED 0
#define BST_CHECKED 1

class CStatic : public CWnd {
    DECLARE_DYNAMIC(CStatic)
public:
    HICON SetIcon(HICON hIcon);
    HICON GetIcon() const;
};

class CEdit : public CWnd {
    DECLARE_DYNAMIC(CEdit)
public:
    void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
    void GetSel(int& nStartChar, int& nEndChar) const;
    void ReplaceSel(LPCTSTR text, BOOL bCanUndo = FALSE);
    void SetLimitText(UINT nMax);
    void LimitText(int nChars = 0) { SetLimitText(static_cast<UINT>(nChars)); }
    BOOL SetReadOnly(BOOL bReadOnly = TRUE);
};

// List and combo boxes: lines are counted from 0; -1 (CB_ERR / LB_ERR) means none. With the
// sort style, AddString inserts in case-insensitive order and returns the line's index.
// Setting the selection from code sends no notification, as in Windows.
class CComboBox : public CWnd {
    DECLARE_DYNAMIC(CComboBox)
public:
    int AddString(LPCTSTR text);
    int InsertString(int nIndex, LPCTSTR text);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    void GetLBText(int nIndex, CString& text) const;
    int GetLBTextLen(int nIndex) const;
    int FindStringExact(int nIndexStart, LPCTSTR text) const;
    int SelectString(int nStartAfter, LPCTSTR text);
    int SetItemData(int nIndex, DWORD_PTR data);
    DWORD_PTR GetItemData(int nIndex) const;
};

class CListBox : public CWnd {
    DECLARE_DYNAMIC(CListBox)
public:
    int AddString(LPCTSTR text);
    int InsertString(int nIndex, LPCTSTR text);
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nSelect);
    void GetText(int nIndex, CString& text) const;
    int GetTextLen(int nIndex) const;
    int FindStringExact(int nIndexStart, LPCTSTR text) const;
    int SetItemData(int nIndex, DWORD_PTR data);
    DWORD_PTR GetItemData(int nIndex) const;
    // Multiple-selection list boxes (LBS_EXTENDEDSEL).
    int SetSel(int nIndex, BOOL bSelect = TRUE);
    int GetSel(int nIndex) const;
    int GetSelCount() const;
};

// ---- window messages ------------------------------------------------------------------------
// A message id unique to the process for `name` (the same name gives the same id), from
// 0xC000 on, as Windows gives registered messages. 0 for a null or empty name.
UINT RegisterWindowMessageW(LPCWSTR name);
#define RegisterWindowMessage RegisterWindowMessageW

// ---- data exchange ------------------------------------------------------------------------
// Attaches rControl to control nIDC (once; later calls do nothing).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Text of control nIDC <-> value. Numbers are written in the C locale ("3.5"); a text that is
// no number fails the exchange after a message to the user.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);

// ---- icons and message boxes --------------------------------------------------------------
// An icon of a library's resources: name is MAKEINTRESOURCEW(id). Without LR_SHARED the
// caller owns the icon and frees it with DestroyIcon; shared icons are cached per library,
// id and size and live as long as the process. A null instance searches the current
// resource handle and the resource chain. Null when no library holds the icon.
HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR name, UINT type, int cx, int cy, UINT fuLoad);
// Frees an icon loaded without LR_SHARED; shared icons stay. False for an unknown handle.
BOOL DestroyIcon(HICON hIcon);

// A modal message box over the active dialog (or the host's main window). Returns IDOK,
// IDCANCEL, IDYES or IDNO.
int AfxMessageBox(LPCTSTR text, UINT nType = MB_OK, UINT nIDHelp = 0);
