// The option actions' one name table: every action has its own name, text
// turns back into the same action, and nothing else is an action.
#include "engine/com/option_action.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace strovik {
namespace {

TEST(OptionActionNames, EveryActionRoundTripsThroughItsOwnName) {
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < kOptionActionCount; ++i) {
        const auto action = OptionAction(i);
        const std::string_view name = optionActionName(action);
        EXPECT_TRUE(seen.insert(name).second) << "two actions named " << name;
        EXPECT_EQ(optionActionFromName(name), action) << name;
        // The names keep the engine's form: a verb prefix, lower case and "_".
        EXPECT_TRUE(name.starts_with("get_") || name.starts_with("set_") ||
                    name.starts_with("chk_"))
            << name;
        EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_"),
                  std::string_view::npos)
            << name;
    }
    EXPECT_EQ(optionActionName(OptionAction::GetMultiDotsPerQuestion),
              "get_multi_dots_per_question");
    EXPECT_EQ(optionActionName(OptionAction::GetDefinitionProblem), "get_definition_problem");
}

TEST(OptionActionNames, OnlyExactNamesAreActions) {
    for (const char* text : {"", "get", "GET_DPI_X", "get_dpi_x ", " get_dpi_x", "get_dpi_z",
                             "get_dpi_x\n", "set_markcolormin_"}) {
        EXPECT_EQ(optionActionFromName(text), std::nullopt) << '"' << text << '"';
    }
    // A name with an embedded NUL is not its prefix.
    EXPECT_EQ(optionActionFromName(std::string_view("chk_rotate\0x", 12)), std::nullopt);
}

}  // namespace
}  // namespace strovik
