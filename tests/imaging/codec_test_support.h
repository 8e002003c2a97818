// Helpers shared by the BMP and JPEG tests: a scratch folder, raw file bytes
// and pixel access by handle.
#pragma once

#include "image.h"
#include "image_store.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace codec_test {

// A fresh folder under the system's temporary folder, removed with its
// content unless KARWEN_KEEP_TEST_FILES is set (to collect fuzzing seeds).
class TempFolder {
public:
    explicit TempFolder(const std::string& tag)
    {
        static int serial = 0;
        path_ = std::filesystem::temp_directory_path() /
                ("rix_" + tag + "_" + std::to_string(::getpid()) + "_" + std::to_string(serial++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        if (!std::getenv("KARWEN_KEEP_TEST_FILES"))
            std::filesystem::remove_all(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::size_t entryCount() const
    {
        return std::size_t(std::distance(std::filesystem::directory_iterator(path_),
                                         std::filesystem::directory_iterator()));
    }

private:
    std::filesystem::path path_;
};

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Pixel (x, y), y counted from the bottom row, of the image behind handle.
inline uint32_t pixelAt(int32_t handle, int32_t x, int32_t y)
{
    const rix::Image* image = rix::findImage(handle);
    return image ? image->row(y)[x] : 0;
}

} // namespace codec_test
