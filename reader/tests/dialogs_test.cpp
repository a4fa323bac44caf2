// The settings dialog, the rename dialog and the sheet image viewer, driven
// through their object names on the offscreen platform.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <array>

#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/table_access.h"
#include "reader/ui/app_context.h"
#include "reader/ui/image_viewer.h"
#include "reader/ui/rename_dialog.h"
#include "reader/ui/settings_dialog.h"
#include "tools/sheetgen/sheet_generator.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;

template <typename T>
T* child(QWidget& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QStringList labelTexts(QWidget& parent) {
    QStringList texts;
    for (const QLabel* label : parent.findChildren<QLabel*>()) texts << label->text();
    return texts;
}

void click(QWidget& parent, const char* name) {
    auto* button = child<QPushButton>(parent, name);
    if (button) QTest::mouseClick(button, Qt::LeftButton);
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<unreadable>");
    return file.readAll();
}

// ---------------------------------------------------------------- settings

TEST(SettingsDialog, ControlsCarryTheirNamesCaptionsAndTooltips) {
    AppSettings settings;
    SettingsDialog dialog(settings);
    EXPECT_EQ(dialog.objectName(), "frmSettings");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("各種設定"));
    EXPECT_FALSE(dialog.isModal());

    struct Check {
        const char* name;
        QString caption, tip;
    };
    const std::array<Check, 4> checks = {{
        {"chkTen", QStringLiteral("10→0変換"), QStringLiteral("10を0に変換して結果表示")},
        {"chkTrans", QStringLiteral("転置書出"), QStringLiteral("行と列を転置して保存")},
        {"chkRotate", QStringLiteral("画像回転"),
         QStringLiteral("ｽｷｬﾝ画像を強制的に180°回転して表示(通常、使用する必要はありません)")},
        {"chkMultiMarked", QStringLiteral("有効"),
         QStringLiteral("単一選択問題で複数マークが塗られたことを検出すると、"
                        "結果表示パネル上に灰色表示する")},
    }};
    for (const Check& c : checks) {
        auto* box = child<QCheckBox>(dialog, c.name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), c.caption) << c.name;
        EXPECT_EQ(box->toolTip(), c.tip) << c.name;
    }
    EXPECT_EQ(child<QLineEdit>(dialog, "txtMultiMarked")->toolTip(),
              QStringLiteral("単一選択問題で複数マークが塗られたと判定するしきい値"));
    EXPECT_EQ(child<QLineEdit>(dialog, "txtNoMarked")->toolTip(),
              QStringLiteral("単一選択問題でマーク無しと判定される塗りつぶし面積割合"));
    EXPECT_EQ(child<QComboBox>(dialog, "ComboImageSize")->toolTip(),
              QStringLiteral("切り出し画像の画像縮小比率"));
    EXPECT_EQ(child<QComboBox>(dialog, "ComboSharpenRate")->toolTip(),
              QStringLiteral("切り出し画像のくっきり化(エッジ強調)度合"));

    for (const char* name :
         {"btnReadDefault", "btnImageDefault", "btnMultiMarkedDefault", "btnNoMarkedDefault"}) {
        auto* button = child<QPushButton>(dialog, name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), QStringLiteral("既定値")) << name;
        EXPECT_EQ(button->toolTip(), QStringLiteral("既定値に戻す")) << name;
    }
    EXPECT_EQ(child<QPushButton>(dialog, "btnOK")->text(), QStringLiteral("閉じる"));

    QStringList frames;
    for (const QGroupBox* box : dialog.findChildren<QGroupBox*>()) frames << box->title();
    EXPECT_EQ(frames,
              QStringList({QStringLiteral("読み取り動作設定"), QStringLiteral("切り出し画像設定"),
                           QStringLiteral("単一選択問題の複数ﾏｰｸﾁｪｯｸ"),
                           QStringLiteral("単一選択問題のﾏｰｸ無しﾁｪｯｸ (ﾊﾟｰｾﾝﾄ)")}));
    const QStringList labels = labelTexts(dialog);
    for (const QString& text : {QStringLiteral("画像縮小比率"), QStringLiteral("%  (既定値=75)"),
                                QStringLiteral("くっきり化度合"), QStringLiteral("(既定値=30)"),
                                QStringLiteral("判定しきい値"), QStringLiteral("(既定値=2.0)"),
                                QStringLiteral("(既定値=10)")}) {
        EXPECT_TRUE(labels.contains(text)) << text.toStdString();
    }
}

