// bench_view — the drawing view on a drawing of 100,000 entities: a redraw after a zoom against
// its floor, and picking an entity at a point.
//
// The drawing is made from examples/netz.dxf: its entities (pipes, hydrants and valves with
// attributes, texts, the old polyline with vertices, ...) repeated with offsets until the model
// space holds the number asked for.
//
//   frame      the view drawn anew after a zoom (DrawingView::grab, offscreen): finding what
//              is in the window through the index, mapping, pens, drawing, the image shown
//   floor      the same primitives drawn with QPainter straight from an array that already
//              holds them in screen coordinates with their pens, one call (or one batch of
//              lines) each, into an image of the same size
//   pick       Geometry::entityAt at random points of the drawing with the view's pick box
// Each figure is the median of the rounds; frame and floor alternate so a busy moment of this
// shared machine hits both alike. Two zooms: a quarter of the extents' width (a sixteenth of
// the drawing in the window, texts too small to read) and a fortieth (a few blocks, texts as
// glyphs).
//
//   build/bin/bench_view [ENTITIES] [ROUNDS]
#include "BigDrawing.h"
#include "drawing/Drawing.h"
#include "drawing/DrawingFile.h"
#include "gui/DrawingView.h"

#include "mfc/afxhost.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace {

using korcad::geom::Primitive;
using korcad::geom::Shape;
constexpr double kPi = 3.14159265358979323846;

using bench::median;
using bench::timeIt;

// The floor's array: what the view draws, already on the screen.
struct Item {
    enum Kind { Lines, Polygon, Arc, Circle, Points, Text } kind;
    int pen = 0;
    std::vector<QLineF> lines;
    QPolygonF polygon;
    QRectF rect;
    int a16 = 0, span16 = 0;
    std::vector<QPointF> points;
    QString text;
    QPointF at;
    int fontPixels = 0;
    double degrees = 0, widthFactor = 1;
};

struct Floor {
    std::vector<QPen> pens;
    std::vector<Item> items;
    size_t primitives = 0;
};

// The primitives of the view's window as the array the floor draws: the same shapes, pens and
// text decisions the view makes, worked out here once, outside the timing.
Floor floorOf(const korcad::DrawingView& view)
{
    Floor f;
    const auto& g = view.geometry();
    const double s = view.scale();
    QPointF lo = view.toDrawing(QPointF(-2, view.height() + 2)), hi = view.toDrawing(QPointF(view.width() + 2, -2));
    korcad::geom::Box area{lo.x(), lo.y(), hi.x(), hi.y()};
    std::vector<uint32_t> visible;
    for (uint32_t i = 0; i < g.primitives().size(); ++i)
        if (g.primitives()[i].box.meets(area))
            visible.push_back(i);
    f.primitives = visible.size();
    auto map = [&](korcad::geom::Point p) { return view.toScreenF(QPointF(p.x, p.y)); };
    QFont font("DejaVu Sans");
    font.setPixelSize(100);
    double capRatio = std::max(0.3, QFontMetricsF(font).capHeight() / 100.0);
    uint32_t lastRgb = 0xFFFFFFFF;
    int lastLt = -2;
    for (uint32_t i : visible) {
        const Primitive& p = g.primitives()[i];
        if (p.rgb != lastRgb || p.linetype != lastLt) {
            QPen pen(QColor((p.rgb >> 16) & 0xFF, (p.rgb >> 8) & 0xFF, p.rgb & 0xFF), 0);
            pen.setCapStyle(Qt::FlatCap);
            if (p.linetype >= 0) {
                double len = 0;
                QList<qreal> dashes;
                for (double v : g.linetypes()[p.linetype].pattern) {
                    len += std::fabs(v);
                    dashes.push_back(std::max(1.0, std::fabs(v) * s));
                }
                if (len * s >= 4 && dashes.size() % 2 == 0)
                    pen.setDashPattern(dashes);
            }
            f.pens.push_back(pen);
            lastRgb = p.rgb;
            lastLt = p.linetype;
        }
        int pen = static_cast<int>(f.pens.size()) - 1;
        Item it{};
        it.pen = pen;
        double wide = std::max(p.w0, p.w1) * s;
        switch (p.shape) {
        case Shape::Line:
            if (wide < 1.5) {
                if (!f.items.empty() && f.items.back().kind == Item::Lines && f.items.back().pen == pen) {
                    f.items.back().lines.emplace_back(map(p.a), map(p.b));
                    continue;
                }
                it.kind = Item::Lines;
                it.lines.emplace_back(map(p.a), map(p.b));
            } else {
                QPointF a = map(p.a), b = map(p.b), d = b - a;
                double len = std::hypot(d.x(), d.y());
                QPointF n = len > 0 ? QPointF(-d.y() / len, d.x() / len) : QPointF();
                it.kind = Item::Polygon;
                it.polygon << a + n * (p.w0 * s / 2) << b + n * (p.w1 * s / 2) << b - n * (p.w1 * s / 2) << a - n * (p.w0 * s / 2);
            }
            break;
        case Shape::Arc:
        case Shape::Circle: {
            double r = p.radius * s;
            QPointF c = map(p.a);
            if (r < 0.7) {
                it.kind = Item::Points;
                it.points.push_back(c);
                break;
            }
            it.kind = p.shape == Shape::Circle ? Item::Circle : Item::Arc;
            it.rect = QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r);
            it.a16 = static_cast<int>(std::lround(p.start * 180 / kPi * 16));
            it.span16 = static_cast<int>(std::lround((p.end - p.start) * 180 / kPi * 16));
            break;
        }
        case Shape::Point:
            it.kind = Item::Points;
            it.points.push_back(map(p.a));
            break;
        case Shape::Text: {
            double h = p.height * s;
            double cs = std::cos(p.rotation), sn = std::sin(p.rotation);
            if (h < 4) {
                double y = (p.bottom + p.top) / 2;
                korcad::geom::Point a{p.a.x + p.left * cs - y * sn, p.a.y + p.left * sn + y * cs};
                korcad::geom::Point b{p.a.x + p.right * cs - y * sn, p.a.y + p.right * sn + y * cs};
                it.kind = Item::Lines;
                it.lines.emplace_back(map(a), map(b));
                break;
            }
            it.kind = Item::Text;
            it.text = QString::fromStdWString(g.texts()[p.text]);
            it.at = map(p.a);
            it.fontPixels = std::max(1, static_cast<int>(std::lround(h / capRatio)));
            it.degrees = -p.rotation * 180 / kPi;
            it.widthFactor = p.widthFactor;
            break;
        }
        }
        f.items.push_back(std::move(it));
    }
    return f;
}

