// The progress window: a top-level Qt widget with a scroll area of bar rows and a cancel
// button, attached to the CKORGuiProgress object as its window handle.
#include "korgui/korprogress.h"

#include "ads/adslib.h"
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kBarSteps = 1000;               // resolution of the drawn bar
constexpr auto kPumpInterval = std::chrono::milliseconds(50);
constexpr int kIconSize = 16;
constexpr int kRowSpacing = 8;

bool validStatus(int s) { return s >= CKORGuiProgress::StatusNone && s <= CKORGuiProgress::StatusWaiting; }
bool endedStatus(int s)
{
    return s == CKORGuiProgress::StatusStopped || s == CKORGuiProgress::StatusFailed ||
           s == CKORGuiProgress::StatusWarning || s == CKORGuiProgress::StatusDone;
}

// ---- status icons ---------------------------------------------------------------------------

QPixmap paintIcon(int status)
{
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap pm(QSize(kIconSize, kIconSize) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    if (status == CKORGuiProgress::StatusNone)
        return pm;
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(1, 1, kIconSize - 2, kIconSize - 2);
    QPen white(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (status) {
    case CKORGuiProgress::StatusRunning: {  // blue disc with a white arrow
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x1E, 0x6F, 0xD9));
        p.drawEllipse(r);
        QPainterPath arrow;
        arrow.moveTo(6, 4.5);
        arrow.lineTo(11.5, 8);
        arrow.lineTo(6, 11.5);
        arrow.closeSubpath();
        p.setBrush(Qt::white);
        p.drawPath(arrow);
        break;
    }
    case CKORGuiProgress::StatusDone:  // green disc with a white check
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2E, 0x9E, 0x3E));
        p.drawEllipse(r);
        p.setPen(white);
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5)}));
        break;
    case CKORGuiProgress::StatusFailed:  // red disc with a white cross
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xD0, 0x30, 0x30));
        p.drawEllipse(r);
        p.setPen(white);
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
        break;
    case CKORGuiProgress::StatusWarning: {  // yellow triangle with a dark "!"
        QPainterPath tri;
        tri.moveTo(8, 1);
        tri.lineTo(15, 14.5);
        tri.lineTo(1, 14.5);
        tri.closeSubpath();
        p.setPen(QPen(QColor(0xA0, 0x70, 0x00), 1.0));
        p.setBrush(QColor(0xF2, 0xB8, 0x00));
        p.drawPath(tri);
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 5.5), QPointF(8, 9.5));
        p.drawPoint(QPointF(8, 12.2));
        break;
    }
    case CKORGuiProgress::StatusStopped:  // grey square (a stop sign)
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x70, 0x70, 0x70));
        p.drawRoundedRect(QRectF(2.5, 2.5, 11, 11), 1.5, 1.5);
        break;
    case CKORGuiProgress::StatusWaiting:  // light grey clock face
        p.setPen(QPen(QColor(0x90, 0x90, 0x90), 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(r.adjusted(0.7, 0.7, -0.7, -0.7));
        p.drawLine(QPointF(8, 8), QPointF(8, 4.5));
        p.drawLine(QPointF(8, 8), QPointF(10.5, 9.5));
        break;
    default: break;
    }
    return pm;
}

// Painted once each; kept for the process (the application object outlives every window,
// and pixmaps must not be freed after it during the process's exit).
const QPixmap& statusIcon(int status)
{
    static auto* icons = new std::array<QPixmap, 7>;
    static std::array<bool, 7> made{};
    if (!made[status]) {
        (*icons)[status] = paintIcon(status);
        made[status] = true;
    }
    return (*icons)[status];
}

QString clockText(qint64 ms)
{
    qint64 s = (ms + 500) / 1000;
    qint64 h = s / 3600, m = s / 60 % 60, sec = s % 60;
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(sec, 2, 10, QLatin1Char('0'));
    return QStringLiteral("%1:%2").arg(m).arg(sec, 2, 10, QLatin1Char('0'));
}

struct Bar {
    double min = 0, max = 0, pos = 0, shownPos = 0;
    int status = CKORGuiProgress::StatusWaiting;
    CString startText, endText, text;
    QElapsedTimer clock;
    qint64 frozenMs = -1;         // elapsed time once the bar ended
    qint64 timesRefreshedAt = -1;  // clock reading of the last refresh of the times
    int timesStatus = -1;          // the status they were refreshed for
    int repaints = 0;

