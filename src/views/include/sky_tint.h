// A tint over the source view: an image of the photo's size, its row 0 the
// photo's top row, mostly transparent, drawn over the picture at the view's
// zoom and scroll before the circle marks. The Canopy window fills it with
// the pixels it counts as sky. It wraps the view's own tool, to which the
// mouse still goes.
#pragma once

#include "view_tool.h"

namespace karwen::views {

class ImageView;

class SkyTint : public ViewTool {
public:
    SkyTint(ImageView& view, ViewTool& under);

    // A null image shows no tint.
    void setTint(QImage tint) { tint_ = std::move(tint); }
    [[nodiscard]] const QImage& tint() const { return tint_; }

    void paint(QImage& canvas) override;
    void mousePress(QMouseEvent* event) override { under_.mousePress(event); }
    void mouseMove(QMouseEvent* event) override { under_.mouseMove(event); }
    void mouseRelease(QMouseEvent* event) override { under_.mouseRelease(event); }

private:
    ImageView& view_;
    ViewTool& under_;
    QImage tint_;
};

} // namespace karwen::views
