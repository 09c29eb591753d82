// korprogress.h — the progress window of the suite's common library: one window with a row
// per piece of work (its text, a bar, elapsed and remaining time, a status icon) and an
// optional cancel button, shown while long work runs on the main thread.
//
// Stands in for: the common library's CKORGuiProgress.
// [X] a non-modal top-level window, over the host's main window (or the parent given)
// [X] bars added and removed while the window is open; room kept for a minimum number
// [X] per bar: start, end and waiting texts, range, position, status icon, elapsed and
//     estimated remaining time
// [X] repaints throttled by an update step; user events handled every 50 ms during the work
// [X] cancel button (and the close box) calling back the worker, never re-entered
// [X] for hosts: the open windows, pressing cancel; for tests (progress_probe.h): status
//     listeners, repaints per bar, texts, positions, the cancel button's state
// [ ] saved window positions, a progress button in the task bar
//
// The window runs on the main thread, inside the caller's work: it has no thread or timer
// of its own that could change anything behind the caller's back. User events (the cancel
// button, repaints) are handled only inside SetzeProgressAktuellePosition with its last
// argument true, at most every 50 ms, and inside modal loops the caller runs. While the
// window handles events for the work, mouse and key input to the application's other
// windows is dropped (the application is busy); the cancel callback may open modal dialogs,
// which get their input as usual.
//
// Bars are opaque handles. Every call that takes the window and a bar checks both and does
// nothing (false, or null) for a null window or a bar that is not (any more) one of its own.
#pragma once

#include "mfc/afxwin.h"

#include <memory>
#include <vector>

class CKORGuiProgress : public CWnd {
public:
    // Status of a bar; each has its own icon.
    enum Status {
        StatusNone = 0,       // no icon
        StatusStopped = 1,    // stopped by the user (grey square)
        StatusFailed = 2,     // ended without success (red cross)
        StatusWarning = 3,    // ended with warnings (yellow triangle)
        StatusDone = 4,       // ended with success (green check)
        StatusRunning = 5,    // at work (blue arrow)
        StatusWaiting = 6,    // not started yet (grey hourglass)
    };

    // Where the window opens over its parent (or the screen): nPosition of the constructor.
    enum Position {
        PositionCentred = -1,
        PositionTopLeft = 0,
        PositionTopRight = 1,
        PositionBottomLeft = 2,
        PositionBottomRight = 3,
    };

    // The cancel callback: the window and the context given to AktiviereAbbruch. It runs
    // inside the window's event handling, while the work is interrupted, and may open modal
    // dialogs. Its result: true keeps the cancel button available, false disables it (the
    // work is stopping; a second press means nothing).
    using AbbruchCallback = bool (*)(CKORGuiProgress* window, long long context);

    // Opens the window at once (shown, not activated: the keyboard stays where it was).
    //   bToolWindow         a small tool-window frame instead of a normal window frame
    //   bShowElapsed        each bar shows the time since its timing started
    //   bShowRemaining      each running bar shows an estimate of the time it still needs
    //   bShowIcons          each bar shows its status icon
    //   bShowPercent        each bar shows its percentage in the bar
    //   bStayOnTop          the window stays above all other windows
    //   dTimeRefresh        seconds between refreshes of the times while a bar is unchanged
    //                       (at least 0.05)
    //   nMaxVisibleBars     the window grows with its bars up to this many, then scrolls
    //                       (below 1: no limit)
    //   pParent             the window it stays over; null: the CAD program's main window
    //                       when there is one
    //   nPosition           where it opens over that window (or the screen), a Position;
    //                       other values centre it too
    CKORGuiProgress(bool bToolWindow, bool bShowElapsed, bool bShowRemaining, bool bShowIcons, bool bShowPercent,
                    bool bStayOnTop, double dTimeRefresh, int nMaxVisibleBars, CWnd* pParent, int nPosition);
    // Closes the window; its bar handles become invalid. Deleting the window inside its own
    // cancel callback is allowed: the window goes once the callback has returned.
    ~CKORGuiProgress() override;

    // 0 (SW_HIDE) hides the window, any other value shows it (without activating it).
    // Returns whether it was visible before. The bars keep going while it is hidden.
    BOOL ShowWindow(int nCmdShow);

    // Keeps room for at least n bars, so that the window does not change its size while bars
    // come and go (more than the window's maximum makes it grow to n).
    static bool SetzeMinAnzahlSichtbareProgressBars(CKORGuiProgress* p, int n);
    // Shows the cancel button (caption "Abbrechen"); pressing it, or the window's close box,
    // calls `callback(p, context)`. A null callback hides the button again.
    static bool AktiviereAbbruch(CKORGuiProgress* p, AbbruchCallback callback, long long context);

    // Adds a bar below the others and returns its handle (null for a null window, a range
    // with max < min or a status outside 0..6). `text` is shown while the bar waits,
    // `startText` while it runs (and after it failed or was stopped), `endText` once it is
    // done; an empty text falls back to `text`. `nStatus` is the bar's first status (6:
    // waiting). The bar's timing starts now (SetzeProgressStartZeit starts it again).
    static void* AddiereProgressBar(CKORGuiProgress* p, double min, double max, double pos, const CString& startText,
                                    const CString& endText, const CString& text, int nStatus);
    // Starts the bar's clock again: elapsed and remaining times count from now.
    static bool SetzeProgressStartZeit(CKORGuiProgress* p, void* bar);
    // A new maximum (not below the minimum; a lower one is taken as the minimum). Repaints.
    static bool SetzeProgressMaximumPosition(CKORGuiProgress* p, void* bar, double max);
    // The bar's position. It is repainted when it moved at least `updateStep` since it was
    // last painted, or reached its maximum (a step of 0 or less repaints every change): a
    // loop over n items with the step n / 100 repaints about a hundred times. A waiting bar
    // that moves becomes running. With `processEvents`, the window handles pending user
    // events (the cancel button, paints) when 50 ms have passed since it last did.
    static bool SetzeProgressAktuellePosition(CKORGuiProgress* p, void* bar, double pos, double updateStep,
                                              bool processEvents);
    // The bar's status (see Status; 0..6). A bar that ends (1, 2, 3, 4) freezes its elapsed
    // time. Repaints. False for a status outside 0..6.
    static bool SetzeProgressStatus(CKORGuiProgress* p, void* bar, int nStatus);
    // Removes the bar and sets the handle to null. With `processEvents` the window handles
    // pending events once afterwards. False (handle untouched) for a bar not of this window.
    static bool EntferneProgressBar(CKORGuiProgress* p, void*& bar, bool processEvents);

    // ---- for hosts -----------------------------------------------------------------------
    // (What tests look at besides is in progress_probe.h.)
    // The progress windows open now, oldest first.
    static std::vector<CKORGuiProgress*> OpenWindows();
    // Does what the user's click on the cancel button does. False when the button cannot be
    // clicked: no callback, the button disabled, the window hidden, or the callback running
    // (it is never entered twice). True once the callback has returned.
    bool PressCancel();

    struct Impl;

private:
    friend struct CKORGuiProgressProbe;

    std::unique_ptr<Impl> m_impl;
};
