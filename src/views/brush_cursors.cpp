#include "brush_cursors.h"

#include "area_model.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace karwen::views {

namespace {

// The brush takes dots strictly inside this radius (view pixels).
double brushRadius(int index) { return std::sqrt(double(BrushR2Tbl[std::size_t(index)])); }

void ring(QPainter& painter, QPointF centre, double radius, QColor colour)
{
    painter.setPen(QPen(colour, 1.0));
    painter.drawEllipse(centre, radius, radius);
}

} // namespace

QImage brushCursorImage(int index)
{
    index = std::clamp(index, 0, kToolSizeCount - 1);
    const double r = brushRadius(index);
    // Room for the outer black ring and the ticks of the smallest brush.
    const int half = int(std::ceil(r)) + (index == 0 ? 5 : 2);
    const int side = 2 * half + 1;
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    const QPointF centre(half + 0.5, half + 0.5);
    ring(painter, centre, r + 0.5, Qt::black);
    ring(painter, centre, r - 0.5, Qt::white);
    if (index == 0) {
        // A circle this small hides under the hand; ticks point at it.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::black);
        const int c = half, in = int(std::ceil(r)) + 1, out = half;
        painter.drawLine(c, c - out, c, c - in);
        painter.drawLine(c, c + in, c, c + out);
        painter.drawLine(c - out, c, c - in, c);
        painter.drawLine(c + in, c, c + out, c);
    }
    painter.end();
    // The hot spot: a black pixel in a white cross.
    const QRgb white = qRgba(255, 255, 255, 255);
    for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)})
        image.setPixel(half + d.x(), half + d.y(), white);
    image.setPixel(half, half, qRgba(0, 0, 0, 255));
    return image;
}

QCursor brushCursor(int index)
{
    const QImage image = brushCursorImage(index);
    return QCursor(QPixmap::fromImage(image), image.width() / 2, image.height() / 2);
}

} // namespace karwen::views
