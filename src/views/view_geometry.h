// The arithmetic of a zoomable view that needs no widget: rounding, the
// image<->view mapping and the scroll range of one axis. Image y counts rows
// upward from the image's bottom edge, view y counts pixels downward from the
// picture's top edge; the flip lives only in mapToView/mapToImage.
#pragma once

#include <QPointF>
#include <QSize>

namespace karwen::views {

// One pixel is 15 twips at 96 dpi.
inline constexpr int kTwipsPerPixel = 15;
// A view window's outer size never goes below 2000 twips (134 pixels).
inline constexpr int kMinOuterTwips = 2000;
inline constexpr int kMinOuterPixels = (kMinOuterTwips + kTwipsPerPixel - 1) / kTwipsPerPixel;
// The picture never grows beyond this many pixels in either direction.
inline constexpr int kMaxPicture = 1024;

[[nodiscard]] constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }

// Nearest integer, halves to the even neighbour.
[[nodiscard]] int roundHalfEven(double v);
// v brought to hundredths: the nearest integer to v * 100 (ties to even) * 0.01.
[[nodiscard]] double hund(double v);

// Zoom and scroll state that places the image in the picture.
struct ViewMapping {
    float scale = 1.0f; // view pixels per image pixel
    int x0 = 0;         // image columns left of the view
    int y0 = 0;         // image rows below the view
    int pictureH = 0;   // picture height in view pixels
};

[[nodiscard]] QPointF mapToView(const ViewMapping& m, QPointF image);
[[nodiscard]] QPointF mapToImage(const ViewMapping& m, QPointF view);

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
