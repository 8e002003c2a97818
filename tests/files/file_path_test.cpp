#include "file_path.h"

#include <gtest/gtest.h>

#include <string>

using namespace karwen::files;

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