TEST(SettingsDialog, ComboListsAreEditableAndHoldTheStoredText) {
    AppSettings settings;
    settings.imageScale = "60";
    SettingsDialog dialog(settings);
    auto* size = child<QComboBox>(dialog, "ComboImageSize");
    auto* sharpen = child<QComboBox>(dialog, "ComboSharpenRate");
    ASSERT_TRUE(size && sharpen);
    QStringList sizes, rates;
    for (int i = 0; i < size->count(); ++i) sizes << size->itemText(i);
    for (int i = 0; i < sharpen->count(); ++i) rates << sharpen->itemText(i);
    EXPECT_EQ(sizes, QStringList({"25", "50", "75", "100"}));
    EXPECT_EQ(rates, QStringList({"0", "10", "20", "30", "40", "50"}));
    EXPECT_TRUE(size->isEditable());
    EXPECT_TRUE(sharpen->isEditable());
    EXPECT_EQ(size->currentText(), "60");
    EXPECT_EQ(sharpen->currentText(), "30");
}

TEST(SettingsDialog, EveryControlWritesIntoTheSettingsAtOnce) {
    AppSettings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    QTest::mouseClick(child<QCheckBox>(dialog, "chkTen"), Qt::LeftButton);
    EXPECT_FALSE(settings.tenToZero);
    QTest::mouseClick(child<QCheckBox>(dialog, "chkTrans"), Qt::LeftButton);
    EXPECT_TRUE(settings.transpose);
    QTest::mouseClick(child<QCheckBox>(dialog, "chkRotate"), Qt::LeftButton);
    EXPECT_TRUE(settings.rotateView);
    QTest::mouseClick(child<QCheckBox>(dialog, "chkMultiMarked"), Qt::LeftButton);
    EXPECT_TRUE(settings.multiMarked);

    auto* size = child<QComboBox>(dialog, "ComboImageSize");
    size->setCurrentIndex(0);
    EXPECT_EQ(settings.imageScale, "25");
    size->lineEdit()->clear();
    QTest::keyClicks(size->lineEdit(), "abc");
    EXPECT_EQ(settings.imageScale, "abc");
    auto* sharpen = child<QComboBox>(dialog, "ComboSharpenRate");
    sharpen->setCurrentIndex(5);
    EXPECT_EQ(settings.sharpenRate, "50");

    auto* multi = child<QLineEdit>(dialog, "txtMultiMarked");
    multi->clear();
    EXPECT_EQ(settings.multiMarkedThreshold, "");
    QTest::keyClicks(multi, "3.5");
    EXPECT_EQ(settings.multiMarkedThreshold, "3.5");
    auto* noMarked = child<QLineEdit>(dialog, "txtNoMarked");
    QTest::keyClicks(noMarked, "5");
    EXPECT_EQ(settings.noMarkedPercent, "105");
}

TEST(SettingsDialog, DefaultButtonsResetTheirFrameOnlyAndShowIt) {
    AppSettings settings;
    settings.tenToZero = false;
    settings.transpose = true;
    settings.rotateView = true;
    settings.imageScale = "25";
    settings.sharpenRate = "0";
    settings.multiMarked = true;
    settings.multiMarkedThreshold = "9";
    settings.noMarkedPercent = "40";
    SettingsDialog dialog(settings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    click(dialog, "btnReadDefault");
    EXPECT_TRUE(settings.tenToZero);
    EXPECT_FALSE(settings.transpose);
    EXPECT_FALSE(settings.rotateView);
    EXPECT_TRUE(child<QCheckBox>(dialog, "chkTen")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "chkTrans")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "chkRotate")->isChecked());
    EXPECT_EQ(settings.imageScale, "25");
    EXPECT_TRUE(settings.multiMarked);

    click(dialog, "btnImageDefault");
    EXPECT_EQ(settings.imageScale, "75");
    EXPECT_EQ(settings.sharpenRate, "30");
    EXPECT_EQ(child<QComboBox>(dialog, "ComboImageSize")->currentText(), "75");
    EXPECT_EQ(child<QComboBox>(dialog, "ComboSharpenRate")->currentText(), "30");
    EXPECT_EQ(settings.multiMarkedThreshold, "9");

    click(dialog, "btnMultiMarkedDefault");
    EXPECT_FALSE(settings.multiMarked);
    EXPECT_EQ(settings.multiMarkedThreshold, "2.0");
    EXPECT_FALSE(child<QCheckBox>(dialog, "chkMultiMarked")->isChecked());
    EXPECT_EQ(child<QLineEdit>(dialog, "txtMultiMarked")->text(), "2.0");
    EXPECT_EQ(settings.noMarkedPercent, "40");

    click(dialog, "btnNoMarkedDefault");
    EXPECT_EQ(settings.noMarkedPercent, "10");
    EXPECT_EQ(child<QLineEdit>(dialog, "txtNoMarked")->text(), "10");

    // The controls keep writing after a reset.
    QTest::mouseClick(child<QCheckBox>(dialog, "chkTrans"), Qt::LeftButton);
    EXPECT_TRUE(settings.transpose);
}

