// The drawing view: colours and patterns in pixels, screen/drawing mapping, wheel zoom and
// middle-button pan by mouse events, clicks with snaps.
#include "drawing_util.h"

#include "gui/DrawingView.h"

#include "mfc/afxhost.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

using namespace drawingtest;
using korcad::DrawingView;

namespace {

class View : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        ASSERT_TRUE(AfxHostInitUI(&error)) << error;
    }
    void show(const std::string& dxf, QSize size = {240, 160})
    {
        drawing = readDrawing(dxf);
        view = std::make_unique<DrawingView>();
        view->resize(size);
        view->setDrawing(drawing.get());
        view->show();
        QApplication::processEvents();
    }
    void TearDown() override
    {
        view.reset();
        drawing.reset();
    }
    // A drawing colour as the view shows it.
    static QRgb shown(uint32_t rgb) { return DrawingView::shownColour(rgb).rgb(); }
    // Pixels of a colour in the picture.
    int count(QRgb colour)
    {
        QImage shot = view->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                n += (shot.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF);
        return n;
    }
    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent e(type, at, view->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &e);
    }
    void wheel(QPointF at, int delta)
    {
        QWheelEvent e(at, view->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(view.get(), &e);
    }

    std::unique_ptr<korcad::Drawing> drawing;
    std::unique_ptr<DrawingView> view;
};

void expectNear(QPointF a, QPointF b, double tolerance = 1e-6)
{
    EXPECT_NEAR(a.x(), b.x(), tolerance);
    EXPECT_NEAR(a.y(), b.y(), tolerance);
}

std::string netzText() { return readFile(netzPath()); }

}  // namespace

// Every kind is drawn in its colour: by layer, the wide polyline filled, an insert's parts on
// layer 0 in the insert's layer colour, texts in their layer's.
TEST_F(View, EntitiesAreDrawnInTheirColours)
{
    DxfBuilder b;
    b.ltype("DASHED", {2, -1}).layer("ROT", 1).layer("STRICH", 3, "DASHED").layer("TEXT", 4).layer("ARM", 6);
    b.block("H", 0, 0, {circle(0, 0, 2), line(-2, 0, 2, 0)});
    b.entity(line(0, 0, 40, 0, "ROT"))
        .entity(line(0, 5, 40, 5, "STRICH"))
        .entity(circle(55, 10, 8, "0", {{62, "2"}}))
        .entity(arc(55, 10, 4, 0, 180))
        .entity({{0, "POINT"}, {8, "0"}, {10, "70"}, {20, "0"}})
        .entity({{0, "LWPOLYLINE"}, {8, "0"}, {62, "5"}, {90, "3"}, {70, "0"}, {10, "0"}, {20, "-15"}, {40, "0"}, {41, "4"},
                 {10, "30"}, {20, "-15"}, {43, "0"}, {42, "1"}, {40, "2"}, {41, "2"}, {10, "50"}, {20, "-15"}})
        .entity(text(0, 20, 5, "Rohr", "TEXT"))
        .entity({{0, "MTEXT"}, {8, "TEXT"}, {10, "0"}, {20, "35"}, {40, "4"}, {71, "1"}, {1, "Zeile 1\\PZeile 2"}})
        .entity(insert("H", 70, 20, "ARM", {{41, "2"}, {42, "2"}}));
    show(b.text());
    EXPECT_GT(count(shown(0xFF0000)), 50);
    EXPECT_GT(count(shown(0x0000FF)), 100);
    EXPECT_GT(count(shown(0x00FFFF)), 100);
    EXPECT_GT(count(shown(0xFF00FF)), 30);
}

TEST_F(View, TheSampleDrawingAtItsExtentsAndWithAHighlight)
{
    show(netzText(), {320, 240});
    // The whole drawing is in the window.
    auto e = view->geometry().extents();
    QPoint lo = view->toScreen(QPointF(e.x0, e.y0)), hi = view->toScreen(QPointF(e.x1, e.y1));
    EXPECT_TRUE(lo.x() >= 0 && hi.x() <= view->width() && hi.y() >= 0 && lo.y() <= view->height());
    // Highlighting the pipes draws them dashed: fewer blue pixels.
    int solid = count(shown(0x0000FF));
    std::vector<uint32_t> mains = drawing->mainEntities();
    std::vector<uint32_t> pipes(mains.begin(), mains.begin() + 4);
    view->setHighlighted(pipes);
    int dashed = count(shown(0x0000FF));
    EXPECT_LT(dashed, solid * 0.9);
    EXPECT_GT(dashed, solid * 0.2);
}

