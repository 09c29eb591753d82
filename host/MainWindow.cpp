#include "MainWindow.h"

#include "DrawingView.h"

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
    QPointer<DrawingView> view;
    QPointer<QLabel> coordinates;
};

MainWindow::MainWindow(std::wstring drawing) : drawing_(std::move(drawing)), w_(std::make_unique<Widgets>()) {}

MainWindow::~MainWindow()
{
    if (w_->window)
        delete w_->window.data();
}

QMainWindow* MainWindow::window() const { return w_->window.data(); }

DrawingView* MainWindow::view() const { return w_->view.data(); }

void MainWindow::setDrawing(const Drawing* drawing)
{
    model_ = drawing;
    if (w_->view)
        w_->view->setDrawing(drawing);
}

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

    // The drawing view, and the coordinates under its cross-hair in the status line.
    auto* view = new DrawingView(window);
    if (!model_ && source_)
        model_ = source_();
    view->setDrawing(model_);
    window->setCentralWidget(view);
    window->statusBar()->showMessage("Bereit");
    auto* coordinates = new QLabel(window);
    coordinates->setObjectName("coordinates");
    coordinates->setMinimumWidth(220);
    coordinates->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    window->statusBar()->addPermanentWidget(coordinates);
    QObject::connect(view, &DrawingView::cursorMoved, coordinates, [coordinates](QPointF p) {
        coordinates->setText(QString("%1, %2").arg(p.x(), 0, 'f', 4).arg(p.y(), 0, 'f', 4));
    });

    QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QSize size(std::min(1024, screen.width() * 4 / 5), std::min(720, screen.height() * 4 / 5));
    window->resize(size);
    window->move(screen.center() - QPoint(size.width() / 2, size.height() / 2));
    window->show();
    w_->window = window;
    w_->view = view;
    w_->coordinates = coordinates;
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
