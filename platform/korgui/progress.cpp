// The progress window: a top-level Qt widget with a scroll area of bar rows and a cancel
// button, attached to the CKORGuiProgress object as its window handle. The calls of the
// common library's interface; the window's inside is in progress_impl.cpp.
#include "korgui/progress_p.h"

using namespace korprogress;

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

// ---- for hosts ---------------------------------------------------------------------------------

std::vector<CKORGuiProgress*> CKORGuiProgress::OpenWindows() { return openWindows(); }

bool CKORGuiProgress::PressCancel()
{
    if (!CKORGuiProgressProbe::CanCancel(this) || !m_impl->window->isVisible())
        return false;
    return m_impl->runCancel();
}
