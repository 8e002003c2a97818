#include "csv_output.h"

#include "canopy_csv.h"
#include "file_error.h"
#include "save_file.h"

#include <unistd.h>

#include <map>
#include <set>

namespace karwen::cli {

namespace {

std::string withLineEnd(const std::string& line) { return line + std::string(canopy::kCsvLineEnd); }

} // namespace

CsvOutput::CsvOutput(const std::string& path, const std::string& header, const CsvTarget& target, std::size_t photos)
    : path_(path)
    , header_(header)
    , kept_(target.rows)
{
    using files::LineAppender;
    if (path == kStandardOutput) {
        waiting_.resize(photos);
        appender_ = std::make_unique<LineAppender>(STDOUT_FILENO, "standard output");
        appender_->append(withLineEnd(header_));
        return;
    }
    if (!target.exists) {
        appender_ = std::make_unique<LineAppender>(path, LineAppender::Open::CreateNew);
        appender_->append(withLineEnd(header_));
        return;
    }
    // A file replaced or continued starts anew, through the safe save that
    // keeps its links, mode and owner: with the rows kept, and without a
    // line a killed run cut short.
    std::string start = withLineEnd(header_);
    for (const KeptRow& row : kept_)
        start += withLineEnd(row.line);
    files::saveFile(path, start.data(), start.size());
    appender_ = std::make_unique<LineAppender>(path, LineAppender::Open::Existing);
}

void CsvOutput::add(std::size_t i, const PhotoLines& lines)
{
    std::lock_guard lock(mutex_);
    if (waiting_.empty()) {
        write(lines);
        return;
    }
    waiting_[i] = lines;
    for (; next_ < waiting_.size() && waiting_[next_]; ++next_)
        write(*waiting_[next_]);
}

void CsvOutput::write(const PhotoLines& lines)
{
    if (failed_ || lines.empty())
        return;
    std::string text;
    for (const std::string& line : lines)
        text += withLineEnd(line);
    try {
        appender_->append(text);
    } catch (const files::FileError& e) {
        failure_ = e.what();
        failed_ = true;
    }
}

std::string CsvOutput::failure() const
{
    std::lock_guard lock(mutex_);
    return failure_;
}

void CsvOutput::close() { appender_->close(); }

void CsvOutput::saveRows(const std::vector<std::string>& rows)
{
    close();
    std::string text = withLineEnd(header_);
    for (const std::string& row : rows)
        text += withLineEnd(row);
    files::saveFile(path_, text.data(), text.size());
}

std::vector<std::string> rowsInListOrder(const std::vector<std::string>& list, const std::vector<std::string>& measured,
    const std::vector<std::optional<PhotoLines>>& lines, const std::vector<KeptRow>& kept)
{
    std::map<std::string, std::vector<const std::string*>> rowsOf; // by the file column
    for (const KeptRow& row : kept)
        rowsOf[row.file].push_back(&row.line);
    for (std::size_t i = 0; i < measured.size(); ++i) {
        if (!lines[i])
            continue;
        std::vector<const std::string*>& now = rowsOf[canopy::csvText(measured[i])];
        now.clear();
        for (const std::string& line : *lines[i])
            now.push_back(&line);
    }
    std::vector<std::string> rows;
    std::set<std::string> listed;
    for (const std::string& path : list) {
        const std::string file = canopy::csvText(path);
        if (const auto found = rowsOf.find(file); found != rowsOf.end())
            for (const std::string* row : found->second)
                rows.push_back(*row);
        listed.insert(file);
    }
    for (const KeptRow& row : kept)
        if (!listed.contains(row.file))
            rows.push_back(row.line);
    return rows;
}

} // namespace karwen::cli
