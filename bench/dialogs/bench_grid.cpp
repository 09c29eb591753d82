// korDialog_GridDialog with 10,000 rows of five texts: the whole road of a LISP call
// (interpreter -> module -> grid filled -> dialog shown -> closed -> answer) against a bare
// QDialog with a QTableWidget holding the same data (a check item and five text items per
// row), warm, in the same run, interleaved. Then the time of one frame while the shown grid
// scrolls through all its rows a page at a time, for both.
//
//   bench_grid [--cycles N] [--warmup N] [--rows N]      (default 1000, 10 and 10000)
//
// Each cycle opens the dialog modally, waits until it shows, paints it once and closes it
// with Escape (the bare dialog is painted and closed from a zero timer, the same path through
// the event loop). Runs headless when there is no display.
#include "harness.h"

#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int gRows = 10000;

const char* const kHeaders[] = {"Name", "Wert", "Material", "Nennweite", "Netz"};

// The texts of row i, the same for both dialogs.
QString cellText(int i, int c)
{
    switch (c) {
    case 0: return QStringLiteral("Zeile %1").arg(i);
    case 1: return QString::number(i * 7);
    case 2: return QStringLiteral("PE 100");
    case 3: return QStringLiteral("DN 150");
    default: return QStringLiteral("Netz %1").arg(i % 13);
    }
}

// The call; the rows are built by LISP once, into a global, on the first call.
std::string lispCall()
{
    std::string n = std::to_string(gRows);
    return "(progn (if (not benchrows) (progn (setq i 0) "
           "(repeat " + n + " (setq benchrows (cons (list (strcat \"Zeile \" (itoa i)) (itoa (* i 7)) \"PE 100\" "
           "\"DN 150\" (strcat \"Netz \" (itoa (rem i 13)))) benchrows)) (setq i (1+ i))) "
           "(setq benchrows (reverse benchrows)))) "
           "(korDialog_GridDialog (list 1 \"Bench\" 1 (list \"Name\" \"Wert\" \"Material\" \"Nennweite\" \"Netz\") "
           "benchrows)))";
}

void lispGridCycle() { bench::lispDialogCycle(lispCall(), "(nil)"); }

// The same table with Qt alone: one item per cell, as QTableWidget does it.
struct BareGrid {
    QDialog dlg;
    QTableWidget* table;
    BareGrid()
    {
        dlg.setWindowTitle("Bench");
        dlg.resize(364, 184);
        table = new QTableWidget(gRows, 6, &dlg);
        table->setGeometry(12, 12, 340, 130);
        table->verticalHeader()->hide();
        table->setSelectionBehavior(QAbstractItemView::SelectRows);
        table->setSelectionMode(QAbstractItemView::SingleSelection);
        table->setHorizontalHeaderItem(0, new QTableWidgetItem(QString()));
        for (int c = 0; c < 5; ++c)
            table->setHorizontalHeaderItem(c + 1, new QTableWidgetItem(QString::fromUtf8(kHeaders[c])));
        for (int i = 0; i < gRows; ++i) {
            auto* check = new QTableWidgetItem;
            check->setCheckState(i == 0 ? Qt::Checked : Qt::Unchecked);
            table->setItem(i, 0, check);
            for (int c = 0; c < 5; ++c)
                table->setItem(i, c + 1, new QTableWidgetItem(cellText(i, c)));
        }
        table->resizeColumnsToContents();
        table->selectRow(0);
        auto* ok = new QPushButton("OK", &dlg);
        ok->setGeometry(12, 150, 100, 26);
        auto* cancel = new QPushButton("Abbrechen", &dlg);
        cancel->setGeometry(252, 150, 100, 26);
        QObject::connect(ok, &QPushButton::clicked, &dlg, &QDialog::accept);
        QObject::connect(cancel, &QPushButton::clicked, &dlg, &QDialog::reject);
    }
};

void bareGridCycle()
{
    BareGrid g;
    QTimer::singleShot(0, &g.dlg, [&g] {
        bench::waitUntilShown(&g.dlg);
        g.dlg.reject();
    });
    if (g.dlg.exec() != QDialog::Rejected) {
        std::fprintf(stderr, "the bare dialog did not end rejected\n");
        std::exit(1);
    }
}

// Scrolls a shown table from top to bottom a page at a time, painting each page at once.
struct Frames {
    int frames = 0;
    double meanUs = 0, maxUs = 0;
};

