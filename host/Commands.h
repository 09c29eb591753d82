// Commands.h — korcad's own commands, typed at "Befehl: " or run from LISP through
// (command ...) / (vl-cmdf ...):
//
//   QSAVE    saves the drawing to its file (a new drawing: its name as .dxf)
//   SAVEAS   saves it under the file name that follows (or is asked for)
//
// A name may carry the prefixes "_" (international name) and "." (the built-in command), as
// programs write them: "_.QSAVE". Arguments a command needs and was not given are asked for
// on the command line.
#pragma once

#include "lisp/Interpreter.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace korcad {

class CadHost;
class UserInput;

class Commands {
public:
    Commands(CadHost& host, UserInput& input, std::ostream& out);

    // The command's name without prefixes, upper case, when it is one of ours; else empty.
    static std::string commandName(const std::string& typed);
    // Runs a command with its arguments; what it says and any failure go to the command line.
    // False when it failed.
    bool run(const std::string& name, std::vector<std::string> args);

    // (command ...) and (vl-cmdf ...): the first argument a command name, the rest its
    // arguments (numbers and points as typed, "" as Enter). nil, as in AutoLISP; an unknown
    // command says so.
    void install(lisp::Interpreter& lisp);

private:
    bool save(const std::string& path);
    std::string ask(const std::string& prompt);

    CadHost& host_;
    UserInput& input_;
    std::ostream& out_;
};

}  // namespace korcad
