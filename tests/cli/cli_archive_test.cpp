// What an archive holds beside photos: a FIFO named like a photo fails
// alone instead of blocking the run, and a photo too large for the
// limit or for the memory fails alone with its size while the others are
// measured and converted.
#include "bmp_bytes.h"
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace karwen::test;

namespace {

// An RLE8 BMP of width x height whose data ends at once, padded to the size
// the loader finds plausible (256 pixels a byte): a few MB on disk, gigabytes
// once decoded.
std::string rle8(uint32_t width, uint32_t height, uint32_t dataBytes)
{
    std::string data(dataBytes, '\0');
    data[1] = 1;
    return bmpBytes({.width = int32_t(width),
                        .height = int32_t(height),
                        .bitCount = 8,
                        .compression = kRle8,
                        .palette = std::vector<uint32_t>(256),
                        .colorsUsed = 256},
        data);
}
std::string rle8(uint32_t width, uint32_t height)
{
    return rle8(width, height, uint32_t(uint64_t(width) * height / 256 + 1024));
}

bool underSanitizer()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
    return __has_feature(address_sanitizer) || __has_feature(thread_sanitizer);
#else
    return false;
#endif
}

} // namespace

class Archive : public CliRun {
protected:
    // karwen-cli run under a limit of its address space, as `ulimit -v` sets.
    [[nodiscard]] Outcome limited(int megabytes, std::vector<std::string> args) const
    {
        return throughShell("ulimit -v " + std::to_string(megabytes * 1024) + " && exec \"$0\" \"$@\"", args);
    }
};

// Without the fix these runs never end; the suite's timeout fails them.
TEST_F(Archive, FifosAndFoldersNamedLikePhotosFailAlone)
{
    photo("a.jpg");
    ASSERT_EQ(::mkfifo(in("x.jpg").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "direct.bmp").c_str(), 0600), 0);
    const std::string direct = (dir / "direct.bmp").string();

    EXPECT_TRUE(ended(measure({in(), direct}), 1));
    const std::string figures = readBytes(csv());
    EXPECT_TRUE(has(rowOf(figures, in("x.jpg")), ",this is not a regular file,"));
    EXPECT_TRUE(has(rowOf(figures, direct), ",this is not a regular file,"));
    EXPECT_TRUE(has(rowOf(figures, in("a.jpg")), ",,"));

    EXPECT_TRUE(ended(convert({in(), direct}), 1,
        {"Cannot open \"" + in("x.jpg") + "\": this is not a regular file.",
            "Cannot open \"" + direct + "\": this is not a regular file."}));
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));

    // A subfolder named like a photo is a subfolder, not a photo.
    fs::remove(in("x.jpg"));
    fs::create_directory(in("folder.jpg"));
    EXPECT_TRUE(ended(measure({in()}), 0));
    EXPECT_FALSE(has(readBytes(csv()), "folder.jpg"));
}

TEST_F(Archive, PhotosOverMaxPixelsFailFromTheirHeader)
{
    photo("a.jpg"); // 96 x 80 = 7680 pixels
    photo("b.bmp", karwen::test::packRgb(90, 140, 200), 100, 80);
    writeBytes(in("huge.bmp"), rle8(30000, 30000));

    EXPECT_TRUE(ended(measure({"-j", "2", in()}), 1));
    std::string figures = readBytes(csv());
    EXPECT_TRUE(
        has(rowOf(figures, in("huge.bmp")), ",\"too large: 30000 x 30000 pixels, more than the limit of 600000000\","));
    EXPECT_TRUE(has(rowOf(figures, in("a.jpg")), ",,"));
    EXPECT_TRUE(has(rowOf(figures, in("b.bmp")), ",,"));

    fs::remove(in("huge.bmp"));
    EXPECT_TRUE(ended(measure({"--max-pixels", "7680", in()}), 1));
    figures = readBytes(csv());
    EXPECT_TRUE(has(rowOf(figures, in("a.jpg")), ",,"));
    EXPECT_TRUE(has(rowOf(figures, in("b.bmp")), ",\"too large: 100 x 80 pixels, more than the limit of 7680\","));

    EXPECT_TRUE(
        ended(convert({"--max-pixels", "7680", in()}), 1, {"too large: 100 x 80 pixels, more than the limit of 7680"}));
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
    EXPECT_FALSE(fs::exists(out("b-kw.jpg")));
}

