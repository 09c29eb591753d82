// korTestApp.so — a small ADS application for the host's tests. On every kLoadDwgMsg it
// defines these LISP functions:
//
//   kortest_echo        registered: returns the list of its arguments (nil for none)
//   kortest_types       registered: returns the list of the type codes of its argument chain
//   kortest_ename       registered: returns the entity name (0x1f2a . 7)
//   kortest_void        registered: answers void with RSRSLT (LISP sees nil)
//   kortest_errval      registered: hands over (-1) and returns RSERR
//   kortest_errnone     registered: returns RSERR without a value
//   kortest_unreg       not registered: answered through kInvkSubrMsg with ("unreg" args...)
//   kortest_unregvoid   not registered: answered through kInvkSubrMsg with the void answer
//
// kUnloadDwgMsg removes them again.
#include "ads/adslib.h"

namespace {

enum Code { kEcho = 1, kTypes, kEname, kVoid, kErrVal, kErrNone, kUnreg, kUnregVoid };

struct Function {
    const ACHAR* name;
    Code code;
    int (*handler)();  // null: served through the invoke message
};

// A copy of a chain built the way an application builds its results.
resbuf* copyOf(const resbuf* rb)
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (; rb; rb = rb->rbnext) {
        resbuf* c = acutNewRb(rb->restype);
        c->resval = rb->resval;
        if (rb->restype == RTSTR)
            c->resval.rstring = acutNewString(rb->resval.rstring);
        *tail = c;
        tail = &c->rbnext;
    }
    return head;
}

int echo()
{
    resbuf* args = copyOf(acedGetArgs());
    acedRetList(args);
    acutRelRb(args);
    return RSRSLT;
}

int types()
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const resbuf* rb = acedGetArgs(); rb; rb = rb->rbnext) {
        resbuf* c = acutNewRb(RTLONG);
        c->resval.rlong = rb->restype;
        *tail = c;
        tail = &c->rbnext;
    }
    acedRetList(head);
    acutRelRb(head);
    return RSRSLT;
}

int ename()
{
    resbuf rb;
    rb.restype = RTENAME;
    rb.resval.rlname[0] = 0x1f2a;
    rb.resval.rlname[1] = 7;
    acedRetVal(&rb);
    return RSRSLT;
}

int voidAnswer()
{
    acedRetVoid();
    return RSRSLT;
}

int errorWithValue()
{
    resbuf* answer = acutBuildList(RTSHORT, -1, 0);
    acedRetList(answer);
    acutRelRb(answer);
    return RSERR;
}

int errorWithoutValue() { return RSERR; }

const Function kFunctions[] = {
    {L"kortest_echo", kEcho, echo},
    {L"kortest_types", kTypes, types},
    {L"kortest_ename", kEname, ename},
    {L"kortest_void", kVoid, voidAnswer},
    {L"kortest_errval", kErrVal, errorWithValue},
    {L"kortest_errnone", kErrNone, errorWithoutValue},
    {L"kortest_unreg", kUnreg, nullptr},
    {L"kortest_unregvoid", kUnregVoid, nullptr},
};

void defineFunctions()
{
    for (const auto& f : kFunctions) {
        acedDefun(f.name, f.code);
        if (f.handler)
            acedRegFunc(f.handler, f.code);
    }
}

void undefineFunctions()
{
    for (const auto& f : kFunctions)
        acedUndef(f.name, f.code);
}

// The functions without a handler of their own.
void dispatch()
{
    acedRetVoid();
    switch (acedGetFunCode()) {
    case kUnreg: {
        resbuf* answer = acutBuildList(RTSTR, L"unreg", 0);
        answer->rbnext = copyOf(acedGetArgs());
        acedRetList(answer);
        acutRelRb(answer);
        break;
    }
    case kUnregVoid:
    default:
        break;  // the void answer stands
    }
}

}  // namespace

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void*)
{
    switch (msg) {
    case AcRx::kLoadDwgMsg:
        defineFunctions();
        break;
    case AcRx::kUnloadDwgMsg:
        undefineFunctions();
        break;
    case AcRx::kInvkSubrMsg:
        dispatch();
        break;
    default:
        break;
    }
    return AcRx::kRetOK;
}

extern "C" int acrxGetApiVersion() { return ACRX_API_VERSION; }
