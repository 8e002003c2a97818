// What an archive holds beside photos: a FIFO named like a photo fails
// alone instead of blocking the run, and a photo too large for the
// limit or for the memory fails alone with its size while the others are
// measured and converted.
#include "cli_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using karwen::test::CliRun;
using karwen::test::has;
using karwen::test::readBytes;
using karwen::test::writeBytes;

namespace {

void put32(std::string& bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes += char((value >> (8 * i)) & 0xff);
}

// An RLE8 BMP of width x height whose data ends at once, padded to the size
// the loader finds plausible (256 pixels a byte): a few MB on disk, gigabytes
// once decoded.
std::string rle8Header(uint32_t width, uint32_t height)
{
    const uint32_t dataBytes = uint32_t(uint64_t(width) * height / 256 + 1024);
    const uint32_t offset = 14 + 40 + 256 * 4;
    std::string bytes = "BM";
    put32(bytes, offset + dataBytes);
    put32(bytes, 0);
    put32(bytes, offset);
    for (uint32_t v : {40u, width, height})
        put32(bytes, v);
    bytes += std::string{1, 0, 8, 0}; // one plane, 8 bits
    for (uint32_t v : {1u, dataBytes, 2835u, 2835u, 256u, 0u})
        put32(bytes, v);
    bytes += std::string(256 * 4, '\0');
    bytes += std::string{0, 1}; // end of bitmap
    bytes.resize(offset + dataBytes, '\0');
    return bytes;
}

// The line of the CSV that starts with path.
std::string lineOf(const std::string& csv, const std::string& path)
{
    const std::size_t start = csv.find(path + ",");
    return start == std::string::npos ? std::string() : csv.substr(start, csv.find('\n', start) - start);
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
    [[nodiscard]] test_support::Outcome limited(int megabytes, std::vector<std::string> args) const
    {
        args.insert(args.begin(),
            {"/bin/sh", "-c", "ulimit -v " + std::to_string(megabytes * 1024) + " && exec \"$0\" \"$@\"", KARWEN_CLI});
        return test_support::runProgram(args);
    }
};

// Without the fix these runs never end; the suite's timeout fails them.
TEST_F(Archive, FifosAndFoldersNamedLikePhotosFailAlone)
{
    photo("a.jpg");
    ASSERT_EQ(::mkfifo(in("x.jpg").c_str(), 0600), 0);
    ASSERT_EQ(::mkfifo((dir / "direct.bmp").c_str(), 0600), 0);
    const std::string direct = (dir / "direct.bmp").string();

    test_support::Outcome run = measure({in(), direct});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    const std::string figures = readBytes(csv());
    EXPECT_TRUE(has(lineOf(figures, in("x.jpg")), ",this is not a regular file,")) << figures;
    EXPECT_TRUE(has(lineOf(figures, direct), ",this is not a regular file,")) << figures;
    EXPECT_TRUE(has(lineOf(figures, in("a.jpg")), ",,")) << figures;

    run = convert({in(), direct});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(has(run.output, "Cannot open \"" + in("x.jpg") + "\": this is not a regular file.")) << run.output;
    EXPECT_TRUE(has(run.output, "Cannot open \"" + direct + "\": this is not a regular file.")) << run.output;
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));

    // A subfolder named like a photo is a subfolder, not a photo.
    fs::remove(in("x.jpg"));
    fs::create_directory(in("folder.jpg"));
    run = measure({in()});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_FALSE(has(readBytes(csv()), "folder.jpg")) << readBytes(csv());
}

TEST_F(Archive, PhotosOverMaxPixelsFailFromTheirHeader)
{
    photo("a.jpg"); // 96 x 80 = 7680 pixels
    photo("b.bmp", karwen::test::packRgb(90, 140, 200), 100, 80);
    writeBytes(in("huge.bmp"), rle8Header(30000, 30000));

    test_support::Outcome run = measure({"-j", "2", in()});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    std::string figures = readBytes(csv());
    EXPECT_TRUE(
        has(lineOf(figures, in("huge.bmp")), ",\"too large: 30000 x 30000 pixels, more than the limit of 600000000\","))
        << figures;
    EXPECT_TRUE(has(lineOf(figures, in("a.jpg")), ",,")) << figures;
    EXPECT_TRUE(has(lineOf(figures, in("b.bmp")), ",,")) << figures;

    fs::remove(in("huge.bmp"));
    run = measure({"--max-pixels", "7680", in()});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    figures = readBytes(csv());
    EXPECT_TRUE(has(lineOf(figures, in("a.jpg")), ",,")) << figures;
    EXPECT_TRUE(has(lineOf(figures, in("b.bmp")), ",\"too large: 100 x 80 pixels, more than the limit of 7680\","))
        << figures;

    run = convert({"--max-pixels", "7680", in()});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
    EXPECT_FALSE(fs::exists(out("b-kw.jpg")));
    EXPECT_TRUE(has(run.output, "too large: 100 x 80 pixels, more than the limit of 7680")) << run.output;
}

