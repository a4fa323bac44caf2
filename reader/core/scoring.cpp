#include "reader/core/scoring.h"

#include <algorithm>
#include <cmath>

namespace tarrow {

namespace {

const QLatin1Char kBlank(' ');

const QString kNoKeyMessage = QStringLiteral(
    "正答が入力されていません。正答入力行の任意列をクリックして正答を入力してください。");
const QString kKeySheetQuestion =
    QStringLiteral("1行目のｽｷｬﾝ画像を正答入力画像と見なし、1行目から削除します。よろしいですか？");
const QString kPointsSheetQuestion =
    QStringLiteral("1行目のｽｷｬﾝ画像を配点入力画像と見なし、1行目から削除します。よろしいですか？");

QStringList blankParts(const QString& text) {
    return normaliseBlanks(text).split(kBlank, Qt::KeepEmptyParts);
}

PaletteColour scoreColour(const QString& value, const KeyMatcher& key) {
    if (key.matches(value)) return PaletteColour::LightYellow;
    if (value == ResultTable::kNoAnswer) return PaletteColour::LightRed;
    return PaletteColour::LightMagenta;
}

}  // namespace

QString normaliseBlanks(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == kBlank && (out.isEmpty() || out.back() == kBlank)) continue;
        out += c;
    }
    if (out.endsWith(kBlank)) out.chop(1);
    return out;
}

bool isScoredKey(const QString& key) {
    return !key.isEmpty() && key != QLatin1StringView("+") && key != QLatin1StringView("-");
}

KeyMatcher::KeyMatcher(const QString& key, bool multiAnswer)
    : multi_(multiAnswer), parts_(blankParts(key)) {
    if (!multi_) return;
    for (const QString& part : parts_) {
        bool ok = false;
        ints_.push_back(part.toInt(&ok));
        allIntegers_ = allIntegers_ && ok;
    }
}

bool KeyMatcher::matches(const QString& value) const {
    if (!multi_) return parts_.contains(value);
    if (!allIntegers_) return false;
    const QStringList valueParts = blankParts(value);
    if (valueParts.size() != parts_.size()) return false;
    std::vector<int> values;
    values.reserve(std::size_t(valueParts.size()));
    for (const QString& part : valueParts) {
        bool ok = false;
        const int v = part.toInt(&ok);
        if (ok) values.push_back(v);
    }
    return std::all_of(ints_.begin(), ints_.end(), [&](int k) {
        return std::find(values.begin(), values.end(), k) != values.end();
    });
}

bool answerMatches(const QString& value, const QString& key, bool multiAnswer) {
    return KeyMatcher(key, multiAnswer).matches(value);
}

int pointsOf(const QString& pointsCell) {
    const QString text = pointsCell.trimmed();
    if (text.isEmpty()) return 1;
    bool ok = false;
    const int points = text.toInt(&ok);
    if (ok) return points;
    const double real = text.toDouble(&ok);
    if (ok && std::isfinite(real) && std::fabs(real) < 2e9) return int(std::lround(real));
    return 0;
}

QStringList questionNumberFields(const ResultTable& table) {
    QStringList fields{QStringLiteral("設問番号")};
    int running = 0;
    for (int c = 1; c <= table.questionCount(); ++c) {
        fields.append(isScoredKey(table.key(c)) ? QString::number(++running) : QString());
    }
    return fields;
}

bool colourScores(ResultTable& table, Prompter& prompter) {
    const int n = table.questionCount();
    bool anyScored = false;
    for (int c = 1; c <= n; ++c) anyScored = anyScored || isScoredKey(table.key(c));
    if (!anyScored) {
        prompter.message(kNoKeyMessage, Prompter::Icon::Warning);
        return false;
    }
    for (int c = 1; c <= n; ++c) {
        const QString& key = table.key(c);
        const bool scored = isScoredKey(key);
        const KeyMatcher matcher(key, table.isMultiAnswerColumn(c));
        for (int r = ResultTable::kFirstSheetRow; r < table.rows(); ++r) {
            // A failed sheet answered nothing, even where the key expects "-1".
            const PaletteColour colour = !scored ? PaletteColour::White
                                         : table.isFailedRow(r)
                                             ? PaletteColour::LightRed
                                             : scoreColour(table.text(r, c), matcher);
            table.setColour(r, c, colour);
        }
    }
    return true;
}

bool takeFirstSheetAs(ResultTable& table, Prompter& prompter, FirstSheetRole role) {
    if (table.rows() <= ResultTable::kFirstSheetRow) return false;
    const bool key = role == FirstSheetRole::AnswerKey;
    const auto answer = key ? prompter.question(QuestionId::TakeKeySheet, kKeySheetQuestion)
                            : prompter.question(QuestionId::TakePointsSheet, kPointsSheetQuestion);
    if (answer != Prompter::Answer::Yes) return false;
    const int target = key ? ResultTable::kKeyRow : ResultTable::kPointsRow;
    for (int c = 1; c <= table.questionCount(); ++c) {
        table.setText(target, c, table.answer(1, c));
    }
    table.removeSheetRow(ResultTable::kFirstSheetRow);
    table.setSaved(false);
    return true;
}

}  // namespace tarrow
