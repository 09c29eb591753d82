// adslib.h — the CAD host's ADS / ObjectARX interface, as an application sees it.
//
// Stands in for: the ObjectARX headers (adslib.h, acedads.h, rxregsvc.h, rxdlinkr.h) of the
// CAD program. The host program answers every call through the interface in adshost.h.
// [X] result-buffer chains: resbuf, acutNewRb, acutRelRb, acutBuildList, acutNewString
// [X] LISP functions: acedDefun, acedUndef, acedRegFunc, acedGetFunCode, acedGetArgs,
//     acedRetVoid/List/Val/Int/Real/Str/Nil/T
// [X] the dynamic linker in the system registry: unlockApplication, registerAppMDIAware
// [X] adsw_acadMainWnd, acedGetAcadDwgView: the host's main window and drawing view
// [X] user input: acedInitGet, acedGetString/Int/Real/Point/Corner/Dist/Kword, acedGetInput,
//     acedEntSel; acutPrintf
// [X] the drawing: acdbTblNext, acdbTblSearch, acdbEntNext, acdbEntGet, acdbEntMod; one
//     application's extended data alone: acdbEntGetXData, acdbEntModXData
// [ ] selection sets, commands, reactors (added as callers need them)
//
// Every call goes to the host program through the interface in adshost.h; without a host
// the calls answer RTERROR (or null).
//
// Text is wide (wchar_t). Strings inside result buffers are allocated with malloc and
// freed by acutRelRb; that holds for RTSTR and for the DXF groups that carry text.
#pragma once

#include "win/wintypes.h"

#include <cstddef>
#include <cstdint>

typedef wchar_t ACHAR;
typedef double ads_real;
typedef ads_real ads_point[3];
typedef int64_t ads_name[2];

// Result and argument type codes.
#define RTNONE 5000
#define RTREAL 5001
#define RTPOINT 5002
#define RTSHORT 5003
#define RTANG 5004
#define RTSTR 5005
#define RTENAME 5006
#define RTPICKS 5007
#define RTORINT 5008
#define RT3DPOINT 5009
#define RTLONG 5010
#define RTVOID 5014
#define RTLB 5016
#define RTLE 5017
#define RTDOTE 5018
#define RTNIL 5019
#define RTDXF0 5020
#define RTT 5021

// Status codes.
#define RTNORM 5100
#define RTERROR (-5001)
#define RTCAN (-5002)
#define RTREJ (-5003)
#define RTFAIL (-5004)
#define RTKWORD (-5005)

// acedInitGet flags: what the next get... call refuses or allows.
#define RSG_NONULL 0x0001  // an empty answer is refused
#define RSG_NOZERO 0x0002  // zero is refused
#define RSG_NONEG 0x0004   // negative values are refused
#define RSG_NOLIM 0x0008   // points outside the drawing limits are allowed
#define RSG_GETZ 0x0010    // points and distances take a Z coordinate
#define RSG_DASH 0x0020    // rubber band drawn dashed
#define RSG_2D 0x0040      // distances ignore Z
#define RSG_OTHER 0x0080   // any other input is handed back as a keyword

// What a LISP handler returns.
#define RSRSLT 1
#define RSERR 3

union ads_u_val {
    ads_real rreal;
    ads_real rpoint[3];
    short rint;
    ACHAR* rstring;
    int64_t rlname[2];
    int32_t rlong;
};

struct resbuf {
    resbuf* rbnext = nullptr;
    short restype = RTNONE;
    ads_u_val resval{};
};

