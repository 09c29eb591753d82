#include "gui/CommandLine.h"

#include "gui/DrawingView.h"
#include "gui/MainWindow.h"
#include "gui/MainFrame.h"
#include "cad/UserInput.h"

#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QShortcut>
#include <QTextCursor>
#include <QVBoxLayout>

#include <cstdio>
#include <ostream>

namespace korcad {

namespace {

constexpr int kHistoryLines = 2000;  // the lines the history keeps
constexpr int kShownLines = 8;       // the lines the history shows at first

QPlainTextEdit* historyEdit(QWidget* parent, const char* name)
{
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setMaximumBlockCount(kHistoryLines);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    return edit;
}

}  // namespace

CommandLine::CommandLine(QWidget* parent) : QWidget(parent)
{
    setObjectName("commandLine");
    history_ = historyEdit(this, "commandHistory");
    history_->setFocusPolicy(Qt::NoFocus);
    QFontMetrics fm(history_->font());
    history_->setMinimumHeight(fm.lineSpacing() * 2 + 8);
    prompt_ = new QLabel(this);
    prompt_->setObjectName("commandPrompt");
    input_ = new QLineEdit(this);
    input_->setObjectName("commandInput");
    input_->installEventFilter(this);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(prompt_);
    row->addWidget(input_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(history_, 1);
    layout->addLayout(row);
    connect(input_, &QLineEdit::returnPressed, this, [this] {
        QString text = input_->text();
        input_->clear();
        emit entered(text);
    });
    auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    f2->setContext(Qt::WindowShortcut);
    connect(f2, &QShortcut::activated, this, &CommandLine::toggleTextWindow);
}

QSize CommandLine::sizeHint() const
{
    QFontMetrics fm(history_->font());
    int history = fm.lineSpacing() * kShownLines + 2 * history_->frameWidth() + 8;
    return {QWidget::sizeHint().width(), history + input_->sizeHint().height() + 6};
}

bool CommandLine::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == input_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        input_->clear();
        emit escaped();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CommandLine::Transcript::put(QPlainTextEdit* edit, const QString& text)
{
    QString out;
    for (QChar c : text) {
        if (c == u'\r')
            continue;
        if (c == u'\n') {
            if (started && finished)
                out += u'\n';  // an empty line
            started = true;
            finished = true;
            continue;
        }
        if (started && finished)
            out += u'\n';
        out += c;
        started = true;
        finished = false;
    }
    if (out.isEmpty())
        return;
    QTextCursor cursor(edit->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(out);
    edit->moveCursor(QTextCursor::End);
    edit->ensureCursorVisible();
}

void CommandLine::addText(const QString& text)
{
    shown_.put(history_, text);
    if (text_ && text_->window()->isVisible())
        textShown_.put(text_, text);
}

void CommandLine::addLine(const QString& text) { addText((shown_.finished ? QString() : QString("\n")) + text + "\n"); }

QString CommandLine::history() const { return history_->toPlainText(); }

void CommandLine::setPrompt(const QString& prompt) { prompt_->setText(prompt); }

QString CommandLine::prompt() const { return prompt_->text(); }

void CommandLine::toggleTextWindow()
{
    if (!text_) {
        auto* window = new QWidget(this, Qt::Window);
        window->setObjectName("commandTextWindow");
        window->setWindowTitle("korcad - Textfenster");
        text_ = historyEdit(window, "commandText");
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(text_);
        QFontMetrics fm(text_->font());
        window->resize(fm.averageCharWidth() * 100, fm.lineSpacing() * 30);
        auto* f2 = new QShortcut(QKeySequence(Qt::Key_F2), window);
        connect(f2, &QShortcut::activated, this, &CommandLine::toggleTextWindow);
    }
    QWidget* window = text_->window();
    if (window->isVisible()) {
        window->hide();
        this->window()->activateWindow();
        return;
    }
    text_->setPlainText(history());
    textShown_ = shown_;
    text_->moveCursor(QTextCursor::End);
    window->show();
    window->raise();
    window->activateWindow();
}

int EchoBuffer::overflow(int c)
{
    if (c == traits_type::eof())
        return traits_type::not_eof(c);
    char ch = static_cast<char>(c);
    take(&ch, 1);
    return next_->sputc(ch);
}

std::streamsize EchoBuffer::xsputn(const char* s, std::streamsize n)
{
    take(s, static_cast<size_t>(n));
    return next_->sputn(s, n);
}

void EchoBuffer::take(const char* s, size_t n)
{
    if (!sink_)
        return;
    held_.append(s, n);
    // Hand over up to the last whole character: a lead byte whose sequence is not complete
    // yet waits for the rest.
    size_t cut = held_.size();
    size_t lead = held_.size();
    while (lead > 0 && held_.size() - lead < 4 && (static_cast<unsigned char>(held_[lead - 1]) & 0xC0) == 0x80)
        --lead;
    if (lead > 0) {
        auto b = static_cast<unsigned char>(held_[lead - 1]);
        size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        if (held_.size() - (lead - 1) < length)
            cut = lead - 1;
    }
    if (cut == 0)
        return;
    std::string text = held_.substr(0, cut);
    held_.erase(0, cut);
    sink_(text);
}

WindowInput::WindowInput(MainWindow& window, std::function<const UserInput*()> input,
                         std::function<std::unique_ptr<InputSource>()> fallback, std::ostream* transcript)
    : window_(window), input_(std::move(input)), makeFallback_(std::move(fallback)), transcript_(transcript)
{
}

WindowInput::~WindowInput() = default;

InputSource* WindowInput::fallback()
{
    if (fallback_ || !makeFallback_)
        return fallback_.get();
    // A display that cannot be reached leaves the window layer on its offscreen fallback,
    // where nobody could type.
    if (window_.handle() && QGuiApplication::platformName() != QLatin1String("offscreen"))
        return nullptr;
    fallback_ = makeFallback_();
    return fallback_.get();
}

bool WindowInput::interactive() const { return fallback_ ? fallback_->interactive() : true; }

std::optional<std::string> WindowInput::readLine(const std::string& prompt)
{
    if (InputSource* terminal = fallback())
        return terminal->readLine(prompt);
    window_.handle();
    QPointer<CommandLine> line = window_.commandLine();
    QPointer<DrawingView> view = window_.view();
    QPointer<MainFrame> main = window_.window();
    if (!line || !main || window_.closed())
        return std::nullopt;  // the window is closed: the input has ended
    window_.refresh();
    const ads::InputRequest* request = input_ ? (input_() ? input_()->pending() : nullptr) : nullptr;
    bool picks = request && (request->kind == ads::InputKind::Point || request->kind == ads::InputKind::Corner ||
                             request->kind == ads::InputKind::Distance || request->kind == ads::InputKind::Entity);
    if (view && picks) {
        view->setPickMode(request->kind == ads::InputKind::Entity ? DrawingView::PickMode::Entity
                                                                  : DrawingView::PickMode::Point);
        if (request->hasBase)
            view->setRubberBand(QPointF(request->base[0], request->base[1]));
    }
    QString shown = QString::fromStdString(prompt).trimmed();
    line->setPrompt(shown);
    if (!main->isActiveWindow())
        main->activateWindow();
    line->input()->setFocus();
    if (transcript_)
        *transcript_ << prompt << std::flush;

    QEventLoop loop;
    std::optional<std::string> answer;
    bool ended = false;
    auto c1 = QObject::connect(line, &CommandLine::entered, &loop, [&](const QString& text) {
        answer = text.toStdString();
        loop.quit();
    });
    auto c2 = QObject::connect(line, &CommandLine::escaped, &loop, [&] { loop.quit(); });
    QMetaObject::Connection c3;
    if (view && picks)
        c3 = QObject::connect(view, &DrawingView::clicked, &loop, [&](QPointF p, Qt::MouseButton button) {
            if (button != Qt::LeftButton)
                return;
            char buf[96];
            std::snprintf(buf, sizeof buf, "%.10g,%.10g", p.x(), p.y());
            answer = buf;
            loop.quit();
        });
    auto end = [&] {
        ended = true;
        loop.quit();
    };
    auto c4 = QObject::connect(main, &MainFrame::closed, &loop, end);
    auto c5 = QObject::connect(main, &QObject::destroyed, &loop, end);
    window_.setWaiting(true);
    loop.exec();
    window_.setWaiting(false);
    for (const auto& c : {c1, c2, c3, c4, c5})
        QObject::disconnect(c);
    if (view) {
        view->clearRubberBand();
        view->setPickMode(DrawingView::PickMode::None);
    }
    if (line)
        line->setPrompt(QString());
    if (ended || !line) {
        if (transcript_)
            *transcript_ << '\n' << std::flush;
        return std::nullopt;
    }
    if (!answer) {
        line->addLine(shown + " *Abbruch*");
        if (transcript_)
            *transcript_ << "*Abbruch*\n" << std::flush;
        // Escape: the prompt is cancelled, as at the end of the input.
        throw LineCancelled();
    }
    line->addLine(shown + " " + QString::fromStdString(*answer));
    if (transcript_)
        *transcript_ << *answer << '\n' << std::flush;
    return answer;
}

}  // namespace korcad
