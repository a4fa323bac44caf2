// Parsing of `read -o`, `score`, `count` and `rename`, the settings options
// over the application's defaults, and the choice between the two forms of
// `read`.
#include "tools/velmora/batch_options.h"

#include <gtest/gtest.h>

#include "tools/velmora/command_line.h"

namespace velmora::cli {
namespace {

using Args = std::vector<std::string>;
using ReadKind = Parsed<BatchReadOptions>::Kind;

TEST(BatchOptions, OutputOptionSelectsTheBatchForm) {
    EXPECT_TRUE(hasOutputOption({"-d", "x.ini", "-o", "out.csv", "a.jpg"}));
    EXPECT_TRUE(hasOutputOption({"a.jpg", "--output=out.csv"}));
    EXPECT_TRUE(hasOutputOption({"-oout.csv", "a.jpg"}));
    EXPECT_FALSE(hasOutputOption({"-d", "x.ini", "a.jpg"}));
    // A value that merely starts with "-o" and operands after "--" do not count.
    EXPECT_FALSE(hasOutputOption({"-d", "-odd.ini", "a.jpg"}));
    EXPECT_FALSE(hasOutputOption({"--crops", "-o", "a.jpg"}));
    EXPECT_FALSE(hasOutputOption({"-d", "x.ini", "--", "-o", "a.jpg"}));
}

TEST(BatchOptions, ReadDefaultsLeaveTheApplicationSettings) {
    const auto p = parseBatchReadArguments({"-d", "def.ini", "-o", "out.csv", "a.jpg", "dir"});
    ASSERT_EQ(p.kind, ReadKind::Options) << p.error;
    EXPECT_EQ(p.options.definition, "def.ini");
    EXPECT_EQ(p.options.output, "out.csv");
    EXPECT_EQ(p.options.jobs, 1);
    EXPECT_TRUE(p.options.key.empty());
    EXPECT_TRUE(p.options.cropsDir.empty());
    EXPECT_FALSE(p.options.verbose);
    EXPECT_EQ(p.options.inputs, (Args{"a.jpg", "dir"}));

    const tarrow::AppSettings& given = p.options.settings;
    const tarrow::AppSettings defaults;
    EXPECT_EQ(given.tenToZero, defaults.tenToZero);
    EXPECT_EQ(given.transpose, defaults.transpose);
    EXPECT_EQ(given.multiMarked, defaults.multiMarked);
    EXPECT_EQ(given.noMarkValue, defaults.noMarkValue);
    EXPECT_EQ(given.markValue, defaults.markValue);
    EXPECT_EQ(given.multiValue, defaults.multiValue);
    EXPECT_EQ(given.multiRange, defaults.multiRange);
    EXPECT_EQ(given.noMarkedPercent, defaults.noMarkedPercent);
    EXPECT_EQ(given.multiMarkedThreshold, defaults.multiMarkedThreshold);
    EXPECT_EQ(given.imageScale, defaults.imageScale);
    EXPECT_EQ(given.sharpenRate, defaults.sharpenRate);
}

TEST(BatchOptions, EverySettingReachesTheSettingsObject) {
    const auto p = parseBatchReadArguments({"-d",
                                            "d.ini",
                                            "-o",
                                            "o.csv",
                                            "--no-ten",
                                            "--transpose",
                                            "--multi-marked",
                                            "--nomark",
                                            "1.5",
                                            "--faint=3.5",
                                            "--multi-value",
                                            "120",
                                            "--multi-range",
                                            "30",
                                            "--dots",
                                            "15",
                                            "--multiply",
                                            "2.5",
                                            "--scale",
                                            "50",
                                            "--sharpen",
                                            "0",
                                            "--key",
                                            "k.csv",
                                            "--crops",
                                            "c",
                                            "-j",
                                            "3",
                                            "-v",
                                            "x.jpg"});
    ASSERT_EQ(p.kind, ReadKind::Options) << p.error;
    EXPECT_EQ(p.options.key, "k.csv");
    EXPECT_EQ(p.options.cropsDir, "c");
    EXPECT_EQ(p.options.jobs, 3);
    EXPECT_TRUE(p.options.verbose);
    const tarrow::AppSettings& s = p.options.settings;
    EXPECT_FALSE(s.tenToZero);
    EXPECT_TRUE(s.transpose);
    EXPECT_TRUE(s.multiMarked);
    EXPECT_EQ(s.noMarkValue, "1.5");
    EXPECT_EQ(s.markValue, "3.5");
    EXPECT_EQ(s.multiValue, "120");
    EXPECT_EQ(s.multiRange, "30");
    EXPECT_EQ(s.noMarkedPercent, "15");
    EXPECT_EQ(s.multiMarkedThreshold, "2.5");
    EXPECT_EQ(s.imageScale, "50");
    EXPECT_EQ(s.sharpenRate, "0");

    // The last of --ten / --no-ten wins.
    const auto q = parseBatchReadArguments({"-d", "d", "-o", "o", "--no-ten", "--ten", "x"});
    ASSERT_EQ(q.kind, ReadKind::Options) << q.error;
    EXPECT_EQ(q.options.settings.tenToZero, true);
}

TEST(BatchOptions, ReadErrorsNameTheProblem) {
    const auto error = [](const Args& args) {
        const auto p = parseBatchReadArguments(args);
        EXPECT_EQ(p.kind, ReadKind::Error);
        return p.error;
    };
    EXPECT_EQ(error({"-o", "o.csv", "a.jpg"}), "missing -d DEFINITION");
    EXPECT_EQ(error({"-d", "d.ini", "a.jpg"}), "missing -o OUTPUT");
    EXPECT_EQ(error({"-d", "d.ini", "-o", "o.csv"}), "no images given");
    EXPECT_EQ(error({"-d", "d.ini", "-o", "o.csv", "--bogus", "a"}), "unknown option '--bogus'");
    EXPECT_EQ(error({"-d", "d.ini", "-o"}), "option -o needs a value");
    EXPECT_EQ(error({"-d", "d", "-o", "o", "--nomark", "two", "a"}),
              "bad value for --nomark: 'two' (expected a number)");
    EXPECT_EQ(error({"-d", "d", "-o", "o", "--dots", "101", "a"}),
              "bad value for --dots: '101' (expected 0 to 100)");
    EXPECT_EQ(error({"-d", "d", "-o", "o", "--scale", "0", "a"}),
              "bad value for --scale: '0' (expected 1 to 100)");
    EXPECT_EQ(error({"-d", "d", "-o", "o", "--multi-value", "1.5", "a"}),
              "bad value for --multi-value: '1.5' (expected 0 to 1000000)");
    EXPECT_EQ(error({"-d", "d", "-o", "o", "-j", "0", "a"}),
              "bad value for -j: '0' (expected 1 to 256)");
    EXPECT_EQ(error({"-d", "d", "-o", "o", "--multiply", "inf", "a"}),
              "bad value for --multiply: 'inf' (expected a number)");
    // A flag takes no attached value.
    EXPECT_EQ(error({"-d", "d", "-o", "o", "--ten=1", "a"}), "unknown option '--ten=1'");
    EXPECT_EQ(parseBatchReadArguments({"-d", "d", "--help"}).kind, ReadKind::Help);
}

TEST(BatchOptions, ScoreCountAndRename) {
    const auto score = parseScoreArguments({"in.csv", "-o", "out.csv", "--transpose"});
    ASSERT_EQ(score.kind, Parsed<ScoreOptions>::Kind::Options) << score.error;
    EXPECT_EQ(score.options.input, "in.csv");
    EXPECT_EQ(score.options.output, "out.csv");
    EXPECT_EQ(score.options.settings.transpose, true);
    EXPECT_EQ(parseScoreArguments({"in.csv"}).error, "missing -o OUTPUT");
    EXPECT_EQ(parseScoreArguments({"-o", "o"}).error, "missing read-values file");
    EXPECT_EQ(parseScoreArguments({"a", "b", "-o", "o"}).error, "unexpected argument 'b'");

    const auto count = parseCountArguments({"in.csv", "-o", "out.csv"});
    ASSERT_EQ(count.kind, Parsed<CountOptions>::Kind::Options) << count.error;
    EXPECT_EQ(count.options.maxChoices, kDefaultMaxChoices);
    EXPECT_EQ(parseCountArguments({"i", "-o", "o", "--max-choices=4"}).options.maxChoices, 4);
    EXPECT_EQ(parseCountArguments({"i", "-o", "o", "--max-choices", "0"}).error,
              "bad value for --max-choices: '0' (expected 1 to 1000)");

    const auto rename =
        parseRenameArguments({"in.csv", "--images", "imgs", "--to", "out", "--pattern", "1,2,--,0",
                              "--prefix", "A", "--postfix", "_x", "--log-dir", "logs"});
    ASSERT_EQ(rename.kind, Parsed<RenameOptions>::Kind::Options) << rename.error;
    EXPECT_EQ(rename.options.images, "imgs");
    EXPECT_EQ(rename.options.to, "out");
    EXPECT_EQ(rename.options.pattern, "1,2,--,0");
    EXPECT_EQ(rename.options.prefix, "A");
    EXPECT_EQ(rename.options.postfix, "_x");
    EXPECT_EQ(rename.options.logDir, "logs");
    EXPECT_EQ(parseRenameArguments({"i", "--to", "t", "--pattern", "1"}).error,
              "missing --images FOLDER");
    EXPECT_EQ(parseRenameArguments({"i", "--images", "m", "--to", "t"}).error,
              "missing --pattern PATTERN");
}

TEST(BatchOptions, HelpListsEveryOptionWithTheSettingsDefaults) {
    const tarrow::AppSettings d;
    const std::string usage = readUsage();
    for (const char* option :
         {"-d,", "-o,", "--key", "--crops", "-j,", "--ten", "--no-ten", "--transpose",
          "--multi-marked", "--nomark", "--faint", "--multi-value", "--multi-range", "--dots",
          "--multiply", "--scale", "--sharpen"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    EXPECT_NE(usage.find("(default " + d.noMarkValue.toStdString() + ")"), std::string::npos);
    EXPECT_NE(usage.find("(default " + d.multiValue.toStdString() + ")"), std::string::npos);
    EXPECT_NE(usage.find("(default " + d.imageScale.toStdString() + ")"), std::string::npos);
    EXPECT_NE(countUsage().find("--max-choices"), std::string::npos);
    EXPECT_NE(renameUsage().find("--log-dir"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
