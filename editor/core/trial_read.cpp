#include "editor/core/trial_read.h"

#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "editor/core/definition_file.h"
#include "engine/image/image_loader.h"
#include "engine/image/jfif_density.h"
#include "engine/recognition/sheet_reading.h"

namespace dravel {
namespace {

constexpr int kTenthChoice = 10;
constexpr int kThresholdDigits = 6;

/// The reliability as the reading application sees it: its "%.1f" text.
double shownReliability(double reliability) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", reliability);
    return std::strtod(text, nullptr);
}

void takeReview(const strovik::CellReview& review, QuestionReading& r) {
    for (const int choice : review.chosen) r.chosen.push_back(choice - 1);
    r.doubt = review.doubt;
    r.blank = r.chosen.empty() || review.doubt == strovik::ReviewKind::NoMark;
    r.doubtful = !r.blank && review.doubt != strovik::ReviewKind::None;
}

QuestionReading judgeSingle(int answer, double reliability, int marked,
                            const strovik::ReviewSettings& settings) {
    QuestionReading r;
    r.reliability = reliability;
    takeReview(strovik::reviewSingle(answer, shownReliability(reliability), marked, settings), r);
    return r;
}

QuestionReading judgeMulti(const std::vector<int>& dots, double reliability,
                           const strovik::ReviewSettings& settings) {
    QuestionReading r;
    r.multi = true;
    r.reliability = reliability;
    r.dots = dots;
    takeReview(
        strovik::reviewSeveral(std::vector<std::int64_t>(dots.begin(), dots.end()), settings), r);
    // A question in the dot band is doubtful even when nothing was chosen.
    if (r.doubt == strovik::ReviewKind::Band) {
        r.blank = false;
        r.doubtful = true;
    }
    return r;
}

Point fromEngine(strovik::Point p) {
    return {p.x, p.y};
}

/// A threshold as the user typed it: at least one decimal ("2.0", "2.25").
QString thresholdText(double value) {
    QString text = QString::number(value, 'g', kThresholdDigits);
    if (!text.contains(u'.') && !text.contains(u'e')) text += QStringLiteral(".0");
    return text;
}

}  // namespace

