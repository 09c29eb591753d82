// The command line in korcad's window: prompts answered by typing, by a click in the drawing
// view (snapped in point mode, an entity in entity mode), Escape cancelling, and the history.
#include "CommandLine.h"
#include "DrawingFile.h"
#include "DrawingView.h"
#include "MainWindow.h"
#include "UserInput.h"

#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <sstream>

namespace {

using namespace korcad;

class WindowCommandLine : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        drawing_ = loadDrawing(std::string(EXAMPLES_DIR) + "/netz.dxf", &error);
        ASSERT_TRUE(drawing_) << error;
        window_.setDrawing(drawing_.get());
        ASSERT_TRUE(window_.handle());
        QApplication::processEvents();
        source_ = std::make_unique<WindowInput>(window_, [this] { return input_.get(); });
        input_ = std::make_unique<UserInput>([this]() -> InputSource& { return *source_; }, echo_);
        input_->setEntityFinder([this](const double p[3], ads_name e) {
            uint32_t id = window_.view()->geometry().entityAt(geom::Point{p[0], p[1]}, 0.5);
            if (id)
                drawing_->nameOf(id, e);
            return id != 0;
        });
    }
    // Does `act` once the prompt waits.
    void then(std::function<void()> act) { QTimer::singleShot(0, std::move(act)); }
    void click(double x, double y)
    {
        DrawingView* v = window_.view();
        QPointF at = v->toScreenF(QPointF(x, y));
        QTest::mouseMove(v, at.toPoint());
        QTest::mouseClick(v, Qt::LeftButton, Qt::NoModifier, at.toPoint());
    }

    std::unique_ptr<Drawing> drawing_;
    MainWindow window_{L"netz.dxf"};
    std::ostringstream echo_;
    std::unique_ptr<WindowInput> source_;
    std::unique_ptr<UserInput> input_;
};

TEST_F(WindowCommandLine, TypedAnswersAndTheHistory)
{
    CommandLine* line = window_.commandLine();
    ASSERT_TRUE(line);
    then([line] { QTest::keyClicks(line->input(), "12.5"), QTest::keyClick(line->input(), Qt::Key_Return); });
    ads::InputRequest r;
    r.kind = ads::InputKind::Real;
    r.prompt = L"Wert: ";
    ads::InputAnswer a;
    ASSERT_EQ(input_->get(r, a), RTNORM);
    EXPECT_EQ(a.real, 12.5);
    EXPECT_TRUE(line->history().contains("Wert: 12.5")) << line->history().toStdString();
}

TEST_F(WindowCommandLine, AClickInTheViewAnswersPointsWithSnapsAndEntities)
{
    ads::InputRequest r;
    r.kind = ads::InputKind::Point;
    r.prompt = L"Punkt: ";
    ads::InputAnswer a;
    then([this] { click(60.2, 0.1); });
    ASSERT_EQ(input_->get(r, a), RTNORM);
    EXPECT_NEAR(a.point[0], 60.0, 1e-9);  // the endpoint snap
    EXPECT_NEAR(a.point[1], 0.0, 1e-9);

    r.kind = ads::InputKind::Entity;
    r.prompt = L"Objekt wählen: ";
    then([this] { click(30.0, 1.5); });
    ASSERT_EQ(input_->get(r, a), RTNORM);
    ads::RbPtr groups = drawing_->entGet(a.entity);
    ASSERT_TRUE(groups);
    EXPECT_EQ(std::wstring(groups->rbnext->resval.rstring), L"INSERT");
}

TEST_F(WindowCommandLine, EscapeCancelsThePrompt)
{
    CommandLine* line = window_.commandLine();
    then([line] { QTest::keyClick(line->input(), Qt::Key_Escape); });
    ads::InputRequest r;
    r.kind = ads::InputKind::Point;
    r.prompt = L"Punkt: ";
    ads::InputAnswer a;
    EXPECT_EQ(input_->get(r, a), RTCAN);
    EXPECT_TRUE(line->history().contains("Punkt: *Abbruch*"));
    EXPECT_EQ(window_.view()->pickMode(), DrawingView::PickMode::None);
}

}  // namespace