TEST(SettingsDialog, CloseOnlyHidesAndRefreshShowsOutsideChanges) {
    AppSettings settings;
    SettingsDialog dialog(settings);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    click(dialog, "btnOK");
    EXPECT_FALSE(dialog.isVisible());

    settings.transpose = true;
    settings.noMarkedPercent = "15";
    dialog.refreshControls();
    EXPECT_TRUE(child<QCheckBox>(dialog, "chkTrans")->isChecked());
    EXPECT_EQ(child<QLineEdit>(dialog, "txtNoMarked")->text(), "15");
    dialog.show();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(settings.transpose);
}

// ------------------------------------------------------------------ rename

class RenameDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        QDir root(dir_.path());
        ASSERT_TRUE(root.mkpath("scans") && root.mkpath("out") && root.mkpath("data"));
        ctx_.dataFolder = dir_.filePath("data");
        ctx_.table.initMarks(QString());
        addSheet("s1.jpg", "3,7");
        addSheet("s2.jpg", "4,1");
        dialog_.setLogOpener([this](const QString& path) { openedLogs_ << path; });
    }
    void addSheet(const QString& label, const QString& values) {
        const int s = ctx_.table.sheetCount() + 1;
        ctx_.table.storeSheet(s, label, values, "9,9", "1,1", 0, 0, false);
        const QString path = dir_.filePath("scans/" + label);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("image " + label.toUtf8());
        tarrow::testing::TableAccess::sheets(ctx_.table) << path;
    }
    void type(const char* box, const QString& text) {
        auto* edit = child<QLineEdit>(dialog_, box);
        if (!edit) return;
        // Key events carry ASCII only; wider text arrives as from an input method.
        bool ascii = true;
        for (const QChar c : text) ascii = ascii && c.unicode() < 0x80;
        if (ascii) {
            QTest::keyClicks(edit, text);
        } else {
            edit->insert(text);
        }
    }

    QTemporaryDir dir_;
    AppContext ctx_;
    ScriptedPrompter prompter_;
    RenameDialog dialog_{ctx_, prompter_};
    QStringList openedLogs_;
};

TEST_F(RenameDialogTest, ControlsCarryTheirNamesAndCaptions) {
    EXPECT_EQ(dialog_.objectName(), "frmRename");
    EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("画像ファイル名の一括変換"));
    EXPECT_EQ(child<QPushButton>(dialog_, "btnRenameRun")->text(), QStringLiteral("実行"));
    EXPECT_EQ(child<QPushButton>(dialog_, "btnRenameCancel")->text(), QStringLiteral("キャンセル"));
    for (const char* name : {"txtPrefix", "txtPattern", "txtPostfix"}) {
        EXPECT_NE(child<QLineEdit>(dialog_, name), nullptr);
    }
    auto* frame = dialog_.findChild<QGroupBox*>();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->title(), QStringLiteral("出力ファイル名パターン"));
    const QStringList labels = labelTexts(dialog_);
    for (const QString& text :
         {QStringLiteral("全スキャン画像を、読取値に応じたファイル名を付けて保存します"
                         "（元スキャン画像ファイルは保持されます）。"),
          QStringLiteral("前置固定文字列"),
          QStringLiteral("読取値の列番号　（カンマ区切りで複数指定可）"),
          QStringLiteral("例） 1,2,--,0      0は元ﾌｧｲﾙ名、文字や記号はそのまま出力"),
          QStringLiteral("後置固定文字列"), QStringLiteral(". jpg")}) {
        EXPECT_TRUE(labels.contains(text)) << text.toStdString();
    }
}

