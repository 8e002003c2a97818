// Where the command line puts a result: below the output folder, through no
// symbolic link there, and never over anything but a picture of the
// result's kind (a PNG for a sky image, named .png; a BMP or JPEG
// otherwise) that no photo of the run sits beside. Whatever else holds a
// result's name (a link, a folder, a FIFO, a document, a picture of another
// kind, a BMP or JPEG among the run's photos) is that photo's failure, with
// its reason, and stays as it was.
#pragma once

#include "batch_convert.h"
#include "batch_plan.h"

#include <string>

namespace karwen {

enum class PlaceVerdict {
    Write, // nothing is there yet, or a picture --overwrite may replace
    Skip,  // a picture is there and is kept: the result of an earlier run
    Fail,  // something is there that no result may replace
};

struct ResultPlace {
    PlaceVerdict verdict = PlaceVerdict::Write;
    std::string reason;    // for Fail, in the user's words
    bool replaces = false; // for Write: over the picture that is there
};

// What may become of file.outputPath, below root (the output folder), with
// or without --overwrite.
[[nodiscard]] ResultPlace judgeResultPlace(const PlannedFile& file, const std::string& root, bool overwrite);

// Writes the result to file.outputPath as judgeResultPlace allows: over a
// picture there only with replace, never through a link below root. An
// entry that took the name since the judgement leaves the result unwritten
// when replace is not set: `written` is false then.
[[nodiscard]] FileOutcome saveResultBelow(const OwnedImage& result, const PlannedFile& file,
    const BatchSettings& settings, const std::string& root, bool replace, bool& written);

} // namespace karwen
