// The photos a command line names: each file as named, each folder by its
// batch photos (by photoFormatOf; with `recursive` those of its subfolders
// too), all in one list sorted by full path byte for byte, each path once.
#pragma once

#include "file_messages.h"

#include <string>
#include <vector>

namespace karwen {

struct InputRules {
    bool recursive = false; // enter the subfolders of named folders
    std::string skipFolder; // a folder never entered (the results' own); "" for none
};

struct BatchInputs {
    std::vector<std::string> paths; // absolute, without "." and ".." steps
    // For each path, the folder it was found in below the named folder
    // ("day 1/north"), "" for a named file and a photo of a named folder
    // itself: where its result goes below the output folder.
    std::vector<std::string> subfolders;
    std::vector<FileProblem> problems; // names that give no photo: nothing there, a folder not listed
    // The skipped folder as the walk met it ("photos/day2"), "" when it met
    // none, and the photos below it that the walk would have taken.
    std::string skippedFolder;
    std::vector<std::string> skippedPhotos;
};

// A file named twice, or named and found in a folder named as well, counts
// once (with the shortest subfolder it was found in). A file is taken
// whatever its name; its load judges it. Symbolic links to folders are not
// entered, so a link back to a folder above cannot make the walk endless.
[[nodiscard]] BatchInputs collectBatchInputs(const std::vector<std::string>& names, const InputRules& rules = {});

// Line: one name a line; Nul: names ended by NUL bytes (find -print0), so
// that a name may hold any other byte, a line break or a carriage return.
enum class ListSeparator { Line, Nul };

// The names a list file holds ("-" reads standard input): empty entries are
// left out and, one a line, a line's closing carriage return is dropped, so
// lists made on Windows read the same. Throws files::FileError with the
// reason when the list cannot be read.
[[nodiscard]] std::vector<std::string> namesFromList(
    const std::string& list, ListSeparator separator = ListSeparator::Line);

} // namespace karwen
