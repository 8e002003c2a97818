// Writing a whole file so that a failure never leaves a damaged file behind:
// the content goes to a temporary file in the target's folder, which then
// replaces the target in one rename.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace karwen {

// Writes `content` to `target`, replacing an existing file. Returns false
// when the temporary file cannot be written or the rename fails; the old
// target is then exactly as it was and no temporary file is left.
[[nodiscard]] bool ReplaceFileContent(const std::filesystem::path& target, std::string_view content);

// A path from UTF-8 text, as the windows hand over file names.
[[nodiscard]] std::filesystem::path PathFromUtf8(std::string_view utf8);

} // namespace karwen
