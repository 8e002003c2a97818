#include "view_geometry.h"

#include <algorithm>
#include <cmath>

namespace karwen::views {

AxisRange axisRange(int imageSize, int pictureSize, float scale)
{
    const int visible = roundHalfEven(double(pictureSize) / double(scale));
    const int d = imageSize - visible;
    if (d < 1)
        return {false, 0, roundHalfEven(d * 0.5)};
    return {true, d, 0};
}

QSize fittedPicture(float scaledW, float scaledH)
{
    const auto side = [](float scaled) {
        return roundHalfEven(std::min(double(scaled), double(kMaxPicture)));
    };
    return {side(scaledW), side(scaledH)};
}

} // namespace karwen::views