// The photo's pixels (3.6 GB) or what measuring them takes do not fit under
// the limit; the run goes on and the other photo keeps its figures.
TEST_F(Archive, APhotoBeyondTheMemoryFailsAlone)
{
    if (underSanitizer())
        GTEST_SKIP() << "a sanitizer's shadow memory does not fit under a limit of the address space";
    photo("a.jpg");
    writeBytes(in("huge.bmp"), rle8Header(30000, 30000));
    writeBytes(in("large.bmp"), rle8Header(12000, 12000));
    const std::string all = std::to_string(32767 * 32767);

    test_support::Outcome run
        = limited(3072, {"measure", "--csv", csv(), "-j", "2", "--max-pixels", all, in("a.jpg"), in("huge.bmp")});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    std::string figures = readBytes(csv());
    EXPECT_TRUE(has(lineOf(figures, in("huge.bmp")), ",too large: 30000 x 30000 pixels; out of memory,")) << figures;
    EXPECT_TRUE(has(lineOf(figures, in("a.jpg")), ",,")) << figures;

    // 576 MB of pixels load under 1 GB; measuring them does not.
    fs::remove(csv());
    run = limited(1024,
        {"measure", "--csv", csv(), "-j", "2", "--max-pixels", all, "--circle", "6000,6000,5000", in("large.bmp"),
            in("huge.bmp")});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    figures = readBytes(csv());
    EXPECT_TRUE(has(lineOf(figures, in("large.bmp")), ",too large: 12000 x 12000 pixels; out of memory,")) << figures;
    EXPECT_TRUE(has(lineOf(figures, in("huge.bmp")), ",too large: 30000 x 30000 pixels; out of memory,")) << figures;

    run = limited(3072, {"convert", "-o", out(), "-j", "2", "--max-pixels", all, in("a.jpg"), in("huge.bmp")});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(has(run.output, "too large: 30000 x 30000 pixels; out of memory")) << run.output;
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
}

// Each failure says what it is, in the error column and on standard error
// alike, and never with the library's function names.
TEST_F(Archive, FailuresNameTheirCause)
{
    photo("a.jpg");
    std::string huge = rle8Header(16, 16);
    for (int at : {18, 22}) // width and height: 65500
        huge.replace(std::size_t(at), 4, std::string{char(0xdc), char(0xff), 0, 0});
    writeBytes(in("huge.bmp"), huge);
    fs::create_symlink(in("loop.jpg"), in("loop.jpg"));
    const struct {
        const char* name;
        const char* reason;
    } cases[] = {
        {"huge.bmp", "too large: 65500 x 65500 pixels, more than 32767 a side"},
        {"loop.jpg", "its symbolic links lead round in a circle (or more than 40 deep)"},
    };

    const test_support::Outcome measured = measure({in()});
    const test_support::Outcome converted = convert({in()});
    const std::string figures = readBytes(csv());
    for (const auto& c : cases) {
        const std::string reason = c.reason;
        const std::string field = has(reason, ",") ? "\"" + reason + "\"" : reason; // as CSV quotes it
        EXPECT_TRUE(has(lineOf(figures, in(c.name)), "," + field + ",")) << figures;
        EXPECT_TRUE(has(converted.output, "Cannot open \"" + in(c.name) + "\": " + c.reason + ".")) << converted.output;
    }
    EXPECT_FALSE(has(measured.output + converted.output + figures, "Rix")) << measured.output << converted.output;
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
}

TEST_F(Archive, AFileBeyondTheMemoryIsOutOfMemory)
{
    if (underSanitizer())
        GTEST_SKIP() << "a sanitizer's shadow memory does not fit under a limit of the address space";
    photo("a.jpg");
    // 2 GiB that take no disk: reading them needs the memory first.
    writeBytes(in("sparse.jpg"), "");
    fs::resize_file(in("sparse.jpg"), std::uintmax_t(2) << 30);
    const test_support::Outcome run = limited(1024, {"convert", "-o", out(), "-j", "1", in()});
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(has(run.output, "Cannot open \"" + in("sparse.jpg") + "\": out of memory.")) << run.output;
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
}

TEST_F(Archive, AFolderClosedToTheUserSaysWhy)
{
    photo("a.jpg");
    fs::create_directory(in("closed"));
    photo("closed/x.jpg");
    fs::create_directory(out());
    const std::vector<std::string> args{KARWEN_CLI, "convert", "-o", out(), in(), in("closed"), in("closed/x.jpg")};
    test_support::Outcome run;
    if (::geteuid() == 0) {
        // Root reads every folder; nobody may not read root's closed one.
        if (const std::string why = test_support::nobodyUnavailable(); !why.empty())
            GTEST_SKIP() << why;
        fs::permissions(in("closed"), fs::perms(0700));
        fs::permissions(out(), fs::perms(0777));
        run = test_support::runAsNobody(args);
    } else {
        fs::permissions(in("closed"), fs::perms(0));
        run = test_support::runProgram(args);
        fs::permissions(in("closed"), fs::perms(0755));
    }
    EXPECT_EQ(run.exitCode, 1) << run.output;
    EXPECT_TRUE(
        has(run.output, "Cannot open \"" + in("closed") + "\": the folder cannot be listed: you may not read it."))
        << run.output;
    EXPECT_TRUE(has(run.output, "Cannot open \"" + in("closed/x.jpg") + "\": you may not enter a folder on its path."))
        << run.output;
    EXPECT_TRUE(fs::exists(out("a-kw.jpg")));
}