// Linetype patterns become dashes in pixels (here ten to the unit), starting where the pattern
// starts: a dot is a pixel long; a pattern starting with a gap has it at the end and the line
// starts there; one ending with a dash joins it to the first; finer than the screen shows or
// without a gap: continuous.
TEST(ViewLinetypes, PatternsBecomeDashesInPixelsStartingWhereThePatternStarts)
{
    const std::tuple<std::vector<double>, double, QList<qreal>, qreal> cases[] = {
        {{0.5, -0.25}, 10, {5, 2.5}, 0},     {{2, -0.5, 0, -0.5}, 10, {20, 5, 1, 5}, 0},
        {{-0.2, 1, -0.3}, 10, {10, 5}, 13},  {{1, -0.5, 0}, 10, {11, 5}, 1},
        {{0.5, -0.25}, 4, {}, -1},           {{1, 2}, 10, {}, -1},
        {{}, 10, {}, -1}};
    for (const auto& [pattern, scale, dashes, start] : cases) {
        qreal offset = -1;
        EXPECT_EQ(DrawingView::dashPattern(pattern, scale, &offset), dashes) << ::testing::PrintToString(pattern);
        EXPECT_TRUE(dashes.isEmpty() || offset == start) << ::testing::PrintToString(pattern);
    }
}

TEST(ViewColours, DarkColoursAreLightenedOnTheBackgroundLightOnesKept)
{
    for (uint32_t kept : {0xFFFFFFu, 0xFFFF00u, 0x00FFFFu, 0x00FF00u, 0x808080u})
        EXPECT_EQ(DrawingView::shownColour(kept).rgb() & 0xFFFFFF, kept);
    // Colour 5's blue stays blue, light enough to read over the background.
    QColor blue = DrawingView::shownColour(0x0000FF);
    EXPECT_EQ(blue.blue(), 255);
    EXPECT_EQ(blue.red(), blue.green());
    EXPECT_GT(blue.lightnessF(), DrawingView::background().lightnessF() + 0.4);
}

TEST_F(View, EntitiesAtTheEndsOfTheNumbersLeaveTheRestVisibleAtTheExtents)
{
    DxfBuilder b;
    b.layer("AN", 1);
    b.entity(line(0, 0, 10, 10, "AN"))
        .entity(line(1e308, 1e308, 1.7e308, 1.7e308, "AN"))
        .entity(line(-1.7e308, -1e308, -1e308, -1.7e308, "AN"));
    show(b.text());
    view->zoomExtents();
    EXPECT_GT(count(shown(0xFF0000)), 100) << "the line near the origin fills the view";
    expectNear(view->centre(), QPointF(5, 5));
}

// A point in the window stays where it is; one outside is brought to the middle.
TEST_F(View, ShowPointMovesOnlyForAPointOutsideTheWindow)
{
    show(netzText(), {300, 200});
    expectNear(view->toDrawing(QPointF(150, 100)), view->centre());
    QPointF inside = view->centre() + QPointF(10, 10), centre = view->centre();
    view->showPoint(inside);
    expectNear(view->centre(), centre);
    view->showPoint(QPointF(5000, -300));
    expectNear(view->centre(), QPointF(5000, -300));
}

TEST_F(View, TheWheelZoomsAboutTheCursor)
{
    show(netzText(), {300, 200});
    QPointF at(60, 150);
    QPointF under = view->toDrawing(at);
    double scale = view->scale();
    wheel(at, 120);
    EXPECT_NEAR(view->scale(), scale * 1.25, 1e-9);
    expectNear(view->toDrawing(at), under, 1e-9);
    wheel(at, -240);
    EXPECT_NEAR(view->scale(), scale / 1.25, 1e-9);
    expectNear(view->toDrawing(at), under, 1e-9);
}

TEST_F(View, TheMiddleButtonPansAndItsDoubleClickZoomsToExtents)
{
    show(netzText(), {300, 200});
    QPointF centre = view->centre();
    double scale = view->scale();
    QSignalSpy clicks(view.get(), &DrawingView::clicked);
    mouse(QEvent::MouseButtonPress, QPointF(100, 100), Qt::MiddleButton, Qt::MiddleButton);
    QPointF grabbed = view->toDrawing(QPointF(100, 100));
    mouse(QEvent::MouseMove, QPointF(130, 80), Qt::NoButton, Qt::MiddleButton);
    mouse(QEvent::MouseMove, QPointF(160, 120), Qt::NoButton, Qt::MiddleButton);
    mouse(QEvent::MouseButtonRelease, QPointF(160, 120), Qt::MiddleButton, Qt::NoButton);
    // The drawing point grabbed moved with the mouse; the zoom stayed.
    expectNear(view->toDrawing(QPointF(160, 120)), grabbed, 1e-9);
    EXPECT_DOUBLE_EQ(view->scale(), scale);
    EXPECT_NEAR(view->centre().x(), centre.x() - 60 / scale, 1e-9);
    EXPECT_NEAR(view->centre().y(), centre.y() + 20 / scale, 1e-9);
    // Moving without the button does not pan.
    mouse(QEvent::MouseMove, QPointF(10, 10), Qt::NoButton, Qt::NoButton);
    expectNear(view->toDrawing(QPointF(160, 120)), grabbed, 1e-9);
    EXPECT_EQ(clicks.count(), 0);
    mouse(QEvent::MouseButtonDblClick, QPointF(10, 10), Qt::MiddleButton, Qt::MiddleButton);
    expectNear(view->centre(), centre, 1e-9);
    EXPECT_DOUBLE_EQ(view->scale(), scale);
}

