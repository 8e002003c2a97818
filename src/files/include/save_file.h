// Saving the whole content of a file, over whatever the user keeps there:
//
// - A symbolic link is followed through its whole chain (a relative link
//   from the link's own folder) and its final target is written; the links
//   stay links. A link to nothing creates the file it names.
// - An existing file keeps its mode and, where the process may change them,
//   its owner and group.
// - A file with no write permission bit at all is read-only and refused,
//   for root too, whom permission bits do not otherwise stop: read-only means
//   the same for every user. Any other file is refused when the system's
//   check of the effective user says it may not be written.
// - The content goes to a temporary file beside the target, which replaces
//   it in one rename, so a failed save leaves the old file as it was and no
//   temporary file behind. Where the folder does not let the user put a new
//   file in the old one's place (no permission to create files there, or a
//   shared folder with the sticky bit, as /tmp, and someone else's file) but
//   the file itself is writable, it is overwritten in place: the content is
//   already complete in memory, so only the write itself can fail (a full
//   disk then leaves the file incomplete, and the message says so).
#pragma once

#include <cstddef>
#include <string>

namespace karwen::files {

// Throws FileError with a message in plain words when the file cannot be saved.
void saveFile(const std::string& path, const void* data, std::size_t size);

} // namespace karwen::files
