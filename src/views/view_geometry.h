// The arithmetic of a zoomable view that needs no widget: the image<->view
// mapping in Qt's point type (the arithmetic itself is view_mapping.h's,
// shared with the area dots) and the scroll range of one axis.
#pragma once

#include "view_mapping.h"

#include <QPointF>
#include <QSize>

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
    bool scrolls = false; // part of the image is hidden
    int range = 0;        // d: hidden image pixels, the scroll bar's extent
    int centredOffset = 0; // offset when the whole side fits (zero or negative)
};

[[nodiscard]] AxisRange axisRange(int imageSize, int pictureSize, float scale);

// Picture size that shows the whole image at the zoom, at most 1024 a side.
[[nodiscard]] QSize fittedPicture(float scaledW, float scaledH);

} // namespace karwen::views
