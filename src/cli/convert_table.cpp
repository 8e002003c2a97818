#include "convert_table.h"

#include <utility>

namespace karwen::cli {

ConvertTable::ConvertTable(
    const ConvertOptions& o, const std::vector<PlannedFile>& plan, const std::vector<PlannedFile>& mine)
{
    std::vector<std::string> list;
    std::vector<std::pair<std::string, BatchSettings>> ownByPhoto;
    for (const PlannedFile& file : plan) {
        list.push_back(file.sourcePath);
        const TableRow* row = o.table ? o.table->rowOf(file.sourcePath) : nullptr;
        if (!row)
            continue;
        const BatchSettings& s
            = settings_.emplace(file.sourcePath, withSource(o.settings, row->settings.source)).first->second;
        ownByPhoto.emplace_back(file.sourcePath, s);
    }
    for (const PlannedFile& file : mine) {
        const auto it = settings_.find(file.sourcePath);
        own.push_back(it == settings_.end() ? nullptr : &it->second);
    }
    recorded = resultSettings(o.settings, ownByPhoto);
    if (o.table)
        unused = o.table->unusedRows(list);
}

} // namespace karwen::cli
