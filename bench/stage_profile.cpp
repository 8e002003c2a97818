// Where a photo's time goes in convert and in measure, stage by stage, on
// one thread: the photos named are each taken through every stage in turn,
// three rounds, and the median of each stage is printed in ms per photo.
// convert: 512 x 512 equisolid, bilinear, through the circle 1277,933,782
// (scripts/bench_cli.sh's run), decoded in full and at the scale the result
// allows; measure: the default canopy settings through the same circle,
// whose sky map (built once a run, timed apart) the photos share.
// Not a test: the figures depend on the machine and on what else runs.
#include "area_model.h"
#include "canopy_settings.h"
#include "decode_scale.h"
#include "dots_view.h"
#include "image_row.h"
#include "photo_metadata.h"
#include "projection_model.h"
#include "rix.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace karwen;

namespace {

using Clock = std::chrono::steady_clock;

// Each stage's times, one per photo and round, in ms.
class Stages {
public:
    // Runs work once and adds its time to the stage named.
    template <class Work> auto time(const std::string& stage, Work work)
    {
        if (std::find(order_.begin(), order_.end(), stage) == order_.end())
            order_.push_back(stage);
        const auto start = Clock::now();
        auto result = work();
        times_[stage].push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        return result;
    }

    void print() const
    {
        for (const std::string& stage : order_) {
            std::vector<double> t = times_.at(stage);
            std::sort(t.begin(), t.end());
            std::printf("  %-52s %7.2f ms\n", stage.c_str(), t[t.size() / 2]);
        }
    }

private:
    std::vector<std::string> order_;
    std::map<std::string, std::vector<double>> times_;
};

int32_t writeBytes(void* context, const uint8_t* data, int64_t size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), data, data + size);
    return 1;
}

const ProjectionRecord kSource{1277, 933, 782, 0, 0, 0, kEquidistant};
const ProjectionRecord kResult{256, 256, 256, 0, 0, 0, kEquisolidangle};
constexpr int32_t kSide = 512, kBilinear = 1;

void convertStages(Stages& s, const std::string& path, const std::string& output)
{
    int32_t width = 0, height = 0;
    s.time("header (RixJPGSize)", [&] { return RixJPGSize(path.c_str(), &width, &height); });
    const int scale = s.time(
        "scale rule (decodeScale)", [&] { return decodeScale(kSource, nullptr, kResult, kSide, kSide, kBilinear); });
    const int32_t full = s.time("decode, full", [&] { return RixLoadJPG(path.c_str()); });
    const int32_t scaled = s.time("decode at the rule's scale (1/" + std::to_string(scale) + ")",
        [&] { return RixLoadJPGScaled(path.c_str(), scale); });
    (void)s.time("decode at 1/8", [&] { return RixDestroy(RixLoadJPGScaled(path.c_str(), 8)); });
    RixCircle circle{};
    (void)s.time("circle detection (full photo)", [&] { return RixFindCircle(full, &circle); });
    // The resampler maps its source points row by row as it goes, with no
    // stored map: the mapping is part of each resampling time.
    const int32_t made = RixCreate(kSide, kSide);
    (void)s.time("resampling from the full photo (mapping included)",
        [&] { return RixSDeform(full, made, &kSource, &kResult, kBilinear); });
    const ProjectionRecord scaledSource = scaledRecord(kSource, height, scale);
    (void)s.time("resampling from the scaled photo (mapping included)",
        [&] { return RixSDeform(scaled, made, &scaledSource, &kResult, kBilinear); });
    std::vector<uint8_t> bytes;
    int32_t quality = 75;
    (void)s.time("encoding (JPEG, quality 75)", [&] { return RixWriteJPG(made, &quality, writeBytes, &bytes); });
    const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    (void)s.time("writing", [&] { return ::write(fd, bytes.data(), bytes.size()); });
    (void)s.time("fsync", [&] { return ::fsync(fd); });
    ::close(fd);
    for (const int32_t image : {full, scaled, made})
        (void)RixDestroy(image);
}

// The pixel figures, the dot figures and their intervals of one photo.
std::size_t measureFigures(const std::string& path, int32_t photo)
{
    return canopy::measurePhoto(path, photo, kSource, nullptr, canopy::kDotsViewRecord, canopy::kDotsViewSide,
        canopy::kDotsViewSide, canopy::CanopySettings{})
        .error.size();
}

void measureStages(Stages& s, const std::string& path)
{
    const int32_t photo = s.time("decode, full", [&] { return RixLoadJPG(path.c_str()); });
    RixCircle circle{};
    (void)s.time("circle detection (--detect-circle only)", [&] { return RixFindCircle(photo, &circle); });
    (void)s.time("figures (dots, threshold, gaps, intervals)", [&] { return measureFigures(path, photo); });
    (void)s.time("metadata (EXIF)", [&] { return files::readPhotoMetadata(path).camera.size(); });
    (void)RixDestroy(photo);
}

// The first photo's figures through a circle, which build the sky map the
// later ones share.
void firstFigures(Stages& s, const std::string& path)
{
    const int32_t photo = RixLoadJPG(path.c_str());
    (void)s.time("figures of the first photo (sky map built)", [&] { return measureFigures(path, photo); });
    (void)RixDestroy(photo);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> photos(argv + 1, argv + argc);
    if (photos.empty()) {
        std::fprintf(stderr, "usage: stage_profile PHOTO.jpg...\n");
        return 2;
    }
    initCoefTables();
    InitAreaTables();
    (void)RixSetThreads(1);
    char folder[] = "/tmp/stage-profile-XXXXXX";
    if (!::mkdtemp(folder))
        return 1;
    const std::string output = std::string(folder) + "/result.jpg";
    Stages convert, measure, first;
    firstFigures(first, photos.front());
    for (int round = 0; round < 3; ++round)
        for (const std::string& photo : photos) {
            convertStages(convert, photo, output);
            measureStages(measure, photo);
        }
    ::unlink(output.c_str());
    ::rmdir(folder);
    std::printf("convert, per photo on one thread (median of %zu):\n", photos.size() * 3);
    convert.print();
    std::printf("measure, per photo on one thread:\n");
    measure.print();
    first.print();
    return 0;
}
