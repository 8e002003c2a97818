#include "replace_file.h"

#include "atomic_file_writer.h"

#include <exception>

namespace karwen {

// The image library's writer already does this for saved pictures: a
// temporary file beside the target, flushed to disk, renamed over it.
bool ReplaceFileContent(const std::filesystem::path& target, std::string_view content)
{
    if (target.empty() || !target.has_filename())
        return false;
    try {
        const std::u8string name = target.u8string();
        rix::AtomicFileWriter writer(std::string(name.begin(), name.end()));
        writer.write(content.data(), content.size());
        writer.commit();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::filesystem::path PathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace karwen
