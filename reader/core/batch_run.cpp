#include "reader/core/batch_run.h"

#include <QDir>
#include <QFileInfo>
#include <cmath>
#include <filesystem>
#include <limits>
#include <map>
#include <system_error>

#include "common/qt/desktop_open.h"  // velmora::folderWithSeparator()
#include "common/text_codec.h"
#include "engine/image/tiff_pages.h"
#include "reader/core/file_name_bytes.h"

namespace tarrow {

namespace {

constexpr int kMinValidDpi = 72;
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
const QString kNotCp932Entry = QStringLiteral(
    "Shift_JISで表せない文字を含む画像ファイル名は"
    "読取値CSVファイルに保存できないため読み取れません。"
    "ファイル名を変更してください：");
const QString kMultiPageEntry = QStringLiteral(
    "複数ページのTIFFファイル（%1ページ）は1枚のシートとして読み取れません。"
    "「PDF→JPG」ボタン（コマンドでは velmora split）で"
    "1ページずつの画像に分割してから入力してください： ");
const QString kPdfEntry = QStringLiteral(
    "PDFファイルは「PDF→JPG」ボタンを押してJPEG画像に変換してから入力してください： ");
const QString kPreparing = QStringLiteral("準備中...");
const QString kStopped = QStringLiteral("処理中断");
const QString kDpiMismatch =
    QStringLiteral("マーク情報ファイルと入力画像ファイルのスキャン解像度が異なります。");
const QString kCropFolderTitle =
    QStringLiteral("切り出し画像を出力するフォルダを選択してください。");
const QString kCropFolderSuffix = QStringLiteral("_切り出し");
const QString kCropsIntoScans =
    QStringLiteral("切り出し画像の出力先がスキャン画像と同じフォルダです：");
const QString kCropsIntoScansQuestion = QStringLiteral(
    "次に読み取るとき切り出し画像もシートとして読み込まれます。このフォルダに出力しますか？");
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

QString proposedCropFolder(const QString& image) {
    QString scans = QDir::cleanPath(QFileInfo(image).absolutePath());
    if (scans.endsWith(u'/')) scans.chop(1);
    return scans + kCropFolderSuffix;
}

bool sameFolder(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    const QString canonicalB = QFileInfo(b).canonicalFilePath();
    if (canonicalA.isEmpty() || canonicalB.isEmpty()) {
        return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) ==
               QDir::cleanPath(QFileInfo(b).absoluteFilePath());
    }
    return canonicalA == canonicalB;
}

SheetRequest sheetRequest(const QString& image, bool debugImages) {
    SheetRequest request;
    request.image = pathBytes(image);
    if (debugImages) {
        const QFileInfo info(image);
        request.debugImage =
            pathBytes(velmora::folderWithSeparator(info.path()) + QStringLiteral("debug-") +
                      info.completeBaseName() + QStringLiteral(".jpg"));
    }
    return request;
}

QString sheetLabel(const QString& image) {
    return displayName(imageLabel(image));
}

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
        // Checked by the name's bytes, which need not be UTF-8.
        const std::string bytes = pathBytes(entry);
        std::error_code ec;
        const std::filesystem::file_status status = std::filesystem::status(bytes, ec);
        if (std::filesystem::is_directory(status)) return kFolderEntry + entry;
        if (!std::filesystem::exists(status)) return kMissingEntry + entry;
        if (QFileInfo(entry).suffix().toLower() == QStringLiteral("pdf")) return kPdfEntry + entry;
        if (!std::filesystem::is_regular_file(status)) return kNotRegularEntry + entry;
        // The label is a field of the unquoted read-values file: a comma or a
        // line break in it would shift every value when the file is read back.
        const QString label = sheetLabel(entry);
        if (label.contains(u',') || label.contains(u'\r') || label.contains(u'\n')) {
            return kUnsavableNameEntry + entry;
        }
        // A character the CP932 file cannot hold would be written as "?":
        // the label would no longer name the image after a save.
        if (holdsRawBytes(label) || !velmora::utf8ToCp932(label.toStdString())) {
            return kNotCp932Entry + entry;
        }
        // The engine reads the first page only; the others would be lost.
        const std::optional<int> pages = strovik::tiffPageCount(bytes);
        if (pages && *pages > 1) return kMultiPageEntry.arg(*pages) + entry;
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
    std::vector<SheetRequest> requests;
    for (const QString& entry : entries)
        requests.push_back(sheetRequest(entry, inputs.debugImages));
    source_.start(requests);

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
    const QString label = sheetLabel(path);
    feedback_.setStatus(QStringLiteral("処理中(%1/%2)... ").arg(s).arg(result_.sheetCount) + label);
    feedback_.processEvents();

