#include "batch_inputs.h"

#include "batch_plan.h"
#include "utf8_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace karwen {

namespace {

namespace fs = std::filesystem;

fs::path fullPath(const std::string& name)
{
    std::error_code ec;
    fs::path path = fs::absolute(files::utf8Path(name), ec);
    return (ec ? files::utf8Path(name) : path).lexically_normal();
}

} // namespace

BatchInputs collectBatchInputs(const std::vector<std::string>& names)
{
    BatchInputs inputs;
    for (const std::string& name : names) {
        const fs::path path = fullPath(name);
        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (fs::is_directory(status)) {
            std::vector<std::string> listed;
            if (!listImageFiles(files::utf8String(path), listed)) {
                inputs.problems.push_back({name, "the folder cannot be listed", {}});
                continue;
            }
            for (const std::string& file : listed)
                inputs.paths.push_back(files::utf8String(path / files::utf8Path(file)));
        } else if (status.type() == fs::file_type::not_found) {
            inputs.problems.push_back({name, "there is no file or folder of this name", {}});
        } else {
            // Whatever else it is, its load tells what is wrong with it.
            inputs.paths.push_back(files::utf8String(path));
        }
    }
    std::sort(inputs.paths.begin(), inputs.paths.end());
    inputs.paths.erase(std::unique(inputs.paths.begin(), inputs.paths.end()), inputs.paths.end());
    return inputs;
}

} // namespace karwen
