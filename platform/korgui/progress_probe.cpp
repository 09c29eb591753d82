// Looking into a progress window, for tests and benchmarks.
#include "korgui/progress_p.h"

using namespace korprogress;

int CKORGuiProgressProbe::AddStatusListener(StatusListener listener)
{
    static int lastToken = 0;
    statusListeners().emplace_back(++lastToken, std::move(listener));
    return lastToken;
}

void CKORGuiProgressProbe::RemoveStatusListener(int token)
{
    auto& listeners = statusListeners();
    listeners.erase(std::remove_if(listeners.begin(), listeners.end(), [token](const auto& l) { return l.first == token; }),
                    listeners.end());
}

bool CKORGuiProgressProbe::CanCancel(const CKORGuiProgress* p)
{
    const CKORGuiProgress::Impl& d = *p->m_impl;
    return d.callback && !d.cancel->isHidden() && d.cancel->isEnabled() && !d.callbackRunning;
}

bool CKORGuiProgressProbe::IsCallbackRunning(const CKORGuiProgress* p) { return p->m_impl->callbackRunning; }

int CKORGuiProgressProbe::CallbackCount(const CKORGuiProgress* p) { return p->m_impl->callbacks; }

std::vector<void*> CKORGuiProgressProbe::Bars(const CKORGuiProgress* p)
{
    std::vector<void*> out;
    for (const auto& b : p->m_impl->bars)
        out.push_back(b.get());
    return out;
}

int CKORGuiProgressProbe::RepaintCount(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->repaints : -1;
}

int CKORGuiProgressProbe::BarStatus(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->status : -1;
}

CString CKORGuiProgressProbe::BarText(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? afxqt::fromQ(b->label->text()) : CString();
}

double CKORGuiProgressProbe::BarPosition(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->pos : 0.0;
}

double CKORGuiProgressProbe::BarShownPosition(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? b->shownPos : 0.0;
}

CString CKORGuiProgressProbe::BarTimeText(const CKORGuiProgress* p, void* bar)
{
    Bar* b = p ? p->m_impl->find(bar) : nullptr;
    return b ? afxqt::fromQ(b->times->text()) : CString();
}
