#include "gui/MainWindow.h"
#include "gui/MainFrame.h"

#include "gui/CommandLine.h"
#include "drawing/Drawing.h"
#include "gui/DrawingView.h"

#include "mfc/afxhost.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>

namespace korcad {

namespace {

// Output kept for a window not made yet: its last part, as the history keeps only its last lines.
constexpr size_t kBacklogBytes = 64 * 1024;

}  // namespace

void MainFrame::closeEvent(QCloseEvent* event)
{
    if (guard_ && !guard_()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && !closed_) {
        closed_ = true;
        emit closed();
    }
}

struct MainWindow::Widgets {
    QPointer<MainFrame> window;
    QPointer<DrawingView> view;
    QPointer<QLabel> coordinates;
    QPointer<CommandLine> commandLine;
};

MainWindow::MainWindow(std::wstring drawing) : drawing_(std::move(drawing)), w_(std::make_unique<Widgets>()) {}

MainWindow::~MainWindow()
{
    if (w_->window)
        delete w_->window.data();
}

MainFrame* MainWindow::window() const { return w_->window.data(); }

DrawingView* MainWindow::view() const { return w_->view.data(); }

QString MainWindow::title() const
{
    return "korcad - " + QString::fromStdWString(model_ ? model_->name() : drawing_);
}

void MainWindow::setDrawing(const Drawing* drawing)
{
    model_ = drawing;
    if (w_->view)
        w_->view->setDrawing(drawing);
    if (w_->window)
        w_->window->setWindowTitle(title());
}

void MainWindow::refresh()
{
    if (w_->view)
        w_->view->update();  // the view takes the geometry anew when the drawing's revision moved on
    if (w_->window && w_->window->windowTitle() != title())
        w_->window->setWindowTitle(title());
}

void MainWindow::print(const std::string& text)
{
    if (w_->commandLine) {
        w_->commandLine->addText(QString::fromStdString(text));
        return;
    }
    backlog_ += text;
    if (backlog_.size() > kBacklogBytes) {
        size_t cut = backlog_.find('\n', backlog_.size() - kBacklogBytes);
        backlog_.erase(0, cut == std::string::npos ? backlog_.size() - kBacklogBytes : cut + 1);
    }
}

void MainWindow::setCloseGuard(std::function<bool()> guard)
{
    guard_ = std::move(guard);
    if (w_->window)
        w_->window->setCloseGuard(guard_);
}

bool MainWindow::closed() const { return w_->window && w_->window->isClosed(); }

void MainWindow::create()
{
    if (w_->window)
        return;
    std::string error;
    if (!AfxHostInitUI(&error))
        return;
    auto* window = new MainFrame;
    window->setObjectName("korcadMainWindow");
    window->setCloseGuard(guard_);
    QObject::connect(window, &MainFrame::closed, window, [this] {
        if (onClosed_)
            onClosed_();
    });

    // The drawing view over the command line; the person drags the splitter between them.
    auto* splitter = new QSplitter(Qt::Vertical, window);
    splitter->setObjectName("korcadSplitter");
    splitter->setChildrenCollapsible(false);
    auto* view = new DrawingView(splitter);
    if (!model_ && source_)
        model_ = source_();
    view->setDrawing(model_);
    window->setWindowTitle(title());
    auto* commandLine = new CommandLine(splitter);
    splitter->addWidget(view);
    splitter->addWidget(commandLine);
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 0);
    window->setCentralWidget(splitter);
    window->statusBar()->showMessage("Bereit");
    // The coordinates under the cross-hair in the status line.
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
    w_->window = window;
    w_->view = view;
    w_->coordinates = coordinates;
    w_->commandLine = commandLine;
    if (!backlog_.empty()) {
        commandLine->addText(QString::fromStdString(backlog_));
        backlog_.clear();
    }
    window->show();
}

CommandLine* MainWindow::commandLine() const { return w_->commandLine; }

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
