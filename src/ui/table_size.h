// The room a figure table asks for: every row, and columns of the given
// width beside the row names, with room left for a vertical scroll bar
// should the window give it less height.
#pragma once

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>

namespace karwen::ui {

[[nodiscard]] inline QSize wholeTableSize(const QTableWidget& table, int columnsWidth)
{
    const int frame = 2 * table.frameWidth();
    const int bar = table.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &table);
    const int rows = table.verticalHeader()->defaultSectionSize() * table.rowCount();
    return {table.verticalHeader()->sizeHint().width() + columnsWidth + bar + frame,
        table.horizontalHeader()->sizeHint().height() + rows + frame};
}

} // namespace karwen::ui
