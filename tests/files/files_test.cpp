// Saving over what the user keeps at a name: links followed, mode and owner
// kept, read-only files refused, failures in plain words, and as another
// user a writable file saved in place where its folder takes no new files.
// Whole lines appended, a write cut short taken back. One split of a path
// for every writer and reader. Writing below a folder the user named: links
// below it never followed, names taken since the look not replaced, short
// temporary names. The PNG of a grey picture read back by libpng.
#include "below_folder.h"
#include "file_error.h"
#include "file_path.h"
#include "grey_png.h"
#include "left_temporaries.h"
#include "line_appender.h"
#include "other_user.h"
#include "save_file.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <png.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace karwen::files;
using namespace karwen::test;

namespace fs = std::filesystem;
namespace files = karwen::files;

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

TEST(LineAppender, AppendsWholeLinesOrNothing)
{
    ScratchFolder dir;
    const std::string path = (dir / "rows.csv").string();
    {
        LineAppender rows(path, LineAppender::Open::CreateNew);
        rows.append("header\r\n");
        rows.append("one\r\n");
        rows.close();
    }
    EXPECT_EQ(readBytes(path), "header\r\none\r\n");
    EXPECT_THROW(LineAppender(path, LineAppender::Open::CreateNew), FileError);
    EXPECT_EQ(readBytes(path), "header\r\none\r\n");

    // A file size limit lets a long line out only in part: it is taken back.
    const auto oldAction = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string failure;
    {
        LineAppender rows(path, LineAppender::Open::Existing);
        try {
            rows.append(std::string(100, 'x') + "\r\n");
        } catch (const FileError& e) {
            failure = e.what();
        }
    }
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldAction);
    EXPECT_TRUE(failure.starts_with("Cannot write '" + path + "': ")) << failure;
    EXPECT_EQ(readBytes(path), "header\r\none\r\n");
}

TEST(LineAppender, AFullDeviceIsAnError)
{
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/full here";
    std::string failure;
    {
        LineAppender out(fd, "the full device");
        try {
            out.append("row\r\n");
        } catch (const FileError& e) {
            failure = e.what();
        }
    }
    ::close(fd);
    EXPECT_TRUE(failure.starts_with("Cannot write 'the full device': ")) << failure;
}

} // namespace

// One split for every writer and reader: at the last '/', the extension
// only in the name part.
TEST(FilePath, SplitsAtTheLastSlash)
{
    struct Case {
        std::string path, folder, name;
        bool hasExtension;
    };
    const Case cases[] = {
        {"photo.jpg", ".", "photo.jpg", true},
        {"/photo.jpg", "/", "photo.jpg", true},
        {"/data/day 1/photo.x.jpg", "/data/day 1", "photo.x.jpg", true},
        {"/data/old.dir/photo", "/data/old.dir", "photo", false},
        {"/data/", "/data", "", false},
        {"", ".", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(nameOf(c.path), c.name) << c.path;
        EXPECT_EQ(extensionDot(c.path) != std::string::npos, c.hasExtension) << c.path;
    }
    EXPECT_EQ(extensionDot("/a.b/c.tar.gz"), std::string("/a.b/c.tar").size());
}

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

namespace {

struct ReadBack {
    int width = 0, height = 0;
    int bitDepth = 0, colourType = 0;
    std::vector<uint8_t> grey; // rows top first
};

// The picture as libpng reads it: each pixel's red, which equals its green
// and blue in a grey palette.
ReadBack readBack(const std::vector<uint8_t>& png)
{
    ReadBack back;
    if (png.size() < 26)
        return back;
    back.bitDepth = png[24]; // in the header chunk, after the size
    back.colourType = png[25];
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
        return back;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr))
        return back;
    back.width = int(image.width);
    back.height = int(image.height);
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) {
        EXPECT_TRUE(rgb[i] == rgb[i + 1] && rgb[i] == rgb[i + 2]);
        back.grey.push_back(rgb[i]);
    }
    return back;
}

struct Case {
    const char* name;
    int width, height;
    std::vector<uint8_t> levels; // cycled through, at a stride that mixes them
    int bitDepth, colourType;
};

} // namespace

TEST(GreyPng, ReadsBackAsWritten)
{
    const Case cases[] = {
        {"sky, canopy, outside", 37, 11, {0, 128, 255}, 2, PNG_COLOR_TYPE_PALETTE},
        {"one grey", 5, 3, {128}, 2, PNG_COLOR_TYPE_PALETTE},
        {"four greys, width a multiple of four", 16, 4, {9, 200, 0, 77}, 2, PNG_COLOR_TYPE_PALETTE},
        {"one pixel", 1, 1, {255}, 2, PNG_COLOR_TYPE_PALETTE},
        {"five greys", 13, 7, {0, 1, 2, 3, 4}, 8, PNG_COLOR_TYPE_GRAY},
        {"a new grey in each row", 4, 3, {0, 0, 0, 0, 128, 128, 0, 0, 255, 128, 255, 0}, 2, PNG_COLOR_TYPE_PALETTE},
        {"more greys in the last row only", 6, 3,
            {0, 128, 255, 0, 128, 255, 0, 128, 255, 0, 128, 255, 1, 2, 3, 4, 5, 6}, 8, PNG_COLOR_TYPE_GRAY},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> grey(std::size_t(c.width * c.height));
        for (std::size_t i = 0; i < grey.size(); ++i)
            grey[i] = c.levels[c.levels.size() == grey.size() ? i : (i * 7 + i / 3) % c.levels.size()];
        const ReadBack back = readBack(files::greyPng(grey, c.width, c.height));
        EXPECT_EQ(back.width, c.width) << c.name;
        EXPECT_EQ(back.height, c.height) << c.name;
        EXPECT_EQ(back.bitDepth, c.bitDepth) << c.name;
        EXPECT_EQ(back.colourType, c.colourType) << c.name;
        EXPECT_EQ(back.grey, grey) << c.name;
    }
}

TEST(GreyPng, RefusesSidesThatDoNotFit)
{
    const std::vector<uint8_t> grey(12, 128);
    for (const auto& [width, height] : {std::pair{4, 4}, {0, 12}, {12, 0}, {-3, -4}})
        EXPECT_THROW((void)files::greyPng(grey, width, height), files::FileError) << width << " x " << height;
    EXPECT_THROW((void)files::greyPng({}, 1, 1), files::FileError);
}
