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

QSize fittedPicture(float scaledW, float scaledH, QSize room)
{
    const auto side = [](float scaled, int limit) {
        return roundHalfEven(std::min({double(scaled), double(kMaxPicture), double(std::max(1, limit))}));
    };
    return {side(scaledW, room.width()), side(scaledH, room.height())};
}

float steppedZoom(float now, int direction)
{
    if (direction > 0) {
        const auto* above = std::find_if(kZoomSteps.begin(), kZoomSteps.end(), [now](float z) { return z > now; });
        return above == kZoomSteps.end() ? now : *above;
    }
    const auto below = std::find_if(kZoomSteps.rbegin(), kZoomSteps.rend(), [now](float z) { return z < now; });
    return below == kZoomSteps.rend() ? now : *below;
}

float zoomToFit(QSize image, QSize picture)
{
    if (image.isEmpty() || picture.isEmpty())
        return 1.0f;
    const double scale = std::min(double(picture.width()) / image.width(), double(picture.height()) / image.height());
    return static_cast<float>(scale);
}

QPoint offsetsShowing(QPointF imagePoint, QPointF picturePosition, float scale, int pictureH)
{
    const double s = scale;
    return {roundHalfEven(imagePoint.x() - picturePosition.x() / s),
        roundHalfEven(imagePoint.y() - (pictureH - picturePosition.y()) / s)};
}

QSize roomFrom(QPoint position, QSize area)
{
    const auto side = [](int from, int extent) {
        const int rest = extent - std::max(0, from);
        return rest * 3 < extent ? extent : rest;
    };
    return {side(position.x(), area.width()), side(position.y(), area.height())};
}

QRect keptInside(QRect window, QSize area)
{
    const QSize size = window.size().boundedTo(area);
    const int x = std::clamp(window.x(), 0, std::max(0, area.width() - size.width()));
    const int y = std::clamp(window.y(), 0, std::max(0, area.height() - size.height()));
    return {QPoint(x, y), size};
}

} // namespace karwen::views
