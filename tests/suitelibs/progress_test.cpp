// The progress window as a long piece of work uses it, headless, with the user's cancel.
#include "cad/CadHost.h"
#include "korgui/progress_probe.h"
#include "mfc/afxhost.h"
#include "uidriver/afxdriver.h"

#include <gtest/gtest.h>

#include <regex>

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace {

// The arguments the CAD-class worker opens its window with.
std::unique_ptr<CKORGuiProgress> openWorkerWindow(CWnd* parent = nullptr)
{
    return std::make_unique<CKORGuiProgress>(false, true, true, true, true, false, 0.3, 5, parent, -1);
}

QWidget* widgetOf(const CKORGuiProgress& p) { return AfxHostWidgetOf(p.GetSafeHwnd()); }

QPushButton* cancelButton(const CKORGuiProgress& p)
{
    return widgetOf(p)->findChild<QPushButton*>(QStringLiteral("cancel"));
}

// A left click in the middle of a widget, as the mouse makes it.
void clickWith(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }

TEST(ProgressWindow, BarsComeAndGoAndTheWindowKeepsRoomForThem)
{
    auto p = openWorkerWindow();
    QPointer<QWidget> w = widgetOf(*p);
    ASSERT_TRUE(w && p->IsWindowVisible() && w->isWindow());
    ASSERT_EQ(CKORGuiProgress::OpenWindows(), std::vector<CKORGuiProgress*>{p.get()});

    ASSERT_TRUE(CKORGuiProgress::SetzeMinAnzahlSichtbareProgressBars(p.get(), 5));
    const int roomForFive = w->height();
    std::vector<void*> bars;
    for (int i = 0; i < 5; ++i) {
        CString name(std::wstring(L"Schritt ") + std::to_wstring(i));
        bars.push_back(CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 13.0, 0.0, name, L"fertig", name, 6));
        ASSERT_NE(bars.back(), nullptr);
        EXPECT_EQ(w->height(), roomForFive) << "the window keeps its size while bars come";
    }
    EXPECT_EQ(CKORGuiProgressProbe::Bars(p.get()), bars);

    // Beyond the five the window shows, it scrolls instead of growing.
    std::vector<void*> more;
    for (int i = 0; i < 3; ++i)
        more.push_back(CKORGuiProgress::AddiereProgressBar(p.get(), 0, 1, 0, L"mehr", L"", L"mehr", 6));
    EXPECT_EQ(w->height(), roomForFive);

    void* middle = bars[2];
    ASSERT_TRUE(CKORGuiProgress::EntferneProgressBar(p.get(), bars[2], false));
    EXPECT_EQ(bars[2], nullptr) << "the handle is reset";
    EXPECT_EQ(w->findChildren<QLabel*>(QStringLiteral("statusIcon")).size(), 7);
    // The removed bar is no bar of the window any more; nothing touches freed memory.
    EXPECT_FALSE(CKORGuiProgress::SetzeProgressStatus(p.get(), middle, 5));
    EXPECT_EQ(CKORGuiProgressProbe::RepaintCount(p.get(), middle), -1);
    void* again = middle;
    EXPECT_FALSE(CKORGuiProgress::EntferneProgressBar(p.get(), again, false));
    EXPECT_EQ(again, middle) << "a handle that is not the window's is left alone";
    for (void*& b : more)
        ASSERT_TRUE(CKORGuiProgress::EntferneProgressBar(p.get(), b, false));
    for (void*& b : bars)
        ASSERT_TRUE(!b || CKORGuiProgress::EntferneProgressBar(p.get(), b, true));
    EXPECT_TRUE(CKORGuiProgressProbe::Bars(p.get()).empty());
    EXPECT_EQ(w->height(), roomForFive);

    // Bad arguments give nothing.
    EXPECT_FALSE(CKORGuiProgress::AddiereProgressBar(p.get(), 5.0, 1.0, 0.0, L"a", L"b", L"c", 6) ||
                 CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 1.0, 0.0, L"a", L"b", L"c", 9) ||
                 CKORGuiProgress::SetzeMinAnzahlSichtbareProgressBars(nullptr, 5));

    p.reset();
    EXPECT_TRUE(CKORGuiProgress::OpenWindows().empty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w) << "the window is gone with the object";
}

