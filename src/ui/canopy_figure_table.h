// Every canopy figure of the open photo in one table: a row per figure,
// the value from every pixel beside the value from the sample dots and the
// dots' 95 % interval, and how many dots fall off the photo; a dash where a
// figure does not exist (the dots give no DIFN, a ring the photo does not
// show has no gap fraction). Fractions show three decimals, leaf area
// indices two.
#pragma once

#include "dot_figures.h"
#include "pixel_figures.h"

#include <QTableWidget>

namespace karwen::ui {

class CanopyFigureTable : public QTableWidget {
    Q_OBJECT
public:
    enum Column { kPixels, kDots, kInterval };

    explicit CanopyFigureTable(QWidget* parent = nullptr);

    // Rows for `rings` zenith rings up to maxZenithDeg, filled from the
    // figures given (either may be missing).
    void showFigures(
        const canopy::PixelFigures* pixels, const canopy::DotFigures* dots, int rings, double maxZenithDeg);

    // The text shown for a figure ("openness", "le", "gf 2"...) in a column.
    [[nodiscard]] QString text(const QString& figure, Column column) const;

    // Tall enough for every row.
    [[nodiscard]] QSize sizeHint() const override;

private:
    void setRows(int rings, double maxZenithDeg);
    void setCell(int row, Column column, const QString& text);

    double maxZenith_ = 0.0; // of the ring rows' tool tips
};

} // namespace karwen::ui
