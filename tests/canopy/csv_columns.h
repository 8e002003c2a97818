// The CSV suites' rows: a measured row to fill in, and a row's fields by
// the header's column names.
#pragma once

#include "canopy_csv.h"
#include "canopy_csv_reading.h"
#include "projection_model.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace karwen::canopy {

// A photo measured through the given source projection, its figures all zero.
inline CanopyRow measuredRow(int rings, int32_t projection)
{
    CanopyRow row;
    row.file = "a.jpg";
    row.settings.rings = rings;
    row.source = {250, 250, 240, 0, 0, 0, projection};
    row.pixels.emplace();
    row.dstProjection = kEquisolidangle;
    return row;
}

inline std::map<std::string, std::string> columnsOf(const CanopyRow& row)
{
    const auto names = csvFields(csvHeader(row.settings.rings)).value();
    const auto values = csvFields(csvRow(row)).value();
    EXPECT_EQ(values.size(), names.size());
    std::map<std::string, std::string> columns;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
        columns[names[i]] = values[i];
    return columns;
}

} // namespace karwen::canopy
