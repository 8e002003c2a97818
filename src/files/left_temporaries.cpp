#include "left_temporaries.h"

#include "file_path.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

namespace karwen::files {

namespace {

bool isRunning(long pid) { return ::kill(pid_t(pid), 0) == 0 || errno != ESRCH; }

// This machine's name as the temporaries carry it: a process id means
// something only on its own machine, and folders may be shared with others.
const std::string& hostTag()
{
    static const std::string tag = [] {
        char name[256] = {};
        std::string kept;
        if (::gethostname(name, sizeof name - 1) == 0)
            for (const char* c = name; *c && kept.size() < 32; ++c)
                if (std::isalnum(static_cast<unsigned char>(*c)) || *c == '-')
                    kept += *c;
        return kept.empty() ? std::string("host") : kept;
    }();
    return tag;
}

} // namespace

std::string temporaryName(const std::string& name, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    // Cut where no UTF-8 character is split, so that listings stay readable.
    std::size_t kept = std::min(name.size(), kTargetBytesInTemporary);
    while (kept > 0 && kept < name.size() && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80)
        --kept;
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%d-%u-%llx-%u.tmp", int(::getpid()), counter++,
        static_cast<unsigned long long>(ticks) & 0xffffffu, attempt);
    std::string temporary;
    temporary.reserve(kept + hostTag().size() + sizeof suffix + 2);
    temporary.push_back('.');
    temporary.append(name, 0, kept);
    temporary.push_back('.');
    temporary.append(hostTag());
    temporary.append(suffix);
    return temporary;
}

std::string temporaryFileName(const std::string& target, unsigned attempt)
{
    return target.substr(0, nameStart(target)) + temporaryName(nameOf(target), attempt);
}

bool isTemporaryFileName(const std::string& name, long& pid)
{
    // ".<target>.<host>.<pid>-<n>-<hex>-<attempt>.tmp"
    constexpr std::string_view kEnd = ".tmp";
    if (name.size() <= kEnd.size() || name[0] != '.' || !name.ends_with(kEnd))
        return false;
    const std::string stem = name.substr(0, name.size() - kEnd.size());
    const std::size_t counters = stem.rfind('.');
    if (counters == std::string::npos || counters < 3)
        return false;
    const std::size_t host = stem.rfind('.', counters - 1);
    if (host == std::string::npos || host < 2 || stem.substr(host + 1, counters - host - 1) != hostTag())
        return false;
    const auto isIn = [](const std::string& part, const char* allowed, std::size_t longest) {
        return !part.empty() && part.size() <= longest && part.find_first_not_of(allowed) == std::string::npos;
    };
    constexpr const char* kDigits = "0123456789";
    std::vector<std::string> parts;
    std::size_t start = counters + 1;
    for (std::size_t dash; (dash = stem.find('-', start)) != std::string::npos; start = dash + 1)
        parts.push_back(stem.substr(start, dash - start));
    parts.push_back(stem.substr(start));
    if (parts.size() != 4 || !isIn(parts[0], kDigits, 10) || !isIn(parts[1], kDigits, 10)
        || !isIn(parts[2], "0123456789abcdef", 16) || !isIn(parts[3], kDigits, 10))
        return false;
    pid = std::stol(parts[0]);
    return true;
}

int removeLeftTemporaries(const std::string& folder)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    int removed = 0;
    const std::string prefix = folder == "/" ? "" : folder;
    while (const dirent* entry = ::readdir(dir)) {
        long pid = 0;
        const std::string name = entry->d_name;
        if (isTemporaryFileName(name, pid) && pid > 0 && !isRunning(pid)
            && ::unlink((prefix + "/" + name).c_str()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}

} // namespace karwen::files
