// Replaces a file so that it holds either the complete new content or
// exactly the old: the bytes go to a temporary file in the target's folder,
// which is flushed to disk and then renamed over the target. A writer
// destroyed without commit() removes its temporary file. The target is taken
// as given: following links and checking permissions is saveFile's part.
#pragma once

#include <cstddef>
#include <string>
#include <sys/stat.h>

namespace karwen::files {

class AtomicFileWriter {
public:
    // Creates the temporary file; throws FileError when the folder does not
    // let it. `replaced` describes the file being replaced, if any: the new
    // file takes its mode and, where the process may, its owner and group.
    AtomicFileWriter(std::string targetPath, const struct stat* replaced);
    // The same for the file `name` in an open folder (the descriptor is
    // copied, the caller keeps its own); shownPath names it in messages.
    AtomicFileWriter(int folder, std::string name, std::string shownPath, const struct stat* replaced);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Both throw FileError on any failure; the target stays untouched then.
    void write(const void* data, std::size_t size);
    void commit();
    // As commit, but never over an entry that is already there (one made
    // since the caller looked): false then, and the temporary file is gone.
    [[nodiscard]] bool commitIfFree();

private:
    void create(const struct stat* replaced);
    void takeAttributes(const struct stat& replaced);
    void flush();
    void made();

    std::string name_;  // in folder_
    std::string shown_; // the target as messages name it
    std::string temporary_;
    int folder_ = -1;
    int fd_ = -1;
};

} // namespace karwen::files
