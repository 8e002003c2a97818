#include "convert_folder.h"

#include "atomic_file_writer.h"
#include "convert_settings.h"
#include "file_error.h"
#include "file_messages.h"
#include "file_path.h"
#include "left_temporaries.h"
#include "run_control.h"
#include "save_file.h"
#include "utf8_path.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <system_error>

namespace karwen::cli {

namespace {

namespace fs = std::filesystem;

FolderCheck failed(const std::string& what, const std::string& folder, const std::string& why)
{
    return {kExitFailures, "Cannot write into " + what + " \"" + folder + "\": " + why + "."};
}

// The library's words on what stops a new file, without the folder's path.
std::string creationReason(const files::FileError& e, const std::string& folder)
{
    std::string why = e.what();
    const std::string quoted = " '" + folder + "'";
    if (const std::size_t at = why.find(quoted); at != std::string::npos)
        why.erase(at, quoted.size());
    return why;
}

// Whether a new file can be put into folder: one is made and removed again,
// which also finds a read-only disk and an account that permission bits do
// not stop.
std::string creationProblem(const std::string& folder)
{
    try {
        files::AtomicFileWriter probe(files::utf8String(files::utf8Path(folder) / kSettingsFileName), nullptr);
    } catch (const files::FileError& e) {
        return creationReason(e, folder);
    }
    return {};
}

std::optional<std::vector<Setting>> recordedSettings(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    return settingsFrom({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

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

std::string joined(const std::vector<std::string>& parts)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

} // namespace

FolderCheck makeResultFolders(const std::string& folder, const std::vector<PlannedFile>& files, const std::string& what)
{
    std::set<std::string> folders{folder};
    for (const PlannedFile& file : files)
        folders.insert(files::folderOf(file.outputPath));
    for (const std::string& f : folders) {
        std::error_code ec;
        fs::create_directories(files::utf8Path(f), ec);
        if (ec)
            return {kExitFailures, "Cannot make the folder \"" + f + "\": " + files::reasonOf(ec.value()) + "."};
        (void)files::removeLeftTemporaries(f);
        if (const std::string why = creationProblem(f); !why.empty())
            return failed(what, f, why);
    }
    return {};
}

FolderCheck prepareOutputFolder(
    const std::string& folder, const std::vector<PlannedFile>& files, const BatchSettings& settings, bool overwrite)
{
    if (FolderCheck made = makeResultFolders(folder, files, "the output folder"); made.exitCode != kExitDone)
        return made;

    const fs::path record = files::utf8Path(folder) / kSettingsFileName;
    const std::vector<Setting> mine = resultSettings(settings);
    const std::optional<std::vector<Setting>> theirs = recordedSettings(record);
    const bool resultsThere = anyResultExists(files);
    if (theirs && *theirs != mine && resultsThere && !overwrite)
        return {kExitUsage,
            "The results in \"" + folder + "\" were made with other settings ("
                + joined(settingDifferences(mine, *theirs))
                + "). Give --overwrite to replace them, or another output folder."};
    // A folder of results made before settings were recorded: whether
    // these settings are theirs is not known until this run adds its own.
    if (!theirs && resultsThere)
        return {kExitDone, {}, true};
    if (theirs == mine)
        return {};
    if (const std::string why = recordSettings(folder, settings); !why.empty())
        return failed("the output folder", folder, why);
    return {};
}

std::string recordSettings(const std::string& folder, const BatchSettings& settings)
{
    try {
        const std::string text = settingsText(resultSettings(settings));
        files::saveFile(files::utf8String(files::utf8Path(folder) / kSettingsFileName), text.data(), text.size());
    } catch (const files::FileError& e) {
        return e.what();
    }
    return {};
}

} // namespace karwen::cli