Frames scrollThrough(QTableView* view)
{
    Frames f;
    if (!view->isVisible()) {
        std::fprintf(stderr, "the table to scroll is not shown\n");
        std::exit(1);
    }
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(0);
    double total = 0;
    for (int value = 0;; value += std::max(1, bar->pageStep())) {
        auto t0 = Clock::now();
        bar->setValue(std::min(value, bar->maximum()));
        view->viewport()->repaint();
        double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
        total += us;
        f.maxUs = std::max(f.maxUs, us);
        ++f.frames;
        if (value >= bar->maximum())
            break;
    }
    f.meanUs = total / f.frames;
    return f;
}

Frames lispScroll()
{
    Frames f;
    // The cycle's own listener closes the dialog with Escape once it shows; that Escape is held
    // back until the scrolling is measured, then given.
    struct HoldEscape : QObject {
        bool eventFilter(QObject*, QEvent* e) override
        {
            return e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape;
        }
    };
    afxdriver::onNextDialog([&f](CDialog& d) {
        HoldEscape hold;
        qApp->installEventFilter(&hold);
        QWidget* window = afxqt::widget(d.m_hWnd);
        bench::waitUntilShown(window);
        if (auto* view = qobject_cast<QTableView*>(afxqt::childById(window, 201)))
            f = scrollThrough(view);
        qApp->removeEventFilter(&hold);
        afxdriver::key(afxdriver::Key::Escape);
    });
    lispGridCycle();
    return f;
}

Frames bareScroll()
{
    Frames f;
    BareGrid g;
    QTimer::singleShot(0, &g.dlg, [&] {
        bench::waitUntilShown(&g.dlg);
        f = scrollThrough(g.table);
        g.dlg.reject();
    });
    g.dlg.exec();
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    int cycles = bench::option(argc, argv, "--cycles", 1000);
    int warmup = bench::option(argc, argv, "--warmup", 10);
    gRows = bench::option(argc, argv, "--rows", 10000);
    if (cycles < 1 || warmup < 0 || gRows < 1) {
        std::fprintf(stderr, "usage: bench_grid [--cycles N>0] [--warmup N>=0] [--rows N>0]\n");
        return 2;
    }
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    struct Case {
        const char* name;
        void (*cycle)();
        double allUs = 0;
        std::vector<double> blockUs;
        std::vector<double> blockRss;
    };
    Case cases[] = {{"LISP korDialog_GridDialog", lispGridCycle, 0, {}, {}}, {"bare QTableWidget dialog", bareGridCycle, 0, {}, {}}};
    for (int i = 0; i < warmup; ++i)
        for (Case& c : cases)
            c.cycle();
    const int block = std::max(1, std::min(100, cycles / 10));
    const double rssStart = bench::residentMiB();
    const long long paintsBefore = bench::paints();
    for (int i = 0; i < cycles; ++i) {
        for (Case& c : cases) {
            auto t0 = Clock::now();
            c.cycle();
            double us = std::chrono::duration<double, std::micro>(Clock::now() - t0).count();
            c.allUs += us;
            if (i % block == 0)
                c.blockUs.push_back(0);
            c.blockUs.back() += us / block;
        }
        if ((i + 1) % block == 0)
            cases[0].blockRss.push_back(bench::residentMiB());
    }
    if (bench::paints() - paintsBefore < 2LL * cycles) {
        std::fprintf(stderr, "the dialogs did not paint in every cycle\n");
        return 1;
    }
    std::printf("%d rows x 5 columns, %d cycles of each case, interleaved, after %d warm-up cycles\n", gRows, cycles,
                warmup);
    for (Case& c : cases) {
        c.allUs /= cycles;
        std::printf("%-30s %10.1f ms per cycle (LISP call -> shown -> closed)\n", c.name, c.allUs / 1000);
    }
    std::printf("ratio LISP grid / bare QTableWidget: %.2f\n", cases[0].allUs / cases[1].allUs);
    std::printf("ms per cycle in each block of %d cycles:\n", block);
    for (const Case& c : cases) {
        std::printf("  %-30s", c.name);
        for (double b : c.blockUs)
            std::printf(" %6.1f", b / 1000);
        std::printf("\n");
    }
    std::printf("RSS (whole process) after warm-up %.1f M, after each block:", rssStart);
    for (double r : cases[0].blockRss)
        std::printf(" %.1f", r);
    std::printf(" M\n");

    Frames ours = lispScroll();
    Frames bare = bareScroll();
    std::printf("scroll through all rows a page at a time: ours %d frames, %.0f us mean, %.0f us max; "
                "bare %d frames, %.0f us mean, %.0f us max\n",
                ours.frames, ours.meanUs, ours.maxUs, bare.frames, bare.meanUs, bare.maxUs);
    bench::endLispSession();
    return 0;
}
