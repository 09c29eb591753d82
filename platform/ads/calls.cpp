// The ADS calls of an application, each handed to the host program's ads::Host. What stays
// here: the pending acedInitGet, the keyword of the last answer, and the runtime classes.
#include "ads/adshost.h"
#include "text/text.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <string>
#include <vector>

namespace {

ads::Host* installedHost = nullptr;

// acedInitGet's flags and keywords wait for the next get... call, which uses them up.
struct PendingInitGet {
    int flags = 0;
    std::wstring keywords;
};
PendingInitGet pending;
std::wstring lastKeyword;

bool sameName(const wchar_t* a, const wchar_t* b) { return kortext::equalNoCase(std::wstring_view(a), std::wstring_view(b)); }

// Copies text into a caller's buffer of `size` characters, cut to fit.
void copyOut(const std::wstring& text, ACHAR* out, size_t size)
{
    if (!out || size == 0)
        return;
    size_t n = std::min(text.size(), size - 1);
    std::wmemcpy(out, text.data(), n);
    out[n] = 0;
}

// Runs one input request with the pending acedInitGet, which it uses up.
int ask(ads::InputRequest request, ads::InputAnswer& answer)
{
    request.flags = pending.flags;
    request.keywords = pending.keywords;
    pending = PendingInitGet();
    if (!installedHost)
        return RTERROR;
    int rc = installedHost->getInput(request, answer);
    if (rc == RTKWORD)
        lastKeyword = answer.text;
    return rc;
}

ads::InputRequest request(ads::InputKind kind, const ACHAR* prompt, const ads_point base = nullptr)
{
    ads::InputRequest r;
    r.kind = kind;
    r.prompt = prompt ? prompt : L"";
    if (base) {
        r.hasBase = true;
        std::copy(base, base + 3, r.base);
    }
    return r;
}

class DynamicLinker : public AcRxDynamicLinker {
public:
    bool unlockApplication(void* appId) const override
    {
        return installedHost && installedHost->unlockApplication(appId);
    }
    bool registerAppMDIAware(void* appId) const override
    {
        return installedHost && installedHost->registerAppMDIAware(appId);
    }
};

class SysRegistry : public AcRxDictionary {
public:
    AcRxObject* at(const ACHAR* key) const override
    {
        static DynamicLinker linker;
        return key && sameName(key, L"DynamicLinker") ? &linker : nullptr;
    }
};

}  // namespace

namespace ads {

void setHost(Host* host)
{
    installedHost = host;
    pending = PendingInitGet();
    lastKeyword.clear();
}

Host* host() { return installedHost; }

}  // namespace ads

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

// ---- LISP functions -----------------------------------------------------------------------

int acedDefun(const ACHAR* name, int funcNumber)
{
    if (!installedHost || !name || !*name)
        return 0;
    return installedHost->defun(name, funcNumber);
}

int acedUndef(const ACHAR* name, int funcNumber)
{
    if (!installedHost || !name)
        return RTERROR;
    return installedHost->undef(name, funcNumber);
}

int acedRegFunc(int (*handler)(), int funcNumber)
{
    return installedHost ? installedHost->regFunc(handler, funcNumber) : 0;
}

int acedGetFunCode() { return installedHost ? installedHost->funCode() : RTERROR; }

resbuf* acedGetArgs() { return installedHost ? installedHost->args() : nullptr; }

namespace {

int handBack(resbuf* value)
{
    ads::RbPtr owned(value);
    return installedHost ? installedHost->setResult(std::move(owned)) : RTERROR;
}

}  // namespace

int acedRetVoid() { return handBack(acutNewRb(RTVOID)); }

// What is handed back is always one LISP value: a list arrives wrapped in RTLB ... RTLE.
int acedRetList(const resbuf* rb)
{
    if (!rb)
        return acedRetNil();
    ads::RbPtr head(acutNewRb(RTLB));
    head->rbnext = ads::copyChain(rb).release();
    resbuf* tail = head.get();
    while (tail->rbnext)
        tail = tail->rbnext;
    tail->rbnext = acutNewRb(RTLE);
    return handBack(head.release());
}

