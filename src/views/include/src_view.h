// frmSrc: the source image view with the circle-fitting marks, under them
// the sun's paths and under those the sky tint.
#pragma once

#include "circle_tool.h"
#include "image_view.h"
#include "sky_tint.h"
#include "sun_track_layer.h"

namespace karwen::views {

class SrcView : public ImageView {
    Q_OBJECT
public:
    explicit SrcView(QWidget* parent = nullptr);

    [[nodiscard]] CircleTool& circleTool() { return tool_; }
    // The tint over the photo (sky_tint.h); a null image takes it away.
    void setSkyTint(QImage tint);
    [[nodiscard]] const QImage& skyTint() const { return tint_.tint(); }
    // The sun's paths and the compass (sun_tracks.h); empty ones take them away.
    void setSunTracks(SunTracks tracks);
    [[nodiscard]] bool showsSunTracks() const { return !tracks_.tracks().empty() || !isEmpty(tool_.compass()); }
    [[nodiscard]] QString handleHint(QPointF p) const override { return tool_.handleHint(p); }
    // The zoom a source of this size opens at.
    [[nodiscard]] static float zoomForSize(int width, int height);

protected:
    [[nodiscard]] int32_t imageHandle() const override;
    [[nodiscard]] QSize imageSize() const override;
    [[nodiscard]] QString caption(const QString& percent) const override;
    [[nodiscard]] float loadScale() const override;
    ViewTool* currentTool() override { return &tint_; }

private:
    CircleTool tool_;
    SunTrackLayer tracks_;
    SkyTint tint_;
};

} // namespace karwen::views
