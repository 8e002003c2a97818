// A painter on a view's canvas set up for XOR marks: a one-pixel cosmetic
// pen in the foreground colour (white unless given), no antialiasing, no
// fill. Drawing the same marks twice leaves the canvas as it was.
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
    // A bold capital centred on the point, filled without antialiasing.
    void letter(QPointF centre, QChar letter);

private:
    void setStyle(Qt::PenStyle style);

    QPainter painter_;
    QColor foreground_;
};

} // namespace karwen::views
