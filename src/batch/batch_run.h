// The batch conversion: every selected file of a folder through the same
// conversion parameters, one after the other, each result written under the
// source's name with a postfix and the chosen format. Works through the
// shared globals (hSrc, hDst, SrcFile, DstFile, ...) and convert(), exactly
// as the interactive conversion does.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace karwen {

struct BatchJob {
    std::string sourceFolder;
    std::string destFolder;
    std::string postfix;             // "-kw" by default
    std::string outExt;              // "bmp" or "jpg", used as written
    std::vector<std::string> files;  // bare file names in the source folder
};

// One output that could not be written, with the reason.
struct BatchFailure {
    std::string outputPath;
    std::string reason;
};

struct BatchOutcome {
    int converted = 0;
    int unreadable = 0; // inputs skipped because they could not be read
    std::vector<BatchFailure> failedSaves;
};

// Called with the progress text before each file.
using BatchProgress = std::function<void(const std::string& text)>;

// Runs the whole batch; an empty file list does nothing.
BatchOutcome run_batch(const BatchJob& job, const BatchProgress& progress);

// "<first 30 characters of name>\r (i/n)" with i counted from 1.
[[nodiscard]] std::string batch_progress_text(const std::string& name, int index, int count);

// destFolder/<name without its last four characters><postfix>.<outExt>
[[nodiscard]] std::string batch_output_path(const BatchJob& job, const std::string& name);

// The names in a folder that end in .BMP or .JPG (any case), sorted by
// name; false when the folder cannot be listed.
[[nodiscard]] bool list_image_files(const std::string& folder, std::vector<std::string>& names);

} // namespace karwen
