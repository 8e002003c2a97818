// karwen-cli started as a child process to be watched while it runs: each
// of its standard output and error goes into a file, into a pipe whose
// reader has gone (writes fail with EPIPE), or is closed; the test may send
// it a signal before waiting for its end.
#pragma once

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <vector>

extern char** environ;

namespace karwen::test {

class ChildRun {
public:
    enum class Stream { File, ReaderGone, Closed };

    // Starts argv[0]; with Stream::File, output goes to outPath, error to errPath.
    ChildRun(const std::vector<std::string>& argv, Stream out, const std::string& outPath, Stream err,
        const std::string& errPath)
    {
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        int pipeEnds[2] = {-1, -1}; // a pipe without a reader
        if (::pipe(pipeEnds) != 0)
            return;
        ::close(pipeEnds[0]); // the reader is gone before the child starts
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        direct(actions, STDOUT_FILENO, out, outPath, pipeEnds[1]);
        direct(actions, STDERR_FILENO, err, errPath, pipeEnds[1]);
        // The child starts with SIGPIPE at its default, as a shell starts it.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        if (posix_spawn(&pid_, args[0], &actions, &attributes, args.data(), environ) != 0)
            pid_ = -1;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
    }
    ~ChildRun()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            (void)exitCode();
        }
    }
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;

    [[nodiscard]] bool started() const { return pid_ > 0; }
    void signal(int number) const { ::kill(pid_, number); }
    // Waits for the end: the exit code, 128 + the signal's number when a
    // signal ended it, -1 when it never started.
    [[nodiscard]] int exitCode()
    {
        if (pid_ <= 0)
            return -1;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

private:
    static void direct(posix_spawn_file_actions_t& actions, int fd, Stream how, const std::string& path, int pipeEnd)
    {
        if (how == Stream::File)
            posix_spawn_file_actions_addopen(&actions, fd, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        else if (how == Stream::ReaderGone)
            posix_spawn_file_actions_adddup2(&actions, pipeEnd, fd);
        else
            posix_spawn_file_actions_addclose(&actions, fd);
    }

    pid_t pid_ = -1;
};

} // namespace karwen::test
