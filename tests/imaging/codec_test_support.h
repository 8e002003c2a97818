// Helpers shared by the BMP and JPEG tests: raw file bytes and pixel access
// by handle; the scratch folder is the common one.
#pragma once

#include "image.h"
#include "image_store.h"
#include "scratch_folder.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace codec_test {

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
