// Handler.h — what a LISP handler and its dialog use of the module frame: the answer to a
// failed argument check, the resource override, the module's strings, its log and instance.
// The rest of the frame (entry points, function table, extension record) is private to
// frame/ (frame/Module.h).
#pragma once

#include "ads/adslib.h"
#include "kor/adslisp.h"
#include "kor/debughilfe.h"
#include "mfc/afx.h"
#include "mfc/afxwin.h"

// The module log, "korDialog": every log line of the module goes through it.
extern CDebugHilfe korDialogLog;

// The module instance, saved at process attach; icons and strings are loaded from it.
HINSTANCE korDialogInstance();

// The registry section of every saved dialog position: empty until the application is
// initialised, then "WindowPosition".
extern CString korWindowPositionSection;

// While it lives, MFC's current resource handle is the module's own resource instance;
// the handle that was current before comes back when it goes, also by an exception.
class CKorResourceOverride {
public:
    CKorResourceOverride();
    ~CKorResourceOverride();
    CKorResourceOverride(const CKorResourceOverride&) = delete;
    CKorResourceOverride& operator=(const CKorResourceOverride&) = delete;

private:
    HINSTANCE m_previous;
};

// String `id` of `instance`, or of the module when none is given; the empty text when the
// string is missing; at most 1023 characters.
CString LoadModuleString(UINT id, HINSTANCE instance = nullptr);

// Icon `id` of `instance`, or of the module when none is given, `size` pixels square, as a
// shared image: nobody destroys it. Null when the icon is missing.
HICON LoadModuleIcon(UINT id, int size = 32, HINSTANCE instance = nullptr);
// Makes `icon` the window's big and its small icon.
void SetWindowIcons(CWnd& window, HICON icon);

// The answer to a failed argument check: hands (code) to LISP, writes the message (a
// printf-style format) under "DialogReturn" and gives the status to return, RSERR.
int KorParameterError(int code, const wchar_t* format, ...);
