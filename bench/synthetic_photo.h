// The 4000 x 4000 source and 2048 x 2048 destination of the resampling
// benchmarks: one synthetic photo, made once per process, with smooth
// colours and fine detail.
#pragma once

#include "image.h"
#include "image_store.h"
#include "rix.h"

#include <cmath>
#include <cstdint>

namespace bench {

inline constexpr int kSrcSide = 4000;
inline constexpr int kDstSide = 2048;

inline int32_t syntheticPhoto()
{
    static const int32_t handle = [] {
        const int32_t h = RixCreate(kSrcSide, kSrcSide);
        rix::Image& image = *rix::findImage(h);
        for (int y = 0; y < kSrcSide; ++y)
            for (int x = 0; x < kSrcSide; ++x)
                image.row(y)[x]
                    = rix::packRgb(uint8_t(x * 7 + y), uint8_t(128 + 100 * std::sin(x * 0.01)), uint8_t((x ^ y) & 255));
        return h;
    }();
    return handle;
}

} // namespace bench
