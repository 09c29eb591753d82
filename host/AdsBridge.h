// AdsBridge.h — LISP calls functions that applications define through ADS.
//
// Arguments go over as one result-buffer chain: integers in the 16-bit range as RTSHORT,
// others as RTLONG; reals RTREAL; strings RTSTR (wide text); nil RTNIL; T RTT; entity names
// RTENAME; a list as RTLB ... RTLE and a dotted pair as RTLB a RTDOTE b RTLE.
//
// What the application hands back is always one value (a list arrives as RTLB ... RTLE);
// RTVOID, the void answer, means no value and reads as nil. Entries with a DXF group code
// instead of a type code (entity data) read as the dotted pair (code . value).
//
// Outcome of a call:
// - A value handed over (anything but the void answer alone) reaches the caller, whatever
//   the status: a handler may answer an argument error with a value and RSERR.
// - No value and status RSERR raises the LISP error "ADS request error: <function name>",
//   which *error* receives and vl-catch-all-apply catches.
// - No value and any other status: nil.
#pragma once

#include "lisp/Interpreter.h"

#include "CadHost.h"

#include <string>

namespace korcad {

// The message of a failed call that handed over no value.
std::string adsRequestError(const std::string& functionName);

// The argument chain of a call; null for no arguments. Values that ADS cannot carry
// (symbols other than T, functions) raise "bad argument type".
ads::RbPtr toResbufChain(const lisp::Args& args);
// One value from the front of a chain, as the host reads a handler's answer.
lisp::Value fromResbuf(lisp::Interpreter& lisp, const resbuf* rb);

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
