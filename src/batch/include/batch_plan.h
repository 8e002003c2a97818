// The batch's plan, made before any file is touched: which files of the
// source folder are image files, where each result goes, and which results
// must not be written because they would replace a photo of the run or a
// result written earlier in the run.
#pragma once

#include <string>
#include <vector>

namespace karwen {

struct BatchJob {
    std::string sourceFolder; // "" when the files are given as paths
    std::string destFolder;
    std::string postfix;            // "-kw" by default
    std::string outExt;             // "bmp" or "jpg", used as written
    std::vector<std::string> files; // names in the source folder, or paths
    // For each file, the folder below destFolder its result goes to ("day 1",
    // "" for destFolder itself); empty when every result goes to destFolder.
    std::vector<std::string> subfolders;
    // A result already there (a picture of its kind) is replaced; otherwise
    // it is kept and counted as skipped, so that a run stopped is resumed.
    bool replaceResults = false;
};

struct PlannedFile {
    std::string name; // as listed
    std::string sourcePath;
    std::string outputPath;
    std::string refusal;     // why the result is not written; "" when it is
    std::string outputBelow; // outputPath below destFolder ("day 2/x-kw.jpg")
    // The result's folder holds a listed file: what lies there under the
    // result's name may be a photo the user keeps.
    bool besidePhotos = false;
};

// One entry per listed file, in the list's order. A result is refused when
// its path is that of any listed source or of an earlier result that is
// written: the same full name byte for byte, or, where the file exists, the
// same file under another name; and when its name is longer than the file
// system of its folder takes.
[[nodiscard]] std::vector<PlannedFile> planBatch(const BatchJob& job);

// destFolder/subfolder/<file name without its last extension><postfix>.<outExt>,
// the file name being what follows the last '/' of name: x.jpeg with the
// postfix -kw and the format jpg gives x-kw.jpg.
[[nodiscard]] std::string batchOutputPath(
    const BatchJob& job, const std::string& name, const std::string& subfolder = {});

// The names of the files in a folder (not in its subfolders) that are batch
// photos by photoFormatOf (.bmp, .jpg, .jpeg, .jpe in any case), sorted
// byte for byte; false when the folder cannot be listed.
[[nodiscard]] bool listImageFiles(const std::string& folder, std::vector<std::string>& names);

// Why no result can be written into folder, in the user's words; "" when
// a trial file could be made there and removed again. Asked before the
// first photo, so that an unwritable folder does not fail every photo.
[[nodiscard]] std::string destinationFolderProblem(const std::string& folder);

} // namespace karwen
