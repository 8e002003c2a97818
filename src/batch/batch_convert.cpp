#include "batch_convert.h"

#include "mdl_karwen.h"

#include <algorithm>
#include <vector>

namespace karwen {

namespace {

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

ProjectionRecord photoSource(int32_t photo, const ProjectionRecord& srcPrm, bool findCircle)
{
    ProjectionRecord prm = srcPrm;
    RixRect box{};
    if (findCircle && RixBound(photo, &box) == 1)
        circleFromBound(box, prm);
    return prm;
}

FileOutcome makeResult(const PlannedFile& file, const BatchSettings& settings, OwnedImage& result)
{
    const OwnedImage source(loadImageFile(file.sourcePath, photoFormatOf(file.sourcePath)));
    if (!isImage(source.get()))
        return {FileResult::Unreadable, photoProblem(file.sourcePath, RixLastError())};

    const ProjectionRecord srcPrm = photoSource(source.get(), settings.srcPrm, settings.findCircle);
    OwnedImage made(RixCreate(settings.dstW, settings.dstH));
    if (!convertImages(source.get(), made.get(), srcPrm, settings.dstPrm, settings.interp))
        return {FileResult::SaveFailed, {file.outputPath, "the result could not be made", RixLastError()}};
    // A black result says nothing of the photo and would replace whatever
    // the output file held.
    if (isAllBlack(made.get()))
        return {FileResult::Black, {file.sourcePath, kBlackResultReason, {}}};
    result = std::move(made);
    return {};
}

FileOutcome saveResult(const OwnedImage& result, const PlannedFile& file, const BatchSettings& settings)
{
    if (!saveImageFile(result.get(), file.outputPath, settings.quality))
        return {FileResult::SaveFailed, fileProblem(FileAction::Save, file.outputPath, RixLastError())};
    return {};
}

FileOutcome convertFile(const PlannedFile& file, const BatchSettings& settings)
{
    OwnedImage result;
    const FileOutcome made = makeResult(file, settings, result);
    if (made.result != FileResult::Converted)
        return made;
    return saveResult(result, file, settings);
}

} // namespace karwen
