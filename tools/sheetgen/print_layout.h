// Printable answer sheets: the layouts the suite ships as templates, laid
// out on an A4 page in hundredths of an inch. A sheet printed from the PDF
// and scanned at 300 or 200 dpi has every mark exactly where its definition
// for that resolution says: a position of u hundredths of an inch is pixel
// u x dpi / 100 (the PDF's points x dpi / 72), an integer at both.
#pragma once

#include <string>
#include <vector>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {

/// Hundredths of an inch per inch: the unit of the printed layout.
inline constexpr int kPrintUnitsPerInch = 100;
/// Fewest and most columns of a student-number grid.
inline constexpr int kMinNumberDigits = 4;
inline constexpr int kMaxNumberDigits = 8;
/// Choices of a student-number column (digits 1..9, then 0).
inline constexpr int kNumberChoices = 10;
/// The scan resolutions a template has definitions for.
inline constexpr int kTemplateDpis[] = {300, 200};

/// What a shipped template holds.
struct PrintRecipe {
    std::string name;   ///< file name without extension
    std::string title;  ///< printed at the top (UTF-8)
    int questions = 0;
    int choices = 0;
    int blocks = 1;  ///< question blocks side by side
    std::vector<int> multiQuestions;
    bool freeText = false;       ///< a free-text area under the questions
    std::string legend;          ///< what the choice numbers mean (may be empty)
    std::string questionPrefix;  ///< before each question number ("問")
    /// Columns of the student-number grid (0 = none, else kMinNumberDigits
    /// to kMaxNumberDigits). Each column is one more question after the
    /// others, its ten choices down the page labelled 1..9 and 0 (the tenth
    /// choice is the digit 0); a "+" in the key cells of these columns joins
    /// them into the student's number.
    int numberDigits = 0;
    // Geometry in hundredths of an inch.
    int ovalWidth = 12;
    int ovalHeight = 22;
    int choicePitch = 24;
    int rowPitch = 32;
    int numberWidth = 40;  ///< room for the question number left of a row
    int blockGap = 80;
};

/// The layouts the suite ships: mark50-4 (6-digit student number),
/// mark100-5 (8-digit student number) and survey20 (anonymous, none).
const std::vector<PrintRecipe>& shippedRecipes();

/// A printed label and where it goes (hundredths of an inch): its middle on
/// y, and centred on x, starting at x or ending at x.
struct PrintLabel {
    enum class Align { Centre, Left, Right };
    std::string text;
    int x = 0;
    int y = 0;
    int size = 0;  ///< height of the text
    Align align = Align::Centre;
};

struct PrintLayout {
    PrintRecipe recipe;
    /// The marks and areas in hundredths of an inch (dpi = 100). Area 0 is
    /// the name box; area 1, when there is one, the free-text area.
    Layout marks;
    std::vector<PrintLabel> labels;
    PrintLabel title;
};

/// Lays out a recipe on A4.
PrintLayout makePrintLayout(const PrintRecipe& recipe);

/// The marks at a scan resolution (every position and size scaled by
/// dpi / 100).
Layout layoutAtDpi(const Layout& marks, int dpi);

/// The definition file names of a template: NAME.ini for 300 dpi and
/// NAME-200dpi.ini.
std::string definitionFileName(const std::string& name, int dpi);

}  // namespace sheetgen
