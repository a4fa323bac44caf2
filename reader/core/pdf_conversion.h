// Converting PDF files to JPEG images for the input list: the page images of
// each PDF are extracted with pdfimages into a chosen folder, black-and-white
// and colour pages are turned into JPEG files with convert, and the JPEG
// paths are handed back to be appended to the input list. A TIFF file (by
// its ".tif"/".tiff" name or its content) is split instead, losslessly, into
// one TIFF per page named like pdfimages' output: "<base>-000.tif",
// "<base>-001.tif", ... in page order.
//
// Both programs are started without a shell, with argument lists, so paths
// holding quotes, blanks or "$" reach them unchanged.
#pragma once

#include <QString>
#include <QStringList>

#include "reader/core/run_feedback.h"

namespace tarrow {

/// The two external programs; an empty path means not found.
struct PdfTools {
    QString pdfimages;
    QString convert;
};

/// Looks for "pdfimages/pdfimages" and "convert/convert" under the program's
/// folder first, then for "pdfimages" and "convert" on PATH.
PdfTools findPdfTools(const QString& applicationFolder);

/// One program start: the executable and its arguments.
struct ToolCommand {
    QString program;
    QStringList arguments;
};

/// pdfimages -j -q <pdf> <prefix>
ToolCommand pdfimagesCommand(const PdfTools& tools, const QString& pdfPath, const QString& prefix);
/// convert <source> <target>
ToolCommand convertCommand(const PdfTools& tools, const QString& source, const QString& target);

/// The output prefix of a PDF: the folder with a trailing "/" and the PDF's
/// base name (file name without folder and last extension).
QString outputPrefix(const QString& outputFolder, const QString& pdfPath);

enum class ToolRun {
    Succeeded,   ///< ended with exit code 0
    ExitFailed,  ///< ended with another exit code (or crashed)
    TimedOut,    ///< still running at the limit; left running, not waited for
    NotStarted,  ///< missing or not startable: the conversion stops
};

/// Messages of the status line.
inline const QString kConvertingStatus = QStringLiteral("変換中です。しばらくお待ちください...");
inline const QString kConvertedStatus = QStringLiteral("変換が正常終了しました。");
inline const QString kConvertFailedStatus = QStringLiteral("変換に失敗しました。");

/// The conversion of one selection of PDFs into one output folder.
class PdfConversion {
public:
    /// Each program may run this long before it is no longer waited for.
    static constexpr int kDefaultTimeoutMs = 100'000;

    PdfConversion(PdfTools tools, RunFeedback& feedback, int timeoutMs = kDefaultTimeoutMs)
        : tools_(std::move(tools)), feedback_(feedback), timeoutMs_(timeoutMs) {}

    struct Result {
        /// True when every PDF was processed; false when a program could not
        /// be started (the sequence stopped there).
        bool completed = false;
        /// The JPEG paths (TIFF pages for a TIFF) for the input list, in
        /// order (also those gathered before a stop).
        QStringList images;
        /// Why the sequence stopped (one line), empty when it completed.
        QString error;
    };

    /// Processes the PDFs one after another and leaves the final status
    /// ("変換が正常終了しました。" or "変換に失敗しました。") on the status line.
    Result convert(const QStringList& pdfPaths, const QString& outputFolder);

    /// Runs one program with the status texts of a conversion step: the
    /// waiting text first, then the outcome's (nothing after a time-out).
    /// Window events keep running while it waits.
    ToolRun runTool(const ToolCommand& command);

private:
    /// False when a program could not be started, or a TIFF page could not
    /// be split off.
    bool convertOne(const QString& pdfPath, const QString& outputFolder, QStringList* images);
    /// Converts every matching PBM or PPM file to JPEG; false on a start
    /// failure. `found` tells whether any file matched.
    bool convertBitmaps(const QString& folder, const QString& base, const QString& extension,
                        QStringList* images, bool* found);

    /// Splits a TIFF into its pages; false when a page could not be written
    /// (the pages before it are kept and listed).
    bool splitTiff(const QString& tiffPath, const QString& outputFolder, QStringList* images);

    PdfTools tools_;
    RunFeedback& feedback_;
    QString lastError_;
    int timeoutMs_;
};

/// The files directly in `folder` whose lower-case name contains
/// `extension` (".jpg", ".pbm", ".ppm") and whose name contains `base`
/// followed by "-", as full paths in name order.
QStringList matchingOutputs(const QString& folder, const QString& base, const QString& extension);

}  // namespace tarrow
