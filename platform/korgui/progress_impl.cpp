// The progress window's inside: building the window and its rows, placing it, repainting
// bars and their times, handling events in the middle of the work, the cancel callback.
#include "korgui/progress_p.h"

using namespace korprogress;

namespace korprogress {

std::vector<CKORGuiProgress*>& openWindows()
{
    static std::vector<CKORGuiProgress*> windows;
    return windows;
}

std::vector<std::pair<int, CKORGuiProgressProbe::StatusListener>>& statusListeners()
{
    static std::vector<std::pair<int, CKORGuiProgressProbe::StatusListener>> listeners;
    return listeners;
}

}  // namespace korprogress

CKORGuiProgress::Impl::~Impl()
{
    if (dialogListener)
        AfxRemoveDialogListener(dialogListener);
    timesTimer.stop();
    if (qApp)
        qApp->removeEventFilter(&guard);
    if (auto* w = static_cast<ProgressWidget*>(window)) {
        w->forget();
        w->hide();
        // A window deleted from its own cancel callback may still be inside its handlers.
        if (orphaned)
            w->deleteLater();
        else
            delete w;
    }
}

void CKORGuiProgress::Impl::build(bool toolWindow, bool stayOnTop)
{
    Qt::WindowFlags flags = (toolWindow ? Qt::Tool : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint;
    if (stayOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    window = new ProgressWidget(this, parent, flags);
    window->setObjectName(QStringLiteral("KORGuiProgress"));
    window->setWindowTitle(QStringLiteral("Fortschritt"));
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->setMinimumWidth(440);
    // A dialog the work opens (a question, a choice) must not hide the progress of that work.
    dialogListener = AfxAddDialogListener([this](CDialog& dialog, AfxDialogEvent event) {
        if (event == AfxDialogEvent::Opened)
            keepClearOf(dialog);
    });

    auto* outer = new QVBoxLayout(window);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(10);
    scroll = new QScrollArea(window);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* host = new QWidget(scroll);
    rows = new QVBoxLayout(host);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(kRowSpacing);
    rows->addStretch(1);
    scroll->setWidget(host);
    outer->addWidget(scroll);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancel = new QPushButton(QStringLiteral("Abbrechen"), window);
    cancel->setObjectName(QStringLiteral("cancel"));
    cancel->setAutoDefault(false);
    cancel->hide();
    QObject::connect(cancel, &QPushButton::clicked, [this] { runCancel(); });
    buttons->addWidget(cancel);
    outer->addLayout(buttons);

    // The height of one row, for the room the window keeps.
    Bar sample;
    sample.text = L"Xg";
    QWidget* probe = makeRow(&sample);
    rowHeight = probe->sizeHint().height();
    delete probe;

    timesTimer.setInterval(static_cast<int>(timeRefreshMs));
    QObject::connect(&timesTimer, &QTimer::timeout, [this] {
        for (auto& b : bars)
            if (b->status == StatusRunning)
                refreshTimes(*b);
    });
    timesTimer.start();

    guard.window = window;
    guard.callbackRunning = &callbackRunning;
}

QWidget* CKORGuiProgress::Impl::makeRow(Bar* b)
{
    auto* row = new QWidget;
    row->setObjectName(QStringLiteral("bar"));
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    b->row = row;
    b->icon = new QLabel(row);
    b->icon->setObjectName(QStringLiteral("statusIcon"));
    b->icon->setFixedSize(kIconSize, kIconSize);
    b->icon->setVisible(showIcons);
    b->label = new QLabel(row);
    b->label->setObjectName(QStringLiteral("text"));
    b->label->setTextFormat(Qt::PlainText);
    b->times = new QLabel(row);
    b->times->setObjectName(QStringLiteral("times"));
    b->times->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    b->times->setVisible(showElapsed || showRemaining);
    b->bar = new QProgressBar(row);
    b->bar->setRange(0, kBarSteps);
    b->bar->setTextVisible(showPercent);
    grid->addWidget(b->icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(b->label, 0, 1);
    grid->addWidget(b->times, 0, 2);
    grid->addWidget(b->bar, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    b->label->setText(afxqt::toQ(b->shownText()));
    b->icon->setPixmap(statusIcon(b->status));
    b->bar->setValue(b->steps(b->shownPos));
    return row;
}

void CKORGuiProgress::Impl::layoutRows()
{
    int n = static_cast<int>(bars.size());
    int visible = std::max(n, minVisible);
    if (maxVisible > 0)
        visible = std::min(visible, std::max(maxVisible, minVisible));
    int height = visible > 0 ? visible * rowHeight + (visible - 1) * kRowSpacing : 0;
    scroll->setFixedHeight(height);
    scroll->setVisible(visible > 0);
    window->layout()->activate();
    window->setFixedHeight(window->sizeHint().height());
    window->resize(std::max(window->width(), window->sizeHint().width()), window->sizeHint().height());
}

void CKORGuiProgress::Impl::place()
{
    QRect area;
    if (parent && parent->isVisible())
        area = parent->frameGeometry();
    else if (QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->availableGeometry();
    QSize size = window->frameGeometry().size().expandedTo(window->size());
    const int margin = 16;
    QPoint at;
    switch (position) {
    case 0: at = area.topLeft() + QPoint(margin, margin); break;
    case 1: at = QPoint(area.right() - size.width() - margin, area.top() + margin); break;
    case 2: at = QPoint(area.left() + margin, area.bottom() - size.height() - margin); break;
    case 3: at = QPoint(area.right() - size.width() - margin, area.bottom() - size.height() - margin); break;
    default: at = area.center() - QPoint(size.width() / 2, size.height() / 2); break;
    }
    window->move(at);
}

void CKORGuiProgress::Impl::keepClearOf(CDialog& dialog)
{
    QWidget* other = afxqt::dialogWidget(&dialog);
    if (!window || !window->isVisible() || !other || other == window)
        return;
    const QRect covering = other->frameGeometry();
    const QRect mine = window->frameGeometry();
    if (!mine.intersects(covering))
        return;
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int gap = 8;
    // Below the dialog, above it, right of it, left of it, kept on the screen: the first place
    // the dialog leaves free, else the one where it covers least.
    const QPoint places[] = {
        {mine.left(), covering.bottom() + 1 + gap},
        {mine.left(), covering.top() - gap - mine.height()},
        {covering.right() + 1 + gap, mine.top()},
        {covering.left() - gap - mine.width(), mine.top()},
    };
    auto covered = [&](const QRect& r) {
        const QRect both = r.intersected(covering);
        return both.isEmpty() ? 0LL : static_cast<long long>(both.width()) * both.height();
    };
    QRect best = mine;
    for (QPoint at : places) {
        QRect there(at, mine.size());
        there.moveLeft(std::max(area.left(), std::min(there.left(), area.right() + 1 - there.width())));
        there.moveTop(std::max(area.top(), std::min(there.top(), area.bottom() + 1 - there.height())));
        if (covered(there) < covered(best))
            best = there;
        if (covered(best) == 0)
            break;
    }
    if (best != mine)
        window->move(best.topLeft());
}

Bar* CKORGuiProgress::Impl::find(void* handle) const
{
    if (!handle)
        return nullptr;
    for (const auto& b : bars)
        if (b.get() == handle)
            return b.get();
    return nullptr;
}

void CKORGuiProgress::Impl::repaint(Bar& b)
{
    b.shownPos = b.clamped(b.pos);
    b.bar->setValue(b.steps(b.shownPos));
    QString text = afxqt::toQ(b.shownText());
    if (b.label->text() != text)
        b.label->setText(text);
    b.icon->setPixmap(statusIcon(b.status));
    if (b.timesStatus != b.status || b.clock.elapsed() - b.timesRefreshedAt >= timeRefreshMs)
        refreshTimes(b);
    ++b.repaints;
}

void CKORGuiProgress::Impl::refreshTimes(Bar& b)
{
    b.timesRefreshedAt = b.clock.elapsed();
    b.timesStatus = b.status;
    QString text;
    if (b.status != StatusWaiting && b.status != StatusNone) {
        qint64 elapsed = b.elapsed();
        if (showElapsed)
            text = clockText(elapsed);
        if (showRemaining && b.status == StatusRunning) {
            double done = b.max > b.min ? (b.clamped(b.pos) - b.min) / (b.max - b.min) : 0.0;
            QString rest = done > 0 && elapsed > 0
                               ? QStringLiteral("noch ~%1").arg(clockText(static_cast<qint64>(elapsed * (1 - done) / done)))
                               : QStringLiteral("noch ~?");
            text = text.isEmpty() ? rest : text + QStringLiteral("  ") + rest;
        }
    }
    if (b.times->text() != text)
        b.times->setText(text);
}

void CKORGuiProgress::Impl::pump(bool force)
{
    if (pumping || callbackRunning)
        return;  // the callback's own modal loops handle events meanwhile
    if (!force && pumpedOnce && SteadyClock::now() - lastPump < kPumpInterval)
        return;
    pumping = true;
    ++busy;
    qApp->installEventFilter(&guard);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    qApp->removeEventFilter(&guard);
    pumping = false;
    if (leave())
        return;
    pumpedOnce = true;
    lastPump = SteadyClock::now();
}

bool CKORGuiProgress::Impl::runCancel()
{
    if (!callback || callbackRunning || orphaned)
        return false;
    callbackRunning = true;
    ++busy;
    ++callbacks;
    cancel->setEnabled(false);
    bool keep = callback(owner, context);
    callbackRunning = false;
    if (leave())
        return true;
    cancel->setEnabled(keep);
    return true;
}

bool CKORGuiProgress::Impl::leave()
{
    --busy;
    if (orphaned && busy == 0) {
        delete this;
        return true;
    }
    return orphaned;
}