TEST_F(RenameDialogTest, RunCopiesEverySheetLogsOpensTheLogAndHides) {
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    type("txtPrefix", "A");
    type("txtPattern", QStringLiteral("１、--,0"));
    type("txtPostfix", "_x");
    prompter_.folders.push_back(dir_.filePath("out"));
    click(dialog_, "btnRenameRun");

    EXPECT_EQ(prompter_.folderTitles,
              QStringList{QStringLiteral("出力先フォルダを選択してください。")});
    const QString first = dir_.filePath("out/A3--s1_x.jpg");
    const QString second = dir_.filePath("out/A4--s2_x.jpg");
    EXPECT_EQ(fileBytes(first), "image s1.jpg");
    EXPECT_EQ(fileBytes(second), "image s2.jpg");
    EXPECT_EQ(fileBytes(dir_.filePath("scans/s1.jpg")), "image s1.jpg");

    const QString log = dir_.filePath("data/log.txt");
    EXPECT_EQ(openedLogs_, QStringList{log});
    EXPECT_EQ(fileBytes(log), (dir_.filePath("scans/s1.jpg") + " -> " + first + "\r\n" +
                               dir_.filePath("scans/s2.jpg") + " -> " + second + "\r\n")
                                  .toUtf8());
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].text,
              QStringLiteral("一括変換処理を完了しました。2個の画像ファイルを保存しました。"));
    EXPECT_EQ(prompter_.messages[0].icon, Prompter::Icon::Information);
    EXPECT_TRUE(dialog_.lastRun().completed);
    EXPECT_FALSE(dialog_.isVisible());
}

TEST_F(RenameDialogTest, StoppedRunsKeepTheDialogOpenAndCancelHides) {
    dialog_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog_));
    click(dialog_, "btnRenameRun");
    EXPECT_EQ(prompter_.messageTexts(),
              QStringList{QStringLiteral("列番号が指定されていません。処理を中止します。")});
    EXPECT_TRUE(prompter_.folderTitles.isEmpty());
    EXPECT_TRUE(dialog_.isVisible());

    type("txtPattern", "99");
    prompter_.folders.push_back(dir_.filePath("out"));
    click(dialog_, "btnRenameRun");
    EXPECT_EQ(prompter_.messageTexts().last(),
              QStringLiteral("エラーが発生しました。「読取値の列番号」を正しく指定してください。"
                             "処理を中止します。"));
    EXPECT_FALSE(dialog_.lastRun().completed);
    EXPECT_TRUE(openedLogs_.isEmpty());
    EXPECT_TRUE(QDir(dir_.filePath("out")).isEmpty());
    EXPECT_TRUE(dialog_.isVisible());

    click(dialog_, "btnRenameCancel");
    EXPECT_FALSE(dialog_.isVisible());
}

// ------------------------------------------------------------ image viewer

/// The bundled sample sheets: 1654 x 2339 pixels, question 0 with its five
/// marks at y 361, x 641 + 36 * choice (centres).
class ImageViewerTest : public ::testing::Test {
protected:
    static constexpr int kChoices = 5;

    void SetUp() override {
        const QString samples = QStringLiteral(VELMORA_SOURCE_DIR "/samples/");
        ctx_.table.initMarks(samples + "sheet.ini");
        ASSERT_FALSE(ctx_.table.markRects().empty());
        const QString values = QStringList(30, "1").join(',');
        const QString relis = QStringList(30, "5").join(',');
        // sheet002 was fed upside down; sheet003 lies 30 pixels right, 12 up.
        const std::array<std::pair<const char*, int>, 3> sheets = {
            {{"sheet001.jpg", 0}, {"sheet002.jpg", 1}, {"sheet003.jpg", 0}}};
        for (const auto& [name, rotated] : sheets) {
            const int s = ctx_.table.sheetCount() + 1;
            ctx_.table.storeSheet(s, name, values, relis, QStringList(30, "1").join(','), rotated,
                                  0, false);
            tarrow::testing::TableAccess::sheets(ctx_.table) << samples + "images/" + name;
        }
        tarrow::testing::TableAccess::offsetX(ctx_.table) = {0, 0, 0, 30};
        tarrow::testing::TableAccess::offsetY(ctx_.table) = {0, 0, 0, -12};
        ASSERT_TRUE(sheet1_.load(ctx_.table.sheetPaths().at(0)));
        ASSERT_TRUE(sheet2_.load(ctx_.table.sheetPaths().at(1)));
        viewer_.setScreenSize(QSize(1920, 1080));
    }

