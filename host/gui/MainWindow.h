// MainWindow.h — korcad's main window: the drawing's name in the title, the drawing view in
// the middle, the command line below it (CommandLine.h) behind a splitter the person can drag,
// a status line with the coordinates under the cross-hair. Dialogs of applications are
// parented to it (adsw_acadMainWnd) and open centred on it. Made on first use, so a run
// without dialogs opens no window.
#pragma once

#include "win/wintypes.h"

#include <functional>
#include <memory>
#include <string>

class QString;
class QWidget;

namespace korcad {

class CommandLine;
class Drawing;
class DrawingView;
class MainFrame;

class MainWindow {
public:
    // `drawing` is the open drawing's name, shown in the title until a drawing is set.
    explicit MainWindow(std::wstring drawing);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The window and the drawing view as handles of the window layer; both are created and
    // shown on the first call.
    HWND handle();
    HWND drawingViewHandle();

    // The Qt window and its drawing view, once made (null before).
    MainFrame* window() const;
    DrawingView* view() const;
    CommandLine* commandLine() const;

    // The drawing the view shows (null: none), zoomed to its extents, its name in the title;
    // kept until the window is made. The caller keeps it alive while it is shown.
    void setDrawing(const Drawing* drawing);
    // Where the window finds the open drawing when it is made (the session opens it after the
    // window layer is wired).
    void setDrawingSource(std::function<const Drawing*()> source) { source_ = std::move(source); }
    // The drawing changed (entities, its name after a save): the view and the title follow.
    void refresh();

    // Output for the command line's history; kept until the window is made.
    void print(const std::string& text);
    // Asked before the window closes (see MainFrame).
    void setCloseGuard(std::function<bool()> guard);
    // What happens once the person closed the window.
    void setOnClosed(std::function<void()> closed) { onClosed_ = std::move(closed); }
    // The person closed the window.
    bool closed() const;
    // A prompt waits in the command line (WindowInput), so nothing is being computed.
    void setWaiting(bool waiting) { waiting_ = waiting; }
    bool waiting() const { return waiting_; }

private:
    void create();
    QString title() const;

    std::wstring drawing_;
    const Drawing* model_ = nullptr;
    std::function<const Drawing*()> source_;
    std::function<bool()> guard_;
    std::function<void()> onClosed_;
    std::string backlog_;  // output before the window was made
    bool waiting_ = false;
    struct Widgets;
    std::unique_ptr<Widgets> w_;
};

}  // namespace korcad
