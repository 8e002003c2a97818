// Where a point of a picture looks: its zenith angle from the view
// direction and its azimuth around it. A record's tilt is undone first; the
// radial model of the record's projection turns the normalised radius into
// the angle from that side's axis; a source record's view angles (Alpha,
// Beta) then turn the camera frame into the view frame, whose x axis is the
// x axis of a conversion's destination image. A destination record keeps
// Alpha and Beta at 0, so its axis is the view direction itself.
#pragma once

#include "rix.h"

#include <optional>

namespace karwen {

// The camera frame of a source record seen from its view direction: turns
// an untilted camera-frame direction into view-frame coordinates. The rows
// ax, ay, az are the view frame's axes in camera coordinates.
struct ViewFrame {
    explicit ViewFrame(const ProjectionRecord& side);

    double cosRot = 1.0, sinRot = 0.0; // the record's tilt
    double ax[3] = {1.0, 0.0, 0.0};
    double ay[3] = {0.0, 1.0, 0.0};
    double az[3] = {0.0, 0.0, 1.0};
};

struct SkyAngles {
    double zenithDeg = 0.0;  // from the view direction, 0..180
    double azimuthDeg = 0.0; // counter-clockwise from the x axis, y up, 0..360
};

// The angles of image point (x, y) (y counted up from the bottom edge) on a
// side described by record: nothing when the point lies outside a fisheye
// circle, the record cannot describe one, or the coefficient tables are
// empty. A source read through a real lens (Proj RixLensSource) needs the
// lens; its picture reaches to the lens's rim.
[[nodiscard]] std::optional<SkyAngles> skyAnglesAt(
    const ProjectionRecord& record, double x, double y, const RixLens* lens = nullptr);

} // namespace karwen
