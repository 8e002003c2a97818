// The destination view's grid: equal elevation circles and equal azimuth
// lines around the destination circle, placed by the radial model of the
// destination projection and drawn with a dotted XOR pen in the picture's
// foreground colour. It takes no mouse input.
#pragma once

#include "view_tool.h"

namespace karwen::views {

class DstView;

class GridTool : public ViewTool {
public:
    explicit GridTool(DstView& view);

    void paint(QImage& canvas) override;

    // Counts of what the last paint drew, for checks of the spacing rules.
    [[nodiscard]] int linesDrawn() const { return lines_; }
    [[nodiscard]] int circlesDrawn() const { return circles_; }

private:
    DstView& view_;
    int lines_ = 0;
    int circles_ = 0;
};

} // namespace karwen::views
