// The IStrova methods through the component boundary: text conversion,
// out-parameters left alone, the completion notification and the engine
// state shared by all objects.
#include <gtest/gtest.h>

#include <vector>

#include "component_fixture.h"
#include "synthetic_sheet.h"

namespace strovik::testing {
namespace {

struct Notification {
    std::int32_t window;
    std::uint32_t message;
    std::int32_t wParam;
    std::int32_t lParam;
    void* context;
};

void recordNotification(std::int32_t window, std::uint32_t message, std::int32_t wParam,
                        std::int32_t lParam, void* context) {
    static_cast<std::vector<Notification>*>(context)->push_back(
        {window, message, wParam, lParam, context});
}

/// Registers a recording sink for the scope of a test.
class RecordingSink {
public:
    RecordingSink() {
        if (engineLoaded()) engine().setNotifySink(&recordNotification, &calls);
    }
    ~RecordingSink() {
        if (engineLoaded()) engine().setNotifySink(nullptr, nullptr);
    }
    RecordingSink(const RecordingSink&) = delete;
    RecordingSink& operator=(const RecordingSink&) = delete;

    std::vector<Notification> calls;
};

LONG call(IStrova* object, HRESULT (IStrova::*method)(BSTR, LONG*), const std::string& text) {
    const UniqueBstr arg{std::string_view(text)};
    LONG retval = 12345;
    EXPECT_EQ((object->*method)(arg.get(), &retval), S_OK);
    return retval;
}

LONG run(IStrova* object) {
    LONG retval = 12345;
    EXPECT_EQ(object->Run(&retval), S_OK);
    return retval;
}

class StrovaMethods : public ::testing::Test {
protected:
    void SetUp() override {
        object_ = newStrova();
        ASSERT_TRUE(object_);
    }
    void TearDown() override {
        object_.reset();
        EXPECT_TRUE(engineIdle());
    }
    IStrova* object() const { return object_.get(); }