TEST_F(View, ClicksGiveSnappedPointsInPointModeAndF3SwitchesSnapping)
{
    DxfBuilder b;
    b.entity(line(0, 0, 100, 0)).entity(circle(50, 50, 20));
    show(b.text(), {300, 200});
    view->setView(QPointF(50, 25), 2.0);  // 2 pixels per unit
    QSignalSpy clicks(view.get(), &DrawingView::clicked);
    QSignalSpy moves(view.get(), &DrawingView::cursorMoved);
    QPointF nearEnd = view->toScreenF(QPointF(1.5, 1.5));  // 4.2 pixels from the end point
    view->setPickMode(DrawingView::PickMode::Point);
    mouse(QEvent::MouseMove, nearEnd, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(moves.count(), 1);
    expectNear(moves.at(0).at(0).toPointF(), QPointF(1.5, 1.5), 1e-9);  // the cursor, not the snap
    mouse(QEvent::MouseButtonPress, nearEnd, Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(clicks.count(), 1);
    expectNear(clicks.at(0).at(0).toPointF(), QPointF(0, 0));
    EXPECT_EQ(clicks.at(0).at(1).value<Qt::MouseButton>(), Qt::LeftButton);
    // On the circle: its centre.
    mouse(QEvent::MouseButtonPress, view->toScreenF(QPointF(50, 71)), Qt::LeftButton, Qt::LeftButton);
    expectNear(clicks.at(1).at(0).toPointF(), QPointF(50, 50));
    // F3: snapping off, the point under the cursor.
    QSignalSpy toggles(view.get(), &DrawingView::snapToggled);
    QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
    QApplication::sendEvent(view.get(), &f3);
    ASSERT_EQ(toggles.count(), 1);
    EXPECT_FALSE(view->snapOn());
    mouse(QEvent::MouseButtonPress, nearEnd, Qt::LeftButton, Qt::LeftButton);
    expectNear(clicks.at(2).at(0).toPointF(), QPointF(1.5, 1.5), 1e-9);
    // Outside point mode no snap either, whatever F3 says.
    view->setSnapOn(true);
    view->setPickMode(DrawingView::PickMode::Entity);
    mouse(QEvent::MouseButtonPress, nearEnd, Qt::RightButton, Qt::RightButton);
    expectNear(clicks.at(3).at(0).toPointF(), QPointF(1.5, 1.5), 1e-9);
    EXPECT_EQ(clicks.at(3).at(1).value<Qt::MouseButton>(), Qt::RightButton);
}

TEST_F(View, TheSnapMarkerAndTheRubberBandAreDrawnOverTheDrawing)
{
    DxfBuilder b;
    b.entity(line(0, 0, 100, 0));
    show(b.text(), {300, 200});
    view->setView(QPointF(50, 25), 2.0);
    view->setPickMode(DrawingView::PickMode::Point);
    const QRgb marker = qRgb(255, 190, 0);
    EXPECT_EQ(count(marker), 0);
    mouse(QEvent::MouseMove, view->toScreenF(QPointF(99, 2)), Qt::NoButton, Qt::NoButton);
    EXPECT_GT(count(marker), 20);
    // The rubber band from (0,0) to the snapped end (100,0) lies on the line: it adds pixels
    // only along the line; one from (0,40) crosses the view.
    view->setRubberBand(QPointF(50, 40));
    QImage shot = view->grab().toImage();
    QPoint mid = view->toScreen(QPointF(75, 20));
    EXPECT_NE(shot.pixel(mid) & 0xFFFFFF, DrawingView::background().rgb() & 0xFFFFFF);
    view->clearRubberBand();
    shot = view->grab().toImage();
    EXPECT_EQ(shot.pixel(mid) & 0xFFFFFF, DrawingView::background().rgb() & 0xFFFFFF);
}
