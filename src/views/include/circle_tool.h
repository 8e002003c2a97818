// Circle fitting on the source view: the image circle, its tilted cross and
// the view reference mark drawn in XOR over the picture, and the four left
// button drags that move the centre, change the radius (no Shift), turn the
// tilt or move the reference point (Shift). The globals change on release.
// With a compass given (the sun tracks shown), N, E, S and W stand just
// outside the rim, and a fifth drag turns the compass by its N: let go, the
// owner of the compass is told the photo angle the N was left at.
#pragma once

#include "sun_tracks.h"
#include "view_tool.h"

#include <QRectF>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace karwen::views {

class ImageView;

class CircleTool : public ViewTool {
public:
    enum Drag : int16_t { None = 0, Centre = 1, Radius = 2, Tilt = 3, Reference = 4, North = 5 };

    // A press this close (view pixels, strictly less) takes a handle.
    static constexpr double kHandle = 4.0;
    // Radius drags to this many view pixels or less are ignored.
    static constexpr double kMinRadius = 10.0;
    // The cross reaches this far beyond the circle.
    static constexpr double kCrossOverhang = 32.0;
    // The compass letters stand this far outside the rim; a press closer
    // than kNorthHandle to the N takes it, before the rim is looked at.
    static constexpr double kCompassOverhang = 12.0;
    static constexpr double kNorthHandle = 6.0;

    explicit CircleTool(ImageView& view);

    void paint(QImage& canvas) override;
    void mousePress(QMouseEvent* event) override;
    void mouseMove(QMouseEvent* event) override;
    void mouseRelease(QMouseEvent* event) override;

    // The handle a press at p would take, with or without Shift, and what
    // dragging it does; "" away from every handle.
    [[nodiscard]] QString handleHint(QPointF p) const;

    // Draws the marks once in XOR; twice leaves the picture as it was.
    void draw_marks();

    // Where true north, east, south and west meet the horizon on the image;
    // all none (the default) shows no compass and offers no north drag.
    // Takes effect at the next redraw.
    void setCompass(const Compass& horizon) { horizon_ = horizon; }
    [[nodiscard]] const Compass& compass() const { return horizon_; }
    // Run when a north drag ends away from where it began, with the photo
    // angle the N was let go at: degrees anticlockwise from the image's x
    // axis about the circle centre. True when that changed the orientation
    // (the owner then redraws the view); on false the marks go back.
    void setNorthDrop(std::function<bool(double photoAngleDeg)> drop) { northDrop_ = std::move(drop); }
    // The view position a compass letter is drawn at; none when not shown.
    [[nodiscard]] std::optional<QPointF> compassMark(Cardinal which) const;

    [[nodiscard]] int16_t dragMode() const { return dragMode_; }
    [[nodiscard]] QPointF circleCentre() const { return {circX_, circY_}; }
    [[nodiscard]] float circleRadius() const { return circR_; }
    [[nodiscard]] QPointF referenceMark() const { return {refVX_, refVY_}; }

private:
    struct Distances {
        double d; // to the centre
        double e; // to the rim
        double q; // to the reference mark
    };
    [[nodiscard]] Distances distancesTo(QPointF p) const;
    [[nodiscard]] bool nearNorth(QPointF p) const;
    [[nodiscard]] double pointerAngle(QPointF p) const; // about the centre, view y down
    [[nodiscard]] QRectF marksBounds() const;
    // Erase, change, draw again, and show only the area that changed.
    template <typename Change> void redrawMarks(Change change);
    void setPointer(bool sizeAll);
    // The release of a drag: stores the new value; true when one changed.
    [[nodiscard]] bool commit(int16_t mode);
    void commitNorth();

    ImageView& view_;
    float circX_ = 0, circY_ = 0, circR_ = 0;
    float rotCos_ = 1, rotSin_ = 0;
    float refVX_ = 0, refVY_ = 0;
    int16_t dragMode_ = None;
    float dragA0_ = 0;
    float dragDA_ = 0;
    Compass horizon_{};
    struct CompassLetter {
        bool shown = false;
        double angle = 0.0;  // about the centre in the view, y down, radians
        double radius = 0.0; // view pixels from the centre
    };
    std::array<CompassLetter, 4> compass_{};
    double northA0_ = 0.0; // pointer angle when a north drag began
    double northDA_ = 0.0; // the turn of the running north drag
    std::function<bool(double)> northDrop_;
};

} // namespace karwen::views
