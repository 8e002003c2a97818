// The whole content of a file in memory, read with POSIX calls so that any
// UTF-8 path works as given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace karwen::files {

class FileBytes {
public:
    // Reads the regular file at path; throws FileError when it cannot.
    [[nodiscard]] static FileBytes read(const std::string& path);
    // The same, but no more than the first `most` bytes: enough for a
    // header, without the cost of the rest.
    [[nodiscard]] static FileBytes read(const std::string& path, std::size_t most);

    const uint8_t* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    std::unique_ptr<uint8_t[]> data_;
    std::size_t size_ = 0;
};

} // namespace karwen::files
