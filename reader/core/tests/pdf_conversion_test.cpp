// PDF conversion over fake pdfimages and convert scripts in a temporary
// folder: the exact argument lists (names with quotes, blanks and "$"), the
// JPEG, PBM and PPM outputs, matching by containment, exit codes, missing
// programs, the time limit and where the programs are looked for.
#include "reader/core/pdf_conversion.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "reader/core/tests/scripted_prompter.h"
#include "reader/core/tests/tiff_stack.h"

namespace tarrow {
namespace {

using testing::ScriptedPrompter;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    return file.write(bytes) == bytes.size();
}

QStringList readLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

class PdfConversionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("bin")));
        out_ = dir_.path() + QStringLiteral("/out \"q\" $HOME's");
        ASSERT_TRUE(QDir().mkpath(out_));
    }

    QString path(const QString& name) const { return dir_.path() + u'/' + name; }

    /// A shell script that logs each argument on a line of `<name>.log`
    /// and then runs `body`.
    QString script(const QString& name, const QString& body) {
        const QString file = path(QStringLiteral("bin/") + name);
        const QString text =
            QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '") +
            path(name + QStringLiteral(".log")) + QStringLiteral("'; done\n") + body + u'\n';
        EXPECT_TRUE(writeFile(file, text.toUtf8()));
        QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner);
        return file;
    }
    QStringList log(const QString& name) const {
        return readLines(path(name + QStringLiteral(".log")));
    }

    /// pdfimages writing `count` files "<prefix>-00N<extension>".
    QString fakePdfimages(const QString& extension, int count, int exitCode = 0) {
        QString body;
        for (int i = 0; i < count; ++i) {
            body += QStringLiteral("echo data > \"$4-00%1%2\"\n").arg(i).arg(extension);
        }
        return script(QStringLiteral("pdfimages"), body + QStringLiteral("exit %1").arg(exitCode));
    }
    QString fakeConvert() {
        return script(QStringLiteral("convert"), QStringLiteral("cp \"$1\" \"$2\""));
    }

    QTemporaryDir dir_;
    QString out_;
    ScriptedPrompter prompter_;
};

TEST_F(PdfConversionTest, JpegPagesAreListedWithExactArguments) {
    const PdfTools tools{fakePdfimages(QStringLiteral(".jpg"), 2), fakeConvert()};
    const QString pdf = path(QStringLiteral("it's \"an\" $exam.pdf"));
    PdfConversion conversion(tools, prompter_);
    const PdfConversion::Result result = conversion.convert({pdf}, out_);

    EXPECT_TRUE(result.completed);
    const QString prefix = out_ + QStringLiteral("/it's \"an\" $exam");
    EXPECT_EQ(log(QStringLiteral("pdfimages")),
              (QStringList{QStringLiteral("-j"), QStringLiteral("-q"), pdf, prefix}));
    EXPECT_EQ(result.images, (QStringList{prefix + QStringLiteral("-000.jpg"),
                                          prefix + QStringLiteral("-001.jpg")}));
    EXPECT_TRUE(log(QStringLiteral("convert")).isEmpty());
    EXPECT_EQ(prompter_.statuses,
              (QStringList{kConvertingStatus, kConvertedStatus, kConvertedStatus}));
}

TEST_F(PdfConversionTest, BitmapPagesAreConvertedAndTheBitmapsDeleted) {
    for (const QString& extension : {QStringLiteral(".pbm"), QStringLiteral(".ppm")}) {
        SCOPED_TRACE(extension.toStdString());
        QFile::remove(path(QStringLiteral("convert.log")));
        const PdfTools tools{fakePdfimages(extension, 2), fakeConvert()};
        const QString pdf = path(QStringLiteral("scan.pdf"));
        const PdfConversion::Result result = PdfConversion(tools, prompter_).convert({pdf}, out_);

        const QString prefix = out_ + QStringLiteral("/scan");
        EXPECT_TRUE(result.completed);
        EXPECT_EQ(result.images, (QStringList{prefix + QStringLiteral("-000.jpg"),
                                              prefix + QStringLiteral("-001.jpg")}));
        EXPECT_EQ(
            log(QStringLiteral("convert")),
            (QStringList{
                prefix + QStringLiteral("-000") + extension, prefix + QStringLiteral("-000.jpg"),
                prefix + QStringLiteral("-001") + extension, prefix + QStringLiteral("-001.jpg")}));
        EXPECT_FALSE(QFile::exists(prefix + QStringLiteral("-000") + extension));
        EXPECT_TRUE(QFile::exists(prefix + QStringLiteral("-001.jpg")));
        for (const QString& image : result.images) QFile::remove(image);
    }
}

