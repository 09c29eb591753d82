// korDialog.h — the module's frame: module-wide objects, the function table, the entry
// points and what every LISP handler is built on.
#pragma once

#include "ads/adslib.h"
#include "kor/adslisp.h"
#include "kor/debughilfe.h"
#include "mfc/afx.h"

// ---- module-wide objects ------------------------------------------------------------------

// The module log, "korDialog": every log line of the module goes through it.
extern CDebugHilfe korDialogLog;

// The module instance, saved at process attach; icons and strings are loaded from it.
HINSTANCE korDialogInstance();

// The extension-module record with what process attach remembered.
struct KorDialogExtension {
    AFX_EXTENSION_MODULE module;
    bool attached = false;
    HINSTANCE defaultResource = nullptr;  // MFC's current resource handle at attach
    HINSTANCE moduleResource = nullptr;   // the module's own resource instance
};
extern KorDialogExtension korDialogExtension;

// The registry section of every saved dialog position: empty until the application is
// initialised, then "WindowPosition".
extern CString korWindowPositionSection;

// ---- entry points -------------------------------------------------------------------------

BOOL DllMain(HINSTANCE instance, DWORD reason, void* reserved);
extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId);
extern "C" int acrxGetApiVersion();

// ---- the function table -------------------------------------------------------------------

typedef int (*KorLispHandler)();

struct KorLispFunction {
    const wchar_t* name;
    KorLispHandler handler;
    bool registerHandler;
};

// Indexed by function code; entry 0 is empty so that codes start at 1.
constexpr int kKorFunctionCount = 8;
extern const KorLispFunction korFunctionTable[kKorFunctionCount + 1];

int LoadFunctions();    // RTNORM when all were defined and registered, else RTERROR
int UnloadFunctions();  // RTNORM
int DoFunction();       // dispatches one invoke message

// ---- the handler frame --------------------------------------------------------------------

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

// The answer to a failed argument check: hands (code) to LISP, writes the message (a
// printf-style format) under "DialogReturn" and gives the status to return, RSERR.
int KorParameterError(int code, const wchar_t* format, ...);
