#include "reader/core/batch_run.h"

#include <QFileInfo>
#include <cmath>
#include <limits>

#include "common/qt/desktop_open.h"  // velmora::folderWithSeparator()

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

/// Split at commas; an empty text is an empty list.
QStringList splitList(const QString& text) {
    return text.isEmpty() ? QStringList() : text.split(u',');
}

QString fromUtf8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QString cropBaseFor(const QString& folder, const QString& image) {
    return velmora::folderWithSeparator(folder) + QFileInfo(image).completeBaseName();
}

std::optional<ReadingSettings> readingSettings(const AppSettings& settings,
                                               const QString& definitionPath) {
    const std::optional<int> noMarkDots = integerSetting(settings.noMarkedPercent);
    const std::optional<int> multiply =
        integerSetting(settings.multiMarkedThreshold, kMultiplyScale);
    const std::optional<int> scale = integerSetting(settings.imageScale);
    const std::optional<int> sharpen = integerSetting(settings.sharpenRate);
    if (!noMarkDots || !multiply || !scale || !sharpen) return std::nullopt;
    ReadingSettings reading;
    reading.definition = definitionPath.toStdString();
    reading.noMarkedDots = *noMarkDots;
    reading.multiply1000 = *multiply;
    reading.scalePercent = *scale;
    reading.sharpenRate = *sharpen;
    return reading;
}

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

