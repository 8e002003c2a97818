// Saving over what the user keeps at a name: links followed to the file they
// name, that file's mode and owner kept, read-only files refused, and a
// writable file saved in place when its folder takes no new files. Every
// case runs for BMP and JPEG.
#include "codec_test_support.h"
#include "other_user.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using codec_test::readBytes;
using codec_test::writeBytes;
using karwen::test::ScratchFolder;
using test_support::NobodyFolder;

namespace {

constexpr int32_t kNewWidth = 24;
constexpr int32_t kNewHeight = 16;
const std::vector<uint8_t> kOldBytes = {'o', 'l', 'd', ' ', 'p', 'i', 'c'};

// Whether path holds the picture that save() and the helper write.
bool holdsNewPicture(const fs::path& path)
{
    const int32_t h = path.extension() == ".jpg" ? RixLoadJPG(path.c_str()) : RixLoadBMP(path.c_str());
    const bool isNew = RixWidth(h) == kNewWidth && RixHeight(h) == kNewHeight;
    RixDestroy(h);
    return isNew;
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

class ImageSave : public ::testing::TestWithParam<std::string> {
protected:
    std::string name(const std::string& stem) const { return stem + "." + GetParam(); }
    // Saves image `given`, or else a new kNewWidth x kNewHeight one, at path
    // in the format under test: "" when saved, else why not.
    std::string save(const fs::path& path, int32_t given = 0) const
    {
        const int32_t h = given ? given : RixCreate(kNewWidth, kNewHeight);
        int32_t quality = 75;
        const int32_t ok = GetParam() == "jpg" ? RixSaveJPG(h, path.c_str(), &quality) : RixSaveBMP(h, path.c_str());
        const std::string message = ok ? "" : RixLastError();
        if (!given)
            RixDestroy(h);
        return ok || !message.empty() ? message : "failed without a message";
    }

    ScratchFolder folder_;
};

TEST_P(ImageSave, LinksLeadToTheFileTheyNameAndStayLinks)
{
    const fs::path root = folder_.path();
    fs::create_directories(root / "real");
    fs::create_directories(root / "sub");
    const fs::path photo = root / "real" / name("photo");
    fs::create_symlink(photo, root / name("absolute"));
    fs::create_symlink(fs::path("real") / name("photo"), root / name("hop"));
    fs::create_symlink(fs::path("..") / name("hop"), root / "sub" / name("relative"));
    fs::create_symlink(name("new"), root / "real" / name("dangling"));
    struct Case {
        fs::path link, file;
    };
    for (const Case& c : {Case{root / name("absolute"), photo}, Case{root / "sub" / name("relative"), photo},
             Case{root / "real" / name("dangling"), root / "real" / name("new")}}) {
        writeBytes(photo, kOldBytes);
        ASSERT_EQ(save(c.link), "") << c.link;
        EXPECT_TRUE(holdsNewPicture(c.file)) << c.link;
        EXPECT_TRUE(fs::is_symlink(c.link)) << c.link;
    }
    EXPECT_TRUE(fs::is_symlink(root / name("hop")));
    EXPECT_EQ(entryCount(root / "real"), 3u) << "photo, dangling and new; no temporary file";
}

TEST_P(ImageSave, ReplacedFileKeepsModeAndOwner)
{
    const fs::path file = folder_.path() / name("photo");
    const bool root = ::geteuid() == 0;
    for (const unsigned mode : {0640u, 0604u, 0755u}) {
        writeBytes(file, kOldBytes);
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        // Only root may give files away; an owner without a name will do.
        ASSERT_TRUE(!root || ::chown(file.c_str(), 4321, 4322) == 0);
        ASSERT_EQ(save(file), "");
        EXPECT_TRUE(holdsNewPicture(file));
        struct stat info { };
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(info.st_uid, root ? 4321u : ::geteuid());
        EXPECT_EQ(info.st_gid, root ? 4322u : ::getegid());
    }
    EXPECT_EQ(entryCount(folder_.path()), 1u);
}

// Without any write bit a file is read-only for root as well.
TEST_P(ImageSave, ReadOnlyFileIsRefusedAndKept)
{
    const fs::path file = folder_.path() / name("photo");
    for (const unsigned mode : {0444u, 0400u, 0000u}) {
        writeBytes(file, kOldBytes);
        ASSERT_EQ(::chmod(file.c_str(), mode), 0);
        const std::string refusal = save(file);
        EXPECT_NE(refusal.find("is read-only"), std::string::npos) << std::oct << mode << ": " << refusal;
        EXPECT_EQ(modeOf(file), mode);
        ASSERT_EQ(::chmod(file.c_str(), 0600), 0);
        EXPECT_EQ(readBytes(file), kOldBytes);
    }
    EXPECT_EQ(entryCount(folder_.path()), 1u);
}

// Failures named in plain words, once prefixed with the function's name.
TEST_P(ImageSave, FailuresSayWhatIsWrong)
{
    const std::string root = folder_.path().string();
    fs::create_directory(folder_.path() / name("taken"));
    writeBytes(folder_.file(name("taken") + "/keep"), kOldBytes);
    fs::create_symlink(name("loop"), folder_.path() / name("loop"));
    struct Case {
        std::string path, says;
        int32_t handle = 0;
    };
    const Case cases[] = {
        {root + "/no/such/" + name("photo"), "the folder '" + root + "/no/such' does not exist"},
        {root + "/" + name("taken"), "'" + root + "/" + name("taken") + "' is a folder"},
        {root + "/" + name("loop"), "go round in a circle"},
        {root + "/", "is not a file name"},
        {"", "no file name"},
        {root + "/" + name("photo"), "invalid handle 987654", 987654},
    };
    const std::string function = GetParam() == "jpg" ? "RixSaveJPG: " : "RixSaveBMP: ";
    for (const Case& c : cases) {
        const std::string message = save(c.path, c.handle);
        EXPECT_EQ(message.rfind(function, 0), 0u) << message;
        EXPECT_EQ(message.find(function, 1), std::string::npos) << message;
        EXPECT_NE(message.find(c.says), std::string::npos) << message;
    }
    EXPECT_EQ(readBytes(folder_.file(name("taken") + "/keep")), kOldBytes) << "the folder in the way is kept";
    EXPECT_EQ(entryCount(folder_.path()), 2u) << "no temporary file left";
}

// Permissions seen by a user whom they bind: nobody, in folders of its own or
// of root's, where nobody cannot create files unless the folder is shared.
struct UserCase {
    const char* name;
    bool nobodysFolder;
    unsigned folderMode;
    enum { kNone, kNobodys, kRoots } file;
    unsigned mode;
    const char* refusal; // nullptr: the save must succeed
};

const UserCase kUserCases[] = {
    {"writableFileInLockedFolder", false, 0755, UserCase::kNobodys, 0644, nullptr},
    {"sharedFileInStickyFolder", false, 01777, UserCase::kRoots, 0666, nullptr},
    {"newFileInLockedFolder", false, 0755, UserCase::kNone, 0, "no permission to create files in the folder"},
    {"someoneElsesFile", true, 0755, UserCase::kRoots, 0644, "no permission to change"},
    {"ownReadOnlyFile", true, 0755, UserCase::kNobodys, 0444, "is read-only"},
};

TEST_P(ImageSave, AsAnotherUser)
{
    if (const std::string why = test_support::nobodyUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    const NobodyFolder base(KARWEN_SAVE_IMAGE_HELPER);
    if (const std::string why = base.helperUnavailable(); !why.empty())
        GTEST_SKIP() << why;
    for (const UserCase& c : kUserCases) {
        const fs::path folder = base / c.name;
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(c.folderMode));
        if (c.nobodysFolder)
            test_support::giveToNobody(folder);
        const fs::path file = folder / name("photo");
        if (c.file != UserCase::kNone) {
            writeBytes(file, kOldBytes);
            fs::permissions(file, fs::perms(c.mode));
            if (c.file == UserCase::kNobodys)
                test_support::giveToNobody(file);
        }
        const test_support::Outcome run
            = base.runHelper({file.string(), std::to_string(kNewWidth), std::to_string(kNewHeight)});
        if (!c.refusal) {
            EXPECT_EQ(run.exitCode, 0) << c.name << ": " << run.output;
            EXPECT_TRUE(holdsNewPicture(file)) << c.name;
            EXPECT_EQ(test_support::ownedByNobody(file), c.file == UserCase::kNobodys) << c.name;
            EXPECT_EQ(modeOf(file), c.mode) << c.name;
        } else {
            EXPECT_EQ(run.exitCode, 1) << c.name << ": " << run.output;
            EXPECT_NE(run.output.find(c.refusal), std::string::npos) << c.name << ": " << run.output;
            EXPECT_EQ(readBytes(file.string()), c.file == UserCase::kNone ? std::vector<uint8_t>{} : kOldBytes)
                << c.name;
        }
        EXPECT_EQ(entryCount(folder), c.file == UserCase::kNone ? 0u : 1u) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ImageSave, ::testing::Values("bmp", "jpg"), [](const auto& test) { return test.param; });

} // namespace
