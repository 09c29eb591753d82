// Printer.h — values as AutoLISP prints them.
//
// prin1 (escape = true) writes what read reads back: strings in quotes with \" \\ \n \r \t
// \e and \nnn for other control characters. princ (escape = false) writes strings as they
// are. Symbols print upper case, nil as "nil", reals as kortext::formatReal writes them (up
// to six significant digits, always a decimal point: 3.14, 5.0, 1.0e+20, 1.#INF).
#pragma once

#include "lisp/Value.h"

#include <string>

namespace lisp {

std::string toString(const Value& v, bool escape);
void printTo(std::string& out, const Value& v, bool escape);

}  // namespace lisp