void drawFloor(const Floor& f, QImage& image)
{
    QPainter painter(&image);
    painter.fillRect(image.rect(), korcad::DrawingView::background());
    QFont font("DejaVu Sans");
    int fontPixels = -1;
    int pen = -1;
    for (const Item& it : f.items) {
        if (it.pen != pen) {
            pen = it.pen;
            painter.setPen(f.pens[pen]);
        }
        switch (it.kind) {
        case Item::Lines:
            painter.drawLines(it.lines.data(), static_cast<int>(it.lines.size()));
            break;
        case Item::Polygon:
            painter.setBrush(f.pens[pen].color());
            painter.drawPolygon(it.polygon);
            painter.setBrush(Qt::NoBrush);
            break;
        case Item::Arc:
            painter.drawArc(it.rect, it.a16, it.span16);
            break;
        case Item::Circle:
            painter.drawEllipse(it.rect);
            break;
        case Item::Points:
            painter.drawPoints(it.points.data(), static_cast<int>(it.points.size()));
            break;
        case Item::Text:
            if (it.fontPixels != fontPixels) {
                font.setPixelSize(it.fontPixels);
                painter.setFont(font);
                fontPixels = it.fontPixels;
            }
            painter.save();
            painter.translate(it.at);
            painter.rotate(it.degrees);
            painter.scale(it.widthFactor, 1);
            painter.drawText(QPointF(0, 0), it.text);
            painter.restore();
            break;
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    size_t entities = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    int rounds = argc > 2 ? std::atoi(argv[2]) : 15;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string error;
    if (!AfxHostInitUI(&error)) {
        std::fprintf(stderr, "bench_view: %s\n", error.c_str());
        return 1;
    }
    auto drawing = bench::bigDrawing(entities);
    korcad::DrawingView view;
    view.resize(1280, 800);
    view.show();
    double build = timeIt([&] { view.setDrawing(drawing.get()); });
    const auto& g = view.geometry();
    std::printf("drawing: %zu entities, %zu primitives; geometry and index built in %.0f ms\n", drawing->entityCount(),
                g.primitives().size(), build);

    view.zoomExtents();
    std::vector<double> extents;
    for (int r = 0; r < 3; ++r) {
        view.setView(view.centre(), view.scale());
        extents.push_back(timeIt([&] { (void)view.grab(); }));
    }
    const QPointF fullCentre = view.centre();
    const double fullScale = view.scale();
    std::printf("frame at the extents (everything in the window)   %8.2f ms\n", median(extents));

    for (double zoom : {4.0, 40.0}) {
        view.setView(fullCentre, fullScale);
        view.zoomAt(QPointF(view.width() * 0.4, view.height() * 0.6), zoom);
        Floor floor = floorOf(view);
        QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
        std::vector<double> frame, bare;
        QPointF c = view.centre();
        double s = view.scale();
        for (int r = 0; r < rounds; ++r) {
            view.setView(c, s);  // as after the zoom: the image is drawn anew
            frame.push_back(timeIt([&] { (void)view.grab(); }));
            bare.push_back(timeIt([&] { drawFloor(floor, image); }));
        }
        std::printf("zoom x%-3.0f %7zu primitives in the window: frame %7.2f ms, floor %7.2f ms, %.2fx floor\n", zoom,
                    floor.primitives, median(frame), median(bare), median(frame) / median(bare));
    }

    // Picks at random points of the drawing, with the pick box of the view at the first zoom.
    view.setView(fullCentre, fullScale * 4);
    auto e = g.extents();
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> x(e.x0, e.x1), y(e.y0, e.y1);
    const int picks = 20000;
    std::vector<korcad::geom::Point> points(picks);
    for (auto& p : points)
        p = {x(rng), y(rng)};
    double pickbox = view.pickBox() / view.scale();
    std::vector<double> perPick;
    size_t hits = 0;
    for (int r = 0; r < 5; ++r) {
        hits = 0;
        double ms = timeIt([&] {
            for (const auto& p : points)
                hits += g.entityAt(p, pickbox) != 0;
        });
        perPick.push_back(ms * 1000.0 / picks);
    }
    std::printf("pick (entityAt, pick box %.1f units): %.2f us per pick (%zu of %d hit)\n", pickbox, median(perPick), hits,
                picks);
    return 0;
}
