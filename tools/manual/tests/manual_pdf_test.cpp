// The manual renderer: Japanese Markdown becomes a PDF with the Japanese
// font embedded; a picture that exists is placed, one that does not yet
// exist becomes its caption; an up-to-date PDF is left alone.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ToolRun {
    int status = -1;
    QString out;
};

ToolRun run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    ToolRun r;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return r;
    r.status = process.exitCode();
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    return r;
}

class ManualPdf : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        markdown_ = dir_.filePath(QStringLiteral("manual.md"));
        QFile file(markdown_);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral(u"# 読取りの手順\n\nスキャンした画像を読み取ります。\n\n"
                                  u"![メニュー画面](shot.png)\n\n![まだない図](missing.png)\n\n"
                                  u"| 列 | 内容 |\n|---|---|\n| 1 | 正答 |\n")
                       .toUtf8());
        file.close();
        QImage shot(240, 120, QImage::Format_RGB32);
        shot.fill(QColor(40, 90, 160));
        ASSERT_TRUE(QDir().mkpath(dir_.filePath(QStringLiteral("shots"))));
        ASSERT_TRUE(shot.save(dir_.filePath(QStringLiteral("shots/shot.png"))));
        pdf_ = dir_.filePath(QStringLiteral("out/マニュアル.pdf"));
    }
    ToolRun render(const QStringList& extra = {}) {
        return run(
            QStringLiteral(MANUAL_TOOL_PATH),
            QStringList{QStringLiteral("--markdown"), markdown_, QStringLiteral("--images"),
                        dir_.filePath(QStringLiteral("shots")), QStringLiteral("--out"), pdf_} +
                extra);
    }

    QTemporaryDir dir_;
    QString markdown_;
    QString pdf_;
};

TEST_F(ManualPdf, JapaneseTextWithItsFontAndThePicturesThatExist) {
    ASSERT_EQ(render().status, 0);
    const ToolRun text = run(QStringLiteral("pdftotext"), {pdf_, QStringLiteral("-")});
    ASSERT_EQ(text.status, 0);
    EXPECT_TRUE(text.out.contains(QStringLiteral(u"スキャンした画像を読み取ります")))
        << text.out.toStdString();
    EXPECT_TRUE(text.out.contains(QStringLiteral(u"図: まだない図"))) << text.out.toStdString();

    const ToolRun fonts = run(QStringLiteral("pdffonts"), {pdf_});
    ASSERT_EQ(fonts.status, 0);
    bool embeddedJapanese = false;
    for (const QString& line : fonts.out.split(u'\n')) {
        if (line.contains(QStringLiteral("CJK")) && line.contains(QStringLiteral(" yes "))) {
            embeddedJapanese = true;
        }
    }
    EXPECT_TRUE(embeddedJapanese) << fonts.out.toStdString();

    const ToolRun images = run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf_});
    ASSERT_EQ(images.status, 0);
    EXPECT_EQ(images.out.trimmed().split(u'\n').size(), 3)
        << images.out.toStdString();  // 2 header lines
}

TEST_F(ManualPdf, AnUpToDateManualIsLeftAloneAndAChangedOneRenderedAgain) {
    ASSERT_EQ(render().status, 0);
    const QDateTime past = QDateTime::currentDateTimeUtc().addSecs(-60);
    {
        QFile md(markdown_);
        ASSERT_TRUE(md.open(QIODevice::ReadWrite));
        ASSERT_TRUE(md.setFileTime(past, QFileDevice::FileModificationTime));
        QFile shot(dir_.filePath(QStringLiteral("shots/shot.png")));
        ASSERT_TRUE(shot.open(QIODevice::ReadWrite));
        ASSERT_TRUE(shot.setFileTime(past, QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(render().status, 0);  // the program itself is newer: rendered again
    const QDateTime rendered = QFileInfo(pdf_).lastModified();
    ASSERT_EQ(render({QStringLiteral("--if-changed")}).status, 0);
    EXPECT_EQ(QFileInfo(pdf_).lastModified(), rendered);

    {
        QFile md(markdown_);
        ASSERT_TRUE(md.open(QIODevice::ReadWrite));
        ASSERT_TRUE(md.setFileTime(rendered.addSecs(5), QFileDevice::FileModificationTime));
    }
    ASSERT_EQ(render({QStringLiteral("--if-changed")}).status, 0);
    EXPECT_NE(QFileInfo(pdf_).lastModified(), rendered);
}

TEST_F(ManualPdf, BadUseIsRefused) {
    EXPECT_EQ(run(QStringLiteral(MANUAL_TOOL_PATH), {QStringLiteral("--out"), pdf_}).status, 2);
    markdown_ = dir_.filePath(QStringLiteral("none.md"));
    EXPECT_EQ(render().status, 1);
    EXPECT_FALSE(QFileInfo::exists(pdf_));
}

}  // namespace
