// Choosing a SANE device's option values by what they mean: feeder and
// flatbed entries, colour modes under their various names, and the allowed
// resolution nearest to the wanted one.
#include "scanner/core/sane_options.h"

#include <gtest/gtest.h>

namespace fenwary {
namespace {

using Entries = std::vector<std::string>;

TEST(SaneOptions, FeederPrefersOneSidedEntries) {
    EXPECT_EQ(chooseSourceEntry({"Flatbed", "Automatic Document Feeder"}, true),
              "Automatic Document Feeder");
    EXPECT_EQ(chooseSourceEntry({"Flatbed", "ADF Duplex", "ADF Front"}, true), "ADF Front");
    EXPECT_EQ(chooseSourceEntry({"ADF Duplex"}, true), "ADF Duplex");
    EXPECT_EQ(chooseSourceEntry({"Flatbed", "Transparency Unit"}, true), std::nullopt);
    EXPECT_EQ(chooseSourceEntry({"ADF", "FlatBed"}, false), "FlatBed");
    EXPECT_EQ(chooseSourceEntry({"ADF Front"}, false), std::nullopt);
}

TEST(SaneOptions, ModesAreFoundUnderTheirUsualNames) {
    EXPECT_EQ(chooseModeEntry({"Lineart", "Gray", "Color"}, ScanMode::Color), "Color");
    EXPECT_EQ(chooseModeEntry({"Binary", "Gray16", "Grayscale", "24bit Color"}, ScanMode::Gray),
              "Grayscale");
    EXPECT_EQ(chooseModeEntry({"Binary", "Gray16", "24bit Color"}, ScanMode::Color), "24bit Color");
    EXPECT_EQ(chooseModeEntry({"Black & White", "Gray"}, ScanMode::Lineart), "Black & White");
    EXPECT_EQ(chooseModeEntry({"Gray", "Color"}, ScanMode::Lineart), std::nullopt);
}

TEST(SaneOptions, NearestAllowedResolution) {
    SANE_Option_Descriptor option{};
    option.type = SANE_TYPE_INT;
    option.size = sizeof(SANE_Word);
    SANE_Range range{75, 600, 25};
    option.constraint_type = SANE_CONSTRAINT_RANGE;
    option.constraint.range = &range;
    EXPECT_EQ(nearestAllowedValue(option, 300), 300);
    EXPECT_EQ(nearestAllowedValue(option, 310), 300);
    EXPECT_EQ(nearestAllowedValue(option, 313), 325);
    EXPECT_EQ(nearestAllowedValue(option, 10), 75);
    EXPECT_EQ(nearestAllowedValue(option, 9600), 600);

    const SANE_Word list[] = {4, 100, 200, 300, 600};
    option.constraint_type = SANE_CONSTRAINT_WORD_LIST;
    option.constraint.word_list = list;
    EXPECT_EQ(nearestAllowedValue(option, 240), 200);
    EXPECT_EQ(nearestAllowedValue(option, 1200), 600);

    SANE_Range fixed{SANE_FIX(50), SANE_FIX(1200), SANE_FIX(1)};
    option.type = SANE_TYPE_FIXED;
    option.constraint_type = SANE_CONSTRAINT_RANGE;
    option.constraint.range = &fixed;
    EXPECT_EQ(nearestAllowedValue(option, SANE_FIX(300)), SANE_FIX(300));
    option.constraint_type = SANE_CONSTRAINT_NONE;
    EXPECT_EQ(nearestAllowedValue(option, 123), 123);
}

}  // namespace
}  // namespace fenwary
