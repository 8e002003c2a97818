#include "left_temporaries.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <regex>

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

std::string temporaryFileName(const std::string& target, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%d-%u-%llx-%u.tmp", int(::getpid()), counter++,
        static_cast<unsigned long long>(ticks) & 0xffffffu, attempt);
    return folder + "." + base + "." + hostTag() + suffix;
}

bool isTemporaryFileName(const std::string& name, long& pid)
{
    static const std::regex pattern(R"(^\..+\.([A-Za-z0-9-]{1,32})\.([0-9]{1,10})-[0-9]+-[0-9a-f]+-[0-9]+\.tmp$)");
    std::smatch match;
    if (!std::regex_match(name, match, pattern) || match[1].str() != hostTag())
        return false;
    pid = std::stol(match[2].str());
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
