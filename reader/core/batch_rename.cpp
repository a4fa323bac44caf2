#include "reader/core/batch_rename.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>

#include "common/atomic_file.h"
#include "reader/core/csv_text.h"
#include "reader/core/student_number.h"
#include "reader/core/text_normalise.h"

namespace tarrow {

namespace {

const QString kNoPattern = QStringLiteral("列番号が指定されていません。処理を中止します。");
const QString kChooseFolder = QStringLiteral("出力先フォルダを選択してください。");
const QString kNoFolder = QStringLiteral("出力先フォルダが存在しません。処理を中止します。");
const QString kExists = QStringLiteral("は既に存在します。上書きしますか？");
const QString kAborted = QStringLiteral("処理を中止します。");
const QString kFailed = QStringLiteral(
    "エラーが発生しました。「読取値の列番号」を正しく指定してください。処理を中止します。");
// The causes a failed copy is reported with, each followed by the path and
// kAbortLine.
const QString kUnsafeLabel = QStringLiteral("ファイル名として使えない画像名です：");
const QString kMissingImage = QStringLiteral("画像ファイルが存在しません：");
const QString kUnwritableTarget = QStringLiteral("画像ファイルを保存できません：");
const QString kUnwritableLog = QStringLiteral("ログファイルを書き込めません：");
const QString kAbortLine = QStringLiteral("\r\n処理を中止します。");
const QString kDoneHead = QStringLiteral("一括変換処理を完了しました。");
const QString kDoneTail = QStringLiteral("個の画像ファイルを保存しました。");
const QString kLogName = QStringLiteral("log.txt");
const QString kJpg = QStringLiteral(".jpg");
const QString kUnsafeChars = QStringLiteral("\"*>\\':</?|");
constexpr double kLargestColumn = 1e9;

QString withSlash(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

/// A token names a column when it reads as a number (blanks around allowed).
bool columnOfToken(const QString& token, int* column) {
    bool ok = false;
    const double value = token.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kLargestColumn) return false;
    *column = int(std::lround(value));
    return true;
}

QString replacedUnsafe(QString name) {
    for (QChar& c : name) {
        if (kUnsafeChars.contains(c)) c = QLatin1Char('_');
    }
    return name;
}

/// Copies through a temporary file beside the target that is renamed over
/// it, so a failed or interrupted copy never leaves a half-written or lost
/// target.
bool copyReplacing(const QString& source, const QString& target) {
    return velmora::copyFileAtomically(toFsPath(source), toFsPath(target));
}

/// A label names a file in the images folder only when it is a plain file
/// name: no folder part (either separator), not "." or "..", not empty. The
/// sheet list of a loaded read-values file is the images folder followed by
/// the label, so anything else would copy from outside that folder.
bool plainFileName(const QString& label) {
    return !label.isEmpty() && label != QLatin1String(".") && label != QLatin1String("..") &&
           !label.contains(QLatin1Char('/')) && !label.contains(QLatin1Char('\\'));
}

/// The copy lands in the output folder itself (the name carries no folder
/// part once the unsafe characters are replaced; checked all the same).
bool insideFolder(const QString& target, const QString& folder) {
    return QFileInfo(target).absolutePath() == QFileInfo(folder).absoluteFilePath();
}

enum class Step { Copied, Stopped };

struct RenameState {
    const ResultTable& table;
    Prompter& prompter;
    const RenameRequest& request;
    QString folder;
    QStringList tokens;
    QStringList log;
};

Step copySheet(RenameState& st, int s) {
    QString name;
    if (!renamedFileName(st.table, ResultTable::rowOfSheet(s), st.tokens, st.request.prefix,
                         st.request.postfix, &name)) {
        st.prompter.message(kFailed, Prompter::Icon::Warning);
        return Step::Stopped;
    }
    if (!QFileInfo(st.folder).isDir()) {
        st.prompter.message(kNoFolder, Prompter::Icon::Warning);
        return Step::Stopped;
    }
    const auto stop = [&](const QString& cause, const QString& what) {
        st.prompter.message(cause + what + kAbortLine, Prompter::Icon::Warning);
        return Step::Stopped;
    };
    const QString label = st.table.label(s);
    if (!plainFileName(label)) return stop(kUnsafeLabel, label);
    const QString target = withSlash(st.folder) + name;
    if (!insideFolder(target, st.folder)) return stop(kUnsafeLabel, name);
    const QString source = st.table.sheetPath(s);
    if (!QFileInfo(source).isFile()) return stop(kMissingImage, source);
    if (QFileInfo::exists(target) &&
        st.prompter.question(QuestionId::ReplaceRenamedCopy,
                             target + QStringLiteral("\r\n") + kExists) != Prompter::Answer::Yes) {
        st.prompter.message(kAborted, Prompter::Icon::Warning);
        return Step::Stopped;
    }
    if (!copyReplacing(source, target)) return stop(kUnwritableTarget, target);
    st.log.append(source + QStringLiteral(" -> ") + target);
    return Step::Copied;
}

}  // namespace

QStringList renameTokens(const QString& pattern) {
    const QString text = toHalfWidth(normaliseCommas(pattern));
    QStringList tokens = text.split(QLatin1Char(','));
    if (tokens.size() == 1) tokens = text.split(QLatin1Char('\t'));
    if (tokens.size() == 1) tokens = text.split(QLatin1Char(' '));
    return tokens;
}

bool renamedFileName(const ResultTable& table, int row, const QStringList& tokens,
                     const QString& prefix, const QString& postfix, QString* name) {
    const TextGrid& grid = table.grid();
    const std::optional<NumberRun> numberRun = numberRunOf(table);
    QString out = prefix;
    for (const QString& token : tokens) {
        int column = 0;
        if (!columnOfToken(token, &column)) {
            out += token;
            continue;
        }
        if (column < 0 || column >= grid.cols() || row < 0 || row >= grid.rows()) return false;
        // The last column of the student-number run stands for the whole
        // number, as the read-values file holds it there.
        if (numberRun && column == numberRun->last) {
            const QString number = studentNumberAt(table, row, *numberRun);
            if (!number.isEmpty()) {
                out += number;
                continue;
            }
        }
        out += QString(grid.text(row, column)).remove(kJpg, Qt::CaseSensitive);
    }
    *name = replacedUnsafe(out + postfix + kJpg);
    return true;
}

RenameSummary runBatchRename(const ResultTable& table, Prompter& prompter,
                             const RenameRequest& request) {
    RenameSummary summary;
    if (request.pattern.isEmpty()) {
        prompter.message(kNoPattern, Prompter::Icon::Warning);
        return summary;
    }
    RenameState st{table,   prompter,
                   request, prompter.chooseFolder(FolderId::RenameTarget, kChooseFolder),
                   {},      {}};
    if (st.folder.isEmpty()) return summary;
    st.tokens = renameTokens(request.pattern);
    const QString logPath = withSlash(request.dataFolder) + kLogName;
    QFile::remove(logPath);

    bool stopped = false;
    for (int s = 1; s <= table.sheetCount() && !stopped; ++s) {
        stopped = copySheet(st, s) == Step::Stopped;
        if (!stopped) ++summary.copied;
    }
    const bool logged = st.log.isEmpty() || writeLinesAtomically(logPath, st.log);
    if (!st.log.isEmpty() && logged) summary.logPath = logPath;
    if (stopped) return summary;
    if (!logged) {
        prompter.message(kUnwritableLog + logPath + kAbortLine, Prompter::Icon::Warning);
        return summary;
    }
    if (!summary.logPath.isEmpty() && request.openLog) request.openLog(summary.logPath);
    prompter.message(kDoneHead + QString::number(table.sheetCount()) + kDoneTail,
                     Prompter::Icon::Information);
    summary.completed = true;
    return summary;
}

}  // namespace tarrow