TEST_F(PdfConversionTest, FailedConvertKeepsTheBitmapButListsTheTarget) {
    const PdfTools tools{fakePdfimages(QStringLiteral(".pbm"), 1),
                         script(QStringLiteral("convert"), QStringLiteral("exit 1"))};
    const PdfConversion::Result result =
        PdfConversion(tools, prompter_).convert({path(QStringLiteral("a.pdf"))}, out_);
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.images, QStringList{out_ + QStringLiteral("/a-000.jpg")});
    EXPECT_TRUE(QFile::exists(out_ + QStringLiteral("/a-000.pbm")));
    EXPECT_TRUE(prompter_.statuses.contains(kConvertFailedStatus));
    EXPECT_EQ(prompter_.statuses.constLast(), kConvertedStatus);
}

TEST_F(PdfConversionTest, OutputsMatchByContainmentOfTheBaseName) {
    for (const char* name : {"xa-000.jpg", "ab-000.jpg", "a-000.JPG", "a-notes.txt", "b-a-1.jpg"}) {
        ASSERT_TRUE(writeFile(out_ + u'/' + QString::fromUtf8(name), "x"));
    }
    EXPECT_EQ(matchingOutputs(out_, QStringLiteral("a"), QStringLiteral(".jpg")),
              (QStringList{out_ + QStringLiteral("/a-000.JPG"), out_ + QStringLiteral("/b-a-1.jpg"),
                           out_ + QStringLiteral("/xa-000.jpg")}));
    // An earlier extraction in the folder is collected again.
    const PdfTools tools{fakePdfimages(QStringLiteral(".jpg"), 0), fakeConvert()};
    const PdfConversion::Result result =
        PdfConversion(tools, prompter_).convert({path(QStringLiteral("a.pdf"))}, out_);
    EXPECT_EQ(result.images.size(), 3);
}

TEST_F(PdfConversionTest, NonZeroExitShowsFailureButTheSequenceGoesOn) {
    const PdfTools tools{fakePdfimages(QStringLiteral(".jpg"), 1, 3), fakeConvert()};
    const PdfConversion::Result result =
        PdfConversion(tools, prompter_)
            .convert({path(QStringLiteral("one.pdf")), path(QStringLiteral("two.pdf"))}, out_);
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.images, (QStringList{out_ + QStringLiteral("/one-000.jpg"),
                                          out_ + QStringLiteral("/two-000.jpg")}));
    EXPECT_EQ(prompter_.statuses,
              (QStringList{kConvertingStatus, kConvertFailedStatus, kConvertingStatus,
                           kConvertFailedStatus, kConvertedStatus}));
}

TEST_F(PdfConversionTest, MissingProgramStopsTheSequence) {
    // pdfimages missing: nothing after the first PDF.
    PdfTools tools{QString(), fakeConvert()};
    PdfConversion::Result result =
        PdfConversion(tools, prompter_)
            .convert({path(QStringLiteral("one.pdf")), path(QStringLiteral("two.pdf"))}, out_);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.images.isEmpty());
    EXPECT_EQ(prompter_.statuses, (QStringList{kConvertingStatus, kConvertFailedStatus}));

    // convert not startable (not executable): the page is not listed.
    tools = {fakePdfimages(QStringLiteral(".ppm"), 2), path(QStringLiteral("no-such-convert"))};
    result = PdfConversion(tools, prompter_).convert({path(QStringLiteral("c.pdf"))}, out_);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.images.isEmpty());
    EXPECT_TRUE(QFile::exists(out_ + QStringLiteral("/c-001.ppm")));
    EXPECT_EQ(prompter_.statuses.constLast(), kConvertFailedStatus);
}

