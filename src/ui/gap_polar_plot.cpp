#include "gap_polar_plot.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace karwen::ui {

namespace {

constexpr int kLegendWidth = 46;
constexpr int kLabelRoom = 30; // the rim's zenith angle right of the circle
constexpr int kMargin = 8;
constexpr int kCompassRoom = 14; // N, E, S, W around the circle

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
    setToolTip(QStringLiteral("Gap fraction per zenith ring and azimuth sector, the zenith in the middle, drawn "
                              "as a map of the sky: true north up (the photo turned by the top azimuth and the "
                              "declination of the Light tab), bearings clockwise, east right; the photo, taken "
                              "looking up, shows east on its left. Hatched where the photo shows none of the "
                              "cell"));
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

void GapPolarPlot::setOrientation(const canopy::SkyOrientation& orientation, double tiltDeg)
{
    if (orientation == orientation_ && tiltDeg == tiltDeg_)
        return;
    orientation_ = orientation;
    tiltDeg_ = tiltDeg;
    update();
}

double GapPolarPlot::qtAngleOf(double azimuthDeg) const
{
    // Bearings run clockwise from north at 12 o'clock: Qt's 90 - bearing.
    // The bearing follows the azimuth one way, or the other when mirrored.
    const double atZero = orientation_.trueAzimuth(tiltDeg_);
    return 90.0 - atZero - (orientation_.mirrored ? -azimuthDeg : azimuthDeg);
}

QColor GapPolarPlot::gapColour(double gap)
{
    const double g = std::clamp(gap, 0.0, 1.0);
    const Stop& a = g <= kRamp[1].at ? kRamp[0] : kRamp[1];
    const Stop& b = g <= kRamp[1].at ? kRamp[1] : kRamp[2];
    const double f = (g - a.at) / (b.at - a.at);
    const auto mix = [f](int x, int y) { return int(std::lround(x + f * (y - x))); };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b)};
}

QRect GapPolarPlot::plotArea() const
{
    return rect().adjusted(
        kMargin + kCompassRoom, kMargin + kCompassRoom, -kLegendWidth - kLabelRoom, -kMargin - kCompassRoom);
}

QPointF GapPolarPlot::skyPoint(double bearingDeg, double zenithDeg) const
{
    const QRect area = plotArea();
    const double radius = std::max(0, std::min(area.width(), area.height())) / 2.0;
    const double r = maxZenithDeg_ > 0.0 ? radius * zenithDeg / maxZenithDeg_ : 0.0;
    const double b = bearingDeg * std::numbers::pi / 180.0;
    const QPointF centre = QRectF(area).center();
    return {centre.x() + r * std::sin(b), centre.y() - r * std::cos(b)};
}

void GapPolarPlot::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect area = plotArea();
    const double radius = std::max(0, std::min(area.width(), area.height())) / 2.0;
    const QPointF centre = QRectF(area).center();
    const auto circle = [&](double r) { return QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r); };

    const bool filled = rings_ > 0 && sectors_ > 0 && sectorGap_.size() == std::size_t(rings_) * std::size_t(sectors_);
    if (filled) {
        painter.setPen(QPen(palette().color(QPalette::Mid), 0.5));
        const double span = 360.0 / sectors_;
        for (int k = 0; k < rings_; ++k) {
            const double inner = radius * k / rings_, outer = radius * (k + 1) / rings_;
            for (int s = 0; s < sectors_; ++s) {
                // Sector s spans azimuths span s .. span (s + 1); its arc
                // starts at whichever edge Qt's angles put first.
                const double start = std::min(qtAngleOf(span * s), qtAngleOf(span * (s + 1)));
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
        // The compass points outside the rim, and the rim's zenith angle.
        const QFontMetrics metrics = fontMetrics();
        const double gap = 3.0;
        const auto label = [&](const QString& text, double dx, double dy) {
            const QSizeF size(metrics.horizontalAdvance(text), metrics.ascent());
            const QPointF at(centre.x() + dx * (radius + gap + size.width() / 2.0) - size.width() / 2.0,
                centre.y() - dy * (radius + gap + size.height() / 2.0) + size.height() / 2.0);
            painter.drawText(at, text);
        };
        label(QStringLiteral("N"), 0.0, 1.0);
        label(QStringLiteral("E"), 1.0, 0.0);
        label(QStringLiteral("S"), 0.0, -1.0);
        label(QStringLiteral("W"), -1.0, 0.0);
        painter.drawText(QPointF(centre.x() + radius * 0.72 + gap, centre.y() + radius * 0.72 + metrics.ascent()),
            QString::number(maxZenithDeg_, 'g', 3) + QStringLiteral("\u00B0"));
    }
    paintLegend(painter, QRect(width() - kLegendWidth, area.top(), kLegendWidth, area.height()));
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
