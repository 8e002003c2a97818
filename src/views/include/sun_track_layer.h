// The sun tracks over the source view: each day's path and its hour marks,
// drawn in colour (not XOR: they never move during a drag) after the sky
// tint and before the circle marks, at the view's zoom and scroll. It wraps
// the view's own tool, to which the mouse still goes.
#pragma once

#include "sun_tracks.h"
#include "view_tool.h"

namespace karwen::views {

class ImageView;

class SunTrackLayer : public ViewTool {
public:
    SunTrackLayer(ImageView& view, ViewTool& under);

    void setTracks(std::vector<SunDayTrack> days) { days_ = std::move(days); }
    [[nodiscard]] const std::vector<SunDayTrack>& tracks() const { return days_; }

    void paint(QImage& canvas) override;
    void mousePress(QMouseEvent* event) override { under_.mousePress(event); }
    void mouseMove(QMouseEvent* event) override { under_.mouseMove(event); }
    void mouseRelease(QMouseEvent* event) override { under_.mouseRelease(event); }

    // The colour of the paths, for whoever reads them off the canvas.
    static constexpr QRgb kTrackColour = 0xffffc81e;

private:
    ImageView& view_;
    ViewTool& under_;
    std::vector<SunDayTrack> days_;
};

} // namespace karwen::views
