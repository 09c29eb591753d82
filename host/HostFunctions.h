// HostFunctions.h — the LISP functions the host adds to the interpreter: loading and
// unloading applications, and reading user input from the command line.
//
//   (arxload app [onfailure])    loads an application; app is a name or a path
//   (arxunload app [onfailure])  unloads it
//   (arx)                        file names of the loaded applications
//   (getstring [cr] [prompt])    a text; without cr, a blank ends the input as Enter does
//   (getreal [prompt])           a number as a real, nil for an empty answer
//   (getint [prompt])            an integer from -32768 to 32767, nil for an empty answer
//
// An application given by name is searched in the directories of $KORCAD_APP_PATH (separated
// by ':'), then in ../lib next to the running program (where the build puts korDialog.so),
// then in the current directory; in each as NAME, NAME.so and libNAME.so.
#pragma once

#include "lisp/Interpreter.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korcad {

class InputSource;

// The directories of $KORCAD_APP_PATH, in order.
std::vector<std::string> appPathDirs();
// Where arxload looks for an application given by name, in order.
std::vector<std::string> appSearchDirs();
// The library file for an application name or path, if there is one.
std::optional<std::string> findAppFile(const std::string& nameOrPath);
// Loads an application as (arxload nameOrPath) does; the AutoLISP error text on failure.
bool loadApplication(const std::string& nameOrPath, std::string* error);

void installHostFunctions(lisp::Interpreter& lisp, std::function<InputSource&()> input);

}  // namespace korcad
