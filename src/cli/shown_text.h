// What standard error shows: every line with its names and values escaped
// as the CSV's file column holds them (canopy::csvText), so that no name can
// break a line, move the cursor or hide in control characters, and a name
// on standard error reads the same as in the CSV.
#pragma once

#include "file_messages.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace karwen::cli {

[[nodiscard]] std::string shownText(std::string_view text);

// Writes the line, shown, and a line end.
void printShown(std::FILE* stream, const std::string& line);

// A file's problem as one line, its detail after its words (not yet shown).
[[nodiscard]] std::string problemLine(FileAction action, FileProblem problem);

} // namespace karwen::cli
