#include "pointer_status.h"

#include "view_direction.h"

#include <QStringList>

#include <cmath>

namespace karwen::ui {

namespace {

// The colour of one pixel, read through the library's drawing call.
uint32_t pixelAt(int32_t image, int32_t x, int32_t y)
{
    uint32_t pixel = 0;
    RixCanvas one{reinterpret_cast<uint8_t*>(&pixel), 1, 1, 4};
    (void)RixStretchBlt(image, x, y, 1, 1, &one, 0, 0, 1, 1);
    return pixel;
}

} // namespace

QString pointerStatusText(int32_t image, const ProjectionRecord& record, QPointF imagePoint, const RixLens* lens)
{
    QStringList parts;
    const double fx = std::floor(imagePoint.x()), fy = std::floor(imagePoint.y());
    if (fx >= 0 && fy >= 0 && fx < RixWidth(image) && fy < RixHeight(image)) {
        const auto x = static_cast<int32_t>(fx), y = static_cast<int32_t>(fy);
        const uint32_t rgb = pixelAt(image, x, y);
        parts << QStringLiteral("x %1  y %2").arg(x).arg(y)
              << QStringLiteral("R %1  G %2  B %3").arg((rgb >> 16) & 0xFF).arg((rgb >> 8) & 0xFF).arg(rgb & 0xFF);
    }
    if (const auto angles = skyAnglesAt(record, imagePoint.x(), imagePoint.y(), lens))
        parts << QStringLiteral("zenith %1°  azimuth %2°")
                     .arg(angles->zenithDeg, 0, 'f', 1)
                     .arg(angles->azimuthDeg, 0, 'f', 1);
    return parts.join(QStringLiteral("    "));
}

} // namespace karwen::ui
