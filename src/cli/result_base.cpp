#include "result_base.h"

#include "option_values.h"
#include "utf8_path.h"

#include <filesystem>

namespace karwen::cli {

std::vector<std::string> resultSubfolders(const BatchInputs& inputs, const std::string& base)
{
    if (base.empty())
        return inputs.subfolders;
    namespace fs = std::filesystem;
    const fs::path root = files::utf8Path(base);
    std::vector<std::string> subfolders;
    subfolders.reserve(inputs.paths.size());
    for (const std::string& photo : inputs.paths) {
        const fs::path below = files::utf8Path(photo).parent_path().lexically_relative(root);
        if (below.empty() || *below.begin() == "..")
            throw UsageError("--base: the photo \"" + photo + "\" is not inside \"" + base + "\"");
        subfolders.push_back(below == "." ? std::string() : files::utf8String(below));
    }
    return subfolders;
}

} // namespace karwen::cli
