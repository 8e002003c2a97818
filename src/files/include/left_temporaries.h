// The temporary files of AtomicFileWriter that a killed process left
// behind: known by their name (".<target>.<host>.<pid>-<n>-<hex>-<attempt>.tmp",
// as temporaryName makes them; hidden, so they stay out of sight in listings;
// <target> is at most the first kTargetBytesInTemporary bytes of the target's
// name, whole before, so that every name the file system takes can be
// written) and by their process, which is gone. A temporary of a process
// that still runs (another run writing into the same folder), or of another
// machine sharing the folder, is left alone.
#pragma once

#include <cstddef>
#include <string>

namespace karwen::files {

// How much of the target's name a temporary name repeats.
inline constexpr std::size_t kTargetBytesInTemporary = 40;

// The name (no folder) of the attempt-th temporary file for the file `name`.
[[nodiscard]] std::string temporaryName(const std::string& name, unsigned attempt);
// The same beside target, with its folder.
[[nodiscard]] std::string temporaryFileName(const std::string& target, unsigned attempt);

// Whether a file name (no folder) is one of this machine's temporaries, and
// of which process; pid is set only when it is.
[[nodiscard]] bool isTemporaryFileName(const std::string& name, long& pid);

// Removes the temporaries in folder (not in its subfolders) whose process is
// no longer running; returns how many went. Files it cannot remove stay.
int removeLeftTemporaries(const std::string& folder);

} // namespace karwen::files
