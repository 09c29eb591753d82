// adshost.h — the one door between the ADS calls an application makes and the CAD host
// program that answers them.
//
// The ADS library (adslib.h) holds no state of its own beyond the pending acedInitGet: every
// call an application makes goes to the one ads::Host the host program installed. The host
// program (korcad) implements this interface; applications never see it.
//
// [X] LISP functions: definitions per drawing, handler registration, the call in progress
//     (function code, arguments, the value handed back)
// [X] the dynamic linker's requests (unlock, MDI awareness) for the application being told
//     a message
// [X] windows: the main window dialogs are parented to, the drawing view
// [X] user input: one request per get... call, with the acedInitGet flags and keywords that
//     apply to it
// [X] the drawing: symbol-table records, entities (walk, read, change; one application's
//     extended data alone), handles, registered applications, selection sets
// [ ] commands, reactors, documents (added as callers need them)
//
// Faults for tests go through the same door: a test derives from the host program's
// implementation and overrides the call it wants to fail.
#pragma once

#include "ads/adslib.h"

#include <memory>
#include <string>

namespace ads {

struct RbDeleter {
    void operator()(resbuf* rb) const { acutRelRb(rb); }
};
using RbPtr = std::unique_ptr<resbuf, RbDeleter>;

// Deep copy of a chain (strings included).
RbPtr copyChain(const resbuf* rb);

// Builds a chain front to back; what is not taken is freed.
class ChainBuilder {
public:
    ChainBuilder() = default;
    ChainBuilder(const ChainBuilder&) = delete;
    ChainBuilder& operator=(const ChainBuilder&) = delete;
    ~ChainBuilder() { acutRelRb(head_); }
    resbuf* add(int type)
    {
        resbuf* rb = acutNewRb(type);
        *tail_ = rb;
        tail_ = &rb->rbnext;
        return rb;
    }
    resbuf* addText(int type, const std::wstring& text)
    {
        resbuf* rb = add(type);
        rb->resval.rstring = acutNewString(text.c_str());
        return rb;
    }
    RbPtr take()
    {
        tail_ = &head_;
        resbuf* h = head_;
        head_ = nullptr;
        return RbPtr(h);
    }

private:
    resbuf* head_ = nullptr;
    resbuf** tail_ = &head_;
};

// What a get... call asks of the user.
enum class InputKind {
    String,    // acedGetString: blanks end the answer unless `acceptBlanks`
    Integer,   // acedGetInt
    Real,      // acedGetReal
    Point,     // acedGetPoint
    Corner,    // acedGetCorner: the other corner of a rectangle from `base`
    Distance,  // acedGetDist: a number, or two points (the first may be `base`)
    Keyword,   // acedGetKword: one of the keywords
    Entity,    // acedEntSel: an entity picked at a point
    Angle,     // getangle, getorient: two points (the first may be `base`), answering the
               // direction in `real` (radians, counterclockwise from east) and 1 in `integer`;
               // or what was typed, in `text` with 0 in `integer`, for the caller's units
};

struct InputRequest {
    InputKind kind = InputKind::String;
    std::wstring prompt;
    bool hasBase = false;       // a base point was given
    ads_point base = {0, 0, 0};
    bool acceptBlanks = false;  // String: the answer may contain blanks
    int flags = 0;              // the acedInitGet flags that apply (RSG_...)
    std::wstring keywords;      // the acedInitGet keywords that apply, blank-separated
};

struct InputAnswer {
    std::wstring text;          // String; the keyword for RTKWORD
    int integer = 0;            // Integer
    ads_real real = 0;          // Real, Distance
    ads_point point = {0, 0, 0};  // Point, Corner, Entity (the pick point)
    ads_name entity = {0, 0};   // Entity
};

class Host {
public:
    virtual ~Host() = default;

    // ---- LISP functions -------------------------------------------------------------------
    // acedDefun / acedUndef / acedRegFunc for the application being told a message, in the
    // current drawing. defun and regFunc answer RTNORM or 0 (refused), undef RTNORM or RTERROR.
    virtual int defun(const std::wstring& name, int code) = 0;
    virtual int undef(const std::wstring& name, int code) = 0;
    virtual int regFunc(int (*handler)(), int code) = 0;
    // The call in progress: its function code (RTERROR outside a call), its arguments (owned
    // by the host) and the one value the application hands back (RTERROR outside a call).
    virtual int funCode() = 0;
    virtual resbuf* args() = 0;
    virtual int setResult(RbPtr value) = 0;

