// Opening, importing and saving: import then save of a hand-edited file
// keeps it byte for byte, an edit changes only its own lines; files of every kind by their
// extension; the resolution of JPEG scans; the proposed name; the recent files; and bad input
// (undecodable, truncated and oversized images, huge and junk definitions, FIFOs, a read-only
// folder) ending in a message with nothing lost.
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <filesystem>

#include "editor/core/definition_file.h"
#include "editor/core/opening.h"
#include "editor/core/proposed_name.h"
#include "editor/core/recent_files.h"
#include "editor/tests/editor_fixture.h"

namespace dravel::testing {
namespace {

using OpenResult = EditorDocument::OpenResult;

class FilesTest : public EditorFixture {
protected:
    /// A definition state worth losing: one question of two choices.
    void placeSomething() {
        openBlankScan();
        state().zeroMarks = {Point{500, 700}, Point{60, 700}, Point{60, 40}};
        state().zeroMarkMode = false;
        state().step = 1;
        state().choicesPerQuestion = 2;
        click(100, 100);
        click(200, 100);
        ASSERT_EQ(state().markCount, 2);
    }
};

TEST_F(FilesTest, ImportThenSaveKeepsTheFileByteForByte) {
    openBlankScan();
    ASSERT_EQ(document.openDocument(testData("hand_edited.ini")), OpenResult::Opened);
    EXPECT_EQ(state().markCount, 5);
    EXPECT_EQ(state().questionCount, 3);
    EXPECT_TRUE(state().isMulti(0));
    EXPECT_TRUE(state().isMulti(2));
    EXPECT_FALSE(state().zeroMarkMode);
    EXPECT_EQ(state().step, 1);
    host.savePaths.push_back(path("saved.ini"));
    ASSERT_TRUE(document.saveAs());
    const QByteArray original = fileBytes(testData("hand_edited.ini"));
    EXPECT_EQ(fileBytes(path("saved.ini")), original);

    // One more question: its MARK line joins the others; comments, spacing,
    // keys and values nobody changed stay as they were.
    state().choicesPerQuestion = 1;
    click(300, 400);
    ASSERT_EQ(state().markCount, 6);
    ASSERT_TRUE(document.saveTo(path("saved.ini")));
    const QByteArray edited = fileBytes(path("saved.ini"));
    EXPECT_TRUE(
        edited.startsWith("; edited by hand\n[SYSTEM]\nDEBUG=\ndpi_x = 200\n[mark]\n"
                          "OVALMARK_WIDTH = 24\n"));
    EXPECT_TRUE(edited.contains("MARK4=2,0,100,350\r\nMARK5=3,0,300,400\r\n[ZEROMARK]\n"));
    EXPECT_TRUE(edited.contains("ZEROMARK_RATE=0.7\n[MULTI]\nQUESTIONS=0,2,3\n"));
    EXPECT_FALSE(edited.contains("MARK7="));  // past the gap: never read, not kept

    // The saved file imports to the same definition and saves byte for byte.
    const EditorState before = state();
    ASSERT_EQ(document.openDropped(path("saved.ini")), OpenResult::Opened);
    EXPECT_EQ(state().zeroMarks, before.zeroMarks);
    EXPECT_EQ(state().areas, before.areas);
    EXPECT_EQ(state().markCount, 6);
    ASSERT_TRUE(document.saveTo(path("again.ini")));
    EXPECT_EQ(fileBytes(path("again.ini")), edited);

    // Importing the document's own file through the open path does nothing.
    state().markCount = 0;
    EXPECT_EQ(document.openDocument(path("saved.ini")), OpenResult::Done);
    EXPECT_EQ(state().markCount, 0);
}

TEST_F(FilesTest, ImportEdges) {
    openBlankScan();
    // A file saved with no marks: only the oval keys in [MARK].
    state().zeroMarks = {Point{1, 2}, Point{3, 4}, Point{}};
    ASSERT_TRUE(document.saveTo(path("empty.ini")));
    const QByteArray empty = fileBytes(path("empty.ini"));
    EXPECT_TRUE(empty.contains("ZEROMARK3_X=-1\r\nZEROMARK3_Y=-1\r\n"));
    EXPECT_TRUE(empty.contains("OVALMARK_COLOR_MAX=200\r\n\r\n\r\n[IMAGEAREA]\r\n\r\n\r\n"));
    EXPECT_TRUE(empty.contains("QUESTIONS=\r\n"));
    ASSERT_EQ(document.openDropped(path("empty.ini")), OpenResult::Opened);
    EXPECT_EQ(state().markCount, 0);
    EXPECT_EQ(state().questionCount, 0);

    // Multi-select questions come back without image areas; an empty list
    // flags nothing (not question 0).
    ASSERT_TRUE(writeBytes(path("multi.ini"),
                           "[MARK]\r\nMARK0=0,0,10,10\r\nMARK1=1,0,10,90\r\n[MULTI]\r\n"
                           "QUESTIONS=1\r\n"));
    ASSERT_EQ(document.openDropped(path("multi.ini")), OpenResult::Opened);
    EXPECT_FALSE(state().isMulti(0));
    EXPECT_TRUE(state().isMulti(1));
    EXPECT_EQ(state().zeroMarks[0], (Point{272, 3257}));  // the defaults
    ASSERT_TRUE(
        writeBytes(path("none.ini"), "[MARK]\r\nMARK0=0,0,10,10\r\n[MULTI]\r\nQUESTIONS=\r\n"));
    ASSERT_EQ(document.openDropped(path("none.ini")), OpenResult::Opened);
    EXPECT_FALSE(state().isMulti(0));

    // At the editor's limits the definition is taken whole; one past them,
    // or past what the reader holds, it is refused with a message and the
    // sheet stays as it was.
    auto definitionWith = [](int marks, int areas) {
        std::string text = "[MARK]\r\n";
        for (int i = 0; i < marks; ++i) {
            text += "MARK" + std::to_string(i) + "=" + std::to_string(i) + ",0,5,5\r\n";
        }
        text += "[IMAGEAREA]\r\n";
        for (int i = 0; i < areas; ++i) {
            text += "IMAGEAREA" + std::to_string(i) + "=1,1,2,1,2,2,1,2\r\n";
        }
        return text;
    };
    const ImportResult full = parseDefinition(definitionWith(kMaxMarks, kMaxAreas));
    ASSERT_TRUE(full.definition);
    EXPECT_EQ(int(full.definition->content.marks.size()), kMaxMarks);
    EXPECT_EQ(full.definition->questionCount, kMaxQuestions);
    EXPECT_EQ(int(full.definition->content.areas.size()), kMaxAreas);
    for (const auto& [marks, areas] : {std::pair{kMaxMarks + 1, 0}, std::pair{1, kMaxAreas + 1}}) {
        const ImportResult over = parseDefinition(definitionWith(marks, areas));
        EXPECT_FALSE(over.definition) << marks << " " << areas;
        EXPECT_EQ(over.refusal, ImportRefusal::BeyondLimits);
    }
    const std::string lastChoice = "[MARK]\nMARK0=0," + std::to_string(kMaxChoices - 1) + ",1,1\n";
    EXPECT_TRUE(parseDefinition(lastChoice).definition);
    for (const std::string entry : {"10100,0", "0,100"}) {
        EXPECT_FALSE(parseDefinition("[MARK]\nMARK0=" + entry + ",1,1\n").definition) << entry;
    }
    const ImportResult malformed = parseDefinition("[MARK]\nMARK0=0,-1,1,1\nMARK1=0,0,1\n");
    ASSERT_TRUE(malformed.definition);
    EXPECT_TRUE(malformed.definition->content.marks.empty());
    EXPECT_EQ(malformed.definition->skippedEntries, 2);
    EXPECT_TRUE(host.messages.empty());

    ASSERT_TRUE(writeBytes(path("wide.ini"), "[MARK]\r\nMARK0=0,0,1,1\r\nMARK1=0,100,9,9\r\n"));
    const int marksBefore = state().markCount;
    EXPECT_EQ(document.openDropped(path("wide.ini")), OpenResult::Failed);
    EXPECT_EQ(host.messages, std::vector<MessageId>{MessageId::DefinitionBeyondLimits});
    EXPECT_EQ(state().markCount, marksBefore);
}

TEST_F(FilesTest, FilesOpenByExtension) {
    EXPECT_EQ(fileKindOf(QStringLiteral("/a/SCAN.PNG")), FileKind::Image);
    EXPECT_EQ(fileKindOf(QStringLiteral("b.Tiff")), FileKind::Image);
    EXPECT_EQ(fileKindOf(QStringLiteral("b.INI")), FileKind::Definition);
    EXPECT_EQ(fileKindOf(QStringLiteral("b.pdf")), FileKind::Pdf);
    EXPECT_EQ(fileKindOf(QStringLiteral("b.jpg.txt")), FileKind::Other);

    // A definition before any image.
    ASSERT_TRUE(writeBytes(path("d.ini"), "[MARK]\r\n"));
    EXPECT_EQ(document.openDocument(path("d.ini")), OpenResult::Failed);
    ASSERT_TRUE(writeBytes(path("d.pdf"), "%PDF-1.4"));
    EXPECT_EQ(document.openDocument(path("d.pdf")), OpenResult::Failed);
    EXPECT_EQ(document.openDocument(path("notes.txt")), OpenResult::Done);
    EXPECT_EQ(host.messages,
              (std::vector<MessageId>{MessageId::LoadImageFirst, MessageId::PdfRefused,
                                      MessageId::NotImageOrDefinition}));
    EXPECT_EQ(host.pictures, 0);
    EXPECT_FALSE(state().imageLoaded);
}

TEST_F(FilesTest, JpegResolutionScalesTheSizes) {
    ASSERT_TRUE(writeBlankScan(path("low.jpg"), 400, 500, 200));
    host.zeroRadii.push_back(9);
    ASSERT_EQ(document.openDocument(path("low.jpg")), OpenResult::Opened);
    EXPECT_EQ(state().ovalWidth, 24);
    EXPECT_EQ(state().ovalHeight, 44);
    EXPECT_EQ(state().zeroRadius, 9);
    EXPECT_EQ(state().dpiX, 200);
    EXPECT_EQ(host.messages, (std::vector<MessageId>{MessageId::LowResolution}));
    EXPECT_EQ(host.messageTexts.value(0),
              QStringLiteral(u"入力画像のスキャン解像度は200dpiです。"));
    EXPECT_EQ(document.path(), QStringLiteral(u"マーク情報ファイル-131208-5000-low.jpg.ini"));

    // A GIF records no resolution: the one read before stays, the sizes
    // go back to their defaults.
    ASSERT_TRUE(writeBlankScan(path("next.gif"), 400, 500, 600, sheetgen::Format::Gif));
    ASSERT_EQ(document.openDocument(path("next.gif")), OpenResult::Opened);
    EXPECT_EQ(state().dpiX, 200);
    EXPECT_EQ(state().ovalWidth, 36);

    ASSERT_TRUE(writeBlankScan(path("fine.jpg"), 400, 500, 600));
    ASSERT_EQ(document.openDocument(path("fine.jpg")), OpenResult::Opened);
    EXPECT_EQ(state().ovalWidth, 72);
    EXPECT_EQ(state().ovalHeight, 132);
    EXPECT_EQ(state().zeroRadius, 28);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(state().imageLoaded);
}

TEST_F(FilesTest, PngTiffAndBmpResolutionsScaleTheSizesToo) {
    struct Case {
        const char* name;
        sheetgen::Format format;
        int dpi;
    };
    for (const Case& c :
         {Case{"a.png", sheetgen::Format::Png, 300}, Case{"b.tif", sheetgen::Format::Tiff, 600},
          Case{"c.bmp", sheetgen::Format::Bmp, 200}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(writeBlankScan(path(c.name), 400, 500, c.dpi, c.format));
        ASSERT_EQ(document.openDocument(path(c.name)), OpenResult::Opened);
        EXPECT_EQ(state().dpiX, c.dpi);
        EXPECT_EQ(state().dpiY, c.dpi);
        EXPECT_EQ(state().ovalWidth, c.dpi * 36 / 300);
        EXPECT_EQ(state().zeroRadius, c.dpi * 14 / 300);
    }
    // Only the 200-dpi bitmap is below the reference.
    EXPECT_EQ(host.messages, (std::vector<MessageId>{MessageId::LowResolution}));
    const strovik::DefinitionContent saved = definitionContent(state());
    EXPECT_EQ(saved.dpiX, 200);

    // Non-square: each size follows its own axis; the radius the mean.
    const std::optional<SheetSizes> sizes = sizesForDensity({200, 300});
    ASSERT_TRUE(sizes);
    EXPECT_EQ(sizes->ovalWidth, 24);
    EXPECT_EQ(sizes->ovalHeight, 66);
    EXPECT_EQ(sizes->zeroRadius, 11);
    EXPECT_FALSE(sizesForDensity({300, 71}));
    EXPECT_TRUE(sizesForDensity({72, 72}));
}

TEST_F(FilesTest, BadImagesAreRefusedAndTheSheetStays) {
    placeSomething();
    const QByteArray good = fileBytes(path("sample.jpg"));
    ASSERT_TRUE(writeBytes(path("junk.jpg"), "not an image at all"));
    ASSERT_TRUE(writeBytes(path("cut.jpg"), good.left(good.size() / 2)));
    ASSERT_TRUE(writeBytes(path("empty.gif"), QByteArray()));
    // A PNG claiming 20000 x 20000 pixels, beyond the decoders' limit: the
    // header chunk and an empty data chunk, each with its CRC.
    const QByteArray huge = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200004e2000004e2008020000006c12d16e00000000494441"
        "5435af061e");
    ASSERT_TRUE(writeBytes(path("huge.png"), huge));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.jpg")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("folder.png")));

    const int pictures = host.pictures;
    const QString name = document.path();
    host.answers.assign(7, Answer::No);  // the unsaved marks are not saved first
    for (const char* bad :
         {"junk.jpg", "cut.jpg", "empty.gif", "huge.png", "fifo.jpg", "folder.png", "gone.bmp"}) {
        EXPECT_EQ(document.openDropped(path(bad)), OpenResult::Failed) << bad;
        EXPECT_EQ(host.messages.back(), MessageId::ImageLoadFailed) << bad;
    }
    EXPECT_EQ(host.messages.size(), 7u);
    EXPECT_EQ(host.pictures, pictures);
    EXPECT_EQ(state().markCount, 2);
    EXPECT_EQ(document.path(), name);
}

TEST_F(FilesTest, BadDefinitionsAreRefusedAndTheSheetStays) {
    placeSomething();
    const std::vector<MarkRecord> before(state().marks.begin(), state().marks.begin() + 2);
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk += char(i * 37 % 251 + 1);
    ASSERT_TRUE(writeBytes(path("junk.ini"), junk));
    {
        QFile big(path("big.ini"));
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        const QByteArray block =
            QByteArray("[MARK]\r\nMARK0=0,0,1,1\r\n").leftJustified(1 << 20, ';');
        for (int i = 0; i < 50; ++i) ASSERT_EQ(big.write(block), block.size());
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.ini")).constData(), 0600), 0);

    host.answers.assign(5, Answer::No);  // the unsaved marks are not saved first
    for (const char* bad : {"junk.ini", "big.ini", "fifo.ini", "gone.ini"}) {
        EXPECT_EQ(document.openDropped(path(bad)), OpenResult::Failed) << bad;
        EXPECT_EQ(host.messages.back(), MessageId::DefinitionUnreadable) << bad;
    }
    EXPECT_EQ(std::vector<MarkRecord>(state().marks.begin(), state().marks.begin() + 2), before);
    EXPECT_EQ(state().markCount, 2);

    // Junk lines around real entries are passed over.
    ASSERT_TRUE(writeBytes(path("noisy.ini"),
                           "garbage\r\n[MARK]\r\n\x01\x02\r\nMARK0=0,0,5,6\r\n=\r\nMARK1=0,1,7\r\n"
                           "MARK2=0,1,9,9 trailing\r\n"));
    ASSERT_EQ(document.openDropped(path("noisy.ini")), OpenResult::Opened);
    ASSERT_EQ(state().markCount, 2);
    EXPECT_EQ(state().marks[1], (MarkRecord{9, 9, 0, 1}));
}

TEST_F(FilesTest, SavingRefusesWithoutZeroMarksAndKeepsTheOldFile) {
    placeSomething();
    const QString target = path("keep.ini");
    ASSERT_TRUE(document.saveTo(target));
    const QByteArray first = fileBytes(target);

    state().zeroMarks[1] = {-1, 700};
    EXPECT_FALSE(document.saveTo(target));
    EXPECT_EQ(host.messages.back(), MessageId::ZeroMarksUnset);
    state().zeroMarks[1] = {60, 700};

    // A folder the user cannot write: the old file stays whole. (The
    // superuser writes anywhere; a folder of /proc is read-only even then.)
    click(100, 300);
    click(200, 300);
    if (::geteuid() != 0) {
        ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 0500), 0);
        const bool written = document.saveTo(target);
        ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
        EXPECT_FALSE(written);
        EXPECT_EQ(host.messages.back(), MessageId::SaveFailed);
    }
    EXPECT_FALSE(document.saveTo(QStringLiteral("/proc/dravel-definition.ini")));
    EXPECT_EQ(host.messages.back(), MessageId::SaveFailed);
    EXPECT_TRUE(document.isModified());
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("taken.ini")));
    EXPECT_FALSE(document.saveTo(path("taken.ini")));
    EXPECT_TRUE(QFileInfo(path("taken.ini")).isDir());
    EXPECT_EQ(fileBytes(target), first);
    EXPECT_FALSE(document.saveTo(path("missing/folder/x.ini")));
    EXPECT_EQ(host.messages.back(), MessageId::SaveFailed);
    EXPECT_FALSE(QFileInfo::exists(path("missing")));
}

