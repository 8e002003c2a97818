// The output folder of convert made ready before the first photo is read:
// made (with the subfolders the results go to), known to take new files,
// rid of the temporary files a killed run left there, and holding the
// run's settings (settings_record.h); measure's folder of sky images the
// same, without the settings. A folder whose results would be
// skipped although they were made with other settings stops the run.
#pragma once

#include "batch_convert.h"
#include "batch_plan.h"
#include "result_settings.h"
#include "settings_record.h"

#include <string>
#include <vector>

namespace karwen::cli {

struct FolderCheck {
    int exitCode = 0;    // kExitDone when the run may go on
    std::string message; // why it may not, in plain words
    // The folder holds results from before settings were recorded: the
    // settings are recorded once the run has converted a photo.
    bool recordAfterRun = false;
};

// The folders the results go to made, rid of the temporary files a killed
// run left there, and known to take new files: folder (absolute) and those
// of files below it. `what` names folder in the message ("the output
// folder").
[[nodiscard]] FolderCheck makeResultFolders(
    const std::string& folder, const std::vector<PlannedFile>& files, const std::string& what);

// The refusal of a folder whose results were made with other settings
// (record.otherSettings); kExitDone otherwise.
[[nodiscard]] FolderCheck otherSettings(const std::string& folder, const RecordCheck& record);

// A run that left --decode at auto (decodeGiven false) over a folder whose
// record holds no --decode line: its results were made from photos decoded
// in full, and this run's are to match them.
[[nodiscard]] bool continuesFullDecoding(const std::string& folder, const BatchSettings& settings, bool decodeGiven);

// folder: the output folder, absolute; files: the results this run writes.
[[nodiscard]] FolderCheck prepareOutputFolder(const std::string& folder, const std::vector<PlannedFile>& files,
    const std::vector<Setting>& settings, bool overwrite);

} // namespace karwen::cli