    /// The 1-based choice of question column `col` that is darkest in the
    /// picture, looking at a box around each mark's centre. The picture's
    /// origin lies 280 / 1.5 pixels left of and 100 above the first mark.
    int darkestChoice(int col) const {
        const QImage& picture = viewer_.picture();
        const auto bounds = questionMarkBounds(ctx_.table.markRects(), col);
        int best = 0;
        double bestMean = 256;
        for (const MarkRect& mark : ctx_.table.markRects()) {
            if (mark.question + 1 != col) continue;
            const QPoint centre(mark.x - bounds->minX + 187, mark.y - bounds->minY + 100);
            double sum = 0;
            int count = 0;
            for (int dy = -10; dy <= 10; ++dy) {
                for (int dx = -5; dx <= 5; ++dx) {
                    sum += qGray(picture.pixel(centre + QPoint(dx, dy)));
                    ++count;
                }
            }
            if (sum / count < bestMean) {
                bestMean = sum / count;
                best = mark.choice + 1;
            }
        }
        return best;
    }

    AppContext ctx_;
    ImageViewer viewer_{ctx_};
    QImage sheet1_, sheet2_;
};

TEST_F(ImageViewerTest, ShowsTheQuestionsRegionAtTheTopLeftWithItsCaption) {
    ASSERT_EQ(viewer_.showImage(3, 1, false), QString());
    EXPECT_EQ(viewer_.objectName(), "frmImage");
    EXPECT_TRUE(viewer_.isVisible());
    EXPECT_TRUE(viewer_.isWindow());
    EXPECT_EQ(viewer_.pos(), QPoint(0, 0));
    EXPECT_EQ(viewer_.windowTitle(), QStringLiteral("画像ﾌｧｲﾙ=") + ctx_.table.sheetPaths().at(0) +
                                         QStringLiteral("  画像ｻｲｽﾞ=(1654x2339)"));
    auto* picShow = child<QLabel>(viewer_, "picShow");
    ASSERT_NE(picShow, nullptr);
    EXPECT_EQ(picShow->size(), QSize(144 + 280, 200));
    EXPECT_EQ(picShow->pixmap().toImage().convertToFormat(QImage::Format_RGB32), viewer_.picture());
    // The block at (454, 261) of the scan, pixel for pixel.
    const QImage expected = sheet1_.copy(454, 261, 424, 200).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(viewer_.picture(), expected);
    EXPECT_EQ(darkestChoice(1), 1);

    ASSERT_EQ(viewer_.showImage(3, 2, false), QString());
    EXPECT_EQ(darkestChoice(2), 5);
    ASSERT_EQ(viewer_.showImage(3, 3, false), QString());
    EXPECT_EQ(darkestChoice(3), 2);
    EXPECT_EQ(viewer_.imageLoads(), 1);
}

TEST_F(ImageViewerTest, TurnsUpsideDownSheetsAndFollowsTheRotateOption) {
    ASSERT_EQ(viewer_.showImage(4, 2, false), QString());
    // Turned: the picture's (x, y) is the scan's mirrored point.
    const QImage& picture = viewer_.picture();
    for (const QPoint p : {QPoint(0, 0), QPoint(100, 50), QPoint(423, 199), QPoint(211, 120)}) {
        EXPECT_EQ(picture.pixel(p), sheet2_.pixel(1654 - 1 - 454 - p.x(), 2339 - 1 - 318 - p.y()))
            << p.x() << "," << p.y();
    }
    EXPECT_EQ(darkestChoice(2), 4);
    ASSERT_EQ(viewer_.showImage(4, 3, false), QString());
    EXPECT_EQ(darkestChoice(3), 5);

    // The option turns every sheet once more.
    ctx_.settings.rotateView = true;
    ASSERT_EQ(viewer_.showImage(4, 2), QString());
    EXPECT_EQ(viewer_.picture(),
              sheet2_.copy(454, 318, 424, 200).convertToFormat(QImage::Format_RGB32));
    ASSERT_EQ(viewer_.showImage(3, 1), QString());
    const QImage& turned = viewer_.picture();
    EXPECT_EQ(turned.pixel(10, 20), sheet1_.pixel(1654 - 1 - 454 - 10, 2339 - 1 - 261 - 20));
}

