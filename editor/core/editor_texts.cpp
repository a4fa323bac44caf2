#include "editor/core/editor_texts.h"

#include <QStringList>
#include <array>
#include <cstdio>

namespace dravel {
namespace {

const QString kError = QStringLiteral(u"エラー");
const QString kNotice = QStringLiteral(u"注意");

struct MessageText {
    MessageId id;
    const char16_t* text;
    bool error;  ///< caption "エラー", else "注意"
};

constexpr std::array<MessageText, 12> kMessages{{
    {MessageId::ImageLoadFailed, u"画像ファイルの読み込みに失敗しました。", true},
    {MessageId::LowResolution, u"入力画像のスキャン解像度は%1dpiです。", false},
    {MessageId::LoadImageFirst, u"先に画像ファイルを読み込んでください。", true},
    {MessageId::PdfRefused,
     u"PDFファイルは、読取りプログラムの「PDF→JPG」ボタンでJPEG画像に変換してから読み込んでくだ"
     u"さい。",
     true},
    {MessageId::NotImageOrDefinition, u"画像ファイルまたはマーク情報ファイルを入力してください。",
     false},
    {MessageId::ZeroMarksUnset, u"基準点が設定されていません。", true},
    {MessageId::SaveFailed, u"保存に失敗しました。", true},
    {MessageId::DefinitionUnreadable, u"マーク情報ファイルとして読み込めませんでした。", true},
    {MessageId::TrialZeroMarksNotFound,
     u"基準点が見つからないため、試し読みできませんでした。基準点の位置と半径を確かめてください。",
     true},
    {MessageId::DefinitionBeyondLimits,
     u"このマーク情報ファイルは上限を超えているため読み込めません（1問の選択肢は%1個、マークは%"
     u"2個、"
     u"切り出し画像は%3個まで）。",
     true},
    {MessageId::ChoicesBeyondLimit, u"選択肢数は1から%1までの範囲で指定してください。", false},
    {MessageId::BlockBeyondLimits,
     u"このブロックは上限を超えるため配置できません（設問は%1問、1問の選択肢は%2個、マークは%3個"
     u"まで）。",
     true},
}};

QString formatted(const char* format, int a, int b) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, a, b);
    return QString::fromLatin1(buffer);
}

QString blockPrompt(const EditorState& state) {
    switch (state.step) {
        case 1:
            if (state.selectedCount > 0) {
                return QStringLiteral(
                           u"%1問目～%2問目を選択中: ﾄﾞﾗｯｸﾞか矢印ｷｰで移動、Ctrl+ﾄﾞﾗｯｸﾞでｺﾋﾟｰ、"
                           u"Deleteで削除")
                    .arg(state.selectedFirst + 1)
                    .arg(state.selectedFirst + state.selectedCount);
            }
            return QStringLiteral(
                u"ﾌﾞﾛｯｸの1問目の1番目の選択肢をｸﾘｯｸしてください（ﾏｰｸのｸﾘｯｸで選択、"
                u"Shift+ｸﾘｯｸで範囲選択）。");
        case 2:
            return QStringLiteral(u"ﾌﾞﾛｯｸの1問目の最後の選択肢をｸﾘｯｸしてください。");
        case 3:
            return QStringLiteral(u"ﾌﾞﾛｯｸの最後の問題の1番目の選択肢をｸﾘｯｸしてください。");
        default:
            return QString();
    }
}

}  // namespace

Message messageFor(MessageId id, int number) {
    for (const MessageText& m : kMessages) {
        if (m.id != id) continue;
        QString text = QString::fromUtf16(m.text);
        if (id == MessageId::LowResolution) text = text.arg(number);
        if (id == MessageId::ChoicesBeyondLimit) text = text.arg(kMaxChoices);
        if (id == MessageId::BlockBeyondLimits)
            text = text.arg(kMaxQuestions).arg(kMaxChoices).arg(kMaxMarks);
        if (id == MessageId::DefinitionBeyondLimits)
            text = text.arg(kMaxChoices).arg(kMaxMarks).arg(kMaxAreas);
        return {id, text, m.error ? kError : kNotice};
    }
    return {id, QString(), kError};
}

