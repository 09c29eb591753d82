// The window side of a korcad session.
#include "app/DialogWiring.h"

#include "gui/AnswerRunner.h"
#include "cad/CadHost.h"
#include "gui/CommandLine.h"
#include "cad/Commands.h"
#include "gui/DrawingView.h"
#include "gui/EchoBuffer.h"
#include "gui/MainWindow.h"
#include "gui/MainFrame.h"
#include "cad/UserInput.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>

#include "mfc/afx.h"
#include "mfc/afxhost.h"
#include "uidriver/afxdriver.h"

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <iostream>

namespace korcad {

namespace {

// A dialog's picture is named after its caption (letters and digits kept, the rest one '-'),
// else after its template: "Linienstärke-Auswahl", "30018".
std::string shotName(CDialog& dialog)
{
    CString title;
    dialog.GetWindowText(title);
    std::wstring name;
    for (wchar_t c : std::wstring(title.GetString())) {
        if (std::iswalnum(static_cast<wint_t>(c)) || c > 0x7f)
            name += c;
        else if (!name.empty() && name.back() != L'-')
            name += L'-';
        if (name.size() >= 60)
            break;
    }
    while (!name.empty() && name.back() == L'-')
        name.pop_back();
    return name.empty() ? std::to_string(dialog.GetTemplateId()) : AfxToUtf8(name.c_str());
}

}  // namespace

namespace {

// Clicks the drawing view at a drawing point through the mouse, as a person does: the view
// comes up if it is not shown, brings the point into sight, and answers with the point its
// click gives (snapped in point mode; the rubber band from the base point of a distance or
// corner). Nothing when there is no view to click.
std::optional<QPointF> clickView(MainWindow& window, const ads::InputRequest* request, double x, double y)
{
    window.handle();
    DrawingView* view = window.view();
    if (!view)
        return std::nullopt;
    bool entity = request && request->kind == ads::InputKind::Entity;
    view->setPickMode(entity ? DrawingView::PickMode::Entity : DrawingView::PickMode::Point);
    if (request && request->hasBase)
        view->setRubberBand(QPointF(request->base[0], request->base[1]));
    view->showPoint(QPointF(x, y));
    QPointF at = view->toScreenF(QPointF(x, y));
    std::optional<QPointF> got;
    auto connection = QObject::connect(view, &DrawingView::clicked, [&](QPointF p, Qt::MouseButton button) {
        if (button == Qt::LeftButton)
            got = p;
    });
    QPointF global = view->mapToGlobal(at);
    QMouseEvent move(QEvent::MouseMove, at, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &move);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(view, &release);
    QObject::disconnect(connection);
    view->clearRubberBand();
    view->setPickMode(DrawingView::PickMode::None);
    return got;
}

// Prompts answered by the `input`, `pick` and `key Escape` lines of the answers file, echoed
// like a person's typing.
class AnswerInput : public InputSource {
public:
    AnswerInput(AnswerRunner& runner, MainWindow& window, Session& session, std::ostream& echo)
        : runner_(runner), window_(window), session_(session), echo_(echo)
    {
    }
    std::optional<std::string> readLine(const std::string& prompt) override
    {
        // With every answer used, the input has ended, as a terminal's does at end of file:
        // the command line closes, a LISP prompt is cancelled.
        if (runner_.remaining() == 0)
            return std::nullopt;
        PromptAnswer answer;
        if (!runner_.nextPromptAnswer(answer, prompt))
            return std::nullopt;
        if (answer.kind == PromptAnswer::Kind::Cancel) {
            echo_ << prompt << "*Abbruch*\n";
            return std::nullopt;
        }
        std::string line = AfxToUtf8(answer.text.c_str());
        if (answer.kind == PromptAnswer::Kind::Pick) {
            auto p = clickView(window_, session_.userInput().pending(), answer.x, answer.y);
            if (!p) {
                std::cerr << "korcad: pick " << answer.x << "," << answer.y << ": no drawing view to click"
                          << std::endl;
                std::_Exit(kExitAnswers);
            }
            char buf[96];
            std::snprintf(buf, sizeof buf, "%.10g,%.10g", p->x(), p->y());
            line = buf;
        }
        echo_ << prompt << line << "\n";
        return line;
    }

private:
    AnswerRunner& runner_;
    MainWindow& window_;
    Session& session_;
    std::ostream& echo_;
};

}  // namespace

DialogWiring::DialogWiring() = default;

DialogWiring::~DialogWiring()
{
    for (EchoBuffer* echo : echoes_)
        echo->setSink({});
    if (shotsListener_)
        AfxRemoveDialogListener(shotsListener_);
    if (cancelListener_)
        AfxRemoveDialogListener(cancelListener_);
}

bool DialogWiring::install(Session& session, std::string* error)
{
    const Options& options = session.options();
    mainWindow_ = std::make_unique<MainWindow>(AfxFromUtf8(std::filesystem::path(options.drawing).filename().string()));
    AfxHostSetApplicationName(L"korcad");
    MainWindow* window = mainWindow_.get();
    CadHost* host = &session.host();
    window->setDrawingSource([host]() -> const Drawing* { return host->drawing(host->currentDrawing()); });
    // The view shows whichever drawing is current, also when the window was made before the
    // session opened it.
    host->setDrawingListener([window, host] { window->setDrawing(host->drawing(host->currentDrawing())); });
    session.host().setWindows([window] { return window->handle(); },
                              [window] { return window->drawingViewHandle(); });
    session.commands().setZoomExtents([window] {
        if (DrawingView* view = window->view())
            view->zoomExtents();
    });
    CadHost::Graphics graphics;
    // A vector drawn shows the window, as a prompt does.
    graphics.vector = [window](const double from[2], const double to[2], int colour, bool highlight) {
        window->handle();
        if (DrawingView* view = window->view())
            view->addTemporaryVector({QPointF(from[0], from[1]), QPointF(to[0], to[1]), colour, highlight});
    };
    graphics.clear = [window] {
        if (DrawingView* view = window->view())
            view->clearTemporaryVectors();
    };
    graphics.highlight = [window](std::vector<uint32_t> ids) {
        if (DrawingView* view = window->view())
            view->setHighlighted(std::move(ids));
    };
    graphics.view = [window](double cx, double cy, double height, double width) {
        if (DrawingView* view = window->view())
            view->setView(QPointF(cx, cy), std::min(view->width() / width, view->height() / height));
    };
    host->setGraphics(std::move(graphics));

    if (!options.shotsDir.empty()) {
        // Every dialog is saved as it opens, as DIR/NNN-<its caption>.png.
        shotsDir_ = options.shotsDir;
        shotsListener_ = AfxAddDialogListener([this](CDialog& dialog, AfxDialogEvent event) {
            if (event != AfxDialogEvent::Opened)
                return;
            char number[16];
            std::snprintf(number, sizeof number, "%03d-", ++shotCount_);
            afxdriver::Result r = afxdriver::shot(dialog, shotsDir_ + "/" + number + shotName(dialog) + ".png");
            if (!r)
                std::cerr << "korcad: screenshot: " << r.message << std::endl;
        });
    }
    if (options.answersFile.empty())
        return true;

    std::vector<Action> actions;
    if (!loadAnswers(options.answersFile, actions, error))
        return false;  // the message names the file and the line
    // An answer that does not fit stops the run at once: whatever the program does next
    // would be built on a dialog the file did not mean.
    runner_ = std::make_unique<AnswerRunner>(std::move(actions), [](const std::string& message) {
        std::cout.flush();
        std::cerr << "korcad: " << message << std::endl;
        std::_Exit(kExitAnswers);
    });
    runner_->setShotsDirectory(options.shotsDir);
    session.setInput(std::make_unique<AnswerInput>(*runner_, *mainWindow_, session, std::cout));
    return true;
}

void DialogWiring::useWindow(Session& session, EchoBuffer* out, EchoBuffer* err,
                             std::function<std::unique_ptr<InputSource>()> terminal, bool now)
{
    Session* s = &session;
    MainWindow* window = mainWindow_.get();
    for (EchoBuffer* echo : {out, err}) {
        if (!echo)
            continue;
        echo->setSink([window](const std::string& text) { window->print(text); });
        echoes_.push_back(echo);
    }
    // The transcript of prompts and answers goes to standard output only: the history shows
    // each prompt with its answer itself.
    transcript_ = std::make_unique<std::ostream>(out ? out->next() : std::cout.rdbuf());
    session.setInput(std::make_unique<WindowInput>(*window, [s] { return &s->userInput(); }, std::move(terminal),
                                                   transcript_.get()));
    windowInput_ = true;
    window->setCloseGuard([this, s] { return askToSave(*s); });
    // Closed while a program computes (between two prompts, its progress window drawn): the
    // program is cancelled as Ctrl-C cancels it. At a prompt, the input just ends.
    window->setOnClosed([window] {
        if (!window->waiting())
            lisp::requestInterrupt();
    });
    session.setQuitCheck([this, s] { return onScreen() ? askToSave(*s) : s->askToSaveAtPrompt(); });
    if (now)
        window->handle();
}

void DialogWiring::cancelUnanswerableDialogs()
{
    if (runner_ || cancelListener_)
        return;
    cancelListener_ = AfxAddDialogListener([this](CDialog& dialog, AfxDialogEvent event) {
        if (event != AfxDialogEvent::Opened)
            return;
        const bool closed = mainWindow_ && mainWindow_->closed();
        if (!closed && QGuiApplication::platformName() != QLatin1String("offscreen"))
            return;
        if (!closed) {
            std::cout.flush();
            std::cerr << "korcad: dialog " << afxdriver::describe(dialog)
                      << " cannot be answered: there is no display and no answers file (--answers); it is cancelled"
                      << std::endl;
        }
        // Cancelled as the Cancel button does it, so the dialog answers what it answers then;
        // a dialog that would not end that way ends all the same.
        dialog.SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        dialog.EndDialog(IDCANCEL);
    });
}

bool DialogWiring::onScreen() const
{
    return mainWindow_ && mainWindow_->window() && QGuiApplication::platformName() != QLatin1String("offscreen");
}

void DialogWiring::keepWindowOpen(Session& session)
{
    if (!windowInput_ || !onScreen() || mainWindow_->closed())
        return;
    session.repl();
}

bool DialogWiring::askToSave(Session& session)
{
    CadHost& host = session.host();
    Drawing* d = host.drawing(host.currentDrawing());
    if (!d || !d->modified())
        return true;
    QMessageBox box(QMessageBox::Question, "korcad",
                    "Änderungen an " + QString::fromStdWString(d->name()) + " speichern?", QMessageBox::NoButton,
                    mainWindow_->window());
    box.setObjectName("saveQuestion");
    QPushButton* yes = box.addButton("&Ja", QMessageBox::YesRole);
    QPushButton* no = box.addButton("&Nein", QMessageBox::NoRole);
    QPushButton* cancel = box.addButton("&Abbrechen", QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == no)
        return true;
    if (box.clickedButton() != yes)
        return false;
    return session.commands().run("QSAVE");
}

void DialogWiring::shootMainWindow()
{
    if (shotsDir_.empty() || !mainWindow_ || !mainWindow_->window())
        return;
    QMainWindow* w = mainWindow_->window();
    QApplication::processEvents();
    std::string path = shotsDir_ + "/korcad.png";
    std::error_code ec;
    std::filesystem::create_directories(shotsDir_, ec);
    if (ec)
        std::cerr << "korcad: screenshot: cannot make the folder " << shotsDir_ << ": " << ec.message() << std::endl;
    else if (!w->grab().save(QString::fromStdString(path)))
        std::cerr << "korcad: screenshot: cannot write " << path << std::endl;
}

bool DialogWiring::windowEventsWhileWaiting()
{
    if (!AfxHostUIStarted())
        return false;
    QCoreApplication::processEvents();
    return true;
}

size_t DialogWiring::unusedAnswers() const { return runner_ ? runner_->remaining() : 0; }

}  // namespace korcad
