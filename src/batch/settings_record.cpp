#include "settings_record.h"

#include "file_error.h"
#include "save_file.h"
#include "utf8_path.h"

#include <filesystem>
#include <fstream>
#include <iterator>
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
    if (theirs && *theirs != mine && resultsThere && !replace)
        return {true, settingDifferences(mine, *theirs)};
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
