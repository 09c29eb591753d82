#include "harness.h"

#include "cad/CadHost.h"
#include "gui/MainWindow.h"
#include "app/Session.h"

#include "mfc/afxqt_p.h"
#include "uidriver/afxdriver.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPixmap>
#include <QEvent>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace bench {

namespace {

// Counts the paint events of the windows waited for.
struct PaintCounter : QObject {
    long long paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
} paintCounter;

std::istringstream lispIn;
std::ostringstream lispOut, lispErr;
std::unique_ptr<korcad::Session> lispRun;

korcad::Session& lispSession()
{
    if (!lispRun) {
        lispRun = std::make_unique<korcad::Session>(korcad::Options{}, lispIn, lispOut, lispErr);
        // Lives as long as the process: Qt must still stand when it goes.
        static auto* mainWindow = new korcad::MainWindow(L"Zeichnung1.dwg");
        lispRun->host().setWindows([] { return mainWindow->handle(); }, [] { return mainWindow->drawingViewHandle(); });
        if (!lispRun->start()) {
            std::fprintf(stderr, "the module did not load: %s\n", lispErr.str().c_str());
            std::exit(1);
        }
    }
    lispOut.str("");
    return *lispRun;
}

}  // namespace

void waitUntilShown(QWidget* w)
{
    for (int i = 0; i < 10000 && !(w->windowHandle() && w->windowHandle()->isExposed()); ++i)
        QCoreApplication::processEvents();
    w->installEventFilter(&paintCounter);
    w->repaint();
}

long long paints() { return paintCounter.paints; }

void lispDialogCycle(const std::string& call, const std::string& expected)
{
    korcad::Session& session = lispSession();
    afxdriver::onNextDialog([](CDialog& d) {
        waitUntilShown(afxqt::widget(d.m_hWnd));
        afxdriver::key(afxdriver::Key::Escape);
    });
    if (!session.runExpression(call) || lispOut.str().find(expected) == std::string::npos) {
        std::fprintf(stderr, "the LISP call failed: %s%s\n", lispOut.str().c_str(), lispErr.str().c_str());
        std::exit(1);
    }
}

void endLispSession() { lispRun.reset(); }

QIcon icon(int size, Qt::GlobalColor colour)
{
    QPixmap p(size, size);
    p.fill(Qt::transparent);
    QPainter painter(&p);
    painter.setPen(colour);
    painter.drawEllipse(1, 1, size - 3, size - 3);
    return QIcon(p);
}

QSize dialogBaseUnits(const QFont& font)
{
    static std::vector<std::pair<QFont, QSize>> known;
    for (const auto& [f, base] : known)
        if (f == font)
            return base;
    QFontMetrics fm(font);
    QSize base((fm.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") / 26 + 1) / 2, fm.height());
    known.emplace_back(font, base);
    return base;
}

int option(int argc, char** argv, const char* name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    return fallback;
}

double residentMiB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

std::vector<Figures> runInterleaved(const std::vector<Case>& cases, int warmup, int cycles)
{
    using clock = std::chrono::steady_clock;
    std::vector<Figures> results(cases.size());
    std::vector<long long> painted(cases.size(), 0);
    auto round = [&](bool timed) {
        for (size_t k = 0; k < cases.size(); ++k) {
            long long before = paints();
            auto t0 = clock::now();
            cases[k].cycle();
            if (timed)
                results[k].microsecondsPerCycle += std::chrono::duration<double, std::micro>(clock::now() - t0).count();
            painted[k] += paints() - before;
        }
    };
    for (int i = 0; i < warmup; ++i)
        round(false);
    const double rssStart = residentMiB();
    for (int i = 0; i < cycles; ++i)
        round(true);
    const double rssEnd = residentMiB();
    for (size_t k = 0; k < cases.size(); ++k) {
        if (painted[k] < warmup + cycles) {
            std::fprintf(stderr, "%s: only %lld paints in %d cycles\n", cases[k].name.c_str(), painted[k], warmup + cycles);
            std::exit(1);
        }
        results[k] = {cases[k].name, cycles, results[k].microsecondsPerCycle / cycles, rssStart, rssEnd};
    }
    return results;
}

void printDebugLogSetting()
{
    const char* log = std::getenv("KOR_DEBUGLOG");
    std::printf("debug log: %s\n", log && std::strcmp(log, "off") == 0 ? "off (KOR_DEBUGLOG=off)"
                                    : log && *log                    ? log
                                                                     : "on, to the default file (KOR_DEBUGLOG=off times without it)");
}

void print(const std::vector<Figures>& results)
{
    std::printf("%-40s %8s %12s %10s %10s %9s\n", "case", "cycles", "us/cycle", "RSS start", "RSS end", "growth");
    for (const Figures& f : results)
        std::printf("%-40s %8d %12.1f %8.1f M %8.1f M %7.2f M\n", f.name.c_str(), f.cycles, f.microsecondsPerCycle,
                    f.rssStartMiB, f.rssEndMiB, f.rssEndMiB - f.rssStartMiB);
    printDebugLogSetting();
    // Cases come in pairs: ours, then the bare Qt dialog it is measured against.
    for (size_t i = 0; i + 1 < results.size(); i += 2)
        if (results[i + 1].microsecondsPerCycle > 0)
            std::printf("ratio %s / %s: %.2f\n", results[i].name.c_str(), results[i + 1].name.c_str(),
                        results[i].microsecondsPerCycle / results[i + 1].microsecondsPerCycle);
}

}  // namespace bench
