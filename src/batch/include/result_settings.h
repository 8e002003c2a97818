// What a folder of results remembers, whether the command line's convert or
// the batch dialog made them: the settings that decide what a result looks
// like, in a small hidden text file (kSettingsFileName), one "--option
// value" a line. A rerun compares its own settings with them, so that
// results made otherwise are never taken for its own.
#pragma once

#include "batch_convert.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace karwen {

inline constexpr const char* kSettingsFileName = ".karwen-convert";
// The line of a run that decodes its photos at a smaller scale where it can
// ("--decode auto"); a run that decodes them in full has none.
inline constexpr const char* kDecodeSettingName = "--decode";

struct Setting {
    std::string name; // the option's, as the user gives it: "--size"
    std::string value;
    bool operator==(const Setting&) const = default;
};

// The settings of a run's results, in a fixed order. The results' names
// (--postfix, --format) are not among them: other names are other results.
[[nodiscard]] std::vector<Setting> resultSettings(const BatchSettings& settings);

// The same for a run whose photos may have settings of their own (a table
// of settings per photo): after the run's, one line per such photo, named
// by the photo (photoSettingName), of its settings that differ from the
// run's.
[[nodiscard]] std::vector<Setting> resultSettings(
    const BatchSettings& settings, const std::vector<std::pair<std::string, BatchSettings>>& ownByPhoto);
// The name of a photo's own line: "--photo-settings:" and the photo's
// path, its spaces, line breaks and percent signs as %20, %0A and %25, so
// that the name is one word.
[[nodiscard]] std::string photoSettingName(const std::string& photo);

[[nodiscard]] std::string settingsText(const std::vector<Setting>& settings);
// The settings a file of settingsText holds; nothing when it is no such file.
[[nodiscard]] std::optional<std::vector<Setting>> settingsFrom(const std::string& text);

// Each setting that differs, as "--size 1024x1024 here, 512x512 there",
// `here` being this run's and `there` those of the folder ("not recorded"
// where it has none; "not given here" for one recorded that this run does
// not have).
[[nodiscard]] std::vector<std::string> settingDifferences(
    const std::vector<Setting>& here, const std::vector<Setting>& there);

} // namespace karwen
