#include "editor/core/mark_list.h"

#include <algorithm>

namespace dravel {
namespace {

MarkRecord& record(EditorState& state, int index) {
    return state.marks[std::size_t(index)];
}

const MarkRecord& record(const EditorState& state, int index) {
    return state.marks[std::size_t(index)];
}

bool inUse(const EditorState& state, int index) {
    return index >= 0 && index < state.markCount;
}

}  // namespace

bool appendQuestion(EditorState& state, Point first, Point last, int choices) {
    if (choices < 1 || choices > kMaxChoices) return false;
    if (state.questionCount < 0 || state.questionCount >= kMaxQuestions) return false;
    if (state.markCount + choices > kMaxMarks) return false;
    const int question = state.questionCount;
    for (int i = 0; i < choices; ++i) {
        MarkRecord& m = record(state, state.markCount + i);
        if (choices == 1) {
            m = {first.x, first.y, question, 0};
        } else {
            m = {first.x + i * (last.x - first.x) / (choices - 1),
                 first.y + i * (last.y - first.y) / (choices - 1), question, i};
        }
    }
    state.markCount += choices;
    state.setMulti(question, choices == 1);
    state.questionCount = question + 1;
    state.endRedoChain();
    return true;
}

bool undoQuestion(EditorState& state) {
    if (state.questionCount <= 0 || state.markCount <= 0) return false;
    const int question = record(state, state.markCount - 1).question;
    int first = state.markCount - 1;
    while (first > 0 && record(state, first - 1).question == question) --first;
    state.markCount = first;
    state.questionCount = std::max(0, question);
    return true;
}

bool redoQuestion(EditorState& state) {
    if (state.markCount >= kMaxMarks || state.questionCount >= kMaxQuestions) return false;
    const int question = state.questionCount;
    if (record(state, state.markCount).question != question) return false;
    while (state.markCount < kMaxMarks && record(state, state.markCount).question == question) {
        ++state.markCount;
    }
    state.questionCount = question + 1;
    return true;
}

bool isLastChoice(const EditorState& state, int index) {
    if (!inUse(state, index)) return false;
    if (index == state.markCount - 1) return true;
    return record(state, index + 1).question > record(state, index).question;
}

bool removeLastChoice(EditorState& state, int index) {
    if (!isLastChoice(state, index)) return false;
    const auto begin = state.marks.begin();
    std::move(begin + index + 1, begin + state.markCount, begin + index);
    --state.markCount;
    state.endRedoChain();
    return true;
}

bool insertChoiceAfter(EditorState& state, int index) {
    if (!isLastChoice(state, index) || state.markCount >= kMaxMarks) return false;
    const MarkRecord source = record(state, index);
    if (source.choice + 1 >= kMaxChoices) return false;
    const auto begin = state.marks.begin();
    std::move_backward(begin + index + 1, begin + state.markCount, begin + state.markCount + 1);
    record(state, index + 1) = {source.x + state.ovalWidth, source.y, source.question,
                                source.choice + 1};
    ++state.markCount;
    state.endRedoChain();
    return true;
}

void moveAllMarks(EditorState& state, int dx, int dy) {
    for (int i = 0; i < kMaxMarks; ++i) {
        MarkRecord& m = record(state, i);
        if (i >= state.markCount && m.question < 0) break;
        m.x += dx;
        m.y += dy;
    }
}

}  // namespace dravel
