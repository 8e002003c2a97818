// What the metadata columns add to measuring a photo: the EXIF read of a
// real 5-Mpx JPEG (2560 x 1920, ../shared/data/real), from its header alone.
#include "photo_metadata.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string kPhoto = std::string(KARWEN_REAL_PHOTOS) + "/broadleaf_dusk_fce9.jpg";

void BM_ReadPhotoMetadata(benchmark::State& state)
{
    for (auto _ : state) {
        karwen::files::PhotoMetadata m = karwen::files::readPhotoMetadata(kPhoto);
        benchmark::DoNotOptimize(m);
    }
    if (karwen::files::readPhotoMetadata(kPhoto).camera.empty())
        state.SkipWithError("the photo's metadata was not read; is ../shared/data/real there?");
}
BENCHMARK(BM_ReadPhotoMetadata)->Unit(benchmark::kMicrosecond);

} // namespace
