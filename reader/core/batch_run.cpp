#include "reader/core/batch_run.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

#include "reader/core/save_results.h"  // mayDiscard()

namespace tarrow {

namespace {

constexpr int kMinValidDpi = 72;
constexpr int kPauseBetweenImagesMs = 10;
constexpr double kMultiplyScale = 1000.0;

// What the user reads.
const QString kNoImages = QStringLiteral("スキャン画像ファイルを指定してください");
const QString kNoDefinition = QStringLiteral("マーク情報ファイルを指定してください");
const QString kDefinitionMissing = QStringLiteral("マーク情報ファイルが存在しません：");
const QString kFolderEntry = QStringLiteral("フォルダ名は指定できません：");
const QString kMissingEntry = QStringLiteral("入力ファイルが存在しません：");
const QString kDefinitionNotRegular =
    QStringLiteral("マーク情報ファイルが通常のファイルではありません：");
const QString kDefinitionRefused =
    QStringLiteral("マーク情報ファイルの設問数または選択肢数が多すぎるため読み取れません：");
const QString kNotRegularEntry = QStringLiteral("入力ファイルが通常のファイルではありません：");
const QString kUnsavableNameEntry = QStringLiteral(
    "カンマや改行を含む画像ファイル名は読取値CSVファイルに保存できないため読み取れません：");
const QString kPdfEntry = QStringLiteral(
    "PDFファイルは「PDF→JPG」ボタンを押してJPEG画像に変換してから入力してください： ");
const QString kPreparing = QStringLiteral("準備中...");
const QString kStopped = QStringLiteral("処理中断");
const QString kDpiMismatch =
    QStringLiteral("マーク情報ファイルと入力画像ファイルのスキャン解像度が異なります。");
const QString kCropFolderTitle =
    QStringLiteral("切り出し画像を出力するフォルダを選択してください。");
const QString kReadError = QStringLiteral("読取エラーが発生しました：");
const QString kSkipAllQuestion =
    QStringLiteral("エラーを全てスキップして残りの処理を継続しますか？");
const QString kCrLf = QStringLiteral("\r\n");

/// Removes blanks (not tabs or line breaks) at both ends.
QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    return text.mid(begin, end - begin);
}

/// Rounds to the nearest integer (halves to even, as the settings'
/// conversion always did); nullopt when out of range.
std::optional<int> roundedInteger(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<int>::min() || rounded > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return int(rounded);
}

/// A number typed into a settings box, times `scale`, rounded; nullopt when
/// the text is not a number.
std::optional<int> integerSetting(const QString& text, double scale = 1.0) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok) return std::nullopt;
    return roundedInteger(value * scale);
}

QString folderWithSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

/// Split at commas; an empty text is an empty list.
QStringList splitList(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(u',');
}

}  // namespace

struct BatchRun::Sheet {
    QString result;
    QString reliability;
    QString markedCounts;
    QStringList multiQuestions;
    QStringList multiDots;
    int rotated = 0;
    int skew = 0;
};

PaintOutcome paintWithSettings(ResultTable& table, const AppSettings& settings) {
    ThresholdTexts thresholds;
    thresholds.noMark = settings.noMarkValue;
    thresholds.faintMark = settings.markValue;
    thresholds.multiValue = settings.multiValue;
    thresholds.multiRange = settings.multiRange;
    PaintOptions options;
    options.tenToZero = settings.tenToZero;
    options.multiMarked = settings.multiMarked;
    return paintColor(table, thresholds, options);
}

std::optional<QString> definitionProblem(const QString& definitionPath) {
    if (trimBlanks(definitionPath).isEmpty()) return kNoDefinition;
    const QFileInfo info(definitionPath);
    if (!info.exists() || info.isDir()) return kDefinitionMissing + definitionPath;
    // A FIFO or a device would block the engine or never end.
    if (!info.isFile()) return kDefinitionNotRegular + definitionPath;
    return std::nullopt;
}

QStringList parseInputList(const QString& inputList, Prompter& prompter) {
    QStringList entries;
    QString current;
    for (const QChar c : inputList) {
        const bool lineBreakOrBlank = (c == u'\n' || c == u'\r' || c == u' ');
        if (lineBreakOrBlank && current.isEmpty()) continue;
        if (c == u'\r') {
            entries << trimBlanks(current);
            current.clear();
            prompter.setStatus(kPreparing + QString::number(entries.size() + 1));
            prompter.processEvents();
            continue;
        }
        current += c;
    }
    if (!trimBlanks(current).isEmpty()) entries << current;
    return entries;
}

std::optional<QString> inputEntryProblem(const QStringList& entries) {
    for (const QString& entry : entries) {
        const QFileInfo info(entry);
        if (info.isDir()) return kFolderEntry + entry;
        if (!info.exists()) return kMissingEntry + entry;
        if (info.suffix().toLower() == QStringLiteral("pdf")) return kPdfEntry + entry;
        if (!info.isFile()) return kNotRegularEntry + entry;
        // The label is a field of the unquoted read-values file: a comma or a
        // line break in it would shift every value when the file is read back.
        const QString label = imageLabel(entry);
        if (label.contains(u',') || label.contains(u'\r') || label.contains(u'\n')) {
            return kUnsavableNameEntry + entry;
        }
    }
    return std::nullopt;
}

