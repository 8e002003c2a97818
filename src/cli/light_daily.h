// The file of each day's light figures that --light-daily names: a header,
// then one line per photo and day of the period, each day worked out as a
// period of its own; lines as the CSV's (CR LF, its quoting, names as its
// file column, six decimals, a figure that does not exist empty).
#pragma once

#include "canopy_row.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace karwen::cli {

[[nodiscard]] std::string dailyHeader();
[[nodiscard]] std::size_t dailyColumns();
// Whether a file's first line is the header (after a UTF-8 byte order mark,
// if any, and before a CR at its end).
[[nodiscard]] bool isDailyHeader(std::string_view line);

// The row's days (LightRow::days) without their line ends; none for a row
// without light figures, as a failed photo's.
[[nodiscard]] std::vector<std::string> dailyLines(const canopy::CanopyRow& row);

} // namespace karwen::cli
