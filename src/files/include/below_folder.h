// Files below a folder the user named (the root), reached without following
// any symbolic link below it: the root itself may be a link the user gave,
// but a link inside it can neither send a write elsewhere nor be replaced.
// Paths below the root are '/'-separated steps ("day 2/x-kw.jpg").
#pragma once

#include <cstddef>
#include <string>

namespace karwen::files {

enum class EntryKind { Nothing, RegularFile, Folder, Link, Other };

struct EntryBelow {
    EntryKind kind = EntryKind::Nothing;
    // For a Link: the steps up to the link ("day 2" or "day 2/x-kw.jpg").
    std::string link;
    // For a RegularFile: its first bytes, at most kHeadBytes; fewer for a
    // shorter file; and whether it may be changed, as saveFile judges it:
    // not when no write permission bit is set (read-only for root too), nor
    // when the system's check of the effective user says no.
    std::string head;
    bool writable = false;
};

inline constexpr std::size_t kHeadBytes = 16;

// root/below as one path, for messages.
[[nodiscard]] std::string pathBelow(const std::string& root, const std::string& below);

// What lies at root/below. A folder step that is missing gives Nothing;
// one that is a file gives Other. Throws FileError when a step cannot be
// looked at (no permission, no such root).
[[nodiscard]] EntryBelow lookBelow(const std::string& root, const std::string& below);

// Writes root/below in one rename (AtomicFileWriter): its folders must be
// there and no links. With replace, whatever entry is there by then is
// replaced (never followed); without, an entry there leaves the file
// unwritten and false is returned. Throws FileError.
bool writeBelow(const std::string& root, const std::string& below, const void* data, std::size_t size, bool replace);

// The longest file name, in bytes, that the file system of folder takes;
// a folder not made yet is asked through the nearest one above that is.
[[nodiscard]] std::size_t longestNameIn(const std::string& folder);

} // namespace karwen::files
