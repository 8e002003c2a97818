#include "batch_convert.h"

#include "mdl_karwen.h"

#include <algorithm>
#include <vector>

namespace karwen {

namespace {

// An image of the batch's own, destroyed when the step is done.
class OwnedImage {
public:
    explicit OwnedImage(int32_t handle) : handle_(handle) {}
    ~OwnedImage() { (void)RixDestroy(handle_); }
    OwnedImage(const OwnedImage&) = delete;
    OwnedImage& operator=(const OwnedImage&) = delete;

    [[nodiscard]] int32_t get() const { return handle_; }

private:
    int32_t handle_;
};

// Rows copied out per look, so that a large result needs no full copy.
constexpr int32_t kRowsPerStrip = 64;

} // namespace

bool isAllBlack(int32_t handle)
{
    const int32_t width = RixWidth(handle);
    const int32_t height = RixHeight(handle);
    if (width <= 0 || height <= 0)
        return false;
    std::vector<uint32_t> strip(std::size_t(width) * kRowsPerStrip);
    for (int32_t bottom = 0; bottom < height; bottom += kRowsPerStrip) {
        const int32_t rows = std::min(kRowsPerStrip, height - bottom);
        // Pixels the copy leaves alone stay white and so never pass as black.
        std::fill(strip.begin(), strip.end(), 0xffffffffu);
        RixCanvas canvas{reinterpret_cast<uint8_t*>(strip.data()), width, rows, width * 4};
        if (RixStretchBlt(handle, 0, bottom, width, rows, &canvas, 0, 0, width, rows) != 1)
            return false;
        const auto end = strip.begin() + std::ptrdiff_t(width) * rows;
        if (std::any_of(strip.begin(), end, [](uint32_t pixel) { return (pixel & 0x00ffffffu) != 0; }))
            return false;
    }
    return true;
}

FileOutcome convertFile(const PlannedFile& file, const BatchSettings& settings)
{
    const OwnedImage source(loadImageFile(file.sourcePath, photoFormatOf(file.sourcePath)));
    if (!isImage(source.get()))
        return {FileResult::Unreadable, photoProblem(file.sourcePath, RixLastError())};

    ProjectionRecord srcPrm = settings.srcPrm;
    RixRect box{};
    if (settings.findCircle && RixBound(source.get(), &box) == 1)
        circleFromBound(box, srcPrm);

    const OwnedImage result(RixCreate(settings.dstW, settings.dstH));
    if (!convertImages(source.get(), result.get(), srcPrm, settings.dstPrm, settings.interp))
        return {FileResult::SaveFailed, {file.outputPath, "the result could not be made", RixLastError()}};
    // A black result says nothing of the photo and would replace whatever
    // the output file held.
    if (isAllBlack(result.get()))
        return {FileResult::Black, {file.sourcePath, kBlackResultReason, {}}};
    if (!saveImageFile(result.get(), file.outputPath, settings.quality))
        return {FileResult::SaveFailed, fileProblem(FileAction::Save, file.outputPath, RixLastError())};
    return {};
}

} // namespace karwen
