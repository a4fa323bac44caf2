#include "reader/core/pdf_conversion.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <memory>

#include "engine/image/tiff_pages.h"

namespace tarrow {
namespace {

/// How long one wait for a program lasts before window events run again.
constexpr int kPollMs = 50;
/// How long a program may take to start.
constexpr int kStartMs = 10'000;

QString withSeparator(const QString& folder) {
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString findTool(const QString& applicationFolder, const QString& name) {
    const QFileInfo bundled(withSeparator(applicationFolder) + name + u'/' + name);
    if (!applicationFolder.isEmpty() && bundled.isFile() && bundled.isExecutable()) {
        return bundled.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(name);
}

}  // namespace

PdfTools findPdfTools(const QString& applicationFolder) {
    return {findTool(applicationFolder, QStringLiteral("pdfimages")),
            findTool(applicationFolder, QStringLiteral("convert"))};
}

ToolCommand pdfimagesCommand(const PdfTools& tools, const QString& pdfPath, const QString& prefix) {
    return {tools.pdfimages, {QStringLiteral("-j"), QStringLiteral("-q"), pdfPath, prefix}};
}

ToolCommand convertCommand(const PdfTools& tools, const QString& source, const QString& target) {
    return {tools.convert, {source, target}};
}

QString outputPrefix(const QString& outputFolder, const QString& pdfPath) {
    return withSeparator(outputFolder) + QFileInfo(pdfPath).completeBaseName();
}

QStringList matchingOutputs(const QString& folder, const QString& base, const QString& extension) {
    const QString marker = base + u'-';
    QStringList found;
    const QStringList names =
        QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString& name : names) {
        if (name.toLower().contains(extension) && name.contains(marker)) {
            found << withSeparator(folder) + name;
        }
    }
    return found;
}

ToolRun PdfConversion::runTool(const ToolCommand& command) {
    feedback_.setStatus(kConvertingStatus);
    if (command.program.isEmpty()) return ToolRun::NotStarted;
    auto process = std::make_unique<QProcess>();
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(command.program, command.arguments, QIODevice::NotOpen);
    if (!process->waitForStarted(kStartMs)) return ToolRun::NotStarted;

    QElapsedTimer timer;
    timer.start();
    while (process->state() != QProcess::NotRunning) {
        if (timer.elapsed() >= timeoutMs_) {
            // Not waited for any longer: the conversion goes on with what the
            // program wrote so far. A program hung this long is stopped
            // rather than left running unowned behind the window.
            process->kill();
            process->waitForFinished(kStartMs);
            return ToolRun::TimedOut;
        }
        process->waitForFinished(kPollMs);
        feedback_.processEvents();
    }
    const bool ok = process->exitStatus() == QProcess::NormalExit && process->exitCode() == 0;
    feedback_.setStatus(ok ? kConvertedStatus : kConvertFailedStatus);
    return ok ? ToolRun::Succeeded : ToolRun::ExitFailed;
}

bool PdfConversion::convertBitmaps(const QString& folder, const QString& base,
                                   const QString& extension, QStringList* images, bool* found) {
    const QStringList sources = matchingOutputs(folder, base, extension);
    *found = !sources.isEmpty();
    for (const QString& source : sources) {
        const QFileInfo info(source);
        const QString target =
            withSeparator(info.path()) + info.completeBaseName() + QStringLiteral(".jpg");
        if (runTool(convertCommand(tools_, source, target)) == ToolRun::NotStarted) {
            lastError_ = QStringLiteral("cannot start convert: ") + tools_.convert;
            return false;
        }
        if (QFile::exists(source) && QFile::exists(target)) QFile::remove(source);
        *images << target;
    }
    return true;
}

namespace {

/// TIFF files are split rather than handed to pdfimages.
bool isTiffInput(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QStringLiteral("tif") || suffix == QStringLiteral("tiff") ||
           strovik::tiffPageCount(path.toStdString()).has_value();
}

QString tiffPagePath(const QString& outputFolder, const QString& tiffPath, int page) {
    return outputPrefix(outputFolder, tiffPath) + QString::asprintf("-%03d.tif", page);
}

}  // namespace

bool PdfConversion::splitTiff(const QString& tiffPath, const QString& outputFolder,
                              QStringList* images) {
    feedback_.setStatus(kConvertingStatus);
    const strovik::TiffSplitResult split = strovik::splitTiffPages(
        tiffPath.toStdString(),
        [&](int page) { return tiffPagePath(outputFolder, tiffPath, page).toStdString(); });
    for (const std::string& page : split.written) *images << QString::fromStdString(page);
    lastError_ = QString::fromStdString(split.error);
    return split.error.empty();
}

bool PdfConversion::convertOne(const QString& pdfPath, const QString& outputFolder,
                               QStringList* images) {
    if (isTiffInput(pdfPath)) return splitTiff(pdfPath, outputFolder, images);
    const ToolCommand extract =
        pdfimagesCommand(tools_, pdfPath, outputPrefix(outputFolder, pdfPath));
    if (runTool(extract) == ToolRun::NotStarted) {
        lastError_ = QStringLiteral("cannot start pdfimages: ") + tools_.pdfimages;
        return false;
    }

    const QString base = QFileInfo(pdfPath).completeBaseName();
    const QStringList jpegs = matchingOutputs(outputFolder, base, QStringLiteral(".jpg"));
    if (!jpegs.isEmpty()) {
        *images << jpegs;
        return true;
    }
    bool found = false;
    if (!convertBitmaps(outputFolder, base, QStringLiteral(".pbm"), images, &found)) return false;
    if (found) return true;
    return convertBitmaps(outputFolder, base, QStringLiteral(".ppm"), images, &found);
}

PdfConversion::Result PdfConversion::convert(const QStringList& pdfPaths,
                                             const QString& outputFolder) {
    Result result;
    for (const QString& pdf : pdfPaths) {
        lastError_.clear();
        if (!convertOne(pdf, outputFolder, &result.images)) {
            feedback_.setStatus(kConvertFailedStatus);
            result.error = lastError_;
            return result;
        }
    }
    result.completed = true;
    feedback_.setStatus(kConvertedStatus);
    return result;
}

}  // namespace tarrow
