#include "result_place.h"

#include "below_folder.h"
#include "file_error.h"
#include "file_messages.h"
#include "image_files.h"

#include <new>
#include <string_view>

namespace karwen {

namespace {

// A PNG starts with its signature, a BMP with "BM", a JPEG with its
// start-of-image marker and a segment.
bool isPng(std::string_view head) { return head.starts_with("\x89PNG\r\n\x1a\n"); }
bool isBmpOrJpeg(std::string_view head) { return head.starts_with("BM") || head.starts_with("\xff\xd8\xff"); }

// A sky image is a PNG; a converted photo a BMP or JPEG.
bool isPngResult(const std::string& outputPath) { return outputPath.ends_with(".png"); }

ResultPlace failure(std::string reason) { return {PlaceVerdict::Fail, std::move(reason)}; }

} // namespace

ResultPlace judgeResultPlace(const PlannedFile& file, const std::string& root, bool overwrite)
{
    files::EntryBelow entry;
    try {
        entry = files::lookBelow(root, file.outputBelow);
    } catch (const files::FileError& e) {
        return failure(e.what());
    }
    switch (entry.kind) {
    case files::EntryKind::Nothing:
        return {};
    case files::EntryKind::Link: {
        // Appended piece by piece: GCC 12 warns falsely on the chain of +.
        std::string reason = "'";
        reason += files::pathBelow(root, entry.link);
        reason += "' is a symbolic link; nothing is written through or over it";
        return failure(std::move(reason));
    }
    case files::EntryKind::Folder:
        return failure("a folder of this name is in the way");
    case files::EntryKind::Other:
        return failure("something that is not a regular file is in the way");
    case files::EntryKind::RegularFile:
        break;
    }
    const bool png = isPngResult(file.outputPath);
    if (png ? !isPng(entry.head) : !isBmpOrJpeg(entry.head))
        return failure(png ? "a file of this name that is no PNG picture is in the way; it is left alone"
                           : "a file of this name that is no BMP or JPEG picture is in the way; it is left alone");
    if (!overwrite)
        return {PlaceVerdict::Skip, {}};
    // No photo is a PNG, so a PNG beside the photos is no photo either.
    if (file.besidePhotos && !png)
        return failure(
            "a picture of this name lies in a folder of this run's photos; it may be a photo, so it is left alone");
    if (!entry.writable)
        return failure("the picture of this name is read-only or not yours to change; it is left alone");
    return {PlaceVerdict::Write, {}, true};
}

namespace {

struct BelowWrite {
    const std::string& root;
    const std::string& below;
    bool replace;
    bool written = false;
    std::string failure;
};

int32_t writeResultBytes(void* context, const uint8_t* data, int64_t size)
{
    auto& write = *static_cast<BelowWrite*>(context);
    try {
        write.written = files::writeBelow(write.root, write.below, data, std::size_t(size), write.replace);
        return 1;
    } catch (const files::FileError& e) {
        write.failure = e.what();
    } catch (const std::bad_alloc&) {
        write.failure = "out of memory";
    }
    return 0;
}

} // namespace

FileOutcome saveResultBelow(const OwnedImage& result, const PlannedFile& file, const BatchSettings& settings,
    const std::string& root, bool replace, bool& written)
{
    BelowWrite write{root, file.outputBelow, replace, false, {}};
    int32_t quality = settings.quality;
    const bool bmp = imageFormatOf(file.outputPath) == ImageFormat::Bmp;
    const int32_t done = bmp ? RixWriteBMP(result.get(), writeResultBytes, &write)
                             : RixWriteJPG(result.get(), &quality, writeResultBytes, &write);
    written = done == 1 && write.written;
    if (done == 1)
        return {};
    return {FileResult::SaveFailed,
        fileProblem(FileAction::Save, file.outputPath, write.failure.empty() ? RixLastError() : write.failure)};
}

} // namespace karwen
