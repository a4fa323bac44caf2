#include "reader/core/image_view.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "reader/core/tests/table_access.h"

namespace tarrow {
namespace {

using Kind = ImageViewOutcome::Kind;

const QSize kImage(1654, 2339);
const QSize kLargeScreen(1920, 1080);

TEST(QuestionMarkBounds, SpansEveryMarkOfTheColumnsQuestion) {
    const std::vector<MarkRect> marks = {
        {0, 0, 641, 361}, {0, 1, 677, 361}, {1, 0, 641, 418}, {0, 2, 600, 380}, {1, 1, 900, 300},
    };
    const auto first = questionMarkBounds(marks, 1);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->minX, 600);
    EXPECT_EQ(first->maxX, 677);
    EXPECT_EQ(first->minY, 361);
    EXPECT_EQ(first->maxY, 380);

    const auto second = questionMarkBounds(marks, 2);
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(second->minX, 641);
    EXPECT_EQ(second->maxX, 900);
    EXPECT_EQ(second->minY, 300);
    EXPECT_EQ(second->maxY, 418);

    EXPECT_FALSE(questionMarkBounds(marks, 3).has_value());
    EXPECT_FALSE(questionMarkBounds(marks, 0).has_value());
    EXPECT_FALSE(questionMarkBounds({}, 1).has_value());
}

TEST(PlanCrop, MarginsAreUnevenAcrossAndEvenDownAndFollowTheOffsets) {
    const MarkBounds bounds{641, 361, 785, 361};
    const CropPlan plain = planCrop(bounds, 0, 0, kImage, false, kLargeScreen);
    // 641 - 280 / 1.5 = 454.33; 361 - 100; 144 + 280 wide, 0 + 200 high.
    EXPECT_EQ(plain.source, QRect(454, 261, 424, 200));
    EXPECT_EQ(plain.cropSize, QSize(424, 200));
    EXPECT_EQ(plain.drawSize, QSize(424, 200));
    EXPECT_FALSE(plain.turned);

    const CropPlan shifted = planCrop(bounds, 30, -12, kImage, false, kLargeScreen);
    EXPECT_EQ(shifted.source, QRect(484, 249, 424, 200));

    // 642 - 186.67 = 455.33 and 100 - 186.67 = -86.67 round to the nearest pixel.
    EXPECT_EQ(planCrop({642, 0, 642, 0}, 0, 0, kImage, false, kLargeScreen).source.x(), 455);
    EXPECT_EQ(planCrop({100, 50, 100, 50}, 0, 0, kImage, false, kLargeScreen).source.topLeft(),
              QPoint(-87, -50));
}

TEST(PlanCrop, TurnedCropComesFromTheMirroredPositionAndIsNeverScaled) {
    const MarkBounds bounds{641, 361, 785, 361};
    const CropPlan turned = planCrop(bounds, 0, 0, kImage, true, kLargeScreen);
    EXPECT_TRUE(turned.turned);
    EXPECT_EQ(turned.source, QRect(1654 - 454 - 424, 2339 - 261 - 200, 424, 200));
    EXPECT_EQ(turned.drawSize, turned.cropSize);

    const CropPlan wide = planCrop({0, 0, 2000, 0}, 0, 0, kImage, true, QSize(800, 600));
    EXPECT_EQ(wide.cropSize, QSize(2280, 200));
    EXPECT_EQ(wide.drawSize, QSize(2280, 200));
}

TEST(PlanCrop, TooLargeCropsShrinkToTheScreenWidthFirstKeepingTheAspect) {
    // 1120 x 200 on an 800-pixel screen: ratio 1.4.
    const CropPlan wide = planCrop({0, 0, 840, 0}, 0, 0, kImage, false, QSize(800, 600));
    EXPECT_EQ(wide.cropSize, QSize(1120, 200));
    EXPECT_EQ(wide.drawSize, QSize(800, 143));

    // 480 x 900 on a 600-pixel-high screen: ratio 1.5.
    const CropPlan tall = planCrop({0, 0, 200, 700}, 0, 0, kImage, false, QSize(800, 600));
    EXPECT_EQ(tall.cropSize, QSize(480, 900));
    EXPECT_EQ(tall.drawSize, QSize(320, 600));

    // Both too large: the width decides even when the height is worse off.
    const CropPlan both = planCrop({0, 0, 1000, 1600}, 0, 0, kImage, false, QSize(1000, 600));
    EXPECT_EQ(both.cropSize, QSize(1280, 1800));
    EXPECT_EQ(both.drawSize, QSize(1000, 1406));

    // Exactly the screen's width counts as too wide (no change in size).
    const CropPlan exact = planCrop({0, 0, 520, 0}, 0, 0, kImage, false, QSize(800, 600));
    EXPECT_EQ(exact.drawSize, QSize(800, 200));
}

class SheetImageViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const QString definition = dir_.filePath("sheet.ini");
        QFile file(definition);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(
            "[MARK]\r\nOVALMARK_WIDTH=24\r\nMARK0=0,0,641,361\r\nMARK1=0,1,677,361\r\n"
            "MARK2=1,0,641,418\r\nMARK3=1,1,677,418\r\n");
        file.close();
        table_.initMarks(definition);
        // Three questions (the third without marks), four sheets.
        addSheet("a.jpg", 0);
        addSheet("b.jpg", 1);
        addSheet("c.jpg", 0);
        table_.recordErrorRow(4, "d.jpg");
        tarrow::testing::TableAccess::sheets(table_) << "/scans/d.jpg";
        table_.markFailedSheets();
        tarrow::testing::TableAccess::offsetX(table_) = {0, 0, 5, -7, 0};
        tarrow::testing::TableAccess::offsetY(table_) = {0, 0, -3, 9, 0};
    }
    void addSheet(const QString& label, int rotated) {
        const int s = table_.sheetCount() + 1;
        table_.storeSheet(s, label, "1,2,3", "5,5,5", "1,1,1", rotated, 0, false);
        tarrow::testing::TableAccess::sheets(table_) << "/scans/" + label;
    }
    ImageViewOutcome show(int row, int col, bool force = false) {
        return view_.show(table_, row, col, force, kLargeScreen);
    }

    QTemporaryDir dir_;
    ResultTable table_;
    QStringList loaded_;
    QStringList unreadable_;
    SheetImageView view_{[this](const QString& path) -> std::optional<QSize> {
        loaded_ << path;
        if (unreadable_.contains(path)) return std::nullopt;
        return kImage;
    }};
};