    QWidget* row = nullptr;
    QLabel* icon = nullptr;
    QLabel* label = nullptr;
    QLabel* times = nullptr;
    QProgressBar* bar = nullptr;

    double clamped(double p) const { return std::clamp(p, min, std::max(min, max)); }
    int steps(double p) const
    {
        if (max <= min)
            return p >= max ? kBarSteps : 0;
        return static_cast<int>(std::lround((clamped(p) - min) / (max - min) * kBarSteps));
    }
    const CString& shownText() const
    {
        const CString* chosen = &text;
        if (status == CKORGuiProgress::StatusDone || status == CKORGuiProgress::StatusWarning)
            chosen = &endText;
        else if (status == CKORGuiProgress::StatusRunning || endedStatus(status))
            chosen = &startText;
        if (chosen->IsEmpty())
            return text.IsEmpty() ? startText : text;
        return *chosen;
    }
    qint64 elapsed() const { return frozenMs >= 0 ? frozenMs : clock.elapsed(); }
};

// Drops mouse and key input to every window but the progress window while it handles
// events in the middle of the work; the cancel callback's own dialogs get everything.
class InputGuard : public QObject {
public:
    QPointer<QWidget> window;
    const bool* callbackRunning = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
            break;
        default: return false;
        }
        if (*callbackRunning)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        return w && w->window() != window;
    }
};

class ProgressWidget;

}  // namespace

struct CKORGuiProgress::Impl {
    CKORGuiProgress* owner = nullptr;
    bool showElapsed = true, showRemaining = true, showIcons = true, showPercent = true;
    qint64 timeRefreshMs = 300;
    int maxVisible = 0;
    int minVisible = 0;
    int position = -1;
    QPointer<QWidget> parent;

    QWidget* window = nullptr;
    QScrollArea* scroll = nullptr;
    QVBoxLayout* rows = nullptr;
    QPushButton* cancel = nullptr;
    QTimer timesTimer;
    int rowHeight = 0;
    std::vector<std::unique_ptr<Bar>> bars;

    AbbruchCallback callback = nullptr;
    long long context = 0;
    bool callbackRunning = false;
    int callbacks = 0;

    bool pumping = false;
    bool pumpedOnce = false;
    SteadyClock::time_point lastPump;
    InputGuard guard;

    int busy = 0;           // pumps and callbacks on the stack
    bool orphaned = false;  // the owner was deleted while busy: go when no longer busy

    ~Impl();
    void build(bool toolWindow, bool stayOnTop);
    QWidget* makeRow(Bar* b);
    void layoutRows();
    void place();
    Bar* find(void* handle) const;
    void repaint(Bar& b);
    void refreshTimes(Bar& b);
    void pump(bool force);
    bool runCancel();
    // Leaves a pump or callback; true when the Impl was deleted (the owner is gone).
    bool leave();
};

namespace {

class ProgressWidget : public QWidget {
public:
    ProgressWidget(CKORGuiProgress::Impl* impl, QWidget* parent, Qt::WindowFlags flags)
        : QWidget(parent, flags), m_impl(impl)
    {
    }
    void forget() { m_impl = nullptr; }

protected:
    // The close box and Escape do what the cancel button does; without one, the window
    // stays (the work goes on and the window belongs to it).
    void closeEvent(QCloseEvent* e) override
    {
        e->ignore();
        if (m_impl && m_impl->cancel->isVisible() && m_impl->cancel->isEnabled())
            m_impl->runCancel();
    }
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_Escape && m_impl && m_impl->cancel->isVisible() && m_impl->cancel->isEnabled()) {
            m_impl->runCancel();
            return;
        }
        QWidget::keyPressEvent(e);
    }

private:
    CKORGuiProgress::Impl* m_impl;
};

std::vector<CKORGuiProgress*>& openWindows()
{
    static std::vector<CKORGuiProgress*> windows;
    return windows;
}

std::vector<std::pair<int, CKORGuiProgress::StatusListener>>& statusListeners()
{
    static std::vector<std::pair<int, CKORGuiProgress::StatusListener>> listeners;
    return listeners;
}

}  // namespace