    const SheetRequest request = sheetRequest(path, debugImages);
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
        result_.cropFolder = chooseCropFolder(path);
        source_.setCropBases(cropBaseRule());
    }
    if (result_.cropFolder.isEmpty()) return {};
    return pathBytes(cropBaseFor(result_.cropFolder, path));
}

std::function<std::string(const std::string&)> BatchRun::cropBaseRule() const {
    // By the image's bytes, as requested; each answer is cropBaseOf()'s.
    std::map<std::string, QString> images;
    for (const QString& sheet : table_.sheetPaths()) images.emplace(pathBytes(sheet), sheet);
    return [folder = result_.cropFolder, images = std::move(images)](const std::string& image) {
        const auto it = images.find(image);
        if (folder.isEmpty() || it == images.end()) return std::string();
        return pathBytes(cropBaseFor(folder, it->second));
    };
}

bool BatchRun::isScansFolder(const QString& folder) const {
    for (const QString& sheet : table_.sheetPaths()) {
        if (sameFolder(folder, QFileInfo(sheet).absolutePath())) return true;
    }
    return false;
}

QString BatchRun::chooseCropFolder(const QString& image) {
    // The browser opens in a new folder beside the scans, so accepting it at
    // once never mixes crops into the scans; it is removed again when it
    // was made here and left unused (rmdir removes only an empty folder).
    const QString proposal = proposedCropFolder(image);
    const bool made = !QFileInfo::exists(proposal) && QDir().mkdir(proposal);
    QString chosen;
    for (;;) {
        chosen = prompter_.chooseFolder(FolderId::CropFolder, kCropFolderTitle, proposal);
        if (chosen.isEmpty() || !isScansFolder(chosen)) break;
        const Prompter::Answer answer =
            prompter_.question(QuestionId::CropsIntoScans,
                               kCropsIntoScans + chosen + kCrLf + kCrLf + kCropsIntoScansQuestion);
        if (answer == Prompter::Answer::Yes) break;
    }
    if (made && (chosen.isEmpty() || !sameFolder(chosen, proposal))) QDir().rmdir(proposal);
    return chosen;
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

void storeSheetReading(ResultTable& table, int s, const QString& label, const SheetReading& reading,
                       bool tenToZero) {
    table.setOffset(s, reading.offsetX, reading.offsetY);
    table.storeSheet(s, label, fromUtf8(reading.answers), fromUtf8(reading.reliability),
                     fromUtf8(reading.markedCounts), reading.rotated, reading.skew, tenToZero);
    const QStringList questions = splitList(fromUtf8(reading.multiQuestions));
    if (questions.isEmpty()) return;
    QStringList dots;
    for (const std::string& d : reading.multiDots) dots << fromUtf8(d);
    table.storeMultiAnswerData(s, questions, dots);
}

ReviewedSheet reviewedSheet(const SheetReading& reading, const AppSettings& settings) {
    ReviewedSheet sheet;
    if (!reading.read() || reading.answers.empty()) return sheet;
    // The same table, store and re-evaluation as a run: the values are what
    // the result window would show for this sheet.
    ResultTable table;
    table.initMarks(QString());
    table.setSheetPaths({QString()});
    table.resetOffsets();
    storeSheetReading(table, 1, QString(), reading, settings.tenToZero);
    paintWithSettings(table, settings);
    const int row = ResultTable::rowOfSheet(1);
    for (int col = 1; col <= table.questionCount(); ++col) {
        sheet.values << table.text(row, col);
        sheet.review << QString::fromLatin1(strovik::reviewKindName(table.doubt(row, col)));
    }
    return sheet;
}

void BatchRun::storeReading(int s, const QString& label, const SheetReading& reading) {
    storeSheetReading(table_, s, label, reading, settings_.tenToZero);
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
