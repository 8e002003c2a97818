// The photos a command line names: each file as named, each folder by its
// batch photos (listImageFiles, not its subfolders), all in one list sorted
// by full path byte for byte, each path once.
#pragma once

#include "file_messages.h"

#include <string>
#include <vector>

namespace karwen {

struct BatchInputs {
    std::vector<std::string> paths;    // absolute, without "." and ".." steps
    std::vector<FileProblem> problems; // names that give no photo: nothing there, a folder not listed
};

// A file named twice, or named and found in a folder named as well, counts
// once. A file is taken whatever its name; its load judges it.
[[nodiscard]] BatchInputs collectBatchInputs(const std::vector<std::string>& names);

} // namespace karwen
