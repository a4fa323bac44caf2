// The engine client over the real component (libstrovik.so of this build,
// registered into a temporary settings folder), and one batch run end to end
// over the bundled sample sheets.
#include "reader/core/engine_client.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "reader/core/batch_run.h"
#include "reader/core/tests/scripted_prompter.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;

const char* const kLibraryPath = VELMORA_BINARY_DIR "/bin/libstrovik.so";
const QString kSamples = QStringLiteral(VELMORA_SOURCE_DIR "/samples");

/// Points the settings store at a fresh folder for the test's lifetime.
class EngineClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(config_.isValid());
        if (const char* old = std::getenv("XDG_CONFIG_HOME")) oldConfig_ = old;
        setenv("XDG_CONFIG_HOME", config_.path().toUtf8().constData(), 1);
        library_ = dlopen(kLibraryPath, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << "build the engine first (ninja strovik): " << dlerror();
    }
    void TearDown() override {
        if (oldConfig_) {
            setenv("XDG_CONFIG_HOME", oldConfig_->c_str(), 1);
        } else {
            unsetenv("XDG_CONFIG_HOME");
        }
    }

    void registerEngine() {
        const auto entry = reinterpret_cast<strovik::DllRegisterServerFunction>(
            dlsym(library_, "DllRegisterServer"));
        ASSERT_NE(entry, nullptr);
        ASSERT_EQ(entry(), strovik::S_OK);
    }
    bool engineIdle() const {
        const auto canUnload =
            reinterpret_cast<strovik::DllCanUnloadNowFunction>(dlsym(library_, "DllCanUnloadNow"));
        return canUnload && canUnload() == strovik::S_OK;
    }
    /// A copy of the sample definition (the engine writes keys back into it).
    QString copyDefinition(const QString& name) const {
        const QString target = work_.path() + u'/' + name;
        QFile::copy(kSamples + QStringLiteral("/sheet.ini"), target);
        return target;
    }

    QTemporaryDir config_;
    QTemporaryDir work_;
    std::optional<std::string> oldConfig_;
    void* library_ = nullptr;
};

TEST_F(EngineClientTest, UnregisteredEngineGivesTheComponentsExplanation) {
    QString error;
    EXPECT_EQ(EngineClient::create(&error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("not registered"))) << error.toStdString();
    EXPECT_TRUE(error.contains(config_.path())) << error.toStdString();
}

TEST_F(EngineClientTest, MethodsCarryTextBothWaysAndTheObjectIsReleased) {
    registerEngine();
    {
        QString error;
        const std::unique_ptr<EngineClient> engine = EngineClient::create(&error);
        ASSERT_NE(engine, nullptr) << error.toStdString();
        EXPECT_FALSE(engineIdle());

        // A non-ASCII path must arrive intact for the engine to read it.
        const QString definition = copyDefinition(QStringLiteral("定義 シート.ini"));
        EXPECT_EQ(engine->putIniFilename(definition.toStdString()), 0);
        EXPECT_EQ(engine->editorDpiX(), 200);

        const std::string image = (kSamples + QStringLiteral("/images/sheet001.jpg")).toStdString();
        EXPECT_EQ(engine->dpiX(image), 200);
        EXPECT_EQ(engine->putImageFilename(image), 0);
        EXPECT_EQ(engine->run(), 0);

        std::string result;
        std::string reliability;
        EXPECT_EQ(engine->getResult(result, reliability), 0);
        EXPECT_EQ(QString::fromStdString(result).split(u',').size(), 30);
        EXPECT_EQ(QString::fromStdString(reliability).split(u',').size(), 30);
        EXPECT_TRUE(result.starts_with("1,5,2,1,")) << result;
        EXPECT_EQ(engine->multiQuestions(), "29");
        EXPECT_EQ(engine->definitionRefused(), false);

        EXPECT_EQ(
            engine->putImageFilename((work_.path() + QStringLiteral("/none.jpg")).toStdString()),
            0);
        EXPECT_EQ(engine->run(), -2);
    }
    EXPECT_TRUE(engineIdle());
}

