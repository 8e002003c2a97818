// Helpers shared by the imaging tests: an image destroyed with its owner and
// filled from a function of (x, y), raw file bytes, pixel access by handle
// and the real photos; the scratch folder is the common one.
#pragma once

#include "image.h"
#include "image_store.h"
#include "rix.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
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
    // Every pixel (x, y), y counted from the bottom row, set to pixel(x, y),
    // row after row from the bottom.
    template <class F>
    OwnedImage(int32_t w, int32_t h, F pixel)
        : OwnedImage(w, h)
    {
        fill(pixel);
    }
    ~OwnedImage() { RixDestroy(h_); }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;
    int32_t id() const { return h_; }
    rix::Image& image() const { return *rix::findImage(h_); }
    uint32_t& at(int x, int y) const { return image().row(y)[x]; }
    template <class F> void fill(F pixel) const
    {
        for (int y = 0; y < image().height(); ++y)
            for (int x = 0; x < image().width(); ++x)
                at(x, y) = static_cast<uint32_t>(pixel(x, y));
    }
    std::vector<uint32_t> pixels() const
    {
        return {image().data(), image().data() + std::size_t(image().width()) * std::size_t(image().height())};
    }

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

// A scratch file holding bytes, removed with its folder.
class ScratchFile {
public:
    ScratchFile(const std::string& name, const std::vector<uint8_t>& bytes)
        : path_(folder_.file(name))
    {
        writeBytes(path_, bytes);
    }
    const char* path() const { return path_.c_str(); }

private:
    karwen::test::ScratchFolder folder_;
    std::string path_;
};

// Pixel (x, y), y counted from the bottom row, of the image behind handle.
inline uint32_t pixelAt(int32_t handle, int32_t x, int32_t y)
{
    const rix::Image* image = rix::findImage(handle);
    return image ? image->row(y)[x] : 0;
}

// A photo's path, or "" when it is not here (the real photos may be absent).
inline std::string photoPath(const std::string& folder, const std::string& file)
{
    const std::filesystem::path path = std::filesystem::path(folder) / file;
    return std::filesystem::exists(path) ? path.string() : "";
}

} // namespace codec_test

// Loads a photo into `image`, skipping the test when the photo is absent.
#define LOAD_PHOTO_OR_SKIP(image, folder, file)                                                                        \
    const std::string image##Path = codec_test::photoPath(folder, file);                                               \
    if (image##Path.empty())                                                                                           \
        GTEST_SKIP() << (folder) << "/" << (file) << " is not available";                                              \
    const codec_test::OwnedImage image(RixLoadJPG(image##Path.c_str()));                                               \
    ASSERT_GE(image.id(), 1) << RixLastError()
