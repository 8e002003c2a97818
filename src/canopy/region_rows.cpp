#include "region_rows.h"

#include "avx2_clones.h"

#include <cstring>

namespace karwen::canopy {

namespace {

// The blue channel's sky pixels are those whose raw value lies above the
// last value the table reads as canopy: one comparison, no table lookup, so
// the loop runs eight pixels at a time. A run is short (a few dozen
// pixels), so its lanes sum in float and its total in double.
using Floats = float __attribute__((vector_size(32)));
using Words = uint32_t __attribute__((vector_size(32)));
using Masks = int32_t __attribute__((vector_size(32)));

KARWEN_AVX2_CLONES RunSums sumBlue(unsigned lastCanopy, const uint32_t* pixels, const float* weights, int n)
{
    Floats all{}, gap{};
    const Words low = (Words{} + 0xffu), last = (Words{} + lastCanopy);
    int i = 0;
    for (; i + 7 < n; i += 8) {
        Floats w;
        Words p;
        std::memcpy(&w, weights + i, sizeof w);
        std::memcpy(&p, pixels + i, sizeof p);
        const Masks sky = (p & low) > last;
        all += w;
        gap += reinterpret_cast<Floats>(reinterpret_cast<Masks>(w) & sky);
    }
    RunSums s;
    for (; i < n; ++i) {
        s.all += weights[i];
        s.gap += (pixels[i] & 0xffu) > lastCanopy ? weights[i] : 0.0f;
    }
    for (int j = 0; j < 8; ++j) {
        s.all += all[j];
        s.gap += gap[j];
    }
    return s;
}

} // namespace

SkyTable::SkyTable(const CanopySettings& settings, int threshold)
    : values_(settings.channel, settings.gamma)
{
    for (std::size_t raw = 0; raw < sky_.size(); ++raw) {
        sky_[raw] = values_.table()[raw] > threshold ? 1.0f : 0.0f;
        if (sky_[raw] == 0.0f)
            lastCanopy_ = unsigned(raw);
    }
    // The table rises with the raw value, so sky is all above one value.
    monotonic_ = true;
    for (std::size_t raw = 0; raw < sky_.size(); ++raw)
        monotonic_ = monotonic_ && (sky_[raw] == 1.0f) == (raw > lastCanopy_);
}

RunSums SkyTable::sumRun(const uint32_t* pixels, const float* weights, int n) const
{
    if (readsBlueByte(values_.channel()) && monotonic_)
        return sumBlue(lastCanopy_, pixels, weights, n);
    RunSums s;
    for (int i = 0; i < n; ++i) {
        s.all += weights[i];
        s.gap += double(weights[i] * sky_[values_.raw(pixels[i])]);
    }
    return s;
}

} // namespace karwen::canopy
