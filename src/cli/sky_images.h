// measure --save-classified: each measured photo's sky image (sky_pixels.h)
// as a PNG file (grey_png.h), named as convert names its results (the
// photo's name without its last extension, then -sky.png; with -r below the
// subfolder its photo is in), planned before the first photo is read and
// put where result_place.h allows: an image of a photo earlier in the list
// is never replaced, nor anything but a PNG, nor through a link below the
// folder. A PNG there is kept unless the run replaces it: one that
// replaces the CSV (--overwrite) replaces the images of its photos, and one
// that continues it (--resume) measures only the photos whose rows are to
// be made again, whose images it replaces.
#pragma once

#include "batch_inputs.h"
#include "batch_plan.h"
#include "canopy_row.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace karwen::cli {

inline constexpr const char* kSkyImagePostfix = "-sky";
inline constexpr const char* kSkyImageExt = "png";

struct SkyImages {
    std::string folder;             // absolute
    bool replace = false;           // a PNG under an image's name is replaced
    std::vector<PlannedFile> files; // by photo of the list
};

// The images of the listed photos (inputs' paths) in folder, absolute,
// each below its entry of subfolders (none: all in folder itself);
// refusals included.
[[nodiscard]] std::vector<PlannedFile> planSkyImages(
    const std::string& folder, const BatchInputs& inputs, const std::vector<std::string>& subfolders);

enum class ImageStatus { Written, Kept, Failed };

// What a photo's progress line says of an image kept.
inline constexpr const char* kImageKept = "image kept: exists";

struct ImageCounts {
    int written = 0, kept = 0, failed = 0;
};

struct SavedImage {
    ImageStatus status = ImageStatus::Written;
    std::string line; // for Failed: why, in plain words
};

// A photo's image as the worker leaves it: what became of it when that is
// decided before it is written, else its PNG bytes, to be written (which
// waits for the disk) while the next photo is measured.
struct MadeImage {
    std::optional<SavedImage> done;
    std::vector<uint8_t> png;
    bool replace = false; // over the PNG that is there
};

// The image of file's photo (a handle) that gave row, a row with figures.
[[nodiscard]] MadeImage makeSkyImage(
    const PlannedFile& file, const SkyImages& images, int32_t photo, const canopy::CanopyRow& row);
// Writes a made image, or tells what became of it.
[[nodiscard]] SavedImage writeSkyImage(const PlannedFile& file, const SkyImages& images, const MadeImage& made);

// What the summary adds for the images: "; images: 3 written, 1 kept, 0 failed".
[[nodiscard]] std::string imageSummary(const ImageCounts& counts);

} // namespace karwen::cli
