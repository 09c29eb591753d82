#include "gui/DrawingView.h"

#include "drawing/Drawing.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QWheelEvent>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace korcad {

using geom::Primitive;
using geom::Shape;

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMinScale = 1e-9, kMaxScale = 1e9;

}  // namespace

// A colour as the dark background shows it: one too dark to read there (the blue of colour 5,
// the dark reds and greys) is mixed with white until it is as light as a mid grey, as CAD
// programs lighten dark colours on a dark background; its hue stays. Light colours are as they are.
QColor DrawingView::shownColour(uint32_t rgb)
{
    double c[3] = {double((rgb >> 16) & 0xFF), double((rgb >> 8) & 0xFF), double(rgb & 0xFF)};
    const double luma = (0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2]) / 255;
    constexpr double kLeast = 0.45;
    if (luma < kLeast) {
        const double t = (kLeast - luma) / (1 - luma);
        for (double& v : c)
            v += t * (255 - v);
    }
    return QColor(int(c[0] + 0.5), int(c[1] + 0.5), int(c[2] + 0.5));
}

namespace {

QColor colourOf(uint32_t rgb) { return DrawingView::shownColour(rgb); }

}  // namespace

QList<qreal> DrawingView::dashPattern(const std::vector<double>& pattern, double unit, qreal* offset)
{
    QList<qreal> out;
    *offset = 0;
    double length = 0;
    for (double v : pattern)
        length += std::fabs(v);
    if (length * unit < 4)
        return out;
    // Alternating dash, gap, dash, ...: neighbours of one kind merge.
    std::vector<std::pair<bool, double>> runs;  // (dash?, pixels)
    for (double v : pattern) {
        bool dash = v >= 0;
        double px = v == 0 ? 1.0 : std::max(std::fabs(v) * unit, dash ? 1.0 : 0.5);
        if (!runs.empty() && runs.back().first == dash)
            runs.back().second += px;
        else
            runs.emplace_back(dash, px);
    }
    if (runs.size() < 2)
        return out;  // all dash or all gap: continuous
    if (!runs.front().first) {
        // Starts with a gap: the pattern begins with the dash after it, and the line starts
        // at the gap, moved to the end.
        double gap = runs.front().second;
        runs.erase(runs.begin());
        if (!runs.back().first)
            runs.back().second += gap;
        else
            runs.emplace_back(false, gap);
        double total = 0;
        for (const auto& r : runs)
            total += r.second;
        *offset = total - gap;
    } else if (runs.back().first) {
        // Ends with a dash: it joins the first one, and the line starts inside that.
        double last = runs.back().second;
        runs.pop_back();
        runs.front().second += last;
        *offset = last;
    }
    for (auto& r : runs)
        out.push_back(r.second);
    return out;
}

DrawingView::DrawingView(QWidget* parent) : QWidget(parent), geometry_(std::make_unique<geom::Geometry>())
{
    setObjectName("drawingView");
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor);  // the cross-hair is the cursor
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

DrawingView::~DrawingView() = default;

QColor DrawingView::background() { return QColor(0x21, 0x28, 0x30); }

void DrawingView::setDrawing(const Drawing* drawing)
{
    drawing_ = drawing;
    temporary_.clear();
    refresh();
    zoomExtents();
}

void DrawingView::refresh()
{
    revision_ = drawing_ ? drawing_->revision() : 0;
    // The drawing's global linetype scale ($LTSCALE) over each entity's own.
    ltscale_ = 1.0;
    if (drawing_) {
        std::string_view text = drawing_->headerValue("$LTSCALE");
        while (!text.empty() && text.front() == ' ')
            text.remove_prefix(1);
        double v = 0;  // read as the file writes it, whatever the locale
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
        if (ec == std::errc() && std::isfinite(v) && v > 0)
            ltscale_ = v;
    }
    geometry_ = drawing_ ? std::make_unique<geom::Geometry>(*drawing_) : std::make_unique<geom::Geometry>();
    texts_.clear();
    texts_.reserve(geometry_->texts().size());
    for (const auto& t : geometry_->texts())
        texts_.push_back(QString::fromStdWString(t));
    marks_.assign(geometry_->primitives().size(), 0);
    setHighlighted(highlighted_);
    snap_ = {};
    changed();
}

