// Parsing of `velmora read` arguments and the subcommand dispatch.
#include "tools/velmora/command_line.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/velmora/tool.h"

namespace velmora::cli {
namespace {

using Args = std::vector<std::string>;

ParsedRead parse(const Args& args) {
    return parseReadArguments(args);
}

TEST(ParseRead, DefaultsWithOnlyDefinitionAndImages) {
    const ParsedRead p = parse({"-d", "def.ini", "a.jpg", "dir"});
    ASSERT_EQ(p.kind, ParsedRead::Kind::Options) << p.error;
    EXPECT_EQ(p.options.definition, "def.ini");
    EXPECT_EQ(p.options.jobs, 1);
    EXPECT_EQ(p.options.dots, 10);
    EXPECT_EQ(p.options.multiply1000, 2000);
    EXPECT_TRUE(p.options.cropsDir.empty());
    EXPECT_TRUE(p.options.debugDir.empty());
    EXPECT_EQ(p.options.inputs, (Args{"a.jpg", "dir"}));
}

TEST(ParseRead, EveryOptionInEverySpelling) {
    const ParsedRead p = parse({"x.jpg", "-j", "4", "--dots", "0", "--multiply", "1.2345",
                                "--crops", "c", "--debug=dbg", "-ddef.ini", "y.jpg"});
    ASSERT_EQ(p.kind, ParsedRead::Kind::Options) << p.error;
    EXPECT_EQ(p.options.jobs, 4);
    EXPECT_EQ(p.options.dots, 0);
    EXPECT_EQ(p.options.multiply1000, 1235);  // rounded to the nearest
    EXPECT_EQ(p.options.cropsDir, "c");
    EXPECT_EQ(p.options.debugDir, "dbg");
    EXPECT_EQ(p.options.definition, "def.ini");
    EXPECT_EQ(p.options.inputs, (Args{"x.jpg", "y.jpg"}));

    const ParsedRead q = parse({"--definition=d.ini", "--jobs=2", "-j3", "--dots=100",
                                "--multiply=0.0004", "--", "-odd.jpg", "--dots"});
    ASSERT_EQ(q.kind, ParsedRead::Kind::Options) << q.error;
    EXPECT_EQ(q.options.definition, "d.ini");
    EXPECT_EQ(q.options.jobs, 3);  // the last one wins
    EXPECT_EQ(q.options.dots, 100);
    EXPECT_EQ(q.options.multiply1000, 0);
    EXPECT_EQ(q.options.inputs, (Args{"-odd.jpg", "--dots"}));
}

TEST(ParseRead, HelpAnywhere) {
    EXPECT_EQ(parse({"--help"}).kind, ParsedRead::Kind::Help);
    EXPECT_EQ(parse({"-d", "x", "a.jpg", "-h"}).kind, ParsedRead::Kind::Help);
}

TEST(ParseRead, Errors) {
    struct Case {
        Args args;
        std::string messagePart;
    };
    const std::vector<Case> cases = {
        {{"-d", "x", "-q", "a"}, "unknown option '-q'"},
        {{"-d", "x", "--dotz", "3", "a"}, "unknown option '--dotz'"},
        {{"a.jpg"}, "missing -d"},
        {{"-d", "x"}, "no images"},
        {{"-d", "x", "a", "-j"}, "-j needs a value"},
        {{"-d", "x", "a", "-j", "0"}, "bad value for -j"},
        {{"-d", "x", "a", "-j", "257"}, "bad value for -j"},
        {{"-d", "x", "a", "--jobs=2x"}, "bad value for --jobs"},
        {{"-d", "x", "a", "-j", "-1"}, "bad value for -j"},
        {{"-d", "x", "a", "--dots", "101"}, "bad value for --dots"},
        {{"-d", "x", "a", "--dots", "5.5"}, "bad value for --dots"},
        {{"-d", "x", "a", "--multiply", "abc"}, "bad value for --multiply"},
        {{"-d", "x", "a", "--multiply", "-1"}, "bad value for --multiply"},
        {{"-d", "x", "a", "--multiply", "nan"}, "bad value for --multiply"},
        {{"-d", "x", "a", "--multiply", "1e9"}, "bad value for --multiply"},
        {{"-d", "x", "a", "--multiply", ""}, "bad value for --multiply"},
    };
    for (const Case& c : cases) {
        const ParsedRead p = parse(c.args);
        EXPECT_EQ(p.kind, ParsedRead::Kind::Error) << c.messagePart;
        EXPECT_NE(p.error.find(c.messagePart), std::string::npos) << p.error;
        EXPECT_EQ(p.error.find('\n'), std::string::npos) << p.error;
    }
}

struct ToolRun {
    int status = 0;
    std::string out;
    std::string err;
};

ToolRun runTool(const Args& args) {
    std::ostringstream out, err;
    ToolRun r;
    r.status = runVelmora(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

TEST(Tool, HelpGoesToStdoutWithStatusZero) {
    for (const Args& args : {Args{"--help"}, Args{"-h"}}) {
        const ToolRun r = runTool(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("usage: velmora COMMAND"), std::string::npos);
        EXPECT_TRUE(r.err.empty());
    }
    const ToolRun r = runTool({"read", "--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("usage: velmora read -d DEFINITION.ini"), std::string::npos);
    EXPECT_TRUE(r.err.empty());
}

TEST(Tool, MissingOrUnknownCommandIsUsageError) {
    const ToolRun none = runTool({});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.out.empty());
    EXPECT_TRUE(none.err.starts_with("velmora: missing command\nusage: velmora"));

    const ToolRun unknown = runTool({"scan", "x"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.starts_with("velmora: unknown command 'scan'\n"));
}

TEST(Tool, BadReadArgumentsGiveOneLineAndStatusTwo) {
    const ToolRun r = runTool({"read", "-d", "x.ini", "--bogus", "a.jpg"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "velmora: unknown option '--bogus'\n");
    EXPECT_TRUE(r.out.empty());
}

}  // namespace
}  // namespace velmora::cli