TEST(ProgressWindow, TextsAndTimesFollowTheStatus)
{
    auto p = openWorkerWindow();
    void* bar = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 4.0, 0.0, L"Klasse wählen ...",
                                                    L"Klasse gewählt", L"Klasse wählen (wartet)", 6);
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(CKORGuiProgressProbe::BarStatus(p.get(), bar), CKORGuiProgress::StatusWaiting);
    EXPECT_EQ(CKORGuiProgressProbe::BarText(p.get(), bar), L"Klasse wählen (wartet)");
    EXPECT_EQ(CKORGuiProgressProbe::BarTimeText(p.get(), bar), L"") << "a waiting bar shows no times";
    // Running: elapsed time as minutes and seconds, and an estimate.
    ASSERT_TRUE(CKORGuiProgress::SetzeProgressStartZeit(p.get(), bar));
    ASSERT_TRUE(CKORGuiProgress::SetzeProgressStatus(p.get(), bar, 5));
    EXPECT_EQ(CKORGuiProgressProbe::BarText(p.get(), bar), L"Klasse wählen ...");
    EXPECT_TRUE(std::regex_search(CKORGuiProgressProbe::BarTimeText(p.get(), bar).str(), std::wregex(L"^[0-9]+:[0-5][0-9].*noch")));
    ASSERT_TRUE(CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), bar, 4.0, 1.0, true));
    ASSERT_TRUE(CKORGuiProgress::SetzeProgressStatus(p.get(), bar, 4));
    EXPECT_EQ(CKORGuiProgressProbe::BarText(p.get(), bar), L"Klasse gewählt");
    const std::wstring done = CKORGuiProgressProbe::BarTimeText(p.get(), bar).str();
    EXPECT_TRUE(!done.empty() && done.find(L"noch") == std::wstring::npos) << "a finished bar estimates nothing";
    ASSERT_TRUE(CKORGuiProgress::SetzeProgressStatus(p.get(), bar, 2));
    EXPECT_EQ(CKORGuiProgressProbe::BarText(p.get(), bar), L"Klasse wählen ...");
    // An unknown status is refused; the bar keeps what it shows.
    EXPECT_FALSE(CKORGuiProgress::SetzeProgressStatus(p.get(), bar, 7));
    EXPECT_EQ(CKORGuiProgressProbe::BarStatus(p.get(), bar), CKORGuiProgress::StatusFailed);
    // A waiting bar that moves is running (the worker's total bar gets no status of its own).
    void* total = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 13.0, 0.0, L"Gesamt", L"Fertig", L"Gesamt", 6);
    CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), total, 2.0, 1.0, true);
    EXPECT_EQ(CKORGuiProgressProbe::BarStatus(p.get(), total), CKORGuiProgress::StatusRunning);
    // An empty range (no entities) shows full once its end is reached.
    void* empty = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 13.0, 0.0, L"Setzen", L"Gesetzt", L"Setzen", 6);
    CKORGuiProgress::SetzeProgressMaximumPosition(p.get(), empty, 0.0);
    CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), empty, 0.0, 1.0, true);
    auto bars = widgetOf(*p)->findChildren<QProgressBar*>();
    ASSERT_EQ(bars.size(), 3);
    EXPECT_EQ(bars[2]->value(), bars[2]->maximum());
}

TEST(ProgressWindow, PositionsRepaintByTheUpdateStep)
{
    auto p = openWorkerWindow();
    void* bar = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 13.0, 0.0, L"Setzen", L"Gesetzt", L"Setzen", 6);
    const int n = 100000;
    CKORGuiProgress::SetzeProgressMaximumPosition(p.get(), bar, n);
    CKORGuiProgress::SetzeProgressStatus(p.get(), bar, 5);
    const int before = CKORGuiProgressProbe::RepaintCount(p.get(), bar);
    for (int i = 0; i < n; ++i) {
        ASSERT_TRUE(CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), bar, i, n / 100, true));
        if (i == 1500) {
            EXPECT_EQ(CKORGuiProgressProbe::BarShownPosition(p.get(), bar), 1000.0) << "a move under the step is not shown yet";
        }
    }
    CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), bar, n, 1.0, true);
    EXPECT_EQ(CKORGuiProgressProbe::BarShownPosition(p.get(), bar), n) << "the end is always shown";
    EXPECT_NEAR(CKORGuiProgressProbe::RepaintCount(p.get(), bar) - before, 100, 5);

    // No step: every change shows, the same position again does not.
    void* fine = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 10.0, 0.0, L"a", L"b", L"a", 5);
    int start = CKORGuiProgressProbe::RepaintCount(p.get(), fine);
    for (int i = 1; i <= 10; ++i)
        CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), fine, i * 0.5, 0.0, false);
    CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), fine, 5.0, 0.0, false);
    EXPECT_EQ(CKORGuiProgressProbe::RepaintCount(p.get(), fine) - start, 10);
}

