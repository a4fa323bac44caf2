// A definition drawn over a generated sheet at its true positions, click by
// click: saved, it is the file the generator writes for that layout; the
// test read and the engine read the sheet right with it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "editor/core/definition_file.h"
#include "editor/tests/editor_fixture.h"
#include "engine/recognition/engine_core.h"

namespace dravel::testing {
namespace {

using sheetgen::Mark;

sheetgen::Layout sheetLayout() {
    sheetgen::LayoutParams p;
    p.dpi = 300;
    p.questions = 12;
    p.choices = 4;
    p.columns = 2;
    p.imageAreas = 2;
    p.multiQuestions = {11};
    return sheetgen::makeLayout(p);
}

/// Questions 0-8 one mark each, 9 blank, 10 doubled, 11 (multi) two marks.
sheetgen::Answers sheetAnswers(const sheetgen::Layout& layout, int firstChoice) {
    sheetgen::Answers answers(layout.ovals.size(), std::vector<Mark>(4, Mark::Blank));
    for (int q = 0; q < 9; ++q)
        answers[std::size_t(q)][std::size_t((q + firstChoice) % 4)] = Mark::Filled;
    answers[10][0] = answers[10][2] = Mark::Filled;
    answers[11][1] = answers[11][3] = Mark::Filled;
    return answers;
}

class EndToEnd : public EditorFixture {
protected:
    bool writeSheet(const QString& name, const sheetgen::Answers& answers,
                    const sheetgen::Distortion& distortion) {
        const sheetgen::Image image = sheetgen::renderSheet(layout, answers, distortion, 7);
        return sheetgen::saveImage(QFile::encodeName(name).toStdString(), image,
                                   sheetgen::Format::Jpeg, layout.dpi);
    }

    void drawDefinition() {
        host.zeroRadii.push_back(layout.zeroRadius);
        ASSERT_EQ(document.openDocument(path("sample.jpg")), EditorDocument::OpenResult::Opened);
        host.markSettings.push_back(MarkSettings{4, layout.ovalWidth, layout.ovalHeight});
        for (const sheetgen::Pt& z : layout.zero) click(z.x, z.y);
        ASSERT_TRUE(state().markMode());
        for (const auto& ovals : layout.ovals) {
            click(ovals.front().x, ovals.front().y);
            click(ovals.back().x, ovals.back().y);
        }
        for (int q : layout.multiQuestions) {
            document.placer().enterToggleMode();
            const sheetgen::Pt& oval = layout.ovals[std::size_t(q)][1];
            click(oval.x, oval.y);
        }
        for (const sheetgen::AreaRect& a : layout.areas) {
            document.placer().enterAreaMode();
            const int right = a.x + a.width - 1;
            const int bottom = a.y + a.height - 1;
            click(right, bottom);  // any order of corners will do
            click(a.x, a.y);
            click(a.x, bottom);
            click(right, a.y);
        }
    }

