#include "about_animation.h"

#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>
#include <numbers>

namespace karwen::ui {

namespace {

constexpr int kAzimuthLines = 12; // one every 30 degrees
constexpr double kLineStep = 360.0 / kAzimuthLines;
constexpr double kTurnPerFrame = kLineStep / kAboutFrames;
constexpr double kSweepPerFrame = 360.0 / kAboutFrames;

QPointF onCircle(QPointF centre, double radius, double degrees)
{
    const double a = degrees * std::numbers::pi / 180.0;
    return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

} // namespace

QPixmap aboutFrame(int index, int side)
{
    const int frame = ((index % kAboutFrames) + kAboutFrames) % kAboutFrames;
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    const QPointF c(side / 2.0, side / 2.0);
    const double horizon = side / 2.0 - 3.0;

    // The lens barrel and the sky, bright at the zenith, deep at the horizon.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 48));
    p.drawEllipse(c, horizon + 2.5, horizon + 2.5);
    QRadialGradient sky(c, horizon);
    sky.setColorAt(0.0, QColor(150, 205, 255));
    sky.setColorAt(1.0, QColor(20, 60, 140));
    p.setBrush(sky);
    p.drawEllipse(c, horizon, horizon);

    // The sweep: a light 45-degree sector going once round per cycle.
    const double sweep = frame * kSweepPerFrame;
    QPainterPath sector(c);
    sector.arcTo(QRectF(c.x() - horizon, c.y() - horizon, 2 * horizon, 2 * horizon), sweep, kSweepPerFrame);
    sector.closeSubpath();
    p.setBrush(QColor(255, 255, 255, 80));
    p.drawPath(sector);

    // Elevation rings at 30 and 60 degrees of an equidistant fisheye.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 170), 1.0));
    for (double elevation : {30.0, 60.0})
        p.drawEllipse(c, horizon * (1.0 - elevation / 90.0), horizon * (1.0 - elevation / 90.0));
    // Azimuth lines, turned a fraction of their spacing each frame.
    const double turn = frame * kTurnPerFrame;
    for (int i = 0; i < kAzimuthLines; ++i)
        p.drawLine(onCircle(c, horizon / 6.0, turn + i * kLineStep), onCircle(c, horizon, turn + i * kLineStep));

    // The sun in the sweep, the horizon line on top.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 60));
    p.drawEllipse(onCircle(c, horizon * 0.55, sweep + kSweepPerFrame / 2.0), side / 18.0, side / 18.0);
    p.setPen(QPen(QColor(230, 230, 240), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, horizon, horizon);
    return picture;
}

} // namespace karwen::ui
