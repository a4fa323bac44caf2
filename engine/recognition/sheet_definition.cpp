#include "engine/recognition/sheet_definition.h"

namespace strovik {

MarkTable::MarkTable(int questions, int choices)
    : questions_(questions),
      choices_(choices),
      slots_(std::size_t(questions) * std::size_t(choices), Point{-1, -1}) {}

int MarkTable::choiceCount(int question) const {
    int n = 0;
    while (n < choices_ && defined(slot(question, n))) ++n;
    return n;
}

}  // namespace strovik
