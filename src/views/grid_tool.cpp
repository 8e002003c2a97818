#include "grid_tool.h"

#include "dst_view.h"
#include "mdl_karwen.h"
#include "xor_pen.h"

namespace karwen::views {

GridTool::GridTool(DstView& view)
    : view_(view)
{
}

void GridTool::paint(QImage& canvas)
{
    lines_ = 0;
    circles_ = 0;
    const int p = DstPrm.Proj;
    if (!GridOn || !isProjection(p))
        return;
    XorPen pen(canvas, view_.foreground());
    pen.dotted();
    const DstView::ViewCircle circle = view_.destinationCircle();
    const int b = isIdealFisheye(p) ? 0 : 1; // the perspective horizon lies at infinity
    const double x = circle.centre.x(), y = circle.centre.y();
    const double l = double(GridRadius[b][p]) * circle.radius;

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
            pen.circle({x, y}, double(GridRadius[j][p]) * circle.radius);
            ++circles_;
        }
    }
}

} // namespace karwen::views