Question questionFor(QuestionId id, const QString& documentName) {
    switch (id) {
        case QuestionId::DeleteArea:
            return {id, QStringLiteral(u"この切り出し画像を削除します。よろしいですか？"),
                    QStringLiteral(u"切り出し画像範囲を削除")};
        case QuestionId::SaveChanges:
            return {id, QStringLiteral(u"%1 への変更を保存しますか?").arg(documentName),
                    kFrameTitle};
    }
    return {id, QString(), kFrameTitle};
}

QString statusText(const EditorState& state, Point pointer) {
    const Point p1 = state.points[0];
    const Point p2 = state.points[1];
    QString text = formatted("(%d,%d)", pointer.x, pointer.y);
    text += p1.x < 0 || p1.y < 0 ? QStringLiteral(u"  始点=未設定")
                                 : QStringLiteral(u"  始点=") + formatted("(%d,%d)", p1.x, p1.y);
    text += p2.x < 0 || p2.y < 0 ? QStringLiteral(u"  終点=未設定")
                                 : QStringLiteral(u"  終点=") + formatted("(%d,%d)", p2.x, p2.y);
    if (state.angle == 0.0) {
        text += QStringLiteral(u"  傾斜=未設定");
    } else {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%f", state.angle);
        text += QStringLiteral(u"  傾斜=") + QString::fromLatin1(buffer) + QStringLiteral(" rad");
    }
    return text;
}

QString blockPlacedText(int questions, int choices, const std::vector<int>& replaced) {
    QString text = QStringLiteral(u"ブロック %1 × %2 を配置しました").arg(questions).arg(choices);
    if (replaced.empty()) return text;
    QStringList runs;
    for (std::size_t i = 0; i < replaced.size();) {
        std::size_t end = i + 1;
        while (end < replaced.size() && replaced[end] == replaced[end - 1] + 1) ++end;
        const int from = replaced[i] + 1;
        const int to = replaced[end - 1] + 1;
        runs << (from == to ? QString::number(from) : QStringLiteral(u"%1–%2").arg(from).arg(to));
        i = end;
    }
    return text + QStringLiteral(u"（設問 %1 を置き換え）").arg(runs.join(QStringLiteral(u"、")));
}

QString movePrompt(const EditorState& state) {
    if (state.toggleMode) {
        return QStringLiteral(u"単一選択/複数選択を切替える問題のﾏｰｸをｸﾘｯｸしてください");
    }
    if (state.drag.active()) return QStringLiteral(u"ﾏｰｸ移動ﾓｰﾄﾞ");
    if (state.zeroMarkMode) {
        // The usual places follow the engine: marks 1 and 2 form the bottom
        // baseline (its default positions), mark 3 sits above mark 1.
        switch (state.step) {
            case 1:
                return QStringLiteral(u"1番目（通常左下）の基準点をｸﾘｯｸしてください。");
            case 2:
                return QStringLiteral(u"2番目（通常右下）の基準点をｸﾘｯｸして下さい。");
            case 3:
                return QStringLiteral(u"3番目（通常左上）の基準点をｸﾘｯｸして下さい。");
            default:
                return QString();
        }
    }
    if (state.blockMode) return blockPrompt(state);
    if (state.areaMode) {
        switch (state.step) {
            case 1:
                return QStringLiteral(u"画像出力範囲の左上をｸﾘｯｸしてください。");
            case 2:
                return QStringLiteral(u"画像出力範囲の右下をｸﾘｯｸしてください。");
            default:
                return QString();
        }
    }
    if (state.step == 1) {
        return QStringLiteral(u"%1問目の1番目の選択肢をｸﾘｯｸしてください。")
            .arg(state.questionCount + 1);
    }
    if (state.step == 2) {
        return QStringLiteral(u"%1問目の最後の選択肢をｸﾘｯｸしてください。")
            .arg(state.questionCount + 1);
    }
    return QString();
}

QString sizesText(const EditorState& state) {
    return QStringLiteral(u"ﾏｰｸ横幅=%1  ﾏｰｸ縦幅=%2  基準点半径=%3")
        .arg(state.ovalWidth)
        .arg(state.ovalHeight)
        .arg(state.zeroRadius);
}

QString frameTitle(const QString& documentName, bool modified) {
    return documentName + (modified ? QStringLiteral("*") : QString()) + QStringLiteral(" - ") +
           kFrameTitle;
}

}  // namespace dravel
