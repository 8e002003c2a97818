#include "batch_run.h"

#include "image.h"
#include "image_store.h"
#include "mdl_karwen.h"
#include "rix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using namespace karwen;

namespace {

class BatchRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        init_globals();
        root = fs::temp_directory_path() / ("karwen-batch-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "in");
        fs::create_directories(root / "out");
        SrcPrm = {256, 256, 250, 0, 0, 0, kEquidistant};
        DstW = 64;
        DstH = 48;
        DstPrm = {32, 24, 24, 0, 0, 0, kEquidistant};
    }
    void TearDown() override
    {
        (void)RixDestroy(hSrc);
        (void)RixDestroy(hDst);
        fs::remove_all(root);
    }

    // A 512 x 512 grey picture saved under the given name.
    void writeImage(const std::string& name, bool asJpeg)
    {
        const int32_t h = RixCreate(512, 512);
        rix::Image* image = rix::findImage(h);
        std::fill(image->data(), image->data() + 512 * 512, rix::packRgb(90, 140, 200));
        const std::string path = (root / "in" / name).string();
        int32_t quality = 90;
        ASSERT_EQ(asJpeg ? RixSaveJPG(h, path.c_str(), &quality) : RixSaveBMP(h, path.c_str()), 1)
            << RixLastError();
        (void)RixDestroy(h);
    }

    void writeText(const std::string& name, const std::string& text)
    {
        std::ofstream(root / "in" / name, std::ios::binary) << text;
    }

    BatchJob job(std::vector<std::string> files, std::string postfix = "-kw", std::string ext = "jpg")
    {
        return {(root / "in").string(), (root / "out").string(), postfix, ext, std::move(files)};
    }

    fs::path root;
};

} // namespace

TEST_F(BatchRun, ConvertsGoodFilesSkipsBadOnesAndHoldsOneResult)
{
    writeImage("a.BMP", false);
    writeImage("b.jpg", true);
    writeText("broken.jpg", "not a jpeg at all");
    writeImage("c.Jpg", true);

    std::vector<std::string> texts;
    std::vector<int32_t> heldBefore; // the images held as each file starts
    const BatchOutcome outcome = run_batch(job({"a.BMP", "broken.jpg", "b.jpg", "c.Jpg"}), [&](const std::string& t) {
        texts.push_back(t);
        heldBefore.push_back(hDst);
    });

    EXPECT_EQ(outcome.converted, 3);
    EXPECT_EQ(outcome.unreadable, 1);
    EXPECT_TRUE(outcome.failedSaves.empty());
    EXPECT_EQ(texts, (std::vector<std::string>{"a.BMP\r (1/4)", "broken.jpg\r (2/4)", "b.jpg\r (3/4)", "c.Jpg\r (4/4)"}));
    for (const char* out : {"a-kw.jpg", "b-kw.jpg", "c-kw.jpg"}) {
        const std::string path = (root / "out" / out).string();
        const int32_t h = RixLoadJPG(path.c_str());
        ASSERT_GE(h, 1) << out;
        EXPECT_EQ(RixWidth(h), 64);
        EXPECT_EQ(RixHeight(h), 48);
        (void)RixDestroy(h);
    }
    EXPECT_FALSE(fs::exists(root / "out" / "broken-kw.jpg"));

    // The globals describe the last file; exactly one result image is held.
    EXPECT_EQ(SrcFile, "c.Jpg");
    EXPECT_EQ(DstFile, (root / "out" / "c-kw.jpg").string());
    EXPECT_EQ(SrcW, 512);
    EXPECT_GE(hDst, 1);
    for (int32_t earlier : heldBefore) {
        if (earlier != hDst) {
            EXPECT_EQ(RixWidth(earlier), 0) << "earlier results were destroyed";
        }
    }
}

TEST_F(BatchRun, OutputNamesFollowPostfixAndFormat)
{
    EXPECT_EQ(batch_output_path(job({}), "img01.JPG"), (root / "out" / "img01-kw.jpg").string());
    EXPECT_EQ(batch_output_path(job({}, "", "bmp"), "img01.JPG"), (root / "out" / "img01.bmp").string());

    writeImage("a.JPG", true);
    const BatchOutcome outcome = run_batch(job({"a.JPG"}, "-kw", "bmp"), {});
    EXPECT_EQ(outcome.converted, 1);
    const std::string path = (root / "out" / "a-kw.bmp").string();
    const int32_t h = RixLoadBMP(path.c_str());
    EXPECT_GE(h, 1) << "the bmp format writes a real BMP file";
    (void)RixDestroy(h);
}

TEST_F(BatchRun, ProgressTextCutsLongNamesOnly)
{
    const std::string longName = "a_very_long_photograph_name_from_the_field.jpg";
    EXPECT_EQ(batch_progress_text(longName, 2, 3), longName.substr(0, 30) + "\r (2/3)");
    EXPECT_EQ(batch_progress_text("Käfer_ÄÖÜ_äöü_ßßß_éèê_0123456789.jpg", 1, 1),
              "Käfer_ÄÖÜ_äöü_ßßß_éèê_01234567\r (1/1)")
        << "characters, not bytes";
    EXPECT_EQ(batch_output_path(job({}), longName),
              (root / "out" / "a_very_long_photograph_name_from_the_field-kw.jpg").string());
}

TEST_F(BatchRun, FailedSavesAreReportedAndSourcesNeverOverwritten)
{
    writeImage("a.jpg", true);
    writeImage("b.jpg", true);
    const auto sourceSize = fs::file_size(root / "in" / "a.jpg");

    BatchJob intoMissingFolder = job({"a.jpg"});
    intoMissingFolder.destFolder = (root / "missing").string();
    BatchOutcome outcome = run_batch(intoMissingFolder, {});
    ASSERT_EQ(outcome.failedSaves.size(), 1u);
    EXPECT_EQ(outcome.failedSaves[0].outputPath, (root / "missing" / "a-kw.jpg").string());

    BatchJob inPlace = job({"a.jpg", "b.jpg"}, "");
    inPlace.destFolder = inPlace.sourceFolder;
    outcome = run_batch(inPlace, {});
    EXPECT_EQ(outcome.failedSaves.size(), 2u);
    EXPECT_EQ(fs::file_size(root / "in" / "a.jpg"), sourceSize) << "the photograph is kept";
}

TEST_F(BatchRun, ListsImageFilesSortedByName)
{
    writeText("p2.jpg", "x");
    writeText("p1.BMP", "x");
    writeText("p3.jpeg", "x");
    writeText("notes.txt", "x");
    fs::create_directories(root / "in" / "folder.jpg");
    std::vector<std::string> names;
    ASSERT_TRUE(list_image_files((root / "in").string(), names));
    EXPECT_EQ(names, (std::vector<std::string>{"p1.BMP", "p2.jpg"}));

    EXPECT_FALSE(list_image_files((root / "nowhere").string(), names));
    EXPECT_TRUE(names.empty());
}
