#include "MainWindow.h"

#include "mfc/afxhost.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QScreen>
#include <QStatusBar>

namespace korcad {

struct MainWindow::Widgets {
    QPointer<QMainWindow> window;
    QPointer<QLabel> view;
};

MainWindow::MainWindow(std::wstring drawing) : drawing_(std::move(drawing)), w_(std::make_unique<Widgets>()) {}

MainWindow::~MainWindow()
{
    if (w_->window)
        delete w_->window.data();
}

QMainWindow* MainWindow::window() const { return w_->window.data(); }

void MainWindow::create()
{
    if (w_->window)
        return;
    std::string error;
    if (!AfxHostInitUI(&error))
        return;
    auto* window = new QMainWindow;
    window->setObjectName("korcadMainWindow");
    QString drawing = QString::fromStdWString(drawing_);
    window->setWindowTitle("korcad - " + drawing);

    // The drawing view: the drawing's name until the drawing itself is drawn here.
    auto* view = new QLabel(drawing + "\n\nDie Befehlszeile ist im Terminal; Dialoge öffnen sich hier.", window);
    view->setObjectName("drawingView");
    view->setAlignment(Qt::AlignCenter);
    view->setEnabled(false);  // drawn greyed: a note, not a control
    view->setFocusPolicy(Qt::StrongFocus);
    window->setCentralWidget(view);
    window->statusBar()->showMessage("Bereit");

    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QSize size(std::min(1024, screen.width() * 4 / 5), std::min(720, screen.height() * 4 / 5));
    window->resize(size);
    window->move(screen.center() - QPoint(size.width() / 2, size.height() / 2));
    window->show();
    w_->window = window;
    w_->view = view;
}

HWND MainWindow::handle()
{
    create();
    return w_->window ? AfxHostHandleOf(w_->window) : nullptr;
}

HWND MainWindow::drawingViewHandle()
{
    create();
    return w_->view ? AfxHostHandleOf(w_->view) : nullptr;
}

}  // namespace korcad
