// The destination view's overlay: the outline of the destination circle and
// the area sample dots while area measurement is on (drawn by the area tool
// once one is installed), otherwise the polar grid of equal elevation circles
// and equal azimuth lines, placed by the radial model of the destination
// projection and drawn with a dotted XOR pen.
#pragma once

#include "view_tool.h"

#include <QColor>
#include <QPointF>

#include <memory>

namespace karwen::views {

class ImageView;

class GridTool : public ViewTool {
public:
    explicit GridTool(ImageView& view);
    ~GridTool() override;

    void paint(QImage& canvas) override;
    void mousePress(QMouseEvent* event) override;
    void mouseMove(QMouseEvent* event) override;
    void mouseRelease(QMouseEvent* event) override;

    // Area painting plugs in here: it draws instead of the grid while
    // AreaOn is true, and receives the mouse.
    void setAreaTool(std::unique_ptr<ViewTool> tool);
    [[nodiscard]] ViewTool* areaTool() const { return areaTool_.get(); }

    // The grid pen's colour (the picture's foreground colour).
    void setForeground(QColor colour) { foreground_ = colour; }

    [[nodiscard]] QPointF circleCentre() const { return {dCircX_, dCircY_}; }
    [[nodiscard]] float circleRadius() const { return dCircR_; }

    // Counts of what the last paint drew, for checks of the spacing rules.
    [[nodiscard]] int linesDrawn() const { return lines_; }
    [[nodiscard]] int circlesDrawn() const { return circles_; }

private:
    void drawGrid(QImage& canvas);

    ImageView& view_;
    std::unique_ptr<ViewTool> areaTool_;
    QColor foreground_ = Qt::white;
    float dCircX_ = 0, dCircY_ = 0, dCircR_ = 0;
    int lines_ = 0;
    int circles_ = 0;
};

} // namespace karwen::views
