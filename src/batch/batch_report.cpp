#include "batch_report.h"

#include <algorithm>
#include <cmath>

namespace karwen {

namespace {

// More entries of a group than this are counted, not listed.
constexpr std::size_t kListedPerGroup = 12;

void addGroup(std::string& text, const char* heading, const std::vector<FileProblem>& problems)
{
    if (problems.empty())
        return;
    if (!text.empty())
        text += "\n\n";
    text += heading;
    const std::size_t listed = std::min(problems.size(), kListedPerGroup);
    for (std::size_t i = 0; i < listed; ++i) {
        const FileProblem& p = problems[i];
        text += "\n" + p.path + ": " + p.reason + ".";
        if (!p.detail.empty())
            text += "\n    " + p.detail;
    }
    if (problems.size() > listed)
        text += "\n... and " + std::to_string(problems.size() - listed) + " more.";
}

} // namespace

std::string batchReport(const BatchOutcome& outcome)
{
    std::string text;
    addGroup(text, "These photos could not be read:", outcome.unreadable);
    addGroup(text, "These photos were not converted, for want of a circle on them:", outcome.noCircle);
    addGroup(text, "These results were not written, to keep other files:", outcome.refused);
    addGroup(text, "These results could not be written:", outcome.failedSaves);
    addGroup(text, "These photos gave an entirely black result, which was not written:", outcome.black);
    const std::string nearlyBlack = "These results were written, though no pixel in them is brighter than "
        + std::to_string(kNearlyBlackLevel) + " of 255:";
    addGroup(text, nearlyBlack.c_str(), outcome.nearlyBlack);
    return text;
}

std::string batchSummary(const BatchOutcome& outcome)
{
    const std::string counts = std::to_string(outcome.converted) + " converted, " + std::to_string(outcome.skipped())
        + " skipped, " + std::to_string(outcome.failed()) + " failed.";
    if (!outcome.stopped())
        return "Completed: " + counts;
    return "Stopped after " + std::to_string(outcome.listed - outcome.notStarted) + " of "
        + std::to_string(outcome.listed) + " files: " + counts;
}

std::string batchTimeLeft(double secondsSoFar, int done, int count)
{
    if (done <= 0 || done >= count)
        return {};
    const double left = secondsSoFar / done * (count - done);
    // Seconds while they matter, minutes beyond; never "0 s" while files
    // remain.
    if (left < 90.0)
        return "about " + std::to_string(std::max(1L, std::lround(left))) + " s left";
    return "about " + std::to_string(std::lround(left / 60.0)) + " min left";
}

} // namespace karwen
