// frmSrc: the source image view with the circle-fitting marks.
#pragma once

#include "circle_tool.h"
#include "image_view.h"

namespace karwen::views {

class SrcView : public ImageView {
    Q_OBJECT
public:
    explicit SrcView(QWidget* parent = nullptr);

    [[nodiscard]] CircleTool& circleTool() { return tool_; }
    [[nodiscard]] QString handleHint(QPointF p) const override { return tool_.handleHint(p); }
    // The zoom a source of this size opens at.
    [[nodiscard]] static float zoomForSize(int width, int height);

protected:
    [[nodiscard]] int32_t imageHandle() const override;
    [[nodiscard]] QSize imageSize() const override;
    [[nodiscard]] QString caption(const QString& percent) const override;
    [[nodiscard]] float loadScale() const override;
    ViewTool* currentTool() override { return &tool_; }

private:
    CircleTool tool_;
};

} // namespace karwen::views
