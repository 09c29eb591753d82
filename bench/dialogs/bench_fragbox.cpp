// korDialog_FragBox with eight rows whose labels are looked up in the sample database WASSER:
// the whole road of a LISP call (interpreter -> module -> eight lookups -> dialog shown ->
// closed -> answer) against a bare QDialog with the same controls (eight labels, eight edit
// fields, OK, Cancel), warm, in the same run. The time and the memory of the first and the
// last 1,000 cycles are printed separately, so growth over the run shows.
//
//   bench_fragbox [--cycles N] [--warmup N] [--only N]   (default 10000 and 200; --only: one case)
//
// Each cycle opens the dialog modally, waits until it shows, paints it once, and closes it
// with Escape through the UI driver (the bare dialog is painted and closed from a zero timer,
// the same path through the event loop). Runs headless when there is no display.
#include "harness.h"

#include "cad/CadHost.h"
#include "gui/MainWindow.h"
#include "app/Session.h"

#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace {

// The call: eight rows labelled by the identifiers 1..8 of WASSER/TEXTE, values of all
// three editable types.
const char* const kCall =
    "(korDialog_FragBox \"WASSER\" \"TEXTE\" (list 1 2 3 4 5 6 7 8) "
    "(list 1.2 \"PE\" 150 25.0 1998 10.0 \"Stadtwerke\" \"UFH\"))";

// The same labels and the texts the edit fields show.
const char* const kLabels[] = {"Überdeckung [m]", "Material", "Nennweite [mm]", "Länge [m]",
                               "Baujahr", "Druckstufe [bar]", "Eigentümer", "Hydrant"};
const char* const kTexts[] = {"1.20", "PE", "150", "25.00", "1998", "10.00", "Stadtwerke", "UFH"};

void lispFragBoxCycle() { bench::lispDialogCycle(kCall, "(0)"); }

// The same call with the labels given literally: what the eight lookups cost.
void lispLiteralCycle()
{
    static const std::string call = [] {
        std::string labels;
        for (const char* l : kLabels)
            labels += std::string(" \"") + l + "\"";
        return "(korDialog_FragBox \"WASSER\" \"TEXTE\" (list" + labels +
               ") (list 1.2 \"PE\" 150 25.0 1998 10.0 \"Stadtwerke\" \"UFH\"))";
    }();
    bench::lispDialogCycle(call, "(0)");
}

