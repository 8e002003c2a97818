#include "replace_file.h"

#include <cstdio>
#include <fstream>
#include <random>

namespace karwen {

namespace {

// A name beside the target that no file holds yet. The program is single
// threaded, so checking and then creating is enough.
std::filesystem::path temporaryBeside(const std::filesystem::path& target)
{
    static std::mt19937 generator{std::random_device{}()};
    const std::filesystem::path folder = target.parent_path();
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(generator()));
        std::filesystem::path name = target.filename();
        name += suffix;
        std::filesystem::path candidate = folder / name;
        if (!std::filesystem::exists(candidate, ec) && !ec)
            return candidate;
    }
    return {};
}

} // namespace

bool ReplaceFileContent(const std::filesystem::path& target, std::string_view content)
{
    if (target.empty() || !target.has_filename())
        return false;
    const std::filesystem::path temporary = temporaryBeside(target);
    if (temporary.empty())
        return false;
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (out) {
            out.write(content.data(), static_cast<std::streamsize>(content.size()));
            out.flush();
            written = out.good();
        }
        // The stream closes here; a failed close shows in its state.
        if (out.is_open()) {
            out.close();
            written = written && !out.fail();
        }
    }
    std::error_code ec;
    if (written) {
        std::filesystem::rename(temporary, target, ec);
        if (!ec)
            return true;
    }
    std::filesystem::remove(temporary, ec);
    return false;
}

std::filesystem::path PathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

} // namespace karwen
