// The arithmetic of a zoomable view that needs no widget: the image<->view
// mapping in Qt's point type (the arithmetic itself is view_mapping.h's,
// shared with the area dots), the scroll range of one axis, the zoom steps
// and the room a view window may take in its frame.
#pragma once

#include "view_mapping.h"

#include <QPointF>
#include <QRect>
#include <QSize>

#include <array>

namespace karwen::views {

using karwen::hund;
using karwen::roundHalfEven;
using karwen::twipsToPixels;
using karwen::ViewMapping;
// A view window's outer size never goes below 2000 twips (134 pixels).
inline constexpr int kMinOuterTwips = 2000;
inline constexpr int kMinOuterPixels = (kMinOuterTwips + kTwipsPerPixel - 1) / kTwipsPerPixel;
// The picture never grows beyond this many pixels in either direction.
inline constexpr int kMaxPicture = 1024;
// The zooms the Zoom menu offers, smallest first; Ctrl+wheel and the zoom
// keys step through them.
inline constexpr std::array<float, 8> kZoomSteps{0.25f, 0.5f, 0.75f, 1.0f, 1.5f, 2.0f, 4.0f, 8.0f};

[[nodiscard]] inline QPointF mapToView(const ViewMapping& m, QPointF image)
{
    const PlanePoint p = imageToView(m, {image.x(), image.y()});
    return {p.x, p.y};
}

[[nodiscard]] inline QPointF mapToImage(const ViewMapping& m, QPointF view)
{
    const PlanePoint p = viewToImage(m, {view.x(), view.y()});
    return {p.x, p.y};
}

// The scroll state of one axis for an image side of `imageSize` pixels shown
// on `pictureSize` view pixels.
struct AxisRange {
    bool scrolls = false;  // part of the image is hidden
    int range = 0;         // d: hidden image pixels, the scroll bar's extent
    int centredOffset = 0; // offset when the whole side fits (zero or negative)
};

[[nodiscard]] AxisRange axisRange(int imageSize, int pictureSize, float scale);

// Picture size that shows the whole image at the zoom, at most 1024 a side
// and at most `room` (what the frame leaves for the picture).
[[nodiscard]] QSize fittedPicture(float scaledW, float scaledH, QSize room = {kMaxPicture, kMaxPicture});

// The zoom step after `now` upward (direction > 0) or downward; `now` when
// there is none that way.
[[nodiscard]] float steppedZoom(float now, int direction);

// The largest zoom at which the whole image fits the picture.
[[nodiscard]] float zoomToFit(QSize image, QSize picture);

// Scroll offsets (image columns left of, rows below the picture) that show
// the image point at the picture position; rounded, not yet clamped.
[[nodiscard]] QPoint offsetsShowing(QPointF imagePoint, QPointF picturePosition, float scale, int pictureH);

// The room a window at `position` may take in an area of the given size:
// up to the area's right and bottom edges, so that it need not move over its
// neighbours; the whole side where that leaves less than a third of it.
[[nodiscard]] QSize roomFrom(QPoint position, QSize area);

// The window moved, and shrunk where it is larger, to lie inside an area of
// the given size whose top-left corner is (0, 0).
[[nodiscard]] QRect keptInside(QRect window, QSize area);

} // namespace karwen::views