    Ref<IStrova> object_;
};

TEST_F(StrovaMethods, UnknownActionIsRefusedAndLeavesEveryOutputAsPassed) {
    // Actions are compared exactly: a wrong case, a trailing blank or an
    // empty name is as unknown as a misspelt one.
    for (const char* name : {"no_such_action", "CHK_ROTATE", "chk_rotate ", ""}) {
        OptionCall c;
        c.retValue = 77;
        c.ret = 88;
        c.retValueStr.reset(bstrFromUtf8("caller's text"));
        const BSTR callerText = c.retValueStr.get();
        putOptions(object(), name, 5, "value", c);
        EXPECT_EQ(c.hr, E_INVALIDARG) << name;
        EXPECT_EQ(c.retValue, 77);
        EXPECT_EQ(c.ret, 88);
        EXPECT_FALSE(c.textReplaced);
        EXPECT_EQ(c.retValueStr.get(), callerText);
        EXPECT_EQ(c.retValueStr.utf8(), "caller's text");
    }
    OptionCall known;
    putOptions(object(), OptionAction::ChkRotate, 0, "", known);
    EXPECT_EQ(known.hr, S_OK);
}

TEST_F(StrovaMethods, OptionActionsWriteOnlyTheirOwnOutputs) {
    OptionCall c;
    c.retValue = 77;
    c.ret = 88;
    c.retValueStr.reset(bstrFromUtf8("keep"));
    const BSTR callerText = c.retValueStr.get();

    putOptions(object(), OptionAction::SetNoMarkMin1000, 2500, "", c);  // a setter writes nothing
    EXPECT_EQ(c.retValue, 77);
    EXPECT_EQ(c.ret, 88);
    EXPECT_EQ(c.retValueStr.get(), callerText);

    putOptions(object(), OptionAction::GetNoMarkMin1000, 0, "", c);  // RetValue only
    EXPECT_EQ(c.retValue, 2500);
    EXPECT_EQ(c.ret, 88);
    EXPECT_EQ(c.retValueStr.get(), callerText);
    EXPECT_EQ(c.retValueStr.utf8(), "keep");

    putOptions(object(), OptionAction::ChkRotate, 0, "", c);  // RetValue and ret
    EXPECT_EQ(c.ret, 0);
    EXPECT_EQ(c.retValueStr.get(), callerText);

    // Null out-pointers are tolerated.
    const UniqueBstr action(optionActionName(OptionAction::ChkRotate));
    EXPECT_EQ(object()->put_Options(action.get(), 0, nullptr, nullptr, nullptr, nullptr), S_OK);
}

TEST_F(StrovaMethods, TextOutputsAreNewStrings) {
    TempDir dir("multi");
    const std::filesystem::path definition = dir.path() / "multi.ini";
    writeDefinition(definition, 0, "1,,0");
    ASSERT_EQ(call(object(), &IStrova::put_IniFilename, definition.string()), 0);

    OptionCall c;
    c.ret = 88;
    c.retValueStr.reset(bstrFromUtf8("old"));
    putOptions(object(), OptionAction::GetMultiQuestions, 0, "", c);
    EXPECT_EQ(c.retValue, 2);
    EXPECT_EQ(c.ret, 88);
    EXPECT_TRUE(c.textReplaced);
    EXPECT_EQ(c.retValueStr.utf8(), "1,,0");
}

TEST_F(StrovaMethods, DensityOfABitmapIsNotRead) {
    TempDir dir("dpi");
    const SyntheticSheet sheet = writeSyntheticSheet(dir.path());
    OptionCall c;
    c.retValue = 77;
    c.ret = 88;
    putOptions(object(), OptionAction::GetDpiX, 0, sheet.image.string(), c);
    EXPECT_EQ(c.retValue, -1);
    EXPECT_EQ(c.ret, 0);
}

TEST_F(StrovaMethods, NullAndMissingPathsMakeRunReportAnUnloadableImage) {
    LONG retval = 12345;
    EXPECT_EQ(object()->put_ImageFilename(nullptr, &retval), S_OK);
    EXPECT_EQ(retval, 0);
    EXPECT_EQ(run(object()), -2);
    EXPECT_EQ(object()->put_IniFilename(nullptr, &retval), S_OK);
    EXPECT_EQ(retval, 0);

    // Null out-pointers do not crash any method.
    EXPECT_EQ(object()->Run(nullptr), S_OK);
    EXPECT_EQ(object()->get_Result(nullptr, nullptr, nullptr), S_OK);
}

TEST_F(StrovaMethods, PutNotifyDoesNotWriteItsRetval) {
    LONG retval = 55;
    EXPECT_EQ(object()->put_Notify(1, 2, &retval), S_OK);
    EXPECT_EQ(retval, 55);
}

TEST_F(StrovaMethods, SuccessfulRunNotifiesOnceWithQuestionsAndChoices) {
    TempDir dir("答案-notify");  // non-ASCII path through the BSTR boundary
    const SyntheticSheet sheet = writeSyntheticSheet(dir.path());
    RecordingSink sink;

    ASSERT_EQ(call(object(), &IStrova::put_IniFilename, sheet.definition.string()), 0);
    ASSERT_EQ(call(object(), &IStrova::put_ImageFilename, sheet.image.string()), 0);
    LONG unused = 0;
    ASSERT_EQ(object()->put_Notify(0x1234, 0x8001, &unused), S_OK);
    ASSERT_EQ(run(object()), 0);

    ASSERT_EQ(sink.calls.size(), 1u);
    EXPECT_EQ(sink.calls[0].window, 0x1234);
    EXPECT_EQ(sink.calls[0].message, 0x8001u);
    EXPECT_EQ(sink.calls[0].wParam, sheet.questions);
    EXPECT_EQ(sink.calls[0].lParam, sheet.choices);
    EXPECT_EQ(sink.calls[0].context, &sink.calls);

    UniqueBstr answers;
    UniqueBstr reliability;
    LONG retval = 12345;
    ASSERT_EQ(object()->get_Result(answers.out(), reliability.out(), &retval), S_OK);
    EXPECT_EQ(retval, 0);
    EXPECT_EQ(answers.utf8(), sheet.expectedAnswers);
    EXPECT_EQ(reliability.utf8(), sheet.expectedReliability);

    // A failed run sends nothing.
    ASSERT_EQ(call(object(), &IStrova::put_ImageFilename, (dir.path() / "none.bmp").string()), 0);
    EXPECT_EQ(run(object()), -2);
    EXPECT_EQ(sink.calls.size(), 1u);
}

TEST_F(StrovaMethods, NotifyWithMessageOrWindowZeroSendsNothing) {
    TempDir dir("silent");
    const SyntheticSheet sheet = writeSyntheticSheet(dir.path());
    RecordingSink sink;
    ASSERT_EQ(call(object(), &IStrova::put_IniFilename, sheet.definition.string()), 0);
    ASSERT_EQ(call(object(), &IStrova::put_ImageFilename, sheet.image.string()), 0);
    LONG unused = 0;

    ASSERT_EQ(object()->put_Notify(0x1234, 0, &unused), S_OK);
    ASSERT_EQ(run(object()), 0);
    ASSERT_EQ(object()->put_Notify(0, 0x8001, &unused), S_OK);
    ASSERT_EQ(run(object()), 0);
    EXPECT_TRUE(sink.calls.empty());

    // The notification target is per object: another object's is not used.
    Ref<IStrova> other = newStrova();
    ASSERT_EQ(other->put_Notify(7, 8, &unused), S_OK);
    ASSERT_EQ(run(object()), 0);
    EXPECT_TRUE(sink.calls.empty());
}

TEST_F(StrovaMethods, RunWithoutARegisteredSinkStillSucceeds) {
    TempDir dir("nosink");
    const SyntheticSheet sheet = writeSyntheticSheet(dir.path());
    ASSERT_EQ(call(object(), &IStrova::put_IniFilename, sheet.definition.string()), 0);
    ASSERT_EQ(call(object(), &IStrova::put_ImageFilename, sheet.image.string()), 0);
    LONG unused = 0;
    ASSERT_EQ(object()->put_Notify(1, 2, &unused), S_OK);
    EXPECT_EQ(run(object()), 0);
}

TEST_F(StrovaMethods, ObjectsShareOneEngineState) {
    TempDir dir("shared");
    const SyntheticSheet sheet = writeSyntheticSheet(dir.path(), 4);
    const std::filesystem::path noAreas = dir.path() / "no-areas.ini";
    writeDefinition(noAreas, 0);
    Ref<IStrova> other = newStrova();
    ASSERT_TRUE(other);

    ASSERT_EQ(call(object(), &IStrova::put_IniFilename, sheet.definition.string()), 0);
    EXPECT_EQ(optionValue(other.get(), OptionAction::GetImageAreaCount), 4);
    ASSERT_EQ(call(other.get(), &IStrova::put_IniFilename, noAreas.string()), 0);
    EXPECT_EQ(optionValue(object(), OptionAction::GetImageAreaCount), 0);

    OptionCall set;
    putOptions(other.get(), OptionAction::SetMarkColorMin, 123, "", set);
    EXPECT_EQ(optionValue(object(), OptionAction::GetMarkColorMin), 123);

    // Image paths stay per object.
    ASSERT_EQ(call(object(), &IStrova::put_ImageFilename, sheet.image.string()), 0);
    ASSERT_EQ(call(other.get(), &IStrova::put_ImageFilename, (dir.path() / "x.bmp").string()), 0);
    ASSERT_EQ(call(object(), &IStrova::put_IniFilename, sheet.definition.string()), 0);
    EXPECT_EQ(run(object()), 0);
    EXPECT_EQ(run(other.get()), -2);

    // Results of one object's run are what the other reads.
    UniqueBstr answers;
    UniqueBstr reliability;
    LONG retval = 0;
    ASSERT_EQ(other->get_Result(answers.out(), reliability.out(), &retval), S_OK);
    EXPECT_EQ(answers.utf8(), sheet.expectedAnswers);
}

}  // namespace
}  // namespace strovik::testing
