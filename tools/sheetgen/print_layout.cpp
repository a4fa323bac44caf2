// The shipped templates' layouts. Zero marks sit half an inch from three
// corners; the title and the name box run along the top, the student-number
// grid (if any) at the left under them, the question blocks to its right, the free-text area (if
// any) at the bottom. Every oval stays clear of the zero marks' search windows at both resolutions,
// which layoutFits() checks at each.
#include "tools/sheetgen/print_layout.h"

#include <algorithm>

namespace sheetgen {
namespace {

constexpr int kPageWidth = 827;    // A4, 210 mm
constexpr int kPageHeight = 1169;  // A4, 297 mm
constexpr int kZeroInset = 50;
constexpr int kZeroRadius = 5;
constexpr int kContentLeft = 110;
constexpr int kContentRight = 717;
constexpr int kTitleY = 85;
constexpr int kTitleSize = 24;
constexpr int kLabelSize = 11;
constexpr int kNameBoxTop = 65;
constexpr int kNameBoxHeight = 60;
constexpr int kNameBoxWidth = 270;
constexpr int kNameLabelWidth = 50;
constexpr int kHeaderGap = 26;  ///< from the header labels to the first row's centre
constexpr int kFreeTextHeight = 150;
constexpr int kFreeTextGap = 40;
constexpr int kDigitLabelWidth = 30;  ///< room for the digit labels left of the number grid
constexpr int kDigitGap = 6;          ///< least space between two digit ovals, down the grid
constexpr int kNumberGridGap = 40;    ///< from the number grid to the question blocks

int blockWidth(const PrintRecipe& r) {
    return r.numberWidth + (r.choices - 1) * r.choicePitch + r.ovalWidth;
}

void placeZeroMarks(Layout& l) {
    l.zeroRadius = kZeroRadius;
    l.zero[0] = {kZeroInset, kPageHeight - kZeroInset};
    l.zero[1] = {kPageWidth - kZeroInset, kPageHeight - kZeroInset};
    l.zero[2] = {kZeroInset, kZeroInset};
}

/// The name box at the top right (area 0) and its label.
void placeNameBox(PrintLayout& p) {
    const int left = kContentRight - kNameBoxWidth;
    p.marks.areas.push_back({left, kNameBoxTop, kNameBoxWidth, kNameBoxHeight});
    p.labels.push_back({"氏名", left - 8, kNameBoxTop + kNameBoxHeight / 2, kLabelSize + 3,
                        PrintLabel::Align::Right});
}

/// Width of the student-number grid, its digit labels included (0 when
/// there is none).
int numberGridWidth(const PrintRecipe& r) {
    if (r.numberDigits <= 0) return 0;
    return kDigitLabelWidth + (r.numberDigits - 1) * r.choicePitch + r.ovalWidth;
}

/// The student-number grid at the left under the header: one question per
/// digit column (after the test's questions), choices running down.
/// Returns the y under its last row (headerY when there is none).
int placeNumberGrid(PrintLayout& p, int headerY) {
    const PrintRecipe& r = p.recipe;
    if (r.numberDigits <= 0) return headerY;
    const int pitch = std::max(r.rowPitch, r.ovalHeight + kDigitGap);
    const int firstRow = headerY + kHeaderGap;
    const int x0 = kContentLeft + kDigitLabelWidth + r.ovalWidth / 2;
    p.labels.push_back({"学籍番号", kContentLeft, headerY, kLabelSize, PrintLabel::Align::Left});
    for (int c = 0; c < kNumberChoices; ++c) {
        p.labels.push_back({std::to_string((c + 1) % 10), x0 - r.ovalWidth / 2 - 8,
                            firstRow + c * pitch, kLabelSize, PrintLabel::Align::Right});
    }
    for (int d = 0; d < r.numberDigits; ++d) {
        std::vector<Pt> column;
        for (int c = 0; c < kNumberChoices; ++c) {
            column.push_back({x0 + d * r.choicePitch, firstRow + c * pitch});
        }
        p.marks.ovals.push_back(std::move(column));
    }
    return firstRow + (kNumberChoices - 1) * pitch + r.ovalHeight / 2;
}

/// The blocks of questions, centred in the room right of the number grid;
/// returns the y under the last row.
int placeQuestions(PrintLayout& p, int headerY) {
    const PrintRecipe& r = p.recipe;
    const int rows = (r.questions + r.blocks - 1) / r.blocks;
    const int total = r.blocks * blockWidth(r) + (r.blocks - 1) * r.blockGap;
    const int grid = numberGridWidth(r);
    const int start = grid > 0 ? kContentLeft + grid + kNumberGridGap : kContentLeft;
    const int left = start + std::max(0, (kContentRight - start - total) / 2);
    const int firstRow = headerY + kHeaderGap;
    p.marks.ovals.assign(static_cast<std::size_t>(r.questions), {});
    for (int block = 0; block < r.blocks; ++block) {
        const int x0 =
            left + block * (blockWidth(r) + r.blockGap) + r.numberWidth + r.ovalWidth / 2;
        for (int c = 0; c < r.choices; ++c) {
            p.labels.push_back(
                {std::to_string(c + 1), x0 + c * r.choicePitch, headerY, kLabelSize});
        }
        for (int row = 0; row < rows; ++row) {
            const int q = block * rows + row;
            if (q >= r.questions) break;
            const int y = firstRow + row * r.rowPitch;
            for (int c = 0; c < r.choices; ++c) {
                p.marks.ovals[static_cast<std::size_t>(q)].push_back({x0 + c * r.choicePitch, y});
            }
            p.labels.push_back({r.questionPrefix + std::to_string(q + 1), x0 - r.ovalWidth / 2 - 8,
                                y, kLabelSize, PrintLabel::Align::Right});
            if (std::find(r.multiQuestions.begin(), r.multiQuestions.end(), q) !=
                r.multiQuestions.end()) {
                const int right = x0 + (r.choices - 1) * r.choicePitch + r.ovalWidth / 2 + 8;
                p.labels.push_back({"（複数回答可）", right + 60, y, kLabelSize - 1});
            }
        }
    }
    return firstRow + (rows - 1) * r.rowPitch + r.ovalHeight / 2;
}

PrintRecipe answerSheet(std::string name, std::string title, int questions, int choices,
                        int blocks) {
    PrintRecipe r;
    r.name = std::move(name);
    r.title = std::move(title);
    r.questions = questions;
    r.choices = choices;
    r.blocks = blocks;
    return r;
}

}  // namespace

const std::vector<PrintRecipe>& shippedRecipes() {
    static const std::vector<PrintRecipe> kRecipes = [] {
        std::vector<PrintRecipe> recipes;
        PrintRecipe mark50 = answerSheet("mark50-4", "解答用紙（50問・4択）", 50, 4, 2);
        mark50.numberDigits = 6;
        recipes.push_back(mark50);

        PrintRecipe dense = answerSheet("mark100-5", "解答用紙（100問・5択）", 100, 5, 2);
        dense.numberDigits = 8;
        dense.ovalWidth = 10;
        dense.ovalHeight = 14;
        dense.choicePitch = 22;
        dense.rowPitch = 18;
        dense.blockGap = 90;
        recipes.push_back(dense);

        PrintRecipe survey = answerSheet("survey20", "アンケート（20問）", 20, 5, 1);
        survey.multiQuestions = {4, 11, 17};
        survey.freeText = true;
        survey.questionPrefix = "問";
        survey.legend =
            "1 とてもそう思う　2 そう思う　3 どちらともいえない　4 そう思わない　"
            "5 まったくそう思わない";
        survey.choicePitch = 40;
        survey.rowPitch = 34;
        survey.numberWidth = 60;
        recipes.push_back(survey);
        return recipes;
    }();
    return kRecipes;
}

PrintLayout makePrintLayout(const PrintRecipe& recipe) {
    PrintLayout p;
    p.recipe = recipe;
    p.marks.dpi = kPrintUnitsPerInch;
    p.marks.widthPx = kPageWidth;
    p.marks.heightPx = kPageHeight;
    p.marks.ovalWidth = recipe.ovalWidth;
    p.marks.ovalHeight = recipe.ovalHeight;
    p.marks.multiQuestions = recipe.multiQuestions;
    std::sort(p.marks.multiQuestions.begin(), p.marks.multiQuestions.end());
    placeZeroMarks(p.marks);
    p.title = {recipe.title, kContentLeft, kTitleY, kTitleSize, PrintLabel::Align::Left};
    placeNameBox(p);

    int headerY = kNameBoxTop + kNameBoxHeight + 30;
    if (!recipe.legend.empty()) {
        p.labels.push_back(
            {recipe.legend, (kContentLeft + kContentRight) / 2, headerY, kLabelSize});
        headerY += 30;
    }
    // The grid's questions come after the test's, so it is placed second.
    const int questionsBottom = placeQuestions(p, headerY);
    const int bottom = std::max(questionsBottom, placeNumberGrid(p, headerY));
    if (recipe.freeText) {
        const int top = bottom + kFreeTextGap;
        p.marks.areas.push_back({kContentLeft, top, kContentRight - kContentLeft, kFreeTextHeight});
        p.labels.push_back({"ご意見・ご感想", kContentLeft + 60, top - 12, kLabelSize});
    }
    return p;
}

Layout layoutAtDpi(const Layout& marks, int dpi) {
    const auto px = [&](int units) { return units * dpi / marks.dpi; };
    Layout l = marks;
    l.dpi = dpi;
    l.widthPx = px(marks.widthPx);
    l.heightPx = px(marks.heightPx);
    l.zeroRadius = px(marks.zeroRadius);
    for (Pt& z : l.zero) z = {px(z.x), px(z.y)};
    l.ovalWidth = px(marks.ovalWidth);
    l.ovalHeight = px(marks.ovalHeight);
    for (auto& question : l.ovals) {
        for (Pt& o : question) o = {px(o.x), px(o.y)};
    }
    for (AreaRect& a : l.areas) a = {px(a.x), px(a.y), px(a.width), px(a.height)};
    return l;
}

std::string definitionFileName(const std::string& name, int dpi) {
    return dpi == 300 ? name + ".ini" : name + "-" + std::to_string(dpi) + "dpi.ini";
}

}  // namespace sheetgen
