// CommandLine.h — the command line in korcad's window: below the drawing view, the history
// (prompts with what was answered, and everything korcad printed, an unfinished line shown as
// it grows) and an input line with the current prompt. A person types there, or picks in the
// view where a point, a distance or an entity is asked; Escape cancels the prompt. F2 opens
// the text window, the whole history in a larger window of its own.
#pragma once

#include "gui/EchoBuffer.h"
#include "input/InputSource.h"

#include <QWidget>

#include <functional>
#include <iosfwd>
#include <memory>
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

    // Output as it comes: text continues the last line until a line end ("\n") finishes it.
    void addText(const QString& text);
    // A line of its own (a prompt with its answer): an unfinished line is finished first.
    void addLine(const QString& text);
    QString history() const;
    QLineEdit* input() const { return input_; }
    void setPrompt(const QString& prompt);
    QString prompt() const;
    // The text window (F2): the history in a larger window, shown or hidden.
    void toggleTextWindow();
    QPlainTextEdit* textWindow() const { return text_; }

    QSize sizeHint() const override;

    // How output is put into a history: the last line stays open for more text; a finished
    // line gets its line break only when more follows, so no empty line hangs at the end.
    struct Transcript {
        bool started = false;  // something was written
        bool finished = true;  // the last line is finished
        void put(QPlainTextEdit* edit, const QString& text);
    };

signals:
    void entered(const QString& text);
    void escaped();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPlainTextEdit* history_;
    QLabel* prompt_;
    QLineEdit* input_;
    QPlainTextEdit* text_ = nullptr;  // the text window's history, made on first use
    Transcript shown_;
    Transcript textShown_;
};

class MainWindow;
class UserInput;

// Prompts answered in the window: the input line or a click in the view (in point mode with
// the snaps, in entity mode as a pick), while the window's events go on. The window is made
// and shown with the first prompt. When it cannot be shown on a screen (a display that cannot
// be opened leaves the window layer offscreen), the source `fallback` makes answers instead
// (the terminal). Each prompt and its answer go to `transcript` as a terminal shows them.
// Once the window is closed, the input has ended.
class WindowInput : public InputSource {
public:
    WindowInput(MainWindow& window, std::function<const UserInput*()> input,
                std::function<std::unique_ptr<InputSource>()> fallback = {}, std::ostream* transcript = nullptr);
    ~WindowInput() override;
    std::optional<std::string> readLine(const std::string& prompt) override;
    bool interactive() const override;

private:
    InputSource* fallback();

    MainWindow& window_;
    std::function<const UserInput*()> input_;
    std::function<std::unique_ptr<InputSource>()> makeFallback_;
    std::unique_ptr<InputSource> fallback_;
    std::ostream* transcript_;
};

}  // namespace korcad
