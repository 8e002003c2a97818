// The gap fraction of every zenith ring and azimuth sector as a polar plot:
// the zenith at the centre, the maximum zenith angle at the rim, rings of
// equal zenith width. It is drawn as a map of the sky, as a sun-path chart
// is: true north up, bearings clockwise, east right. The canopy library
// counts azimuth a counter-clockwise from the destination image's x axis
// (its right), y up, the source's tilt taken out; a + tilt is the photo's
// own azimuth, which the photo's orientation turns into a true bearing. With
// the photo's top at true north and no tilt, a photo taken looking up has
// west on its right and east on its left: azimuth a is bearing a - 90
// degrees, and the plot is the photo mirrored left to right. Each cell is
// coloured by its gap fraction from dark canopy to light sky; a legend at
// the side reads the colours, and a cell the photo does not show is hatched
// grey.
#pragma once

#include "sky_orientation.h"

#include <QColor>
#include <QWidget>

#include <vector>

namespace karwen::ui {

class GapPolarPlot : public QWidget {
    Q_OBJECT
public:
    explicit GapPolarPlot(QWidget* parent = nullptr);

    // sectorGap holds ring k, sector s at k * sectors + s; NaN for a cell
    // the photo does not show.
    void setGaps(int rings, int sectors, double maxZenithDeg, std::vector<double> sectorGap);
    // Nothing to show: the plot draws its empty frame only.
    void clear();
    // How the photo lies under the sky, and the source's tilt in degrees;
    // the top at true north and no tilt at the start.
    void setOrientation(const canopy::SkyOrientation& orientation, double tiltDeg);

    // Where the sky at this compass bearing and zenith angle is drawn.
    [[nodiscard]] QPointF skyPoint(double bearingDeg, double zenithDeg) const;

    // The colour of a gap fraction 0..1.
    [[nodiscard]] static QColor gapColour(double gap);

    [[nodiscard]] QSize sizeHint() const override { return {250, 220}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {170, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QRect plotArea() const;
    void paintLegend(QPainter& painter, QRect area) const;
    // Qt's angle (anticlockwise from 3 o'clock, degrees) of canopy azimuth
    // a, unwrapped, so that a sector's arc runs from one edge to the other.
    [[nodiscard]] double qtAngleOf(double azimuthDeg) const;

    int rings_ = 0;
    int sectors_ = 0;
    double maxZenithDeg_ = 0.0;
    std::vector<double> sectorGap_;
    canopy::SkyOrientation orientation_;
    double tiltDeg_ = 0.0;
};

} // namespace karwen::ui
