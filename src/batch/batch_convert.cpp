#include "batch_convert.h"

#include "decode_scale.h"
#include "photo_source.h"
#include "view_reference.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace karwen {

namespace {

// Rows copied out per look, so that a large result needs no full copy.
constexpr int32_t kRowsPerStrip = 64;

// Coordinates as the user gives them, two decimals.
std::string point(double x, double y)
{
    char text[80];
    std::snprintf(text, sizeof text, "(%.2f, %.2f)", x, y);
    return text;
}

// Why a circle given for every photo does not fit this one of width x
// height; "" when it does.
std::string givenCircleProblem(int32_t width, int32_t height, const ProjectionRecord& prm, const RixLens* lens)
{
    const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
    if (!isOnPhoto(prm.Cx, prm.Cy, width, height))
        return "the circle's centre " + point(prm.Cx, prm.Cy) + " lies off this photo of " + size;
    float refX = 0, refY = 0;
    if (angle2ref(prm, refX, refY, lens) && !isOnPhoto(refX, refY, width, height))
        return "the view point " + point(refX, refY) + " lies off this photo of " + size;
    return {};
}

// Whether the photo is decoded at the coarsest scale its result allows: a
// JPEG read through the circle given, whose place on the photo is known
// before its pixels are.
bool decodesScaled(const PlannedFile& file, const BatchSettings& settings)
{
    return settings.scaledDecode && !settings.findCircle && photoFormatOf(file.sourcePath) == ImageFormat::Jpg;
}

// The photo, decoded at the coarsest scale the result allows, and the
// source side scaled with it; `source` stays empty when the photo cannot be
// read or the circle does not fit it, and the outcome says why.
FileOutcome loadScaled(const PlannedFile& file, const BatchSettings& settings, OwnedImage& source, PhotoSource& srcPrm)
{
    const char* path = file.sourcePath.c_str();
    int32_t width = 0, height = 0;
    if (RixJPGSize(path, &width, &height) != 1)
        return {FileResult::Unreadable, photoProblem(file.sourcePath, RixLastError())};
    const RixLens* lens = lensOf(settings.srcPrm, settings.srcLens);
    srcPrm = {settings.srcPrm, givenCircleProblem(width, height, settings.srcPrm, lens)};
    if (!srcPrm.problem.empty())
        return {FileResult::NoCircle, {file.sourcePath, srcPrm.problem, {}}};
    const int scale
        = decodeScale(settings.srcPrm, lens, settings.dstPrm, settings.dstW, settings.dstH, settings.interp);
    OwnedImage photo(scale == 1 ? RixLoadJPG(path) : RixLoadJPGScaled(path, scale));
    if (!isImage(photo.get()))
        return {FileResult::Unreadable, photoProblem(file.sourcePath, RixLastError())};
    srcPrm.prm = scaledRecord(settings.srcPrm, height, scale);
    source = std::move(photo);
    return {};
}

// The photo in full and the source side it is read through.
FileOutcome loadFull(const PlannedFile& file, const BatchSettings& settings, OwnedImage& source, PhotoSource& srcPrm)
{
    OwnedImage photo(loadImageFile(file.sourcePath, photoFormatOf(file.sourcePath)));
    if (!isImage(photo.get()))
        return {FileResult::Unreadable, photoProblem(file.sourcePath, RixLastError())};
    srcPrm = photoSource(photo.get(), settings.srcPrm, settings.findCircle, FoundCircle::Window,
        lensOf(settings.srcPrm, settings.srcLens));
    if (!srcPrm.problem.empty())
        return {FileResult::NoCircle, {file.sourcePath, srcPrm.problem, {}}};
    source = std::move(photo);
    return {};
}

} // namespace

int brightestLevel(int32_t handle)
{
    const int32_t width = RixWidth(handle);
    const int32_t height = RixHeight(handle);
    if (width <= 0 || height <= 0)
        return -1;
    std::vector<uint32_t> strip(std::size_t(width) * kRowsPerStrip);
    uint32_t brightest = 0;
    for (int32_t bottom = 0; bottom < height; bottom += kRowsPerStrip) {
        const int32_t rows = std::min(kRowsPerStrip, height - bottom);
        RixCanvas canvas{reinterpret_cast<uint8_t*>(strip.data()), width, rows, width * 4};
        if (RixStretchBlt(handle, 0, bottom, width, rows, &canvas, 0, 0, width, rows) != 1)
            return -1;
        const auto end = strip.begin() + std::ptrdiff_t(width) * rows;
        for (auto pixel = strip.begin(); pixel != end; ++pixel)
            brightest = std::max({brightest, *pixel & 0xffu, (*pixel >> 8) & 0xffu, (*pixel >> 16) & 0xffu});
        if (brightest == 255)
            break;
    }
    return int(brightest);
}

bool isAllBlack(int32_t handle) { return brightestLevel(handle) == 0; }

PhotoSource photoSource(
    int32_t photo, const ProjectionRecord& srcPrm, bool findCircle, FoundCircle rule, const RixLens* lens)
{
    PhotoSource source{srcPrm, {}};
    if (!findCircle) {
        source.problem = givenCircleProblem(RixWidth(photo), RixHeight(photo), srcPrm, lens);
        return source;
    }
    const int32_t width = RixWidth(photo), height = RixHeight(photo);
    RixCircle circle{};
    if (RixFindCircle(photo, &circle) != 1 || !isUsableCircle(circle, width, height)) {
        source.problem = kNoCircleReason;
        return source;
    }
    if (rule == FoundCircle::Window) {
        RixRect box{};
        (void)RixCircleBound(&circle, width, height, &box);
        circleFromBound(box, source.prm);
    } else {
        source.prm.Cx = circle.Cx;
        source.prm.Cy = circle.Cy;
        source.prm.R = circle.R;
    }
    if (lens)
        source.prm.R = radius90FromRim(source.prm.R, *lens);
    return source;
}

FileOutcome makeResult(const PlannedFile& file, const BatchSettings& settings, OwnedImage& result)
{
    OwnedImage source;
    PhotoSource srcPrm;
    const FileOutcome loaded = decodesScaled(file, settings) ? loadScaled(file, settings, source, srcPrm)
                                                             : loadFull(file, settings, source, srcPrm);
    if (!isImage(source.get()))
        return loaded;

    const RixLens* lens = lensOf(settings.srcPrm, settings.srcLens);
    OwnedImage made(RixCreate(settings.dstW, settings.dstH));
    if (!convertImages(source.get(), made.get(), srcPrm.prm, settings.dstPrm, settings.interp, lens))
        return {FileResult::SaveFailed,
            {file.outputPath, "the result could not be made: " + withoutFunction(RixLastError()), {}}};
    // A black result says nothing of the photo and would replace whatever
    // the output file held; a nearly black one may still hold a dim sky.
    const int brightest = brightestLevel(made.get());
    if (brightest == 0)
        return {FileResult::Black, {file.sourcePath, kBlackResultReason, {}}};
    result = std::move(made);
    return {FileResult::Converted, {}, brightest > 0 && brightest <= kNearlyBlackLevel};
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
    FileOutcome saved = saveResult(result, file, settings);
    saved.nearlyBlack = made.nearlyBlack && saved.result == FileResult::Converted;
    return saved;
}

} // namespace karwen
