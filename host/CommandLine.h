// CommandLine.h — the command line in korcad's window: below the drawing view, the last
// lines (prompts with what was answered, and what commands said) and an input line with the
// current prompt. A person types there, or picks in the view where a point, a distance or an
// entity is asked; Escape cancels the prompt.
#pragma once

#include "EchoBuffer.h"
#include "InputSource.h"

#include <QWidget>

#include <functional>
#include <streambuf>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace korcad {

class CommandLine : public QWidget {
    Q_OBJECT
public:
    explicit CommandLine(QWidget* parent = nullptr);

    // Adds a line to the history (the last 500 are kept).
    void addLine(const QString& text);
    QString history() const;
    QLineEdit* input() const { return input_; }
    void setPrompt(const QString& prompt);

signals:
    void entered(const QString& text);
    void escaped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* history_;
    QLabel* prompt_;
    QLineEdit* input_;
};

class MainWindow;
class UserInput;


// Prompts answered in the window: the input line or a click in the view (in point mode with
// the snaps, in entity mode as a pick), while the window's events go on. The window closed
// ends the input.
class WindowInput : public InputSource {
public:
    WindowInput(MainWindow& window, std::function<const UserInput*()> input);
    std::optional<std::string> readLine(const std::string& prompt) override;
    bool interactive() const override { return true; }

private:
    MainWindow& window_;
    std::function<const UserInput*()> input_;
};

}  // namespace korcad
