// What the user is told when an image file cannot be opened or saved: the
// path and what went wrong in plain words, found by looking at the file and
// its folder right after the failure; the imaging library's own message may
// follow as the technical detail.
#pragma once

#include <string>

namespace karwen {

enum class FileAction { Open, Save };

// A file and what went wrong with it.
struct FileProblem {
    std::string path;
    std::string reason; // plain words, no path, no full stop: "the file does not exist",
                        // "damaged JPEG data"
    std::string detail; // the library's words; "" when the library was not asked
};

// Why opening or saving path failed. libraryError is RixLastError() of the
// failed call; it is dropped where the library was never asked (a name that
// is no BMP or JPG file), and kept as the detail without the name of the
// library's function, which means nothing to the user.
[[nodiscard]] FileProblem fileProblem(FileAction action, const std::string& path, const std::string& libraryError);

// Why reading a batch photo failed: as fileProblem for opening, with the
// format that photoFormatOf gives the name.
[[nodiscard]] FileProblem photoProblem(const std::string& path, const std::string& libraryError);

// The library's message without the name of its function ("RixLoadJPG: "),
// which means nothing to the user.
[[nodiscard]] std::string withoutFunction(const std::string& libraryError);

// Whether a save failed for want of room (a full disk, a used-up quota, a
// file-size limit), which stops every later save as well.
[[nodiscard]] bool isOutOfRoom(const FileProblem& problem);

// What the window says after opening a file whose pixel data is damaged:
// the path, what that means for the picture, and the library's words.
[[nodiscard]] std::string damagedFileMessage(const std::string& path, const std::string& libraryError);

// 'Cannot open "<path>": <reason>.' (or "Cannot save"), and the detail on a
// second line when there is one.
[[nodiscard]] std::string fileProblemMessage(FileAction action, const FileProblem& problem);

} // namespace karwen
