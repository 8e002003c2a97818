#include "canopy_figure_table.h"

#include <QHeaderView>

#include <cmath>

namespace karwen::ui {

namespace {

using canopy::DotFigures;
using canopy::Estimate;
using canopy::PixelFigures;

const QString kNone = QStringLiteral("\u2013");

// The rows before the rings' gap fractions.
enum Row { kThreshold, kOpenness, kDifn, kLe, kL, kLx, kEffectiveDots, kDotsOutside, kFirstRing };

constexpr int kFractionDecimals = 3;
constexpr int kIndexDecimals = 2;

QString number(double value, int decimals)
{
    return std::isfinite(value) ? QString::number(value, 'f', decimals) : kNone;
}

QString interval(const Estimate& e, int decimals)
{
    return number(e.lo, decimals) + QStringLiteral("\u2013") + number(e.hi, decimals);
}

} // namespace

CanopyFigureTable::CanopyFigureTable(QWidget* parent)
    : QTableWidget(0, 3, parent)
{
    setObjectName(QStringLiteral("grdFigures"));
    setHorizontalHeaderLabels({QStringLiteral("pixels"), QStringLiteral("dots"), QStringLiteral("dots 95 %")});
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    setFocusPolicy(Qt::NoFocus);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->setSectionResizeMode(kInterval, QHeaderView::ResizeToContents);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setToolTip(QStringLiteral("Figures from every pixel of the photo, and from the sample dots of the destination"));
}

void CanopyFigureTable::setRows(int rings, double maxZenithDeg)
{
    if (rowCount() == kFirstRing + rings && maxZenith_ == maxZenithDeg)
        return;
    maxZenith_ = maxZenithDeg;
    QStringList names{QStringLiteral("threshold"), QStringLiteral("openness"), QStringLiteral("DIFN"),
        QStringLiteral("le"), QStringLiteral("l"), QStringLiteral("lx"), QStringLiteral("dots (n)"),
        QStringLiteral("dots outside")};
    const double width = maxZenithDeg / rings;
    for (int k = 0; k < rings; ++k)
        names << QStringLiteral("gf %1").arg(k + 1);
    setRowCount(int(names.size()));
    setVerticalHeaderLabels(names);
    verticalHeaderItem(kDotsOutside)
        ->setToolTip(QStringLiteral("Dots whose point falls off the photo, left out of "
                                    "both figures from the dots"));
    for (int k = 0; k < rings; ++k)
        verticalHeaderItem(kFirstRing + k)
            ->setToolTip(QStringLiteral("Gap fraction of zenith %1\u00B0 to %2\u00B0")
                             .arg(QString::number(k * width, 'g', 3), QString::number((k + 1) * width, 'g', 3)));
    for (int row = 0; row < rowCount(); ++row)
        for (int column = 0; column < columnCount(); ++column) {
            auto* cell = new QTableWidgetItem(kNone);
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            setItem(row, column, cell);
        }
}

void CanopyFigureTable::setCell(int row, Column column, const QString& text)
{
    if (QTableWidgetItem* cell = item(row, column); cell && cell->text() != text)
        cell->setText(text);
}

void CanopyFigureTable::showFigures(const PixelFigures* pixels, const DotFigures* dots, int rings, double maxZenithDeg)
{
    setRows(rings, maxZenithDeg);
    const bool p = pixels && pixels->status == canopy::PixelStatus::Ok;
    setCell(kThreshold, kPixels, p ? QString::number(pixels->threshold) : kNone);
    setCell(kOpenness, kPixels, p ? number(pixels->openness, kFractionDecimals) : kNone);
    setCell(kDifn, kPixels, p ? number(pixels->difn, kFractionDecimals) : kNone);
    setCell(kLe, kPixels, p ? number(pixels->le, kIndexDecimals) : kNone);
    setCell(kL, kPixels, p ? number(pixels->l, kIndexDecimals) : kNone);
    setCell(kLx, kPixels, p ? number(pixels->lx, kIndexDecimals) : kNone);
    for (int k = 0; k < rings; ++k) {
        const auto i = std::size_t(k);
        setCell(kFirstRing + k, kPixels,
            p && i < pixels->ringGap.size() ? number(pixels->ringGap[i], kFractionDecimals) : kNone);
    }

    const bool d = dots && dots->status == canopy::DotStatus::Ok;
    setCell(kOpenness, kDots, d ? number(dots->openness.value, kFractionDecimals) : kNone);
    setCell(kOpenness, kInterval, d ? interval(dots->openness, kFractionDecimals) : kNone);
    const bool le = d && dots->le.has_value();
    setCell(kLe, kDots, le ? number(dots->le->value, kIndexDecimals) : kNone);
    setCell(kLe, kInterval, le ? interval(*dots->le, kIndexDecimals) : kNone);
    setCell(kEffectiveDots, kDots, d ? number(dots->effectiveDots, 0) : kNone);
    setCell(kDotsOutside, kDots, d ? QString::number(dots->outside) : kNone);
}

QSize CanopyFigureTable::sizeHint() const
{
    const int rows = verticalHeader()->defaultSectionSize() * rowCount();
    return {QTableWidget::sizeHint().width(), horizontalHeader()->sizeHint().height() + rows + 2 * frameWidth()};
}

QString CanopyFigureTable::text(const QString& figure, Column column) const
{
    for (int row = 0; row < rowCount(); ++row)
        if (verticalHeaderItem(row)->text() == figure)
            return item(row, column)->text();
    return {};
}

} // namespace karwen::ui
