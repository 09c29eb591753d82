// Opening and closing a modal dialog: a CDialog built from a template by the window layer
// against a bare QDialog with the same controls built directly, and the whole road of a LISP
// call of korDialog_ButtonDialog (interpreter -> module -> dialog -> answer) against a bare
// QDialog showing what it shows, warm, in the same run.
//
//   bench_dialogs [--cycles N] [--warmup N] [--only N]   (default 10000 and 200; --only: one case)
//
// Each cycle opens the dialog modally, waits until it shows, paints it once, and closes it
// with Escape through the UI driver (the bare dialog is painted and closed from a zero timer,
// the same path through the event loop). The cases run interleaved, one cycle of each in turn,
// so that a load that changes during the run weighs on all of them alike; the memory columns
// are the whole process's. Runs headless when there is no display.
#include "harness.h"

#include "cad/CadHost.h"
#include "gui/MainWindow.h"
#include "app/Session.h"

#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

namespace {

void bareColumnCycle(int shown, bool icons);

// A column of twelve buttons, a spacer and Cancel: the shape of the button dialog.
AfxControlTemplate columnControls[14];
const wchar_t* const captions[] = {L"Eins", L"Zwei", L"Drei", L"Vier", L"Fünf", L"Sechs",
                                   L"Sieben", L"Acht", L"Neun", L"Zehn", L"Elf", L"Zwölf"};

const AfxDialogTemplate* columnTemplate()
{
    static AfxDialogTemplate tpl{};
    if (tpl.id)
        return &tpl;
    for (int k = 0; k < 12; ++k)
        columnControls[k] = {static_cast<UINT>(1001 + 2 * k), AfxControlKind::PushButton, captions[k], 7,
                             static_cast<short>(7 + 18 * k), 150, 14, WS_VISIBLE | WS_TABSTOP};
    columnControls[12] = {IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", 52, 224, 60, 20, WS_VISIBLE | WS_TABSTOP};
    columnControls[13] = {200, AfxControlKind::PushButton, L"", 7, 226, 21, 18, WS_TABSTOP};
    tpl = {9018, 0, 0, 164, 251, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, L"Auswahl", L"MS Sans Serif", 8,
           columnControls, 14};
    return &tpl;
}

void templateDialogCycle()
{
    CDialog dlg;
    dlg.InitModalIndirect(columnTemplate());
    afxdriver::onNextDialog([](CDialog& d) {
        bench::waitUntilShown(afxqt::widget(d.m_hWnd));
        afxdriver::key(afxdriver::Key::Escape);
    });
    if (dlg.DoModal() != IDCANCEL) {
        std::fprintf(stderr, "the template dialog did not end with IDCANCEL\n");
        std::exit(1);
    }
}

// The same window with Qt alone: the pixel rectangles the template gives at the same font.
void bareDialogCycle() { bareColumnCycle(12, false); }

// The button dialog of a LISP call with three captions: three choice buttons shown, the
// window shortened by nine rows, Cancel moved up; the window icon and Cancel's icon (32
// pixels, drawn at what the button's height leaves) as the module gives them.
void bareThreeButtonCycle() { bareColumnCycle(3, true); }

void lispButtonDialogCycle()
{
    bench::lispDialogCycle("(korDialog_ButtonDialog 1 (list \"Titel\") (list \"A\" \"B\" \"C\") (list \"a\" \"b\" \"c\"))",
                           "(0)");
}

void bareColumnCycle(int shown, bool icons)
{
    static const QIcon logo = bench::icon(32, Qt::darkBlue), cross = bench::icon(32, Qt::red);
    QDialog dlg;
    dlg.setWindowTitle("Auswahl");
    QFont font("DejaVu Sans");
    font.setPointSize(8);
    dlg.setFont(font);
    const QSize base = bench::dialogBaseUnits(font);
    const int bx = base.width(), by = base.height();
    auto px = [](int v, int base, int div) { return (v * base + div / 2) / div; };
    int shrink = (12 - shown) * px(18, by, 8);
    dlg.resize(px(164, bx, 4), px(251, by, 8) - shrink);
    for (int i = 0; i < 14; ++i) {
        const AfxControlTemplate& c = columnControls[i];
        auto* b = new QPushButton(QString::fromWCharArray(c.text), &dlg);
        b->setAutoDefault(false);
        bool isCancel = c.id == IDCANCEL;
        b->setGeometry(px(c.x, bx, 4), px(c.y, by, 8) - (isCancel ? shrink : 0), px(c.cx, bx, 4), px(c.cy, by, 8));
        if (!(c.style & WS_VISIBLE) || (i < 12 && i >= shown))
            b->hide();
        if (icons && isCancel) {
            b->setIcon(cross);
            int room = std::max(8, b->height() - 8);
            b->setIconSize(QSize(std::min(32, room), std::min(32, room)));
        }
        QObject::connect(b, &QPushButton::clicked, &dlg, &QDialog::reject);
    }
    if (icons)
        dlg.setWindowIcon(logo);
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
    int cycles = bench::option(argc, argv, "--cycles", 10000);
    int warmup = bench::option(argc, argv, "--warmup", 200);
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    columnTemplate();
    std::vector<bench::Case> cases = {
        {"CDialog from template (driver)", templateDialogCycle},
        {"bare QDialog, same controls", bareDialogCycle},
        {"LISP korDialog_ButtonDialog, 3 buttons", lispButtonDialogCycle},
        {"bare QDialog, 3 buttons shown", bareThreeButtonCycle},
    };
    // --only N: the N-th case alone (from 1), to look at one case with strace or perf.
    if (int only = bench::option(argc, argv, "--only", 0); only > 0 && only <= static_cast<int>(cases.size()))
        cases = {cases[static_cast<size_t>(only - 1)]};
    bench::print(bench::runInterleaved(cases, warmup, cycles));
    bench::endLispSession();
    return 0;
}
