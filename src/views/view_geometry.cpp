#include "view_geometry.h"

#include <algorithm>
#include <cmath>

namespace karwen::views {

int roundHalfEven(double v)
{
    return static_cast<int>(std::nearbyint(v)); // default rounding mode: to even
}

double hund(double v)
{
    return roundHalfEven(v * 100.0) * 0.01;
}

QPointF mapToView(const ViewMapping& m, QPointF image)
{
    return {(image.x() - m.x0) * double(m.scale), (m.y0 - image.y()) * double(m.scale) + m.pictureH};
}

QPointF mapToImage(const ViewMapping& m, QPointF view)
{
    return {view.x() / double(m.scale) + m.x0, m.y0 - (view.y() - m.pictureH) / double(m.scale)};
}

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
