// What the reader should report for a filling.
#include <algorithm>

#include "tools/sheetgen/sheet_generator.h"

namespace sheetgen {
namespace {

const char* markCode(Mark m) {
    switch (m) {
        case Mark::Filled:
            return "F";
        case Mark::Faint:
            return "f";
        case Mark::Blank:
            break;
    }
    return "B";
}

template <typename T, typename Format>
void appendList(std::string& out, const std::vector<T>& items, Format format) {
    out += '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ',';
        out += format(items[i]);
    }
    out += ']';
}

}  // namespace

GroundTruth groundTruth(const Layout& layout, const Answers& answers) {
    GroundTruth truth;
    const std::size_t questions = layout.ovals.size();
    truth.answers.assign(questions, -1);
    truth.filledCount.assign(questions, 0);
    for (std::size_t q = 0; q < questions && q < answers.size(); ++q) {
        const auto& row = answers[q];
        const auto filled = std::count(row.begin(), row.end(), Mark::Filled);
        const auto faint = std::count(row.begin(), row.end(), Mark::Faint);
        truth.filledCount[q] = static_cast<int>(filled);
        const bool multi = std::binary_search(layout.multiQuestions.begin(),
                                              layout.multiQuestions.end(), static_cast<int>(q));
        if (filled == 1 && faint == 0 && !multi) {
            const auto choice = std::find(row.begin(), row.end(), Mark::Filled) - row.begin();
            truth.answers[q] = static_cast<int>(choice) + 1;
        }
    }
    return truth;
}

std::string groundTruthJson(const Layout& layout, const Answers& answers) {
    const GroundTruth truth = groundTruth(layout, answers);
    auto number = [](int v) { return std::to_string(v); };
    std::string out = "{\"answers\": ";
    appendList(out, truth.answers, number);
    out += ", \"filled\": ";
    appendList(out, truth.filledCount, number);
    out += ", \"marks\": [";
    for (std::size_t q = 0; q < answers.size(); ++q) {
        if (q > 0) out += ", ";
        appendList(out, answers[q], [](Mark m) { return '"' + std::string(markCode(m)) + '"'; });
    }
    out += "]}\n";
    return out;
}

}  // namespace sheetgen