// A multi-page TIFF in the selection is split by pages, in page order, with
// pixels and resolution kept, between the PDFs around it; pdfimages never
// sees it.
TEST_F(PdfConversionTest, MultiPageTiffIsSplitIntoItsPagesInOrder) {
    const PdfTools tools{fakePdfimages(QStringLiteral(".jpg"), 1), fakeConvert()};
    const QString stack = path(QStringLiteral("stack.TIFF"));
    ASSERT_TRUE(testing::writeTiffStack(stack, 3));
    const QString pdf = path(QStringLiteral("a.pdf"));
    const PdfConversion::Result result =
        PdfConversion(tools, prompter_).convert({stack, pdf}, out_);

    EXPECT_TRUE(result.completed);
    EXPECT_TRUE(result.error.isEmpty());
    const QString prefix = out_ + QStringLiteral("/stack");
    ASSERT_EQ(result.images,
              (QStringList{prefix + "-000.tif", prefix + "-001.tif", prefix + "-002.tif",
                           out_ + QStringLiteral("/a-000.jpg")}));
    for (int page = 0; page < 3; ++page) {
        SCOPED_TRACE(page);
        const testing::ReadPage read = testing::readTiffPage(result.images[page]);
        EXPECT_EQ(read.pages, 1);
        EXPECT_EQ(read.pixels, testing::stackPagePixels(page, 24, 17));
        EXPECT_FLOAT_EQ(read.xres, 200.0f);
        EXPECT_FLOAT_EQ(read.yres, 300.0f);
    }
    EXPECT_EQ(log(QStringLiteral("pdfimages")).size(), 4);  // a.pdf only
    EXPECT_EQ(prompter_.statuses.constLast(), kConvertedStatus);
}

// A ".tif" that is no TIFF stops the sequence like a program that cannot
// start, and says why.
TEST_F(PdfConversionTest, BrokenTiffStopsTheSequenceWithAReason) {
    const PdfTools tools{fakePdfimages(QStringLiteral(".jpg"), 1), fakeConvert()};
    const QString broken = path(QStringLiteral("broken.tif"));
    ASSERT_TRUE(writeFile(broken, "not a tiff"));
    const PdfConversion::Result result =
        PdfConversion(tools, prompter_).convert({broken, path(QStringLiteral("a.pdf"))}, out_);
    EXPECT_FALSE(result.completed);
    EXPECT_TRUE(result.images.isEmpty());
    EXPECT_TRUE(result.error.contains(broken)) << result.error.toStdString();
    EXPECT_TRUE(log(QStringLiteral("pdfimages")).isEmpty());
    EXPECT_EQ(prompter_.statuses.constLast(), kConvertFailedStatus);
}

TEST_F(PdfConversionTest, SlowProgramIsNoLongerWaitedForAfterTheLimit) {
    const PdfTools tools{
        script(QStringLiteral("pdfimages"), QStringLiteral("echo x > \"$4-000.jpg\"; sleep 3")),
        fakeConvert()};
    PdfConversion conversion(tools, prompter_, 300);
    const ToolRun run = conversion.runTool(
        pdfimagesCommand(tools, path(QStringLiteral("slow.pdf")), out_ + QStringLiteral("/slow")));
    EXPECT_EQ(run, ToolRun::TimedOut);
    EXPECT_EQ(prompter_.statuses, QStringList{kConvertingStatus});
    EXPECT_GT(prompter_.eventCalls, 0);  // the window kept running meanwhile
    EXPECT_TRUE(QFile::exists(out_ + QStringLiteral("/slow-000.jpg")));  // output so far kept
}

/// A one-page PDF whose page is `jpeg`, stored as JPEG data.
QByteArray pdfAroundJpeg(const QByteArray& jpeg) {
    const QList<QByteArray> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
        "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] "
        "/Resources << /XObject << /Im0 4 0 R >> >> /Contents 5 0 R >>",
        "<< /Type /XObject /Subtype /Image /Width 100 /Height 100 /ColorSpace /DeviceRGB "
        "/BitsPerComponent 8 /Filter /DCTDecode /Length " +
            QByteArray::number(jpeg.size()) + " >>\nstream\n" + jpeg + "\nendstream",
        "<< /Length 29 >>\nstream\nq 100 0 0 100 0 0 cm /Im0 Do Q\nendstream",
    };
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets) {
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    }
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

