// The host's side of ADS: applications, drawings, LISP function definitions and calls.
// All of it runs on the host's main thread; the state below exists once per process.
#include "ads/adshost.h"

#include <dlfcn.h>

#include <algorithm>
#include <cwctype>
#include <map>

namespace {

struct App {
    adshost::AppInfo info;
    void* lib = nullptr;
    AcRxEntryPointFn entry = nullptr;
};

struct Definition {
    std::wstring name;
    int code = 0;
    App* app = nullptr;
    int (*handler)() = nullptr;
};

struct Drawing {
    int id = 0;
    std::wstring name;
    std::vector<Definition> defs;  // in definition order
};

// One LISP call in progress; calls can nest (a handler may prompt, which may call LISP).
struct Call {
    int code = RTERROR;
    const resbuf* args = nullptr;
    bool hasValue = false;
    adshost::RbPtr value;
};

struct State {
    std::vector<std::unique_ptr<App>> apps;
    std::vector<Drawing> drawings;
    int current = 0;
    int nextDrawingId = 1;
    App* messageTarget = nullptr;  // the application being sent a message
    std::vector<Call*> calls;
    int refuseDefunAt = 0, refuseRegFuncAt = 0;
    int defunCount = 0, regFuncCount = 0;
    std::function<HWND()> mainWindow;
};

// Lives until the process ends (never destroyed), so objects torn down at exit can still
// reach it whatever the order of static destruction.
State& state()
{
    static State* s = new State;
    return *s;
}

bool sameName(const std::wstring& a, const std::wstring& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return std::towupper(x) == std::towupper(y); });
}

bool sameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

Drawing* drawing(int id)
{
    for (auto& d : state().drawings)
        if (d.id == id)
            return &d;
    return nullptr;
}

Definition* findDefinition(Drawing* d, const std::wstring& name)
{
    if (!d)
        return nullptr;
    for (auto& def : d->defs)
        if (sameName(def.name, name))
            return &def;
    return nullptr;
}

AcRx::AppRetCode send(App* app, AcRx::AppMsgCode msg)
{
    State& s = state();
    App* saved = s.messageTarget;
    s.messageTarget = app;
    AcRx::AppRetCode rc = app->entry(msg, app);
    s.messageTarget = saved;
    return rc;
}

// Sends kLoadDwgMsg / kUnloadDwgMsg with the given drawing current.
void sendForDrawing(App* app, int id, AcRx::AppMsgCode msg)
{
    State& s = state();
    int saved = s.current;
    s.current = id;
    send(app, msg);
    s.current = drawing(saved) ? saved : s.current;
}

