// The reading application's stored review settings as the editor reads
// them: defaults, numbers at their limits, and values that are not numbers.
#include "engine/recognition/reader_review_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

namespace strovik {
namespace {

namespace fs = std::filesystem;
namespace v = reader_values;

class ReaderReviewStore : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               ("velmora-review-" + std::to_string(getpid()) + "-" + info->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    void set(std::string_view name, std::string_view text) {
        ASSERT_TRUE(store().setValue(kReaderSettingsRoot, kReaderSettingsKey, name, text));
    }
    velmora::SettingsStore store() const { return velmora::SettingsStore(dir_); }

    fs::path dir_;
};

TEST_F(ReaderReviewStore, NeverSavedGivesTheDefaultsOfTheRuleAndTheEngine) {
    const ReaderReview review = loadReaderReview(store());
    EXPECT_FALSE(review.stored);
    EXPECT_TRUE(review.malformed.empty());
    // The default texts mean what the rule and the engine default to.
    const ReviewSettings rule;
    EXPECT_EQ(review.rule.noMark, rule.noMark);
    EXPECT_EQ(review.rule.faint, rule.faint);
    EXPECT_EQ(review.rule.multiValue, rule.multiValue);
    EXPECT_EQ(review.rule.multiRange, rule.multiRange);
    EXPECT_EQ(review.rule.showSeveral, rule.showSeveral);
    EXPECT_TRUE(review.tenToZero);
    EXPECT_EQ(review.noMarkedPercent, 10);
    EXPECT_EQ(review.multiMarkedMultiply, 2.0);
    EXPECT_EQ(readerReviewDefaults().rule.faint, review.rule.faint);
}

TEST_F(ReaderReviewStore, StoredValuesReplaceTheDefaults) {
    set("nomarkvalue", " 1.5 ");  // names ignore case; blanks around a number
    set(v::kMarkValue.name, "+4.25");
    set(v::kMultiValue.name, "-3");
    set(v::kMultiRange.name, "0");
    set(v::kMultiMarkedCheck.name, " 1\r\n");
    set(v::kMultiMarkedThreshold.name, "1.75");
    set(v::kNoMarkedPercent.name, "25");
    set(v::kTenToZero.name, "0");
    const ReaderReview review = loadReaderReview(store());
    EXPECT_TRUE(review.stored);
    EXPECT_TRUE(review.malformed.empty());
    EXPECT_EQ(review.rule.noMark, 1.5);
    EXPECT_EQ(review.rule.faint, 4.25);
    EXPECT_EQ(review.rule.multiValue, -3);
    EXPECT_EQ(review.rule.multiRange, 0);
    EXPECT_TRUE(review.rule.showSeveral);
    EXPECT_EQ(review.multiMarkedMultiply, 1750 * 0.001);
    EXPECT_EQ(review.noMarkedPercent, 25);
    EXPECT_FALSE(review.tenToZero);
}

TEST_F(ReaderReviewStore, NumbersAtTheirLimitsAndRoundingTies) {
    set(v::kMultiValue.name, "2147483647");
    set(v::kMultiRange.name, "2147483648");        // one past int: the default
    set(v::kNoMarkedPercent.name, "10.5");         // ties go to the even neighbour
    set(v::kMultiMarkedThreshold.name, "2.0625");  // 2062.5 thousandths exactly
    ReaderReview review = loadReaderReview(store());
    EXPECT_EQ(review.rule.multiValue, 2147483647);
    EXPECT_EQ(review.rule.multiRange, 50);
    EXPECT_EQ(review.noMarkedPercent, 10);
    EXPECT_EQ(review.multiMarkedMultiply, 2062 * 0.001);
    ASSERT_EQ(review.malformed.size(), 1u);
    EXPECT_EQ(review.malformed[0], v::kMultiRange.name);

    set(v::kNoMarkedPercent.name, "11.5");
    set(v::kMultiMarkedThreshold.name, "2147484");  // past int in thousandths
    review = loadReaderReview(store());
    EXPECT_EQ(review.noMarkedPercent, 12);
    EXPECT_EQ(review.multiMarkedMultiply, 2.0);
    EXPECT_EQ(review.malformed.size(), 2u);
}

TEST_F(ReaderReviewStore, ValuesThatAreNotNumbersFallBackEachOnItsOwn) {
    set(v::kNoMarkValue.name, "abc");
    set(v::kMarkValue.name, "nan");
    set(v::kMultiValue.name, "150.0");  // a dot count is an integer
    set(v::kMultiRange.name, "1e400");
    set(v::kMultiMarkedCheck.name, "2");
    set(v::kNoMarkedPercent.name, "+-5");
    set(v::kTenToZero.name, "yes");
    set(v::kMultiMarkedThreshold.name, "3.5");  // a good one among them
    const ReaderReview review = loadReaderReview(store());
    EXPECT_EQ(review.rule.noMark, 2.0);
    EXPECT_EQ(review.rule.faint, 3.0);
    EXPECT_EQ(review.rule.multiValue, 150);
    EXPECT_EQ(review.rule.multiRange, 50);
    EXPECT_FALSE(review.rule.showSeveral);
    EXPECT_EQ(review.noMarkedPercent, 10);
    EXPECT_TRUE(review.tenToZero);
    EXPECT_EQ(review.multiMarkedMultiply, 3500 * 0.001);
    EXPECT_EQ(review.malformed.size(), 7u);
}

TEST_F(ReaderReviewStore, BlankValuesCountAsAbsentNotAsMalformed) {
    set(v::kNoMarkValue.name, std::string(" \r\n\0 ", 5));
    set(v::kMarkValue.name, std::string("2.5\0junk", 8));  // a registry string ends at NUL
    const ReaderReview review = loadReaderReview(store());
    EXPECT_EQ(review.rule.noMark, 2.0);
    EXPECT_EQ(review.rule.faint, 2.5);
    EXPECT_TRUE(review.malformed.empty());
}

TEST(StoredCheck, OnlyZeroOrOneAfterCleaning) {
    EXPECT_EQ(storedCheck(" 1 "), true);
    EXPECT_EQ(storedCheck("0\r\n"), false);
    EXPECT_EQ(storedCheck("1 0"), std::nullopt);  // cleaning joins it to 10
    EXPECT_EQ(storedCheck("-1"), std::nullopt);
    EXPECT_EQ(storedCheck(""), std::nullopt);
    EXPECT_EQ(cleanedStoredText(std::string(" a\0b\r\nc ", 9)), "abc");
}

}  // namespace
}  // namespace strovik
