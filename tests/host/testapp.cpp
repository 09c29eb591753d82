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
//   kortest_ask         registered: (kortest_ask kind flags keywords prompt) calls acedInitGet,
//                       then the get... call of kind ("dist", "point", "int", "kword",
//                       "string", "entsel") and returns (status value): the value as read,
//                       the keyword for RTKWORD, nothing for other statuses
//   kortest_table       registered: (kortest_table "LTYPE") the names acdbTblNext walks, then
//                       the name acdbTblSearch finds for the first of them
//   kortest_print       registered: acutPrintf of its one string argument; returns T when the
//                       host has a drawing view, else nil
//
// kUnloadDwgMsg removes them again.
#include "ads/adslib.h"

namespace {

enum Code { kEcho = 1, kTypes, kEname, kVoid, kErrVal, kErrNone, kUnreg, kUnregVoid, kAsk, kTable, kPrint };

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

bool is(const ACHAR* a, const ACHAR* b)
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

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
    resbuf* answer = acutBuildList(RTLONG, rc, 0);
    answer->rbnext = value;
    acedRetList(answer);
    acutRelRb(answer);
    return RSRSLT;
}

int table()
{
    const ACHAR* name = stringArg(0);
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (resbuf* rec = acdbTblNext(name, 1); rec; rec = acdbTblNext(name, 0)) {
        for (const resbuf* g = rec; g; g = g->rbnext)
            if (g->restype == 2) {
                *tail = acutBuildList(RTSTR, g->resval.rstring, 0);
                tail = &(*tail)->rbnext;
            }
        acutRelRb(rec);
    }
    if (head) {
        if (resbuf* found = acdbTblSearch(name, head->resval.rstring, 0)) {
            for (const resbuf* g = found; g; g = g->rbnext)
                if (g->restype == 2)
                    *tail = acutBuildList(RTSTR, g->resval.rstring, 0);
            acutRelRb(found);
        }
    }
    if (!head)
        return acedRetNil(), RSRSLT;
    acedRetList(head);
    acutRelRb(head);
    return RSRSLT;
}

int print()
{
    acutPrintf(L"%ls\n", stringArg(0));
    if (acedGetAcadDwgView())
        acedRetT();
    else
        acedRetNil();
    return RSRSLT;
}

const Function kFunctions[] = {
    {L"kortest_echo", kEcho, echo},
    {L"kortest_types", kTypes, types},
    {L"kortest_ename", kEname, ename},
    {L"kortest_void", kVoid, voidAnswer},
    {L"kortest_errval", kErrVal, errorWithValue},
    {L"kortest_errnone", kErrNone, errorWithoutValue},
    {L"kortest_unreg", kUnreg, nullptr},
    {L"kortest_unregvoid", kUnregVoid, nullptr},
    {L"kortest_ask", kAsk, ask},
    {L"kortest_table", kTable, table},
    {L"kortest_print", kPrint, print},
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
