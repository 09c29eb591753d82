// SysVars.h — the system variables of korcad: getvar and setvar on a table of the variables
// LISP programs commonly read and set.
//
//   (getvar name)        the value; nil for a name the table does not have
//   (setvar name value)  the value; refused ("AutoCAD variable setting rejected: "NAME" value")
//                        for an unknown name, a read-only variable, a value of the wrong type
//                        or out of range, and for CLAYER / CELTYPE / TEXTSTYLE naming no
//                        record of the current drawing's LAYER / LTYPE / STYLE table
//
// Names are compared without regard to case. An integer variable takes integers only; a real
// one takes integers too (as reals); a point one a list of two or three numbers. DATE, CDATE,
// MILLISECS, DWGNAME and DWGPREFIX are computed when read; ERRNO is the interpreter's, read-only;
// TDCREATE, TDUPDATE and TDINDWG come from the drawing's header. snvalid follows EXTNAMES,
// acad_strlsort MAXSORT and findfile SRCHPATH. The interpreter's rtos, angtos and
// distof read LUNITS, LUPREC, AUNITS, AUPREC and DIMZIN from here.
#pragma once

#include "lisp/Interpreter.h"

#include <map>
#include <string>
#include <string_view>

namespace korcad {

class CadHost;

class SystemVariables {
public:
    SystemVariables(CadHost& host, lisp::Interpreter& lisp);
    lisp::Value get(std::string_view name) const;
    // Sets the variable, or raises the error that refuses it.
    lisp::Value set(std::string_view name, const lisp::Value& value);
    // The names in the table, upper case and sorted.
    std::vector<std::string> names() const;

private:
    CadHost& host_;
    lisp::Interpreter& lisp_;
    std::map<std::string, lisp::Value> values_;
};

// Defines getvar and setvar on a table owned by the interpreter's functions and makes it the
// interpreter's source of system variables.
void installSystemVariables(lisp::Interpreter& lisp, CadHost& host);

}  // namespace korcad
