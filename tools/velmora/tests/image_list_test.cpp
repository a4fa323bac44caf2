// Expansion of image and folder arguments.
#include "tools/velmora/image_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;
using List = std::vector<std::string>;

class ImageListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(tmp.path().empty());
        fs::create_directory(tmp.file("scans"));
        // Byte order: upper case before lower case, UTF-8 after ASCII.
        for (const char* name : {"b.jpg", "a.jpg", "B.jpg", "\xc3\xa9.jpg", "a.jpg.txt"}) {
            writeFile(tmp.file("scans/") + name, "x");
        }
        fs::create_directory(tmp.file("scans/sub"));
        writeFile(tmp.file("scans/sub/inner.jpg"), "x");
        fs::create_symlink(tmp.file("scans/a.jpg"), tmp.file("scans/link.jpg"));
        fs::create_symlink(tmp.file("nowhere"), tmp.file("scans/dangling.jpg"));
        fs::create_directory(tmp.file("empty"));
    }
    TempDir tmp;
};

TEST_F(ImageListTest, FolderGivesItsRegularFilesSortedByBytes) {
    const std::string dir = tmp.file("scans");
    const ImageList list = expandInputs({dir});
    ASSERT_TRUE(list.error.empty()) << list.error;
    EXPECT_EQ(list.images, (List{dir + "/B.jpg", dir + "/a.jpg", dir + "/a.jpg.txt", dir + "/b.jpg",
                                 dir + "/link.jpg", dir + "/\xc3\xa9.jpg"}));
}

TEST_F(ImageListTest, TrailingSlashIsNotDoubled) {
    const ImageList list = expandInputs({tmp.file("scans/sub/")});
    EXPECT_EQ(list.images, (List{tmp.file("scans/sub/inner.jpg")}));
}

TEST_F(ImageListTest, ArgumentOrderKeptAndFilesTakenAsGiven) {
    const std::string missing = tmp.file("missing.jpg");
    const ImageList list = expandInputs({tmp.file("scans/b.jpg"), tmp.file("scans/sub"), missing,
                                         tmp.file("empty"), tmp.file("scans/b.jpg")});
    ASSERT_TRUE(list.error.empty()) << list.error;
    EXPECT_EQ(list.images, (List{tmp.file("scans/b.jpg"), tmp.file("scans/sub/inner.jpg"), missing,
                                 tmp.file("scans/b.jpg")}));
}

TEST_F(ImageListTest, ErrorsForNoImagesAndMissingFolders) {
    EXPECT_NE(expandInputs({tmp.file("empty")}).error.find("no images"), std::string::npos);
    EXPECT_NE(expandInputs({tmp.file("empty"), tmp.file("empty/")}).error.find("no images"),
              std::string::npos);
    const ImageList missing = expandInputs({tmp.file("scans/a.jpg"), tmp.file("gone/")});
    EXPECT_NE(missing.error.find("no such folder: " + tmp.file("gone/")), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
