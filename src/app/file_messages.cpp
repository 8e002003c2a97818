#include "file_messages.h"

#include "file_error.h"
#include "file_path.h"
#include "image_files.h"
#include "utf8_path.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>

namespace karwen {

namespace {

namespace fs = std::filesystem;

bool mayAccess(const fs::path& path, int mode) { return ::access(path.c_str(), mode) == 0; }

// Why a path could not be looked at, in the user's words.
std::string reachReason(const std::error_code& ec)
{
    switch (ec.value()) {
    case ELOOP:
        return "its symbolic links lead round in a circle (or more than 40 deep)";
    case EACCES:
    case EPERM:
        return "you may not enter a folder on its path";
    case ENOTDIR:
        return "a part of its path is not a folder";
    case ENAMETOOLONG:
        return "its name is too long";
    default:
        return files::reasonOf(ec.value());
    }
}

// The folder a name is in; the current folder for a bare name.
fs::path folderOf(const fs::path& path) { return files::utf8Path(files::folderOf(files::utf8String(path))); }

// Problems of the name and its folder that opening and saving share;
// "" when the folder is there.
std::string folderReason(const fs::path& path)
{
    if (path.empty() || !path.has_filename())
        return "no file name is given";
    std::error_code ec;
    if (!fs::is_directory(folderOf(path), ec)) {
        const bool missing = !ec || ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
        return missing ? "the folder does not exist" : reachReason(ec);
    }
    return {};
}

// The library names a file whose pixel data it found damaged in these words.
constexpr std::string_view kDamagedPhrases[] = {"damaged JPEG data", "damaged BMP data"};

// The library's words, after its function's name and the file's path, for
// a load that ran out of memory.
constexpr const char* kOutOfMemory = "out of memory";

// Library words that tell the user all there is, quoted from these words to
// the end of its message: a photo over the load limit or beyond the memory
// ("too large: W x H pixels, ..."), a kind of BMP the loader does not read.
constexpr std::string_view kToTheEnd[] = {"too large: ", "unsupported kind of BMP: "};

// What the library's message says of the file itself; "" when nothing the
// user can act on. The message ends with the library's own words, after the
// file's path, so these are looked for from the end.
std::string libraryReason(const std::string& libraryError)
{
    for (std::string_view phrase : kDamagedPhrases)
        if (libraryError.rfind(phrase) != std::string::npos)
            return std::string(phrase);
    for (std::string_view phrase : kToTheEnd)
        if (const std::size_t at = libraryError.rfind(phrase); at != std::string::npos)
            return libraryError.substr(at);
    if (libraryError.ends_with(std::string(": ") + kOutOfMemory))
        return kOutOfMemory;
    return {};
}

// A save that ran out of room: the file layer's words for it (reasonOf, at
// the end of the library's message) and the user's. A file-size limit
// (ulimit -f) stops every result as a full disk does.
struct NoRoom {
    int err;
    const char* reason;
};
constexpr NoRoom kNoRoom[] = {
    {ENOSPC, "the disk is full"},
    {EDQUOT, "the disk quota is used up"},
    {EFBIG, "the file would be larger than this system allows"},
};

std::string noRoomReason(const std::string& libraryError)
{
    for (const NoRoom& room : kNoRoom)
        if (libraryError.ends_with(": " + files::reasonOf(room.err)))
            return room.reason;
    return {};
}

// Why the path's folder, or the path itself, cannot be reached; "" when
// both can, and then status holds the path's (not_found for none).
std::string pathReason(const fs::path& path, fs::file_status& status)
{
    if (std::string reason = folderReason(path); !reason.empty())
        return reason;
    std::error_code ec;
    status = fs::status(path, ec);
    if (ec && status.type() != fs::file_type::not_found)
        return reachReason(ec);
    return {};
}

// otherFormat: the reason given for a name that asks for no format.
std::string openReason(
    ImageFormat format, const std::string& otherFormat, const fs::path& path, const std::string& libraryError)
{
    if (format == ImageFormat::Other)
        return otherFormat;
    fs::file_status status;
    if (std::string reason = pathReason(path, status); !reason.empty())
        return reason;
    if (!fs::exists(status))
        return "the file does not exist";
    if (fs::is_directory(status))
        return "this is a folder, not a regular file";
    if (!fs::is_regular_file(status))
        return "this is not a regular file";
    if (!mayAccess(path, R_OK))
        return "you may not read this file";
    std::error_code ec;
    if (fs::file_size(path, ec) == 0 && !ec)
        return "the file is empty";
    if (std::string reason = libraryReason(libraryError); !reason.empty())
        return reason;
    return format == ImageFormat::Bmp ? "the file is cut short or is not a BMP picture"
                                      : "the file is cut short or is not a JPEG picture";
}

std::string saveReason(const std::string& name, const fs::path& path, const std::string& libraryError)
{
    if (imageFormatOf(name) == ImageFormat::Other)
        return std::string("only BMP and JPEG pictures ") + kImageExtensionsText + " can be saved";
    fs::file_status status;
    if (std::string reason = pathReason(path, status); !reason.empty())
        return reason;
    if (fs::is_directory(status))
        return "a folder of this name is in the way";
    if (!mayAccess(folderOf(path), W_OK | X_OK))
        return "you may not write into this folder";
    if (fs::exists(status) && !mayAccess(path, W_OK))
        return "you may not change this file";
    if (std::string reason = noRoomReason(libraryError); !reason.empty())
        return reason;
    return "the file could not be written";
}

} // namespace

std::string withoutFunction(const std::string& libraryError)
{
    if (!libraryError.starts_with("Rix"))
        return libraryError;
    const std::size_t colon = libraryError.find(": ");
    const bool isName = colon != std::string::npos
        && std::all_of(libraryError.begin(), libraryError.begin() + std::ptrdiff_t(colon),
            [](unsigned char c) { return std::isalnum(c) != 0; });
    return isName ? libraryError.substr(colon + 2) : libraryError;
}

namespace {

// The library's words beside the reason, unless they only say it again
// ("'x.jpg' is not a regular file" beside "this is not a regular file").
std::string detailBeside(const FileProblem& problem, const std::string& libraryError)
{
    std::string detail = withoutFunction(libraryError);
    const std::string named = "'" + problem.path + "' ";
    const std::string words = detail.starts_with(named) ? detail.substr(named.size()) : detail;
    return problem.reason.ends_with(words) ? std::string() : detail;
}

} // namespace

FileProblem fileProblem(FileAction action, const std::string& path, const std::string& libraryError)
{
    const fs::path p = files::utf8Path(path);
    const ImageFormat format = imageFormatOf(path);
    FileProblem problem{path,
        action == FileAction::Open ? openReason(format,
            std::string("only BMP and JPEG pictures ") + kImageExtensionsText + " can be opened", p, libraryError)
                                   : saveReason(path, p, libraryError),
        {}};
    if (format != ImageFormat::Other)
        problem.detail = detailBeside(problem, libraryError);
    return problem;
}

FileProblem photoProblem(const std::string& path, const std::string& libraryError)
{
    const ImageFormat format = photoFormatOf(path);
    FileProblem problem{path,
        openReason(format, std::string("only BMP and JPEG photos ") + kImageExtensionsText + " are converted",
            files::utf8Path(path), libraryError),
        {}};
    if (format != ImageFormat::Other)
        problem.detail = detailBeside(problem, libraryError);
    return problem;
}

bool isOutOfRoom(const FileProblem& problem)
{
    return std::any_of(
        std::begin(kNoRoom), std::end(kNoRoom), [&](const NoRoom& room) { return problem.reason == room.reason; });
}

std::string damagedFileMessage(const std::string& path, const std::string& libraryError)
{
    return "\"" + path + "\" is damaged: only what could be read is shown.\n" + withoutFunction(libraryError);
}

std::string fileProblemMessage(FileAction action, const FileProblem& problem)
{
    std::string text = (action == FileAction::Open ? "Cannot open \"" : "Cannot save \"") + problem.path
        + "\": " + problem.reason + ".";
    if (!problem.detail.empty())
        text += "\n" + problem.detail;
    return text;
}

} // namespace karwen
