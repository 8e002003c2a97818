#include "gap_polar_plot.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>

namespace karwen::ui {

namespace {

constexpr int kLegendWidth = 56;
constexpr int kLabelRoom = 30; // the rim's labels right of the circle
constexpr int kMargin = 8;

// Dark green canopy through a slate blue to nearly white sky.
struct Stop {
    double at;
    int r, g, b;
};
constexpr std::array<Stop, 3> kRamp{{{0.0, 16, 48, 16}, {0.5, 80, 128, 150}, {1.0, 228, 242, 255}}};

const QBrush kHiddenBrush(QColor(150, 150, 150), Qt::BDiagPattern);

} // namespace

GapPolarPlot::GapPolarPlot(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pctGaps"));
    setToolTip(QStringLiteral("Gap fraction per zenith ring and azimuth sector, the zenith in the middle; "
                              "hatched where the photo shows none of the cell"));
}

void GapPolarPlot::setGaps(int rings, int sectors, double maxZenithDeg, std::vector<double> sectorGap)
{
    rings_ = rings;
    sectors_ = sectors;
    maxZenithDeg_ = maxZenithDeg;
    sectorGap_ = std::move(sectorGap);
    update();
}

void GapPolarPlot::clear() { setGaps(0, 0, 0.0, {}); }

QColor GapPolarPlot::gapColour(double gap)
{
    const double g = std::clamp(gap, 0.0, 1.0);
    const Stop& a = g <= kRamp[1].at ? kRamp[0] : kRamp[1];
    const Stop& b = g <= kRamp[1].at ? kRamp[1] : kRamp[2];
    const double f = (g - a.at) / (b.at - a.at);
    const auto mix = [f](int x, int y) { return int(std::lround(x + f * (y - x))); };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

void GapPolarPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect plotArea = rect().adjusted(kMargin, kMargin, -kLegendWidth - kLabelRoom, -kMargin);
    const double radius = std::max(0, std::min(plotArea.width(), plotArea.height())) / 2.0;
    const QPointF centre = QRectF(plotArea).center();
    const auto circle = [&](double r) { return QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r); };

    const bool filled = rings_ > 0 && sectors_ > 0 && sectorGap_.size() == std::size_t(rings_) * std::size_t(sectors_);
    if (filled) {
        painter.setPen(QPen(palette().color(QPalette::Mid), 0.5));
        const double span = 360.0 / sectors_;
        for (int k = 0; k < rings_; ++k) {
            const double inner = radius * k / rings_, outer = radius * (k + 1) / rings_;
            for (int s = 0; s < sectors_; ++s) {
                // Qt's arcs run counter-clockwise on the screen from the
                // right, as the azimuth does in the destination view.
                const double start = span * s;
                QPainterPath cell;
                cell.arcMoveTo(circle(outer), start);
                cell.arcTo(circle(outer), start, span);
                if (inner > 0.0)
                    cell.arcTo(circle(inner), start + span, -span);
                else
                    cell.lineTo(centre);
                cell.closeSubpath();
                const double gap = sectorGap_[std::size_t(k) * std::size_t(sectors_) + std::size_t(s)];
                painter.setBrush(std::isfinite(gap) ? QBrush(gapColour(gap)) : kHiddenBrush);
                painter.drawPath(cell);
            }
        }
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
    painter.drawEllipse(circle(radius));
    if (filled) {
        // The rim's zenith angle and the direction sector 1 starts in.
        painter.drawText(QPointF(centre.x() + radius + 2, centre.y() - 3),
            QString::number(maxZenithDeg_, 'g', 3) + QStringLiteral("\u00B0"));
        painter.drawText(QPointF(centre.x() + radius + 2, centre.y() + fontMetrics().ascent()), QStringLiteral("az 0"));
    }
    paintLegend(painter, QRect(width() - kLegendWidth, plotArea.top(), kLegendWidth, plotArea.height()));
}

void GapPolarPlot::paintLegend(QPainter& painter, QRect area) const
{
    const int line = fontMetrics().height();
    const QRect bar(area.left(), area.top() + line + 4, 14, std::max(20, area.height() - 4 * line));
    QLinearGradient ramp(bar.bottomLeft(), bar.topLeft());
    for (const Stop& stop : kRamp)
        ramp.setColorAt(stop.at, gapColour(stop.at));
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1.0));
    painter.fillRect(bar, ramp);
    painter.drawRect(bar);
    const int textX = bar.right() + 4;
    painter.drawText(QPoint(area.left(), area.top() + fontMetrics().ascent()), QStringLiteral("gap"));
    painter.drawText(QPoint(textX, bar.top() + fontMetrics().ascent() / 2), QStringLiteral("1"));
    painter.drawText(QPoint(textX, bar.center().y() + fontMetrics().ascent() / 2), QStringLiteral("0.5"));
    painter.drawText(QPoint(textX, bar.bottom() + fontMetrics().ascent() / 2), QStringLiteral("0"));
    const QRect hidden(area.left(), bar.bottom() + line, 14, 12);
    painter.fillRect(hidden, kHiddenBrush);
    painter.drawRect(hidden);
    painter.drawText(QPoint(textX, hidden.bottom()), QStringLiteral("none"));
}

} // namespace karwen::ui
