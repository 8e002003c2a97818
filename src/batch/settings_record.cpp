#include "settings_record.h"

#include "file_error.h"
#include "save_file.h"
#include "utf8_path.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

namespace karwen {

namespace {

namespace fs = std::filesystem;

fs::path recordPath(const std::string& folder) { return files::utf8Path(folder) / kSettingsFileName; }

bool anyResultExists(const std::vector<PlannedFile>& files)
{
    for (const PlannedFile& file : files) {
        std::error_code ec;
        if (file.refusal.empty()
            && fs::symlink_status(files::utf8Path(file.outputPath), ec).type() != fs::file_type::not_found)
            return true;
    }
    return false;
}

// The settings but the lines of photos of their own (photoSettingName)
// whose results are not there: a photo's own settings bind only its result.
std::vector<Setting> ofResultsThere(const std::vector<Setting>& settings, const std::vector<PlannedFile>& files)
{
    std::set<std::string> there;
    for (const PlannedFile& file : files)
        if (anyResultExists({file}))
            there.insert(photoSettingName(file.sourcePath));
    std::vector<Setting> kept;
    for (const Setting& s : settings)
        if (!s.name.starts_with(photoSettingName("")) || there.contains(s.name))
            kept.push_back(s);
    return kept;
}

} // namespace

std::optional<std::vector<Setting>> recordedSettings(const std::string& folder)
{
    std::ifstream in(recordPath(folder), std::ios::binary);
    if (!in)
        return std::nullopt;
    return settingsFrom({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

RecordCheck checkSettingsRecord(
    const std::string& folder, const std::vector<PlannedFile>& files, const BatchSettings& settings, bool replace)
{
    return checkSettingsRecord(folder, files, resultSettings(settings), replace);
}

RecordCheck checkSettingsRecord(
    const std::string& folder, const std::vector<PlannedFile>& files, const std::vector<Setting>& mine, bool replace)
{
    const std::optional<std::vector<Setting>> theirs = recordedSettings(folder);
    const bool resultsThere = anyResultExists(files);
    if (theirs && resultsThere && !replace) {
        const std::vector<Setting> here = ofResultsThere(mine, files), there = ofResultsThere(*theirs, files);
        if (here != there)
            return {true, settingDifferences(here, there)};
    }
    // A folder of results made before settings were recorded: whether
    // these settings are theirs is not known until this run adds its own.
    if (!theirs && resultsThere)
        return {false, {}, false, true};
    return {false, {}, theirs != mine};
}

std::string recordSettings(const std::string& folder, const BatchSettings& settings)
{
    return recordSettings(folder, resultSettings(settings));
}

std::string recordSettings(const std::string& folder, const std::vector<Setting>& settings)
{
    try {
        const std::string text = settingsText(settings);
        files::saveFile(files::utf8String(recordPath(folder)), text.data(), text.size());
    } catch (const files::FileError& e) {
        return e.what();
    }
    return {};
}

} // namespace karwen
