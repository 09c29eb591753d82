// The command line in korcad's window: Escape, the history with korcad's output as it comes;
// the window in a session: the drawing it shows, closing it.
#include "drawing_util.h"

#include "cad/CadHost.h"
#include "gui/CommandLine.h"
#include "cad/Commands.h"
#include "app/DialogWiring.h"
#include "drawing/DrawingFile.h"
#include "gui/DrawingView.h"
#include "gui/MainWindow.h"
#include "gui/MainFrame.h"
#include "app/Session.h"
#include "cad/UserInput.h"

#include "mfc/afxhost.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace {

using namespace korcad;

class WindowCommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        drawing_ = loadDrawing(drawingtest::netzPath(), &error);
        ASSERT_TRUE(drawing_) << error;
        window_.setDrawing(drawing_.get());
        ASSERT_TRUE(window_.handle());
        QApplication::processEvents();
        source_ = std::make_unique<WindowInput>(window_, [this] { return input_.get(); });
        input_ = std::make_unique<UserInput>([this]() -> InputSource& { return *source_; }, echo_);
    }
    // Asks as a prompt does; `act` answers once the prompt waits. A prompt that `act` did not
    // end fails the test after 20 s and is then answered by a typed line, so it never hangs.
    int ask(ads::InputKind kind, const wchar_t* prompt, std::function<void()> act)
    {
        ads::InputRequest r;
        r.kind = kind;
        r.prompt = prompt;
        QTimer::singleShot(0, std::move(act));
        QTimer bound;
        bound.setSingleShot(true);
        QObject::connect(&bound, &QTimer::timeout, [this, kind] {
            ADD_FAILURE() << "the prompt still waited after 20 s";
            QLineEdit* field = window_.commandLine()->input();
            QTest::keyClicks(field, kind == ads::InputKind::Integer ? "0" : "0,0");
            QTest::keyClick(field, Qt::Key_Return);
        });
        bound.start(20000);
        return input_->get(r, answer_);
    }

    std::unique_ptr<Drawing> drawing_;
    MainWindow window_{L"netz.dxf"};
    std::ostringstream echo_;
    std::unique_ptr<WindowInput> source_;
    std::unique_ptr<UserInput> input_;
    ads::InputAnswer answer_;
};

// Escape in the command line cancels the prompt and ends the view's pick mode.
TEST_F(WindowCommandLine, EscapeCancelsThePrompt)
{
    CommandLine* line = window_.commandLine();
    EXPECT_EQ(ask(ads::InputKind::Point, L"Punkt: ", [line] { QTest::keyClick(line->input(), Qt::Key_Escape); }), RTCAN);
    EXPECT_TRUE(line->history().contains("Punkt: *Abbruch*"));
    EXPECT_EQ(window_.view()->pickMode(), DrawingView::PickMode::None);
}

// What korcad prints reaches the history as it is written, before any line end; a prompt stands
// on a line of its own; F2 shows it all in the text window.
TEST_F(WindowCommandLine, OutputShowsAsItComesAndF2ShowsItLarger)
{
    CommandLine* line = window_.commandLine();
    std::ostringstream standardOutput;
    EchoBuffer echo(standardOutput.rdbuf());
    echo.setSink([this](const std::string& text) { window_.print(text); });
    std::ostream out(&echo);
    out << "\nHallo Netz" << std::flush;
    EXPECT_TRUE(line->history().endsWith("\nHallo Netz")) << line->history().toStdString();
    out << " und Gr\xC3" << std::flush;  // a character cut between two writes
    EXPECT_TRUE(line->history().endsWith("Hallo Netz und Gr")) << line->history().toStdString();
    out << "\xB6\xC3\x9F" "e\n" << std::flush;
    EXPECT_TRUE(line->history().endsWith("Hallo Netz und Größe")) << line->history().toStdString();
    out << "offen";
    ASSERT_EQ(ask(ads::InputKind::Integer, L"\nAnzahl: ",
                  [line] { QTest::keyClicks(line->input(), "2"), QTest::keyClick(line->input(), Qt::Key_Return); }),
              RTNORM);
    EXPECT_TRUE(line->history().endsWith("Hallo Netz und Größe\noffen\nAnzahl: 2")) << line->history().toStdString();
    EXPECT_EQ(standardOutput.str(), "\nHallo Netz und Größe\noffen");


    QApplication::setActiveWindow(window_.window());
    QTest::keyClick(line->input(), Qt::Key_F2);
    QPlainTextEdit* text = line->textWindow();
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->window()->isVisible());
    EXPECT_EQ(text->toPlainText(), line->history());
    out << " und mehr\n" << std::flush;
    EXPECT_TRUE(text->toPlainText().endsWith("Anzahl: 2\n und mehr")) << text->toPlainText().toStdString();
    line->toggleTextWindow();
    EXPECT_FALSE(text->window()->isVisible());

    // Output before the window is made waits for it.
    MainWindow later(L"x.dxf");
    later.print("vorher\nund");
    ASSERT_TRUE(later.handle());
    EXPECT_EQ(later.commandLine()->history(), "vorher\nund");
}

