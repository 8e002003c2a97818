// Writing a whole file over whatever the user keeps at its name, the way the
// image library saves pictures (rix::saveFile): links are followed to the file
// they name, the file keeps its mode and owner, a read-only file is refused,
// and a failed save leaves no temporary file behind.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace karwen {

// Writes `content` to `target`, replacing an existing file. Returns false
// when the file cannot be saved; the old file is then as it was, except after
// a write that failed part-way into a file that had to be overwritten in
// place because its folder takes no new files.
[[nodiscard]] bool ReplaceFileContent(const std::filesystem::path& target, std::string_view content);

// A path from UTF-8 text, as the windows hand over file names.
[[nodiscard]] std::filesystem::path PathFromUtf8(std::string_view utf8);

} // namespace karwen
