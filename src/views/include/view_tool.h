// What a view does with the mouse and draws over its image: one strategy
// object per mode (circle fitting on the source, grid or area dots on the
// destination). The view forwards its picture's events to the current tool.
#pragma once

#include <QImage>

class QMouseEvent;

namespace karwen::views {

class ViewTool {
public:
    virtual ~ViewTool() = default;

    // Draws the overlay onto the freshly blitted canvas.
    virtual void paint(QImage& canvas) = 0;
    virtual void mousePress(QMouseEvent*) { }
    virtual void mouseMove(QMouseEvent*) { }
    virtual void mouseRelease(QMouseEvent*) { }
};

} // namespace karwen::views
