// Writes a file so that the target is either the complete new content or
// left exactly as it was: the bytes go to a temporary file in the target's
// folder, which is flushed to disk and then renamed over the target. A writer
// destroyed without commit() removes its temporary file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace rix {

class AtomicFileWriter {
public:
    // Creates the temporary file; throws rix::Error when the folder is not
    // writable or does not exist.
    explicit AtomicFileWriter(std::string targetPath);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Both throw rix::Error on any failure; the target stays untouched then.
    void write(const void* data, std::size_t size);
    void commit();

private:
    void flushBuffer();
    void writeAll(const unsigned char* data, std::size_t size);

    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    std::vector<unsigned char> buffer_;
};

} // namespace rix