QStringList parseInputList(const QString& inputList, RunFeedback& feedback) {
    QStringList entries;
    QString current;
    for (const QChar c : inputList) {
        const bool lineBreakOrBlank = (c == u'\n' || c == u'\r' || c == u' ');
        if (lineBreakOrBlank && current.isEmpty()) continue;
        if (c == u'\r') {
            entries << trimBlanks(current);
            current.clear();
            feedback.setStatus(kPreparing + QString::number(entries.size() + 1));
            feedback.processEvents();
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

bool mayStartNewRun(const ResultTable& table, Prompter& prompter) {
    if (table.saved()) return true;
    return prompter.question(QuestionId::DiscardUnsaved, kNewRunQuestion) == Prompter::Answer::Yes;
}

BatchResult BatchRun::run(const BatchInputs& inputs, bool keepAnswerKey) {
    result_ = BatchResult{};
    QStringList entries;
    if (!checkInputs(inputs, &entries)) return result_;
    // A fresh run replaces the table; a kept key means the caller (the CSV
    // opener) has already replaced it.
    if (!keepAnswerKey && !inputs.replaceAgreed && !mayStartNewRun(table_, prompter_)) {
        return result_;
    }
    result_.sheetCount = int(entries.size());

    stop_ = false;
    feedback_.setRunning(true);
    dpiWarningPending_ = true;
    const std::optional<ReadingSettings> reading =
        readingSettings(settings_, inputs.definitionPath);
    if (!reading) return failed();
    reading_ = *reading;
    const std::optional<EnginePreparation> prepared = source_.prepare(reading_);
    if (!prepared) return failed();
    // A definition with more questions than the engine holds is refused by
    // it as a whole; the run says so instead of failing every sheet.
    if (prepared->refused) {
        prompter_.message(kDefinitionRefused + inputs.definitionPath, Prompter::Icon::Warning);
        feedback_.setRunning(false);
        return result_;
    }
    editorDpi_ = prepared->editorDpi;
    resetRunState(entries, keepAnswerKey, inputs.definitionPath);

    const int count = result_.sheetCount;
    for (int s = 1; s <= count; ++s) {
        if (stop_) return stopped();
        feedback_.setProgress(s - 1, count);
        const Step step = readImage(s, entries[s - 1], inputs.debugImages);
        if (step == Step::Stop) return stopped();
        if (step == Step::Fail) return failed();
    }
    feedback_.setProgress(count, count);
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
    feedback_.setDpiLabel(QString());
    feedback_.setStatus(QString());
    *entries = parseInputList(inputs.inputList, feedback_);
    if (const auto problem = inputEntryProblem(*entries)) {
        prompter_.message(*problem, Prompter::Icon::Warning);
        return false;
    }
    return true;
}

void BatchRun::resetRunState(const QStringList& entries, bool keepAnswerKey,
                             const QString& definitionPath) {
    if (keepAnswerKey) {
        table_.reuseMarks();
    } else {
        table_.initMarks(definitionPath);
    }
    table_.setSheetPaths(entries);
    table_.resetOffsets();
    skipAll_ = false;
    result_.cropFolder.clear();
    cropFolderAsked_ = false;
}

BatchRun::Step BatchRun::readImage(int s, const QString& path, bool debugImages) {
    const QString label = imageLabel(path);
    feedback_.setStatus(QStringLiteral("処理中(%1/%2)... ").arg(s).arg(result_.sheetCount) + label);
    feedback_.processEvents();
    feedback_.pause(kPauseBetweenImagesMs);

    SheetRequest request;
    request.image = path.toStdString();
    if (debugImages) {
        const QFileInfo info(path);
        request.debugImage = (velmora::folderWithSeparator(info.path()) + QStringLiteral("debug-") +
                              info.completeBaseName() + QStringLiteral(".jpg"))
                                 .toStdString();
    }
    ReadingHooks hooks;
    hooks.resolution = [this](int imageDpi) { showResolution(imageDpi); };
    hooks.cropBase = [this, &path] { return cropBaseOf(path); };
    const std::optional<SheetReading> reading = source_.read(reading_, request, hooks);
    if (!reading) return Step::Fail;
    if (!reading->read()) return handleReadError(s, label);
    storeReading(s, label, *reading);
    return Step::Next;
}

void BatchRun::showResolution(int imageDpi) {
    if (editorDpi_ < kMinValidDpi || imageDpi < kMinValidDpi) return;
    feedback_.setDpiLabel(QString::number(imageDpi) + QStringLiteral("dpi"));
    if (imageDpi != editorDpi_ && dpiWarningPending_) {
        dpiWarningPending_ = false;
        prompter_.message(kDpiMismatch + kCrLf + kCrLf + QStringLiteral("マーク情報ファイル=") +
                              QString::number(editorDpi_) + QStringLiteral("dpi") +
                              QStringLiteral("  入力画像ファイル=") + QString::number(imageDpi) +
                              QStringLiteral("dpi"),
                          Prompter::Icon::Warning);
    }
}

std::string BatchRun::cropBaseOf(const QString& path) {
    // The folder is asked once a run, at the first image with image areas;
    // a cancelled dialog means no crops for the whole run.
    if (!cropFolderAsked_) {
        cropFolderAsked_ = true;
        result_.cropFolder = prompter_.chooseFolder(FolderId::CropFolder, kCropFolderTitle);
    }
    if (result_.cropFolder.isEmpty()) return {};
    return cropBaseFor(result_.cropFolder, path).toStdString();
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

void BatchRun::storeReading(int s, const QString& label, const SheetReading& reading) {
    table_.setOffset(s, reading.offsetX, reading.offsetY);
    table_.storeSheet(s, label, fromUtf8(reading.answers), fromUtf8(reading.reliability),
                      fromUtf8(reading.markedCounts), reading.rotated, reading.skew,
                      settings_.tenToZero);
    const QStringList questions = splitList(fromUtf8(reading.multiQuestions));
    if (questions.isEmpty()) return;
    QStringList dots;
    for (const std::string& d : reading.multiDots) dots << fromUtf8(d);
    table_.storeMultiAnswerData(s, questions, dots);
}

void BatchRun::finish(const QString& definitionPath) {
    table_.markFailedSheets();
    // An invalid threshold shows its status only for a moment: the
    // completion status replaces it, as in the window.
    const PaintOutcome paint = paintWithSettings(table_, settings_);
    if (paint.stoppedOnInvalid) feedback_.setStatus(kInvalidThresholdStatus);
    result_.invalidThreshold = paint.stoppedOnInvalid;
    if (!result_.cropFolder.isEmpty()) {
        result_.indexPagesWritten =
            writeIndexPages(definitionPath, result_.cropFolder, table_.sheetPaths(),
                            &result_.indexPages, &result_.indexError);
    }
    feedback_.setRunning(false);
    feedback_.setStatus(QStringLiteral("処理完了: %1件").arg(result_.sheetCount));
    feedback_.beep();
    table_.setSaved(false);
}

BatchResult BatchRun::stopped() {
    feedback_.setRunning(false);
    feedback_.setStatus(kStopped);
    result_.outcome = BatchOutcome::Stopped;
    return result_;
}

BatchResult BatchRun::failed() {
    // The window's buttons go back to idle; the status line stays as it was.
    feedback_.setRunning(false);
    result_.outcome = BatchOutcome::Failed;
    return result_;
}

}  // namespace tarrow