BatchResult BatchRun::run(const BatchInputs& inputs, bool keepAnswerKey) {
    result_ = BatchResult{};
    QStringList entries;
    if (!checkInputs(inputs, &entries)) return result_;
    // A fresh run replaces the table; a kept key means the caller (the CSV
    // opener) has already replaced it.
    if (!keepAnswerKey && !mayDiscard(table_, prompter_)) return result_;
    result_.sheetCount = int(entries.size());

    stop_ = false;
    prompter_.setRunning(true);
    dpiWarningPending_ = true;
    if (!prepareEngine(inputs.definitionPath)) return failed();
    if (definitionRefused_) {
        prompter_.message(kDefinitionRefused + inputs.definitionPath, Prompter::Icon::Warning);
        prompter_.setRunning(false);
        return result_;
    }
    resetRunState(entries, keepAnswerKey, inputs.definitionPath);

    const int count = result_.sheetCount;
    for (int s = 1; s <= count; ++s) {
        if (stop_) return stopped();
        prompter_.setProgress(s - 1, count);
        const Step step = readImage(s, entries[s - 1], inputs.debugImages);
        if (step == Step::Stop) return stopped();
        if (step == Step::Fail) return failed();
    }
    prompter_.setProgress(count, count);
    finish(inputs.definitionPath);
    result_.outcome = BatchOutcome::Completed;
    return result_;
}

bool BatchRun::checkInputs(const BatchInputs& inputs, QStringList* entries) {
    if (trimBlanks(inputs.inputList).isEmpty()) {
        prompter_.message(kNoImages, Prompter::Icon::Warning);
        return false;
    }
    if (const auto problem = definitionProblem(inputs.definitionPath)) {
        prompter_.message(*problem, Prompter::Icon::Warning);
        return false;
    }
    prompter_.setDpiLabel(QString());
    prompter_.setStatus(QString());
    *entries = parseInputList(inputs.inputList, prompter_);
    if (const auto problem = inputEntryProblem(*entries)) {
        prompter_.message(*problem, Prompter::Icon::Warning);
        return false;
    }
    return true;
}

bool BatchRun::prepareEngine(const QString& definitionPath) {
    if (!engine_.putIniFilename(definitionPath.toStdString())) return false;
    // A definition with more questions than the engine holds is refused by
    // it as a whole; the run says so instead of failing every sheet.
    const std::optional<bool> refused = engine_.definitionRefused();
    if (!refused) return false;
    definitionRefused_ = *refused;
    if (definitionRefused_) return true;
    if (!engine_.setNoMarkMin1000(0)) return false;
    const std::optional<int> noMarkDots = integerSetting(settings_.noMarkedPercent);
    if (!noMarkDots || !engine_.setNoMarkMinDots(*noMarkDots)) return false;
    const std::optional<int> editorDpi = engine_.editorDpiX();
    if (!editorDpi) return false;
    editorDpi_ = *editorDpi;
    const std::optional<int> multiply =
        integerSetting(settings_.multiMarkedThreshold, kMultiplyScale);
    return multiply && engine_.setMultiMarkedMultiply1000(*multiply);
}

void BatchRun::resetRunState(const QStringList& entries, bool keepAnswerKey,
                             const QString& definitionPath) {
    if (keepAnswerKey) {
        table_.reuseMarks();
    } else {
        table_.initMarks(definitionPath);
    }
    table_.sheetPaths() = entries;
    table_.offsetX().assign(std::size_t(entries.size()) + 1, 0);
    table_.offsetY().assign(std::size_t(entries.size()) + 1, 0);
    skipAll_ = false;
    result_.cropFolder.clear();
    cropFolderAsked_ = false;
}

BatchRun::Step BatchRun::readImage(int s, const QString& path, bool debugImages) {
    const QString label = imageLabel(path);
    prompter_.setStatus(QStringLiteral("処理中(%1/%2)... ").arg(s).arg(result_.sheetCount) + label);
    prompter_.processEvents();
    prompter_.pause(kPauseBetweenImagesMs);

    if (!checkResolution(path)) return Step::Fail;
    if (!engine_.putImageFilename(path.toStdString())) return Step::Fail;
    if (!prepareCrops(path)) return Step::Fail;
    if (!setImageOptions(path, debugImages)) return Step::Fail;
    const std::optional<int> status = engine_.run();
    if (!status) return Step::Fail;
    if (*status != 0) return handleReadError(s, label);
    return storeReadSheet(s, label) ? Step::Next : Step::Fail;
}

bool BatchRun::checkResolution(const QString& path) {
    const std::optional<int> dpi = engine_.dpiX(path.toStdString());
    if (!dpi) return false;
    const int imageDpi = *dpi;
    if (editorDpi_ < kMinValidDpi || imageDpi < kMinValidDpi) return true;
    prompter_.setDpiLabel(QString::number(imageDpi) + QStringLiteral("dpi"));
    if (imageDpi != editorDpi_ && dpiWarningPending_) {
        dpiWarningPending_ = false;
        prompter_.message(kDpiMismatch + kCrLf + kCrLf + QStringLiteral("マーク情報ファイル=") +
                              QString::number(editorDpi_) + QStringLiteral("dpi") +
                              QStringLiteral("  入力画像ファイル=") + QString::number(imageDpi) +
                              QStringLiteral("dpi"),
                          Prompter::Icon::Warning);
    }
    return true;
}

