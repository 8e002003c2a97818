// The histogram the threshold was found on: the linearised values 0..255 of
// every pixel within 90 degrees of the view, each weighted by its solid
// angle, canopy bars dark and sky bars (above the threshold) light, the
// threshold a red line with its value. Bar heights go with the square root
// of the weight, so that the smaller class still shows beside the larger,
// scaled to the tallest but the two end values, which a clipped photo
// piles up. A click on the bars asks for a fixed threshold at the value
// under the mouse.
#pragma once

#include "threshold.h"

#include <QWidget>

#include <optional>

namespace karwen::ui {

class ValueHistogram : public QWidget {
    Q_OBJECT
public:
    explicit ValueHistogram(QWidget* parent = nullptr);

    void setValues(const canopy::Histogram& histogram, int threshold);
    // Nothing measured: an empty frame.
    void clear();

    [[nodiscard]] const std::optional<canopy::Histogram>& values() const { return histogram_; }
    [[nodiscard]] int threshold() const { return threshold_; }
    // The picture column the threshold line is drawn at, for tests.
    [[nodiscard]] int thresholdColumn() const;
    // The value whose bar covers picture column x, clamped to 0..255.
    [[nodiscard]] int valueAt(int x) const;

    [[nodiscard]] QSize sizeHint() const override { return {250, 110}; }
    [[nodiscard]] QSize minimumSizeHint() const override { return {160, 70}; }

signals:
    // The bars were clicked at this value.
    void valueClicked(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    [[nodiscard]] QRect barArea() const;

    std::optional<canopy::Histogram> histogram_;
    int threshold_ = 0;
};

} // namespace karwen::ui
