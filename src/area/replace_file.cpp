#include "replace_file.h"

#include "save_file.h"

#include <exception>

namespace karwen {

// The image library saves pictures the same way, so links, permissions and
// failures behave alike for both kinds of file.
bool ReplaceFileContent(const std::filesystem::path& target, std::string_view content)
{
    if (target.empty() || !target.has_filename())
        return false;
    try {
        const std::u8string name = target.u8string();
        rix::saveFile(std::string(name.begin(), name.end()), content.data(), content.size());
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