    const sheetgen::Layout layout = sheetLayout();
};

std::vector<int> engineAnswers(const QString& definition, const QString& image) {
    strovik::EngineCore engine;
    engine.readDefinition(QFile::encodeName(definition).toStdString());
    int rotated = 0;
    const int status = engine.run(QFile::encodeName(image).toStdString(), std::string(), rotated);
    EXPECT_EQ(status, strovik::kRunOk);
    return engine.results().answers;
}

TEST_F(EndToEnd, DrawnDefinitionReadsTheSheet) {
    ASSERT_TRUE(writeSheet(path("sample.jpg"), sheetAnswers(layout, 0), {}));
    drawDefinition();
    EXPECT_EQ(state().markCount, 12 * 4);
    EXPECT_EQ(state().areas.size(), 2u);

    // The test read, before anything is saved.
    ASSERT_TRUE(document.trialRead());
    const TrialResult& trial = *document.trial();
    ASSERT_EQ(trial.questions.size(), 12u);
    for (int q = 0; q < 9; ++q) {
        const QuestionReading& r = trial.questions[std::size_t(q)];
        EXPECT_EQ(r.chosen, std::vector<int>{q % 4}) << q;
        EXPECT_FALSE(r.flagged()) << q << " reliability " << r.reliability;
    }
    EXPECT_TRUE(trial.questions[9].blank);
    EXPECT_TRUE(trial.questions[10].flagged());
    EXPECT_TRUE(trial.questions[11].multi);
    EXPECT_EQ(trial.questions[11].chosen, (std::vector<int>{1, 3}));
    EXPECT_FALSE(trial.questions[11].flagged());
    for (int i = 0; i < 3; ++i) {
        const Point found = trial.foundZeroMarks[std::size_t(i)];
        const sheetgen::Pt& z = layout.zero[i];
        EXPECT_NEAR(found.x, z.x, 3) << i;
        EXPECT_NEAR(found.y, z.y, 3) << i;
    }
    const Point read = readPosition(trial, {layout.ovals[4][2].x, layout.ovals[4][2].y},
                                    state().bitmapWidth, state().bitmapHeight);
    EXPECT_NEAR(read.x, layout.ovals[4][2].x, 2);
    EXPECT_NEAR(read.y, layout.ovals[4][2].y, 2);

    // Saved, it is the generator's own definition of the layout.
    host.savePaths.push_back(path("drawn.ini"));
    ASSERT_TRUE(document.saveAs());
    EXPECT_EQ(fileBytes(path("drawn.ini")).toStdString(), sheetgen::definitionText(layout));
    EXPECT_TRUE(host.messages.empty());

    // Another sheet of the same layout, scanned a little off.
    ASSERT_TRUE(writeSheet(path("other.jpg"), sheetAnswers(layout, 1), {9, -6, 0.002}));
    const std::vector<int> answers = engineAnswers(path("drawn.ini"), path("other.jpg"));
    ASSERT_EQ(answers.size(), 12u);
    for (int q = 0; q < 9; ++q) EXPECT_EQ(answers[std::size_t(q)], (q + 1) % 4 + 1) << q;
    EXPECT_EQ(answers[9], -1);
    EXPECT_EQ(answers[11], -1);  // a multi-select question answers with its dots

    // An edit drops the test read: it no longer shows the definition.
    ASSERT_TRUE(document.trial());
    document.placer().keyDown(ViewKey::WiderOval, {.shift = true}, {0, 0});
    EXPECT_FALSE(document.trial());
}

TEST_F(EndToEnd, TestReadNeedsZeroMarksThatAreOnTheSheet) {
    ASSERT_TRUE(writeSheet(path("sample.jpg"), sheetAnswers(layout, 0), {}));
    drawDefinition();
    state().zeroMarks[0] = {layout.zero[0].x + 400, layout.zero[0].y - 500};
    EXPECT_FALSE(document.trialRead());
    EXPECT_EQ(host.messages.back(), MessageId::TrialZeroMarksNotFound);
    state().zeroMarks[1] = Point{};
    EXPECT_FALSE(document.trialRead());
    EXPECT_EQ(host.messages.back(), MessageId::ZeroMarksUnset);
    EXPECT_FALSE(document.trial());
}

// Random sheets of five choices: every clean single mark reads as it is
// without a flag, two marks and no mark are flagged.
TEST_F(EndToEnd, TestReadFlagsExactlyTheBlankAndDoubledQuestions) {
    sheetgen::LayoutParams p;
    p.questions = 40;
    p.choices = 5;
    const sheetgen::Layout five = sheetgen::makeLayout(p);
    ASSERT_TRUE(
        writeBytes(path("five.ini"), QByteArray::fromStdString(sheetgen::definitionText(five))));
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        const sheetgen::Answers answers = sheetgen::randomAnswers(five, seed);
        const sheetgen::Image image = sheetgen::renderSheet(five, answers, {4, -3, 0.001}, seed);
        ASSERT_TRUE(sheetgen::saveImage(QFile::encodeName(path("five.jpg")).toStdString(), image,
                                        sheetgen::Format::Jpeg, five.dpi));
        ASSERT_EQ(document.openDropped(path("five.jpg")), EditorDocument::OpenResult::Opened);
        ASSERT_EQ(document.openDropped(path("five.ini")), EditorDocument::OpenResult::Opened);
        ASSERT_TRUE(document.trialRead());
        const sheetgen::GroundTruth truth = sheetgen::groundTruth(five, answers);
        for (std::size_t q = 0; q < answers.size(); ++q) {
            const QuestionReading& r = document.trial()->questions[q];
            const auto& row = answers[q];
            if (std::count(row.begin(), row.end(), Mark::Faint) > 0) continue;
            switch (truth.filledCount[q]) {
                case 0:
                    EXPECT_TRUE(r.blank) << seed << " q" << q;
                    break;
                case 1:
                    EXPECT_EQ(r.chosen, std::vector<int>{truth.answers[q] - 1})
                        << seed << " q" << q;
                    EXPECT_FALSE(r.flagged())
                        << seed << " q" << q << " reliability " << r.reliability;
                    break;
                default:
                    EXPECT_TRUE(r.flagged()) << seed << " q" << q;
                    break;
            }
        }
    }
}

}  // namespace
}  // namespace dravel::testing

