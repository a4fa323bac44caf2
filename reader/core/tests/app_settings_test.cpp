#include "reader/core/app_settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <utility>
#include <vector>

namespace tarrow {
namespace {

/// Keeps values by case-insensitive name, as the registry does, and logs
/// every write in order.
class RecordingBackend final : public SettingsBackend {
public:
    std::optional<QString> read(const QString& name) const override {
        const auto it = values.find(name.toLower());
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool write(const QString& name, const QString& text) override {
        writes.emplace_back(name, text);
        values[name.toLower()] = text;
        return !failWrites;
    }
    void set(const QString& name, const QString& text) { values[name.toLower()] = text; }

    std::map<QString, QString> values;
    std::vector<std::pair<QString, QString>> writes;
    bool failWrites = false;
};

using Writes = std::vector<std::pair<QString, QString>>;

TEST(AppSettings, FirstStartTakesEveryDefault) {
    const RecordingBackend empty;
    const AppSettings s = loadAllSettings(empty);
    EXPECT_EQ(s.iniFile, QString());
    EXPECT_FALSE(s.transpose);
    EXPECT_TRUE(s.tenToZero);
    EXPECT_FALSE(s.rotateView);
    EXPECT_EQ(s.imageScale, QStringLiteral("75"));
    EXPECT_EQ(s.sharpenRate, QStringLiteral("30"));
    EXPECT_FALSE(s.multiMarked);
    EXPECT_EQ(s.multiMarkedThreshold, QStringLiteral("2.0"));
    EXPECT_EQ(s.noMarkedPercent, QStringLiteral("10"));
    EXPECT_EQ(s.noMarkValue, QStringLiteral("2.0"));
    EXPECT_EQ(s.markValue, QStringLiteral("3.0"));
    EXPECT_EQ(s.multiValue, QStringLiteral("150"));
    EXPECT_EQ(s.multiRange, QStringLiteral("50"));
    EXPECT_FALSE(s.formTopTwips.has_value());
    EXPECT_FALSE(s.formHeightTwips.has_value());
}

TEST(AppSettings, StoredValuesAreCleanedBeforeTheEmptinessTest) {
    RecordingBackend b;
    b.set("chkTen", " 0\r\n");
    b.set("chkRotate", " 1 ");
    b.set("chkMultiMarked", QString::fromUtf16(u"1\0", 2));
    b.set("txtMultiMarked", "\r\n  ");   // line breaks and blanks only: absent
    b.set("txtNoMarkedPer", " 12 ");     // a text box keeps the text as read
    b.set("ComboImageSize", QString());  // empty: absent
    b.set("IniFile", "/data/sheet 1.ini");
    b.set("NoMarkValue", "   ");
    b.set("MarkValue", "3.5");
    b.set("FormTop", " 4500 ");
    b.set("FormHeight", "-15");
    const AppSettings s = loadAllSettings(b);
    EXPECT_FALSE(s.tenToZero);
    EXPECT_TRUE(s.rotateView);
    EXPECT_TRUE(s.multiMarked);
    EXPECT_EQ(s.multiMarkedThreshold, QStringLiteral("2.0"));
    EXPECT_EQ(s.noMarkedPercent, QStringLiteral(" 12 "));
    EXPECT_EQ(s.imageScale, QStringLiteral("75"));
    EXPECT_EQ(s.iniFile, QStringLiteral("/data/sheet 1.ini"));
    EXPECT_EQ(s.noMarkValue, QStringLiteral("2.0"));
    EXPECT_EQ(s.markValue, QStringLiteral("3.5"));
    EXPECT_EQ(s.formTopTwips, 4500);
    EXPECT_EQ(s.formHeightTwips, -15);
}

TEST(AppSettings, CheckBoxesTakeOnlyZeroOrOne) {
    RecordingBackend b;
    b.set("chkTen", "yes");
    b.set("chkTrans", "2");
    b.set("chkRotate", "1");
    const AppSettings s = loadAllSettings(b);
    EXPECT_TRUE(s.tenToZero);   // not a number: default
    EXPECT_FALSE(s.transpose);  // not a check box value: default
    EXPECT_TRUE(s.rotateView);
}

TEST(AppSettings, CleaningRemovesNulLineBreaksAndBlanksAnywhere) {
    EXPECT_EQ(cleanedSettingText(QString::fromUtf16(u" 1\r\n2 \0 3\n", 10)), QStringLiteral("123"));
    EXPECT_EQ(cleanedSettingText(QStringLiteral("\t")), QStringLiteral("\t"));
}

TEST(AppSettings, SavingWritesEveryValueInItsOrder) {
    RecordingBackend b;
    AppSettings s;
    s.iniFile = "/data/def.ini";
    s.transpose = true;
    s.multiMarked = true;
    s.multiMarkedThreshold = "2.5";
    saveApplicationSettings(b, s);
    const Writes expected = {
        {"_Dummy", " "},           {"IniFile", "/data/def.ini"},
        {"ChkTrans", "1"},         {"chkTen", "1"},
        {"chkRotate", "0"},        {"chkMultiMarked", "1"},
        {"txtMultiMarked", "2.5"}, {"txtNoMarkedPer", "10"},
        {"ComboImageSize", "75"},  {"ComboSharpenRate", "30"},
    };
    EXPECT_EQ(b.writes, expected);
}

TEST(AppSettings, EmptyTextsAreNotSavedSoTheStoredOnesReturn) {
    RecordingBackend b;
    b.set("txtMultiMarked", "1.5");
    b.set("IniFile", "/old.ini");
    AppSettings s = loadAllSettings(b);
    s.multiMarkedThreshold.clear();
    s.iniFile.clear();
    s.imageScale.clear();
    b.failWrites = true;  // a failing write does not stop the next one
    saveApplicationSettings(b, s);
    for (const auto& [name, text] : b.writes) {
        EXPECT_NE(name, QStringLiteral("txtMultiMarked"));
        EXPECT_NE(name, QStringLiteral("IniFile"));
        EXPECT_NE(name, QStringLiteral("ComboImageSize"));
    }
    EXPECT_EQ(b.writes.size(), 7u);
    const AppSettings next = loadAllSettings(b);
    EXPECT_EQ(next.multiMarkedThreshold, QStringLiteral("1.5"));
    EXPECT_EQ(next.iniFile, QStringLiteral("/old.ini"));
    EXPECT_EQ(next.imageScale, QStringLiteral("75"));
}

TEST(AppSettings, WindowValuesAreSavedInTheCloseGuardsOrder) {
    RecordingBackend b;
    AppSettings s;
    s.markValue = "3.5";
    s.multiRange.clear();
    saveWindowSettings(b, s, 4500, 6000);
    const Writes expected = {
        {"FormTop", "4500"},   {"FormHeight", "6000"}, {"MarkValue", "3.5"},
        {"MultiValue", "150"}, {"NoMarkValue", "2.0"},
    };
    EXPECT_EQ(b.writes, expected);
}

TEST(AppSettings, VersionIsWrittenOnlyWhenItDiffers) {
    RecordingBackend b;
    const AppVersion running{3, 1, 7};
    EXPECT_EQ(running.text(), QStringLiteral("3_1_7"));
    EXPECT_TRUE(recordVersion(b, running));
    EXPECT_EQ(b.read("Version"), QStringLiteral("3_1_7"));
    b.set("Version", " 3_1_7\r\n");
    EXPECT_FALSE(recordVersion(b, running));
    EXPECT_TRUE(recordVersion(b, AppVersion{3, 2, 0}));
    EXPECT_EQ(b.read("version"), QStringLiteral("3_2_0"));
}

TEST(AppSettings, WindowPositionUsesStoredDefaultOrCurrentValue) {
    constexpr int kTwipsPerPixel = 15;
    EXPECT_EQ(windowTwips(std::nullopt, 999, AppSettings::kDefaultFormTopPixels, kTwipsPerPixel),
              4500);
    EXPECT_EQ(windowTwips(1200, 999, AppSettings::kDefaultFormTopPixels, kTwipsPerPixel), 1200);
    EXPECT_EQ(windowTwips(0, 999, AppSettings::kDefaultFormHeightPixels, kTwipsPerPixel), 999);
    EXPECT_EQ(windowTwips(-5, 999, AppSettings::kDefaultFormHeightPixels, kTwipsPerPixel), 999);
}

TEST(AppSettings, ResultWindowFillsTheScreenUntilAHeightIsStored) {
    constexpr int kDpi = 96;
    constexpr int kMinimum = 266;
    const WindowSpan screen{0, 1040};  // 1920x1080 less a 40-pixel panel
    const WindowSpan current{10, 300};
    // First opening: the available height, less the title bar.
    WindowSpan span =
        resultWindowSpan(std::nullopt, std::nullopt, current, kDpi, screen, 30, kMinimum);
    EXPECT_EQ(span.top, 0);
    EXPECT_EQ(span.height, 1010);
    // A panel at the top: the window starts below it and still ends at the
    // bottom of the area.
    span = resultWindowSpan(std::nullopt, std::nullopt, current, kDpi, {28, 1052}, 0, kMinimum);
    EXPECT_EQ(span.top, 28);
    EXPECT_EQ(span.height, 1052);
    // A stored top without a height: from there down to the bottom.
    span = resultWindowSpan(4500, std::nullopt, current, kDpi, screen, 0, kMinimum);
    EXPECT_EQ(span.top, 300);
    EXPECT_EQ(span.height, 740);
    // A stored height is the user's: kept as it is, even the 400-pixel one.
    span = resultWindowSpan(std::nullopt, 6000, current, kDpi, screen, 30, kMinimum);
    EXPECT_EQ(span.top, AppSettings::kDefaultFormTopPixels);
    EXPECT_EQ(span.height, 400);
    // At 120 dpi, 12 twips a pixel.
    span = resultWindowSpan(1200, 6000, current, 120, screen, 0, kMinimum);
    EXPECT_EQ(span.top, 100);
    EXPECT_EQ(span.height, 500);
    // Stored but not above 0: the current values.
    span = resultWindowSpan(0, 0, current, kDpi, screen, 0, kMinimum);
    EXPECT_EQ(span.top, 10);
    EXPECT_EQ(span.height, 300);
    // A screen lower than the minimum still gets the minimum.
    span = resultWindowSpan(std::nullopt, std::nullopt, current, kDpi, {0, 200}, 0, kMinimum);
    EXPECT_EQ(span.height, kMinimum);
}

TEST(AppSettings, DefaultButtonsRestoreTheirGroupOnly) {
    AppSettings s;
    s.tenToZero = false;
    s.transpose = true;
    s.rotateView = true;
    s.imageScale = "25";
    s.sharpenRate = "0";
    s.multiMarked = true;
    s.multiMarkedThreshold = "9";
    s.noMarkedPercent = "50";
    s.resetReadOptions();
    EXPECT_TRUE(s.tenToZero);
    EXPECT_FALSE(s.transpose);
    EXPECT_FALSE(s.rotateView);
    EXPECT_EQ(s.imageScale, QStringLiteral("25"));
    s.resetImageOptions();
    EXPECT_EQ(s.imageScale, QStringLiteral("75"));
    EXPECT_EQ(s.sharpenRate, QStringLiteral("30"));
    EXPECT_TRUE(s.multiMarked);
    s.resetMultiMarkedOptions();
    EXPECT_FALSE(s.multiMarked);
    EXPECT_EQ(s.multiMarkedThreshold, QStringLiteral("2.0"));
    EXPECT_EQ(s.noMarkedPercent, QStringLiteral("50"));
    s.resetNoMarkedOptions();
    EXPECT_EQ(s.noMarkedPercent, QStringLiteral("10"));
}

TEST(AppSettings, RegistryKeyIsCreatedAtShutDownAndReadBack) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::filesystem::path root = dir.path().toStdString();
    RegistrySettingsBackend backend{velmora::SettingsStore(root)};
    AppSettings first = loadAllSettings(backend);
    EXPECT_TRUE(first.tenToZero);

