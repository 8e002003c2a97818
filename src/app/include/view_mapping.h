// Where an image point shows in a zoomable view, and back; the one home of
// that arithmetic for the windows and for the area dots alike. Image y
// counts rows upward from the image's bottom edge, view y counts pixels
// downward from the picture's top edge: the flip lives only here.
#pragma once

#include "rounding.h"

#include <cstdint>

namespace karwen {

// Window layouts are given in twips (1/1440 inch); at 96 dpi one pixel is
// 15 twips.
inline constexpr int kTwipsPerPixel = 15;

[[nodiscard]] constexpr int twipsToPixels(int twips) { return twips / kTwipsPerPixel; }

// Zoom and scroll state that places the image in the picture.
struct ViewMapping {
    float scale = 1.0f;   // view pixels per image pixel
    int32_t x0 = 0;       // image columns left of the view
    int32_t y0 = 0;       // image rows below the view
    int32_t pictureH = 0; // picture height in view pixels
};

struct PlanePoint {
    double x = 0.0;
    double y = 0.0;
};

[[nodiscard]] PlanePoint imageToView(const ViewMapping& m, PlanePoint image);
[[nodiscard]] PlanePoint viewToImage(const ViewMapping& m, PlanePoint view);

} // namespace karwen
