// The fixture of the batch suites: fresh folders and photos to convert.
#pragma once

#include "batch_run.h"
#include "batch_test_support.h"
#include "mdl_karwen.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace karwen::test {

// A fresh "in" and "out" folder per test, photos of 512 x 512 to convert
// into 64 x 48 results.
class BatchFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        initGlobals();
        std::filesystem::create_directories(root / "in");
        std::filesystem::create_directories(root / "out");
        settings.srcPrm = {256, 256, 250, 0, 0, 0, kEquidistant};
        settings.dstPrm = {32, 24, 24, 0, 0, 0, kEquidistant};
        settings.dstW = 64;
        settings.dstH = 48;
    }

    void photo(const std::string& name, uint32_t colour = test::packRgb(90, 140, 200))
    {
        ASSERT_TRUE(writePhoto(root / "in" / name, 512, 512, colour)) << name;
    }
    [[nodiscard]] std::string in(const std::string& name) const { return (root / "in" / name).string(); }
    [[nodiscard]] std::string out(const std::string& name) const { return (root / "out" / name).string(); }
    [[nodiscard]] BatchJob job(
        std::vector<std::string> files, std::string postfix = "-kw", std::string ext = "jpg") const
    {
        return {(root / "in").string(), (root / "out").string(), postfix, ext, std::move(files), {}};
    }

    ScratchFolder scratch;
    const std::filesystem::path& root = scratch.path();
    BatchSettings settings;
};

} // namespace karwen::test