// korcad's window in a session, as the command line opens it: before the session opens the
// drawing.
class WindowedSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/korcad-window-XXXXXX";
        ASSERT_TRUE(mkdtemp(dir));
        dir_ = dir;
        path_ = dir_ + "/netz.dxf";
        std::filesystem::copy_file(drawingtest::netzPath(), path_);
        Options o;
        o.drawing = path_;
        o.drawingGiven = true;
        o.noLoad = true;
        session_ = std::make_unique<Session>(o, in_, out_, err_);
        std::string error;
        ASSERT_TRUE(wiring_.install(*session_, &error)) << error;
        wiring_.useWindow(*session_, nullptr, nullptr, {}, true);
        main_ = qobject_cast<QMainWindow*>(AfxHostWidgetOf(session_->host().mainWindow()));
        view_ = qobject_cast<DrawingView*>(AfxHostWidgetOf(session_->host().drawingView()));
        ASSERT_TRUE(main_ && view_);
        ASSERT_TRUE(session_->start());
        QApplication::processEvents();
    }
    void TearDown() override
    {
        session_.reset();
        std::filesystem::remove_all(dir_);
    }
    // Presses the button of the question about unsaved changes once it shows.
    void answer(const QString& button, bool* asked)
    {
        QTimer::singleShot(0, [button, asked] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            *asked = box->text() == "Änderungen an netz.dxf speichern?";
            for (QAbstractButton* b : box->buttons())
                if (b->text() == button)
                    b->click();
        });
    }

    std::string dir_, path_;
    std::istringstream in_;
    std::ostringstream out_, err_;
    std::unique_ptr<Session> session_;
    DialogWiring wiring_;
    QMainWindow* main_ = nullptr;
    DrawingView* view_ = nullptr;
};

TEST_F(WindowedSession, TheViewShowsTheDrawingOpenedAfterTheWindowWasMadeAndZoomFitsIt)
{
    EXPECT_EQ(main_->windowTitle(), "korcad - netz.dxf");
    EXPECT_FALSE(view_->geometry().primitives().empty());

    const double fitted = view_->scale();
    view_->zoomAt(QPointF(view_->width() / 2.0, view_->height() / 2.0), 4);
    ASSERT_TRUE(session_->commands().run("ZOOM", {lisp::Value::string("G")}));
    EXPECT_DOUBLE_EQ(view_->scale(), fitted);
}

TEST_F(WindowedSession, ClosingWithUnsavedChangesAsksAndEndsTheInput)
{
    ASSERT_TRUE(session_->runExpression("(regapp \"KOR_X\")"));
    bool asked = false;
    answer("&Abbrechen", &asked);
    main_->close();
    EXPECT_TRUE(asked);
    EXPECT_TRUE(main_->isVisible()) << "Abbrechen keeps the window";

    asked = false;
    answer("&Ja", &asked);
    main_->close();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(main_->isVisible());
    EXPECT_NE(drawingtest::readFile(path_).find("KOR_X"), std::string::npos) << "Ja saved the drawing";
    EXPECT_EQ(session_->input().readLine("Befehl: "), std::nullopt) << "the window closed: the input has ended";
}

}  // namespace
