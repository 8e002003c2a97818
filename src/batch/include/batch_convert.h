// One file of the batch: load the photo (its format by photoFormatOf; a
// JPEG at a smaller scale when settings.scaledDecode allows it),
// find its circle or check the one given, create the result, resample,
// refuse a result that came out entirely black, mark one that came out
// nearly black, save.
// Everything happens on images of its own that are gone when it returns;
// the program's shared state is neither read nor written.
#pragma once

#include "batch_plan.h"
#include "file_messages.h"
#include "image_files.h"
#include "lens_catalogue.h"
#include "rix.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace karwen {

struct BatchSettings {
    ProjectionRecord srcPrm{};
    ProjectionRecord dstPrm{};
    int32_t dstW = 0;
    int32_t dstH = 0;
    int32_t interp = 0;
    // Cx, Cy and R from each photo's own circle (by the window's rule, a
    // little inside the rim); the angles, tilt and projection stay those of
    // srcPrm. A photo whose circle is not found is not converted.
    bool findCircle = false;
    int32_t quality = kJpegQuality; // of JPEG results, 1 to 100
    // The lens the photos are read through when srcPrm.Proj is
    // RixLensSource.
    std::optional<NamedLens> srcLens{};
    // A JPEG photo read through the circle given is decoded at the coarsest
    // scale that still leaves enough of its pixels under each of the
    // result's (decode_scale.h); otherwise every photo is decoded in full.
    bool scaledDecode = false;
};

enum class FileResult { Converted, Unreadable, NoCircle, Black, SaveFailed };

struct FileOutcome {
    FileResult result = FileResult::Converted;
    FileProblem problem; // empty when converted
    // A converted result with no channel of any pixel above
    // kNearlyBlackLevel: written, but worth a look.
    bool nearlyBlack = false;
};

// The reason given for a result that came out entirely black.
inline constexpr const char* kBlackResultReason = "the circle does not lie on this photo";
// How a nearly black result is listed.
inline constexpr const char* kNearlyBlackReason = "nearly black";
// The brightest level (of 255) a result may reach and still be nearly black.
inline constexpr int kNearlyBlackLevel = 16;

// An image of the library held for one step, destroyed with it.
class OwnedImage {
public:
    explicit OwnedImage(int32_t handle = 0)
        : handle_(handle)
    {
    }
    ~OwnedImage() { (void)RixDestroy(handle_); }
    OwnedImage(OwnedImage&& other) noexcept
        : handle_(other.handle_)
    {
        other.handle_ = 0;
    }
    OwnedImage& operator=(OwnedImage&& other) noexcept
    {
        std::swap(handle_, other.handle_);
        return *this;
    }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;

    [[nodiscard]] int32_t get() const { return handle_; }

private:
    int32_t handle_;
};

// The reason given for a photo whose image circle is not found with
// confidence; figures or results from a made-up circle would mislead.
inline constexpr const char* kNoCircleReason = "no image circle found";

// Which circle of a found one a photo is read through: the window's, a
// little inside the rim so that conversions show no rim (circleFromBound),
// or the rim itself, the 90-degree horizon of a measurement.
enum class FoundCircle { Window, Rim };

struct PhotoSource {
    ProjectionRecord prm{};
    std::string problem; // why the photo cannot be read; empty when it can
};

// The source side a photo is read through: srcPrm, with Cx, Cy and R of
// the photo's own circle when findCircle is set. A circle that is not
// found, or a given circle whose centre or view point lies off the photo,
// is the photo's problem. Through a real lens (lens given) the found rim
// is where the lens's field ends, so R, the radius of the 90-degree
// circle, is the rim's radius over the lens's rho at its half field.
[[nodiscard]] PhotoSource photoSource(
    int32_t photo, const ProjectionRecord& srcPrm, bool findCircle, FoundCircle rule, const RixLens* lens = nullptr);

// Converts file.sourcePath into file.outputPath (the plan's refusal is the
// caller's to honour): makeResult, then saveResult.
[[nodiscard]] FileOutcome convertFile(const PlannedFile& file, const BatchSettings& settings);

// The first part of convertFile, up to the result in memory, which lands in
// `result` when the outcome is Converted. A caller may save it while it
// makes the next file's result.
[[nodiscard]] FileOutcome makeResult(const PlannedFile& file, const BatchSettings& settings, OwnedImage& result);
// The second part: writes the result to file.outputPath.
[[nodiscard]] FileOutcome saveResult(const OwnedImage& result, const PlannedFile& file, const BatchSettings& settings);

// The highest red, green or blue level of any pixel, 0 to 255; -1 when the
// image cannot be read.
[[nodiscard]] int brightestLevel(int32_t handle);
// Every pixel of the image is black; false also when it cannot be read.
[[nodiscard]] bool isAllBlack(int32_t handle);

} // namespace karwen
