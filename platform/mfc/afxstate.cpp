// The MFC layer's state (see afxstate_p.h) and its reset for tests.
#include "mfc/afxstate_p.h"

afxqt::State& afxqt::state()
{
    static State* s = new State;  // never destroyed (see afxstate_p.h)
    return *s;
}

bool afxqt::resetStateForTests()
{
    State& s = state();
    if (!s.modalStack.empty())
        return false;
    // 1. temporary objects
    CWnd::DeleteTempMap();
    // 2. handle maps
    for (CWnd* p : std::as_const(s.permanentObjects))
        p->m_hWnd = nullptr;
    s.permanentObjects.clear();
    s.windowInfos.clear();
    s.watchedWidgets.clear();
    // 3. listeners and counters
    s.dialogListeners.clear();
    s.lastListenerToken = 0;
    s.lastModalSerial = 0;
    // 4. icons
    for (HICON h : s.ownedIcons)
        delete h;
    s.ownedIcons.clear();
    s.sharedIcons.clear();
    // 5. font caches
    s.sansFamily.clear();
    s.fontFamilies.clear();
    s.baseUnits.clear();
    // 6. module state
    s.moduleState = AFX_MODULE_STATE{};
    return true;
}