// What the worker's callback sees and does.
struct Worker {
    int calls = 0, answer = 0;
    CKORGuiProgress* window = nullptr;
    bool keepCancel = true, ask = false;
    std::unique_ptr<CKORGuiProgress>* deleteWindow = nullptr;
};

bool onCancel(CKORGuiProgress* p, long long context)
{
    auto* w = reinterpret_cast<Worker*>(context);
    ++w->calls;
    w->window = p;
    if (w->ask)
        w->answer = AfxMessageBox(L"Berechnung abbrechen?", MB_YESNO);
    if (w->deleteWindow)
        w->deleteWindow->reset();
    return w->keepCancel;
}

TEST(ProgressWindow, TheCancelButtonCallsTheWorkerBackDuringTheWork)
{
    auto p = openWorkerWindow();
    Worker worker;
    QPushButton* button = cancelButton(*p);
    ASSERT_TRUE(button);
    EXPECT_TRUE(button->isHidden() && !p->PressCancel()) << "no cancel before one is asked for";

    ASSERT_TRUE(CKORGuiProgress::AktiviereAbbruch(p.get(), &onCancel, reinterpret_cast<long long>(&worker)));
    EXPECT_EQ(button->isHidden() ? QString() : button->text(), QStringLiteral("Abbrechen"));
    void* bar = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 1000.0, 0.0, L"Setzen", L"Gesetzt", L"Setzen", 5);

    // The user clicks while the work runs: the click is handled inside the position calls.
    QTimer::singleShot(0, button, [button] { clickWith(button); });
    for (int i = 0; i < 1000 && worker.calls == 0; ++i)
        CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), bar, i, 10.0, true);
    EXPECT_TRUE(worker.calls == 1 && worker.window == p.get());
    EXPECT_TRUE(button->isEnabled()) << "the callback kept the cancel available";

    // The close box and Escape do what the button does.
    widgetOf(*p)->close();
    EXPECT_TRUE(worker.calls == 2 && widgetOf(*p)->isVisible()) << "the close box does not close the window of running work";
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(widgetOf(*p), &escape);
    EXPECT_EQ(worker.calls, 3);

    // A callback that gives false takes the cancel away.
    worker.keepCancel = false;
    EXPECT_TRUE(p->PressCancel());
    EXPECT_TRUE(worker.calls == 4 && !button->isEnabled() && !p->PressCancel());

    // Hidden, the window cannot be clicked; no callback, no button.
    CKORGuiProgress::AktiviereAbbruch(p.get(), &onCancel, reinterpret_cast<long long>(&worker));
    p->ShowWindow(SW_HIDE);
    EXPECT_FALSE(p->PressCancel());
    p->ShowWindow(SW_SHOWNORMAL);
    CKORGuiProgress::AktiviereAbbruch(p.get(), nullptr, 0);
    EXPECT_TRUE(button->isHidden() && !p->PressCancel() && worker.calls == 4);
}

