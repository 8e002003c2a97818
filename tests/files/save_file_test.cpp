// Saving over what the user keeps at a name: links followed to the file they
// name, that file's mode and owner kept, read-only files refused, failures
// in plain words, and as another user a writable file saved in place where
// its folder takes no new files. The pictures' savers hand their files to
// this same save.
#include "save_file.h"

#include "file_error.h"
#include "other_user.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using karwen::test::readBytes;
using karwen::test::writeBytes;

namespace {

// Saves "new" at file: "" when saved, else why not.
std::string save(const fs::path& file)
{
    try {
        karwen::files::saveFile(file.string(), "new", 3);
        return "";
    } catch (const karwen::files::FileError& e) {
        return e.what();
    }
}

unsigned modeOf(const fs::path& path)
{
    struct stat info { };
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

std::size_t entryCount(const fs::path& folder)
{
    return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

class SaveFile : public ::testing::Test {
protected:
    const karwen::test::ScratchFolder folder_;
    const fs::path root_ = folder_.path();
};

// Absolute links, a chain of relative ones (each from its own folder) and a
// link to nothing, which creates the file it names.
TEST_F(SaveFile, LinksLeadToTheFileTheyNameAndStayLinks)
{
    fs::create_directories(root_ / "real");
    fs::create_directories(root_ / "sub");
    const fs::path photo = root_ / "real" / "photo.area";
    fs::create_symlink(photo, root_ / "absolute.area");
    fs::create_symlink("real/photo.area", root_ / "hop.area");
    fs::create_symlink("../hop.area", root_ / "sub" / "relative.area");
    fs::create_symlink("new.area", root_ / "real" / "dangling.area");
    struct Case {
        fs::path link, file;
    };
    for (const Case& c : {Case{root_ / "absolute.area", photo}, Case{root_ / "sub" / "relative.area", photo},
             Case{root_ / "real" / "dangling.area", root_ / "real" / "new.area"}}) {
        writeBytes(photo, "old");
        fs::permissions(photo, fs::perms(0640));
        ASSERT_EQ(save(c.link), "") << c.link;
        EXPECT_EQ(readBytes(c.file), "new") << c.link;
        EXPECT_TRUE(fs::is_symlink(c.link)) << c.link;
        EXPECT_EQ(modeOf(photo), 0640u) << c.link;
    }
    EXPECT_TRUE(fs::is_symlink(root_ / "hop.area"));
    EXPECT_EQ(entryCount(root_ / "real"), 3u) << "photo, dangling and new; no temporary file";
}

TEST_F(SaveFile, ReplacedFileKeepsModeAndOwner)
{
    const fs::path file = root_ / "photo.area";
    const bool root = ::geteuid() == 0;
    for (const unsigned mode : {0640u, 0604u, 0755u}) {
        writeBytes(file, "old");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        // Only root may give files away; an owner without a name will do.
        ASSERT_TRUE(!root || ::chown(file.c_str(), 4321, 4322) == 0);
        ASSERT_EQ(save(file), "");
        EXPECT_EQ(readBytes(file), "new");
        struct stat info { };
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(info.st_uid, root ? 4321u : ::geteuid());
        EXPECT_EQ(info.st_gid, root ? 4322u : ::getegid());
    }
    EXPECT_EQ(entryCount(root_), 1u);
}

// Without any write bit a file is read-only for root as well.
TEST_F(SaveFile, ReadOnlyFileIsRefusedAndKept)
{
    const fs::path file = root_ / "kept.area";
    for (const unsigned mode : {0444u, 0400u, 0000u}) {
        writeBytes(file, "old");
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const std::string refusal = save(file);
        EXPECT_NE(refusal.find("is read-only"), std::string::npos) << std::oct << mode << ": " << refusal;
        EXPECT_EQ(modeOf(file), mode);
        ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
        EXPECT_EQ(readBytes(file), "old");
    }
    EXPECT_EQ(entryCount(root_), 1u);
}

TEST_F(SaveFile, FailuresSayWhatIsWrong)
{
    const std::string root = root_.string();
    fs::create_directory(root_ / "taken");
    writeBytes(root_ / "taken" / "keep", "old");
    fs::create_symlink("loop", root_ / "loop");
    const std::pair<std::string, std::string> cases[] = {
        {root + "/no/such/photo.area", "the folder '" + root + "/no/such' does not exist"},
        {root + "/taken", "'" + root + "/taken' is a folder"},
        {root + "/loop", "go round in a circle"},
        {root + "/", "is not a file name"},
        {"", "'' is not a file name"},
    };
    for (const auto& [path, says] : cases) {
        const std::string message = save(path);
        EXPECT_NE(message.find(says), std::string::npos) << path << ": " << message;
    }
    EXPECT_EQ(readBytes(root_ / "taken" / "keep"), "old") << "the folder in the way is kept";
    EXPECT_EQ(entryCount(root_), 2u) << "no temporary file left";
}

// Permissions seen by a user whom they bind: nobody, in folders of its own or
// of root's, where nobody cannot create files unless the folder is shared.
TEST(SaveFileAsNobody, WritesInPlaceWhereTheFolderTakesNoNewFiles)
{
    if (const std::string why = test_support::nobodyUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    const test_support::NobodyFolder base(KARWEN_SAVE_FILE_HELPER);
    if (const std::string why = base.helperUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    struct Case {
        const char* name;
        bool nobodysFolder;
        unsigned folderMode;
        enum { kNone, kNobodys, kRoots } file;
        unsigned mode;
        const char* refusal; // nullptr: the save must succeed
    };
    const Case cases[] = {
        {"writableFileInLockedFolder", false, 0755, Case::kNobodys, 0644, nullptr},
        {"sharedFileInStickyFolder", false, 01777, Case::kRoots, 0666, nullptr},
        {"newFileInLockedFolder", false, 0755, Case::kNone, 0, "no permission to create files in the folder"},
        {"rootsFileInLockedFolder", false, 0755, Case::kRoots, 0644, ""},
        {"someoneElsesFile", true, 0755, Case::kRoots, 0644, "no permission to change"},
        {"ownReadOnlyFile", true, 0755, Case::kNobodys, 0444, "is read-only"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = base / c.name;
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(c.folderMode));
        if (c.nobodysFolder)
            test_support::giveToNobody(folder);
        const fs::path file = folder / "mine.area";
        if (c.file != Case::kNone) {
            writeBytes(file, "old");
            fs::permissions(file, fs::perms(c.mode));
            if (c.file == Case::kNobodys)
                test_support::giveToNobody(file);
        }
        const test_support::Outcome run = base.runHelper({file.string(), "new"});
        EXPECT_EQ(run.exitCode, c.refusal ? 1 : 0) << run.output;
        if (c.refusal) {
            EXPECT_NE(run.output.find(c.refusal), std::string::npos) << run.output;
            EXPECT_EQ(readBytes(file), c.file == Case::kNone ? "" : "old");
        } else {
            EXPECT_EQ(readBytes(file), "new");
            EXPECT_EQ(test_support::ownedByNobody(file), c.file == Case::kNobodys);
            EXPECT_EQ(modeOf(file), c.mode);
        }
        EXPECT_EQ(entryCount(folder), c.file == Case::kNone ? 0u : 1u);
    }
}

} // namespace
