// frmSrc: the source image view with the circle-fitting marks.
#pragma once

#include "circle_tool.h"
#include "image_view.h"
#include "sky_tint.h"

namespace karwen::views {

class SrcView : public ImageView {
    Q_OBJECT
public:
    explicit SrcView(QWidget* parent = nullptr);

    [[nodiscard]] CircleTool& circleTool() { return tool_; }
    // The tint over the photo (sky_tint.h); a null image takes it away.
    void setSkyTint(QImage tint);
    [[nodiscard]] const QImage& skyTint() const { return tint_.tint(); }
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
    SkyTint tint_;
};

} // namespace karwen::views