int acedRetVal(const resbuf* rb)
{
    if (!rb)
        return RTERROR;
    resbuf one = *rb;
    one.rbnext = nullptr;
    return handBack(ads::copyChain(&one).release());
}

int acedRetInt(int value)
{
    resbuf* rb = acutNewRb(RTLONG);
    rb->resval.rlong = value;
    return handBack(rb);
}

int acedRetReal(ads_real value)
{
    resbuf* rb = acutNewRb(RTREAL);
    rb->resval.rreal = value;
    return handBack(rb);
}

int acedRetStr(const ACHAR* text)
{
    resbuf* rb = acutNewRb(RTSTR);
    rb->resval.rstring = acutNewString(text);
    return handBack(rb);
}

int acedRetNil() { return handBack(acutNewRb(RTNIL)); }
int acedRetT() { return handBack(acutNewRb(RTT)); }

// ---- windows --------------------------------------------------------------------------------

HWND adsw_acadMainWnd() { return installedHost ? installedHost->mainWindow() : nullptr; }
HWND acedGetAcadDwgView() { return installedHost ? installedHost->drawingView() : nullptr; }

// ---- user input -------------------------------------------------------------------------------

int acedInitGet(int flags, const ACHAR* keywords)
{
    pending.flags = flags;
    pending.keywords = keywords ? keywords : L"";
    return RTNORM;
}

int acedGetString(int acceptBlanks, const ACHAR* prompt, ACHAR* result, size_t size)
{
    ads::InputRequest r = request(ads::InputKind::String, prompt);
    r.acceptBlanks = acceptBlanks != 0;
    ads::InputAnswer a;
    int rc = ask(r, a);
    if (rc == RTNORM)
        copyOut(a.text, result, size);
    return rc;
}

int acedGetInt(const ACHAR* prompt, int* result)
{
    ads::InputAnswer a;
    int rc = ask(request(ads::InputKind::Integer, prompt), a);
    if (rc == RTNORM && result)
        *result = a.integer;
    return rc;
}

int acedGetReal(const ACHAR* prompt, ads_real* result)
{
    ads::InputAnswer a;
    int rc = ask(request(ads::InputKind::Real, prompt), a);
    if (rc == RTNORM && result)
        *result = a.real;
    return rc;
}

namespace {

int askPoint(ads::InputKind kind, const ads_point base, const ACHAR* prompt, ads_point result)
{
    ads::InputAnswer a;
    int rc = ask(request(kind, prompt, base), a);
    if (rc == RTNORM && result)
        std::copy(a.point, a.point + 3, result);
    return rc;
}

}  // namespace

int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result)
{
    return askPoint(ads::InputKind::Point, base, prompt, result);
}

int acedGetCorner(const ads_point base, const ACHAR* prompt, ads_point result)
{
    if (!base)
        return RTERROR;  // a corner needs the first one
    return askPoint(ads::InputKind::Corner, base, prompt, result);
}

int acedGetDist(const ads_point base, const ACHAR* prompt, ads_real* result)
{
    ads::InputAnswer a;
    int rc = ask(request(ads::InputKind::Distance, prompt, base), a);
    if (rc == RTNORM && result)
        *result = a.real;
    return rc;
}

int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t size)
{
    ads::InputAnswer a;
    int rc = ask(request(ads::InputKind::Keyword, prompt), a);
    if (rc == RTNORM || rc == RTKWORD)
        copyOut(a.text, result, size);
    return rc == RTKWORD ? RTNORM : rc;
}

int acedGetInput(ACHAR* result, size_t size)
{
    if (lastKeyword.empty())
        return RTERROR;
    copyOut(lastKeyword, result, size);
    return RTNORM;
}

