// The settings record of a folder of results (result_settings.h): read,
// judged against a run's settings and written by one rule for the command
// line's convert and the batch dialog, so that each continues the other's
// folders.
#pragma once

#include "batch_convert.h"
#include "batch_plan.h"
#include "result_settings.h"

#include <optional>
#include <string>
#include <vector>

namespace karwen {

struct RecordCheck {
    // The folder holds results made with other settings that this run
    // would keep (it replaces none): it must not go on.
    bool otherSettings = false;
    // For otherSettings, each that differs (settingDifferences).
    std::vector<std::string> differences;
    // The run's settings are to be recorded before its first result.
    bool recordNow = false;
    // The folder holds results from before settings were recorded: the
    // settings are recorded once the run has converted a photo.
    bool recordAfterRun = false;
};

// folder: where the results go; files: the results this run writes;
// replace: the results there are replaced rather than kept.
[[nodiscard]] RecordCheck checkSettingsRecord(
    const std::string& folder, const std::vector<PlannedFile>& files, const BatchSettings& settings, bool replace);

// The same for the settings of resultSettings.
[[nodiscard]] RecordCheck checkSettingsRecord(
    const std::string& folder, const std::vector<PlannedFile>& files, const std::vector<Setting>& mine, bool replace);

// The settings recorded in folder; nothing when it holds no record.
[[nodiscard]] std::optional<std::vector<Setting>> recordedSettings(const std::string& folder);

// Records the settings in folder; the reason it cannot, or "" when done.
[[nodiscard]] std::string recordSettings(const std::string& folder, const BatchSettings& settings);
[[nodiscard]] std::string recordSettings(const std::string& folder, const std::vector<Setting>& settings);

} // namespace karwen
