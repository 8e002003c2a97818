#include "batch_report.h"

#include <algorithm>

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
    return text;
}

} // namespace karwen
