#include "grid_tool.h"

#include "image_view.h"
#include "mdl_karwen.h"
#include "xor_pen.h"

namespace karwen::views {

GridTool::GridTool(ImageView& view)
    : view_(view)
{
}

GridTool::~GridTool() = default;

void GridTool::setAreaTool(std::unique_ptr<ViewTool> tool) { areaTool_ = std::move(tool); }

void GridTool::paint(QImage& canvas)
{
    const ViewMapping m = view_.mapping();
    const QPointF centre = mapToView(m, {DstPrm.Cx, DstPrm.Cy});
    dCircX_ = static_cast<float>(centre.x());
    dCircY_ = static_cast<float>(centre.y());
    dCircR_ = static_cast<float>(double(m.scale) * DstPrm.R);
    lines_ = 0;
    circles_ = 0;
    if (AreaOn) {
        if (areaTool_)
            areaTool_->paint(canvas);
        return;
    }
    if (GridOn)
        drawGrid(canvas);
}

void GridTool::drawGrid(QImage& canvas)
{
    XorPen pen(canvas, foreground_);
    pen.dotted();
    const int p = DstPrm.Proj;
    if (p < 0 || p >= kProjectionCount)
        return;
    const int b = p / 4; // 1 for the perspective destination
    const double x = dCircX_, y = dCircY_;
    const double l = double(GridRadius[b][p]) * dCircR_;

    if (GridTheta > 0 && GridTheta < 7) {
        const int s = GridStep[GridTheta];
        for (int k = 0; s > 0 && k <= 17; k += s) {
            const double u = GridCos[k], v = GridSin[k];
            pen.line({x + 4 * u, y + 4 * v}, {x + l * u, y + l * v});
            pen.line({x - 4 * u, y - 4 * v}, {x - l * u, y - l * v});
            pen.line({x + 4 * v, y - 4 * u}, {x + l * v, y - l * u});
            pen.line({x - 4 * v, y + 4 * u}, {x - l * v, y + l * u});
            lines_ += 4;
        }
    }
    if (GridR > 0 && GridR < 7) {
        const int s = GridStep[GridR];
        for (int j = b * s; s > 0 && j <= 17; j += s) {
            pen.circle({x, y}, double(GridRadius[j][p]) * dCircR_);
            ++circles_;
        }
    }
}

void GridTool::mousePress(QMouseEvent* event)
{
    if (AreaOn && areaTool_)
        areaTool_->mousePress(event);
}

void GridTool::mouseMove(QMouseEvent* event)
{
    if (AreaOn && areaTool_)
        areaTool_->mouseMove(event);
}

void GridTool::mouseRelease(QMouseEvent* event)
{
    if (AreaOn && areaTool_)
        areaTool_->mouseRelease(event);
}

} // namespace karwen::views
