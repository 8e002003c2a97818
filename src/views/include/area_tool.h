// Area measurement on the destination view: draws the outline of the
// destination circle and the 1000 sample dots in their class colours, and
// turns the picture's mouse events into painting, erasing and hovering.
// The model work is the area core's; this tool draws what changed and hands
// the label changes to whoever shows the class labels.
#pragma once

#include "area_brush.h"
#include "undoable_step.h"
#include "view_tool.h"

#include <QRect>

#include <functional>
#include <optional>

class QPainter;

namespace karwen::views {

class DstView;

class AreaTool : public ViewTool {
public:
    using LabelHandler = std::function<void(const AreaMouseResult&)>;

    explicit AreaTool(DstView& view);

    // Receives every mouse result after the changed dots are drawn.
    void setLabelHandler(LabelHandler handler) { labels_ = std::move(handler); }

    void paint(QImage& canvas) override;
    void mousePress(QMouseEvent* event) override;
    void mouseMove(QMouseEvent* event) override;
    void mouseRelease(QMouseEvent* event) override;

    // areaMouseMove with the button bits it expects (1 left, 2 right,
    // 4 middle) at a picture position, then draws the changed dots and
    // hands the result to the label handler; returns what the core decided.
    AreaMouseResult mouseAt(int button, QPointF position);

    // The dots' view positions for the view's current zoom, offsets and
    // picture height; nothing while AreaOn is false.
    static void placeDots(DstView& view);

    // The brush pointer while AreaOn, else the default one.
    void setAreaCursor();
    // The brush pointer follows BrushIdx; it shows only while the brush
    // pointer is in use.
    void setBrushCursor();

    // The picture pixel a dot lies on, and the rectangle its drawing covers.
    [[nodiscard]] static QPoint dotPixel(int n);
    [[nodiscard]] static QRect dotRect(int n);

    // The one dot n in `colour`: a pixel in style 0, else a filled circle of
    // radius DotSize.
    static void drawDot(QPainter& painter, int n, QColor colour);

private:
    DstView& view_;
    LabelHandler labels_;
    bool brushPointer_ = false;
    // A stroke, from the first button down to the last one up, is one step.
    std::optional<UndoableStep> stroke_;
};

} // namespace karwen::views
