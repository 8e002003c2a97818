// Where measure's lines go while photos are measured, the CSV's and the
// days' of --light-daily alike. To a file: its start (the header, and the
// rows a resumed file keeps) is saved before the first photo is read, each
// photo's lines are appended as it finishes, and a run that ends normally
// saves the file again with each photo's lines in list order. To standard
// output ("-"): the header, then each photo's lines once those before it in
// the list are out. A line that cannot be written (a full disk, a closed
// standard output) fails the output: the lines out so far stay, and the run
// is to stop.
#pragma once

#include "csv_target.h"
#include "line_appender.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace karwen::cli {

inline const std::string kStandardOutput = "-";

// A photo's lines without their line ends: its CSV row, or its days (none
// for a photo without light figures).
using PhotoLines = std::vector<std::string>;

class CsvOutput {
public:
    // photos: the photos whose lines are to come. Throws FileError when the
    // start cannot be written.
    CsvOutput(const std::string& path, const std::string& header, const CsvTarget& target, std::size_t photos);

    // Photo i's lines, written at once; safe from several threads.
    void add(std::size_t i, const PhotoLines& lines);
    [[nodiscard]] bool failed() const { return failed_; }
    [[nodiscard]] std::string failure() const;

    // The end of a run, normal or not: the lines out so far stay. Throws
    // FileError.
    void close();
    // The end of a normal run into a file: the file saved anew with the
    // header and these rows. Throws FileError.
    void saveRows(const std::vector<std::string>& rows);

private:
    void write(const PhotoLines& lines);

    std::string path_;
    std::string header_;
    std::vector<KeptRow> kept_;
    std::unique_ptr<files::LineAppender> appender_;
    mutable std::mutex mutex_;
    std::atomic<bool> failed_ = false;
    std::string failure_;
    // Standard output's lines waiting for those before them.
    std::vector<std::optional<PhotoLines>> waiting_;
    std::size_t next_ = 0;
};

// The rows of a file at the normal end of a run: each photo's of the list in
// its order (the lines measured now, else the rows kept), then the kept
// rows of photos not in the list, in the order they had. measured: the
// paths measured now and their lines (none for a photo not taken).
[[nodiscard]] std::vector<std::string> rowsInListOrder(const std::vector<std::string>& list,
    const std::vector<std::string>& measured, const std::vector<std::optional<PhotoLines>>& lines,
    const std::vector<KeptRow>& kept);

} // namespace karwen::cli