TEST(ProgressWindow, TheCallbackAsksInAModalMessageBoxAndIsNeverReentered)
{
    auto p = openWorkerWindow();
    Worker worker;
    worker.ask = true;
    CKORGuiProgress::AktiviereAbbruch(p.get(), &onCancel, reinterpret_cast<long long>(&worker));
    void* bar = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 100000.0, 0.0, L"Setzen", L"Gesetzt", L"Setzen", 5);

    // Another window of the application: while the work runs it gets no input.
    ASSERT_TRUE(AfxHostUIStarted());
    QWidget other;
    auto* otherButton = new QPushButton(QStringLiteral("Anderes"), &other);
    other.show();
    int otherClicks = 0;
    QObject::connect(otherButton, &QPushButton::clicked, [&] { ++otherClicks; });

    bool pressedAgain = true, runningMeanwhile = false;
    std::string clickResult;
    afxdriver::onNextDialog([&](CDialog&) {
        runningMeanwhile = CKORGuiProgressProbe::IsCallbackRunning(p.get());
        pressedAgain = p->PressCancel();  // a second press while the question is open
        afxdriver::Result r = afxdriver::click(IDYES);
        clickResult = r ? "ok" : r.message;
    });
    QTimer::singleShot(0, otherButton, [otherButton] { clickWith(otherButton); });
    QTimer::singleShot(0, cancelButton(*p), [&] { clickWith(cancelButton(*p)); });
    int done = 0;
    for (int i = 0; i < 100000; ++i, ++done)
        CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), bar, i, 1000.0, true);

    EXPECT_EQ(done, 100000) << "the work went on after the question";
    EXPECT_TRUE(worker.calls == 1 && worker.answer == IDYES && clickResult == "ok") << clickResult;
    EXPECT_TRUE(runningMeanwhile && !pressedAgain) << "the cancel is not pressed again while its callback runs";
    EXPECT_TRUE(!CKORGuiProgressProbe::IsCallbackRunning(p.get()) && CKORGuiProgressProbe::CanCancel(p.get()));
    EXPECT_EQ(otherClicks, 0) << "the busy application ignores clicks elsewhere";
    clickWith(otherButton);  // outside the work the other window takes clicks again
    EXPECT_EQ(otherClicks, 1);
}

TEST(ProgressWindow, TheCallbackMayCloseTheWindow)
{
    auto p = openWorkerWindow();
    Worker worker;
    worker.deleteWindow = &p;
    CKORGuiProgress::AktiviereAbbruch(p.get(), &onCancel, reinterpret_cast<long long>(&worker));
    QPointer<QWidget> w = widgetOf(*p);
    void* bar = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 10.0, 0.0, L"a", L"b", L"a", 5);
    QTimer::singleShot(0, w, [&] { clickWith(cancelButton(*p)); });
    CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), bar, 1.0, 1.0, true);  // the click is handled here
    EXPECT_TRUE(worker.calls == 1 && p == nullptr && CKORGuiProgress::OpenWindows().empty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w);
}

// Over its parent (bottom right), over the CAD main window without one (centred), else alone.
TEST(ProgressWindow, StaysOverItsParentOrTheCadMainWindowAndWorksHidden)
{
    ASSERT_TRUE(AfxHostInitUI());
    EXPECT_EQ(widgetOf(*openWorkerWindow())->parentWidget(), nullptr) << "no CAD program: a window of its own";
    QWidget main;
    main.setGeometry(100, 100, 900, 700);
    main.show();
    auto p = std::make_unique<CKORGuiProgress>(false, true, true, true, true, false, 0.3, 5,
                                               CWnd::FromHandle(AfxHostHandleOf(&main)), 3);
    QWidget* w = widgetOf(*p);
    EXPECT_TRUE(w->parentWidget() == &main && w->isWindow());
    const QPoint corner = w->frameGeometry().bottomRight();
    EXPECT_TRUE(main.frameGeometry().contains(corner) && corner.x() >= main.frameGeometry().right() - 32 &&
                corner.y() >= main.frameGeometry().bottom() - 32) << "placed bottom right over it";
    EXPECT_TRUE(p->ShowWindow(SW_HIDE));
    void* bar = CKORGuiProgress::AddiereProgressBar(p.get(), 0.0, 2.0, 0.0, L"a", L"b", L"a", 5);
    EXPECT_TRUE(CKORGuiProgress::SetzeProgressAktuellePosition(p.get(), bar, 2.0, 1.0, true)) << "bars go on hidden";
    EXPECT_FALSE(p->ShowWindow(SW_SHOWNORMAL));
    EXPECT_EQ(CKORGuiProgressProbe::BarShownPosition(p.get(), bar), 2.0);
    p.reset();
    CWnd::DeleteTempMap();

    korcad::CadHost host;  // installs itself as the CAD program the ADS calls reach
    host.setWindows([&] { return AfxHostHandleOf(&main); }, [] { return HWND(nullptr); });
    p = openWorkerWindow();
    w = widgetOf(*p);
    EXPECT_TRUE(w->parentWidget() == &main && w->isWindow()) << "a window of its own over the main window";
    EXPECT_TRUE(main.frameGeometry().contains(w->frameGeometry().center())) << "centred over it";
}

}  // namespace
