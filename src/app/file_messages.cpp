#include "file_messages.h"

#include "image_files.h"
#include "utf8_path.h"

#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace karwen {

namespace {

namespace fs = std::filesystem;

bool mayAccess(const fs::path& path, int mode) { return ::access(path.c_str(), mode) == 0; }

// The folder a name is in; the current folder for a bare name.
fs::path folderOf(const fs::path& path)
{
    const fs::path folder = path.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// Problems of the name and its folder that opening and saving share;
// "" when the folder is there.
std::string folderReason(const fs::path& path)
{
    if (path.empty() || !path.has_filename())
        return "no file name is given";
    std::error_code ec;
    if (!fs::is_directory(folderOf(path), ec))
        return "the folder does not exist";
    return {};
}

// The library names a file whose pixel data it found damaged in these words.
constexpr std::string_view kDamagedPhrases[] = {"damaged JPEG data", "damaged BMP data"};

// A photo over the load limit or beyond the memory is told by its size,
// from these words to the end of the library's message.
constexpr std::string_view kTooLarge = "too large: ";

// What the library's message says of the file itself; "" when nothing the
// user can act on.
std::string libraryReason(const std::string& libraryError)
{
    for (std::string_view phrase : kDamagedPhrases)
        if (libraryError.find(phrase) != std::string::npos)
            return std::string(phrase);
    if (const std::size_t tooLarge = libraryError.find(kTooLarge); tooLarge != std::string::npos)
        return libraryError.substr(tooLarge);
    return {};
}

// otherFormat: the reason given for a name that asks for no format.
std::string openReason(
    ImageFormat format, const char* otherFormat, const fs::path& path, const std::string& libraryError)
{
    if (format == ImageFormat::Other)
        return otherFormat;
    if (std::string reason = folderReason(path); !reason.empty())
        return reason;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        return "the file does not exist";
    if (fs::is_directory(status))
        return "this is a folder, not a regular file";
    if (!fs::is_regular_file(status))
        return "this is not a regular file";
    if (!mayAccess(path, R_OK))
        return "you may not read this file";
    if (fs::file_size(path, ec) == 0 && !ec)
        return "the file is empty";
    if (std::string reason = libraryReason(libraryError); !reason.empty())
        return reason;
    return format == ImageFormat::Bmp ? "the file is cut short or is not a BMP picture"
                                      : "the file is cut short or is not a JPEG picture";
}

std::string saveReason(const std::string& name, const fs::path& path)
{
    if (imageFormatOf(name) == ImageFormat::Other)
        return "only BMP and JPEG pictures (.bmp, .jpg, .jpeg, .jpe) can be saved";
    if (std::string reason = folderReason(path); !reason.empty())
        return reason;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (fs::is_directory(status))
        return "a folder of this name is in the way";
    if (!mayAccess(folderOf(path), W_OK | X_OK))
        return "you may not write into this folder";
    if (fs::exists(status) && !mayAccess(path, W_OK))
        return "you may not change this file";
    return "the file could not be written";
}

} // namespace

FileProblem fileProblem(FileAction action, const std::string& path, const std::string& libraryError)
{
    const fs::path p = files::utf8Path(path);
    const ImageFormat format = imageFormatOf(path);
    FileProblem problem{path,
        action == FileAction::Open
            ? openReason(format, "only BMP and JPEG pictures (.bmp, .jpg, .jpeg, .jpe) can be opened", p, libraryError)
            : saveReason(path, p),
        {}};
    if (format != ImageFormat::Other)
        problem.detail = libraryError;
    return problem;
}

FileProblem photoProblem(const std::string& path, const std::string& libraryError)
{
    const ImageFormat format = photoFormatOf(path);
    FileProblem problem{path,
        openReason(format, "only BMP and JPEG photos (.bmp, .jpg, .jpeg, .jpe) are converted", files::utf8Path(path),
            libraryError),
        {}};
    if (format != ImageFormat::Other)
        problem.detail = libraryError;
    return problem;
}

std::string damagedFileMessage(const std::string& path, const std::string& libraryError)
{
    return "\"" + path + "\" is damaged: only what could be read is shown.\n" + libraryError;
}

std::string fileProblemMessage(FileAction action, const FileProblem& problem)
{
    std::string text = (action == FileAction::Open ? "Cannot open \"" : "Cannot save \"") + problem.path +
                       "\": " + problem.reason + ".";
    if (!problem.detail.empty())
        text += "\n" + problem.detail;
    return text;
}

} // namespace karwen
