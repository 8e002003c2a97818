// Writing below a folder the user named: links below it are never followed,
// a name taken since the look is not replaced unless asked, and the
// temporary name beside a result stays short enough for every legal name,
// while the clean-up still knows the temporaries of older runs.
#include "below_folder.h"

#include "file_error.h"
#include "left_temporaries.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using karwen::test::readBytes;
using karwen::test::writeBytes;
namespace files = karwen::files;

namespace {

std::string write(const fs::path& root, const std::string& below, bool replace, bool* written = nullptr)
{
    try {
        const bool done = files::writeBelow(root.string(), below, "new", 3, replace);
        if (written)
            *written = done;
        return "";
    } catch (const files::FileError& e) {
        return e.what();
    }
}

} // namespace

TEST(BelowFolder, LinksBelowTheRootAreSeenAndNeverFollowed)
{
    karwen::test::ScratchFolder dir;
    fs::create_directories(dir.path() / "root" / "day");
    fs::create_directories(dir.path() / "elsewhere");
    writeBytes(dir.path() / "thesis.txt", "mine");
    fs::create_symlink("../thesis.txt", dir.path() / "root" / "a.jpg");
    fs::create_symlink("../elsewhere", dir.path() / "root" / "linked");
    const fs::path root = dir.path() / "root";

    const files::EntryBelow file = files::lookBelow(root.string(), "a.jpg");
    EXPECT_EQ(file.kind, files::EntryKind::Link);
    EXPECT_EQ(file.link, "a.jpg");
    const files::EntryBelow step = files::lookBelow(root.string(), "linked/b.jpg");
    EXPECT_EQ(step.kind, files::EntryKind::Link);
    EXPECT_EQ(step.link, "linked");
    EXPECT_EQ(files::lookBelow(root.string(), "missing/b.jpg").kind, files::EntryKind::Nothing);
    EXPECT_EQ(files::lookBelow(root.string(), "day").kind, files::EntryKind::Folder);

    EXPECT_NE(write(root, "linked/b.jpg", true).find("is a symbolic link"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.path() / "elsewhere" / "b.jpg"));
    // Asked to replace, the link itself goes, never what it names.
    EXPECT_EQ(write(root, "a.jpg", true), "");
    EXPECT_EQ(readBytes(dir.path() / "thesis.txt"), "mine");
    EXPECT_EQ(readBytes(root / "a.jpg"), "new");

    // The root itself may be a link.
    fs::create_symlink(root, dir.path() / "root-link");
    EXPECT_EQ(write(dir.path() / "root-link", "day/c.jpg", false), "");
    EXPECT_EQ(readBytes(root / "day" / "c.jpg"), "new");
}

TEST(BelowFolder, ANameTakenIsKeptUnlessReplaceIsAsked)
{
    karwen::test::ScratchFolder dir;
    writeBytes(dir.path() / "x.jpg", "old");
    bool written = true;
    EXPECT_EQ(write(dir.path(), "x.jpg", false, &written), "");
    EXPECT_FALSE(written);
    EXPECT_EQ(readBytes(dir.path() / "x.jpg"), "old");
    EXPECT_EQ(write(dir.path(), "x.jpg", true, &written), "");
    EXPECT_TRUE(written);
    EXPECT_EQ(readBytes(dir.path() / "x.jpg"), "new");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"x.jpg"}); // no temporary left

    const files::EntryBelow entry = files::lookBelow(dir.path().string(), "x.jpg");
    EXPECT_EQ(entry.kind, files::EntryKind::RegularFile);
    EXPECT_EQ(entry.head, "new");
}

TEST(BelowFolder, EveryLegalNameCanBeWrittenAndALongerOneIsKnownBeforehand)
{
    karwen::test::ScratchFolder dir;
    const std::size_t longest = files::longestNameIn(dir.path().string());
    EXPECT_EQ(longest, std::size_t(::pathconf(dir.path().c_str(), _PC_NAME_MAX)));
    // Asked of a folder not made yet, the nearest one there answers.
    EXPECT_EQ(files::longestNameIn((dir.path() / "not" / "yet").string()), longest);

    const std::string name(longest, 'n');
    EXPECT_EQ(write(dir.path(), name, false), "");
    EXPECT_EQ(readBytes(dir.path() / name), "new");
    // Two-byte characters are never cut in half in the temporary's name.
    const std::string wide = std::string(39, 'w') + "\xc3\xa9" + std::string(20, 'w');
    const std::string temporary = files::temporaryName(wide, 0);
    const std::string cut = '.' + std::string(39, 'w');
    EXPECT_TRUE(temporary.starts_with(cut + '.')) << temporary;
}

TEST(BelowFolder, TemporariesOfBothNamingsAreRecognised)
{
    long pid = 0;
    const std::string name(200, 'x');
    const std::string fresh = files::temporaryName(name, 3);
    EXPECT_LE(fresh.size(), files::kTargetBytesInTemporary + 80);
    ASSERT_TRUE(files::isTemporaryFileName(fresh, pid));
    EXPECT_EQ(pid, long(::getpid()));

    // An older run named its temporaries after the whole target's name.
    std::string older = fresh;
    older.replace(1, files::kTargetBytesInTemporary, name);
    pid = 0;
    ASSERT_TRUE(files::isTemporaryFileName(older, pid));
    EXPECT_EQ(pid, long(::getpid()));
    EXPECT_FALSE(files::isTemporaryFileName(name + ".tmp", pid));
}
