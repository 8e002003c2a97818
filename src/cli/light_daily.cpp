#include "light_daily.h"

#include "calendar.h"
#include "canopy_csv.h"

#include <iterator>

namespace karwen::cli {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct DayColumn {
    std::string_view name;
    double light::LightFigures::*figure;
};

// After the file and date columns.
constexpr DayColumn kDayColumns[] = {
    {"h0", &light::LightFigures::h0},
    {"above_total", &light::LightFigures::aboveTotal},
    {"dsf", &light::LightFigures::dsf},
    {"tsf", &light::LightFigures::tsf},
    {"below_total", &light::LightFigures::belowTotal},
    {"below_par", &light::LightFigures::belowPar},
    {"direct_sun_hours", &light::LightFigures::directSunHours},
};

} // namespace

std::string dailyHeader()
{
    std::vector<std::string> names{"file", "date"};
    for (const DayColumn& c : kDayColumns)
        names.emplace_back(c.name);
    return canopy::csvLine(names);
}

std::size_t dailyColumns() { return 2 + std::size(kDayColumns); }

bool isDailyHeader(std::string_view line)
{
    if (line.starts_with(kByteOrderMark))
        line.remove_prefix(kByteOrderMark.size());
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    return line == dailyHeader();
}

std::vector<std::string> dailyLines(const canopy::CanopyRow& row)
{
    std::vector<std::string> lines;
    if (!row.light)
        return lines;
    const std::string file = canopy::csvText(row.file);
    for (const canopy::DayLight& day : row.light->days) {
        std::vector<std::string> fields{file, light::dateText(day.date)};
        for (const DayColumn& c : kDayColumns)
            fields.push_back(canopy::csvFigure(day.figures.*c.figure));
        lines.push_back(canopy::csvLine(fields));
    }
    return lines;
}

} // namespace karwen::cli
