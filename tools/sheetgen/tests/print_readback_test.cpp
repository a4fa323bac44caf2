// The printed templates read back right: each PDF that velmora-sheetgen
// --print writes is rendered with pdftoppm at 300 and 200 dpi (in colour
// and in grey, as scanners deliver), ovals are filled in with a dark pen at
// the definition's positions, and the engine reads the page with the
// template's own definition for that resolution, and by `velmora read`.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include "engine/recognition/engine_session.h"
#include "tools/sheetgen/print_layout.h"

namespace sheetgen {
namespace {

constexpr int kPen = 55;            // grey value of the pencil
constexpr double kCoverage = 0.85;  // share of each half axis the pencil covers

/// The student number the test writes into a template's grid.
std::string numberFor(const PrintRecipe& recipe) {
    return std::string("90817026").substr(0, std::size_t(recipe.numberDigits));
}

/// What the test fills in: per question the choices marked; the digit
/// columns get numberFor() (the tenth choice is the digit 0).
std::vector<std::vector<int>> fillPattern(const PrintRecipe& recipe) {
    std::vector<std::vector<int>> filled(
        static_cast<std::size_t>(recipe.questions + recipe.numberDigits));
    const std::string number = numberFor(recipe);
    for (std::size_t d = 0; d < number.size(); ++d) {
        const int digit = number[d] - '0';
        filled[std::size_t(recipe.questions) + d].push_back(digit == 0 ? 9 : digit - 1);
    }
    for (int q = 0; q < recipe.questions; ++q) {
        auto& marks = filled[static_cast<std::size_t>(q)];
        const bool multi = std::find(recipe.multiQuestions.begin(), recipe.multiQuestions.end(),
                                     q) != recipe.multiQuestions.end();
        if (q % 7 == 6 && !multi) continue;  // left blank
        marks.push_back((q * 3 + 1) % recipe.choices);
        if (multi) marks.push_back((q * 3 + 3) % recipe.choices);
    }
    return filled;
}

bool run(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000)) return false;
    if (output) *output = QString::fromUtf8(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

/// Runs `program`; its standard output in `output`.
bool runOut(const QString& program, const QStringList& args, QString* output) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(120000)) return false;
    *output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos;
         start = comma + 1) {
        parts.push_back(text.substr(start, comma - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

class PrintReadback : public ::testing::TestWithParam<std::tuple<std::string, int, bool>> {
protected:
    static void SetUpTestSuite() {
        folder_ = new QTemporaryDir;
        ASSERT_TRUE(folder_->isValid());
        QString error;
        ASSERT_TRUE(run(QStringLiteral(SHEETGEN_PATH),
                        {QStringLiteral("--print"), QStringLiteral("all"), QStringLiteral("--out"),
                         folder_->path()},
                        &error))
            << error.toStdString();
    }
    static void TearDownTestSuite() {
        delete folder_;
        folder_ = nullptr;
    }
    static QTemporaryDir* folder_;
};
QTemporaryDir* PrintReadback::folder_ = nullptr;

TEST_P(PrintReadback, AFilledInPrintReadsRightWithItsOwnDefinition) {
    const auto& [name, dpi, grey] = GetParam();
    const auto recipe = std::find_if(shippedRecipes().begin(), shippedRecipes().end(),
                                     [&](const PrintRecipe& r) { return r.name == name; });
    ASSERT_NE(recipe, shippedRecipes().end());
    const QDir dir(folder_->path());
    const QString stem = dir.filePath(QString::fromStdString(name) +
                                      QStringLiteral("-%1%2").arg(dpi).arg(grey ? "g" : "c"));
    QStringList args{QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                     QStringLiteral("-singlefile")};
    if (grey) args << QStringLiteral("-gray");
    args << dir.filePath(QString::fromStdString(name) + QStringLiteral(".pdf")) << stem;
    ASSERT_TRUE(run(QStringLiteral("pdftoppm"), args));

    // The page is A4 at the scan resolution (the renderer rounds up).
    QImage page(stem + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(page.width(), 210 / 25.4 * dpi, 1.5);
    EXPECT_NEAR(page.height(), 297 / 25.4 * dpi, 1.5);

    const Layout marks = layoutAtDpi(makePrintLayout(*recipe).marks, dpi);
    const auto filled = fillPattern(*recipe);
    page = page.convertToFormat(QImage::Format_RGB32);
    {
        QPainter pencil(&page);
        pencil.setRenderHint(QPainter::Antialiasing);
        pencil.setPen(Qt::NoPen);
        pencil.setBrush(QColor(kPen, kPen, kPen));
        for (std::size_t q = 0; q < filled.size(); ++q) {
            for (const int c : filled[q]) {
                const Pt& o = marks.ovals[q][static_cast<std::size_t>(c)];
                // Pixel centres: the PDF position x is the edge between
                // pixels x-1 and x.
                pencil.drawEllipse(QPointF(o.x - 0.5, o.y - 0.5), kCoverage * marks.ovalWidth / 2,
                                   kCoverage * marks.ovalHeight / 2);
            }
        }
    }
    const QString scan = stem + QStringLiteral("-filled.png");
    ASSERT_TRUE(page.save(scan));

    // A copy of the definition: the engine writes keys back into it.
    const QString definition = stem + QStringLiteral(".ini");
    ASSERT_TRUE(QFile::copy(dir.filePath(QString::fromStdString(definitionFileName(name, dpi))),
                            definition));
    strovik::EngineCore core;
    strovik::EngineSession session(core);
    session.putIniFilename(definition.toStdString());
    session.putImageFilename(scan.toStdString());
    ASSERT_EQ(session.run(), 0);
    std::string answers, reliability;
    session.getResult(answers, reliability);
    strovik::OptionOutputs counts;
    session.putOptions(strovik::OptionAction::GetMarkedCounts, 0, "", counts);
    strovik::OptionOutputs dx, dy;
    session.putOptions(strovik::OptionAction::GetDiffZeroX, 0, "", dx);
    session.putOptions(strovik::OptionAction::GetDiffZeroY, 0, "", dy);
    EXPECT_LE(std::abs(dx.retValue), 1);
    EXPECT_LE(std::abs(dy.retValue), 1);

    const std::vector<std::string> got = split(answers);
    const std::vector<std::string> marked = split(counts.retValueStr);
    ASSERT_EQ(got.size(), filled.size());
    ASSERT_EQ(marked.size(), filled.size());
    // The digit columns read back as the number (choice 10 is the digit 0).
    std::string number;
    for (std::size_t q = std::size_t(recipe->questions); q < got.size(); ++q) {
        number += got[q] == "10" ? "0" : got[q];
    }
    EXPECT_EQ(number, numberFor(*recipe));

    // The command-line reader sees the same number in its values.
    QString line;
    ASSERT_TRUE(runOut(QStringLiteral(VELMORA_CLI_PATH),
                       {QStringLiteral("read"), QStringLiteral("-d"), definition, scan}, &line))
        << line.toStdString();
    const qsizetype start = line.indexOf(QStringLiteral("\"values\": ["));
    ASSERT_GE(start, 0) << line.toStdString();
    const qsizetype end = line.indexOf(QLatin1Char(']'), start);
    QStringList values = line.mid(start + 11, end - start - 11).split(QLatin1Char(','));
    ASSERT_EQ(values.size(), qsizetype(got.size())) << line.toStdString();
    QString cliNumber;
    for (qsizetype q = recipe->questions; q < values.size(); ++q) {
        const QString v = values[q].trimmed().remove(QLatin1Char('"'));
        cliNumber += v == QLatin1String("10") ? QStringLiteral("0") : v;
    }
    EXPECT_EQ(cliNumber.toStdString(), numberFor(*recipe));
    const std::vector<int>& multi = recipe->multiQuestions;
    for (std::size_t q = 0; q < filled.size(); ++q) {
        const auto& f = filled[q];
        const auto listed = std::find(multi.begin(), multi.end(), int(q));
        if (listed == multi.end()) {
            EXPECT_EQ(got[q], f.empty() ? "-1" : std::to_string(f[0] + 1)) << "question " << q + 1;
            EXPECT_EQ(marked[q], std::to_string(f.size())) << "question " << q + 1;
            continue;
        }
        // Several answers: the raw dark counts, the filled choices far ahead.
        EXPECT_EQ(got[q], "-1") << "question " << q + 1;
        strovik::OptionOutputs dots;
        session.putOptions(strovik::OptionAction::GetMultiDotsPerQuestion,
                           int(listed - multi.begin()), "", dots);
        const std::vector<std::string> dotCounts = split(dots.retValueStr);
        ASSERT_EQ(dotCounts.size(), std::size_t(recipe->choices)) << dots.retValueStr;
        int lowestFilled = 1 << 30, highestBlank = 0;
        for (int c = 0; c < recipe->choices; ++c) {
            const int count = std::stoi(dotCounts[std::size_t(c)]);
            if (std::find(f.begin(), f.end(), c) != f.end()) {
                lowestFilled = std::min(lowestFilled, count);
            } else {
                highestBlank = std::max(highestBlank, count);
            }
        }
        EXPECT_GT(lowestFilled, 4 * highestBlank + 10)
            << "question " << q + 1 << ": " << dots.retValueStr;
    }
}

// Each template asks viewers to print at actual size, and poppler reads its
// cross-reference chain without a complaint.
TEST_F(PrintReadback, TemplatesAskForActualSizePrintingInAValidFile) {
    for (const char* name : {"mark50-4", "mark100-5", "survey20"}) {
        const QString pdf = folder_->filePath(QString::fromLatin1(name) + QStringLiteral(".pdf"));
        QString complaints;
        ASSERT_TRUE(run(QStringLiteral("pdfinfo"), {pdf}, &complaints)) << name;
        EXPECT_TRUE(complaints.isEmpty()) << name << ": " << complaints.toStdString();
        QFile file(pdf);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const qsizetype update = bytes.lastIndexOf("/Prev ");
        ASSERT_GT(update, 0) << name;
        EXPECT_GT(bytes.lastIndexOf("/PrintScaling /None"), bytes.indexOf("/Type /Catalog"))
            << name;
    }
}

INSTANTIATE_TEST_SUITE_P(ShippedTemplates, PrintReadback,
                         ::testing::Combine(::testing::Values("mark50-4", "mark100-5", "survey20"),
                                            ::testing::Values(300, 200), ::testing::Bool()),
                         [](const auto& test) {
                             std::string name =
                                 std::get<0>(test.param) + "_" +
                                 std::to_string(std::get<1>(test.param)) +
                                 (std::get<2>(test.param) ? "dpi_grey" : "dpi_colour");
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

}  // namespace
}  // namespace sheetgen
