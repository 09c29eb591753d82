// MainWindow.h — korcad's main window: the drawing's name in the title, the drawing view in
// the middle, a status line with the coordinates under the cross-hair. Dialogs of applications are parented to it (adsw_acadMainWnd) and
// open centred on it. Made on first use, so a run without dialogs opens no window.
#pragma once

#include "win/wintypes.h"

#include <functional>
#include <memory>
#include <string>

class QMainWindow;
class QWidget;

namespace korcad {

class Drawing;
class DrawingView;

class MainWindow {
public:
    // `drawing` is the open drawing's name, shown in the title and in the view.
    explicit MainWindow(std::wstring drawing);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The window and the drawing view as handles of the window layer; both are created and
    // shown on the first call.
    HWND handle();
    HWND drawingViewHandle();

    // The Qt window and its drawing view, once made (null before).
    QMainWindow* window() const;
    DrawingView* view() const;

    // The drawing the view shows (null: none), zoomed to its extents; kept until the window
    // is made. The caller keeps it alive while it is shown.
    void setDrawing(const Drawing* drawing);
    // Where the window finds the open drawing when it is made (the session opens it after the
    // window layer is wired).
    void setDrawingSource(std::function<const Drawing*()> source) { source_ = std::move(source); }

private:
    void create();

    std::wstring drawing_;
    const Drawing* model_ = nullptr;
    std::function<const Drawing*()> source_;
    struct Widgets;
    std::unique_ptr<Widgets> w_;
};

}  // namespace korcad