// --- result buffers ---------------------------------------------------------------------
resbuf* acutNewRb(int type);
int acutRelRb(resbuf* rb);  // frees the whole chain from rb on
ACHAR* acutNewString(const ACHAR* text);  // malloc'd copy, for resval.rstring
// True when a result buffer of this type holds resval.rstring: RTSTR and the DXF groups that
// carry text (ads::groupKind gives Text).
bool acutIsTextType(int restype);
// Builds a chain from (type, value) pairs ended by 0: RTSTR takes const ACHAR*, RTSHORT and
// RTLONG an int, RTREAL a double, RTPOINT/RT3DPOINT a const double*, RTENAME a const int64_t*,
// RTLB/RTLE/RTDOTE/RTNIL/RTT/RTVOID no value. DXF group codes take the value their kind
// holds (ads::groupKind; -3 none), and RTDXF0 stands for group 0, since 0 ends the list.
// Returns null on an unknown type code.
resbuf* acutBuildList(int type, ...);

namespace ads {
// What a result buffer whose type is a DXF group code holds, by the DXF ranges:
//   Real   10-59, 110-149, 210-239, 460-469, 1010-1059 (apart from the points)   resval.rreal
//   Point  the X code of a point: 10-18, 110-112, 210, 1010-1013; in a file Y is  resval.rpoint
//          code+10 and Z code+20, in a chain the one buffer holds all three
//   Int16  60-79, 170-179, 270-299, 370-389, 400-409, 1060-1070                    resval.rint
//   Int32  90-99, 420-429, 440-459, 1071                                          resval.rlong
//   Int64  160-169 (carried as a real)                                            resval.rreal
//   Name   -5, -2, -1, 330-369, 390-399, 480-481: an entity or object name          resval.rlname
//   None   -3 (the start of extended data) and codes that are no group codes
//   Text   every other group code from -4 to 1071 (0-9, 100-102, 105, 300-329, ...) resval.rstring
enum class GroupKind { Text, Real, Point, Int16, Int32, Int64, Name, None };
GroupKind groupKind(int code);
}  // namespace ads

// --- LISP functions -----------------------------------------------------------------------
// acedDefun and acedRegFunc answer RTNORM on success and 0 when the host refuses.
int acedDefun(const ACHAR* name, int funcNumber);
int acedUndef(const ACHAR* name, int funcNumber);
int acedRegFunc(int (*handler)(), int funcNumber);
int acedGetFunCode();      // code of the function being called, RTERROR outside a call
resbuf* acedGetArgs();     // arguments of the current call; owned by the host
int acedRetVoid();
int acedRetList(const resbuf* rb);
int acedRetVal(const resbuf* rb);
int acedRetInt(int value);
int acedRetReal(ads_real value);
int acedRetStr(const ACHAR* text);
int acedRetNil();
int acedRetT();

HWND adsw_acadMainWnd();
HWND acedGetAcadDwgView();

// --- user input -----------------------------------------------------------------------------
// acedInitGet applies to the next get... call only. The get... calls answer RTNORM, RTNONE
// (empty answer), RTKWORD (a keyword: acedGetInput tells which), RTCAN or RTERROR; the result
// is written only for RTNORM.
int acedInitGet(int flags, const ACHAR* keywords);
int acedGetString(int acceptBlanks, const ACHAR* prompt, ACHAR* result, size_t size);
int acedGetInt(const ACHAR* prompt, int* result);
int acedGetReal(const ACHAR* prompt, ads_real* result);
int acedGetPoint(const ads_point base, const ACHAR* prompt, ads_point result);
int acedGetCorner(const ads_point base, const ACHAR* prompt, ads_point result);
int acedGetDist(const ads_point base, const ACHAR* prompt, ads_real* result);
int acedGetKword(const ACHAR* prompt, ACHAR* result, size_t size);
int acedGetInput(ACHAR* result, size_t size);  // the keyword of the last RTKWORD answer
int acedEntSel(const ACHAR* prompt, ads_name entity, ads_point point);
int acutPrintf(const ACHAR* format, ...);

