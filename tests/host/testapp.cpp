// korTestApp.so — an ADS application for lisp/external.lsp and hostcalls.lsp: kLoadDwgMsg defines
// its functions, kUnloadDwgMsg removes them; those without a handler are served by kInvkSubrMsg.
#include "ads/adslib.h"

#include <cwchar>

namespace {

enum Code { kEcho = 1, kTypes, kVoid, kErrVal, kErrNone, kUnreg, kUnregVoid, kAsk, kPrint };

// A copy of a chain built the way an application builds its results.
resbuf* copyOf(const resbuf* rb)
{
    resbuf* head = nullptr;
    for (resbuf** tail = &head; rb; rb = rb->rbnext, tail = &(*tail)->rbnext) {
        *tail = acutNewRb(rb->restype);
        (*tail)->resval = rb->resval;
        if (rb->restype == RTSTR)
            (*tail)->resval.rstring = acutNewString(rb->resval.rstring);
    }
    return head;
}

// Hands a chain to LISP as the function's value and releases it.
int answer(resbuf* chain, int status = RSRSLT)
{
    acedRetList(chain);
    acutRelRb(chain);
    return status;
}

int echo() { return answer(copyOf(acedGetArgs())); }

// The type codes of its argument chain.
int types()
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const resbuf* rb = acedGetArgs(); rb; rb = rb->rbnext, tail = &(*tail)->rbnext)
        *tail = acutBuildList(RTLONG, static_cast<int>(rb->restype), 0);
    return answer(head);
}

int voidAnswer() { return acedRetVoid(), RSRSLT; }
// Hands over (-1) and returns RSERR; RSERR without a value.
int errorWithValue() { return answer(acutBuildList(RTSHORT, -1, 0), RSERR); }
int errorWithoutValue() { return RSERR; }

const resbuf* nthArg(int n)
{
    const resbuf* rb = acedGetArgs();
    while (rb && n-- > 0)
        rb = rb->rbnext;
    return rb;
}

const ACHAR* stringArg(int n)
{
    const resbuf* rb = nthArg(n);
    return rb && rb->restype == RTSTR ? rb->resval.rstring : L"";
}

bool is(const ACHAR* a, const ACHAR* b) { return std::wcscmp(a, b) == 0; }

// (kortest_ask kind flags keywords prompt): acedInitGet, acedGet<kind>; (status value); buffer of 8.
int ask()
{
    const ACHAR* kind = stringArg(0);
    const resbuf* flags = nthArg(1);
    acedInitGet(flags && flags->restype == RTSHORT ? flags->resval.rint : 0, stringArg(2));
    const ACHAR* prompt = stringArg(3);
    int rc = RTERROR;
    resbuf* value = nullptr;
    if (is(kind, L"dist")) {
        ads_real d = -1;
        rc = acedGetDist(nullptr, prompt, &d);
        value = acutBuildList(RTREAL, d, 0);
    } else if (is(kind, L"point")) {
        ads_point base = {1, 1, 0}, p = {0, 0, 0};
        rc = acedGetPoint(base, prompt, p);
        value = acutBuildList(RT3DPOINT, p, 0);
    } else if (is(kind, L"int")) {
        int i = -1;
        rc = acedGetInt(prompt, &i);
        value = acutBuildList(RTLONG, i, 0);
    } else if (is(kind, L"kword") || is(kind, L"string")) {
        ACHAR text[8] = L"";
        rc = is(kind, L"kword") ? acedGetKword(prompt, text, 8) : acedGetString(0, prompt, text, 8);
        value = acutBuildList(RTSTR, text, 0);
    } else if (is(kind, L"entsel")) {
        ads_name e = {0, 0};
        ads_point p;
        rc = acedEntSel(prompt, e, p);
    }
    if (rc == RTKWORD) {
        acutRelRb(value);
        ACHAR keyword[32];
        acedGetInput(keyword, 32);
        value = acutBuildList(RTSTR, keyword, 0);
    } else if (rc != RTNORM) {
        acutRelRb(value);
        value = nullptr;
    }
    resbuf* status = acutBuildList(RTLONG, rc, 0);
    status->rbnext = value;
    return answer(status);
}

// acutPrintf of its one string argument; T when the host has a drawing view, else nil.
int print()
{
    acutPrintf(L"%ls\n", stringArg(0));
    acedGetAcadDwgView() ? acedRetT() : acedRetNil();
    return RSRSLT;
}

const struct {
    const ACHAR* name;
    Code code;
    int (*handler)();  // null: served through the invoke message
} kFunctions[] = {
    {L"kortest_echo", kEcho, echo},          {L"kortest_types", kTypes, types},
    {L"kortest_void", kVoid, voidAnswer},    {L"kortest_errval", kErrVal, errorWithValue},
    {L"kortest_errnone", kErrNone, errorWithoutValue}, {L"kortest_unreg", kUnreg, nullptr},
    {L"kortest_unregvoid", kUnregVoid, nullptr}, {L"kortest_ask", kAsk, ask},
    {L"kortest_print", kPrint, print},
};

}  // namespace

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void*)
{
    for (const auto& f : kFunctions) {
        if (msg == AcRx::kLoadDwgMsg) {
            acedDefun(f.name, f.code);
            if (f.handler)
                acedRegFunc(f.handler, f.code);
        } else if (msg == AcRx::kUnloadDwgMsg) {
            acedUndef(f.name, f.code);
        }
    }
    // The functions without a handler: ("unreg" args...), or the void answer that stands.
    if (msg == AcRx::kInvkSubrMsg) {
        acedRetVoid();
        if (acedGetFunCode() == kUnreg) {
            resbuf* head = acutBuildList(RTSTR, L"unreg", 0);
            head->rbnext = copyOf(acedGetArgs());
            answer(head);
        }
    }
    return AcRx::kRetOK;
}

extern "C" int acrxGetApiVersion() { return ACRX_API_VERSION; }
