// What convert takes from --photo-settings: each result's settings, the
// source side of its photo's row in place of the options', and the
// settings the output folder records, a line for each photo of the whole
// list (so that the shards of a run agree) whose row changes its result.
#pragma once

#include "batch_convert.h"
#include "batch_plan.h"
#include "convert_options.h"
#include "result_settings.h"

#include <map>
#include <string>
#include <vector>

namespace karwen::cli {

struct ConvertTable {
    std::vector<const BatchSettings*> own; // mine[i]'s settings; nullptr: the options'
    std::vector<Setting> recorded;         // of the folder's record
    std::string unused;                    // the rows naming no photo of the list; "" for none

    ConvertTable() = default;
    ConvertTable(const ConvertTable&) = delete; // own points into settings_
    ConvertTable& operator=(const ConvertTable&) = delete;

    // plan: the whole list's results; mine: this shard's.
    ConvertTable(const ConvertOptions& o, const std::vector<PlannedFile>& plan, const std::vector<PlannedFile>& mine);

private:
    std::map<std::string, BatchSettings> settings_; // by photo, as listed
};

} // namespace karwen::cli
