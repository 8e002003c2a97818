// Helpers shared by the area suites: a scratch folder per test and a copy of
// the whole measurement to compare against.
#pragma once

#include "area_model.h"
#include "mdl_karwen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace karwen::test {

class ScratchFolder {
public:
    ScratchFolder()
    {
        std::random_device seed;
        path_ = std::filesystem::temp_directory_path() /
                ("karwen_area_" + std::to_string(seed()) + "_" + std::to_string(seed()));
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Names of everything in the folder, for spotting leftover files.
    [[nodiscard]] std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path_))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

inline std::string readBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void writeBytes(const std::filesystem::path& file, const std::string& bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Everything a load or a mouse event may change.
struct MeasurementSnapshot {
    std::array<int16_t, kDotCount + 1> dotClass = DotClass;
    std::array<int16_t, kAreaClassCount> classCount = ClassCount;
    int16_t tag = AreaFileTag;
    int16_t lastLbl = LastLbl;

    bool operator==(const MeasurementSnapshot&) const = default;
};

// Counts rebuilt from the dot classes, to check ClassCount against.
inline std::array<int16_t, kAreaClassCount> countsFromDots()
{
    std::array<int16_t, kAreaClassCount> counts{};
    for (int n = 1; n <= kDotCount; ++n)
        ++counts[static_cast<std::size_t>(DotClass[static_cast<std::size_t>(n)])];
    return counts;
}

// Fresh globals with measurement on, as after start-up and checking "Area".
class AreaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        initGlobals();
        InitAreaTables();
        AreaOn = true;
    }
    void TearDown() override
    {
        AreaOn = false;
        InitAreaTables();
    }
};

} // namespace karwen::test
