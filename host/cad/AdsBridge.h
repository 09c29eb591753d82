// AdsBridge.h — LISP calls functions that applications define through ADS.
//
// Arguments go over as one result-buffer chain: integers in the 16-bit range as RTSHORT,
// others as RTLONG; reals RTREAL; strings RTSTR (wide text); nil RTNIL; T RTT; entity names
// RTENAME; selection sets RTPICKS; a list as RTLB ... RTLE and a dotted pair as RTLB a
// RTDOTE b RTLE.
//
// What the application hands back is always one value (a list arrives as RTLB ... RTLE);
// RTVOID, the void answer, means no value and reads as nil. A chain of DXF groups instead of
// type codes (entity data) reads as their list, as entget gives it.
//
// Outcome of a call:
// - A value handed over (anything but the void answer alone) reaches the caller, whatever
//   the status: a handler may answer an argument error with a value and RSERR.
// - No value and status RSERR raises the LISP error "ADS request error: <function name>",
//   which *error* receives and vl-catch-all-apply catches.
// - No value and any other status: nil.
#pragma once

#include "lisp/Interpreter.h"

#include "cad/CadHost.h"

#include <string>

namespace korcad {

// The message of a failed call that handed over no value.
std::string adsRequestError(const std::string& functionName);

// The argument chain of a call; null for no arguments. Values that ADS cannot carry
// (symbols other than T, functions) raise "bad argument type".
ads::RbPtr toResbufChain(const lisp::Args& args);
// One value from the front of a chain, as the host reads a handler's answer.
lisp::Value fromResbuf(lisp::Interpreter& lisp, const resbuf* rb);

// DXF groups: a chain of entity data (entget's) as AutoLISP shows it — dotted pairs
// (code . value), points as (code x y z) (2D for a lightweight polyline's vertices), names
// as entity names, extended data as (-3 ("APP" groups...) ...) — and back (entmod's list, a
// selection filter). A group whose value does not fit its code raises "bad DXF group: ...".
bool isGroupCode(int type);
lisp::Value groupsToLisp(lisp::Interpreter& lisp, const resbuf* chain);
ads::RbPtr groupsFromLisp(const lisp::Value& list);
// A selection set the host made, as a LISP value that frees it when LISP lets go of it.
lisp::Value picksetValue(const int64_t id[2]);

// Routes calls of undefined LISP symbols to the functions of the current drawing.
class AdsFunctions : public lisp::ExternalFunctions {
public:
    explicit AdsFunctions(CadHost& host) : host_(host) {}
    bool isDefined(const lisp::Symbol& sym) override;
    lisp::Value call(lisp::Interpreter& lisp, const lisp::Symbol& sym,
                     const lisp::Args& args) override;

private:
    CadHost& host_;
};

}  // namespace korcad