// --- the drawing ----------------------------------------------------------------------------
// Records and entities as DXF group chains, to be freed with acutRelRb.
resbuf* acdbTblNext(const ACHAR* table, int rewind);
resbuf* acdbTblSearch(const ACHAR* table, const ACHAR* name, int setNext);
int acdbEntNext(const ads_name entity, ads_name next);  // a null entity: the first one
int acdbEntLast(ads_name entity);
int acdbHandEnt(const ACHAR* handle, ads_name entity);
resbuf* acdbEntGet(const ads_name entity);
// With extended data of the applications in `apps` (RTSTR names, wildcards allowed).
resbuf* acdbEntGetX(const ads_name entity, const resbuf* apps);
int acdbEntMod(const resbuf* groups);
// One application's extended data, read and replaced without the entity's other groups (as
// AcDbObject::xData and setXData do): acdbEntGetXData gives (-1 . name), (5 . handle) and,
// when the entity holds data of `app`, -3 and that block; null for no entity.
// acdbEntModXData takes (-1 . name) (-3) and application blocks (1001 and 1000-1071), as
// acdbEntMod takes them and with its checks, and replaces only the data of the applications
// named.
resbuf* acdbEntGetXData(const ads_name entity, const ACHAR* app);
int acdbEntModXData(const resbuf* groups);
int acdbEntMake(const resbuf* groups);  // the new entity is then the last one (acdbEntLast)
int acdbEntDel(const ads_name entity);  // erases, or brings an erased entity back
int acdbRegApp(const ACHAR* name);

// --- selection sets ------------------------------------------------------------------------
// str "X": the whole drawing through `filter`; "L" the last entity; "P" the previous set;
// "W" / "C" the entities inside / crossing the window from pt1 to pt2 (ads_point); null: the
// user selects them.
int acedSSGet(const ACHAR* str, const void* pt1, const void* pt2, const resbuf* filter, ads_name ss);
int acedSSLength(const ads_name ss, int32_t* length);
int acedSSName(const ads_name ss, int32_t index, ads_name entity);
int acedSSAdd(const ads_name entity, const ads_name ss, ads_name result);
int acedSSDel(const ads_name entity, const ads_name ss);
int acedSSFree(const ads_name ss);

// --- runtime classes and the dynamic linker -----------------------------------------------
class AcRxClass {
public:
    AcRxClass(const wchar_t* name, const AcRxClass* parent) : m_name(name), m_parent(parent) {}
    const wchar_t* name() const { return m_name; }
    bool isDerivedFrom(const AcRxClass* other) const;

private:
    const wchar_t* m_name;
    const AcRxClass* m_parent;
};

class AcRxObject {
public:
    virtual ~AcRxObject() = default;
    static AcRxClass* desc();
    virtual AcRxClass* isA() const { return desc(); }
};

class AcRxDictionary : public AcRxObject {
public:
    static AcRxClass* desc();
    AcRxClass* isA() const override { return desc(); }
    virtual AcRxObject* at(const ACHAR* key) const = 0;
};

class AcRxDynamicLinker : public AcRxObject {
public:
    static AcRxClass* desc();
    AcRxClass* isA() const override { return desc(); }
    // appId is the packet the application received with kInitAppMsg.
    virtual bool unlockApplication(void* appId) const = 0;
    virtual bool registerAppMDIAware(void* appId) const = 0;
};

AcRxDictionary* acrxSysRegistry();

namespace AcRx {
enum AppMsgCode {
    kNullMsg = 0,
    kInitAppMsg = 1,
    kUnloadAppMsg = 2,
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
    kSaveMsg = 9,
};
enum AppRetCode { kRetOK = 0, kRetError = 3 };
}  // namespace AcRx

// The API version an application must report through its exported acrxGetApiVersion().
#define ACRX_API_VERSION 24

// Declares one of the two entry points every application exports, acrxEntryPoint and
// acrxGetApiVersion: the CAD program looks them up by name in a loaded module, also when the
// module is built with hidden visibility.
#define ACRX_ENTRY_POINT extern "C" __attribute__((visibility("default")))

// Signatures of the two functions every application exports with C linkage.
extern "C" {
typedef AcRx::AppRetCode (*AcRxEntryPointFn)(AcRx::AppMsgCode msg, void* appId);
typedef int (*AcRxGetApiVersionFn)();
}
