// A painter on a view's canvas set up for XOR marks: white foreground,
// one-pixel cosmetic pen, no antialiasing (the raster op needs all three),
// no fill. Drawing the same marks twice leaves the canvas as it was.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>

namespace karwen::views {

class XorPen {
public:
    explicit XorPen(QImage& canvas, QColor foreground = Qt::white);

    void solid();
    void dotted();
    [[nodiscard]] QPainter& painter() { return painter_; }

    void circle(QPointF centre, double radius);
    void line(QPointF from, QPointF to);

private:
    void setStyle(Qt::PenStyle style);

    QPainter painter_;
    QColor foreground_;
};

} // namespace karwen::views
