// Helpers shared by the imaging tests: an image destroyed with its owner, raw
// file bytes and pixel access by handle; the scratch folder is the common one.
#pragma once

#include "image.h"
#include "image_store.h"
#include "rix.h"
#include "scratch_folder.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace codec_test {

// An image made or loaded by a test, destroyed at the end of its scope.
class OwnedImage {
public:
    explicit OwnedImage(int32_t handle)
        : h_(handle)
    {
    }
    OwnedImage(int32_t w, int32_t h)
        : h_(RixCreate(w, h))
    {
    }
    ~OwnedImage() { RixDestroy(h_); }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;
    int32_t id() const { return h_; }
    rix::Image& image() const { return *rix::findImage(h_); }
    uint32_t& at(int x, int y) const { return image().row(y)[x]; }

private:
    int32_t h_;
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