// ---- mapping ----------------------------------------------------------------------------------

QPointF DrawingView::toDrawing(QPointF s) const
{
    return {centre_.x() + (s.x() - width() / 2.0) / scale_, centre_.y() - (s.y() - height() / 2.0) / scale_};
}

QPointF DrawingView::toScreenF(QPointF d) const
{
    return {width() / 2.0 + (d.x() - centre_.x()) * scale_, height() / 2.0 - (d.y() - centre_.y()) * scale_};
}

void DrawingView::setView(QPointF centre, double scale)
{
    fit_ = false;
    apply(centre, scale);
}

void DrawingView::apply(QPointF centre, double scale)
{
    if (!std::isfinite(centre.x()) || !std::isfinite(centre.y()) || !std::isfinite(scale))
        return;
    centre_ = centre;
    scale_ = std::clamp(scale, kMinScale, kMaxScale);
    changed();
}

namespace {

// Coordinates beyond this are no place in any unit a drawing is made in: entities out there (a
// damaged file, a program's mistake) are kept and found by programs, but zooming to the
// extents shows the drawing without them, or the drawing would shrink to nothing.
constexpr double kFarthest = 1e15;

bool withinReach(const geom::Box& b)
{
    return std::fabs(b.x0) <= kFarthest && std::fabs(b.y0) <= kFarthest && std::fabs(b.x1) <= kFarthest &&
           std::fabs(b.y1) <= kFarthest;
}

}  // namespace

geom::Box DrawingView::shownExtents() const
{
    geom::Box all = geometry_->extents();
    if (all.empty() || withinReach(all))
        return all;
    geom::Box near;
    for (const auto& p : geometry_->primitives())
        if (withinReach(p.box))
            near.add(p.box);
    return near.empty() ? all : near;
}

void DrawingView::zoomExtents()
{
    geom::Box b = shownExtents();
    QPointF centre(0, 0);
    double scale = 1;
    if (!b.empty() && (b.x1 > b.x0 || b.y1 > b.y0)) {
        // Halves first: nothing overflows, however far apart the corners are.
        double w = std::max(2 * (b.x1 / 2 - b.x0 / 2), 1e-9), h = std::max(2 * (b.y1 / 2 - b.y0 / 2), 1e-9);
        centre = QPointF(b.x0 / 2 + b.x1 / 2, b.y0 / 2 + b.y1 / 2);
        // A margin of five per cent around the drawing.
        scale = std::min(std::max(width(), 1) / (w * 1.1), std::max(height(), 1) / (h * 1.1));
    } else if (!b.empty()) {
        centre = QPointF(b.x0, b.y0);
    }
    apply(centre, scale);
    fit_ = true;  // until the user moves the view, a new size fits the drawing again
}

void DrawingView::zoomAt(QPointF screen, double factor)
{
    if (!(factor > 0))
        return;
    QPointF fixed = toDrawing(screen);
    double scale = std::clamp(scale_ * factor, kMinScale, kMaxScale);
    // The drawing point under `screen` stays there.
    QPointF centre(fixed.x() - (screen.x() - width() / 2.0) / scale, fixed.y() + (screen.y() - height() / 2.0) / scale);
    setView(centre, scale);
}

void DrawingView::showPoint(QPointF drawing)
{
    QPointF at = toScreenF(drawing);
    if (at.x() < 0 || at.y() < 0 || at.x() > width() || at.y() > height())
        setView(drawing, scale_);
}

void DrawingView::panBy(QPointF pixels)
{
    setView(QPointF(centre_.x() - pixels.x() / scale_, centre_.y() + pixels.y() / scale_), scale_);
}

void DrawingView::changed()
{
    imageValid_ = false;
    if (cursorIn_)
        snap_ = snapAt(cursor_);
    update();
    emit viewChanged();
}

