#include "file_path.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

using namespace karwen;

TEST(Paths, FileNameAfterTheLastSeparator)
{
    const std::pair<std::string, std::string> cases[] = {
        {R"(D:\dir/sub\name.bmp)", "name.bmp"},
        {"name.bmp", "name.bmp"},
        {"", ""},
        {R"(D:\dir\)", ""},
        {"/home/user/", ""},
        {"/home/user/Bild ä.jpg", "Bild ä.jpg"},
        {"/", ""},
        {R"(a\b/c)", "c"},
    };
    for (const auto& [path, name] : cases)
        EXPECT_EQ(get_fname(path), name) << path;
}

TEST(Paths, CutExtensionAtTheLastDot)
{
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {R"(D:\dir\name.jpg)", R"(D:\dir\name)"},
        {R"(D:\old.dir\name)", R"(D:\old)"}, // the folder's dot counts
        {"a.tar.gz", "a.tar"},
        {".area", ""},
        {"name.", "name"},
        {"name", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [path, stem] : cases)
        EXPECT_EQ(cut_ext(path), stem) << path;
}

TEST(Paths, LongPaths)
{
    const std::string longPath = "/" + std::string(40000, 'd') + "/img.x.bmp";
    EXPECT_EQ(get_fname(longPath), "img.x.bmp");
    EXPECT_EQ(cut_ext(longPath), longPath.substr(0, longPath.size() - 4));
}
