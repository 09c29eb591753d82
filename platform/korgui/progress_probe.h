// progress_probe.h — what tests and benchmarks look at inside a progress window: every
// status a bar is given, how often a bar was repainted, what a bar shows, the state of the
// cancel button. Not for the library's users: their calls are in korprogress.h.
#pragma once

#include "korgui/korprogress.h"

#include <functional>
#include <vector>

struct CKORGuiProgressProbe {
    // Called after every status a bar is given (SetzeProgressStatus), with the window, the
    // bar and the status, in the order the listeners were added; returns a token for removal.
    using StatusListener = std::function<void(CKORGuiProgress* window, void* bar, int status)>;
    static int AddStatusListener(StatusListener listener);
    static void RemoveStatusListener(int token);

    static bool CanCancel(const CKORGuiProgress* p);  // the button is shown and enabled
    static bool IsCallbackRunning(const CKORGuiProgress* p);
    static int CallbackCount(const CKORGuiProgress* p);  // callbacks made so far
    // The window's bars, top to bottom.
    static std::vector<void*> Bars(const CKORGuiProgress* p);
    // How often the bar's row was repainted for a change of position, status, maximum or
    // text (refreshes of the times alone are not counted); -1 for an unknown bar.
    static int RepaintCount(const CKORGuiProgress* p, void* bar);
    // The bar's status (-1 for an unknown bar), the text it shows, its last position (as
    // given) and the position it shows, the time text it shows ("" when none).
    static int BarStatus(const CKORGuiProgress* p, void* bar);
    static CString BarText(const CKORGuiProgress* p, void* bar);
    static double BarPosition(const CKORGuiProgress* p, void* bar);
    static double BarShownPosition(const CKORGuiProgress* p, void* bar);
    static CString BarTimeText(const CKORGuiProgress* p, void* bar);
};
