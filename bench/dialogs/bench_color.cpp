// The colour dialog: dragging across the picker, and open -> shown -> closed.
//
//   bench_color [--moves N] [--cycles N] [--warmup N]      (default 2000, 300 and 20)
//
// Drag: inside one korDialog_SelectColor call the mouse is pressed on the picker and moved
// N times along a zigzag (about two pixels a move); each move is timed from the move event
// until the picker, the nine fields and the swatch are updated and repainted (the posted
// repaint has run and the picker has drawn). Three drags: in the hue/saturation panel, up
// and down the hue bar of the "Basisfarbe" presentation (each move changes the hue, so the
// plane's gradient is drawn anew), and across a face of the RGB cube. Median and 99th
// percentile in milliseconds.
//
// Open -> shown -> closed: the LISP call, the dialog shown and painted once, closed with
// Escape; against a bare QColorDialog opened and closed the same way, in the same run.
#include "harness.h"

#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"
#include "uidriver/afxdriver.h"

#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kPicker = 30018, kMode = 30019, kRed = 30021;

struct PaintCount : QObject {
    long long n = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++n;
        return false;
    }
};

struct Drag {
    const char* name;
    int mode;
    double x0, x1, y0, y1;  // the zigzag's box, as fractions of the picker
    bool vertical;          // the zigzag runs up and down (along a bar) instead of across
    std::vector<double> ms;
};

void send(QWidget* w, QEvent::Type type, QPoint p)
{
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void drag(CDialog& d, Drag& run, int moves)
{
    if (!afxdriver::select(kMode, run.mode)) {
        std::fprintf(stderr, "cannot choose presentation %d\n", run.mode);
        std::exit(1);
    }
    QWidget* dialog = afxqt::widget(d.m_hWnd);
    QWidget* picker = afxqt::childById(dialog, kPicker);
    auto* red = qobject_cast<QLineEdit*>(afxqt::childById(dialog, kRed));
    bench::waitUntilShown(dialog);
    PaintCount painted;
    picker->installEventFilter(&painted);
    auto at = [&](int i) {
        // A zigzag: across the box and back, one row lower each time.
        int across = 97, pos = i % (2 * across);
        double fx = pos < across ? pos / double(across) : 2 - pos / double(across);
        double fy = (i / double(moves));
        if (run.vertical)
            std::swap(fx, fy);
        return QPoint(static_cast<int>(picker->width() * (run.x0 + (run.x1 - run.x0) * fx)),
                      static_cast<int>(picker->height() * (run.y0 + (run.y1 - run.y0) * fy)));
    };
    send(picker, QEvent::MouseButtonPress, at(0));
    QCoreApplication::processEvents();
    using clock = std::chrono::steady_clock;
    long long unchanged = 0;
    for (int i = 1; i <= moves; ++i) {
        QString before = red->text();
        long long paintsBefore = painted.n;
        auto t0 = clock::now();
        send(picker, QEvent::MouseMove, at(i));
        QCoreApplication::processEvents();  // the posted repaint of picker, fields and swatch
        if (painted.n == paintsBefore)
            picker->repaint();
        run.ms.push_back(std::chrono::duration<double, std::milli>(clock::now() - t0).count());
        unchanged += red->text() == before;
    }
    send(picker, QEvent::MouseButtonRelease, at(moves));
    picker->removeEventFilter(&painted);
    if (painted.n < moves) {
        std::fprintf(stderr, "%s: the picker painted %lld times in %d moves\n", run.name, painted.n, moves);
        std::exit(1);
    }
    if (unchanged == moves) {
        std::fprintf(stderr, "%s: the red field never changed during the drag\n", run.name);
        std::exit(1);
    }
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    size_t i = std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5));
    return v[i];
}

void bareColorDialogCycle()
{
    QColorDialog dlg(Qt::white);
    QTimer::singleShot(0, &dlg, [&dlg] {
        bench::waitUntilShown(&dlg);
        dlg.reject();
    });
    if (dlg.exec() != QDialog::Rejected) {
        std::fprintf(stderr, "the bare dialog did not end rejected\n");
        std::exit(1);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    int moves = bench::option(argc, argv, "--moves", 2000);
    int cycles = bench::option(argc, argv, "--cycles", 300);
    int warmup = bench::option(argc, argv, "--warmup", 20);
    if (moves < 1 || cycles < 1 || warmup < 0) {
        std::fprintf(stderr, "usage: bench_color [--moves N>0] [--cycles N>0] [--warmup N>=0]\n");
        return 2;
    }
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    std::vector<Drag> drags = {
        {"panel: hue x saturation", 1, 0.05, 0.80, 0.05, 0.95, false, {}},
        {"Basisfarbe: up and down the hue bar", 2, 0.95, 0.97, 0.02, 0.98, true, {}},
        {"RGB cube: across the top face", 4, 0.40, 0.60, 0.10, 0.30, false, {}},
    };
    for (Drag& run : drags) {
        // The drag runs as the dialog opens, before the harness's Escape is even scheduled.
        bool done = false;
        int listener = AfxAddDialogListener([&](CDialog& d, AfxDialogEvent e) {
            if (e == AfxDialogEvent::Opened && !done) {
                done = true;
                drag(d, run, moves);
            }
        });
        bench::lispDialogCycle("(korDialog_SelectColor \"Farbe\")", "(0)");
        AfxRemoveDialogListener(listener);
    }
    std::printf("drag across the picker, %d moves each: move -> picker, fields and swatch repainted\n", moves);
    std::printf("%-34s %10s %10s %10s\n", "presentation", "median ms", "p99 ms", "max ms");
    for (const Drag& run : drags)
        std::printf("%-34s %10.3f %10.3f %10.3f\n", run.name, percentile(run.ms, 0.5), percentile(run.ms, 0.99),
                    percentile(run.ms, 1.0));

    std::printf("\nopen -> shown -> closed, warm, interleaved:\n");
    bench::print(bench::runInterleaved(
        {{"LISP korDialog_SelectColor", [] { bench::lispDialogCycle("(korDialog_SelectColor \"Farbe\")", "(0)"); }},
         {"bare QColorDialog", bareColorDialogCycle}},
        warmup, cycles));
    bench::endLispSession();
    return 0;
}
