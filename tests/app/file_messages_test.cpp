#include "file_messages.h"

#include "bmp_bytes.h"
#include "image_files.h"
#include "rix.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace karwen;

namespace {

class FileMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root / "folder.jpg");
        write("empty.jpg", "");
        write("text.bmp", "BM but nothing after it");
        write("plain.txt", "x");
        // The first half of a real JPEG: its header ends early.
        const int32_t h = RixCreate(64, 64);
        int32_t quality = 75;
        const std::string whole = (root / "whole.jpg").string();
        ASSERT_EQ(RixSaveJPG(h, whole.c_str(), &quality), 1);
        fs::copy_file(whole, root / "short.jpg");
        fs::resize_file(root / "short.jpg", fs::file_size(whole) / 2);
        // Scan data without the end-of-image marker after it.
        fs::copy_file(whole, root / "unended.jpg");
        fs::resize_file(root / "unended.jpg", fs::file_size(whole) - 2);
        // A BMP whose pixel data stops half way.
        const std::string wholeBmp = (root / "whole.bmp").string();
        ASSERT_EQ(RixSaveBMP(h, wholeBmp.c_str()), 1);
        fs::copy_file(wholeBmp, root / "short.bmp");
        fs::resize_file(root / "short.bmp", fs::file_size(wholeBmp) / 2);
        (void)RixDestroy(h);
    }
    // The scratch folder can be removed again after a test took its rights.
    void TearDown() override { fs::permissions(root, fs::perms::owner_all, fs::perm_options::add); }

    void write(const std::string& name, const std::string& bytes) { test::writeBytes(root / name, bytes); }

    // The problem right after the failed load or save of root/name.
    [[nodiscard]] FileProblem attempt(FileAction action, const std::string& name) const
    {
        const std::string path = (root / name).string();
        if (action == FileAction::Open) {
            EXPECT_LT(loadImageFile(path), 1) << name;
            return fileProblem(action, path, RixLastError());
        }
        const int32_t h = RixCreate(8, 8);
        EXPECT_FALSE(saveImageFile(h, path)) << name;
        FileProblem problem = fileProblem(action, path, RixLastError());
        (void)RixDestroy(h);
        return problem;
    }

    test::ScratchFolder scratch;
    const fs::path& root = scratch.path();
};

} // namespace

TEST_F(FileMessages, SayWhatWentWrongInPlainWords)
{
    struct Case {
        FileAction action;
        const char* name;
        const char* reason;
        bool repeated = false; // the library's words only say the reason again
    };
    const Case cases[] = {
        {FileAction::Open, "missing.jpg", "the file does not exist"},
        {FileAction::Open, "nowhere/a.jpg", "the folder does not exist"},
        {FileAction::Open, "folder.jpg", "this is a folder, not a regular file", true},
        {FileAction::Open, "empty.jpg", "the file is empty"},
        {FileAction::Open, "short.jpg", "the file is cut short or is not a JPEG picture"},
        {FileAction::Open, "unended.jpg", "damaged JPEG data"},
        {FileAction::Open, "short.bmp", "damaged BMP data"},
        {FileAction::Open, "text.bmp", "the file is cut short or is not a BMP picture"},
        {FileAction::Save, "nowhere/a.jpg", "the folder does not exist"},
        {FileAction::Save, "plain.txt/a.bmp", "the folder does not exist"},
        {FileAction::Save, "folder.jpg", "a folder of this name is in the way"},
    };
    for (const Case& c : cases) {
        const FileProblem problem = attempt(c.action, c.name);
        EXPECT_EQ(problem.path, (root / c.name).string());
        EXPECT_EQ(problem.reason, c.reason) << c.name;
        // The library's words follow for whoever needs them, naming the file
        // but not the library's function, unless they only repeat the reason.
        EXPECT_EQ(problem.detail.empty(), c.repeated) << c.name << ": " << problem.detail;
        EXPECT_FALSE(problem.detail.starts_with("Rix")) << c.name << ": " << problem.detail;
    }
}

TEST_F(FileMessages, MessageNamesThePathAndOnlyTheLibraryWordsThatApply)
{
    const std::string stale = "RixLoadJPG: from an earlier call";
    const FileProblem open = fileProblem(FileAction::Open, (root / "plain.txt").string(), stale);
    EXPECT_EQ(open.reason, "only BMP and JPEG pictures (.bmp, .jpg, .jpeg, .jpe) can be opened");
    EXPECT_EQ(open.detail, "");
    EXPECT_EQ(fileProblemMessage(FileAction::Open, open),
        "Cannot open \"" + (root / "plain.txt").string()
            + "\": only BMP and JPEG pictures (.bmp, .jpg, .jpeg, .jpe) can be opened.");
    const FileProblem save = fileProblem(FileAction::Save, (root / "out.tif").string(), stale);
    EXPECT_EQ(save.reason, "only BMP and JPEG pictures (.bmp, .jpg, .jpeg, .jpe) can be saved");

    // Library words that only repeat the reason are left out.
    const std::string fifo = (root / "pipe.jpg").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const FileProblem pipe = photoProblem(fifo, "RixLoadJPG: '" + fifo + "' is not a regular file");
    EXPECT_EQ(pipe.detail, "") << pipe.reason;

    const FileProblem noFolder = attempt(FileAction::Save, "nowhere/b.jpg");
    EXPECT_EQ(fileProblemMessage(FileAction::Save, noFolder),
        "Cannot save \"" + noFolder.path + "\": the folder does not exist.\n" + noFolder.detail);
}

