#include "value_histogram.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace karwen::ui {

namespace {

constexpr int kMargin = 4;
const QColor kCanopyBar(40, 90, 40);
const QColor kSkyBar(110, 170, 230);
const QColor kThresholdLine(220, 30, 30);

} // namespace

ValueHistogram::ValueHistogram(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("pctHistogram"));
    setToolTip(QStringLiteral("The measured values (linearised, 0 to 255) of every pixel within 90\u00B0 of the "
                              "view, weighted by the sky each pixel covers; the red line is the threshold, and "
                              "the light bars above it are counted as sky. Click to set a fixed threshold there"));
}

void ValueHistogram::setValues(const canopy::Histogram& histogram, int threshold)
{
    histogram_ = histogram;
    threshold_ = threshold;
    update();
}

void ValueHistogram::clear()
{
    histogram_.reset();
    update();
}

QRect ValueHistogram::barArea() const
{
    const int line = fontMetrics().height();
    return rect().adjusted(kMargin, kMargin + line, -kMargin, -kMargin - line);
}

int ValueHistogram::thresholdColumn() const
{
    const QRect bars = barArea();
    return bars.left() + (threshold_ * 2 + 2) * bars.width() / 512;
}

int ValueHistogram::valueAt(int x) const
{
    const QRect bars = barArea();
    if (bars.width() < 1)
        return 0;
    return std::clamp((x - bars.left()) * 256 / bars.width(), 0, 255);
}

void ValueHistogram::mousePressEvent(QMouseEvent* event)
{
    const QRect bars = barArea();
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton || at.x() < bars.left() || at.x() > bars.right()) {
        QWidget::mousePressEvent(event);
        return;
    }
    emit valueClicked(valueAt(at.x()));
}

void ValueHistogram::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect bars = barArea();
    painter.fillRect(bars, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(bars.adjusted(0, 0, -1, -1));
    const int ascent = fontMetrics().ascent();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QPoint(bars.left(), bars.bottom() + 2 + ascent), QStringLiteral("0"));
    const QString end = QStringLiteral("255");
    painter.drawText(QPoint(bars.right() - fontMetrics().horizontalAdvance(end), bars.bottom() + 2 + ascent), end);
    if (!histogram_ || bars.width() < 2 || bars.height() < 2)
        return;

    const canopy::Histogram& h = *histogram_;
    const double tallest = std::sqrt(std::max(*std::max_element(h.begin() + 1, h.end() - 1), 1e-300));
    for (int v = 0; v < 256; ++v) {
        const int x0 = bars.left() + v * bars.width() / 256, x1 = bars.left() + (v + 1) * bars.width() / 256;
        const double share = std::min(1.0, std::sqrt(h[std::size_t(v)]) / tallest);
        const int height = int(share * (bars.height() - 1) + 0.5);
        if (height > 0)
            painter.fillRect(QRect(x0, bars.bottom() - height + 1, std::max(1, x1 - x0), height),
                v > threshold_ ? kSkyBar : kCanopyBar);
    }
    const int x = thresholdColumn();
    painter.setPen(QPen(kThresholdLine, 2));
    painter.drawLine(x, bars.top(), x, bars.bottom());
    const QString label = QStringLiteral("threshold %1").arg(threshold_);
    const int width = fontMetrics().horizontalAdvance(label);
    painter.drawText(QPoint(std::clamp(x - width / 2, bars.left(), bars.right() - width), bars.top() - 3), label);
}

} // namespace karwen::ui
