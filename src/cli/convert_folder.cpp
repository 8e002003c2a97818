#include "convert_folder.h"

#include "atomic_file_writer.h"
#include "file_error.h"
#include "file_messages.h"
#include "file_path.h"
#include "left_temporaries.h"
#include "run_control.h"
#include "settings_record.h"
#include "utf8_path.h"

#include <algorithm>
#include <filesystem>
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

FolderCheck otherSettings(const std::string& folder, const RecordCheck& record)
{
    if (!record.otherSettings)
        return {};
    return {kExitUsage,
        "The results in \"" + folder + "\" were made with other settings (" + joined(record.differences)
            + "). Give --overwrite to replace them, or another output folder."};
}

bool continuesFullDecoding(const std::string& folder, const BatchSettings& settings, bool decodeGiven)
{
    if (decodeGiven || !settings.scaledDecode)
        return false;
    const std::optional<std::vector<Setting>> recorded = recordedSettings(folder);
    return recorded && std::none_of(recorded->begin(), recorded->end(), [](const Setting& s) {
        return s.name == kDecodeSettingName;
    });
}

FolderCheck prepareOutputFolder(const std::string& folder, const std::vector<PlannedFile>& files,
    const std::vector<Setting>& settings, bool overwrite)
{
    if (FolderCheck made = makeResultFolders(folder, files, "the output folder"); made.exitCode != kExitDone)
        return made;

    const RecordCheck record = checkSettingsRecord(folder, files, settings, overwrite);
    if (FolderCheck other = otherSettings(folder, record); other.exitCode != kExitDone)
        return other;
    if (record.recordAfterRun)
        return {kExitDone, {}, true};
    if (!record.recordNow)
        return {};
    if (const std::string why = recordSettings(folder, settings); !why.empty())
        return failed("the output folder", folder, why);
    return {};
}

} // namespace karwen::cli
