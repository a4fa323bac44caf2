// The definition format: every key survives a write and a read, rewrites
// keep what did not change byte for byte, and the limits hold exactly at
// their values and refuse one past them.
#include "engine/recognition/definition_format.h"

#include <gtest/gtest.h>

namespace strovik {
namespace {

ParsedDefinition parse(const std::string& bytes) {
    return parseDefinition(velmora::ProfileText(bytes));
}

/// A value unlike the key's default, as file text.
std::string sampleText(const DefinitionKey& key) {
    switch (key.type) {
        case KeyType::Integer:
            return "-7";
        case KeyType::Real:
            return "0.25";
        case KeyType::Dpi:
            return "150";
        case KeyType::List:
            return "4,9";
        case KeyType::Text:
            return "dbg.jpg";
    }
    return {};
}

/// Keys a new file leaves out: a user adds them by hand.
bool writtenByNewFile(const DefinitionKey& key) {
    const std::string name = key.name;
    return name != "OVALMARK_NOMARK_MIN" && name != "OVALMARK_NOMARK_MIN_DOTS" &&
           name != "MULTI_MARKED_MULTIPLY";
}

DefinitionContent withMarks() {
    DefinitionContent c;
    c.marks = {{0, 0, 100, 200}, {0, 1, 150, 200}, {1, 0, 100, 260}};
    c.areas = {{{{10, 20}, {110, 20}, {110, 60}, {10, 60}}}};
    return c;
}

class KeyRoundTrip : public ::testing::TestWithParam<DefinitionKey> {};

TEST_P(KeyRoundTrip, ValueSurvivesWritingAndReading) {
    const DefinitionKey& key = GetParam();
    const DefinitionContent before = withMarks();
    DefinitionContent after = before;
    setKeyFromText(after, key, sampleText(key));
    ASSERT_NE(after, before) << key.name << ": the sample must differ from the default";

    // Rewritten into an existing file: only this key changes.
    const std::string base = newDefinitionBytes(before);
    const ParsedDefinition updated = parse(updatedDefinitionBytes(base, before, after));
    EXPECT_EQ(updated.content, after) << key.name;
    EXPECT_EQ(keyText(updated.content, key), keyText(after, key));

    // Written as a new file (the keys it writes).
    if (writtenByNewFile(key)) {
        EXPECT_EQ(parse(newDefinitionBytes(after)).content, after);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKey, KeyRoundTrip, ::testing::ValuesIn(definitionKeys()),
                         [](const ::testing::TestParamInfo<DefinitionKey>& p) {
                             return std::string(p.param.name);
                         });

TEST(DefinitionFormat, NumberedEntriesRoundTripAndMissingKeysTakeDefaults) {
    const DefinitionContent c = withMarks();
    const ParsedDefinition read = parse(newDefinitionBytes(c));
    EXPECT_EQ(read.content, c);
    EXPECT_TRUE(read.hasMarkEntries);
    EXPECT_EQ(read.malformedMarks, 0);

    const ParsedDefinition empty = parse("");
    EXPECT_EQ(empty.content, DefinitionContent{});
    EXPECT_FALSE(empty.hasMarkEntries);
}

TEST(DefinitionFormat, UnchangedContentKeepsAHandEditedFileByteForByte) {
    const std::string hand =
        "; by hand\n[mark]\nOVALMARK_WIDTH = 24\nMARK1=0,1,150,210\nMARK0=0,0,100,210\n"
        "OVALMARK_NOMARK_MIN=1.5\n[ZEROMARK]\r\nZEROMARK_RATE=0.7\r\n[MULTI]\nQUESTIONS=0,,0\n";
    const DefinitionContent read = parse(hand).content;
    EXPECT_EQ(updatedDefinitionBytes(hand, read, read), hand);

    // One size changed: that line alone is rewritten, in place.
    DefinitionContent wider = read;
    wider.ovalWidth = 30;
    const std::string changed = updatedDefinitionBytes(hand, read, wider);
    std::string expected = hand;
    expected.replace(expected.find("OVALMARK_WIDTH = 24"), 19, "OVALMARK_WIDTH=30");
    EXPECT_EQ(changed, expected);
}

TEST(DefinitionFormat, ChangedMarksReplaceTheOldEntriesWhereTheFirstStood) {
    const std::string hand =
        "[MARK]\r\nOVALMARK_WIDTH=24\r\nMARK0=0,0,1,1\r\nXMARK=keep\r\nMARK1=0,1,2,2\r\n"
        "MARK7=9,9,9,9\r\nOVALMARK_COLOR_MAX=200\r\n\r\n[SYSTEM]\r\nDPI_X=1\r\n";
    const DefinitionContent read = parse(hand).content;
    ASSERT_EQ(read.marks.size(), 2u);  // MARK7 lies past the gap
    DefinitionContent more = read;
    more.marks.push_back({1, 0, 5, 5});
    EXPECT_EQ(updatedDefinitionBytes(hand, read, more),
              "[MARK]\r\nOVALMARK_WIDTH=24\r\nMARK0=0,0,1,1\r\nMARK1=0,1,2,2\r\nMARK2=1,0,5,5\r\n"
              "XMARK=keep\r\nOVALMARK_COLOR_MAX=200\r\n\r\n[SYSTEM]\r\nDPI_X=1\r\n");

    // A list that was empty goes after the section's last line, before the gap.
    DefinitionContent none;
    const std::string fresh = newDefinitionBytes(none);
    DefinitionContent one = none;
    one.areas = {{{{1, 2}, {3, 2}, {3, 4}, {1, 4}}}};
    const std::string withArea = updatedDefinitionBytes(fresh, none, one);
    EXPECT_NE(withArea.find("[IMAGEAREA]\r\nIMAGEAREA0=1,2,3,2,3,4,1,4\r\n\r\n\r\n[MULTI]"),
              std::string::npos);
    EXPECT_EQ(parse(withArea).content, one);
}

TEST(DefinitionFormat, QuestionAndChoiceIndicesAtAndPastTheLimit) {
    const int lastQ = kMaxQuestions - 1;
    const int lastC = kMaxChoices - 1;
    EXPECT_FALSE(limitViolation({{lastQ, 0, 1, 1}}));
    EXPECT_FALSE(limitViolation({{0, lastC, 1, 1}}));
    const auto question = limitViolation({{0, 0, 1, 1}, {kMaxQuestions, 0, 1, 1}});
    ASSERT_TRUE(question);
    EXPECT_EQ(question->kind, LimitViolation::Kind::Index);
    EXPECT_EQ(question->entry, 1);
    const auto choice = limitViolation({{0, kMaxChoices, 1, 1}});
    ASSERT_TRUE(choice);
    EXPECT_EQ(choice->choice, kMaxChoices);

    // Read from a file: the violation names the entry's own number, with a
    // malformed entry before it.
    const ParsedDefinition read =
        parse("[MARK]\nMARK0=1,2\nMARK1=0," + std::to_string(kMaxChoices) + ",5,5\n");
    ASSERT_TRUE(read.violation);
    EXPECT_EQ(read.violation->entry, 1);
    EXPECT_EQ(read.malformedMarks, 1);
    EXPECT_EQ(describeViolation(*read.violation),
              "MARK1 names question 0, choice 100; the engine holds 100000 questions of 100 "
              "choices");
}

TEST(DefinitionFormat, MarkSlotsAtAndPastTheLimit) {
    // 20000 questions of 100 choices fill the table exactly.
    const int questions = int(kMaxMarkSlots / kMaxChoices);
    EXPECT_FALSE(limitViolation({{questions - 1, kMaxChoices - 1, 1, 1}}));
    const auto past = limitViolation({{questions, kMaxChoices - 1, 1, 1}});
    ASSERT_TRUE(past);
    EXPECT_EQ(past->kind, LimitViolation::Kind::Slots);
    EXPECT_EQ(past->question, questions + 1);
    EXPECT_EQ(past->choice, kMaxChoices);
}

TEST(DefinitionFormat, WrittenDefinitionsAtTheirLimitsRead) {
    DefinitionContent c;
    for (int q = 0; q < kMaxWrittenQuestions; ++q) c.marks.push_back({q, 0, 1, 1});
    c.marks.push_back({kMaxWrittenQuestions - 1, kMaxChoices - 1, 2, 2});
    EXPECT_FALSE(limitViolation(c.marks));
    EXPECT_FALSE(parse(newDefinitionBytes(c)).violation);
}

TEST(DefinitionFormat, ImageAreasStopAtTheLimit) {
    std::string text = "[IMAGEAREA]\n";
    for (int i = 0; i <= kMaxImageAreas; ++i)
        text += "IMAGEAREA" + std::to_string(i) + "=1,1,2,1,2,2,1,2\n";
    EXPECT_EQ(parse(text).content.areas.size(), std::size_t(kMaxImageAreas));
    // Missing numbers read as 0 and are counted.
    const ParsedDefinition partial = parse("[IMAGEAREA]\nIMAGEAREA0=1,2,3\n");
    ASSERT_EQ(partial.content.areas.size(), 1u);
    EXPECT_EQ(partial.content.areas[0][1], (DefinitionPoint{3, 0}));
    EXPECT_EQ(partial.malformedAreas, 1);
}

TEST(DefinitionFormat, QuestionsListSkipsEmptyItemsAndReadsLikeAtoi) {
    const ParsedDefinition read = parse("[MULTI]\nQUESTIONS=3,,5,x\n");
    EXPECT_EQ(read.content.multiQuestions, (std::vector<int>{3, 5, 0}));
    EXPECT_EQ(read.multiQuestionsRaw, "3,,5,x");
}

}  // namespace
}  // namespace strovik
