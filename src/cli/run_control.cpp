#include "run_control.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include <atomic>
#include <csignal>

namespace karwen::cli {

namespace {

// Written by the signal handler, read by the worker threads: a lock-free
// atomic, since a volatile sig_atomic_t is safe only within one thread.
std::atomic<int> stopSignal = 0;
static_assert(std::atomic<int>::is_always_lock_free);
bool outputWasClosed = false;

extern "C" void requestStop(int signal) { stopSignal = signal; }

} // namespace

void catchStopSignals()
{
    struct sigaction action { };
    action.sa_handler = requestStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

void keepStandardStreamsOpen()
{
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        if (fd == STDOUT_FILENO)
            outputWasClosed = true;
        // The lowest free number is fd itself, the ones below being open.
        (void)::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    }
}

bool standardOutputWasClosed() { return outputWasClosed; }

bool stopRequested() { return stopSignal != 0; }

int exitCodeOf(bool failed)
{
    if (stopSignal != 0)
        return kExitSignalBase + stopSignal;
    return failed ? kExitFailures : kExitDone;
}

std::string exitStatusHelp(
    const std::string& done, const std::string& failures, const std::string& usage, const std::string& signalled)
{
    std::string text = "Exit status: " + std::to_string(kExitDone) + " when " + done + ", "
        + std::to_string(kExitFailures) + " when " + failures + ", " + std::to_string(kExitUsage) + " for " + usage;
    if (!signalled.empty())
        text += ", " + std::to_string(kExitSignalBase)
            + " + the signal's number when SIGINT, SIGTERM or SIGHUP stopped the run (" + signalled + ")";
    return text + ".";
}

std::string dryRunExitHelp()
{
    return "Exit status " + std::to_string(kExitDone) + " when the run could start, " + std::to_string(kExitUsage)
        + " when it could not.";
}

ProgressReporter::Style reporterStyle(bool quiet)
{
    if (quiet)
        return ProgressReporter::Style::Quiet;
    return ::isatty(STDERR_FILENO) ? ProgressReporter::Style::Bar : ProgressReporter::Style::Lines;
}

} // namespace karwen::cli
