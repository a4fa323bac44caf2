#include "reader/core/index_pages.h"

#include <QFileInfo>
#include <cstdio>

#include "common/profile_file.h"
#include "common/text_codec.h"
#include "reader/core/csv_text.h"

namespace tarrow {

namespace {

constexpr char kAreaSection[] = "IMAGEAREA";

const QStringList kPageHead = {
    QStringLiteral(
        R"h(<html><head><meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">)h"),
};

const QStringList kScriptBody = {
    QStringLiteral("function output(){"),
    QStringLiteral(R"h(var all1 = document.getElementsByName("in1");)h"
                   R"h(var all2 = document.getElementsByName("in2");var result = ""; )h"),
    QStringLiteral(R"h(for (i=0; i < all1.length; i++){result += )h"
                   R"h(document.getElementById("tab").rows[i+1].cells[1].innerHTML + ", " + )h"
                   R"h(all1[i].value + ", " + all2[i].value + "<br/>"; })h"),
    QStringLiteral(R"h(document.getElementById("out").innerHTML = result;})h"),
    QStringLiteral("</script>"),
    QString(),
    QStringLiteral("<table id=tab cellpadding=1 cellspacing=0 border=1>"),
    QStringLiteral("<th><td>ファイル名</td><td>コメント1</td><td>コメント2</td></th>"),
};

const QStringList kPageTail = {
    QStringLiteral("</table>"),
    QStringLiteral(
        R"h(<form><input type="button" value="コメント一覧表示" onclick="output()"><br/></form>)h"),
    QStringLiteral("<div id=out></div>"),
    QStringLiteral("</body></html>"),
};

QString pageNumber(int page) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%03d", page);
    return QString::fromLatin1(digits);
}

bool cp932Expresses(char32_t codePoint) {
    const QString one = QString::fromUcs4(&codePoint, 1);
    return velmora::utf8ToCp932(one.toStdString()).has_value();
}

QString escapedCodePoint(char32_t codePoint) {
    switch (codePoint) {
        case U'&':
            return QStringLiteral("&amp;");
        case U'<':
            return QStringLiteral("&lt;");
        case U'>':
            return QStringLiteral("&gt;");
        case U'"':
            return QStringLiteral("&quot;");
        default:
            break;
    }
    if (codePoint >= 0x80 && !cp932Expresses(codePoint)) {
        return QStringLiteral("&#%1;").arg(std::uint32_t(codePoint));
    }
    return QString::fromUcs4(&codePoint, 1);
}

void appendSheetRow(QStringList& lines, const QString& imagePath, const QString& page) {
    const QString crop =
        QFileInfo(imagePath).completeBaseName() + QLatin1Char('_') + page + QStringLiteral(".jpg");
    lines.append(QStringLiteral("<tr>"));
    lines.append(QStringLiteral("<td valign=top><img src=\"") + htmlEscape(crop) +
                 QStringLiteral("\"/></td>"));
    lines.append(QStringLiteral("<td valign=top>") + htmlEscape(imageLabel(imagePath)) +
                 QStringLiteral("</td>"));
    lines.append(QStringLiteral("<td valign=top><form><input type=text name=in1></form></td>"));
    lines.append(QStringLiteral("<td valign=top><form><input type=text name=in2></form></td>"));
    lines.append(QStringLiteral("</tr>"));
    lines.append(QString());
}

}  // namespace

QString htmlEscape(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const char32_t codePoint : text.toUcs4()) out += escapedCodePoint(codePoint);
    return out;
}

QString imageLabel(const QString& imagePath) {
    const QFileInfo info(imagePath);
    return info.completeBaseName() + QLatin1Char('.') + info.suffix();
}

QString indexPageName(int page) {
    return QStringLiteral("index_") + pageNumber(page) + QStringLiteral(".html");
}

QStringList indexPageLines(int page, const QStringList& sheetPaths) {
    const QString number = pageNumber(page);
    QStringList lines = kPageHead;
    lines.append(QStringLiteral("<title>index_") + number +
                 QStringLiteral("</title></head><body><script type=text/javascript>"));
    lines += kScriptBody;
    for (const QString& path : sheetPaths) appendSheetRow(lines, path, number);
    lines += kPageTail;
    return lines;
}

bool writeIndexPages(const QString& definitionPath, const QString& cropFolder,
                     const QStringList& sheetPaths, int* pagesWritten, QString* error) {
    const auto areas =
        velmora::ProfileText::load(toFsPath(definitionPath)).sectionLines(kAreaSection);
    const QString folder =
        cropFolder.endsWith(QLatin1Char('/')) ? cropFolder : cropFolder + QLatin1Char('/');
    int written = 0;
    bool ok = true;
    for (int page = 0; page < int(areas.size()) && ok; ++page) {
        ok = writeLinesAtomically(folder + indexPageName(page), indexPageLines(page, sheetPaths),
                                  error);
        if (ok) ++written;
    }
    if (pagesWritten) *pagesWritten = written;
    return ok;
}

}  // namespace tarrow
