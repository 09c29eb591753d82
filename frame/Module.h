// Module.h — the module frame's own parts: the extension-module record, the entry points and
// the function table. Included by frame/*.cpp (and the frame's tests) only; handlers and
// dialogs use frame/Handler.h.
#pragma once

#include "frame/Handler.h"

// The extension-module record with what process attach remembered.
struct KorDialogExtension {
    AFX_EXTENSION_MODULE module;
    bool attached = false;
    HINSTANCE defaultResource = nullptr;  // MFC's current resource handle at attach
    HINSTANCE moduleResource = nullptr;   // the module's own resource instance
};
extern KorDialogExtension korDialogExtension;

// ---- entry points -------------------------------------------------------------------------

BOOL DllMain(HINSTANCE instance, DWORD reason, void* reserved);
ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId);
ACRX_ENTRY_POINT int acrxGetApiVersion();

// ---- the function table (frame/FunctionTable.cpp, the one file naming every handler) -------

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
