#include "shown_text.h"

#include "canopy_csv.h"

namespace karwen::cli {

std::string shownText(std::string_view text) { return canopy::csvText(text); }

void printShown(std::FILE* stream, const std::string& line) { std::fprintf(stream, "%s\n", shownText(line).c_str()); }

std::string problemLine(FileAction action, FileProblem problem)
{
    const std::string detail = std::move(problem.detail);
    problem.detail.clear();
    std::string line = fileProblemMessage(action, problem);
    if (!detail.empty())
        line += " " + detail;
    return line;
}

} // namespace karwen::cli