TEST_F(SheetImageViewTest, ShowsTheQuestionsCropWithCaptionAndSheetOffsets) {
    const ImageViewOutcome first = show(3, 1);
    ASSERT_EQ(first.kind, Kind::Shown);
    EXPECT_EQ(first.path, "/scans/a.jpg");
    EXPECT_EQ(first.caption, QStringLiteral("画像ﾌｧｲﾙ=/scans/a.jpg  画像ｻｲｽﾞ=(1654x2339)"));
    EXPECT_EQ(first.imageSize, kImage);
    EXPECT_TRUE(first.status.isEmpty());
    EXPECT_EQ(first.crop.source, QRect(454, 261, 316, 200));
    EXPECT_FALSE(first.crop.turned);

    const ImageViewOutcome shifted = show(5, 2);
    ASSERT_EQ(shifted.kind, Kind::Shown);
    EXPECT_EQ(shifted.crop.source, QRect(454 - 7, 318 + 9, 316, 200));
}

TEST_F(SheetImageViewTest, LoadsEachPathOnceWhileItStaysTheLastOne) {
    EXPECT_EQ(show(3, 1).kind, Kind::Shown);
    EXPECT_EQ(show(3, 2).kind, Kind::Shown);
    EXPECT_EQ(show(3, 1).kind, Kind::Shown);
    EXPECT_EQ(view_.loadCount(), 1);
    EXPECT_EQ(show(4, 1).kind, Kind::Shown);
    EXPECT_EQ(show(3, 1).kind, Kind::Shown);
    EXPECT_EQ(loaded_, QStringList({"/scans/a.jpg", "/scans/b.jpg", "/scans/a.jpg"}));
    EXPECT_EQ(view_.cachedPath(), "/scans/a.jpg");
}

TEST_F(SheetImageViewTest, AnUnreadableImageShowsNothingAndKeepsTheCachedOne) {
    ASSERT_EQ(show(3, 1).kind, Kind::Shown);
    unreadable_ << "/scans/b.jpg";
    const ImageViewOutcome failed = show(4, 1);
    EXPECT_EQ(failed.kind, Kind::NotLoaded);
    EXPECT_TRUE(failed.status.isEmpty());
    EXPECT_EQ(view_.cachedPath(), "/scans/a.jpg");
    EXPECT_EQ(show(3, 2).kind, Kind::Shown);
    EXPECT_EQ(loaded_, QStringList({"/scans/a.jpg", "/scans/b.jpg"}));
}

TEST_F(SheetImageViewTest, TurnsUpsideDownSheetsAndInvertsWithTheRotateOption) {
    EXPECT_FALSE(show(3, 1).crop.turned);
    EXPECT_TRUE(show(4, 1).crop.turned);
    EXPECT_TRUE(show(3, 1, true).crop.turned);
    EXPECT_FALSE(show(4, 1, true).crop.turned);
    const ImageViewOutcome turned = show(4, 1);
    EXPECT_EQ(turned.crop.source.topLeft(), QPoint(1654 - (454 + 5) - 316, 2339 - 258 - 200));
}

TEST_F(SheetImageViewTest, FailedSheetsMissingMarksAndNonSheetRowsShowNothing) {
    const ImageViewOutcome failed = show(6, 1);
    EXPECT_EQ(failed.kind, Kind::SheetFailed);
    EXPECT_EQ(failed.status, QStringLiteral("表示できません：/scans/d.jpg"));
    EXPECT_EQ(view_.cachedPath(), "/scans/d.jpg");

    EXPECT_EQ(show(3, 3).kind, Kind::NoMarks);
    EXPECT_TRUE(show(3, 3).status.isEmpty());
    for (int row : {0, 1, 2, 7}) {
        const ImageViewOutcome none = show(row, 1);
        EXPECT_EQ(none.kind, Kind::NoSheet) << row;
        EXPECT_TRUE(none.path.isEmpty()) << row;
    }
    EXPECT_EQ(view_.loadCount(), 2);
}

TEST(SheetShownTurned, ReadsTheRotationFlagColumnAsANumber) {
    ResultTable table;
    table.initMarks(QString());
    table.storeSheet(1, "a.jpg", "1,2", "5,5", "1,1", 0, 0, false);
    EXPECT_FALSE(sheetShownTurned(table, 3, false));
    table.setText(3, 3, "1");
    EXPECT_TRUE(sheetShownTurned(table, 3, false));
    table.setText(3, 3, "-1");
    EXPECT_TRUE(sheetShownTurned(table, 3, false));
    EXPECT_FALSE(sheetShownTurned(table, 3, true));
    table.setText(3, 3, "");
    EXPECT_FALSE(sheetShownTurned(table, 3, false));
    EXPECT_TRUE(sheetShownTurned(table, 3, true));
}

}  // namespace
}  // namespace tarrow
