// Looking into a progress window, for tests and benchmarks.
#include "korgui/progress_p.h"

using namespace korprogress;

int CKORGuiProgressInspect::AddStatusListener(StatusListener listener)
{
    static int lastToken = 0;
    statusListeners().emplace_back(++lastToken, std::move(listener));
    return lastToken;
}

void CKORGuiProgressInspect::RemoveStatusListener(int token)
{
    auto& listeners = statusListeners();
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(), [token](const auto& l) { return l.first == token; }),
                    listeners.end());
}

bool CKORGuiProgressInspect::CanCancel(const CKORGuiProgress* p)
{
    const CKORGuiProgress::Impl& d = *p->m_impl;
    return d.callback && !d.cancel->isHidden() && d.cancel->isEnabled() && !d.callbackRunning;
}

bool CKORGuiProgressInspect::IsCallbackRunning(const CKORGuiProgress* p) { return p->m_impl->callbackRunning; }

int CKORGuiProgressInspect::CallbackCount(const CKORGuiProgress* p) { return p->m_impl->callbacks; }

std::vector<void*> CKORGuiProgressInspect::Bars(const CKORGuiProgress* p)
{
    std::vector<void*> out;
    for (const auto& b : p->m_impl->bars)
        out.push_back(b.get());
    return out;
}

int CKORGuiProgressInspect::RepaintCount(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->repaints : -1;
}

int CKORGuiProgressInspect::BarStatus(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->status : -1;
}

CString CKORGuiProgressInspect::BarText(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? afxqt::fromQ(b->label->text()) : CString();
}

double CKORGuiProgressInspect::BarPosition(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->pos : 0.0;
}

double CKORGuiProgressInspect::BarShownPosition(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->shownPos : 0.0;
}

CString CKORGuiProgressInspect::BarTimeText(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? afxqt::fromQ(b->times->text()) : CString();
}