// A batch photo is judged by its last extension; each reason is in its own
// words, in the error column of measure and on convert's lines alike (both
// come from photoProblem).
TEST_F(FileMessages, BatchPhotosAreJudgedByTheirLastExtensionEachReasonInItsWords)
{
    fs::copy_file(root / "short.jpg", root / "short.JPEG");
    fs::copy_file(root / "text.bmp", root / "text.jpe");
    const std::string data(64, '\0');
    write("huge.bmp", test::bmpBytes({.width = 65500, .height = 65500}, data));
    write("twobits.bmp", test::bmpBytes({.width = 8, .height = 8, .bitCount = 2}, data));
    write("fields24.bmp",
        test::bmpBytes(
            {.width = 8, .height = 8, .compression = test::kBitFields, .masks = {0x7c00, 0x03e0, 0x001f, 0}}, data));
    write("rle8at4.bmp", test::bmpBytes({.width = 8, .height = 8, .bitCount = 4, .compression = test::kRle8}, data));
    fs::create_symlink(root / "loop-b.jpg", root / "loop-a.jpg");
    fs::create_symlink(root / "loop-a.jpg", root / "loop-b.jpg");
    const struct {
        const char* name;
        const char* reason;
        int detail = -1; // whether the library's words follow; -1: either
    } cases[] = {
        {"short.JPEG", "the file is cut short or is not a JPEG picture", 1},
        {"unended.jpg", "damaged JPEG data", 1},
        {"text.jpe", "the file is cut short or is not a JPEG picture", 1},
        {"missing.jpeg", "the file does not exist", 1},
        {"plain.txt", "only BMP and JPEG photos (.bmp, .jpg, .jpeg, .jpe) are converted", 0},
        {"huge.bmp", "too large: 65500 x 65500 pixels, more than 32767 a side"},
        {"twobits.bmp", "unsupported kind of BMP: 2 bits per pixel"},
        {"fields24.bmp", "unsupported kind of BMP: bit fields with 24 bits per pixel (only 16 or 32)"},
        {"rle8at4.bmp", "unsupported kind of BMP: RLE8 compression with 4 bits per pixel"},
        {"loop-a.jpg", "its symbolic links lead round in a circle (or more than 40 deep)"},
    };
    for (const auto& c : cases) {
        const std::string path = (root / c.name).string();
        EXPECT_LT(loadImageFile(path, photoFormatOf(path)), 1) << c.name;
        const FileProblem problem = photoProblem(path, RixLastError());
        EXPECT_EQ(problem.reason, c.reason) << c.name << ": " << problem.detail;
        if (c.detail >= 0) {
            EXPECT_EQ(!problem.detail.empty(), c.detail == 1) << c.name << ": " << problem.detail;
        }
        EXPECT_FALSE(problem.detail.starts_with("Rix")) << c.name << ": " << problem.detail;
    }
    // A load that ran out of memory anywhere says so, whatever else it says.
    EXPECT_EQ(photoProblem((root / "whole.jpg").string(), "RixLoadJPG: out of memory").reason, "out of memory");
}

// The open and save commands take .jpeg and .jpe files as JPEG as well, and
// keep reading a name by its last three characters otherwise.
TEST(ImageFiles, FormatByName)
{
    const struct {
        const char* name;
        ImageFormat command, photo;
    } cases[] = {
        {"/p/a.bmp", ImageFormat::Bmp, ImageFormat::Bmp},
        {"/p/a.JPG", ImageFormat::Jpg, ImageFormat::Jpg},
        {"/p/a.Jpeg", ImageFormat::Jpg, ImageFormat::Jpg},
        {"/p/a.JPE", ImageFormat::Jpg, ImageFormat::Jpg},
        {"/p/a.png", ImageFormat::Other, ImageFormat::Other},
        {"/p/notabmp", ImageFormat::Bmp, ImageFormat::Other},
        {"/p.jpeg/a", ImageFormat::Other, ImageFormat::Other},
        {"/p/a.jpeg.png", ImageFormat::Other, ImageFormat::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(imageFormatOf(c.name), c.command) << c.name;
        EXPECT_EQ(photoFormatOf(c.name), c.photo) << c.name;
    }
}

TEST_F(FileMessages, PermissionsAreNamed)
{
    fs::permissions(root, fs::perms(0755));
    fs::permissions(root / "whole.jpg", fs::perms::none);
    fs::create_directory(root / "locked");
    fs::permissions(root / "locked", fs::perms(0555));
    // Each wrong reason gives its own exit code, so that the run as another
    // user still tells which one failed.
    const auto wrongReasons = [&] {
        int wrong = 0;
        if (attempt(FileAction::Open, "whole.jpg").reason != "you may not read this file")
            wrong |= 1;
        if (attempt(FileAction::Save, "locked/a.jpg").reason != "you may not write into this folder")
            wrong |= 2;
        return wrong;
    };
    if (::geteuid() != 0) {
        EXPECT_EQ(wrongReasons(), 0);
        return;
    }
    // The superuser may read and write everything: ask as the user nobody.
    constexpr uid_t kNobody = 65534;
    EXPECT_EXIT(
        {
            if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
                std::_Exit(100);
            std::_Exit(wrongReasons());
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(DamagedFileMessage, NamesThePathAndTheLibraryWordsButNotItsFunction)
{
    EXPECT_EQ(
        damagedFileMessage("/p/a.jpg", "RixSalvageJPG: '/p/a.jpg': damaged JPEG data: Premature end of JPEG file"),
        "\"/p/a.jpg\" is damaged: only what could be read is shown.\n"
        "'/p/a.jpg': damaged JPEG data: Premature end of JPEG file");
}
