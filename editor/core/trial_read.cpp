#include "editor/core/trial_read.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/atomic_file.h"
#include "editor/core/definition_file.h"
#include "engine/recognition/engine_core.h"
#include "engine/recognition/review_rule.h"

namespace dravel {
namespace {

std::vector<int> parseCounts(const std::string& text) {
    std::vector<int> counts;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        counts.push_back(std::atoi(text.substr(start, end - start).c_str()));
        start = end + 1;
    }
    return counts;
}

/// The reliability as the reading application sees it: its "%.1f" text.
double shownReliability(double reliability) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", reliability);
    return std::strtod(text, nullptr);
}

QuestionReading judgeSingle(int answer, double reliability, int marked) {
    QuestionReading r;
    r.reliability = reliability;
    const strovik::CellReview review =
        strovik::reviewSingle(answer, shownReliability(reliability), marked, {});
    for (const int choice : review.chosen) r.chosen.push_back(choice - 1);
    r.blank = review.doubt == strovik::ReviewKind::NoMark;
    r.doubtful = !r.blank && review.doubt != strovik::ReviewKind::None;
    return r;
}

QuestionReading judgeMulti(const std::string& dotText, double reliability) {
    QuestionReading r;
    r.multi = true;
    r.reliability = reliability;
    r.dots = parseCounts(dotText);
    const strovik::CellReview review =
        strovik::reviewSeveral(std::vector<std::int64_t>(r.dots.begin(), r.dots.end()), {});
    for (const int choice : review.chosen) r.chosen.push_back(choice - 1);
    r.doubtful = review.doubt != strovik::ReviewKind::None;
    r.blank = r.chosen.empty();
    return r;
}

Point fromEngine(strovik::Point p) {
    return {p.x, p.y};
}

}  // namespace

std::optional<TrialResult> runTrialRead(const EditorState& state) {
    QTemporaryDir folder;
    if (!folder.isValid()) return std::nullopt;
    const std::string definitionPath =
        QFile::encodeName(folder.filePath(QStringLiteral("trial.ini"))).toStdString();
    if (!velmora::writeFileAtomically(definitionPath, definitionBytes(state))) return std::nullopt;

    strovik::EngineCore engine;
    engine.readDefinition(definitionPath);
    // As the reading application reads: the engine answers with its darkest
    // choice and the review rule applies the no-mark threshold.
    engine.definition().noMarkMin = 0.0;
    int rotated = 0;
    TrialResult result;
    // No write-back: the engine's copy of the definition is thrown away.
    result.status = engine.run(state.imagePath, std::string(), rotated);
    result.rotated = rotated != 0;
    for (std::size_t i = 0; i < 3; ++i) {
        result.foundZeroMarks[i] = fromEngine(engine.alignment().found[i]);
    }
    if (result.status != strovik::kRunOk) return result;
    result.alignment = engine.alignment();

    const strovik::QuestionResults& r = engine.results();
    const strovik::SheetDefinition& def = engine.definition();
    result.questions.resize(r.answers.size());
    for (std::size_t q = 0; q < r.answers.size(); ++q) {
        result.questions[q] = judgeSingle(r.answers[q], r.reliability[q], r.marked[q]);
    }
    for (std::size_t k = 0; k < def.multiQuestions.size() && k < r.dots.size(); ++k) {
        const int q = def.multiQuestions[k];
        if (q < 0 || q >= int(result.questions.size())) continue;
        result.questions[std::size_t(q)] = judgeMulti(r.dots[k], r.reliability[std::size_t(q)]);
    }
    return result;
}

Point shownPosition(const TrialResult& result, Point engineImage, int width, int height) {
    if (!result.rotated) return engineImage;
    return {width - 1 - engineImage.x, height - 1 - engineImage.y};
}

Point readPosition(const TrialResult& result, Point defined, int width, int height) {
    const strovik::Point mapped = result.alignment.map({defined.x, defined.y});
    return shownPosition(result, {mapped.x, mapped.y}, width, height);
}

QString readingText(int question, const QuestionReading& reading) {
    QString value;
    for (int c : reading.chosen) {
        if (!value.isEmpty()) value += u' ';
        value += QString::number(c + 1);
    }
    if (value.isEmpty()) value = QStringLiteral("-1");
    char reliability[32];
    std::snprintf(reliability, sizeof reliability, "%.1f", reading.reliability);
    QString text = QStringLiteral(u"試し読み %1問目: 読取値=%2  信頼度=%3")
                       .arg(question + 1)
                       .arg(value, QString::fromLatin1(reliability));
    if (reading.blank) {
        text += QStringLiteral(u"  (ﾏｰｸ無し)");
    } else if (reading.doubtful) {
        text += QStringLiteral(u"  (要確認)");
    }
    return text;
}

}  // namespace dravel

namespace dravel {

QString trialSummary(const TrialResult& result) {
    int blank = 0;
    int doubtful = 0;
    for (const QuestionReading& q : result.questions) {
        if (q.blank) {
            ++blank;
        } else if (q.doubtful) {
            ++doubtful;
        }
    }
    return QStringLiteral(u"試し読み: %1問  ﾏｰｸ無し %2問  要確認 %3問")
        .arg(result.questions.size())
        .arg(blank)
        .arg(doubtful);
}

}  // namespace dravel