// The photo's pixels (3.6 GB), what measuring them takes, a file's bytes or
// a result do not fit under the limit: that photo fails in the user's words
// (no function of the library named), the run goes on and the other photo
// keeps its figures and result.
TEST_F(Archive, APhotoBeyondTheMemoryFailsAlone)
{
    if (underSanitizer())
        GTEST_SKIP() << "a sanitizer's shadow memory does not fit under a limit of the address space";
    photo("a.jpg");
    writeBytes(in("huge.bmp"), rle8(30000, 30000));
    writeBytes(in("large.bmp"), rle8(12000, 12000));
    const std::string all = std::to_string(32767 * 32767);

    EXPECT_TRUE(ended(
        limited(3072, {"measure", "--csv", csv(), "-j", "2", "--max-pixels", all, in("a.jpg"), in("huge.bmp")}), 1));
    std::string figures = readBytes(csv());
    EXPECT_TRUE(has(rowOf(figures, in("huge.bmp")), ",too large: 30000 x 30000 pixels; out of memory,"));
    EXPECT_TRUE(has(rowOf(figures, in("a.jpg")), ",,"));

    // 576 MB of pixels load under 1 GB; measuring them does not: the
    // geometry of the 78.5 million pixels in the circle takes 6 bytes each
    // (a centre off the rows' midlines, so no row shares the weights of
    // another).
    fs::remove(csv());
    EXPECT_TRUE(ended(limited(1024,
                          {"measure", "--csv", csv(), "-j", "2", "--max-pixels", all, "--circle", "6000,6000.25,5000",
                              in("large.bmp"), in("huge.bmp")}),
        1));
    figures = readBytes(csv());
    EXPECT_TRUE(has(rowOf(figures, in("large.bmp")), ",too large: 12000 x 12000 pixels; out of memory,"));
    EXPECT_TRUE(has(rowOf(figures, in("huge.bmp")), ",too large: 30000 x 30000 pixels; out of memory,"));

    EXPECT_TRUE(
        ended(limited(3072, {"convert", "-o", out(), "-j", "2", "--max-pixels", all, in("a.jpg"), in("huge.bmp")}), 1,
            {"too large: 30000 x 30000 pixels; out of memory"}));
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));

    // 2 GiB that take no disk: reading them needs the memory first.
    fs::remove_all(out());
    for (const char* name : {"huge.bmp", "large.bmp"})
        fs::remove(in(name));
    writeBytes(in("sparse.jpg"), "");
    fs::resize_file(in("sparse.jpg"), std::uintmax_t(2) << 30);
    EXPECT_TRUE(ended(limited(1024, {"convert", "-o", out(), "-j", "1", in()}), 1,
        {"Cannot open \"" + in("sparse.jpg") + "\": out of memory."}));
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));

    // A result of 256 MB.
    fs::remove(in("sparse.jpg"));
    fs::remove_all(out());
    const Outcome run = limited(250, {"convert", "-o", out(), "-j", "1", "--size", "8192x8192", in()});
    EXPECT_TRUE(ended(run, 1,
        {"Cannot save \"" + out("a-kw.jpg") + "\": the result could not be made: out of memory.",
            "0 converted, 0 skipped, 1 failed"}));
    EXPECT_FALSE(has(run.output, "Rix"));
}

// Each failure says what it is (the reasons are the file messages' suite),
// in the error column and on standard error alike, and never with the
// library's function names.
TEST_F(Archive, FailuresNameTheirCause)
{
    photo("a.jpg");
    fs::create_symlink(in("loop.jpg"), in("loop.jpg"));
    const std::string reason = "its symbolic links lead round in a circle (or more than 40 deep)";
    const Outcome measured = measure({in()});
    const Outcome converted = convert({in()});
    const std::string figures = readBytes(csv());
    EXPECT_TRUE(has(rowOf(figures, in("loop.jpg")), "," + reason + ","));
    EXPECT_TRUE(has(converted.output, "Cannot open \"" + in("loop.jpg") + "\": " + reason + "."));
    EXPECT_FALSE(has(measured.output + converted.output + figures, "Rix"));
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
}

TEST_F(Archive, AFolderClosedToTheUserSaysWhy)
{
    photo("a.jpg");
    fs::create_directory(in("closed"));
    photo("closed/x.jpg");
    fs::create_directory(out());
    const std::vector<std::string> args{KARWEN_CLI, "convert", "-o", out(), in(), in("closed"), in("closed/x.jpg")};
    Outcome run;
    if (::geteuid() == 0) {
        // Root reads every folder; nobody may not read root's closed one.
        if (const std::string why = test_support::nobodyUnavailable(); !why.empty())
            GTEST_SKIP() << why;
        fs::permissions(in("closed"), fs::perms(0700));
        fs::permissions(out(), fs::perms(0777));
        // A copy nobody can reach: the build folder may lie in a closed one.
        const test_support::NobodyFolder bin(KARWEN_CLI);
        run = bin.runHelper({args.begin() + 1, args.end()});
    } else {
        fs::permissions(in("closed"), fs::perms(0));
        run = test_support::runProgram(args);
        fs::permissions(in("closed"), fs::perms(0755));
    }
    EXPECT_TRUE(ended(run, 1,
        {"Cannot open \"" + in("closed") + "\": the folder cannot be listed: you may not read it.",
            "Cannot open \"" + in("closed/x.jpg") + "\": you may not enter a folder on its path."}));
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
}
