#include "xor_pen.h"

namespace karwen::views {

XorPen::XorPen(QImage& canvas, QColor foreground)
    : painter_(&canvas)
    , foreground_(foreground)
{
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter_.setBrush(Qt::NoBrush);
    solid();
}

void XorPen::solid() { setStyle(Qt::SolidLine); }

void XorPen::dotted() { setStyle(Qt::DotLine); }

void XorPen::setStyle(Qt::PenStyle style)
{
    QPen pen(foreground_, 0, style);
    pen.setCosmetic(true);
    painter_.setPen(pen);
}

void XorPen::circle(QPointF centre, double radius) { painter_.drawEllipse(centre, radius, radius); }

void XorPen::line(QPointF from, QPointF to) { painter_.drawLine(from, to); }

} // namespace karwen::views