// The installed programs, when present: a PDF of a scanned JPEG page under
// an awkward name gives "<base>-000.jpg" with the page's bytes, and a
// black-and-white bitmap becomes a JPEG file.
TEST(PdfInstalledToolsTest, RealProgramsExtractAndConvert) {
    const PdfTools tools = findPdfTools(QString());
    if (tools.pdfimages.isEmpty() || tools.convert.isEmpty()) {
        GTEST_SKIP() << "pdfimages or convert not installed";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile sample(QStringLiteral(VELMORA_SOURCE_DIR "/samples/images/sheet001.jpg"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    const QByteArray jpeg = sample.readAll();
    const QString pdf = dir.path() + QStringLiteral("/exam 'one' $x.pdf");
    ASSERT_TRUE(writeFile(pdf, pdfAroundJpeg(jpeg)));

    ScriptedPrompter prompter;
    const PdfConversion::Result result = PdfConversion(tools, prompter).convert({pdf}, dir.path());
    EXPECT_TRUE(result.completed);
    const QString page = dir.path() + QStringLiteral("/exam 'one' $x-000.jpg");
    ASSERT_EQ(result.images, QStringList{page});
    QFile extracted(page);
    ASSERT_TRUE(extracted.open(QIODevice::ReadOnly));
    EXPECT_EQ(extracted.readAll(), jpeg);

    const QString bitmap = dir.path() + QStringLiteral("/bw $1-000.pbm");
    ASSERT_TRUE(writeFile(bitmap, "P1\n2 2\n0 1\n1 0\n"));
    const QString target = dir.path() + QStringLiteral("/bw $1-000.jpg");
    ASSERT_EQ(PdfConversion(tools, prompter).runTool(convertCommand(tools, bitmap, target)),
              ToolRun::Succeeded);
    QFile converted(target);
    ASSERT_TRUE(converted.open(QIODevice::ReadOnly));
    EXPECT_TRUE(converted.read(2) == QByteArray("\xFF\xD8", 2));
}

TEST(PdfToolsTest, BundledProgramsComeBeforeThePath) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString app = dir.path() + QStringLiteral("/app");
    const QString bin = dir.path() + QStringLiteral("/bin");
    for (const QString& file :
         {app + QStringLiteral("/pdfimages/pdfimages"), bin + QStringLiteral("/pdfimages"),
          bin + QStringLiteral("/convert")}) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        ASSERT_TRUE(writeFile(file, "#!/bin/sh\n"));
        QFile::setPermissions(file, QFile::permissions(file) | QFile::ExeOwner);
    }
    const std::optional<std::string> oldPath =
        std::getenv("PATH") ? std::optional<std::string>(std::getenv("PATH")) : std::nullopt;
    setenv("PATH", bin.toUtf8().constData(), 1);
    const PdfTools tools = findPdfTools(app);
    const PdfTools none = findPdfTools(dir.path() + QStringLiteral("/elsewhere"));
    setenv("PATH", (dir.path() + QStringLiteral("/empty")).toUtf8().constData(), 1);
    const PdfTools missing = findPdfTools(app);
    if (oldPath) setenv("PATH", oldPath->c_str(), 1);

    EXPECT_EQ(tools.pdfimages, app + QStringLiteral("/pdfimages/pdfimages"));
    EXPECT_EQ(tools.convert, bin + QStringLiteral("/convert"));
    EXPECT_EQ(none.pdfimages, bin + QStringLiteral("/pdfimages"));
    EXPECT_TRUE(missing.convert.isEmpty());
    EXPECT_EQ(outputPrefix(QStringLiteral("/o/"), QStringLiteral("/p/x.y.pdf")),
              QStringLiteral("/o/x.y"));
    EXPECT_EQ(outputPrefix(QStringLiteral("/o"), QStringLiteral("/p/x.PDF")),
              QStringLiteral("/o/x"));
}

}  // namespace
}  // namespace tarrow
