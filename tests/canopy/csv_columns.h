// A CSV row's fields by the header's column names, for the CSV suites.
#pragma once

#include "canopy_csv.h"
#include "canopy_csv_reading.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace karwen::canopy {

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
