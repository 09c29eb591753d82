// CadHost.h — korcad as the CAD host of ADS applications: the applications it loaded, the
// open drawings with the LISP functions each defines, the call in progress, and the answers
// to an application's requests for windows, user input and drawing data.
//
// One CadHost is installed as the ads::Host while it lives (the ADS calls of applications go
// to it). Everything runs on the host's main thread.
//
// Status of a call: a registered handler's own return value (RSRSLT or RSERR). Through the
// invoke message the entry point answers kRetOK whatever happened, so there the status is
// RSRSLT when the application handed over a value other than the void answer, else RSERR.
//
// Tests that need a fault (a refused acedDefun, say) derive from CadHost and override the
// ads::Host call in question: that interface is the one seam.
#pragma once

#include "drawing/Drawing.h"

#include "ads/adshost.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace korcad {

struct AppInfo {
    std::string name;  // file name without "lib" and ".so", e.g. "korDialog"
    std::string path;  // the canonical path it was loaded from
    bool unlocked = false;   // the application called unlockApplication
    bool mdiAware = false;   // the application called registerAppMDIAware
};

struct FunctionInfo {
    std::wstring name;
    int code = 0;
    bool registered = false;
    std::string app;
};

struct CallResult {
    bool found = false;     // the function is defined in the current drawing
    bool viaMessage = false;
    int status = RSERR;
    bool hasValue = false;  // the application handed over a value (void included)
    ads::RbPtr value;       // the one value it handed over (a list as RTLB ... RTLE);
                            // RTVOID for the void answer
};

class CadHost : public ads::Host {
public:
    CadHost();
    ~CadHost() override;  // unloads what is loaded, closes the drawings, uninstalls itself
    CadHost(const CadHost&) = delete;
    CadHost& operator=(const CadHost&) = delete;

    // ---- applications ---------------------------------------------------------------------
    // Loads the library at `path` (resolved by the caller, see HostFunctions.h), checks its
    // exports and API version, sends kInitAppMsg and kLoadDwgMsg for every open drawing.
    // A library already loaded (by the same canonical path) is refused. False with a message.
    bool loadApp(const std::string& path, std::string* error);
    // Unloads by name (as in AppInfo::name, case-insensitive) or by path.
    bool unloadApp(const std::string& nameOrPath, std::string* error);
    std::vector<AppInfo> loadedApps() const;
    const AppInfo* findApp(const std::string& nameOrPath) const;
    // Sends one message to a loaded application's entry point and returns its answer.
    int sendMessage(const std::string& appName, AcRx::AppMsgCode msg);

    // ---- drawings ---------------------------------------------------------------------------
    // Opens a drawing, makes it current and sends kLoadDwgMsg to every loaded application.
    int openDrawing(const std::wstring& name);  // a new drawing of that name
    int openDrawing(std::unique_ptr<Drawing> drawing);
    // Sends kUnloadDwgMsg to every application and drops the drawing with its definitions.
    void closeDrawing(int drawing);
    void setCurrentDrawing(int drawing);
    int currentDrawing() const { return current_; }  // 0 when none is open
    std::vector<int> openDrawings() const;
    std::wstring drawingName(int drawing) const;
    Drawing* drawing(int id);  // null when no such drawing is open
    // Told after the current drawing changed (one opened, closed or made current), so that a
    // window showing it follows.
    void setDrawingListener(std::function<void()> changed) { drawingChanged_ = std::move(changed); }

    // ---- LISP functions -------------------------------------------------------------------
    // Definitions of a drawing (default: the current one), in the order they were made.
    std::vector<FunctionInfo> definedFunctions(int drawing = 0) const;
    bool isDefined(const std::wstring& name) const;  // in the current drawing, any case
    // Calls a defined function with the given arguments (may be null), visible to the
    // application through acedGetArgs for the duration of the call.
    CallResult invoke(const std::wstring& name, const resbuf* args);
    // Sends kInvkSubrMsg to an application with the given function code, defined or not.
    CallResult invokeCode(const std::string& appName, int code, const resbuf* args);
    // Runs fn as if it were the handler of a call with this code and these arguments.
    CallResult callAs(int code, const resbuf* args, const std::function<int()>& fn);

    // ---- what the host program plugs in -------------------------------------------------------
    // The windows: asked only when an application wants one, so a run without dialogs starts
    // no GUI.
    void setWindows(std::function<HWND()> mainWindow, std::function<HWND()> drawingView);
    // User input and the command line's output.
    using InputHandler = std::function<int(const ads::InputRequest&, ads::InputAnswer&)>;
    void setInput(InputHandler input);
    void setPrinter(std::function<void(const std::wstring&)> print);
    // Told of every call of an application (nested calls too): `begin` before it runs, `end`
    // after it ended, however it ended. korcad announces the calls to the databases with it.
    void setCallHooks(std::function<void()> begin, std::function<void()> end);