CKORGuiProgress::Impl::~Impl()
{
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

// ---- the window ------------------------------------------------------------------------------

CKORGuiProgress::CKORGuiProgress(bool bToolWindow, bool bShowElapsed, bool bShowRemaining, bool bShowIcons,
                                 bool bShowPercent, bool bStayOnTop, double dTimeRefresh, int nMaxVisibleBars,
                                 CWnd* pParent, int nPosition)
    : m_impl((afxqt::app(), std::make_unique<Impl>()))
{
    Impl& d = *m_impl;
    d.owner = this;
    d.showElapsed = bShowElapsed;
    d.showRemaining = bShowRemaining;
    d.showIcons = bShowIcons;
    d.showPercent = bShowPercent;
    d.timeRefreshMs = std::isfinite(dTimeRefresh) ? std::max<qint64>(50, std::llround(dTimeRefresh * 1000)) : 300;
    d.maxVisible = std::max(0, nMaxVisibleBars);
    d.position = nPosition;
    QWidget* parent = pParent ? afxqt::liveWidget(pParent->GetSafeHwnd()) : nullptr;
    if (!pParent)
        if (HWND main = adsw_acadMainWnd())
            parent = afxqt::liveWidget(main);
    d.parent = parent ? parent->window() : nullptr;
    d.build(bToolWindow, bStayOnTop);
    d.layoutRows();
    d.place();
    Attach(afxqt::handle(d.window));
    d.window->show();
    openWindows().push_back(this);
}

CKORGuiProgress::~CKORGuiProgress()
{
    auto& open = openWindows();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (m_hWnd)
        Detach();
    Impl* d = m_impl.release();
    d->owner = nullptr;
    if (d->busy > 0) {
        d->orphaned = true;  // deleted from inside its own callback or event handling
        d->window->hide();
        return;
    }
    delete d;
}

BOOL CKORGuiProgress::ShowWindow(int nCmdShow)
{
    QWidget* w = m_impl->window;
    BOOL wasVisible = w->isVisible();
    if (nCmdShow == SW_HIDE)
        w->hide();
    else
        w->show();
    return wasVisible;
}

bool CKORGuiProgress::SetzeMinAnzahlSichtbareProgressBars(CKORGuiProgress* p, int n)
{
    if (!p || n < 0)
        return false;
    p->m_impl->minVisible = n;
    p->m_impl->layoutRows();
    return true;
}

bool CKORGuiProgress::AktiviereAbbruch(CKORGuiProgress* p, AbbruchCallback callback, long long context)
{
    if (!p)
        return false;
    Impl& d = *p->m_impl;
    d.callback = callback;
    d.context = context;
    d.cancel->setVisible(callback != nullptr);
    d.cancel->setEnabled(callback != nullptr && !d.callbackRunning);
    d.layoutRows();
    return true;
}

void* CKORGuiProgress::AddiereProgressBar(CKORGuiProgress* p, double min, double max, double pos,
                                          const CString& startText, const CString& endText, const CString& text,
                                          int nStatus)
{
    if (!p || !(min <= max) || !validStatus(nStatus) || !std::isfinite(pos))
        return nullptr;
    Impl& d = *p->m_impl;
    auto b = std::make_unique<Bar>();
    b->min = min;
    b->max = max;
    b->pos = pos;
    b->shownPos = b->clamped(pos);
    b->status = nStatus;
    b->startText = startText;
    b->endText = endText;
    b->text = text;
    b->clock.start();
    QWidget* row = d.makeRow(b.get());
    d.rows->insertWidget(d.rows->count() - 1, row);  // above the closing stretch
    d.refreshTimes(*b);
    void* handle = b.get();
    d.bars.push_back(std::move(b));
    d.layoutRows();
    return handle;
}

bool CKORGuiProgress::SetzeProgressStartZeit(CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    if (!b)
        return false;
    b->clock.restart();
    b->frozenMs = -1;
    p->m_impl->refreshTimes(*b);
    return true;
}

bool CKORGuiProgress::SetzeProgressMaximumPosition(CKORGuiProgress* p, void* bar, double max)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    if (!b || !std::isfinite(max))
        return false;
    b->max = std::max(max, b->min);
    p->m_impl->repaint(*b);
    return true;
}

