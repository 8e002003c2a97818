#include "sky_images.h"

#include "below_folder.h"
#include "file_error.h"
#include "grey_png.h"
#include "image_row.h"
#include "result_place.h"
#include "shown_text.h"

#include <new>
#include <utility>

namespace karwen::cli {

namespace {

SavedImage failed(const PlannedFile& file, const std::string& reason)
{
    return {ImageStatus::Failed, problemLine(FileAction::Save, {file.outputPath, reason, {}})};
}

MadeImage decided(SavedImage image) { return {std::move(image), {}, false}; }

} // namespace

std::vector<PlannedFile> planSkyImages(
    const std::string& folder, const BatchInputs& inputs, const std::vector<std::string>& subfolders)
{
    const BatchJob job{"", folder, kSkyImagePostfix, kSkyImageExt, inputs.paths, subfolders};
    return planBatch(job);
}

MadeImage makeSkyImage(const PlannedFile& file, const SkyImages& images, int32_t photo, const canopy::CanopyRow& row)
{
    if (!file.refusal.empty())
        return decided(failed(file, file.refusal));
    const ResultPlace place = judgeResultPlace(file, images.folder, images.replace);
    if (place.verdict == PlaceVerdict::Fail)
        return decided(failed(file, place.reason));
    if (place.verdict == PlaceVerdict::Skip)
        return decided({ImageStatus::Kept, {}});
    try {
        const canopy::SkyImage image = canopy::skyImageOf(photo, row);
        if (image.width == 0)
            return decided(failed(file, "the photo gives no sky image"));
        return {std::nullopt, files::greyPng(image.grey, image.width, image.height), place.replaces};
    } catch (const files::FileError& e) {
        return decided(failed(file, e.what()));
    } catch (const std::bad_alloc&) {
        return decided(failed(file, "out of memory"));
    }
}

SavedImage writeSkyImage(const PlannedFile& file, const SkyImages& images, const MadeImage& made)
{
    if (made.done)
        return *made.done;
    try {
        // A PNG another run put there since the look is its image: kept.
        if (!files::writeBelow(images.folder, file.outputBelow, made.png.data(), made.png.size(), made.replace))
            return {ImageStatus::Kept, {}};
    } catch (const files::FileError& e) {
        return failed(file, e.what());
    } catch (const std::bad_alloc&) {
        return failed(file, "out of memory");
    }
    return {};
}

std::string imageSummary(const ImageCounts& counts)
{
    std::string text = "; images: ";
    text += std::to_string(counts.written) + " written, ";
    text += std::to_string(counts.kept) + " kept, ";
    text += std::to_string(counts.failed) + " failed";
    return text;
}

} // namespace karwen::cli
