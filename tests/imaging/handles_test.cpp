#include "image_store.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>

TEST(Handles, CreateDestroyAndRefuseUnknownHandlesAndImpossibleSizes)
{
    const int32_t h = RixCreate(64, 48);
    ASSERT_GE(h, 1);
    EXPECT_EQ(RixWidth(h), 64);
    EXPECT_EQ(RixHeight(h), 48);
    EXPECT_EQ(RixDestroy(h), 1);
    EXPECT_EQ(RixWidth(h), 0) << "a destroyed handle names no image";
    EXPECT_EQ(RixDestroy(h), 0);
    EXPECT_EQ(RixDestroy(0), 1);
    EXPECT_EQ(RixDestroy(-1), 1);
    EXPECT_EQ(RixDestroy(12345), 0);
    EXPECT_STRNE(RixLastError(), "");
    EXPECT_EQ(RixCreate(0, 10), 0);
    EXPECT_EQ(RixCreate(10, -1), 0);
    EXPECT_EQ(RixCreate(32768, 1), 0);
}

extern "C" {
int32_t rixFromCRecordSize(void);
int32_t rixFromCProjOffset(void);
int32_t rixFromCRoundTrip(int32_t width, int32_t height);
}

TEST(Handles, TheInterfaceWorksFromC)
{
    EXPECT_EQ(rixFromCRecordSize(), 52);
    EXPECT_EQ(rixFromCProjOffset(), 48);
    EXPECT_EQ(rixFromCRoundTrip(7, 5), 7005);
}

// Freed pixel memory is handed out again (large buffers through the library's
// own cache, small ones through the heap); a new image must not show any of
// what the old one held. Black is 0xff000000 in the library's layout.
TEST(Handles, NewImagesAreBlackWhateverMemoryTheyReuse)
{
    struct Size {
        int32_t w, h;
    };
    for (const Size s : {Size{3, 2}, Size{300, 200}, Size{1500, 1000}}) {
        const std::size_t count = std::size_t(s.w) * std::size_t(s.h);
        for (int round = 0; round < 3; ++round) {
            const int32_t h = RixCreate(s.w, s.h);
            ASSERT_GE(h, 1) << RixLastError();
            const uint32_t* pixels = rix::findImage(h)->data();
            const auto stray = std::find_if(pixels, pixels + count, [](uint32_t p) { return p != 0xff000000u; });
            EXPECT_EQ(stray, pixels + count) << s.w << " x " << s.h << " round " << round << ": pixel "
                                             << (stray - pixels) << " holds " << std::hex << *stray;
            std::fill_n(rix::findImage(h)->data(), count, 0xff123456u);
            RixDestroy(h);
        }
    }
}
