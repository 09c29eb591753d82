#include "cad/CadHost.h"

#include <cstdio>
#include <new>

#include "text/text.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>

namespace korcad {

struct CadHost::App {
    AppInfo info;
    void* lib = nullptr;
    AcRxEntryPointFn entry = nullptr;
};

struct CadHost::Definition {
    std::wstring name;
    int code = 0;
    App* app = nullptr;
    int (*handler)() = nullptr;
};

struct CadHost::OpenDrawing {
    int id = 0;
    std::unique_ptr<Drawing> drawing;
    std::vector<Definition> defs;  // in definition order
};

// One LISP call in progress.
struct CadHost::Call {
    int code = RTERROR;
    const resbuf* args = nullptr;
    bool hasValue = false;
    ads::RbPtr value;
};

namespace {

bool sameName(const std::wstring& a, const std::wstring& b) { return kortext::equalNoCase(a, b); }

bool sameName(const std::string& a, const std::string& b) { return kortext::equalNoCase(a, b); }

std::string appNameFromPath(const std::string& path)
{
    std::string base = path.substr(path.find_last_of('/') + 1);
    if (base.rfind("lib", 0) == 0)
        base = base.substr(3);
    auto dot = base.find('.');
    return dot == std::string::npos ? base : base.substr(0, dot);
}

// The path's folder resolved, its file name kept: a plug-in is known by the name it was
// loaded as (korDialog.so), not by the versioned file that name links to.
std::string canonical(const std::string& path)
{
    std::error_code ec;
    std::filesystem::path p(path);
    std::filesystem::path dir = std::filesystem::weakly_canonical(p.parent_path().empty() ? "." : p.parent_path(), ec);
    return ec ? path : (dir / p.filename()).string();
}

}  // namespace

CadHost::CadHost() : previous_(ads::host()) { ads::setHost(this); }

CadHost::~CadHost()
{
    drawingChanged_ = nullptr;  // whoever listened may be gone already
    for (auto& d : openDrawings())
        closeDrawing(d);
    // Applications go in the reverse order of loading, each told as the CAD program tells it.
    while (!apps_.empty())
        unloadApp(apps_.back()->info.path, nullptr);
    if (ads::host() == this)
        ads::setHost(previous_);
}

// ---- applications -------------------------------------------------------------------------

CadHost::App* CadHost::findAppPtr(const std::string& nameOrPath) const
{
    for (auto& a : apps_)
        if (sameName(a->info.name, nameOrPath) || a->info.path == nameOrPath)
            return a.get();
    // Another spelling of a loaded library's path: resolved once, only when nothing matched.
    if (nameOrPath.find('/') == std::string::npos)
        return nullptr;
    std::string resolved = canonical(nameOrPath);
    for (auto& a : apps_)
        if (a->info.path == resolved)
            return a.get();
    return nullptr;
}

AcRx::AppRetCode CadHost::send(App* app, AcRx::AppMsgCode msg)
{
    App* saved = messageTarget_;
    messageTarget_ = app;
    AcRx::AppRetCode rc = app->entry(msg, app);
    messageTarget_ = saved;
    return rc;
}

void CadHost::sendForDrawing(App* app, int id, AcRx::AppMsgCode msg)
{
    int saved = current_;
    current_ = id;
    send(app, msg);
    current_ = open(saved) ? saved : current_;
}

bool CadHost::loadApp(const std::string& path, std::string* error)
{
    auto fail = [&](const std::string& msg) {
        if (error)
            *error = msg;
        return false;
    };
    std::string resolved = canonical(path);
    if (App* existing = findAppPtr(resolved))
        return fail("application \"" + existing->info.name + "\" already loaded");
    std::string name = appNameFromPath(resolved);
    if (App* sameNamed = findAppPtr(name))
        return fail("an application named \"" + name + "\" is already loaded from " + sameNamed->info.path);
    void* lib = dlopen(resolved.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return fail("cannot load " + resolved + ": " + dlerror());
    auto entry = reinterpret_cast<AcRxEntryPointFn>(dlsym(lib, "acrxEntryPoint"));
    auto version = reinterpret_cast<AcRxGetApiVersionFn>(dlsym(lib, "acrxGetApiVersion"));
    if (!entry || !version) {
        dlclose(lib);
        return fail(resolved + " is no application: acrxEntryPoint or acrxGetApiVersion missing");
    }
    if (int v = version(); v != ACRX_API_VERSION) {
        dlclose(lib);
        return fail(resolved + " was built for API version " + std::to_string(v) + ", host has " +
                    std::to_string(ACRX_API_VERSION));
    }
    auto app = std::make_unique<App>();
    app->info.name = name;
    app->info.path = resolved;
    app->lib = lib;
    app->entry = entry;
    App* raw = app.get();
    apps_.push_back(std::move(app));
    send(raw, AcRx::kInitAppMsg);
    for (auto& d : drawings_)
        sendForDrawing(raw, d->id, AcRx::kLoadDwgMsg);
    return true;
}

bool CadHost::unloadApp(const std::string& nameOrPath, std::string* error)
{
    App* app = findAppPtr(nameOrPath);
    if (!app) {
        if (error)
            *error = "application not loaded: " + nameOrPath;
        return false;
    }
    for (auto& d : drawings_)
        sendForDrawing(app, d->id, AcRx::kUnloadDwgMsg);
    send(app, AcRx::kUnloadAppMsg);
    // Whatever the application left defined cannot be called once its code is gone.
    for (auto& d : drawings_)
        d->defs.erase(std::remove_if(d->defs.begin(), d->defs.end(),
                                     [&](const Definition& def) { return def.app == app; }),
                      d->defs.end());
    void* lib = app->lib;
    apps_.erase(std::find_if(apps_.begin(), apps_.end(),
                             [&](const std::unique_ptr<App>& a) { return a.get() == app; }));
    dlclose(lib);
    return true;
}

std::vector<AppInfo> CadHost::loadedApps() const
{
    std::vector<AppInfo> out;
    for (auto& a : apps_)
        out.push_back(a->info);
    return out;
}

const AppInfo* CadHost::findApp(const std::string& nameOrPath) const
{
    App* app = findAppPtr(nameOrPath);
    return app ? &app->info : nullptr;
}

int CadHost::sendMessage(const std::string& appName, AcRx::AppMsgCode msg)
{
    App* app = findAppPtr(appName);
    return app ? send(app, msg) : AcRx::kRetError;
}

// ---- drawings -------------------------------------------------------------------------------

CadHost::OpenDrawing* CadHost::open(int id) const
{
    for (auto& d : drawings_)
        if (d->id == id)
            return d.get();
    return nullptr;
}

Drawing* CadHost::drawing(int id)
{
    OpenDrawing* d = open(id);
    return d ? d->drawing.get() : nullptr;
}

int CadHost::openDrawing(const std::wstring& name) { return openDrawing(std::make_unique<Drawing>(name)); }

int CadHost::openDrawing(std::unique_ptr<Drawing> drawing)
{
    auto d = std::make_unique<OpenDrawing>();
    d->id = nextDrawingId_++;
    d->drawing = std::move(drawing);
    int id = d->id;
    drawings_.push_back(std::move(d));
    current_ = id;
    for (auto& a : apps_)
        sendForDrawing(a.get(), id, AcRx::kLoadDwgMsg);
    if (drawingChanged_)
        drawingChanged_();
    return id;
}

void CadHost::closeDrawing(int id)
{
    if (!open(id))
        return;
    for (auto& a : apps_)
        sendForDrawing(a.get(), id, AcRx::kUnloadDwgMsg);
    drawings_.erase(std::find_if(drawings_.begin(), drawings_.end(),
                                 [&](const std::unique_ptr<OpenDrawing>& d) { return d->id == id; }));
    if (current_ == id)
        current_ = drawings_.empty() ? 0 : drawings_.back()->id;
    if (drawingChanged_)
        drawingChanged_();
}

void CadHost::setCurrentDrawing(int id)
{
    if (!open(id) || current_ == id)
        return;
    current_ = id;
    if (drawingChanged_)
        drawingChanged_();
}

std::vector<int> CadHost::openDrawings() const
{
    std::vector<int> out;
    for (auto& d : drawings_)
        out.push_back(d->id);
    return out;
}

std::wstring CadHost::drawingName(int id) const
{
    OpenDrawing* d = open(id);
    return d ? d->drawing->name() : std::wstring();
}

// ---- LISP functions ---------------------------------------------------------------------------

CadHost::Definition* CadHost::findDefinition(OpenDrawing* d, const std::wstring& name) const
{
    if (!d)
        return nullptr;
    for (auto& def : d->defs)
        if (sameName(def.name, name))
            return &def;
    return nullptr;
}

std::vector<FunctionInfo> CadHost::definedFunctions(int id) const
{
    std::vector<FunctionInfo> out;
    OpenDrawing* d = open(id ? id : current_);
    if (!d)
        return out;
    for (auto& def : d->defs)
        out.push_back(FunctionInfo{def.name, def.code, def.handler != nullptr, def.app->info.name});
    return out;
}

bool CadHost::isDefined(const std::wstring& name) const
{
    return findDefinition(open(current_), name) != nullptr;
}

CadHost::Call* CadHost::currentCall() { return calls_.empty() ? nullptr : calls_.back(); }

CallResult CadHost::runCall(int code, const resbuf* args, const std::function<int(Call&)>& fn)
{
    CallResult result;
    result.found = true;
    Call call;
    call.code = code;
    call.args = args;
    calls_.push_back(&call);
    if (callBegins_)
        callBegins_();
    struct Pop {
        std::vector<Call*>& calls;
        const std::function<void()>& ends;
        ~Pop()
        {
            if (ends)
                ends();
            calls.pop_back();
        }
    } pop{calls_, callEnds_};
    try {
        result.status = fn(call);
    } catch (const std::bad_alloc&) {
        // The application ran out of memory: its call ends with an error, korcad goes on.
        std::fprintf(stderr, "korcad: not enough memory for an application's call; the call ends with an error\n");
        result.status = RSERR;
        call.hasValue = false;
        call.value.reset();
    }
    result.hasValue = call.hasValue;
    result.value = std::move(call.value);
    return result;
}

namespace {

template <class Call>
int statusOfMessageCall(const Call& call)
{
    bool realValue = call.hasValue &&
                     !(call.value && call.value->restype == RTVOID && !call.value->rbnext);
    return realValue ? RSRSLT : RSERR;
}

}  // namespace

CallResult CadHost::invoke(const std::wstring& name, const resbuf* args)
{
    Definition* def = findDefinition(open(current_), name);
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

CallResult CadHost::invokeCode(const std::string& appName, int code, const resbuf* args)
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

CallResult CadHost::callAs(int code, const resbuf* args, const std::function<int()>& fn)
{
    return runCall(code, args, [&](Call&) { return fn(); });
}

// ---- plugging in --------------------------------------------------------------------------------

void CadHost::setWindows(std::function<HWND()> mainWindow, std::function<HWND()> drawingView)
{
    mainWindow_ = std::move(mainWindow);
    drawingView_ = std::move(drawingView);
}

void CadHost::setInput(InputHandler input) { input_ = std::move(input); }

void CadHost::setPrinter(std::function<void(const std::wstring&)> print) { print_ = std::move(print); }

void CadHost::setCallHooks(std::function<void()> begin, std::function<void()> end)
{
    callBegins_ = std::move(begin);
    callEnds_ = std::move(end);
}

// ---- ads::Host ------------------------------------------------------------------------------------

int CadHost::defun(const std::wstring& name, int code)
{
    OpenDrawing* d = open(current_);
    if (!d || !messageTarget_ || name.empty())
        return 0;
    if (Definition* old = findDefinition(d, name)) {
        old->code = code;
        old->app = messageTarget_;
        old->handler = nullptr;
        return RTNORM;
    }
    d->defs.push_back(Definition{name, code, messageTarget_, nullptr});
    return RTNORM;
}

int CadHost::undef(const std::wstring& name, int code)
{
    OpenDrawing* d = open(current_);
    if (!d)
        return RTERROR;
    auto it = std::find_if(d->defs.begin(), d->defs.end(), [&](const Definition& def) {
        return def.code == code && def.app == messageTarget_ && sameName(def.name, name);
    });
    if (it == d->defs.end())
        return RTERROR;
    d->defs.erase(it);
    return RTNORM;
}

int CadHost::regFunc(int (*handler)(), int code)
{
    OpenDrawing* d = open(current_);
    if (!d || !messageTarget_)
        return 0;
    bool any = false;
    for (auto& def : d->defs)
        if (def.app == messageTarget_ && def.code == code) {
            def.handler = handler;
            any = true;
        }
    return any ? RTNORM : 0;
}

int CadHost::funCode()
{
    Call* c = currentCall();
    return c ? c->code : RTERROR;
}

resbuf* CadHost::args()
{
    Call* c = currentCall();
    return c ? const_cast<resbuf*>(c->args) : nullptr;
}

int CadHost::setResult(ads::RbPtr value)
{
    Call* c = currentCall();
    if (!c)
        return RTERROR;
    c->value = std::move(value);
    c->hasValue = true;
    return RTNORM;
}

// The packet an application got with kInitAppMsg is its App record.
CadHost::App* CadHost::appById(void* appId) const
{
    for (auto& a : apps_)
        if (a.get() == appId)
            return a.get();
    return nullptr;
}

bool CadHost::unlockApplication(void* appId)
{
    App* app = appById(appId);
    if (app)
        app->info.unlocked = true;
    return app != nullptr;
}

bool CadHost::registerAppMDIAware(void* appId)
{
    App* app = appById(appId);
    if (app)
        app->info.mdiAware = true;
    return app != nullptr;
}

HWND CadHost::mainWindow() { return mainWindow_ ? mainWindow_() : nullptr; }

HWND CadHost::drawingView() { return drawingView_ ? drawingView_() : mainWindow(); }

int CadHost::getInput(const ads::InputRequest& request, ads::InputAnswer& answer)
{
    return input_ ? input_(request, answer) : RTERROR;
}

void CadHost::print(const std::wstring& text)
{
    if (print_)
        print_(text);
}

}  // namespace korcad
