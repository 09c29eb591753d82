// korDialog_MultiEditDialog with eight rows whose labels are looked up in the sample database
// WASSER: the whole road of a LISP call (interpreter -> module -> eight lookups -> window
// shown -> closed -> answer) against a bare QDialog with the same controls (eight push
// buttons with a 16-pixel icon, eight edit fields, OK, Cancel with icons), warm.
//
//   bench_multiedit [--cycles N] [--warmup N]      (default 5000 and 200)
//
// Each cycle opens the window, waits until it shows and has painted once, and closes it with
// Escape (the bare dialog is closed from a zero timer, the same path through the event loop).
// The cases run interleaved, one cycle of each in turn, so a load that changes during the run
// (the machine is shared) weighs on all of them alike. The same call with literal labels shows
// what the eight lookups cost; the bare dialog runs twice so that each pair prints its ratio,
// and the two bare figures side by side show how noisy the run was.
#include "harness.h"

#include "mfc/afxhost.h"

#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

const char* const kLabels[] = {"Überdeckung [m]", "Material", "Nennweite [mm]", "Länge [m]",
                               "Baujahr", "Druckstufe [bar]", "Eigentümer", "Hydrant"};
const char* const kTexts[] = {"1.20", "0.00", "150.00", "25.00", "1998.00", "10.00", "0.00", "0.00"};

// The same call with the labels given literally: what the eight lookups cost.
void lispLiteralCycle()
{
    static const std::string call = [] {
        std::string labels;
        for (const char* l : kLabels)
            labels += std::string(" \"") + l + "\"";
        return "(korDialog_MultiEditDialog \"WASSER\" \"TEXTE\" (list" + labels + ") (list 1.2 0 150 25.0 1998 10.0 0 0))";
    }();
    bench::lispDialogCycle(call, "(0)");
}

void lispMultiEditCycle()
{
    bench::lispDialogCycle("(korDialog_MultiEditDialog \"WASSER\" \"TEXTE\" (list 1 2 3 4 5 6 7 8) "
                           "(list 1.2 0 150 25.0 1998 10.0 0 0))",
                           "(0)");
}

// The window with Qt alone, at the pixel rectangles the template gives at the same font.
void bareMultiEditCycle()
{
    static const QIcon pick = bench::icon(16, Qt::red), ok = bench::icon(32, Qt::darkGreen),
                       cancel = bench::icon(32, Qt::red);
    QDialog dlg;
    dlg.setWindowTitle("__kor---");
    QFont font("DejaVu Sans");
    font.setPointSize(8);
    dlg.setFont(font);
    const QSize base = bench::dialogBaseUnits(font);
    const int bx = base.width(), by = base.height();
    auto px = [](int v, int base, int div) { return (v * base + div / 2) / div; };
    auto place = [&](QWidget* w, int x, int y, int cx, int cy) {
        w->setGeometry(px(x, bx, 4), px(y, by, 8), px(cx, bx, 4), px(cy, by, 8));
    };
    dlg.resize(px(233, bx, 4), px(217, by, 8));
    auto* okButton = new QPushButton(ok, "OK", &dlg);
    place(okButton, 41, 190, 60, 20);
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(cancel, "Abbrechen", &dlg);
    place(cancelButton, 131, 190, 60, 20);
    const short rowY[] = {7, 28, 51, 73, 95, 118, 140, 163};
    for (int i = 0; i < 8; ++i) {
        auto* button = new QPushButton(pick, QString::fromUtf8(kLabels[i]), &dlg);
        place(button, 7, rowY[i], 112, 14);
        QObject::connect(button, &QPushButton::clicked, &dlg, [&dlg, i] { dlg.done(1001 + 2 * i); });
        auto* edit = new QLineEdit(QString::fromUtf8(kTexts[i]), &dlg);
        place(edit, 123, rowY[i], 103, 14);
    }
    QObject::connect(okButton, &QPushButton::clicked, &dlg, &QDialog::accept);
    QObject::connect(cancelButton, &QPushButton::clicked, &dlg, &QDialog::reject);
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
    int cycles = bench::option(argc, argv, "--cycles", 5000);
    int warmup = bench::option(argc, argv, "--warmup", 200);
    if (cycles < 1 || warmup < 0) {
        std::fprintf(stderr, "usage: bench_multiedit [--cycles N>0] [--warmup N>=0]\n");
        return 2;
    }
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    const std::vector<bench::Case> cases = {
        {"LISP korDialog_MultiEditDialog, 8 rows", lispMultiEditCycle},
        {"bare QDialog, same controls", bareMultiEditCycle},
        {"LISP MultiEditDialog, 8 literal labels", lispLiteralCycle},
        {"bare QDialog, same controls (again)", bareMultiEditCycle},
    };
    bench::print(bench::runInterleaved(cases, warmup, cycles));
    bench::endLispSession();
    return 0;
}