TEST_F(FilesTest, SaveQuestionGuardsOpenAndNew) {
    placeSomething();
    ASSERT_TRUE(document.isModified());
    host.answers.push_back(Answer::Cancel);
    EXPECT_EQ(document.openDocument(path("sample.jpg")), OpenResult::Failed);
    EXPECT_EQ(state().markCount, 2);

    // Yes with a name never saved asks for one; cancelling that stops too.
    host.answers.push_back(Answer::Yes);
    EXPECT_FALSE(document.newDocument());
    EXPECT_EQ(host.proposedSavePaths.size(), 1u);
    EXPECT_TRUE(document.isModified());

    host.answers.push_back(Answer::Yes);
    host.savePaths.push_back(path("first.ini"));
    EXPECT_TRUE(document.newDocument());
    EXPECT_TRUE(QFileInfo::exists(path("first.ini")));
    EXPECT_FALSE(document.isModified());
    EXPECT_EQ(state().markCount, 2);  // a new document keeps the editing data
    EXPECT_EQ(host.questions.size(), 3u);

    // A dropped image or definition replaces the marks: asked first too. A
    // file that opens nothing is not worth the question.
    click(100, 300);
    click(200, 300);
    ASSERT_TRUE(document.isModified());
    host.answers.push_back(Answer::Cancel);
    EXPECT_EQ(document.openDropped(path("first.ini")), OpenResult::Failed);
    EXPECT_EQ(state().markCount, 4);
    EXPECT_EQ(document.openDropped(path("notes.txt")), OpenResult::Done);
    EXPECT_EQ(host.questions.size(), 4u);
    host.answers.push_back(Answer::No);
    EXPECT_EQ(document.openDropped(path("first.ini")), OpenResult::Opened);
    EXPECT_EQ(state().markCount, 2);
    EXPECT_EQ(host.questions.size(), 5u);
}

