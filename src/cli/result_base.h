// Where results go below the output folder with -r: by default below each
// named folder (its photos' subfolders), and with --base DIR below DIR, so
// that two named folders whose photos share names below them keep their
// results apart (photos/a/x.jpg and photos/b/x.jpg under --base photos go
// to a/ and b/).
#pragma once

#include "batch_inputs.h"

#include <string>
#include <vector>

namespace karwen::cli {

// The folder below base (absolute, without "." and ".." steps) of each of
// inputs' photos, "" for a photo in base itself; base "" gives the inputs'
// own subfolders. Throws UsageError naming the first photo outside base.
[[nodiscard]] std::vector<std::string> resultSubfolders(const BatchInputs& inputs, const std::string& base);

} // namespace karwen::cli
