// The measurement log "KARWEN.LOG": each "Log" appends one 19-line entry
// (when, which image, which destination projection, the share of each of the
// 16 classes); "Clear" empties it, keeping what it held in one backup
// beside it, "KARWEN.LOG~". Lines end with CRLF.
#pragma once

#include "area_model.h"

#include <chrono>
#include <filesystem>
#include <string>

namespace karwen {

inline constexpr const char* kAreaLogName = "KARWEN.LOG";
inline constexpr const char* kLogWriteError = "ERROR: Cannot write log.";
inline constexpr const char* kLogClearError = "ERROR: Cannot clear log file.";
inline constexpr const char* kLogBackupError = "ERROR: Cannot keep a copy of the log; it was not cleared.";

struct AreaLogEntry {
    std::string when;    // line 1, see logDateTimeText
    std::string dstFile; // line 2 is dstFile, or "(" + srcFile + ")" when it is ""
    std::string srcFile;
    std::string projName; // line 3
    std::array<int16_t, kAreaClassCount> counts{};
};

// Local date and time as "YYYY-MM-DD HH:MM:SS": unambiguous in every locale
// and sortable.
[[nodiscard]] std::string logDateTimeText(std::chrono::system_clock::time_point when);

// The entry as it is written: 19 lines, each ended by CRLF. Class lines are
// the class in two digits and its share right-aligned in six characters,
// then "%": "00 100.0%", "01  12.5%", "15   0.0%".
[[nodiscard]] std::string formatAreaLogEntry(const AreaLogEntry& entry);

// The entry for the current state: now, DstFile, SrcFile, the name of the
// destination projection and ClassCount.
[[nodiscard]] AreaLogEntry currentAreaLogEntry();

// The log file in `folder`.
[[nodiscard]] std::filesystem::path areaLogPath(const std::filesystem::path& folder);

// Appends `entry`, creating the file when needed. False (kLogWriteError)
// when the file cannot be opened or written.
[[nodiscard]] bool appendAreaLog(const std::filesystem::path& logFile, const AreaLogEntry& entry);

// The one backup that "Clear" keeps: the log's name followed by '~'.
[[nodiscard]] std::filesystem::path areaLogBackupPath(const std::filesystem::path& logFile);

enum class LogClearing {
    Kept,          // the entries went to the backup, the log is empty
    NothingToKeep, // the log was empty or missing; the backup stays as it was
    BackupFailed,  // kLogBackupError: the backup could not be written, the log is untouched
    Failed,        // kLogClearError: the log could not be emptied
};

// Copies a log that holds anything over its backup, then truncates the log
// to zero length, creating it when it does not exist. An empty log keeps
// the last backup, so that a second "Clear" never throws the entries away.
[[nodiscard]] LogClearing clearAreaLog(const std::filesystem::path& logFile);

} // namespace karwen