// The window with Qt alone, at the pixel rectangles the template gives at the same font.
void bareFragBoxCycle()
{
    QDialog dlg;
    dlg.setWindowTitle("__kor---");
    QFont font("DejaVu Sans");
    font.setPointSize(8);
    dlg.setFont(font);
    QFontMetrics fm(font);
    int bx = (fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2;
    int by = fm.height();
    auto px = [](int v, int base, int div) { return (v * base + div / 2) / div; };
    auto place = [&](QWidget* w, int x, int y, int cx, int cy) {
        w->setGeometry(px(x, bx, 4), px(y, by, 8), px(cx, bx, 4), px(cy, by, 8));
    };
    dlg.resize(px(233, bx, 4), px(217, by, 8));
    auto* ok = new QPushButton("OK", &dlg);
    place(ok, 41, 190, 60, 20);
    ok->setDefault(true);
    auto* cancel = new QPushButton("Abbrechen", &dlg);
    place(cancel, 131, 190, 60, 20);
    const short labelY[] = {10, 31, 54, 76, 97, 120, 143, 165};
    const short editY[] = {7, 29, 51, 73, 95, 118, 140, 163};
    for (int i = 0; i < 8; ++i) {
        auto* label = new QLabel(QString::fromUtf8(kLabels[i]), &dlg);
        place(label, 7, labelY[i], 113, 8);
        auto* edit = new QLineEdit(QString::fromUtf8(kTexts[i]), &dlg);
        place(edit, 123, editY[i], 103, 14);
    }
    auto* gauge = new QPushButton(&dlg);
    place(gauge, 105, 188, 21, 22);
    gauge->hide();
    QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    QTimer::singleShot(0, &dlg, [&dlg] {
        bench::waitUntilShown(&dlg);
        dlg.reject();
    });
    if (dlg.exec() != QDialog::Rejected) {
        std::fprintf(stderr, "the bare dialog did not end rejected\n");
        std::exit(1);
    }
}

// The figures of one case. The cases run interleaved, one cycle of each in turn, so a load
// that changes during the run (the machine is shared) weighs on all of them alike.
struct Phases {
    std::string name;
    void (*cycle)() = nullptr;
    double firstUs = 0, lastUs = 0, allUs = 0;  // per cycle
    double rssAfterFirst = 0;                   // MiB of the whole process, after the first block
    std::vector<double> blockUs;                // per cycle, in each block of cycles
};

void measure(std::vector<Phases>& cases, int warmup, int cycles, int block, double& rssStart, double& rssEnd)
{
    for (int i = 0; i < warmup; ++i)
        for (Phases& c : cases)
            c.cycle();
    using clock = std::chrono::steady_clock;
    auto us = [](clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); };
    rssStart = bench::residentMiB();
    for (int i = 0; i < cycles; ++i) {
        for (Phases& c : cases) {
            auto t0 = clock::now();
            c.cycle();
            double t = us(clock::now() - t0);
            c.allUs += t;
            if (i < block)
                c.firstUs += t;
            if (i >= cycles - block)
                c.lastUs += t;
            if (i % block == 0)
                c.blockUs.push_back(0);
            c.blockUs.back() += t / block;
        }
        if (i + 1 == block)
            for (Phases& c : cases)
                c.rssAfterFirst = bench::residentMiB();
    }
    rssEnd = bench::residentMiB();
    for (Phases& c : cases) {
        c.allUs /= cycles;
        c.firstUs /= block;
        c.lastUs /= block;
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int cycles = bench::option(argc, argv, "--cycles", 10000);
    int warmup = bench::option(argc, argv, "--warmup", 200);
    if (cycles < 1 || warmup < 0) {
        std::fprintf(stderr, "usage: bench_fragbox [--cycles N>0] [--warmup N>=0]\n");
        return 2;
    }
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<Phases> cases(3);
    cases[0].name = "LISP korDialog_FragBox, 8 looked-up rows";
    cases[0].cycle = lispFragBoxCycle;
    cases[1].name = "bare QDialog, same controls";
    cases[1].cycle = bareFragBoxCycle;
    cases[2].name = "LISP korDialog_FragBox, 8 literal labels";
    cases[2].cycle = lispLiteralCycle;
    // --only N: the N-th case alone (from 1), to look at one case with strace or perf.
    if (int only = bench::option(argc, argv, "--only", 0); only > 0 && only <= static_cast<int>(cases.size()))
        cases = {cases[static_cast<size_t>(only - 1)]};
    int block = std::min(1000, cycles);
    double rssStart = 0, rssEnd = 0;
    long long before = bench::paints();
    measure(cases, warmup, cycles, block, rssStart, rssEnd);
    long long painted = bench::paints() - before;
    if (painted < static_cast<long long>(cases.size()) * (cycles + warmup)) {
        std::fprintf(stderr, "only %lld paints in %d cycles\n", painted, cycles + warmup);
        return 1;
    }
    std::printf("%d cycles of each case, interleaved; first and last: the first and the last %d\n", cycles, block);
    std::printf("%-42s %11s %11s %11s\n", "case", "us first", "us last", "us all");
    for (const Phases& p : cases)
        std::printf("%-42s %11.1f %11.1f %11.1f\n", p.name.c_str(), p.firstUs, p.lastUs, p.allUs);
    std::printf("us per cycle in each block of %d:\n", block);
    for (const Phases& p : cases) {
        std::printf("  %-42s", p.name.c_str());
        for (double b : p.blockUs)
            std::printf(" %6.0f", b);
        std::printf("\n");
    }
    std::printf("RSS (whole process): after warm-up %.1f M, after the first %d cycles %.1f M, at the end %.1f M\n",
                rssStart, block, cases[0].rssAfterFirst, rssEnd);
    if (cases.size() == 3) {
        bench::printDebugLogSetting();
        std::printf("ratio looked-up FragBox / bare: all %.2f, first %.2f, last %.2f\n", cases[0].allUs / cases[1].allUs,
                    cases[0].firstUs / cases[1].firstUs, cases[0].lastUs / cases[1].lastUs);
        std::printf("ratio literal FragBox / bare:   all %.2f\n", cases[2].allUs / cases[1].allUs);
    }
    bench::endLispSession();
    return 0;
}
