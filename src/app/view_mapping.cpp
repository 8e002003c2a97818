#include "view_mapping.h"

#include <cmath>

namespace karwen {

int roundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v)); // default rounding mode: to even
}

double hund(double v) { return roundHalfEven(v * 100.0) * 0.01; }

PlanePoint imageToView(const ViewMapping& m, PlanePoint image)
{
    const double s = m.scale;
    return {(image.x - m.x0) * s, (m.y0 - image.y) * s + m.pictureH};
}

PlanePoint viewToImage(const ViewMapping& m, PlanePoint view)
{
    const double s = m.scale;
    return {view.x / s + m.x0, m.y0 - (view.y - m.pictureH) / s};
}

} // namespace karwen
