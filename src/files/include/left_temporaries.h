// The temporary files of AtomicFileWriter that a killed process left
// behind: known by their name (".<target>.<host>.<pid>-<n>-<hex>-<attempt>.tmp",
// as temporaryFileName makes them; hidden, so they stay out of sight in
// listings) and by their process, which is gone. A temporary of a process
// that still runs (another run writing into the same folder), or of another
// machine sharing the folder, is left alone.
#pragma once

#include <string>

namespace karwen::files {

// The name of the attempt-th temporary file for target, beside it.
[[nodiscard]] std::string temporaryFileName(const std::string& target, unsigned attempt);

// Whether a file name (no folder) is one of this machine's temporaries, and
// of which process; pid is set only when it is.
[[nodiscard]] bool isTemporaryFileName(const std::string& name, long& pid);

// Removes the temporaries in folder (not in its subfolders) whose process is
// no longer running; returns how many went. Files it cannot remove stay.
int removeLeftTemporaries(const std::string& folder);

} // namespace karwen::files
