#include "run_control.h"

#include <unistd.h>

#include <algorithm>
#include <csignal>

namespace karwen::cli {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

extern "C" void requestStop(int signal) { stopSignal = signal; }

} // namespace

void catchStopSignals()
{
    struct sigaction action { };
    action.sa_handler = requestStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool stopRequested() { return stopSignal != 0; }

int exitCodeOf(bool failed)
{
    if (stopSignal != 0)
        return 128 + stopSignal;
    return failed ? kExitFailures : kExitDone;
}

ProgressReporter::Style reporterStyle(bool quiet)
{
    if (quiet)
        return ProgressReporter::Style::Quiet;
    return ::isatty(STDERR_FILENO) ? ProgressReporter::Style::Bar : ProgressReporter::Style::Lines;
}

std::string oneLine(std::string message)
{
    std::replace(message.begin(), message.end(), '\n', ' ');
    return message;
}

} // namespace karwen::cli
