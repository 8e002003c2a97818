// One file of the batch: load the photo (its format by photoFormatOf),
// optionally find its circle, create the result, resample, refuse a result
// that came out entirely black, save.
// Everything happens on images of its own that are gone when it returns;
// the program's shared state is neither read nor written.
#pragma once

#include "batch_plan.h"
#include "file_messages.h"
#include "image_files.h"
#include "rix.h"

#include <cstdint>
#include <utility>

namespace karwen {

struct BatchSettings {
    ProjectionRecord srcPrm{};
    ProjectionRecord dstPrm{};
    int32_t dstW = 0;
    int32_t dstH = 0;
    int32_t interp = 0;
    // Cx, Cy and R from each photo's own circle; the angles, tilt and
    // projection stay those of srcPrm.
    bool findCircle = false;
    int32_t quality = kJpegQuality; // of JPEG results, 1 to 100
};

enum class FileResult { Converted, Unreadable, Black, SaveFailed };

struct FileOutcome {
    FileResult result = FileResult::Converted;
    FileProblem problem; // empty when converted
};

// The reason given for a result that came out entirely black.
inline constexpr const char* kBlackResultReason = "the circle does not lie on this photo";

// An image of the library held for one step, destroyed with it.
class OwnedImage {
public:
    explicit OwnedImage(int32_t handle = 0) : handle_(handle) {}
    ~OwnedImage() { (void)RixDestroy(handle_); }
    OwnedImage(OwnedImage&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
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

// The source side a photo is read through: srcPrm, with Cx, Cy and R of
// the photo's own circle (circleFromBound of its bound) when findCircle is
// set and the bound can be found.
[[nodiscard]] ProjectionRecord photoSource(int32_t photo, const ProjectionRecord& srcPrm, bool findCircle);

// Converts file.sourcePath into file.outputPath (the plan's refusal is the
// caller's to honour): makeResult, then saveResult.
[[nodiscard]] FileOutcome convertFile(const PlannedFile& file, const BatchSettings& settings);

// The first part of convertFile, up to the result in memory, which lands in
// `result` when the outcome is Converted. A caller may save it while it
// makes the next file's result.
[[nodiscard]] FileOutcome makeResult(const PlannedFile& file, const BatchSettings& settings, OwnedImage& result);
// The second part: writes the result to file.outputPath.
[[nodiscard]] FileOutcome saveResult(const OwnedImage& result, const PlannedFile& file,
                                     const BatchSettings& settings);

// Every pixel of the image is black; false also when it cannot be read.
[[nodiscard]] bool isAllBlack(int32_t handle);

} // namespace karwen