    first.transpose = true;
    first.iniFile = QStringLiteral("/データ/定義.ini");
    saveApplicationSettings(backend, first);
    saveWindowSettings(backend, first, 4500, 6000);
    EXPECT_TRUE(
        QFile::exists(dir.path() + "/HKEY_LOCAL_MACHINE/SOFTWARE/velmora/tarrow3/param.ini"));

    // "ChkTrans" is the value that loading reads as "chkTrans".
    const RegistrySettingsBackend again{velmora::SettingsStore(root)};
    EXPECT_EQ(again.read("chktrans"), QStringLiteral("1"));
    EXPECT_EQ(again.read("_Dummy"), QStringLiteral(" "));
    const AppSettings loaded = loadAllSettings(again);
    EXPECT_TRUE(loaded.transpose);
    EXPECT_EQ(loaded.iniFile, QStringLiteral("/データ/定義.ini"));
    EXPECT_EQ(loaded.formTopTwips, 4500);
    EXPECT_EQ(loaded.formHeightTwips, 6000);
    EXPECT_FALSE(again.read("NoSuchValue").has_value());
}

// What the reader saves is what the editor's test read judges with: the
// values go through the store and come out of the review settings module
// as the same numbers, at their limits too; a text the reader keeps but
// that is no number is the default there.
TEST(AppSettings, ReviewValuesSavedByTheReaderReadBackForTheTestRead) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const velmora::SettingsStore store(std::filesystem::path(dir.path().toStdString()));
    RegistrySettingsBackend backend{store};
    EXPECT_FALSE(strovik::loadReaderReview(store).stored);

