// EntityFunctions.h — the LISP functions over the open drawing (tables, entities, extended
// data, selection sets); see EntityFunctions.cpp for the list.
#pragma once

#include "lisp/Interpreter.h"

namespace korcad {

class CadHost;

void installEntityFunctions(lisp::Interpreter& lisp, CadHost& host);
// Dictionaries, objects and table records by name (Dictionaries.cpp); installEntityFunctions
// installs them too.
void installDictionaryFunctions(lisp::Interpreter& lisp, CadHost& host);
// What the drawing view shows: grread, grdraw, grvecs, redraw, textbox, vports, setview
// (Graphics.cpp); installEntityFunctions installs them too.
void installGraphicsFunctions(lisp::Interpreter& lisp, CadHost& host);

}  // namespace korcad
