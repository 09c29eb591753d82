// The MFC layer's state (see afxstate_p.h).
#include "mfc/afxstate_p.h"

afxqt::State& afxqt::state()
{
    static State* s = new State;  // never destroyed (see afxstate_p.h)
    return *s;
}