    AppSettings s;
    s.noMarkValue = QStringLiteral("2.5");
    s.markValue = QStringLiteral(" 4 ");
    s.multiValue = QStringLiteral("2147483647");
    s.multiRange = QStringLiteral("0");
    s.multiMarked = true;
    s.multiMarkedThreshold = QStringLiteral("1.5");
    s.noMarkedPercent = QStringLiteral("12.5");  // a tie: the even neighbour, as the run rounds
    s.tenToZero = false;
    saveApplicationSettings(backend, s);
    saveWindowSettings(backend, s, 4500, 6000);

    strovik::ReaderReview review = strovik::loadReaderReview(store);
    EXPECT_TRUE(review.stored);
    EXPECT_TRUE(review.malformed.empty());
    EXPECT_EQ(review.rule.noMark, 2.5);
    EXPECT_EQ(review.rule.faint, 4.0);
    EXPECT_EQ(review.rule.multiValue, 2147483647);
    EXPECT_EQ(review.rule.multiRange, 0);
    EXPECT_TRUE(review.rule.showSeveral);
    EXPECT_EQ(review.multiMarkedMultiply, 1500 * 0.001);
    EXPECT_EQ(review.noMarkedPercent, 12);
    EXPECT_FALSE(review.tenToZero);
    // The reader reads back its own texts unchanged.
    const AppSettings loaded = loadAllSettings(backend);
    EXPECT_EQ(loaded.markValue, QStringLiteral(" 4 "));
    EXPECT_EQ(loaded.multiValue, QStringLiteral("2147483647"));

    s.noMarkValue = QStringLiteral("2.O");  // a letter O
    s.multiValue = QStringLiteral("2147483648");
    saveWindowSettings(backend, s, 4500, 6000);
    review = strovik::loadReaderReview(store);
    EXPECT_EQ(review.rule.noMark, 2.0);
    EXPECT_EQ(review.rule.multiValue, 150);
    EXPECT_EQ(review.rule.faint, 4.0);  // the others keep their stored values
    EXPECT_EQ(review.malformed.size(), 2u);
    EXPECT_EQ(loadAllSettings(backend).noMarkValue, QStringLiteral("2.O"));
}

}  // namespace
}  // namespace tarrow
