// Circle fitting on the source view: the image circle, its tilted cross and
// the view reference mark drawn in XOR over the picture, and the four left
// button drags that move the centre, change the radius (no Shift), turn the
// tilt or move the reference point (Shift). The globals change on release.
#pragma once

#include "view_tool.h"

#include <QRectF>
#include <QString>

#include <cstdint>

namespace karwen::views {

class ImageView;

class CircleTool : public ViewTool {
public:
    enum Drag : int16_t { None = 0, Centre = 1, Radius = 2, Tilt = 3, Reference = 4 };

    // A press this close (view pixels, strictly less) takes a handle.
    static constexpr double kHandle = 4.0;
    // Radius drags to this many view pixels or less are ignored.
    static constexpr double kMinRadius = 10.0;
    // The cross reaches this far beyond the circle.
    static constexpr double kCrossOverhang = 32.0;

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
    [[nodiscard]] QRectF marksBounds() const;
    // Erase, change, draw again, and show only the area that changed.
    template <typename Change> void redrawMarks(Change change);
    void setPointer(bool sizeAll);
    // The release of a drag: stores the new value; true when one changed.
    [[nodiscard]] bool commit(int16_t mode);

    ImageView& view_;
    float circX_ = 0, circY_ = 0, circR_ = 0;
    float rotCos_ = 1, rotSin_ = 0;
    float refVX_ = 0, refVY_ = 0;
    int16_t dragMode_ = None;
    float dragA0_ = 0;
    float dragDA_ = 0;
};

} // namespace karwen::views