// ---- picks ------------------------------------------------------------------------------------

void DrawingView::setPickMode(PickMode mode)
{
    pickMode_ = mode;
    snap_ = cursorIn_ ? snapAt(cursor_) : geom::Snap{};
    update();
}

void DrawingView::setSnapModes(unsigned modes)
{
    snapModes_ = modes & geom::SnapAll;
    snap_ = cursorIn_ ? snapAt(cursor_) : geom::Snap{};
    update();
}

void DrawingView::setSnapOn(bool on)
{
    if (snapOn_ == on)
        return;
    snapOn_ = on;
    snap_ = cursorIn_ ? snapAt(cursor_) : geom::Snap{};
    update();
    emit snapToggled(on);
}

geom::Snap DrawingView::snapAt(QPointF screen) const
{
    if (pickMode_ != PickMode::Point || !snapOn_ || !snapModes_)
        return {};
    QPointF d = toDrawing(screen);
    return geometry_->snap({d.x(), d.y()}, aperture_ / scale_, snapModes_);
}

QPointF DrawingView::pointAt(QPointF screen) const
{
    geom::Snap s = snapAt(screen);
    return s.found ? QPointF(s.point.x, s.point.y) : toDrawing(screen);
}

uint32_t DrawingView::entityAt(QPointF screen) const
{
    QPointF d = toDrawing(screen);
    return geometry_->entityAt({d.x(), d.y()}, pickBox_ / scale_);
}

void DrawingView::setRubberBand(QPointF base)
{
    rubberBand_ = true;
    base_ = base;
    update();
}

void DrawingView::clearRubberBand()
{
    rubberBand_ = false;
    update();
}

void DrawingView::addTemporaryVector(const TemporaryVector& v)
{
    temporary_.push_back(v);
    update();
}

void DrawingView::clearTemporaryVectors()
{
    temporary_.clear();
    update();
}

void DrawingView::setHighlighted(std::vector<uint32_t> entities)
{
    highlighted_ = std::move(entities);
    highlightMask_.clear();
    for (uint32_t id : highlighted_) {
        if (id >= highlightMask_.size())
            highlightMask_.resize(id + 1, 0);
        highlightMask_[id] = 1;
    }
    imageValid_ = false;
    update();
}

// ---- drawing ----------------------------------------------------------------------------------

