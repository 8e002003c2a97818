// Every canopy figure of the open photo in one table: a row per figure,
// named as a field sheet writes it (Le, L, LX, DIFN) with a tool tip saying
// what it is, the value from every pixel beside the value from the sample
// dots and the dots' 95 % interval, and how many dots fall off the photo; a
// dash where a figure does not exist (the dots give no DIFN, a ring the
// photo does not show has no gap fraction). A leaf area index with a ring
// or sector without sky shows as a bound, "at least ...", its tool tip
// saying which cells and how they were counted; LX then has no value.
// Fractions show three decimals, leaf area indices two.
#pragma once

#include "canopy_tracker.h"
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
    // figures given (either may be missing); origin names the dots.
    void showFigures(const canopy::PixelFigures* pixels, const canopy::DotFigures* dots, canopy::DotOrigin origin,
        int rings, double maxZenithDeg);

    // Why the dot columns are empty, in the tool tip of each of their cells.
    void explainMissingDots(const QString& why);

    // The cell of a figure ("openness", "Le", "gf 2"...) in a column, and
    // its text; none past the rows.
    [[nodiscard]] QTableWidgetItem* cell(const QString& figure, Column column) const;
    [[nodiscard]] QString text(const QString& figure, Column column) const;
    // The tool tip of a figure's name.
    [[nodiscard]] QString nameTip(const QString& figure) const;

    // Tall enough for every row.
    [[nodiscard]] QSize sizeHint() const override;

private:
    void setRows(int rings, double maxZenithDeg);
    void setCell(int row, Column column, const QString& text);

    double maxZenith_ = 0.0; // of the ring rows' tool tips
};

} // namespace karwen::ui
