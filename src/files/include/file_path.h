// Path text helpers for the file writers, on '/'-separated UTF-8 paths.
#pragma once

#include <cstddef>
#include <string>

namespace karwen::files {

// Where the name part of path starts: after its last '/', 0 without one.
[[nodiscard]] inline std::size_t nameStart(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

// The name part of path; "" for a path ending in '/'.
[[nodiscard]] inline std::string nameOf(const std::string& path) { return path.substr(nameStart(path)); }

// The folder part of path: "." for a bare name, "/" for a file in the root.
[[nodiscard]] inline std::string folderOf(const std::string& path)
{
    const std::size_t start = nameStart(path);
    if (start == 0)
        return ".";
    return start == 1 ? "/" : path.substr(0, start - 1);
}

// Where the extension of path's name part starts (at its last '.'), or
// npos when the name has no dot.
[[nodiscard]] inline std::size_t extensionDot(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    return dot == std::string::npos || dot < nameStart(path) ? std::string::npos : dot;
}

} // namespace karwen::files