void DrawingView::paintDrawing(QPainter& painter)
{
    painter.fillRect(QRect(0, 0, width(), height()), background());
    const auto& prims = geometry_->primitives();
    if (prims.empty())
        return;
    // What is in the window, by the index; drawn in drawing order.
    QPointF lo = toDrawing(QPointF(-2, height() + 2)), hi = toDrawing(QPointF(width() + 2, -2));
    geom::Box area{lo.x(), lo.y(), hi.x(), hi.y()};
    if (marks_.size() != prims.size())
        marks_.assign(prims.size(), 0);
    uint32_t first = UINT32_MAX, last = 0;
    size_t count = 0;
    geometry_->query(area, [&](uint32_t i) {
        marks_[i] = 1;
        first = std::min(first, i);
        last = std::max(last, i);
        ++count;
    });
    if (!count)
        return;

    const double s = scale_;
    const double ox = width() / 2.0 - centre_.x() * s, oy = height() / 2.0 + centre_.y() * s;
    auto map = [&](const geom::Point& p) { return QPointF(ox + p.x * s, oy - p.y * s); };

    // Pen state: lines of one look are drawn together.
    struct Look {
        uint32_t rgb = 0xFFFFFFFF;
        int linetype = -2;
        float ltscale = 0;
        bool highlight = false;
        bool operator==(const Look&) const = default;
    } look;
    std::vector<QLineF> lines;
    lines.reserve(1024);
    std::vector<QPointF> dots;
    QPen pen;
    pen.setCosmetic(true);
    pen.setWidth(0);
    pen.setCapStyle(Qt::FlatCap);
    auto flush = [&] {
        if (!lines.empty()) {
            painter.drawLines(lines.data(), static_cast<int>(lines.size()));
            lines.clear();
        }
        if (!dots.empty()) {
            painter.drawPoints(dots.data(), static_cast<int>(dots.size()));
            dots.clear();
        }
    };
    const auto& linetypes = geometry_->linetypes();
    auto setLook = [&](const Primitive& p) {
        bool hi = p.entity < highlightMask_.size() && highlightMask_[p.entity];
        Look next{p.rgb, p.linetype, p.ltscale, hi};
        if (next == look)
            return;
        flush();
        look = next;
        QColor c = colourOf(p.rgb);
        pen.setColor(c);
        if (hi) {
            pen.setDashPattern(QList<qreal>{5, 4});
            pen.setDashOffset(0);
        } else if (p.linetype >= 0 && static_cast<size_t>(p.linetype) < linetypes.size()) {
            qreal offset = 0;
            QList<qreal> dashes = DrawingView::dashPattern(linetypes[p.linetype].pattern, s * ltscale_ * p.ltscale, &offset);
            if (dashes.isEmpty()) {
                pen.setStyle(Qt::SolidLine);
            } else {
                pen.setDashPattern(dashes);
                pen.setDashOffset(offset);
            }
        } else {
            pen.setStyle(Qt::SolidLine);
        }
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
    };

    QFont font = painter.font();
    font.setFamily("DejaVu Sans");
    font.setPixelSize(100);
    const double capRatio = std::max(0.3, QFontMetricsF(font).capHeight() / 100.0);
    int fontPixels = -1;

    for (uint32_t i = first; i <= last; ++i) {
        if (!marks_[i])
            continue;
        marks_[i] = 0;
        const Primitive& p = prims[i];
        setLook(p);
        const double wide = std::max(p.w0, p.w1) * s;
        switch (p.shape) {
        case Shape::Line: {
            QPointF a = map(p.a), b = map(p.b);
            if (wide < 1.5) {
                lines.emplace_back(a, b);
                break;
            }
            // A wide segment: a filled quadrilateral from one width to the other.
            flush();
            QPointF d = b - a;
            double len = std::hypot(d.x(), d.y());
            if (len == 0)
                break;
            QPointF n(-d.y() / len, d.x() / len);
            double h0 = p.w0 * s / 2, h1 = p.w1 * s / 2;
            QPointF quad[4] = {a + n * h0, b + n * h1, b - n * h1, a - n * h0};
            painter.setBrush(look.highlight ? QBrush(Qt::NoBrush) : QBrush(pen.color()));  // highlighted: outlined
            painter.drawPolygon(quad, 4);
            painter.setBrush(Qt::NoBrush);
            break;
        }
        case Shape::Circle:
        case Shape::Arc: {
            double r = p.radius * s;
            QPointF c = map(p.a);
            if (r < 0.7) {
                dots.push_back(c);
                break;
            }
            flush();
            if (wide >= 1.5) {
                // A wide arc: the band between its inner and outer edge.
                double sweep = p.end - p.start;
                int n = std::clamp(static_cast<int>(sweep * r / 3), 8, 720);
                QPolygonF band;
                for (int k = 0; k <= n; ++k) {
                    double t = p.start + sweep * k / n;
                    double half = (p.w0 + (p.w1 - p.w0) * k / n) * s / 2;
                    band << QPointF(c.x() + (r + half) * std::cos(t), c.y() - (r + half) * std::sin(t));
                }
                for (int k = n; k >= 0; --k) {
                    double t = p.start + sweep * k / n;
                    double half = (p.w0 + (p.w1 - p.w0) * k / n) * s / 2;
                    band << QPointF(c.x() + std::max(0.0, r - half) * std::cos(t), c.y() - std::max(0.0, r - half) * std::sin(t));
                }
                painter.setBrush(look.highlight ? QBrush(Qt::NoBrush) : QBrush(pen.color()));
                painter.drawPolygon(band);
                painter.setBrush(Qt::NoBrush);
            } else if (r > 30000) {
                // Very large on the screen: as segments, which stay exact where QPainter's
                // angles in sixteenths of a degree would not.
                double sweep = p.end - p.start;
                int n = std::clamp(static_cast<int>(sweep * std::sqrt(r)), 16, 4096);
                QPolygonF arc;
                for (int k = 0; k <= n; ++k) {
                    double t = p.start + sweep * k / n;
                    arc << QPointF(c.x() + r * std::cos(t), c.y() - r * std::sin(t));
                }
                painter.drawPolyline(arc);
            } else if (p.shape == Shape::Circle) {
                painter.drawEllipse(c, r, r);
            } else {
                QRectF box(c.x() - r, c.y() - r, 2 * r, 2 * r);
                painter.drawArc(box, static_cast<int>(std::lround(p.start * 180 / kPi * 16)),
                                static_cast<int>(std::lround((p.end - p.start) * 180 / kPi * 16)));
            }
            break;
        }
        case Shape::Point:
            dots.push_back(map(p.a));
            break;
        case Shape::Text: {
            double h = p.height * s;
            QPointF at = map(p.a);
            double cs = std::cos(p.rotation), sn = std::sin(p.rotation);
            if (h < 4) {
                // Too small to read: a stroke along its middle where the text would be.
                double y = (p.bottom + p.top) / 2;
                geom::Point a{p.a.x + p.left * cs - y * sn, p.a.y + p.left * sn + y * cs};
                geom::Point b{p.a.x + p.right * cs - y * sn, p.a.y + p.right * sn + y * cs};
                lines.emplace_back(map(a), map(b));
                break;
            }
            flush();
            int px = std::max(1, static_cast<int>(std::lround(h / capRatio)));
            if (px != fontPixels) {
                font.setPixelSize(px);
                painter.setFont(font);
                fontPixels = px;
            }
            QPen textPen(pen.color());
            painter.setPen(textPen);
            const QString& text = texts_[p.text];
            QFontMetricsF fm(font);
            painter.save();
            painter.translate(at);
            painter.rotate(-p.rotation * 180 / kPi);
            painter.scale(p.widthFactor, 1);
            double spacing = h * 5.0 / 3.0;
            double baseline = -(p.top * s - h);  // first line's baseline, screen Y down
            qsizetype from = 0;
            for (int line = 0; from <= text.size(); ++line) {
                qsizetype nl = text.indexOf(QLatin1Char('\n'), from);
                QString part = text.mid(from, nl < 0 ? -1 : nl - from);
                double w = p.hAlign == geom::HAlign::Left ? 0 : fm.horizontalAdvance(part);
                double x = p.hAlign == geom::HAlign::Left ? 0 : p.hAlign == geom::HAlign::Centre ? -w / 2 : -w;
                painter.drawText(QPointF(x, baseline + line * spacing), part);
                if (nl < 0)
                    break;
                from = nl + 1;
            }
            painter.restore();
            painter.setPen(pen);
            break;
        }
        }
    }
    flush();
}

