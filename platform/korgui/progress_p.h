// progress_p.h — the inside of the progress window, shared by its source files: a bar's
// record, the window's state (CKORGuiProgress::Impl), the Qt widget, the status icons and
// the list of open windows. Everything here runs on the main thread.
#pragma once

#include "korgui/korprogress.h"
#include "korgui/progress_probe.h"

#include "ads/adslib.h"
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
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

namespace korprogress {

using SteadyClock = std::chrono::steady_clock;

constexpr int kBarSteps = 1000;               // resolution of the drawn bar
constexpr auto kPumpInterval = std::chrono::milliseconds(50);
constexpr int kIconSize = 16;
constexpr int kRowSpacing = 8;

inline bool validStatus(int s) { return s >= CKORGuiProgress::StatusNone && s <= CKORGuiProgress::StatusWaiting; }
inline bool endedStatus(int s)
{
    return s == CKORGuiProgress::StatusStopped || s == CKORGuiProgress::StatusFailed ||
           s == CKORGuiProgress::StatusWarning || s == CKORGuiProgress::StatusDone;
}

// The icon of a status (painted once, kept for the process) and a duration as "m:ss" or
// "h:mm:ss".
const QPixmap& statusIcon(int status);
QString clockText(qint64 ms);

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

// The progress windows open now, oldest first, and the status listeners with their tokens.
std::vector<CKORGuiProgress*>& openWindows();
std::vector<std::pair<int, CKORGuiProgressProbe::StatusListener>>& statusListeners();

}  // namespace korprogress

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
    std::vector<std::unique_ptr<korprogress::Bar>> bars;

    AbbruchCallback callback = nullptr;
    long long context = 0;
    bool callbackRunning = false;
    int callbacks = 0;

    bool pumping = false;
    bool pumpedOnce = false;
    korprogress::SteadyClock::time_point lastPump;
    korprogress::InputGuard guard;

    int busy = 0;           // pumps and callbacks on the stack
    bool orphaned = false;  // the owner was deleted while busy: go when no longer busy

    ~Impl();
    void build(bool toolWindow, bool stayOnTop);
    QWidget* makeRow(korprogress::Bar* b);
    void layoutRows();
    void place();
    // Moves the window out from under a dialog that opened over it, where the screen has room.
    void keepClearOf(CDialog& dialog);
    int dialogListener = 0;
    korprogress::Bar* find(void* handle) const;
    void repaint(korprogress::Bar& b);
    void refreshTimes(korprogress::Bar& b);
    void pump(bool force);
    bool runCancel();
    // Leaves a pump or callback; true when the Impl was deleted (the owner is gone).
    bool leave();
};

namespace korprogress {

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

}  // namespace korprogress