TEST_F(ImageViewerTest, UsesTheSheetsOffsets) {
    ASSERT_EQ(viewer_.showImage(5, 1, false), QString());
    EXPECT_EQ(darkestChoice(1), 2);
    ASSERT_EQ(viewer_.showImage(5, 4, false), QString());
    EXPECT_EQ(darkestChoice(4), 4);
    tarrow::testing::TableAccess::offsetX(ctx_.table)[3] = 0;
    tarrow::testing::TableAccess::offsetY(ctx_.table)[3] = 0;
    ASSERT_EQ(viewer_.showImage(5, 4, false), QString());
    EXPECT_NE(darkestChoice(4), 4);
}

TEST_F(ImageViewerTest, ShrinksWideCropsToTheScreenWidth) {
    viewer_.setScreenSize(QSize(212, 600));
    ASSERT_EQ(viewer_.showImage(3, 1, false), QString());
    const QImage& picture = viewer_.picture();
    EXPECT_EQ(picture.size(), QSize(424, 200));
    EXPECT_EQ(viewer_.size(), QSize(424, 200));
    // Drawn at half size: the filled first choice, centred at (187, 100)
    // in the full crop, now lies at (94, 50), and its old place is white.
    EXPECT_LT(qGray(picture.pixel(94, 50)), 128);
    EXPECT_EQ(picture.pixel(187, 100), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(300, 50), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(100, 150), qRgb(255, 255, 255));
}

TEST_F(ImageViewerTest, FailedSheetsReportInTheStatusAndEscapeOrCloseOnlyHide) {
    ctx_.table.setMeasurement(4, 1, "-1");
    EXPECT_EQ(viewer_.showImage(4, 1, false),
              QStringLiteral("表示できません：") + ctx_.table.sheetPaths().at(1));
    EXPECT_FALSE(viewer_.isVisible());
    EXPECT_EQ(viewer_.showImage(3, 40, false), QString());
    EXPECT_FALSE(viewer_.isVisible());

    ASSERT_EQ(viewer_.showImage(3, 1, false), QString());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer_));
    QTest::keyClick(&viewer_, Qt::Key_Escape);
    EXPECT_FALSE(viewer_.isVisible());

    viewer_.move(50, 60);
    ASSERT_EQ(viewer_.showImage(3, 2, false), QString());
    EXPECT_EQ(viewer_.pos(), QPoint(0, 0));
    EXPECT_FALSE(viewer_.close());
    EXPECT_FALSE(viewer_.isVisible());
    EXPECT_EQ(viewer_.imageLoads(), 2);
}

}  // namespace
}  // namespace tarrow

namespace tarrow {
namespace {

// Scans Qt cannot decode here (TIFF) are shown through the engine's decoders.
TEST_F(ImageViewerTest, ShowsTiffScansThroughTheEngineDecoders) {
    ASSERT_EQ(viewer_.showImage(3, 1, false), QString());
    const QImage fromJpeg = viewer_.picture();

    const QImage rgb = sheet1_.convertToFormat(QImage::Format_RGB888);
    sheetgen::Image tiff{rgb.width(), rgb.height(), {}};
    for (int y = 0; y < rgb.height(); ++y) {
        const uchar* line = rgb.constScanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            tiff.bgr.insert(tiff.bgr.end(), {line[3 * x + 2], line[3 * x + 1], line[3 * x]});
        }
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("sheet001.tif");
    ASSERT_TRUE(sheetgen::saveImage(path.toStdString(), tiff, sheetgen::Format::Tiff, 200));
    tarrow::testing::TableAccess::sheets(ctx_.table)[0] = path;
    ASSERT_EQ(viewer_.showImage(3, 1, false), QString());
    EXPECT_EQ(viewer_.picture(), fromJpeg);
}

}  // namespace
}  // namespace tarrow
