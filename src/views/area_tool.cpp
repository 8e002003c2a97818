#include "area_tool.h"

#include "brush_cursors.h"
#include "colour_value.h"
#include "dot_placement.h"
#include "dst_view.h"
#include "mdl_karwen.h"
#include "picture_area.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace karwen::views {

namespace {

// Qt's button flags carry the bits areaMouseMove expects: 1 left
// (kLeftButton), 2 right (kRightButton), 4 middle.
int buttonBits(Qt::MouseButtons buttons)
{
    return int(buttons & (Qt::LeftButton | Qt::RightButton | Qt::MiddleButton));
}

// Far-off dots (a circle centre scrolled away, absurd parameters) only
// need to stay outside the picture.
int pixel(float v)
{
    constexpr float kFar = 1.0e6f;
    return int(std::lround(std::isfinite(v) ? std::clamp(v, -kFar, kFar) : -kFar));
}

} // namespace

AreaTool::AreaTool(DstView& view)
    : view_(view)
{
}

QPoint AreaTool::dotPixel(int n)
{
    const auto i = static_cast<std::size_t>(n);
    return {pixel(DotX[i]), pixel(DotY[i])};
}

QRect AreaTool::dotRect(int n)
{
    const QPoint p = dotPixel(n);
    const int r = DotIdx == 0 ? 0 : DotSize;
    return {p.x() - r, p.y() - r, 2 * r + 1, 2 * r + 1};
}

void AreaTool::drawDot(QPainter& painter, int n, QColor colour)
{
    const QPoint p = dotPixel(n);
    painter.setPen(colour);
    if (DotIdx == 0) {
        painter.drawPoint(p);
        return;
    }
    painter.setBrush(colour);
    painter.drawEllipse(QRect(p.x() - DotSize, p.y() - DotSize, 2 * DotSize, 2 * DotSize));
}

void AreaTool::paint(QImage& canvas)
{
    const DstView::ViewCircle circle = view_.destinationCircle();
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(Qt::white, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle.centre, circle.radius, circle.radius);
    QColor last;
    for (int n = 1; n <= kDotCount; ++n) {
        last = colourOf(dotColor(n));
        drawDot(painter, n, last);
    }
    // Filled dots leave the picture's foreground at the last dot's colour,
    // which a grid drawn later inherits.
    if (DotIdx != 0)
        view_.setForeground(last);
}

void AreaTool::mousePress(QMouseEvent* event)
{
    // A stroke whose release went elsewhere ends when the next one begins.
    if (event->buttons() == event->button())
        stroke_.emplace("brush stroke");
    // A click acts at once, with the button that went down.
    (void)mouseAt(buttonBits(event->button()), event->position());
}

void AreaTool::mouseMove(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton)
        stroke_.reset();
    (void)mouseAt(buttonBits(event->buttons()), event->position());
}

void AreaTool::mouseRelease(QMouseEvent* event)
{
    if (event->buttons() == Qt::NoButton)
        stroke_.reset();
}

AreaMouseResult AreaTool::mouseAt(int button, QPointF position)
{
    AreaMouseResult result = areaMouseMove(button, position.x(), position.y());
    if (result.action == AreaMouseAction::None)
        return result;
    if (!result.changedDots.empty()) {
        QPainter painter(&view_.canvas());
        painter.setRenderHint(QPainter::Antialiasing, false);
        QRect dirty;
        for (const int16_t n : result.changedDots) {
            drawDot(painter, n, colourOf(dotColor(n)));
            dirty |= dotRect(n);
        }
        painter.end();
        view_.picture()->update(dirty);
    }
    if (labels_)
        labels_(result);
    return result;
}

void AreaTool::placeDots(DstView& view) { (void)positionAreaDots({DstPrm.Cx, DstPrm.Cy, DstPrm.R}, view.mapping()); }

void AreaTool::setAreaCursor()
{
    brushPointer_ = AreaOn;
    if (brushPointer_)
        view_.picture()->setCursor(brushCursor(BrushIdx));
    else
        view_.picture()->unsetCursor();
}

void AreaTool::setBrushCursor()
{
    if (brushPointer_)
        view_.picture()->setCursor(brushCursor(BrushIdx));
}

} // namespace karwen::views
