// Saving over what the user keeps at a name: a chain of relative links
// leads to the file that is written, the file keeps its mode, read-only files
// are refused, and as another user a writable file in a folder that takes no
// new files is written in place.
#include "save_file.h"

#include "file_error.h"
#include "other_user.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using karwen::test::readBytes;
using karwen::test::ScratchFolder;
using karwen::test::writeBytes;

namespace {

// The save as the area data file makes it: true when the file was written.
bool save(const fs::path& file, const std::string& text)
{
    try {
        karwen::files::saveFile(file.string(), text.data(), text.size());
        return true;
    } catch (const karwen::files::FileError&) {
        return false;
    }
}

TEST(SaveFile, FollowsRelativeLinksAndKeepsTheMode)
{
    const ScratchFolder folder;
    fs::create_directory(folder / "data");
    writeBytes(folder / "data" / "real.area", "old");
    fs::permissions(folder / "data" / "real.area", fs::perms(0640));
    fs::create_symlink("data/real.area", folder / "hop.area");
    fs::create_symlink("hop.area", folder / "chosen.area");

    ASSERT_TRUE(save(folder / "chosen.area", "new"));
    EXPECT_EQ(readBytes(folder / "data" / "real.area"), "new");
    EXPECT_TRUE(fs::is_symlink(folder / "chosen.area"));
    EXPECT_TRUE(fs::is_symlink(folder / "hop.area"));
    EXPECT_EQ(fs::status(folder / "data" / "real.area").permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "data"), fs::directory_iterator()), 1);
}

TEST(SaveFile, ReadOnlyFileIsRefusedAndKept)
{
    const ScratchFolder folder;
    writeBytes(folder / "kept.area", "old");
    fs::permissions(folder / "kept.area", fs::perms(0444));
    EXPECT_FALSE(save(folder / "kept.area", "new"));
    EXPECT_EQ(readBytes(folder / "kept.area"), "old");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"kept.area"});
}

// nobody may write the file but not create files in root's folder.
TEST(SaveFile, AsAnotherUserWritesInPlaceWhereTheFolderTakesNoNewFiles)
{
    if (const std::string why = test_support::nobodyUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    const test_support::NobodyFolder folder(KARWEN_SAVE_FILE_HELPER);
    if (const std::string why = folder.helperUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    writeBytes(folder / "mine.area", "old");
    test_support::giveToNobody(folder / "mine.area");
    writeBytes(folder / "roots.area", "old");

    const test_support::Outcome mine = folder.runHelper({(folder / "mine.area").string(), "new"});
    EXPECT_EQ(mine.exitCode, 0) << mine.output;
    EXPECT_EQ(readBytes(folder / "mine.area"), "new");
    EXPECT_TRUE(test_support::ownedByNobody(folder / "mine.area"));

    const test_support::Outcome roots = folder.runHelper({(folder / "roots.area").string(), "new"});
    EXPECT_EQ(roots.exitCode, 1) << roots.output;
    EXPECT_EQ(readBytes(folder / "roots.area"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3)
        << "helper, mine.area and roots.area only";
}

} // namespace
