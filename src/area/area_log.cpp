#include "area_log.h"

#include "file_bytes.h"
#include "file_error.h"
#include "mdl_karwen.h"
#include "save_file.h"
#include "utf8_path.h"

#include <ctime>
#include <fstream>

namespace karwen {

std::string logDateTimeText(std::chrono::system_clock::time_point when)
{
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &t);
#else
    localtime_r(&t, &local);
#endif
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return std::string(text, length);
}

std::string formatAreaLogEntry(const AreaLogEntry& entry)
{
    constexpr const char* kLineEnd = "\r\n";
    std::string text;
    text += entry.when + kLineEnd;
    text += (entry.dstFile.empty() ? "(" + entry.srcFile + ")" : entry.dstFile) + kLineEnd;
    text += entry.projName + kLineEnd;
    for (int k = 0; k < kAreaClassCount; ++k) {
        const char digits[3] = {static_cast<char>('0' + k / 10), static_cast<char>('0' + k % 10), '\0'};
        text += digits + shareColumn(entry.counts[static_cast<std::size_t>(k)], 6) + '%' + kLineEnd;
    }
    return text;
}

AreaLogEntry currentAreaLogEntry()
{
    AreaLogEntry entry;
    entry.when = logDateTimeText(std::chrono::system_clock::now());
    entry.dstFile = DstFile;
    entry.srcFile = SrcFile;
    if (isProjection(DstPrm.Proj))
        entry.projName = ProjName[static_cast<std::size_t>(DstPrm.Proj)];
    entry.counts = ClassCount;
    return entry;
}

std::filesystem::path areaLogPath(const std::filesystem::path& folder) { return folder / kAreaLogName; }

bool appendAreaLog(const std::filesystem::path& logFile, const AreaLogEntry& entry)
{
    std::ofstream out(logFile, std::ios::binary | std::ios::app);
    if (!out)
        return false;
    const std::string text = formatAreaLogEntry(entry);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return !out.fail();
}

std::filesystem::path areaLogBackupPath(const std::filesystem::path& logFile)
{
    std::filesystem::path backup = logFile;
    backup += "~";
    return backup;
}

namespace {

// True when the log holds at least one byte and it is now in the backup.
// Throws FileError when the log cannot be read or the backup written.
bool backUpAreaLog(const std::filesystem::path& logFile)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(logFile, error) || std::filesystem::file_size(logFile, error) == 0)
        return false;
    const files::FileBytes entries = files::FileBytes::read(files::utf8String(logFile));
    if (entries.size() == 0)
        return false;
    files::saveFile(files::utf8String(areaLogBackupPath(logFile)), entries.data(), entries.size());
    return true;
}

} // namespace

LogClearing clearAreaLog(const std::filesystem::path& logFile)
{
    bool kept = false;
    try {
        kept = backUpAreaLog(logFile);
    } catch (const files::FileError&) {
        return LogClearing::BackupFailed;
    }
    std::ofstream out(logFile, std::ios::binary | std::ios::trunc);
    if (!out)
        return LogClearing::Failed;
    out.close();
    if (out.fail())
        return LogClearing::Failed;
    return kept ? LogClearing::Kept : LogClearing::NothingToKeep;
}

} // namespace karwen
