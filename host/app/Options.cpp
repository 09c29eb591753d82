// The command line of korcad.
#include "app/Session.h"

#include "db/kordb.h"

#include <stdexcept>

namespace korcad {

std::string helpText()
{
    return R"(Usage: korcad [options] [FILE.lsp ...]

korcad is the CAD host of the korDialog module: an AutoLISP command line with one drawing
open. At start it loads the module as (arxload "korDialog") would, then loads each FILE and
evaluates each -e expression in the order given. Without files and expressions it reads
commands from the terminal (prompt "Befehl: "): LISP expressions, !symbol to show a value,
or the name of a command defined as (defun c:NAME ...); QUIT ends it.

Options:
  -e, --eval EXPR    evaluate EXPR and print its value as prin1 does (repeatable)
  --dwg FILE.dxf     open the drawing in FILE.dxf (ASCII DXF, R12 to 2018); a file that
                     does not exist yet is a new drawing QSAVE writes there. Without
                     --dwg a new drawing "Zeichnung1.dwg" (saved as Zeichnung1.dxf).
                     A file korcad cannot read is reported, naming the line, and never
                     written over: with files or -e korcad stops (exit status 1) before
                     running anything; at the command line a new, unnamed drawing opens.
  --save-as FILE     save the drawing to FILE when the run ends well (atomically: a
                     failed save leaves FILE as it was). The commands QSAVE and SAVEAS
                     (also (command "_.QSAVE") in LISP) save too; QSAVE refuses a file
                     that changed on disk since it was read or saved, and keeps the
                     previous file as NAME.bak unless the system variable ISAVEBAK is 0.
                     Changes not saved are reported at the end.
  --no-load          do not load the korDialog module at start
  --terminal         keep the command line on the terminal even with a display. By
                     default, with a display and no --answers, every prompt is asked in
                     korcad's window: typed in the command line below the drawing, or
                     picked in it; Escape cancels a prompt. The window opens at once
                     without files and -e, else with the first prompt or dialog, and then
                     stays after them, its command line going on, until it is closed.
                     Closing it, or QUIT, with unsaved changes asks whether to save them.
  --answers FILE     answer the dialogs and prompts from FILE instead of waiting for a
                     person: one action per line, '#' starts a comment:
                       click 1005 | click "C" | type 1002 "3.5" | select 30058 "Hydrant"
                       select 30058 #2 | key Escape|Enter|Tab|Down... | ok | cancel
                       select 201 #1 #3 (several rows of a grid, counted from 0)
                       edit 201 #0 2 "150" (a grid cell: row #0, column 2, typed)
                       input "3.5" (answers the next command-line prompt; in the windows of
                       getfiled, acad_colordlg and acad_truecolordlg it types the file name
                       or colour and confirms it) | shot NAME
                       pick X,Y (clicks the drawing view at drawing coordinates X,Y to
                       answer a prompt for a point, distance or entity; snaps apply)
                       key Escape at a prompt cancels it
                       progress cancel (presses the cancel button of the open progress
                       window while a dialog waits)
                     A dialog that opens when no action is left, or an action that cannot
                     be done, stops korcad with exit status 3.
  --shots DIR        save a PNG of every dialog as it opens into DIR (NNN-<caption>.png);
                     `shot NAME` in an answers file saves DIR/NAME.png; at the end of
                     the run, the main window with the drawing as DIR/korcad.png
  --db NAME=LOCATION where the text tables of database NAME live (repeatable): a SQLite
                     file, e.g. --db WASSER=netz/wasser.sqlite, or a PostgreSQL server,
                     e.g. --db WASSER=postgresql://kor@dbhost/netz (schema wasser, or the
                     URL's options=-csearch_path%3DSCHEMA; passwords from ~/.pgpass).
                     Further databases come from $XDG_CONFIG_HOME/kor/databases.ini
                     (default ~/.config/kor/databases.ini), section [databases], lines
                     NAME = LOCATION; --db wins over the file. With neither, the sample
                     databases shipped with korcad are used (../share/kor/db next to the
                     program: WASSER, GAS and the class catalogue KATALOG).
  --max-steps N      stop LISP after N evaluation steps in the whole run: every further
                     step raises "step limit reached" (for programs that may not end)
  --max-memory MIB   LISP data may take at most MIB mebibytes at once; beyond, "memory
                     limit reached"
  -h, --help         show this help and exit

Applications given to arxload by name are searched in $KORCAD_APP_PATH (directories
separated by ':'), then in ../lib/korcad next to korcad, then in the current directory, each as
NAME, NAME.so and libNAME.so. load searches the current directory, then the same
$KORCAD_APP_PATH directories, as NAME and NAME.lsp.

On a terminal the command line edits lines (arrows, Home/End, Up/Down through the history)
and keeps its history in $XDG_STATE_HOME/korcad/history (default
~/.local/state/korcad/history). Ctrl-C cancels the line being typed; while a LISP program
runs from the command line it interrupts it as the CAD program does ("; error: Function
cancelled", which *error* receives) and the command line goes on. With files or -e
expressions, Ctrl-C ends korcad. Ctrl-D on an empty line ends the command line.

Functions of applications: a value the application hands over reaches LISP whatever the
status of the call; a call that fails (RSERR) without a value raises the LISP error
"ADS request error: <function name>", which *error* receives and vl-catch-all-apply
catches.

Exit status: 0 when everything ran; 1 when a file or expression ended in an unhandled LISP
error (its text goes to standard error) or the module could not be loaded; 2 for a wrong
command line; 3 when an answers file did not fit the dialogs and prompts that came.

Without a display (no DISPLAY or WAYLAND_DISPLAY) dialogs run on Qt's offscreen platform,
so --answers and --shots work on a headless machine; without --answers such a dialog cannot
be answered: it is cancelled at once, with one line on standard error.
)";
}

ParsedOptions parseOptions(const std::vector<std::string>& args)
{
    ParsedOptions result;
    Options& o = result.options;
    auto fail = [&](const std::string& msg) {
        result.error = msg;
        return result;
    };
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            o.items.push_back({Options::Kind::File, arg});
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // --name=value is the same as --name value.
        std::string inlineValue;
        bool hasInline = false;
        if (arg.rfind("--", 0) == 0) {
            auto eq = arg.find('=');
            if (eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
                hasInline = true;
            }
        }
        auto value = [&](std::string* out) {
            if (hasInline) {
                *out = inlineValue;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            *out = args[++i];
            return true;
        };
        std::string v;
        if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "--no-load") {
            o.noLoad = true;
        } else if (arg == "--terminal") {
            o.terminal = true;
        } else if (arg == "-e" || arg == "--eval") {
            if (!value(&v))
                return fail(arg + " needs an expression");
            o.items.push_back({Options::Kind::Expression, v});
        } else if (arg == "--db") {
            if (!value(&v) || v.empty())
                return fail("--db needs NAME=LOCATION");
            auto eq = v.find('=');
            std::string name = eq == std::string::npos ? v : v.substr(0, eq);
            std::string location = eq == std::string::npos ? "" : v.substr(eq + 1);
            if (eq == std::string::npos || location.empty())
                return fail("--db " + kordb::shownLocation(v) + ": expected NAME=LOCATION, e.g. --db WASSER=wasser.sqlite");
            if (!kordb::isDatabaseName(name))
                return fail("--db " + kordb::shownLocation(name) + "=" + kordb::shownLocation(location) + ": \"" + kordb::shownLocation(name) +
                            "\" is no database name (letters, digits, '_' and '-', at most 64)");
            o.databases.push_back({name, location});
        } else if (arg == "--max-steps" || arg == "--max-memory") {
            if (!value(&v) || v.empty())
                return fail(arg + " needs a number");
            size_t used = 0;
            unsigned long long n = 0;
            try {
                n = std::stoull(v, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            const unsigned long long most = arg == "--max-memory" ? (1ull << 40) : (1ull << 62);
            if (used != v.size() || v[0] == '-' || n == 0 || n > most)
                return fail(arg + " " + v + ": expected a whole number from 1 to " + std::to_string(most));
            if (arg == "--max-steps")
                o.maxSteps = n;
            else
                o.maxMemory = static_cast<size_t>(n) << 20;
        } else if (arg == "--dwg" || arg == "--answers" || arg == "--shots" || arg == "--save-as") {
            if (!value(&v) || v.empty())
                return fail(arg + " needs a value");
            (arg == "--dwg"       ? o.drawing
             : arg == "--answers" ? o.answersFile
             : arg == "--save-as" ? o.saveAs
                                  : o.shotsDir) = v;
            if (arg == "--dwg")
                o.drawingGiven = true;
        } else {
            return fail("unknown option " + arg);
        }
        if (hasInline && (arg == "-h" || arg == "--help" || arg == "--no-load" || arg == "--terminal"))
            return fail(arg + " takes no value");
    }
    return result;
}

}  // namespace korcad