namespace dravel::testing {
namespace {

// Further scans read beside the loaded one, each with its own summary; one
// that cannot be read says so in its own line and spoils nothing else.
TEST_F(EndToEnd, TestReadSummarisesEveryScan) {
    ASSERT_TRUE(writeSheet(path("sample.jpg"), sheetAnswers(layout, 0), {}));
    drawDefinition();
    sheetgen::Answers clean = sheetAnswers(layout, 1);
    clean[9][2] = Mark::Filled;  // no blank question
    clean[10][2] = Mark::Blank;  // no doubled one
    ASSERT_TRUE(writeSheet(path("other.jpg"), clean, {5, -4, 0.001}));
    document.setTrialImages({QFile::encodeName(path("other.jpg")).toStdString(),
                             QFile::encodeName(path("missing.jpg")).toStdString()});
    ASSERT_TRUE(document.trialRead());

    ASSERT_EQ(document.otherTrials().size(), 2u);
    const TrialCounts loaded = countTrial(*document.trial());
    EXPECT_EQ(loaded.questions, 12);
    EXPECT_EQ(loaded.noMark, 1);
    EXPECT_EQ(loaded.doubled, 1);
    const TrialResult& other = document.otherTrials()[0];
    ASSERT_EQ(other.status, 0);
    const TrialCounts second = countTrial(other);
    EXPECT_EQ(second.questions, 12);
    EXPECT_EQ(second.noMark, 0);
    EXPECT_EQ(second.doubtful(), 0);
    for (int q = 0; q < 9; ++q) {
        EXPECT_EQ(other.questions[std::size_t(q)].chosen, std::vector<int>{(q + 1) % 4}) << q;
    }
    EXPECT_EQ(document.otherTrials()[1].status, kTrialImageNotLoaded);

    const QStringList report = document.trialReport();
    ASSERT_GE(report.size(), 3);
    EXPECT_TRUE(report[0].startsWith(QStringLiteral("sample.jpg: 12")));
    EXPECT_TRUE(report[1].startsWith(QStringLiteral("other.jpg: 12")));
    EXPECT_TRUE(report[2].startsWith(QStringLiteral("missing.jpg: ")));
    EXPECT_NE(report[0], report[1]);
    // Clearly marked several-answer bubbles: no dots warning.
    EXPECT_EQ(report.size(), 3);
}

}  // namespace
}  // namespace dravel::testing