void DrawingView::paintOverlay(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (const TemporaryVector& v : temporary_) {
        bool invert = v.colour < 0;
        QPen pen(invert ? QColor(Qt::white) : shownColour(geom::aciColour(std::clamp(v.colour, 1, 255))), 0);
        if (v.highlight)
            pen.setStyle(Qt::DashLine);
        painter.setPen(pen);
        if (invert)
            painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.drawLine(toScreenF(v.from), toScreenF(v.to));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (rubberBand_ && cursorIn_) {
        QPointF to = snap_.found ? toScreenF(QPointF(snap_.point.x, snap_.point.y)) : cursor_;
        painter.setPen(QPen(QColor(230, 230, 230), 0));
        painter.drawLine(toScreenF(base_), to);
    }
    if (!cursorIn_)
        return;
    // The cross-hair, with the pick box when an entity is asked for.
    QPointF c(std::floor(cursor_.x()) + 0.5, std::floor(cursor_.y()) + 0.5);
    painter.setPen(QPen(QColor(255, 255, 255, 170), 0));
    painter.drawLine(QPointF(0, c.y()), QPointF(width(), c.y()));
    painter.drawLine(QPointF(c.x(), 0), QPointF(c.x(), height()));
    int box = pickMode_ == PickMode::Entity ? pickBox_ : 3;
    painter.setPen(QPen(QColor(255, 255, 255), 0));
    painter.drawRect(QRectF(c.x() - box, c.y() - box, 2 * box, 2 * box));
    if (snap_.found) {
        QPointF m = toScreenF(QPointF(snap_.point.x, snap_.point.y));
        const double k = 6;
        painter.setPen(QPen(QColor(255, 190, 0), 2));
        painter.setBrush(Qt::NoBrush);
        switch (snap_.kind) {
        case geom::SnapEndpoint:
            painter.drawRect(QRectF(m.x() - k, m.y() - k, 2 * k, 2 * k));
            break;
        case geom::SnapMidpoint: {
            QPointF tri[3] = {{m.x(), m.y() - k}, {m.x() + k, m.y() + k * 0.8}, {m.x() - k, m.y() + k * 0.8}};
            painter.drawPolygon(tri, 3);
            break;
        }
        case geom::SnapCentre:
            painter.drawEllipse(m, k, k);
            break;
        default: {
            // Nearest: an hourglass.
            QPointF glass[4] = {{m.x() - k, m.y() - k}, {m.x() + k, m.y() - k}, {m.x() - k, m.y() + k}, {m.x() + k, m.y() + k}};
            painter.drawPolygon(glass, 4);
            break;
        }
        }
    }
}

void DrawingView::paintEvent(QPaintEvent*)
{
    // Entities changed since the geometry was taken: take it anew.
    if (drawing_ && drawing_->revision() != revision_)
        refresh();
    qreal dpr = devicePixelRatioF();
    QSize size(std::max(1, static_cast<int>(width() * dpr)), std::max(1, static_cast<int>(height() * dpr)));
    if (!imageValid_ || image_.size() != size) {
        if (image_.size() != size)
            image_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
        image_.setDevicePixelRatio(dpr);
        QPainter ip(&image_);
        paintDrawing(ip);
        imageValid_ = true;
    }
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), image_);
    paintOverlay(painter);
}

