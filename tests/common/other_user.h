// Running a test helper program as the unprivileged user "nobody". Root
// passes every permission check, so tests of what a user may not write need
// a second user: they run where the suite runs as root and runuser works.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace test_support {

struct Outcome {
    int exitCode = -1;  // -1 when the program did not end normally
    std::string output; // its standard output and error
};

// Runs argv (argv[0] found through PATH) and waits for it.
inline Outcome runProgram(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    Outcome outcome;
    if (spawned != 0)
        outcome.output = "cannot start " + argv[0] + ": " + std::strerror(spawned);
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (n > 0)
            outcome.output.append(buffer, std::size_t(n));
        else if (errno != EINTR)
            break;
    }
    ::close(pipeEnds[0]);
    int status = 0;
    if (spawned == 0) {
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
    }
    return outcome;
}

inline Outcome runAsNobody(std::vector<std::string> argv)
{
    argv.insert(argv.begin(), {"runuser", "-u", "nobody", "--"});
    return runProgram(argv);
}

// Why programs cannot be run as nobody here, or "" when they can.
inline std::string nobodyUnavailable()
{
    if (::geteuid() != 0)
        return "only root can run programs as the user nobody";
    if (!::getpwnam("nobody"))
        return "there is no user nobody";
    static const bool works = runAsNobody({"true"}).exitCode == 0;
    return works ? "" : "runuser cannot run programs as nobody";
}

inline void giveToNobody(const std::filesystem::path& path)
{
    const passwd* nobody = ::getpwnam("nobody");
    if (!nobody || ::chown(path.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
        throw std::runtime_error("cannot give " + path.string() + " to nobody");
}

inline bool ownedByNobody(const std::filesystem::path& path)
{
    struct stat info { };
    const passwd* nobody = ::getpwnam("nobody");
    return nobody && ::stat(path.c_str(), &info) == 0 && info.st_uid == nobody->pw_uid;
}

// A fresh folder under /tmp that nobody can enter and read but not write
// (root's, mode 0755), removed with its content. It holds a copy of the
// helper program, since nobody may not be able to reach the build folder.
class NobodyFolder {
public:
    explicit NobodyFolder(const std::filesystem::path& helper)
    {
        std::string name = "/tmp/karwen_user_XXXXXX";
        if (!::mkdtemp(name.data()) || ::chmod(name.c_str(), 0755) != 0)
            throw std::runtime_error("cannot make a folder under /tmp");
        path_ = name;
        std::filesystem::copy_file(helper, path_ / "helper");
        std::filesystem::permissions(path_ / "helper", std::filesystem::perms(0755));
    }
    ~NobodyFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    NobodyFolder(const NobodyFolder&) = delete;
    NobodyFolder& operator=(const NobodyFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Runs the helper as nobody with these arguments.
    [[nodiscard]] Outcome runHelper(std::vector<std::string> args) const
    {
        args.insert(args.begin(), (path_ / "helper").string());
        return runAsNobody(args);
    }
    // Why the helper cannot run here (say, /tmp mounted noexec), or "" when
    // it can: without arguments it only prints its usage and exits with 2.
    [[nodiscard]] std::string helperUnavailable() const
    {
        const Outcome usage = runHelper({});
        return usage.exitCode == 2 ? "" : "the helper does not run as nobody: " + usage.output;
    }

private:
    std::filesystem::path path_;
};

} // namespace test_support
