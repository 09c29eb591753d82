#include "CommandLine.h"

#include "DrawingView.h"
#include "MainWindow.h"
#include "UserInput.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QVBoxLayout>

#include <cstdio>

namespace korcad {

CommandLine::CommandLine(QWidget* parent) : QWidget(parent)
{
    setObjectName("commandLine");
    history_ = new QPlainTextEdit(this);
    history_->setObjectName("commandHistory");
    history_->setReadOnly(true);
    history_->setMaximumBlockCount(500);
    history_->setFocusPolicy(Qt::NoFocus);
    QFontMetrics fm(history_->font());
    history_->setFixedHeight(fm.lineSpacing() * 4 + 8);
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
    layout->addWidget(history_);
    layout->addLayout(row);
    connect(input_, &QLineEdit::returnPressed, this, [this] {
        QString text = input_->text();
        input_->clear();
        emit entered(text);
    });
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

void CommandLine::addLine(const QString& text) { history_->appendPlainText(text); }

QString CommandLine::history() const { return history_->toPlainText(); }

void CommandLine::setPrompt(const QString& prompt) { prompt_->setText(prompt); }

int EchoBuffer::overflow(int c)
{
    if (c == traits_type::eof())
        return traits_type::not_eof(c);
    take(static_cast<char>(c));
    return next_->sputc(static_cast<char>(c));
}

std::streamsize EchoBuffer::xsputn(const char* s, std::streamsize n)
{
    for (std::streamsize i = 0; i < n; ++i)
        take(s[i]);
    return next_->sputn(s, n);
}

void EchoBuffer::take(char c)
{
    if (c != '\n') {
        line_ += c;
        return;
    }
    if (sink_ && !line_.empty())
        sink_(line_);
    line_.clear();
}

WindowInput::WindowInput(MainWindow& window, std::function<const UserInput*()> input)
    : window_(window), input_(std::move(input))
{
}

std::optional<std::string> WindowInput::readLine(const std::string& prompt)
{
    window_.handle();
    QPointer<CommandLine> line = window_.commandLine();
    QPointer<DrawingView> view = window_.view();
    QPointer<QMainWindow> main = window_.window();
    if (!line || !main)
        return std::nullopt;
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
    line->input()->setFocus();

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
    auto c4 = QObject::connect(main, &QObject::destroyed, &loop, [&] {
        ended = true;
        loop.quit();
    });
    loop.exec();
    QObject::disconnect(c1);
    QObject::disconnect(c2);
    QObject::disconnect(c3);
    QObject::disconnect(c4);
    if (ended || !line)
        return std::nullopt;
    if (view) {
        view->clearRubberBand();
        view->setPickMode(DrawingView::PickMode::None);
    }
    line->setPrompt(QString());
    if (!answer) {
        line->addLine(shown + " *Abbruch*");
        // Escape: the prompt is cancelled, as at the end of the input.
        throw LineCancelled();
    }
    line->addLine(shown + " " + QString::fromStdString(*answer));
    return answer;
}

}  // namespace korcad
