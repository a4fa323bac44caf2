// The option table over CLI11: the spellings users type, the last of
// repeated options, the one-line messages, and help listing every option.
#include "tools/cli/option_table.h"

#include <gtest/gtest.h>

namespace velmora::cli {
namespace {

using Args = std::vector<std::string>;
using Kind = OptionTable::Outcome::Kind;

struct Command {
    std::string definition;
    std::string jobs;
    std::vector<std::string> distort;
    std::optional<bool> ten;
    std::optional<bool> verbose;
    std::vector<std::string> operands;
    OptionTable table{"usage: tool -d FILE [-j N] NAME...\n", "Does things.\n",
                      "\nExit status: 0 done.\n"};
    CLI::Option* jobsOption = nullptr;

    Command() {
        table.value("-d,--definition", "FILE", "the file", ValueCheck::any(), definition);
        jobsOption =
            table.value("-j,--jobs", "N", "workers, 1 to 256", ValueCheck::whole(1, 256), jobs);
        table.values(
            "--distort", "N=X", "repeatable",
            ValueCheck::custom([](const std::string& v) { return v.find('=') != v.npos; }, "N=X"),
            distort);
        table.flag("-v,--verbose", "talk", verbose);
        table.group("settings");
        table.flag("--ten,!--no-ten", "store 10 as 0 (default on)", ten);
        table.operands(operands);
    }
    OptionTable::Outcome parse(const Args& args) { return table.parse(args); }
};

TEST(OptionTable, EverySpellingTheLastValueAndTheEndOfOptions) {
    Command c;
    ASSERT_EQ(c.parse({"a", "-ddef.ini", "--jobs=2", "-j", "3", "b", "--distort", "1=2",
                       "--distort=3=4", "--no-ten", "--ten", "-v", "--", "-j", "--ten=1", "-"})
                  .kind,
              Kind::Options);
    EXPECT_EQ(c.definition, "def.ini");
    EXPECT_EQ(c.jobs, "3");
    EXPECT_EQ(c.distort, (Args{"1=2", "3=4"}));
    EXPECT_EQ(c.ten, true);
    EXPECT_EQ(c.verbose, true);
    EXPECT_EQ(c.operands, (Args{"a", "b", "-j", "--ten=1", "-"}));
    EXPECT_EQ(c.table.spellingOf(c.jobsOption, 0), "--jobs");
    EXPECT_EQ(c.table.spellingOf(c.jobsOption, 1), "-j");

    Command d;
    ASSERT_EQ(d.parse({"--definition", "-odd.ini", "--ten", "--no-ten", "x"}).kind, Kind::Options);
    EXPECT_EQ(d.definition, "-odd.ini");  // a value may start with "-"
    EXPECT_EQ(d.ten, false);
    EXPECT_FALSE(d.verbose.has_value());  // not given: the caller's default stays
    EXPECT_FALSE(d.table.given(d.jobsOption));
}

TEST(OptionTable, MessagesNameTheWordAsTyped) {
    const auto error = [](const Args& args) {
        Command c;
        const OptionTable::Outcome outcome = c.parse(args);
        EXPECT_EQ(outcome.kind, Kind::Error);
        EXPECT_EQ(outcome.error.find('\n'), std::string::npos);
        return outcome.error;
    };
    EXPECT_EQ(error({"-d", "x", "--bogus", "a"}), "unknown option '--bogus'");
    EXPECT_EQ(error({"-d", "x", "a", "-j"}), "option -j needs a value");
    EXPECT_EQ(error({"a", "--jobs", "0"}), "bad value for --jobs: '0' (expected 1 to 256)");
    // The first bad occurrence, under the name it was given with.
    EXPECT_EQ(error({"-j", "2", "--jobs=2x", "-j", "0"}),
              "bad value for --jobs: '2x' (expected 1 to 256)");
    EXPECT_EQ(error({"-j-1"}), "bad value for -j: '-1' (expected 1 to 256)");
    EXPECT_EQ(error({"--distort", "12"}), "bad value for --distort: '12' (expected N=X)");
    // A flag takes no attached value.
    EXPECT_EQ(error({"a", "--ten=1"}), "unknown option '--ten=1'");

    Command c;
    EXPECT_EQ(c.parse({"-d", "x", "a", "-h"}).kind, Kind::Help);
}

TEST(OptionTable, HelpListsEveryOptionInItsGroup) {
    Command c;
    const std::string help = c.table.help();
    EXPECT_TRUE(help.starts_with("usage: tool -d FILE [-j N] NAME...\n\nDoes things.\n"));
    EXPECT_TRUE(help.ends_with("\nExit status: 0 done.\n"));
    for (const char* line : {"-h, --help", "-d, --definition FILE", "-j, --jobs N", "--distort N=X",
                             "-v, --verbose", "settings:", "--ten, --no-ten"}) {
        EXPECT_NE(help.find(line), std::string::npos) << line << "\n" << help;
    }
    EXPECT_LT(help.find("--verbose"), help.find("settings:"));
    EXPECT_GT(help.find("--ten"), help.find("settings:"));
    EXPECT_EQ(help.find("operands"), std::string::npos);
}

}  // namespace
}  // namespace velmora::cli