/// Expected table text of question q (0-based) of a sample sheet.
QString expectedValue(const QJsonObject& truth, int q, bool multi) {
    const QJsonArray marks = truth["marks"].toArray()[q].toArray();
    if (multi) {
        QStringList chosen;
        for (int c = 0; c < marks.size(); ++c) {
            if (marks[c].toString() == u"F") chosen << QString::number(c + 1);
        }
        return chosen.join(u' ');
    }
    const int filled = truth["filled"].toArray()[q].toInt();
    if (filled == 0) return QStringLiteral("-1");
    // A doubled question keeps the engine's darkest choice; the marked count tells.
    return filled == 1 ? QString::number(truth["answers"].toArray()[q].toInt()) : QString();
}

QJsonObject loadTruth(int sheet) {
    QFile file(kSamples + QStringLiteral("/truth/sheet%1.json").arg(sheet, 3, 10, QChar(u'0')));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

TEST_F(EngineClientTest, BatchRunReadsTheSampleSheetsEndToEnd) {
    registerEngine();
    QString error;
    const std::unique_ptr<EngineClient> engine = EngineClient::create(&error);
    ASSERT_NE(engine, nullptr) << error.toStdString();

    constexpr int kSheets = 3;  // straight, upside down, shifted
    QString list;
    for (int s = 1; s <= kSheets; ++s) {
        list += kSamples + QStringLiteral("/images/sheet%1.jpg\r\n").arg(s, 3, 10, QChar(u'0'));
    }
    const QString crops = work_.path() + QStringLiteral("/crops");
    QDir().mkpath(crops);
    ScriptedPrompter prompter;
    prompter.folders.push_back(crops);
    ResultTable table;
    AppSettings settings;
    BatchRun run(*engine, prompter, prompter, table, settings);
    const BatchResult r = run.run(BatchInputs{list, copyDefinition("sheet.ini"), false}, false);

    ASSERT_EQ(r.outcome, BatchOutcome::Completed);
    EXPECT_EQ(r.failedSheets, 0);
    EXPECT_TRUE(prompter.messages.empty());  // same resolution: no warning
    EXPECT_EQ(prompter.dpiLabels.last(), QStringLiteral("200dpi"));
    EXPECT_EQ(prompter.statuses.last(), QStringLiteral("処理完了: 3件"));
    ASSERT_EQ(table.questionCount(), 30);
    EXPECT_EQ(table.grid().text(0, 30), QStringLiteral("*30"));
    EXPECT_EQ(table.grid().text(0, 32), QStringLiteral("歪み"));

    const int n = table.questionCount();
    for (int s = 1; s <= kSheets; ++s) {
        const QJsonObject truth = loadTruth(s);
        ASSERT_FALSE(truth.isEmpty());
        const int row = ResultTable::rowOfSheet(s);
        EXPECT_EQ(table.grid().text(row, 0),
                  QStringLiteral("sheet%1.jpg").arg(s, 3, 10, QChar(u'0')));
        for (int q = 0; q < n; ++q) {
            const QString expected = expectedValue(truth, q, q == 29);
            if (expected.isEmpty() && q != 29) {
                EXPECT_EQ(table.reli().text(row, n + 3 + q), QStringLiteral("2"))
                    << "sheet " << s << " question " << q;
            } else {
                EXPECT_EQ(table.grid().text(row, q + 1), expected)
                    << "sheet " << s << " question " << q;
            }
        }
        EXPECT_TRUE(
            QFile::exists(crops + QStringLiteral("/sheet%1_000.jpg").arg(s, 3, 10, QChar(u'0'))));
    }
    EXPECT_EQ(table.grid().text(ResultTable::rowOfSheet(2), n + 1), QStringLiteral("1"));
    EXPECT_TRUE(r.indexPagesWritten) << r.indexError.toStdString();
    EXPECT_TRUE(QFile::exists(crops + QStringLiteral("/index_000.html")));
}

}  // namespace
}  // namespace tarrow
