// `velmora analyse`: its command line, and the built binary on a small
// scored read-values file (joined columns, weighted points) and on one
// without a key.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "tools/velmora/batch_options.h"
#include "tools/velmora/tests/batch_test_support.h"
#include "tools/velmora/tests/test_support.h"

namespace velmora::cli {
namespace {

using namespace Qt::StringLiterals;
using testing::TempDir;

struct CommandRun {
    int status = -1;
    std::string out;
};

/// Runs the binary in `dir` with the arguments (no quoting needed: plain
/// names only).
CommandRun analyse(const TempDir& dir, const std::string& args) {
    const std::string cmd =
        "cd '" + dir.path() + "' && '" VELMORA_CLI_PATH "' analyse " + args + " 2>stderr.txt";
    CommandRun r;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) r.out.append(buf, n);
    const int raw = pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

TEST(AnalyseOptions, NeedOutputAndOneFileAndTakeSlipsAndSettings) {
    const auto p = parseAnalyseArguments({"r.csv", "-o", "o.csv", "--slips", "--ten"});
    ASSERT_EQ(p.kind, Parsed<AnalyseOptions>::Kind::Options) << p.error;
    EXPECT_EQ(p.options.input, "r.csv");
    EXPECT_EQ(p.options.output, "o.csv");
    EXPECT_TRUE(p.options.slips);
    EXPECT_FALSE(p.options.xlsx);
    EXPECT_TRUE(parseScoreArguments({"r.csv", "-o", "o.csv", "--xlsx"}).options.xlsx);
    EXPECT_TRUE(p.options.settings.tenToZero);
    EXPECT_FALSE(parseAnalyseArguments({"r.csv", "-o", "o.csv"}).options.slips);
    EXPECT_EQ(parseAnalyseArguments({"r.csv"}).error, "missing -o OUTPUT");
    EXPECT_EQ(parseAnalyseArguments({"-o", "o.csv"}).error, "missing read-values file");
    EXPECT_EQ(parseAnalyseArguments({"a.csv", "b.csv", "-o", "o"}).error,
              "unexpected argument 'b.csv'");
}

TEST(AnalyseCommand, WritesTheItemFileReportAndSlips) {
    TempDir dir;
    // Columns 2-3 are a joined number; question 4 is worth 3 points.
    testing::writeCp932(dir.file("r-読取値.csv"),
                        u"列番号,1,2,3,4\r\n"
                        u"正答入力,1,+,+,2\r\n"
                        u"配点入力,,,,3\r\n"
                        u"a.jpg,1,,12,2\r\n"
                        u"b.jpg,1,,34,1\r\n"
                        u"c.jpg,2,,56,2\r\n"_s);
    const CommandRun r = analyse(dir, "r-読取値.csv -o out.csv --slips --xlsx");
    ASSERT_EQ(r.status, 0) << testing::slurpFile(dir.file("stderr.txt"));
    EXPECT_EQ(r.out, "out-設問分析.csv\nout-分析.pdf\nout-個人票.pdf\nout.xlsx\n");
    const auto lines = testing::cp932Lines(dir.file("out-設問分析.csv"));
    ASSERT_EQ(lines.size(), 11u);
    // Totals a 4, b 1, c 3; g = 1: upper a, lower b.
    EXPECT_EQ(lines[1].join(u','), u"1,1,1,1,3,66.7,0.00,-0.500,0,0,2,1"_s);
    EXPECT_EQ(lines[2].join(u','), u"2,4,2,3,3,66.7,1.00,-0.500,0,0,1,2"_s);
    EXPECT_EQ(lines[5].join(u','), u"平均点,2.67"_s);
    EXPECT_EQ(lines[6].join(u','), u"標準偏差,1.25"_s);
    EXPECT_TRUE(std::filesystem::file_size(dir.file("out-個人票.pdf")) > 0);
    EXPECT_TRUE(std::filesystem::file_size(dir.file("out.xlsx")) > 0);
}

TEST(AnalyseCommand, WithoutAKeyWritesTheSurveyAndAFailedWriteIsStatusTwo) {
    TempDir dir;
    testing::writeCp932(dir.file("s.csv"),
                        u"列番号,1,2\r\n"
                        u"a.jpg,1,2\r\n"
                        u"b.jpg,1,-1\r\n"_s);
    const CommandRun r = analyse(dir, "s.csv -o q.csv");
    ASSERT_EQ(r.status, 0) << testing::slurpFile(dir.file("stderr.txt"));
    EXPECT_EQ(r.out, "q-アンケート集計.csv\nq-アンケート集計.pdf\n");
    const auto lines = testing::cp932Lines(dir.file("q-アンケート集計.csv"));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2].join(u','), u"2,2,1,0,0,1"_s);

    EXPECT_EQ(analyse(dir, "s.csv -o no/such/folder/q.csv").status, 2);
    EXPECT_EQ(analyse(dir, "missing.csv -o q.csv").status, 2);
}

}  // namespace
}  // namespace velmora::cli
