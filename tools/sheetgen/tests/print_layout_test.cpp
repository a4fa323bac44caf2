// The shipped templates' layouts: every one fits the page at both scan
// resolutions, positions scale exactly, and the definitions hold every
// question, the areas and the multi-answer list.
#include "tools/sheetgen/print_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "tools/sheetgen/print_mode.h"

namespace sheetgen {
namespace {

/// The text after "KEY=" on its line, or empty.
std::string valueOf(const std::string& ini, const std::string& key) {
    const std::size_t at = ini.find("\r\n" + key + "=");
    if (at == std::string::npos) return {};
    const std::size_t start = at + key.size() + 3;
    return ini.substr(start, ini.find("\r\n", start) - start);
}

TEST(PrintLayout, EveryShippedTemplateFitsAndScalesExactly) {
    std::set<std::string> names;
    for (const PrintRecipe& recipe : shippedRecipes()) {
        SCOPED_TRACE(recipe.name);
        names.insert(recipe.name);
        const PrintLayout layout = makePrintLayout(recipe);
        ASSERT_EQ(layout.marks.ovals.size(), std::size_t(recipe.questions + recipe.numberDigits));
        for (std::size_t q = 0; q < layout.marks.ovals.size(); ++q) {
            EXPECT_EQ(layout.marks.ovals[q].size(),
                      std::size_t(int(q) < recipe.questions ? recipe.choices : kNumberChoices));
        }
        for (const int dpi : kTemplateDpis) {
            const Layout marks = layoutAtDpi(layout.marks, dpi);
            // Room for a sheet that lands up to 40 pixels (at 300 dpi) off.
            EXPECT_TRUE(layoutFits(marks, 40 * dpi / 300)) << dpi;
            const Pt& last = marks.ovals.back().back();
            const Pt& unit = layout.marks.ovals.back().back();
            EXPECT_EQ(last.x * 100, unit.x * dpi);
            EXPECT_EQ(last.y * 100, unit.y * dpi);
            EXPECT_EQ(marks.zero[1].x * 100, layout.marks.zero[1].x * dpi);
        }
        // No two ovals overlap: neighbours are at least an oval apart.
        const Layout& m = layout.marks;
        for (std::size_t q = 0; q < std::size_t(recipe.questions); ++q) {
            EXPECT_GE(m.ovals[q][1].x - m.ovals[q][0].x, m.ovalWidth + 2);
        }
        // Digit ovals run down their column; columns sit an oval apart and
        // the whole grid stays left of every question oval.
        int leftmostQuestion = m.widthPx;
        for (int q = 0; q < recipe.questions; ++q) {
            leftmostQuestion = std::min(leftmostQuestion, m.ovals[std::size_t(q)][0].x);
        }
        for (int d = 0; d < recipe.numberDigits; ++d) {
            const auto& column = m.ovals[std::size_t(recipe.questions + d)];
            EXPECT_GE(column[1].y - column[0].y, m.ovalHeight + 2);
            if (d > 0) {
                EXPECT_GE(column[0].x - m.ovals[std::size_t(recipe.questions + d - 1)][0].x,
                          m.ovalWidth + 2);
            }
            EXPECT_LT(column[0].x + m.ovalWidth, leftmostQuestion - m.ovalWidth) << d;
        }
    }
    EXPECT_EQ(names, (std::set<std::string>{"mark50-4", "mark100-5", "survey20"}));
}

TEST(PrintLayout, DefinitionsHoldEveryMarkAreaAndMultiAnswerQuestion) {
    for (const PrintRecipe& recipe : shippedRecipes()) {
        SCOPED_TRACE(recipe.name);
        const PrintLayout layout = makePrintLayout(recipe);
        for (const int dpi : kTemplateDpis) {
            const std::string ini = definitionText(layoutAtDpi(layout.marks, dpi));
            const int marks =
                recipe.questions * recipe.choices + recipe.numberDigits * kNumberChoices;
            EXPECT_FALSE(valueOf(ini, "MARK" + std::to_string(marks - 1)).empty());
            EXPECT_TRUE(valueOf(ini, "MARK" + std::to_string(marks)).empty());
            EXPECT_EQ(valueOf(ini, "DPI_X"), std::to_string(dpi));
            EXPECT_FALSE(valueOf(ini, "IMAGEAREA0").empty());  // the name box
            EXPECT_EQ(valueOf(ini, "IMAGEAREA1").empty(), !recipe.freeText);
        }
    }
    const PrintRecipe& survey = shippedRecipes().back();
    ASSERT_EQ(survey.name, "survey20");
    const std::string ini = definitionText(layoutAtDpi(makePrintLayout(survey).marks, 300));
    EXPECT_EQ(valueOf(ini, "QUESTIONS"), "4,11,17");
    EXPECT_EQ(definitionFileName("survey20", 300), "survey20.ini");
    EXPECT_EQ(definitionFileName("survey20", 200), "survey20-200dpi.ini");
}

// The answer sheets carry a student-number grid, the survey stays anonymous;
// every width the generator accepts fits both resolutions.
TEST(PrintLayout, NumberGridsOfFourToEightColumnsFitEveryTemplate) {
    std::vector<int> digits;
    for (const PrintRecipe& recipe : shippedRecipes()) digits.push_back(recipe.numberDigits);
    EXPECT_EQ(digits, (std::vector<int>{6, 8, 0}));
    for (PrintRecipe recipe : shippedRecipes()) {
        for (int n = kMinNumberDigits; n <= kMaxNumberDigits; ++n) {
            recipe.numberDigits = n;
            const PrintLayout layout = makePrintLayout(recipe);
            for (const int dpi : kTemplateDpis) {
                EXPECT_TRUE(layoutFits(layoutAtDpi(layout.marks, dpi), 40 * dpi / 300))
                    << recipe.name << " " << n << " " << dpi;
            }
        }
    }
}

TEST(PrintLayout, DigitsOptionTakesNoneOrFourToEight) {
    EXPECT_EQ(numberDigitsOf("0"), 0);
    EXPECT_EQ(numberDigitsOf("4"), 4);
    EXPECT_EQ(numberDigitsOf("8"), 8);
    for (const char* bad : {"3", "9", "", "-4", "4x", "08x", "100"}) {
        EXPECT_EQ(numberDigitsOf(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace sheetgen
