// The progress window in a long loop as the CAD-class worker runs it: one position call per
// entity over 100,000 entities with the update step n / 100 and event handling on, against
// a bare QProgressBar that is set for every entity with the same event handling every
// 50 ms (the peer), and against the loop with no progress at all (the floor). Prints the
// time per entity, the repaints the window made and the paints that reached the screen; the
// window once more hidden, which leaves the cost of the calls themselves.
//
//   bench_progress [--entities N] [--rounds N]      (default 100000 and 5)
#include "korgui/progress_probe.h"
#include "mfc/afxhost.h"

#include <QApplication>
#include <QEvent>
#include <QProgressBar>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

int option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

// Counts paint events of progress bars: what was really drawn.
class PaintCounter : public QObject {
public:
    long long paints = 0;

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        if (e->type() == QEvent::Paint && qobject_cast<QProgressBar*>(o))
            ++paints;
        return false;
    }
};

// A stand-in for the work per entity (three attributes written): a little arithmetic the
// compiler cannot drop.
volatile unsigned long long sink = 0;
inline void workOn(int i) { sink = sink * 31 + static_cast<unsigned>(i); }

struct Figures {
    double ms = 0;
    int repaints = 0;
    long long paints = 0;
};

Figures runOurs(int n, PaintCounter& counter, bool hidden)
{
    CKORGuiProgress p(false, true, true, true, true, false, 0.3, 5, nullptr, -1);
    if (hidden)
        p.ShowWindow(SW_HIDE);
    void* bar = CKORGuiProgress::AddiereProgressBar(&p, 0.0, 13.0, 0.0, L"Setzen", L"Gesetzt", L"Setzen", 6);
    CKORGuiProgress::SetzeProgressMaximumPosition(&p, bar, n);
    CKORGuiProgress::SetzeProgressStatus(&p, bar, 5);
    const double step = n >= 200 ? n / 100 : 1;
    QCoreApplication::processEvents();
    int before = CKORGuiProgressProbe::RepaintCount(&p, bar);
    long long paintsBefore = counter.paints;
    auto t0 = Clock::now();
    for (int i = 0; i < n; ++i) {
        workOn(i);
        CKORGuiProgress::SetzeProgressAktuellePosition(&p, bar, i, step, true);
    }
    CKORGuiProgress::SetzeProgressAktuellePosition(&p, bar, n, 1.0, true);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    QCoreApplication::processEvents();
    return {ms, CKORGuiProgressProbe::RepaintCount(&p, bar) - before, counter.paints - paintsBefore};
}

Figures runBare(int n, PaintCounter& counter)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* bar = new QProgressBar(&window);
    bar->setRange(0, 1000);
    layout->addWidget(bar);
    window.resize(440, 80);
    window.show();
    QCoreApplication::processEvents();
    long long paintsBefore = counter.paints;
    auto t0 = Clock::now();
    auto lastPump = t0;
    int repaints = 0;
    for (int i = 0; i < n; ++i) {
        workOn(i);
        bar->setValue(static_cast<int>(static_cast<long long>(i) * 1000 / n));
        ++repaints;
        if (auto now = Clock::now(); now - lastPump >= std::chrono::milliseconds(50)) {
            QCoreApplication::processEvents();
            lastPump = now;
        }
    }
    bar->setValue(1000);
    double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    QCoreApplication::processEvents();
    return {ms, repaints + 1, counter.paints - paintsBefore};
}

double runFloor(int n)
{
    auto t0 = Clock::now();
    for (int i = 0; i < n; ++i)
        workOn(i);
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv)
{
    const int n = option(argc, argv, "--entities", 100000);
    const int rounds = option(argc, argv, "--rounds", 5);
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "bench_progress: %s\n", error.c_str());
        return 1;
    }
    PaintCounter counter;
    qApp->installEventFilter(&counter);

    Figures ours{1e300}, oursHidden{1e300}, bare{1e300};
    double floor = 1e300;
    for (int r = 0; r < rounds; ++r) {  // interleaved, best of each
        Figures o = runOurs(n, counter, false);
        Figures h = runOurs(n, counter, true);
        Figures b = runBare(n, counter);
        if (o.ms < ours.ms)
            ours = o;
        if (h.ms < oursHidden.ms)
            oursHidden = h;
        if (b.ms < bare.ms)
            bare = b;
        floor = std::min(floor, runFloor(n));
    }
    auto perEntity = [n](double ms) { return ms * 1e6 / n; };
    std::printf("%d entities, update step %d, events handled every 50 ms; best of %d rounds\n\n", n,
                n >= 200 ? n / 100 : 1, rounds);
    std::printf("%-34s %10s %12s %10s %8s\n", "", "total ms", "ns/entity", "repaints", "paints");
    std::printf("%-34s %10.2f %12.1f %10d %8lld\n", "CKORGuiProgress (step n/100)", ours.ms, perEntity(ours.ms),
                ours.repaints, ours.paints);
    std::printf("%-34s %10.2f %12.1f %10d %8lld\n", "CKORGuiProgress, window hidden", oursHidden.ms,
                perEntity(oursHidden.ms), oursHidden.repaints, oursHidden.paints);
    std::printf("%-34s %10.2f %12.1f %10d %8lld\n", "bare QProgressBar (every entity)", bare.ms, perEntity(bare.ms),
                bare.repaints, bare.paints);
    std::printf("%-34s %10.2f %12.1f %10s %8s\n", "floor (no progress)", floor, perEntity(floor), "-", "-");
    std::printf("\nratio ours / bare peer: %.2f; cost per entity over the floor: %.1f ns shown (mostly the\n"
                "synchronous paints QProgressBar makes per percent), %.1f ns hidden (the calls themselves)\n",
                ours.ms / std::max(bare.ms, 1e-9), perEntity(ours.ms - floor), perEntity(oursHidden.ms - floor));
    return 0;
}
