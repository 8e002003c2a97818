// The program keeps file names as UTF-8 strings; std::filesystem wants them
// as paths. These two convert without the locale getting a say.
#pragma once

#include <filesystem>
#include <string>

namespace karwen::files {

[[nodiscard]] inline std::filesystem::path utf8Path(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

[[nodiscard]] inline std::string utf8String(const std::filesystem::path& path)
{
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

} // namespace karwen::files