TrialResult runTrialRead(const EditorState& state, const std::string& imagePath,
                         const strovik::ReaderReview& review) {
    TrialResult result;
    result.imagePath = imagePath;
    std::optional<strovik::Raster> raster = strovik::loadImageFile(imagePath);
    if (!raster) {
        result.status = kTrialImageNotLoaded;
        return result;
    }
    strovik::SheetDefinition def = strovik::sheetDefinitionFrom(definitionContent(state));
    // As the reading application reads: the engine answers with its darkest
    // choice and the review rule applies the no-mark threshold; the no-mark
    // percentage and the several-marks multiplier are the reader's.
    def.noMarkMin = 0.0;
    def.noMarkMinDots = review.noMarkedPercent;
    def.multiMarkedMultiply = review.multiMarkedMultiply;
    def.debugPath.clear();
    strovik::ReadOptions options;
    options.density = strovik::readJfifDensity(imagePath).value_or(strovik::Density{});
    strovik::SheetResult read = strovik::readSheet(std::move(*raster), def, options);
    result.status = read.status;
    result.rotated = read.rotated;
    for (std::size_t i = 0; i < 3; ++i) {
        result.foundZeroMarks[i] = fromEngine(read.alignment.found[i]);
    }
    if (!read.ok()) return result;
    result.alignment = read.alignment;

    result.questions.resize(read.answers.size());
    for (std::size_t q = 0; q < read.answers.size(); ++q) {
        result.questions[q] =
            judgeSingle(read.answers[q], read.reliability[q], read.marked[q], review.rule);
    }
    for (std::size_t k = 0; k < def.multiQuestions.size() && k < read.dots.size(); ++k) {
        const int q = def.multiQuestions[k];
        // A question listed twice is read at its first place only.
        if (q < 0 || q >= int(result.questions.size()) || read.dots[k].empty()) continue;
        result.questions[std::size_t(q)] =
            judgeMulti(read.dots[k], read.reliability[std::size_t(q)], review.rule);
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

// ---- Dots ----------------------------------------------------------------------

std::optional<DotsAdvice> adviseDots(std::vector<std::int64_t> counts, std::int64_t threshold) {
    if (counts.size() < 2) return std::nullopt;
    std::sort(counts.begin(), counts.end());
    // The widest gap between neighbours; the lowest one on ties.
    std::size_t split = 0;
    std::int64_t widest = -1;
    for (std::size_t i = 0; i + 1 < counts.size(); ++i) {
        const std::int64_t gap = counts[i + 1] - counts[i];
        if (gap > widest) {
            widest = gap;
            split = i;
        }
    }
    DotsAdvice advice;
    advice.highestUnmarked = counts[split];
    advice.lowestMarked = counts[split + 1];
    if (advice.lowestMarked < kMinMarkedDots || advice.lowestMarked < 2 * advice.highestUnmarked) {
        return std::nullopt;
    }
    advice.warn = advice.lowestMarked <= threshold || advice.highestUnmarked > threshold;
    advice.suggested = (advice.highestUnmarked + advice.lowestMarked) / 2;
    return advice;
}

std::vector<std::int64_t> severalAnswerDots(const std::vector<TrialResult>& results) {
    std::vector<std::int64_t> counts;
    for (const TrialResult& result : results) {
        for (const QuestionReading& q : result.questions) {
            if (q.multi) counts.insert(counts.end(), q.dots.begin(), q.dots.end());
        }
    }
    return counts;
}

// ---- Texts ---------------------------------------------------------------------

TrialCounts countTrial(const TrialResult& result) {
    TrialCounts counts;
    counts.questions = int(result.questions.size());
    for (const QuestionReading& q : result.questions) {
        if (q.blank) {
            ++counts.noMark;
            continue;
        }
        switch (q.doubt) {
            case strovik::ReviewKind::Faint:
                ++counts.faint;
                break;
            case strovik::ReviewKind::Doubled:
                ++counts.doubled;
                break;
            case strovik::ReviewKind::Band:
                ++counts.band;
                break;
            case strovik::ReviewKind::NoMark:
            case strovik::ReviewKind::None:
                break;
        }
    }
    return counts;
}

QString trialSummary(const TrialResult& result) {
    const TrialCounts c = countTrial(result);
    return QStringLiteral(u"試し読み: %1問  ﾏｰｸ無し %2問  要確認 %3問")
        .arg(c.questions)
        .arg(c.noMark)
        .arg(c.doubtful());
}

QString imageSummary(const TrialResult& result) {
    const QString name = QFileInfo(QString::fromStdString(result.imagePath)).fileName();
    if (result.status == kTrialImageNotLoaded) {
        return QStringLiteral(u"%1: 画像を読み込めません").arg(name);
    }
    if (result.status != 0) {
        return QStringLiteral(u"%1: ゼロマークが見つかりません").arg(name);
    }
    const TrialCounts c = countTrial(result);
    return QStringLiteral(u"%1: %2問  ﾏｰｸ無し %3問  薄い %4問  二重ﾏｰｸ %5問  ﾄﾞｯﾄ境界 %6問")
        .arg(name)
        .arg(c.questions)
        .arg(c.noMark)
        .arg(c.faint)
        .arg(c.doubled)
        .arg(c.band);
}

QString dotsWarning(const std::optional<DotsAdvice>& advice, std::int64_t threshold) {
    if (!advice || !advice->warn) return {};
    if (advice->lowestMarked <= threshold) {
        return QStringLiteral(
                   u"複数回答のﾏｰｸのﾄﾞｯﾄ数 (最小 %1) が閾値 %2 以下のため読み取れません。"
                   u"閾値 %3 を推奨します。")
            .arg(advice->lowestMarked)
            .arg(threshold)
            .arg(advice->suggested);
    }
    return QStringLiteral(
               u"ﾏｰｸの無い選択肢のﾄﾞｯﾄ数 (最大 %1) が閾値 %2 を超えています。"
               u"閾値 %3 を推奨します。")
        .arg(advice->highestUnmarked)
        .arg(threshold)
        .arg(advice->suggested);
}

QString readingText(int question, const QuestionReading& reading, bool tenToZero) {
    QString value;
    for (int c : reading.chosen) {
        if (!value.isEmpty()) value += u' ';
        value += QString::number(tenToZero && c + 1 == kTenthChoice ? 0 : c + 1);
    }
    if (value.isEmpty()) value = QStringLiteral("-1");
    char reliability[32];
    std::snprintf(reliability, sizeof reliability, "%.1f", reading.reliability);
    QString text = QStringLiteral(u"試し読み %1問目: 読取値=%2  信頼度=%3")
                       .arg(question + 1)
                       .arg(value, QString::fromLatin1(reliability));
    if (reading.multi) {
        QStringList dots;
        for (int d : reading.dots) dots << QString::number(d);
        text += QStringLiteral(u"  ﾄﾞｯﾄ=%1").arg(dots.join(u','));
    }
    switch (reading.doubt) {
        case strovik::ReviewKind::NoMark:
            text += QStringLiteral(u"  (ﾏｰｸ無し)");
            break;
        case strovik::ReviewKind::Faint:
            text += QStringLiteral(u"  (要確認: 薄い)");
            break;
        case strovik::ReviewKind::Doubled:
            text += QStringLiteral(u"  (要確認: 二重ﾏｰｸ)");
            break;
        case strovik::ReviewKind::Band:
            text += QStringLiteral(u"  (要確認: ﾄﾞｯﾄ境界)");
            break;
        case strovik::ReviewKind::None:
            if (reading.blank) text += QStringLiteral(u"  (ﾏｰｸ無し)");
            break;
    }
    return text;
}

QString reviewBasis(const strovik::ReaderReview& review) {
    const QString yesNo[] = {QStringLiteral(u"なし"), QStringLiteral(u"あり")};
    QString text = QStringLiteral(
                       u"判定基準: %1 (ﾏｰｸ無し %2, 薄い %3, ﾄﾞｯﾄ数 %4±%5, 二重ﾏｰｸ灰色 %6, "
                       u"二重ﾏｰｸ倍率 %7, ﾏｰｸ無し面積 %8%, 10→0 %9)")
                       .arg(review.stored ? QStringLiteral(u"Tarrowの設定")
                                          : QStringLiteral(u"Tarrowの既定値"))
                       .arg(thresholdText(review.rule.noMark), thresholdText(review.rule.faint))
                       .arg(review.rule.multiValue)
                       .arg(review.rule.multiRange)
                       .arg(yesNo[review.rule.showSeveral ? 1 : 0])
                       .arg(thresholdText(review.multiMarkedMultiply))
                       .arg(review.noMarkedPercent)
                       .arg(yesNo[review.tenToZero ? 1 : 0]);
    if (!review.malformed.empty()) {
        QStringList names;
        for (const std::string_view name : review.malformed) {
            names << QString::fromLatin1(name.data(), qsizetype(name.size()));
        }
        text += QStringLiteral(u"  不正な値のため既定値: %1").arg(names.join(QStringLiteral(", ")));
    }
    return text;
}

}  // namespace dravel
