// Path text helpers, on '/'-separated UTF-8 paths: the one place that
// splits a path into folder, name and extension. The captions and the area
// file name keep the window's older rules (a '\\' separates too; the last
// dot anywhere cuts) through get_fname and cut_ext below.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace karwen::files {

// The file writers' separator, and the captions' ones.
inline constexpr const char* kSlash = "/";
inline constexpr const char* kAnySlash = "\\/";

// Where the name part of path starts: after its last separator (any of
// separators), 0 without one.
[[nodiscard]] inline std::size_t nameStart(const std::string& path, const char* separators = kSlash)
{
    const auto slash = path.find_last_of(separators);
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

namespace karwen {

// The name part of a path, after its last '\\' or '/'.
[[nodiscard]] inline std::string get_fname(const std::string& path)
{
    return path.substr(files::nameStart(path, files::kAnySlash));
}

// The path without its extension (before its last '.', also one in a folder
// name); nullopt when the path has no '.' at all.
[[nodiscard]] inline std::optional<std::string> cut_ext(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos)
        return std::nullopt;
    return path.substr(0, dot);
}

} // namespace karwen
