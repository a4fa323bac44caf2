// velmora-manual --markdown FILE --out PDF [--images FOLDER]... [--if-changed]
// Renders the user manual, written in Markdown, into an A4 PDF with Qt's
// Markdown reader and PDF writer, in the suite's Japanese font (embedded by
// the PDF writer). Pictures are looked up by file name in the --images
// folders (the screenshots the window tests keep); a picture that is not
// there yet is replaced by its caption, so the manual always builds.
// With --if-changed nothing is done while the PDF is newer than the
// Markdown, every picture found and this program.
// Exit status 0 written (or up to date), 1 failure, 2 usage.
#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <cstdio>

#include "common/desktop/desktop_application.h"

namespace {

constexpr double kMarginMm = 18.0;
constexpr double kBodyPointSize = 10.5;
constexpr int kPdfResolution = 300;
constexpr double kScreenDpi = 96.0;

struct Options {
    QString markdown;
    QString out;
    QStringList imageFolders;
    bool ifChanged = false;
};

bool parse(const QStringList& args, Options& o) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--markdown") && hasValue) {
            o.markdown = args[++i];
        } else if (a == QLatin1String("--out") && hasValue) {
            o.out = args[++i];
        } else if (a == QLatin1String("--images") && hasValue) {
            o.imageFolders << args[++i];
        } else if (a == QLatin1String("--if-changed")) {
            o.ifChanged = true;
        } else {
            return false;
        }
    }
    return !o.markdown.isEmpty() && !o.out.isEmpty();
}

QString findPicture(const QString& name, const Options& o) {
    for (const QString& folder : o.imageFolders) {
        const QFileInfo file(QDir(folder), QFileInfo(name).fileName());
        if (file.isFile() && !QImage(file.absoluteFilePath()).isNull()) {
            return file.absoluteFilePath();
        }
    }
    return {};
}

/// The Markdown with every picture pointing at the file found, or replaced
/// by "（図: caption）" when there is none; `pictures` lists the files used.
QString resolvePictures(const QString& markdown, const Options& o, QStringList& pictures) {
    static const QRegularExpression kPicture(QStringLiteral(R"(!\[([^\]]*)\]\(([^)\s]+)\))"));
    QString out;
    qsizetype last = 0;
    for (const QRegularExpressionMatch& m : kPicture.globalMatch(markdown)) {
        out += markdown.mid(last, m.capturedStart() - last);
        const QString path = findPicture(m.captured(2), o);
        if (path.isEmpty()) {
            out += QStringLiteral(u"*（図: %1）*").arg(m.captured(1));
        } else {
            pictures << path;
            out += QStringLiteral("![%1](%2)")
                       .arg(m.captured(1), QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
        }
        last = m.capturedEnd();
    }
    return out + markdown.mid(last);
}

bool upToDate(const Options& o, const QStringList& pictures, const QString& program) {
    const QFileInfo out(o.out);
    if (!out.exists()) return false;
    for (const QString& input : QStringList{o.markdown, program} + pictures) {
        if (QFileInfo(input).lastModified() >= out.lastModified()) return false;
    }
    return true;
}

/// Pictures at the size a screen shows them (96 per inch), no wider than
/// the text. The sizes are collected first and set afterwards, as setting a
/// format splits the fragments being walked.
void fitPictures(QTextDocument& doc, double textWidth, int resolution) {
    struct Picture {
        int position;
        QTextImageFormat format;
    };
    QList<Picture> pictures;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) continue;
            QTextImageFormat format = fragment.charFormat().toImageFormat();
            const QImage image(QUrl(format.name()).toLocalFile());
            if (image.isNull()) continue;
            // Image sizes count in pixels of a 96-per-inch screen; the
            // layout scales them to the PDF's resolution.
            const double scale = std::min(1.0, textWidth * kScreenDpi / resolution / image.width());
            format.setWidth(image.width() * scale);
            format.setHeight(image.height() * scale);
            for (int i = 0; i < fragment.length(); ++i) {
                pictures.append({fragment.position() + i, format});
            }
        }
    }
    for (const Picture& picture : pictures) {
        QTextCursor cursor(&doc);
        cursor.setPosition(picture.position);
        cursor.setPosition(picture.position + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture.format);
    }
}

bool render(const QString& markdown, const Options& o) {
    QSaveFile file(o.out);
    if (!QDir().mkpath(QFileInfo(o.out).absolutePath()) || !file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "velmora-manual: cannot write %s\n", qPrintable(o.out));
        return false;
    }
    {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                                      QPageLayout::Millimeter));
        pdf.setResolution(kPdfResolution);
        pdf.setTitle(QStringLiteral(u"Velmora3 マニュアル"));
        pdf.setCreator(QStringLiteral("velmora-manual"));

        QTextDocument doc;
        // Font sizes in points become pixels of the PDF's resolution.
        doc.documentLayout()->setPaintDevice(&pdf);
        QFont font(QString::fromLatin1(velmora::kInterfaceFontFamily));
        font.setPointSizeF(kBodyPointSize);
        doc.setDefaultFont(font);
        doc.setMarkdown(markdown);
        const QSizeF page = pdf.pageLayout().paintRectPixels(kPdfResolution).size();
        fitPictures(doc, page.width() - 2 * doc.documentMargin(), kPdfResolution);
        // Laid out (and paginated) only now, with the pictures' sizes set.
        doc.setPageSize(page);
        doc.print(&pdf);
    }
    if (!file.commit()) {
        std::fprintf(stderr, "velmora-manual: cannot write %s\n", qPrintable(o.out));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    Options o;
    if (!parse(QGuiApplication::arguments(), o)) {
        std::fprintf(stderr,
                     "usage: velmora-manual --markdown FILE --out PDF [--images FOLDER]... "
                     "[--if-changed]\n");
        return 2;
    }
    QFile source(o.markdown);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "velmora-manual: cannot read %s\n", qPrintable(o.markdown));
        return 1;
    }
    QStringList pictures;
    const QString markdown = resolvePictures(QString::fromUtf8(source.readAll()), o, pictures);
    if (o.ifChanged && upToDate(o, pictures, QCoreApplication::applicationFilePath())) return 0;
    return render(markdown, o) ? 0 : 1;
}
