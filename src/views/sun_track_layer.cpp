#include "sun_track_layer.h"

#include "image_view.h"

#include <QPainter>
#include <QPainterPath>

namespace karwen::views {

namespace {

// A dark edge keeps the paths readable on bright sky as on dark leaves.
const QColor kEdge(0, 0, 0, 170);
constexpr double kPathWidth = 1.6;
constexpr double kEdgeWidth = 3.6;
constexpr double kHourRadius = 2.6;
constexpr int kLabelPixels = 10;

} // namespace

SunTrackLayer::SunTrackLayer(ImageView& view, ViewTool& under)
    : view_(view)
    , under_(under)
{
}

void SunTrackLayer::paint(QImage& canvas)
{
    if (!days_.empty()) {
        const ViewMapping m = view_.mapping();
        QPainterPath paths, dots, labels;
        QFont font;
        font.setPixelSize(kLabelPixels);
        for (const SunDayTrack& day : days_) {
            for (const std::vector<QPointF>& run : day.runs) {
                if (run.empty())
                    continue;
                paths.moveTo(mapToView(m, run.front()));
                for (std::size_t k = 1; k < run.size(); ++k)
                    paths.lineTo(mapToView(m, run[k]));
            }
            for (const HourMark& mark : day.hours) {
                const QPointF at = mapToView(m, mark.at);
                dots.addEllipse(at, kHourRadius, kHourRadius);
                if (day.labelled)
                    labels.addText(
                        at + QPointF(kHourRadius + 2.0, -kHourRadius - 1.0), font, QString::number(mark.hour));
            }
        }
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QColor colour = QColor::fromRgb(kTrackColour);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(kEdge, kEdgeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(paths);
        painter.setPen(QPen(colour, kPathWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(paths);
        painter.setPen(QPen(kEdge, 1.2));
        painter.setBrush(colour);
        painter.drawPath(dots);
        painter.setPen(QPen(kEdge, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(labels);
        painter.fillPath(labels, Qt::white);
    }
    under_.paint(canvas);
}

} // namespace karwen::views
