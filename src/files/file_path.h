// Path text helpers for the file writers, on '/'-separated UTF-8 paths.
#pragma once

#include <string>

namespace karwen::files {

// The folder part of path: "." for a bare name, "/" for a file in the root.
[[nodiscard]] inline std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace karwen::files
