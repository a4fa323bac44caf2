// Every batch gets a folder of its own under the batch root: named by its
// start time, a second batch of the same minute (or a name taken by a file)
// gets the next suffix, and a chosen folder is recognised as not the root.
#include "scanner/core/batch_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "scanner/core/tests/scanner_test_support.h"

namespace fenwary {
namespace {

std::tm morning() {
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 9;
    t.tm_min = 30;
    return t;
}

TEST(BatchFolder, EachBatchOfTheSameMinuteGetsANewFolder) {
    testing::TempFolder documents;
    const std::string root = batchRootFolder(documents.str());
    EXPECT_EQ(root, documents.str() + "/tarrow/スキャン/");
    const std::string first = createBatchFolder(root, morning());
    EXPECT_EQ(first, root + "2026-12-08_0930/");
    EXPECT_TRUE(std::filesystem::is_directory(first));
    std::ofstream(root + "2026-12-08_0930_02") << "a file, not a folder";
    EXPECT_EQ(createBatchFolder(root, morning()), root + "2026-12-08_0930_03/");
    EXPECT_EQ(createBatchFolder(root, morning()), root + "2026-12-08_0930_04/");
}

TEST(BatchFolder, OnlyTheRootItselfIsTheRoot) {
    EXPECT_TRUE(isBatchRootFolder("/home/u/Documents/tarrow/スキャン", "/home/u/Documents"));
    EXPECT_TRUE(isBatchRootFolder("/home/u/Documents/tarrow/スキャン/", "/home/u/Documents/"));
    EXPECT_FALSE(isBatchRootFolder("/home/u/Documents/tarrow/スキャン/2026-12-08_0930/",
                                   "/home/u/Documents"));
    EXPECT_FALSE(isBatchRootFolder("/home/u/Documents/", "/home/u/Documents"));
    EXPECT_FALSE(isBatchRootFolder("", "/home/u/Documents"));
}

TEST(BatchFolder, UncreatableFolderIsReported) {
    testing::TempFolder documents;
    std::ofstream(documents.str() + "/blocked") << "file where the root should be";
    std::string error;
    EXPECT_EQ(createBatchFolder(documents.str() + "/blocked/スキャン/", morning(), &error), "");
    EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace fenwary