namespace dravel::testing {
namespace {

// The dots warning follows the threshold exactly: a marked bubble with just
// the threshold's dots is not read, one more dot and it is.
TEST_F(EndToEnd, DotsWarningAppearsExactlyWhenAMarkedBubbleIsNotAboveTheThreshold) {
    ASSERT_TRUE(writeSheet(path("sample.jpg"), sheetAnswers(layout, 0), {}));
    drawDefinition();
    ASSERT_TRUE(document.trialRead());
    // A copy: the next test read replaces the readings.
    const QuestionReading several = document.trial()->questions[11];
    ASSERT_TRUE(several.multi);
    ASSERT_EQ(several.dots.size(), 4u);
    // Choices 2 and 4 are filled (see sheetAnswers).
    const std::int64_t lowestMarked = std::min(several.dots[1], several.dots[3]);
    const std::int64_t highestBlank = std::max(several.dots[0], several.dots[2]);
    ASSERT_GT(lowestMarked, 2 * highestBlank);
    EXPECT_EQ(document.trialReport().size(), 1);

    strovik::ReviewSettings review;
    review.multiValue = lowestMarked;
    review.multiRange = 0;
    document.setReviewSettings(review);
    ASSERT_TRUE(document.trialRead());
    std::vector<int> stillRead;  // only the darker of the two stays above
    for (const int choice : {1, 3}) {
        if (several.dots[std::size_t(choice)] > lowestMarked) stillRead.push_back(choice);
    }
    EXPECT_EQ(document.trial()->questions[11].chosen, stillRead);
    QStringList report = document.trialReport();
    ASSERT_EQ(report.size(), 2);
    EXPECT_TRUE(report[1].contains(QString::number((highestBlank + lowestMarked) / 2)));
    ASSERT_FALSE(host.statuses.isEmpty());
    EXPECT_TRUE(host.statuses.back().contains(report[1]));

    review.multiValue = lowestMarked - 1;
    document.setReviewSettings(review);
    ASSERT_TRUE(document.trialRead());
    EXPECT_EQ(document.trial()->questions[11].chosen, (std::vector<int>{1, 3}));
    EXPECT_EQ(document.trialReport().size(), 1);
}

}  // namespace
}  // namespace dravel::testing

namespace dravel::testing {
namespace {

// The test read judges with what the reading application stored, read
// afresh at every test read: a faint threshold just above a mark's shown
// reliability flags it, one exactly at it does not (the rule is strict).
TEST_F(EndToEnd, TestReadTakesTheReadersStoredThresholds) {
    ASSERT_TRUE(writeSheet(path("sample.jpg"), sheetAnswers(layout, 0), {}));
    drawDefinition();
    velmora::SettingsStore store(QFile::encodeName(path("config")).toStdString());
    document.setReviewSource([store] { return strovik::loadReaderReview(store); });
    auto set = [&](strovik::StoredText value, const std::string& text) {
        ASSERT_TRUE(store.setValue(strovik::kReaderSettingsRoot, strovik::kReaderSettingsKey,
                                   value.name, text));
    };

    ASSERT_TRUE(document.trialRead());
    EXPECT_FALSE(document.review().stored);
    EXPECT_TRUE(reviewBasis(document.review()).contains(QStringLiteral(u"Tarrowの既定値")));
    const QuestionReading first = document.trial()->questions[0];
    ASSERT_FALSE(first.flagged());
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.1f", first.reliability);
    const double reliability = std::strtod(shown, nullptr);

    set(strovik::reader_values::kMarkValue, shown);
    ASSERT_TRUE(document.trialRead());
    EXPECT_TRUE(document.review().stored);
    EXPECT_EQ(document.review().rule.faint, reliability);
    EXPECT_FALSE(document.trial()->questions[0].flagged());

    char above[32];
    std::snprintf(above, sizeof above, "%.1f", reliability + 0.1);
    set(strovik::reader_values::kMarkValue, above);
    ASSERT_TRUE(document.trialRead());
    EXPECT_EQ(document.trial()->questions[0].doubt, strovik::ReviewKind::Faint);
    EXPECT_TRUE(document.trial()->questions[0].doubtful);
    EXPECT_EQ(document.trial()->questions[0].chosen, first.chosen);  // still read
    EXPECT_TRUE(reviewBasis(document.review()).contains(QStringLiteral(u"Tarrowの設定")));
    EXPECT_TRUE(reviewBasis(document.review()).contains(QString::fromLatin1(above)));

    // A value that is not a number is the default, and the line says so.
    set(strovik::reader_values::kMarkValue, "3,5");
    ASSERT_TRUE(document.trialRead());
    EXPECT_EQ(document.review().rule.faint, 3.0);
    EXPECT_EQ(document.trial()->questions[0].flagged(), reliability < 3.0);
    EXPECT_TRUE(reviewBasis(document.review()).contains(QStringLiteral("MarkValue")));

    // The engine reads with the reader's no-mark percentage: with every
    // sample required dark, no single-answer question is answered.
    set(strovik::reader_values::kNoMarkedPercent, "100");
    ASSERT_TRUE(document.trialRead());
    EXPECT_EQ(document.review().noMarkedPercent, 100);
    EXPECT_TRUE(document.trial()->questions[0].blank);
}

}  // namespace
}  // namespace dravel::testing
