// Session.h — one run of korcad: its options, the open drawing, the LISP interpreter with the
// host's functions, the input source, and what later features plug in.
//
// Plugging in (from main, before run(); DialogWiring does both for korcad):
// - setInput() gives prompts a scripted source instead of the terminal;
// - host().setWindows(...) supplies the main window and drawing view; they are asked for only
//   when a dialog wants a parent, so a run without dialogs starts no GUI.
#pragma once

#include "input/InputSource.h"
#include "app/LineTrackingBuf.h"

#include "lisp/Interpreter.h"

#include "win/wintypes.h"

#include <array>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace korcad {

namespace geom {
class Geometry;
}
class AdsFunctions;
class Drawing;
class CadHost;
class Commands;
class UserInput;

struct Options {
    enum class Kind { File, Expression };
    struct Item {
        Kind kind;
        std::string text;  // a file name or an expression
    };
    std::vector<Item> items;  // files and -e expressions, in command-line order

    std::string drawing = "Zeichnung1.dwg";  // --dwg: a DXF file, or the name of a new drawing
    bool drawingGiven = false;
    std::string saveAs;                      // --save-as: where the drawing is saved at the end
    std::string answersFile;                 // --answers: scripted answers for dialogs, prompts
    std::string shotsDir;                    // --shots: screenshots of dialogs
    // --db NAME=LOCATION, in command-line order: where the text tables of each database live.
    std::vector<std::pair<std::string, std::string>> databases;
    uint64_t maxSteps = 0;                   // --max-steps: LISP evaluation steps of the run
    size_t maxMemory = 0;                    // --max-memory (bytes): LISP data alive at once
    bool noLoad = false;                     // --no-load: start without the module
    bool terminal = false;                   // --terminal: the command line on the terminal
    bool help = false;
};

struct ParsedOptions {
    Options options;
    std::string error;  // empty when the command line was fine
};
ParsedOptions parseOptions(const std::vector<std::string>& args);
std::string helpText();

// Exit codes of korcad.
// kExitFailure: what went wrong was not the program's but the run's (output that could not be
// written), the status the core utilities give for it.
enum ExitCode { kExitOk = 0, kExitLispError = 1, kExitFailure = 1, kExitUsage = 2, kExitAnswers = 3 };

class Session {
public:
    explicit Session(Options options);
    Session(Options options, std::istream& in, std::ostream& out, std::ostream& err);
    // Closes the drawing and unloads the applications that are still loaded.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const Options& options() const { return options_; }
    lisp::Interpreter& lisp() { return *lisp_; }
    InputSource& input() { return *input_; }
    void setInput(std::unique_ptr<InputSource> input) { input_ = std::move(input); }
    // The CAD host the applications of this session talk to, and its input service.
    CadHost& host() { return *host_; }
    UserInput& userInput() { return *userInput_; }

    // Starts, then runs the files and expressions in order, or the command line when there
    // are none. Returns the exit code.
    int run();

    // The steps of run(), for callers that drive a session themselves.
    // Configures the databases, opens the drawing and loads the module (unless --no-load);
    // false after an error report, also for a drawing that cannot be read when files or
    // expressions are to run (see openDrawing()).
    bool start();
    // The geometry of a drawing as shown, taken anew when it changed.
    const geom::Geometry* geometryOf(const Drawing& drawing);
    // ssget's window / crossing and the user's selection (picks, Fenster, Kreuzen).
    std::vector<std::array<int64_t, 2>> selectBox(const double* p1, const double* p2, bool crossing);
    int selectByUser(std::vector<std::array<int64_t, 2>>& out);
    // Opens the drawing --dwg names. One that cannot be read is reported; with files or
    // expressions to run that is the end (false), at the command line a new drawing without a
    // file (Zeichnung1.dwg) is open instead.
    bool openDrawing();
    // The end of a run: saves to --save-as when the run went well, and warns of changes that
    // were not saved. Returns the exit code (a failed save, also a last QSAVE or SAVEAS that
    // failed, turns success into failure).
    int finish(int exitCode);
    Commands& commands() { return *commands_; }
    // Hands the --db entries to the text tables; with no database configured anywhere, the
    // sample databases next to the program. False after an error report.
    bool configureDatabases();
    // Loads a file; false after reporting an unhandled error.
    bool runFile(const std::string& path);
    // Evaluates a text and prints the last value as prin1 does; false after an error report.
    bool runExpression(const std::string& text);
    // The interactive command line, until the input ends or the user quits.
    int repl();
    // QUIT with unsaved changes: whether to end (the changes saved, or given up). The check
    // set here asks (korcad's window: a message box); without one an interactive command line
    // asks askToSaveAtPrompt(), and scripted input ends at once (finish() warns).
    void setQuitCheck(std::function<bool()> check) { quitCheck_ = std::move(check); }
    bool mayQuit();
    // "Änderungen an NAME speichern? [Ja/Nein/Abbrechen] <Ja>: " on the command line: Ja (or
    // Enter) saves as QSAVE does, Nein gives the changes up, Abbrechen (or Escape) stays.
    // True when the run may end.
    bool askToSaveAtPrompt();

private:
    void report(const lisp::LispError& e, const std::string& where);
    // Ends an output line that LISP left open, so that what follows starts a line.
    void startLine();

    Options options_;
    std::istream& in_;
    LineTrackingBuf outLine_;  // everything the session writes to standard output goes here
    std::ostream trackedOut_;
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<CadHost> host_;  // let go first: applications unload while LISP still runs
    std::unique_ptr<lisp::Interpreter> lisp_;
    std::unique_ptr<AdsFunctions> ads_;
    std::unique_ptr<InputSource> input_;
    std::unique_ptr<UserInput> userInput_;
    std::unique_ptr<Commands> commands_;
    std::function<bool()> quitCheck_;
    std::unique_ptr<geom::Geometry> geometry_;  // what entity picks search, per revision
    const Drawing* geometryOf_ = nullptr;
    uint64_t geometryRevision_ = 0;
    int drawing_ = 0;
    int dialogListener_ = 0;  // ends the databases' read when a dialog opens
};

}  // namespace korcad
