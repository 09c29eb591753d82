// adshost.h — the CAD host's side of the ADS interface: what the host program uses to load
// applications, open drawings and call the LISP functions applications define.
//
// [X] load an application library (kInitAppMsg, then kLoadDwgMsg per open drawing) and unload
//     it (kUnloadDwgMsg per drawing, kUnloadAppMsg, then the library goes)
// [X] drawings: open, close, switch; LISP function definitions belong to one drawing
// [X] invoke a defined function by name: a registered handler is called directly, an
//     unregistered one through kInvkSubrMsg with its function code
// [X] failure injection for tests: refuse the k-th acedDefun or acedRegFunc
// [X] the main window handed out by adsw_acadMainWnd, through a provider the host installs
// [ ] documents, commands, reactors
//
// Status of a call: a registered handler's own return value (RSRSLT or RSERR). Through the
// invoke message the entry point answers kRetOK whatever happened, so there the status is
// RSRSLT when the application handed over a value other than the void answer, else RSERR.
#pragma once

#include "ads/adslib.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace adshost {

struct RbDeleter {
    void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using RbPtr = std::unique_ptr<resbuf, RbDeleter>;

// ---- applications -----------------------------------------------------------------------
struct AppInfo {
    std::string name;  // file name without "lib" and ".so", e.g. "korDialog"
    std::string path;
    bool unlocked = false;   // the application called unlockApplication
    bool mdiAware = false;   // the application called registerAppMDIAware
};

// Loads the library at path, checks its exports and API version, sends kInitAppMsg and
// kLoadDwgMsg for every open drawing. False with a message on failure.
bool loadApp(const std::string& path, std::string* error);
// Unloads by name (as in AppInfo::name, case-insensitive) or by path.
bool unloadApp(const std::string& nameOrPath, std::string* error);
std::vector<AppInfo> loadedApps();
const AppInfo* findApp(const std::string& nameOrPath);

// Sends one message to a loaded application's entry point and returns its answer.
int sendMessage(const std::string& appName, AcRx::AppMsgCode msg);

// ---- drawings -----------------------------------------------------------------------------
// Opens a drawing, makes it current and sends kLoadDwgMsg to every loaded application.
int openDrawing(const std::wstring& name);
// Sends kUnloadDwgMsg to every application and drops the drawing with its definitions.
void closeDrawing(int drawing);
void setCurrentDrawing(int drawing);
int currentDrawing();  // 0 when none is open
std::vector<int> openDrawings();
std::wstring drawingName(int drawing);

// ---- LISP functions -----------------------------------------------------------------------
struct FunctionInfo {
    std::wstring name;
    int code = 0;
    bool registered = false;
    std::string app;
};
// Definitions of a drawing (default: the current one), in the order they were made.
std::vector<FunctionInfo> definedFunctions(int drawing = 0);
bool isDefined(const std::wstring& name);  // in the current drawing, case-insensitive

struct CallResult {
    bool found = false;     // the function is defined in the current drawing
    bool viaMessage = false;
    int status = RSERR;
    bool hasValue = false;  // the application handed over a value (void included)
    RbPtr value;            // the one value it handed over (a list as RTLB ... RTLE);
                            // RTVOID for the void answer
};
// Calls a defined function with the given arguments (may be null). The arguments are
// visible to the application through acedGetArgs for the duration of the call.
CallResult invoke(const std::wstring& name, const resbuf* args);

// Sends kInvkSubrMsg to an application with the given function code, defined or not, as
// the CAD program does when LISP calls a function the application defined without a handler.
CallResult invokeCode(const std::string& appName, int code, const resbuf* args);
// Runs fn as if it were the handler of a call with this code and these arguments: inside
// it acedGetFunCode, acedGetArgs and acedRet* work. The status is fn's return value.
CallResult callAs(int code, const resbuf* args, const std::function<int()>& fn);

// ---- test hooks ---------------------------------------------------------------------------
// Refuse the k-th acedDefun / acedRegFunc counted from now (1-based); 0 switches off.
void refuseDefun(int k);
void refuseRegFunc(int k);
// Counts of calls made since start, for tests.
int defunCalls();
int regFuncCalls();

// ---- main window --------------------------------------------------------------------------
// The function adsw_acadMainWnd asks; the host can create its window lazily in it.
void setMainWindowProvider(std::function<HWND()> provider);

// Deep copy of a chain.
RbPtr copyChain(const resbuf* rb);

}  // namespace adshost
