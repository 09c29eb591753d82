// HostFunctions.h — the LISP functions the host adds to the interpreter: loading and
// unloading applications, and reading user input from the command line.
//
//   (arxload app [onfailure])    loads an application; app is a name or a path
//   (arxunload app [onfailure])  unloads it
//   (arx)                        file names of the loaded applications
//   (initget [flags] [keywords]) flags and keywords for the next get... call
//   (getstring [cr] [prompt])    a text; without cr, a blank ends the input as Enter does
//   (getreal [prompt])           a number as a real, nil for an empty answer
//   (getint [prompt])            an integer from -32768 to 32767, nil for an empty answer
//   (getdist [pt] [prompt])      a distance: a number or two points
//   (getpoint [pt] [prompt])     a point, typed as x,y[,z] (or @dx,dy relative to pt)
//   (getcorner pt [prompt])      the other corner of a rectangle
//   (getkword [prompt])          one of the keywords initget gave
//   and the functions over the drawing (EntityFunctions.h): tblnext, tblsearch, entget, ...
//
// The get... functions answer from the same input service that answers an application's
// acedGet... calls (UserInput.h); a keyword typed where initget allows it comes back as a
// string; the end of the input cancels the function ("Function cancelled").
//
// An application given by name is searched in the directories of $KORCAD_APP_PATH (separated
// by ':'), then in ../lib/korcad next to the running program (where korDialog.so is),
// then in the current directory; in each as NAME, NAME.so and libNAME.so.
#pragma once

#include "lisp/Interpreter.h"

#include <optional>
#include <string>
#include <vector>

namespace korcad {

class CadHost;
class UserInput;

// The directories of $KORCAD_APP_PATH, in order.
std::vector<std::string> appPathDirs();
// Where arxload looks for an application given by name, in order.
std::vector<std::string> appSearchDirs();
// The library file for an application name or path, if there is one.
std::optional<std::string> findAppFile(const std::string& nameOrPath);
// Loads an application as (arxload nameOrPath) does: the name is resolved to one file, which
// is loaded once. The AutoLISP error text on failure.
bool loadApplication(CadHost& host, const std::string& nameOrPath, std::string* error);

void installHostFunctions(lisp::Interpreter& lisp, CadHost& host, UserInput& input);

}  // namespace korcad