std::string appNameFromPath(const std::string& path)
{
    std::string base = path.substr(path.find_last_of('/') + 1);
    if (base.rfind("lib", 0) == 0)
        base = base.substr(3);
    auto dot = base.find('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

App* findAppPtr(const std::string& nameOrPath)
{
    for (auto& a : state().apps)
        if (sameName(a->info.name, nameOrPath) || a->info.path == nameOrPath ||
            sameName(a->info.name, appNameFromPath(nameOrPath)))
            return a.get();
    return nullptr;
}

Call* currentCall()
{
    auto& calls = state().calls;
    return calls.empty() ? nullptr : calls.back();
}

int setResult(adshost::RbPtr value)
{
    Call* c = currentCall();
    if (!c)
        return RTERROR;
    c->value = std::move(value);
    c->hasValue = true;
    return RTNORM;
}

// The dynamic linker in the system registry.
class DynamicLinker : public AcRxDynamicLinker {
public:
    bool unlockApplication(void* appId) const override
    {
        App* app = appFor(appId);
        if (app)
            app->info.unlocked = true;
        return app != nullptr;
    }
    bool registerAppMDIAware(void* appId) const override
    {
        App* app = appFor(appId);
        if (app)
            app->info.mdiAware = true;
        return app != nullptr;
    }

private:
    static App* appFor(void* appId)
    {
        for (auto& a : state().apps)
            if (a.get() == appId)
                return a.get();
        return nullptr;
    }
};

class SysRegistry : public AcRxDictionary {
public:
    AcRxObject* at(const ACHAR* key) const override
    {
        static DynamicLinker linker;
        if (key && sameName(std::wstring(key), std::wstring(L"DynamicLinker")))
            return &linker;
        return nullptr;
    }
};

}  // namespace

// ---- runtime classes --------------------------------------------------------------------

bool AcRxClass::isDerivedFrom(const AcRxClass* other) const
{
    for (const AcRxClass* c = this; c; c = c->m_parent)
        if (c == other)
            return true;
    return false;
}

AcRxClass* AcRxObject::desc()
{
    static AcRxClass c(L"AcRxObject", nullptr);
    return &c;
}

AcRxClass* AcRxDictionary::desc()
{
    static AcRxClass c(L"AcRxDictionary", AcRxObject::desc());
    return &c;
}

AcRxClass* AcRxDynamicLinker::desc()
{
    static AcRxClass c(L"AcRxDynamicLinker", AcRxObject::desc());
    return &c;
}

AcRxDictionary* acrxSysRegistry()
{
    static SysRegistry registry;
    return &registry;
}

// ---- the application's calls ------------------------------------------------------------

int acedDefun(const ACHAR* name, int funcNumber)
{
    State& s = state();
    ++s.defunCount;
    if (s.refuseDefunAt > 0 && --s.refuseDefunAt == 0)
        return 0;
    Drawing* d = drawing(s.current);
    if (!d || !s.messageTarget || !name || !*name)
        return 0;
    if (Definition* old = findDefinition(d, name)) {
        old->code = funcNumber;
        old->app = s.messageTarget;
        old->handler = nullptr;
        return RTNORM;
    }
    d->defs.push_back(Definition{name, funcNumber, s.messageTarget, nullptr});
    return RTNORM;
}

int acedUndef(const ACHAR* name, int funcNumber)
{
    State& s = state();
    Drawing* d = drawing(s.current);
    if (!d || !name)
        return RTERROR;
    auto it = std::find_if(d->defs.begin(), d->defs.end(), [&](const Definition& def) {
        return def.code == funcNumber && def.app == s.messageTarget && sameName(def.name, name);
    });
    if (it == d->defs.end())
        return RTERROR;
    d->defs.erase(it);
    return RTNORM;
}

int acedRegFunc(int (*handler)(), int funcNumber)
{
    State& s = state();
    ++s.regFuncCount;
    if (s.refuseRegFuncAt > 0 && --s.refuseRegFuncAt == 0)
        return 0;
    Drawing* d = drawing(s.current);
    if (!d || !s.messageTarget)
        return 0;
    bool any = false;
    for (auto& def : d->defs)
        if (def.app == s.messageTarget && def.code == funcNumber) {
            def.handler = handler;
            any = true;
        }
    return any ? RTNORM : 0;
}

int acedGetFunCode()
{
    Call* c = currentCall();
    return c ? c->code : RTERROR;
}

resbuf* acedGetArgs()
{
    Call* c = currentCall();
    return c ? const_cast<resbuf*>(c->args) : nullptr;
}

int acedRetVoid() { return setResult(adshost::RbPtr(acutNewRb(RTVOID))); }
// The stored value is always one LISP value: a list arrives wrapped in RTLB ... RTLE.
int acedRetList(const resbuf* rb)
{
    if (!rb)
        return acedRetNil();
    adshost::RbPtr body = adshost::copyChain(rb);
    resbuf* head = acutNewRb(RTLB);
    head->rbnext = body.release();
    resbuf* tail = head;
    while (tail->rbnext)
        tail = tail->rbnext;
    tail->rbnext = acutNewRb(RTLE);
    return setResult(adshost::RbPtr(head));
}
int acedRetVal(const resbuf* rb)
{
    if (!rb)
        return RTERROR;
    resbuf one = *rb;
    one.rbnext = nullptr;
    return setResult(adshost::copyChain(&one));
}
int acedRetInt(int value)
{
    resbuf* rb = acutNewRb(RTLONG);
    rb->resval.rlong = value;
    return setResult(adshost::RbPtr(rb));
}
int acedRetReal(ads_real value)
{
    resbuf* rb = acutNewRb(RTREAL);
    rb->resval.rreal = value;
    return setResult(adshost::RbPtr(rb));
}
int acedRetStr(const ACHAR* text)
{
    resbuf* rb = acutNewRb(RTSTR);
    rb->resval.rstring = acutNewString(text);
    return setResult(adshost::RbPtr(rb));
}
int acedRetNil() { return setResult(adshost::RbPtr(acutNewRb(RTNIL))); }
int acedRetT() { return setResult(adshost::RbPtr(acutNewRb(RTT))); }

HWND adsw_acadMainWnd()
{
    auto& provider = state().mainWindow;
    return provider ? provider() : nullptr;
}

// ---- the host's calls ---------------------------------------------------------------------

namespace adshost {

bool loadApp(const std::string& path, std::string* error)
{
    auto fail = [&](const std::string& msg) {
        if (error)
            *error = msg;
        return false;
    };
    if (App* existing = findAppPtr(path))
        return fail("application already loaded: " + existing->info.name);
    void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return fail(std::string("cannot load ") + path + ": " + dlerror());
    auto entry = reinterpret_cast<AcRxEntryPointFn>(dlsym(lib, "acrxEntryPoint"));
    auto version = reinterpret_cast<AcRxGetApiVersionFn>(dlsym(lib, "acrxGetApiVersion"));
    if (!entry || !version) {
        dlclose(lib);
        return fail(path + " is no application: acrxEntryPoint or acrxGetApiVersion missing");
    }
    if (version() != ACRX_API_VERSION) {
        int v = version();
        dlclose(lib);
        return fail(path + " was built for API version " + std::to_string(v) + ", host has " +
                    std::to_string(ACRX_API_VERSION));
    }
    auto app = std::make_unique<App>();
    app->info.name = appNameFromPath(path);
    app->info.path = path;
    app->lib = lib;
    app->entry = entry;
    App* raw = app.get();
    state().apps.push_back(std::move(app));
    send(raw, AcRx::kInitAppMsg);
    for (auto& d : state().drawings)
        sendForDrawing(raw, d.id, AcRx::kLoadDwgMsg);
    return true;
}

bool unloadApp(const std::string& nameOrPath, std::string* error)
{
    State& s = state();
    App* app = findAppPtr(nameOrPath);
    if (!app) {
        if (error)
            *error = "application not loaded: " + nameOrPath;
        return false;
    }
    for (auto& d : s.drawings)
        sendForDrawing(app, d.id, AcRx::kUnloadDwgMsg);
    send(app, AcRx::kUnloadAppMsg);
    // Whatever the application left defined cannot be called once its code is gone.
    for (auto& d : s.drawings)
        d.defs.erase(std::remove_if(d.defs.begin(), d.defs.end(),
                                    [&](const Definition& def) { return def.app == app; }),
                     d.defs.end());
    void* lib = app->lib;
    s.apps.erase(std::find_if(s.apps.begin(), s.apps.end(),
                              [&](const std::unique_ptr<App>& a) { return a.get() == app; }));
    dlclose(lib);
    return true;
}

std::vector<AppInfo> loadedApps()
{
    std::vector<AppInfo> out;
    for (auto& a : state().apps)
        out.push_back(a->info);
    return out;
}

const AppInfo* findApp(const std::string& nameOrPath)
{
    App* app = findAppPtr(nameOrPath);
    return app ? &app->info : nullptr;
}

int sendMessage(const std::string& appName, AcRx::AppMsgCode msg)
{
    App* app = findAppPtr(appName);
    return app ? send(app, msg) : AcRx::kRetError;
}

int openDrawing(const std::wstring& name)
{
    State& s = state();
    Drawing d;
    d.id = s.nextDrawingId++;
    d.name = name;
    s.drawings.push_back(d);
    s.current = d.id;
    for (auto& a : s.apps)
        sendForDrawing(a.get(), d.id, AcRx::kLoadDwgMsg);
    return d.id;
}

void closeDrawing(int id)
{
    State& s = state();
    if (!drawing(id))
        return;
    for (auto& a : s.apps)
        sendForDrawing(a.get(), id, AcRx::kUnloadDwgMsg);
    s.drawings.erase(std::find_if(s.drawings.begin(), s.drawings.end(),
                                  [&](const Drawing& d) { return d.id == id; }));
    if (s.current == id)
        s.current = s.drawings.empty() ? 0 : s.drawings.back().id;
}

void setCurrentDrawing(int id)
{
    if (drawing(id))
        state().current = id;
}

int currentDrawing() { return state().current; }

std::vector<int> openDrawings()
{
    std::vector<int> out;
    for (auto& d : state().drawings)
        out.push_back(d.id);
    return out;
}

std::wstring drawingName(int id)
{
    Drawing* d = drawing(id);
    return d ? d->name : std::wstring();
}

std::vector<FunctionInfo> definedFunctions(int id)
{
    std::vector<FunctionInfo> out;
    Drawing* d = drawing(id ? id : state().current);
    if (!d)
        return out;
    for (auto& def : d->defs)
        out.push_back(FunctionInfo{def.name, def.code, def.handler != nullptr, def.app->info.name});
    return out;
}

bool isDefined(const std::wstring& name)
{
    return findDefinition(drawing(state().current), name) != nullptr;
}

namespace {

// Runs one call: fn does the work inside the call context and gives the status.
CallResult runCall(int code, const resbuf* args, const std::function<int(Call&)>& fn)
{
    State& s = state();
    CallResult result;
    result.found = true;
    Call call;
    call.code = code;
    call.args = args;
    s.calls.push_back(&call);
    struct Pop {
        State& s;
        ~Pop() { s.calls.pop_back(); }
    } pop{s};
    result.status = fn(call);
    result.hasValue = call.hasValue;
    result.value = std::move(call.value);
    return result;
}

int statusOfMessageCall(const Call& call)
{
    bool realValue = call.hasValue &&
                     !(call.value && call.value->restype == RTVOID && !call.value->rbnext);
    return realValue ? RSRSLT : RSERR;
}

}  // namespace

CallResult invoke(const std::wstring& name, const resbuf* args)
{
    Definition* def = findDefinition(drawing(state().current), name);
    if (!def)
        return CallResult();
    // Copy what the call needs: the handler may undefine its own function.
    Definition target = *def;
    CallResult result = runCall(target.code, args, [&](Call& call) {
        if (target.handler)
            return target.handler();
        send(target.app, AcRx::kInvkSubrMsg);
        return statusOfMessageCall(call);
    });
    result.viaMessage = !target.handler;
    return result;
}

CallResult invokeCode(const std::string& appName, int code, const resbuf* args)
{
    App* app = findAppPtr(appName);
    if (!app)
        return CallResult();
    CallResult result = runCall(code, args, [&](Call& call) {
        send(app, AcRx::kInvkSubrMsg);
        return statusOfMessageCall(call);
    });
    result.viaMessage = true;
    return result;
}

CallResult callAs(int code, const resbuf* args, const std::function<int()>& fn)
{
    return runCall(code, args, [&](Call&) { return fn(); });
}

void refuseDefun(int k) { state().refuseDefunAt = k; }
void refuseRegFunc(int k) { state().refuseRegFuncAt = k; }
int defunCalls() { return state().defunCount; }
int regFuncCalls() { return state().regFuncCount; }

void setMainWindowProvider(std::function<HWND()> provider)
{
    state().mainWindow = std::move(provider);
}

}  // namespace adshost
