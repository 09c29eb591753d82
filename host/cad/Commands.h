// Commands.h — korcad's own commands, typed at "Befehl: " or run from LISP through
// (command ...) / (vl-cmdf ...):
//
//   LINE     lines from point to point, until an empty answer
//   PLINE    a lightweight polyline through the points, until an empty answer
//   CIRCLE   centre and radius
//   TEXT     start point, height, rotation, text
//   ERASE    the entities and selection sets given (or "L" last, "ALLE" everything), until
//            an empty answer
//   LAYER    options Make (new layer, made current), Set, ON, OFF (names with wild cards),
//            until an empty answer
//   ZOOM     Extents (the drawing view fits the drawing)
//   QSAVE    saves the drawing to its file (a new drawing: its name as .dxf), unless that file
//            changed on disk since the drawing was read or saved (see DrawingFile.h)
//   SAVEAS   saves it under the file name that follows (or is asked for)
//
// A name may carry the prefixes "_" (international name) and "." (the built-in command), as
// programs write them: "_.LINE". From LISP the arguments answer the command's prompts in
// order — points as lists or "x,y" texts, numbers, texts, entity names, selection sets, ""
// for Enter — and PAUSE (or any "\\") hands one prompt to the user; prompts beyond the
// arguments are asked on the command line. (command-s ...) asks nothing: a prompt beyond its
// arguments cancels the command. New entities go on the current layer.
#pragma once

#include "drawing/DrawingFile.h"

#include "lisp/Interpreter.h"

#include <deque>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace korcad {

class CadHost;
class UserInput;

class Commands {
public:
    Commands(CadHost& host, UserInput& input, std::ostream& out);

    // The English name of one of our commands, typed by its English or German name (LINE or
    // LINIE, QSAVE or KSICH; after "_" only the English one), any case, "_" and "." before it;
    // else empty.
    static std::string commandName(const std::string& typed);
    // Runs a command with its arguments; what it says and any failure go to the command line,
    // except that a failed save's message goes to *failure when that is given. False when it
    // failed or was cancelled.
    bool run(const std::string& name, std::deque<lisp::Value> args = {}, std::string* failure = nullptr);
    // The last QSAVE or SAVEAS failed (and none worked since).
    bool lastSaveFailed() const { return saveFailed_; }

    // (command ...) and (vl-cmdf ...): the first argument a command name, the rest its
    // arguments. nil, as in AutoLISP; an unknown command says so. A failed QSAVE or SAVEAS
    // raises its message as a LISP error.
    void install(lisp::Interpreter& lisp);

    // The layer new entities go on: the system variable CLAYER ("0" before install()).
    std::wstring currentLayer() const;
    bool setCurrentLayer(const std::wstring& name);
    // What ZOOM Extents does; korcad's window sets it.
    void setZoomExtents(std::function<void()> zoom) { zoomExtents_ = std::move(zoom); }

private:
    struct Cancelled {};
    // The next answer: an argument, or the user's at the prompt. Empty optional for Enter.
    std::optional<lisp::Value> next(const std::string& prompt, int kind, const double* base = nullptr);
    std::optional<std::array<double, 3>> point(const std::string& prompt, const double* base = nullptr);
    std::optional<double> number(const std::string& prompt, const double* base = nullptr);
    std::optional<std::wstring> text(const std::string& prompt);
    bool make(const lisp::Value& groups);
    bool save(const std::string& path, SaveMode mode);

    bool line();
    bool pline();
    bool circle();
    bool textCommand();
    bool erase();
    bool layer();
    bool zoom();

    CadHost& host_;
    UserInput& input_;
    std::ostream& out_;
    std::deque<lisp::Value> args_;
    bool argumentsOnly_ = false;  // command-s: a prompt its arguments leave open cancels
    lisp::Interpreter* lisp_ = nullptr;
    std::function<void()> zoomExtents_;
    std::string* failure_ = nullptr;  // where run() puts a failed save's message
    bool saveFailed_ = false;
};

}  // namespace korcad