bool BatchRun::prepareCrops(const QString& path) {
    const std::optional<int> areas = engine_.imageAreaCount();
    if (!areas) return false;
    if (*areas <= 0) return true;
    if (!cropFolderAsked_) {
        cropFolderAsked_ = true;
        result_.cropFolder = prompter_.chooseFolder(kCropFolderTitle);
    }
    if (result_.cropFolder.isEmpty()) return true;
    const QString prefix =
        folderWithSeparator(result_.cropFolder) + QFileInfo(path).completeBaseName();
    return engine_.setImageAreaJpegFile(prefix.toStdString());
}

bool BatchRun::setImageOptions(const QString& path, bool debugImages) {
    const std::optional<int> scale = integerSetting(settings_.imageScale);
    if (!scale || !engine_.setImageScaleRatePercent(*scale)) return false;
    const std::optional<int> sharpen = integerSetting(settings_.sharpenRate);
    if (!sharpen || !engine_.setImageSharpenRate(*sharpen)) return false;
    if (debugImages) {
        const QFileInfo info(path);
        const QString debugPath = folderWithSeparator(info.path()) + QStringLiteral("debug-") +
                                  info.completeBaseName() + QStringLiteral(".jpg");
        // The diagnostic pass's status is not examined: the next Run decides.
        if (!engine_.setDebugFilename(debugPath.toStdString()) || !engine_.run()) return false;
    }
    return engine_.setDebugFilename({});
}

BatchRun::Step BatchRun::handleReadError(int s, const QString& label) {
    if (!skipAll_) {
        const Prompter::Answer answer = prompter_.question(
            QuestionId::SkipReadErrors, kReadError + label + kCrLf + kCrLf + kSkipAllQuestion);
        if (answer != Prompter::Answer::Yes) return Step::Stop;
        skipAll_ = true;
    }
    table_.recordErrorRow(s, label);
    ++result_.failedSheets;
    return Step::Next;
}

bool BatchRun::storeReadSheet(int s, const QString& label) {
    Sheet sheet;
    std::string result;
    std::string reliability;
    if (!engine_.getResult(result, reliability)) return false;
    sheet.result = QString::fromStdString(result);
    sheet.reliability = QString::fromStdString(reliability);
    const auto counts = engine_.markedCounts();
    const auto multi = engine_.multiQuestions();
    if (!counts || !multi) return false;
    sheet.markedCounts = QString::fromStdString(*counts);
    sheet.multiQuestions = splitList(QString::fromStdString(*multi));
    for (int j = 0; j < sheet.multiQuestions.size(); ++j) {
        const auto dots = engine_.multiDotsPerQuestion(j);
        if (!dots) return false;
        sheet.multiDots << QString::fromStdString(*dots);
    }
    const auto rotated = engine_.rotated();
    const auto skew = engine_.skewSize();
    const auto diffX = engine_.diffZeroX();
    const auto diffY = engine_.diffZeroY();
    if (!rotated || !skew || !diffX || !diffY) return false;
    table_.offsetX()[std::size_t(s)] = *diffX;
    table_.offsetY()[std::size_t(s)] = *diffY;
    table_.storeSheet(s, label, sheet.result, sheet.reliability, sheet.markedCounts, *rotated,
                      *skew, settings_.tenToZero);
    if (!sheet.multiQuestions.isEmpty()) {
        table_.storeMultiAnswerData(s, sheet.multiQuestions, sheet.multiDots);
    }
    return true;
}

void BatchRun::finish(const QString& definitionPath) {
    table_.markFailedSheets();
    // An invalid threshold shows its status only for a moment: the
    // completion status replaces it, as in the window.
    const PaintOutcome paint = paintWithSettings(table_, settings_);
    if (paint.stoppedOnInvalid) prompter_.setStatus(kInvalidThresholdStatus);
    result_.invalidThreshold = paint.stoppedOnInvalid;
    if (!result_.cropFolder.isEmpty()) {
        result_.indexPagesWritten =
            writeIndexPages(definitionPath, result_.cropFolder, table_.sheetPaths(),
                            &result_.indexPages, &result_.indexError);
    }
    prompter_.setRunning(false);
    prompter_.setStatus(QStringLiteral("処理完了: %1件").arg(result_.sheetCount));
    prompter_.beep();
    table_.setSaved(false);
}

BatchResult BatchRun::stopped() {
    prompter_.setRunning(false);
    prompter_.setStatus(kStopped);
    result_.outcome = BatchOutcome::Stopped;
    return result_;
}

BatchResult BatchRun::failed() {
    // The window's buttons go back to idle; the status line stays as it was.
    prompter_.setRunning(false);
    result_.outcome = BatchOutcome::Failed;
    return result_;
}

}  // namespace tarrow
