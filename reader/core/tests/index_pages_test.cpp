#include "reader/core/index_pages.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "reader/core/csv_text.h"
#include "reader/core/tests/file_bytes.h"

namespace tarrow {
namespace {

using testing::fileBytes;
using testing::putBytes;

const QByteArray kDefinition =
    "[MARK]\r\nMARK0=0,0,10,10\r\n\r\n[IMAGEAREA]\r\n"
    "IMAGEAREA0=1,1,9,1,9,9,1,9\r\n; a comment\r\nIMAGEAREA1=2,2,8,2,8,8,2,8\r\n"
    "IMAGEAREA2=3,3,7,3,7,7,3,7\r\n\r\n[MULTI]\r\nQUESTIONS=\r\n";

class IndexPagesTest : public ::testing::Test {
protected:
    void SetUp() override { putBytes(definition(), kDefinition); }
    QString definition() const { return dir_.filePath("sheet.ini"); }
    QString path(const QString& name) const { return dir_.filePath(name); }
    QTemporaryDir dir_;
};

TEST(IndexPageText, EscapesMarkupAndWhatCp932CannotHold) {
    EXPECT_EQ(htmlEscape(R"(a&b<c>"d")"), QStringLiteral("a&amp;b&lt;c&gt;&quot;d&quot;"));
    EXPECT_EQ(htmlEscape(QStringLiteral("答案ｱ.jpg")), QStringLiteral("答案ｱ.jpg"));
    EXPECT_EQ(htmlEscape(QStringLiteral("é😀")), QStringLiteral("&#233;&#128512;"));
    EXPECT_EQ(imageLabel("/scans/scan7.jpg"), QStringLiteral("scan7.jpg"));
    EXPECT_EQ(indexPageName(7), QStringLiteral("index_007.html"));
}

TEST_F(IndexPagesTest, WritesOnePageOfExactLinesPerImageArea) {
    const QStringList sheets = {"/scans/scan1.jpg", "/scans/scan7.jpg"};
    int pages = 0;
    ASSERT_TRUE(writeIndexPages(definition(), dir_.path(), sheets, &pages));
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(QFile::exists(path("index_000.html")));
    EXPECT_TRUE(QFile::exists(path("index_001.html")));
    EXPECT_FALSE(QFile::exists(path("index_003.html")));

    QStringList expected = {
        R"(<html><head><meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">)",
        "<title>index_002</title></head><body><script type=text/javascript>",
        "function output(){",
        R"(var all1 = document.getElementsByName("in1");var all2 = document.getElementsByName("in2");var result = ""; )",
        R"(for (i=0; i < all1.length; i++){result += document.getElementById("tab").rows[i+1].cells[1].innerHTML + ", " + all1[i].value + ", " + all2[i].value + "<br/>"; })",
        R"(document.getElementById("out").innerHTML = result;})",
        "</script>",
        "",
        "<table id=tab cellpadding=1 cellspacing=0 border=1>",
        "<th><td>ファイル名</td><td>コメント1</td><td>コメント2</td></th>"};
    for (const QString name : {"scan1", "scan7"}) {
        expected << "<tr>"
                 << R"(<td valign=top><img src=")" + name + R"(_002.jpg"/></td>)"
                 << "<td valign=top>" + name + ".jpg</td>"
                 << "<td valign=top><form><input type=text name=in1></form></td>"
                 << "<td valign=top><form><input type=text name=in2></form></td>"
                 << "</tr>"
                 << "";
    }
    expected
        << "</table>"
        << R"h(<form><input type="button" value="コメント一覧表示" onclick="output()"><br/></form>)h"
        << "<div id=out></div>"
        << "</body></html>";
    EXPECT_EQ(fileBytes(path("index_002.html")), encodeLines(expected));
}

TEST_F(IndexPagesTest, HostileFileNamesStayText) {
    const QStringList sheets = {"/scans/<img src=x onerror=alert(1)>.jpg", "/scans/a&b.jpg"};
    ASSERT_TRUE(writeIndexPages(definition(), dir_.path(), sheets));
    const QByteArray page = fileBytes(path("index_000.html"));
    EXPECT_FALSE(page.contains("<img src=x"));
    EXPECT_TRUE(page.contains(
        R"(<td valign=top><img src="&lt;img src=x onerror=alert(1)&gt;_000.jpg"/></td>)"));
    EXPECT_TRUE(page.contains("<td valign=top>&lt;img src=x onerror=alert(1)&gt;.jpg</td>"));
    EXPECT_TRUE(page.contains("<td valign=top>a&amp;b.jpg</td>"));
}

TEST_F(IndexPagesTest, NoAreasNoPagesAndAMissingFolderFails) {
    const QString plain = path("plain.ini");
    putBytes(plain, "[MARK]\r\nMARK0=0,0,1,1\r\n");
    int pages = -1;
    EXPECT_TRUE(writeIndexPages(plain, dir_.path(), {"/s/a.jpg"}, &pages));
    EXPECT_EQ(pages, 0);
    EXPECT_FALSE(QFile::exists(path("index_000.html")));

    QString error;
    EXPECT_FALSE(writeIndexPages(definition(), path("missing"), {"/s/a.jpg"}, &pages, &error));
    EXPECT_EQ(pages, 0);
    EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace tarrow