    // ---- the dynamic linker -----------------------------------------------------------------
    virtual bool unlockApplication(void* appId) = 0;
    virtual bool registerAppMDIAware(void* appId) = 0;

    // ---- windows ----------------------------------------------------------------------------
    virtual HWND mainWindow() = 0;
    virtual HWND drawingView() = 0;

    // ---- user input -------------------------------------------------------------------------
    // Asks the user; answers RTNORM, RTNONE (an empty answer that the flags allow), RTKWORD
    // (answer.text holds the keyword), RTCAN (cancelled) or RTERROR.
    virtual int getInput(const InputRequest& request, InputAnswer& answer) = 0;
    // Writes a line to the command line (acutPrintf).
    virtual void print(const std::wstring& text) = 0;

    // ---- the drawing ------------------------------------------------------------------------
    // Symbol-table records as DXF groups (0 type, 2 name, 70 flags, ...); null when there is
    // none. tblNext walks a table ("LTYPE", "LAYER", ...) from its start when rewind is set.
    virtual resbuf* tblNext(const std::wstring& table, bool rewind) = 0;
    // tblSearch finds a record by name; with setNext, tblNext goes on after it.
    virtual resbuf* tblSearch(const std::wstring& table, const std::wstring& name, bool setNext) = 0;
    // Entities: the one after `entity` (the first with a null one), the last one, the one
    // with a handle, an entity's groups (with the extended data of `apps`, a chain of RTSTR
    // names, when given), and a changed entity written back. RTNORM or RTERROR.
    virtual int entNext(const ads_name entity, ads_name next) = 0;
    virtual int entLast(ads_name last) = 0;
    virtual int handEnt(const std::wstring& handle, ads_name entity) = 0;
    virtual resbuf* entGet(const ads_name entity, const resbuf* apps) = 0;
    virtual int entMod(const resbuf* groups) = 0;
    // The same at the level of one application's extended data, for applications that change
    // their data on many entities: entGetXData gives (-1 . name), the handle (5) when the
    // entity has one and, when it holds data of `app`, -3 and that application's block as
    // entGet gives it (null for no entity); entModXData takes (-1 . name) (-3) and application
    // blocks as entMod does, and nothing else, and replaces the data of the applications it
    // names, leaving the entity's other groups as they are. RTNORM or RTERROR.
    virtual resbuf* entGetXData(const ads_name entity, const std::wstring& app) = 0;
    virtual int entModXData(const resbuf* groups) = 0;
    // entmake: a new entity (or LAYER record) from its groups; entdel: erases an entity or
    // brings an erased one back. RTNORM or RTERROR.
    virtual int entMake(const resbuf* groups) = 0;
    virtual int entDel(const ads_name entity) = 0;
    // Registers an application name for extended data: RTNORM, RTERROR when it is taken.
    virtual int regApp(const std::wstring& name) = 0;

    // ---- selection sets -------------------------------------------------------------------
    // acedSSGet: mode "X" (the whole drawing), "L" (the last entity), "P" (the previous set),
    // "W" / "C" (inside / crossing the window from p1 to p2), or none: the user selects (picks,
    // and windows or crossings by keyword); `filter` a chain of groups as selection filters
    // take them. RTNORM, RTERROR when nothing was found or the mode is not known, RTCAN when
    // the user cancelled.
    virtual int ssGet(const std::wstring& mode, const double* p1, const double* p2, const resbuf* filter,
                      ads_name set) = 0;
    virtual int ssLength(const ads_name set, int32_t* length) = 0;
    virtual int ssName(const ads_name set, int32_t index, ads_name entity) = 0;
    // A new set (no entity, or the one given) when `set` is null, else `entity` added to it.
    virtual int ssAdd(const ads_name entity, const ads_name set, ads_name result) = 0;
    virtual int ssDel(const ads_name entity, const ads_name set) = 0;
    virtual int ssFree(const ads_name set) = 0;
};

// The host the ADS calls go to; null until the host program installs one. Every ADS call
// made without a host answers RTERROR (or null).
void setHost(Host* host);
Host* host();

}  // namespace ads
