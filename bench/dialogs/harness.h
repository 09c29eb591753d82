// A small harness for dialog benchmarks: each case opens a dialog, waits until it shows and
// closes it again; the harness warms it up, then times many cycles and watches the memory.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QIcon>
#include <QSize>

class QFont;
class QWidget;

namespace bench {

// "Shown": the window system has exposed the window and it has drawn itself once. Every
// window waited for is counted in paints(), so a benchmark can check each cycle really drew.
void waitUntilShown(QWidget* w);
long long paints();

// One LISP call in korcad's interpreter with the module loaded (one session for the whole
// run, with korcad's main window as the dialogs' parent): the dialog it opens is closed with
// Escape once shown. Ends the program when the call fails or its answer lacks `expected`.
void lispDialogCycle(const std::string& call, const std::string& expected);
// Ends the session, while the GUI still stands: unloading the module tears down its windows.
void endLispSession();

struct Case {
    std::string name;
    std::function<void()> cycle;  // one open -> shown -> closed
};

struct Figures {
    std::string name;
    int cycles = 0;
    double microsecondsPerCycle = 0;
    double rssStartMiB = 0;  // after the warm-up
    double rssEndMiB = 0;
};

// For the bare dialogs: an icon of a circle in `colour`, and the dialog base units of a font
// (its average width of A-Z a-z and its height), worked out once per font as a hand-written
// dialog has its pixel sizes fixed.
QIcon icon(int size, Qt::GlobalColor colour);
QSize dialogBaseUnits(const QFont& font);

// The number after `name` on the command line (e.g. --cycles 500), else the fallback.
int option(int argc, char** argv, const char* name, int fallback);

double residentMiB();
// The cases after `warmup` rounds, then `cycles` rounds of one cycle of each in turn, so that a
// load that changes during the run (the machine is shared) weighs on all of them alike. The
// memory is the whole process's, over all cases. Ends the program when a case's cycle did not
// paint its window.
std::vector<Figures> runInterleaved(const std::vector<Case>& cases, int warmup, int cycles);
// The module writes its debug log in every call unless told not to: says which was timed.
void printDebugLogSetting();
// Prints the table and, for each pair of cases (ours, then its bare counterpart), the ratio.
void print(const std::vector<Figures>& results);

}  // namespace bench