bool CKORGuiProgress::SetzeProgressAktuellePosition(CKORGuiProgress* p, void* bar, double pos, double updateStep,
                                                    bool processEvents)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    if (!b || !std::isfinite(pos))
        return false;
    Impl& d = *p->m_impl;
    b->pos = pos;
    double shown = b->clamped(pos);
    bool started = false;
    if (b->status == StatusWaiting) {
        b->status = StatusRunning;
        started = true;
    }
    if (started || (shown != b->shownPos && (!(updateStep > 0) || std::fabs(shown - b->shownPos) >= updateStep ||
                                               shown >= b->max || shown <= b->min)))
        d.repaint(*b);
    if (processEvents)
        d.pump(false);
    return true;
}

bool CKORGuiProgress::SetzeProgressStatus(CKORGuiProgress* p, void* bar, int nStatus)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    if (!b)
        return false;
    if (!validStatus(nStatus)) {
        std::fprintf(stderr, "progress window: unknown bar status %d (0 to 6 are known); the bar keeps status %d\n",
                     nStatus, b->status);
        return false;
    }
    if (endedStatus(nStatus) && !endedStatus(b->status))
        b->frozenMs = b->clock.elapsed();
    else if (!endedStatus(nStatus))
        b->frozenMs = -1;
    b->status = nStatus;
    p->m_impl->repaint(*b);
    // A copy: a listener may add or remove listeners.
    const auto listeners = statusListeners();
    for (const auto& [token, listener] : listeners)
        listener(p, bar, nStatus);
    return true;
}

bool CKORGuiProgress::EntferneProgressBar(CKORGuiProgress* p, void*& bar, bool processEvents)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    if (!b)
        return false;
    Impl& d = *p->m_impl;
    delete b->row;
    d.bars.erase(std::find_if(d.bars.begin(), d.bars.end(), [b](const auto& x) { return x.get() == b; }));
    bar = nullptr;
    d.layoutRows();
    if (processEvents)
        d.pump(true);
    return true;
}

// ---- for hosts and tests ------------------------------------------------------------------------

std::vector<CKORGuiProgress*> CKORGuiProgress::OpenWindows() { return openWindows(); }

int CKORGuiProgress::AddStatusListener(StatusListener listener)
{
    static int lastToken = 0;
    statusListeners().emplace_back(++lastToken, std::move(listener));
    return lastToken;
}

void CKORGuiProgress::RemoveStatusListener(int token)
{
    auto& listeners = statusListeners();
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(), [token](const auto& l) { return l.first == token; }),
                    listeners.end());
}

bool CKORGuiProgress::PressCancel()
{
    if (!CanCancel() || !m_impl->window->isVisible())
        return false;
    return m_impl->runCancel();
}

bool CKORGuiProgress::CanCancel() const
{
    return m_impl->callback && !m_impl->cancel->isHidden() && m_impl->cancel->isEnabled() && !m_impl->callbackRunning;
}

bool CKORGuiProgress::IsCallbackRunning() const { return m_impl->callbackRunning; }

int CKORGuiProgress::CallbackCount() const { return m_impl->callbacks; }

std::vector<void*> CKORGuiProgress::Bars() const
{
    std::vector<void*> out;
    for (const auto& b : m_impl->bars)
        out.push_back(b.get());
    return out;
}

int CKORGuiProgress::RepaintCount(CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->repaints : -1;
}

int CKORGuiProgress::BarStatus(void* bar) const
{
    Bar* b = m_impl->find(bar);
    return b ? b->status : -1;
}

CString CKORGuiProgress::BarText(void* bar) const
{
    Bar* b = m_impl->find(bar);
    return b ? afxqt::fromQ(b->label->text()) : CString();
}

double CKORGuiProgress::BarPosition(void* bar) const
{
    Bar* b = m_impl->find(bar);
    return b ? b->pos : 0.0;
}

double CKORGuiProgress::BarShownPosition(void* bar) const
{
    Bar* b = m_impl->find(bar);
    return b ? b->shownPos : 0.0;
}

CString CKORGuiProgress::BarTimeText(void* bar) const
{
    Bar* b = m_impl->find(bar);
    return b ? afxqt::fromQ(b->times->text()) : CString();
}