// ---- events -----------------------------------------------------------------------------------

void DrawingView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (fit_)
        zoomExtents();
    else
        changed();
}

void DrawingView::track(QPointF screen)
{
    cursorIn_ = true;
    cursor_ = screen;
    snap_ = snapAt(screen);
    update();
    emit cursorMoved(toDrawing(screen));
}

void DrawingView::mousePressEvent(QMouseEvent* event)
{
    QPointF at = event->position();
    track(at);
    if (event->button() == Qt::MiddleButton) {
        panning_ = true;
        panFrom_ = at;
        return;
    }
    if (event->button() == Qt::LeftButton || event->button() == Qt::RightButton)
        emit clicked(snap_.found ? QPointF(snap_.point.x, snap_.point.y) : toDrawing(at), event->button());
}

void DrawingView::mouseMoveEvent(QMouseEvent* event)
{
    QPointF at = event->position();
    if (panning_ && (event->buttons() & Qt::MiddleButton)) {
        QPointF delta = at - panFrom_;
        panFrom_ = at;
        panBy(delta);
    }
    track(at);
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton)
        panning_ = false;
}

void DrawingView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::MiddleButton) {
        zoomExtents();
        return;
    }
    mousePressEvent(event);
}

void DrawingView::wheelEvent(QWheelEvent* event)
{
    double steps = event->angleDelta().y() / 120.0;
    if (steps != 0)
        zoomAt(event->position(), std::pow(1.25, steps));
    event->accept();
}

void DrawingView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3) {
        setSnapOn(!snapOn_);
        return;
    }
    QWidget::keyPressEvent(event);
}

void DrawingView::leaveEvent(QEvent* event)
{
    cursorIn_ = false;
    snap_ = {};
    update();
    QWidget::leaveEvent(event);
}

}  // namespace korcad
