// Path helpers for captions and the area data file names.
#include "mdl_karwen.h"

namespace karwen {

std::string get_fname(const std::string& path)
{
    const auto sep = path.find_last_of("\\/");
    if (sep == std::string::npos)
        return path;
    return path.substr(sep + 1);
}

std::optional<std::string> cut_ext(const std::string& path)
{
    // The last dot anywhere counts, also one in a folder name.
    const auto dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::nullopt;
    return path.substr(0, dot);
}

} // namespace karwen
