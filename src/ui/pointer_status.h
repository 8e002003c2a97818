// The status bar's line for the mouse over a picture: the pixel under it
// (y counted up from the bottom, as the parameters window counts), the
// pixel's colour, and where that point looks (zenith from the view
// direction, azimuth counter-clockwise from the x axis).
#pragma once

#include "rix.h"

#include <QPointF>
#include <QString>

namespace karwen::ui {

// image names the picture's image and record the side it shows, lens the
// lens a source record reads it through; "" when the point lies off the
// image and outside the circle.
[[nodiscard]] QString pointerStatusText(
    int32_t image, const ProjectionRecord& record, QPointF imagePoint, const RixLens* lens = nullptr);

} // namespace karwen::ui
