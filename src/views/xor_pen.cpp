#include "xor_pen.h"

#include <QPainterPath>

namespace karwen::views {

namespace {
constexpr int kLetterPixels = 12;
}

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

void XorPen::letter(QPointF centre, QChar letter)
{
    QFont font;
    font.setPixelSize(kLetterPixels);
    font.setBold(true);
    // Every pixel of a glyph is filled once, so a second fill undoes it.
    font.setStyleStrategy(QFont::NoAntialias);
    QPainterPath glyph;
    glyph.addText(0.0, 0.0, font, QString(letter));
    glyph.translate(centre - glyph.boundingRect().center());
    painter_.fillPath(glyph, foreground_);
}

} // namespace karwen::views
