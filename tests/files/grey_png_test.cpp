// The PNG of a grey picture read back by libpng: the same greys pixel by
// pixel, a 2-bit palette for up to four greys (whatever the width), 8-bit
// grey for more, and a refusal of sides that do not fit the values.
#include "grey_png.h"

#include "file_error.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstdint>
#include <vector>

namespace files = karwen::files;

namespace {

struct ReadBack {
    int width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    std::vector<uint8_t> grey; // rows top first
};

// The picture as libpng reads it: each pixel's red, which equals its green
// and blue in a grey palette.
ReadBack readBack(const std::vector<uint8_t>& png)
{
    ReadBack back;
    if (png.size() < 26)
        return back;
    back.bitDepth = png[24]; // in the header chunk, after the size
    back.colourType = png[25];
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
        return back;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return back;
    back.width = int(image.width);
    back.height = int(image.height);
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        EXPECT_TRUE(rgb[i] == rgb[i + 1] && rgb[i] == rgb[i + 2]);
        back.grey.push_back(rgb[i]);
    }
    return back;
}

struct Case {
    const char* name;
    int width, height;
    std::vector<uint8_t> levels; // cycled through, at a stride that mixes them
    int bitDepth, colourType;
};

} // namespace

TEST(GreyPng, ReadsBackAsWritten)
{
    const Case cases[] = {
        {"sky, canopy, outside", 37, 11, {0, 128, 255}, 2, PNG_COLOR_TYPE_PALETTE},
        {"one grey", 5, 3, {128}, 2, PNG_COLOR_TYPE_PALETTE},
        {"four greys, width a multiple of four", 16, 4, {9, 200, 0, 77}, 2, PNG_COLOR_TYPE_PALETTE},
        {"one pixel", 1, 1, {255}, 2, PNG_COLOR_TYPE_PALETTE},
        {"five greys", 13, 7, {0, 1, 2, 3, 4}, 8, PNG_COLOR_TYPE_GRAY},
        {"a new grey in each row", 4, 3, {0, 0, 0, 0, 128, 128, 0, 0, 255, 128, 255, 0}, 2, PNG_COLOR_TYPE_PALETTE},
        {"more greys in the last row only", 6, 3,
            {0, 128, 255, 0, 128, 255, 0, 128, 255, 0, 128, 255, 1, 2, 3, 4, 5, 6}, 8, PNG_COLOR_TYPE_GRAY},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> grey(std::size_t(c.width * c.height));
        for (std::size_t i = 0; i < grey.size(); ++i)
            grey[i] = c.levels[c.levels.size() == grey.size() ? i : (i * 7 + i / 3) % c.levels.size()];
        const ReadBack back = readBack(files::greyPng(grey, c.width, c.height));
        EXPECT_EQ(back.width, c.width) << c.name;
        EXPECT_EQ(back.height, c.height) << c.name;
        EXPECT_EQ(back.bitDepth, c.bitDepth) << c.name;
        EXPECT_EQ(back.colourType, c.colourType) << c.name;
        EXPECT_EQ(back.grey, grey) << c.name;
    }
}

TEST(GreyPng, RefusesSidesThatDoNotFit)
{
    const std::vector<uint8_t> grey(12, 128);
    for (const auto& [width, height] : {std::pair{4, 4}, {0, 12}, {12, 0}, {-3, -4}})
        EXPECT_THROW((void)files::greyPng(grey, width, height), files::FileError) << width << " x " << height;
    EXPECT_THROW((void)files::greyPng({}, 1, 1), files::FileError);
}