    // ---- ads::Host ----------------------------------------------------------------------------
    int defun(const std::wstring& name, int code) override;
    int undef(const std::wstring& name, int code) override;
    int regFunc(int (*handler)(), int code) override;
    int funCode() override;
    resbuf* args() override;
    int setResult(ads::RbPtr value) override;
    bool unlockApplication(void* appId) override;
    bool registerAppMDIAware(void* appId) override;
    HWND mainWindow() override;
    HWND drawingView() override;
    int getInput(const ads::InputRequest& request, ads::InputAnswer& answer) override;
    void print(const std::wstring& text) override;
    resbuf* tblNext(const std::wstring& table, bool rewind) override;
    resbuf* tblSearch(const std::wstring& table, const std::wstring& name, bool setNext) override;
    int entNext(const ads_name entity, ads_name next) override;
    int entLast(ads_name last) override;
    int handEnt(const std::wstring& handle, ads_name entity) override;
    resbuf* entGet(const ads_name entity, const resbuf* apps) override;
    int entMod(const resbuf* groups) override;
    resbuf* entGetXData(const ads_name entity, const std::wstring& app) override;
    int entModXData(const resbuf* groups) override;
    int entMake(const resbuf* groups) override;
    int entDel(const ads_name entity) override;
    int regApp(const std::wstring& name) override;
    int ssGet(const std::wstring& mode, const double* p1, const double* p2, const resbuf* filter,
              ads_name set) override;
    // What selects entities where the drawing is shown: by a window or crossing (the main
    // entities inside, or touching, the box), and by the user (RTNORM, RTNONE for nothing,
    // RTCAN). The host program plugs them in; without them those modes answer RTERROR.
    using Names = std::vector<std::array<int64_t, 2>>;
    void setSelectors(std::function<Names(const double* p1, const double* p2, bool crossing)> box,
                      std::function<int(Names&)> user)
    {
        boxSelector_ = std::move(box);
        userSelector_ = std::move(user);
    }
    // What the drawing view does for grdraw, grvecs, redraw and setview: temporary vectors (drawing
    // coordinates, a colour index, -1 for the inverse of what lies below; highlighted ones
    // dashed) shown until `clear`, and the entities (record ids) shown highlighted. The host
    // program plugs them in; without a view they do nothing.
    struct Graphics {
        std::function<void(const double from[2], const double to[2], int colour, bool highlight)> vector;
        std::function<void()> clear;
        std::function<void(std::vector<uint32_t>)> highlight;
        std::function<void(double cx, double cy, double height, double width)> view;  // setview
    };
    void setGraphics(Graphics g) { graphics_ = std::move(g); }
    // For nentsel: the record drawn at a picked point that is part of an insert, or the
    // entity itself; 0 for nothing there. The host program plugs it in.
    void setPartFinder(std::function<uint32_t(const double point[3])> find) { partFinder_ = std::move(find); }
    uint32_t partAt(const double point[3]) const { return partFinder_ ? partFinder_(point) : 0; }
    const Graphics& graphics() const { return graphics_; }
    int ssLength(const ads_name set, int32_t* length) override;
    int ssName(const ads_name set, int32_t index, ads_name entity) override;
    int ssAdd(const ads_name entity, const ads_name set, ads_name result) override;
    int ssDel(const ads_name entity, const ads_name set) override;
    int ssFree(const ads_name set) override;

    // Why the last entMod, entModXData, entMake or ssGet answered RTERROR, for messages.
    const std::string& lastError() const { return lastError_; }
    size_t selectionSetCount() const { return sets_.size(); }

private:
    struct App;
    struct Call;
    struct Definition;
    struct OpenDrawing;

    App* findAppPtr(const std::string& nameOrPath) const;
    App* appById(void* appId) const;
    AcRx::AppRetCode send(App* app, AcRx::AppMsgCode msg);
    void sendForDrawing(App* app, int drawing, AcRx::AppMsgCode msg);
    Call* currentCall();
    CallResult runCall(int code, const resbuf* args, const std::function<int(Call&)>& fn);
    OpenDrawing* open(int id) const;
    Definition* findDefinition(OpenDrawing* d, const std::wstring& name) const;

    struct SelectionSet {
        std::vector<std::array<int64_t, 2>> items;  // entity names
    };
    SelectionSet* selectionSet(const ads_name set);
    void newSet(std::vector<std::array<int64_t, 2>> items, ads_name set);

    std::map<int64_t, SelectionSet> sets_;
    std::function<Names(const double*, const double*, bool)> boxSelector_;
    std::function<int(Names&)> userSelector_;
    Graphics graphics_;
    std::function<uint32_t(const double point[3])> partFinder_;
    int64_t nextSet_ = 1;
    int64_t previousSet_ = 0;  // the set ssget "P" gives
    std::string lastError_;
    dxf::Groups xdataGroups_;  // what entModXData takes, kept for the next call
    std::vector<std::unique_ptr<App>> apps_;
    std::vector<std::unique_ptr<OpenDrawing>> drawings_;
    int current_ = 0;
    int nextDrawingId_ = 1;
    App* messageTarget_ = nullptr;  // the application being sent a message
    std::vector<Call*> calls_;      // calls can nest (a handler may prompt, which may call LISP)
    std::function<HWND()> mainWindow_, drawingView_;
    InputHandler input_;
    std::function<void(const std::wstring&)> print_;
    std::function<void()> callBegins_, callEnds_;
    std::function<void()> drawingChanged_;
    ads::Host* previous_ = nullptr;
};

}  // namespace korcad
