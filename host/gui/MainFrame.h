// MainFrame.h — the Qt window behind MainWindow: closing it asks a guard first (unsaved
// changes) and says when it closed.
#pragma once

#include <QMainWindow>

#include <functional>

namespace korcad {

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    using QMainWindow::QMainWindow;
    // Asked when the person closes the window; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { guard_ = std::move(guard); }
    bool isClosed() const { return closed_; }

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> guard_;
    bool closed_ = false;
};

}  // namespace korcad
