// DrawingView.h — the model space of the open drawing, drawn as a CAD user expects: on a dark
// background (colour 7 shows white), in the entities' colours and linetypes, with wide
// polylines filled. Zoom to extents on open (and on a double click of the middle button), the
// wheel zooms about the cursor, the middle button pans. A cross-hair follows the mouse and its
// drawing coordinates go out with cursorMoved().
//
// For picks: in point mode a snap marker shows the snap point next to the cursor (endpoint,
// midpoint, centre, nearest; F3 switches snapping on and off) and a click reports that point;
// in entity mode the cross-hair carries a pick box. A rubber-band line can follow the cursor
// from a base point, and entities can be shown highlighted (dashed).
//
// Only what is in the window is drawn, found through the geometry's spatial index. The drawing
// is drawn once into an image and kept there while only the cursor moves, so the cross-hair,
// the marker and the rubber band stay fluid on any drawing.
#pragma once

#include "drawing/Geometry.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <memory>
#include <vector>

namespace korcad {

class Drawing;

class DrawingView : public QWidget {
    Q_OBJECT
public:
    enum class PickMode { None, Point, Entity };

    explicit DrawingView(QWidget* parent = nullptr);
    ~DrawingView() override;

    // Shows a drawing (null: none) zoomed to its extents. The view keeps the pointer: call
    // again, or refresh(), after the drawing changed; call with null before it goes away.
    void setDrawing(const Drawing* drawing);
    const Drawing* drawing() const { return drawing_; }
    // Takes the drawing's geometry anew (after entities changed), keeping the view.
    void refresh();
    const geom::Geometry& geometry() const { return *geometry_; }

    // ---- the mapping between drawing and screen ---------------------------------------------
    QPointF toDrawing(QPointF screen) const;
    QPointF toDrawing(QPoint screen) const { return toDrawing(QPointF(screen)); }
    QPointF toScreenF(QPointF drawing) const;
    QPoint toScreen(QPointF drawing) const { return toScreenF(drawing).toPoint(); }
    double scale() const { return scale_; }  // pixels per drawing unit
    QPointF centre() const { return centre_; }  // the drawing point in the middle of the view
    void setView(QPointF centre, double scale);
    void zoomExtents();
    // Zooms by `factor` (> 1 closer) keeping the drawing point under `screen` where it is.
    void zoomAt(QPointF screen, double factor);
    void panBy(QPointF pixels);  // the drawing moves with the mouse by this much
    // Brings a drawing point into the window (centred there when it was outside), so that a
    // pick at it can go through the mouse as a person's would.
    void showPoint(QPointF drawing);

    // ---- picks ------------------------------------------------------------------------------
    void setPickMode(PickMode mode);
    PickMode pickMode() const { return pickMode_; }
    void setSnapModes(unsigned modes);  // geom::SnapMode bits
    unsigned snapModes() const { return snapModes_; }
    void setSnapOn(bool on);
    bool snapOn() const { return snapOn_; }
    // Snap aperture and pick box, in pixels from the cursor.
    void setAperture(int pixels) { aperture_ = pixels; }
    int aperture() const { return aperture_; }
    void setPickBox(int pixels) { pickBox_ = pixels; }
    int pickBox() const { return pickBox_; }
    // The snap point for a screen position, as the marker would show it (found false when
    // snapping is off or nothing is in reach).
    geom::Snap snapAt(QPointF screen) const;
    // The drawing point a click at `screen` gives: the snap point in point mode, else the
    // point under the cursor.
    QPointF pointAt(QPointF screen) const;
    // The main entity (record id) under a screen position within the pick box; 0 for none.
    uint32_t entityAt(QPointF screen) const;

    void setRubberBand(QPointF base);
    void clearRubberBand();
    bool hasRubberBand() const { return rubberBand_; }
    // Temporary vectors (grdraw, grvecs) in drawing coordinates, over the drawing until cleared
    // (redraw) or another drawing is shown: a colour index (-1 inverts what is below),
    // highlighted ones dashed.
    struct TemporaryVector {
        QPointF from, to;
        int colour = 7;
        bool highlight = false;
    };
    void addTemporaryVector(const TemporaryVector& v);
    void clearTemporaryVectors();
    const std::vector<TemporaryVector>& temporaryVectors() const { return temporary_; }
    void setHighlighted(std::vector<uint32_t> entities);
    const std::vector<uint32_t>& highlighted() const { return highlighted_; }

    // Draws the drawing as the view shows it (without cross-hair and markers) onto `painter`,
    // over the view's own size.
    void paintDrawing(QPainter& painter);
    static QColor background();
    // How a drawing colour (0xRRGGBB) shows on that background: dark ones lightened.
    static QColor shownColour(uint32_t rgb);
    // A linetype pattern (dashes > 0, gaps < 0, dots 0, in drawing units) as a QPen dash
    // pattern for a one-pixel pen at `unit` pixels per drawing unit, with the offset that
    // starts a line where the pattern starts; dots are one pixel. Empty when the pattern would
    // be finer than four pixels, or has no gap: the line is then drawn continuous, as CAD
    // programs do.
    static QList<qreal> dashPattern(const std::vector<double>& pattern, double unit, qreal* offset);

signals:
    void cursorMoved(QPointF drawingPoint);
    void clicked(QPointF drawingPoint, Qt::MouseButton button);
    void viewChanged();
    void snapToggled(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    uint64_t revision_ = 0;  // the drawing's revision the geometry was taken at
    double ltscale_ = 1.0;   // the drawing's $LTSCALE
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    geom::Box shownExtents() const;  // what zooming to the extents shows
    void apply(QPointF centre, double scale);
    void changed();  // the view moved: the image is drawn anew
    void track(QPointF screen);
    void paintOverlay(QPainter& painter);

    const Drawing* drawing_ = nullptr;
    std::unique_ptr<geom::Geometry> geometry_;
    std::vector<QString> texts_;  // the geometry's texts, as Qt strings
    std::vector<uint8_t> marks_;  // per primitive, while a frame collects what it draws
    std::vector<uint8_t> highlightMask_;  // per record id
    std::vector<uint32_t> highlighted_;
    std::vector<TemporaryVector> temporary_;

    QPointF centre_{0, 0};
    double scale_ = 1;
    bool fit_ = true;  // zoomed to extents and not moved since
    QImage image_;
    bool imageValid_ = false;

    PickMode pickMode_ = PickMode::None;
    unsigned snapModes_ = geom::SnapAll;
    bool snapOn_ = true;
    int aperture_ = 10, pickBox_ = 5;
    bool cursorIn_ = false;
    QPointF cursor_;
    geom::Snap snap_;
    bool rubberBand_ = false;
    QPointF base_;
    bool panning_ = false;
    QPointF panFrom_;
};

}  // namespace korcad