int acedEntSel(const ACHAR* prompt, ads_name entity, ads_point point)
{
    ads::InputAnswer a;
    int rc = ask(request(ads::InputKind::Entity, prompt), a);
    if (rc == RTNORM) {
        if (entity) {
            entity[0] = a.entity[0];
            entity[1] = a.entity[1];
        }
        if (point)
            std::copy(a.point, a.point + 3, point);
    }
    return rc;
}

int acutPrintf(const ACHAR* format, ...)
{
    if (!format)
        return 0;
    // %s takes wide text, as in the Windows runtime the applications were written for.
    va_list ap;
    va_start(ap, format);
    std::wstring text = kortext::formatWindowsV(format, ap);
    va_end(ap);
    if (installedHost)
        installedHost->print(text);
    return static_cast<int>(text.size());
}

// ---- the drawing -------------------------------------------------------------------------------

resbuf* acdbTblNext(const ACHAR* table, int rewind)
{
    if (!installedHost || !table)
        return nullptr;
    return installedHost->tblNext(table, rewind != 0);
}

resbuf* acdbTblSearch(const ACHAR* table, const ACHAR* name, int setNext)
{
    if (!installedHost || !table || !name)
        return nullptr;
    return installedHost->tblSearch(table, name, setNext != 0);
}

int acdbEntNext(const ads_name entity, ads_name next)
{
    if (!installedHost || !next)
        return RTERROR;
    return installedHost->entNext(entity, next);
}

int acdbEntLast(ads_name entity)
{
    return installedHost && entity ? installedHost->entLast(entity) : RTERROR;
}

int acdbHandEnt(const ACHAR* handle, ads_name entity)
{
    return installedHost && handle && entity ? installedHost->handEnt(handle, entity) : RTERROR;
}

resbuf* acdbEntGet(const ads_name entity)
{
    return installedHost && entity ? installedHost->entGet(entity, nullptr) : nullptr;
}

resbuf* acdbEntGetX(const ads_name entity, const resbuf* apps)
{
    return installedHost && entity ? installedHost->entGet(entity, apps) : nullptr;
}

int acdbEntMod(const resbuf* groups)
{
    return installedHost && groups ? installedHost->entMod(groups) : RTERROR;
}

resbuf* acdbEntGetXData(const ads_name entity, const ACHAR* app)
{
    return installedHost && entity && app ? installedHost->entGetXData(entity, app) : nullptr;
}

int acdbEntModXData(const resbuf* groups)
{
    return installedHost && groups ? installedHost->entModXData(groups) : RTERROR;
}

int acdbEntMake(const resbuf* groups)
{
    return installedHost && groups ? installedHost->entMake(groups) : RTERROR;
}

int acdbEntDel(const ads_name entity)
{
    return installedHost && entity ? installedHost->entDel(entity) : RTERROR;
}

int acdbRegApp(const ACHAR* name)
{
    return installedHost && name ? installedHost->regApp(name) : RTERROR;
}

int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss)
{
    if (!installedHost || !ss)
        return RTERROR;
    return installedHost->ssGet(str ? str : L"", static_cast<const double*>(pt1), static_cast<const double*>(pt2),
                                filter, ss);
}

int acedSSLength(const ads_name ss, int32_t* length)
{
    return installedHost && ss && length ? installedHost->ssLength(ss, length) : RTERROR;
}

int acedSSName(const ads_name ss, int32_t index, ads_name entity)
{
    return installedHost && ss && entity ? installedHost->ssName(ss, index, entity) : RTERROR;
}

int acedSSAdd(const ads_name entity, const ads_name ss, ads_name result)
{
    return installedHost && result ? installedHost->ssAdd(entity, ss, result) : RTERROR;
}

int acedSSDel(const ads_name entity, const ads_name ss)
{
    return installedHost && entity && ss ? installedHost->ssDel(entity, ss) : RTERROR;
}

int acedSSFree(const ads_name ss)
{
    return installedHost && ss ? installedHost->ssFree(ss) : RTERROR;
}