TEST(ProposedName, DateNumberAndImage) {
    EXPECT_EQ(proposedFileName(QDate(2013, 12, 5), 32767, QStringLiteral("/x/a.jpg")),
              QStringLiteral(u"マーク情報ファイル-131205-9999-a.jpg.ini"));
    EXPECT_EQ(proposedFileName(QDate(2009, 1, 2), 0, QString()),
              QStringLiteral(u"マーク情報ファイル-090102-0000.ini"));
}

TEST(RecentFilesList, NewestFirstFourKeptAndStored) {
    QTemporaryDir root;
    const velmora::SettingsStore store(QFile::encodeName(root.path()).toStdString());
    {
        RecentFiles recent(store);
        for (const char* p : {"/a.jpg", "/b.ini", "/c.jpg", "/d.jpg", "/e.jpg", "/c.jpg"}) {
            recent.add(QString::fromLatin1(p));
        }
        EXPECT_EQ(recent.entries(), (QStringList{"/c.jpg", "/e.jpg", "/d.jpg", "/b.ini"}));
        recent.remove(QStringLiteral("/d.jpg"));
    }
    RecentFiles again(store);
    EXPECT_EQ(again.entries(), (QStringList{"/c.jpg", "/e.jpg", "/b.ini"}));
    const char* key = "Software\\Local AppWizard-Generated Applications\\Dravel\\Recent File List";
    EXPECT_EQ(store.getValue("HKEY_CURRENT_USER", key, "File1"),
              std::optional<std::string>("/c.jpg"));
    EXPECT_FALSE(store.getValue("HKEY_CURRENT_USER", key, "File4"));
}

}  // namespace
}  // namespace dravel::testing
