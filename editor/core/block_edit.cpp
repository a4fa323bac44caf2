#include "editor/core/block_edit.h"

#include <algorithm>

#include "editor/core/block_geometry.h"

namespace dravel {
namespace {

MarkRecord& record(EditorState& state, int index) {
    return state.marks[std::size_t(index)];
}

bool inBlock(const EditorState& state, int question) {
    return question >= state.selectedFirst && question < state.selectedFirst + state.selectedCount;
}

/// The records in use that belong to the selected block, in list order.
std::vector<MarkRecord> selectedRecords(const EditorState& state) {
    std::vector<MarkRecord> out;
    for (int i = 0; i < state.markCount; ++i) {
        const MarkRecord& m = state.marks[std::size_t(i)];
        if (inBlock(state, m.question)) out.push_back(m);
    }
    return out;
}

void select(EditorState& state, int first, int count) {
    state.selectedFirst = first;
    state.selectedCount = count;
}

/// Removes every record of the questions `gone` (ascending, in use); the
/// others move down to stay consecutive, their flags with them.
void removeQuestions(EditorState& state, const std::vector<int>& gone) {
    auto removedBelow = [&](int q) {
        return int(std::lower_bound(gone.begin(), gone.end(), q) - gone.begin());
    };
    auto isGone = [&](int q) { return std::binary_search(gone.begin(), gone.end(), q); };
    int kept = 0;
    for (int i = 0; i < state.markCount; ++i) {
        MarkRecord m = record(state, i);
        if (isGone(m.question)) continue;
        m.question -= removedBelow(m.question);
        record(state, kept++) = m;
    }
    state.markCount = kept;
    int next = 0;
    for (int q = 0; q < state.questionCount; ++q) {
        if (!isGone(q)) state.setMulti(next++, state.isMulti(q));
    }
    for (int q = next; q < state.questionCount; ++q) state.setMulti(q, false);
    state.questionCount = next;
    state.endRedoChain();
}

}  // namespace

bool blockFits(const EditorState& state, int questions, int marks) {
    return questions >= 1 && marks >= 0 && state.questionCount + questions <= kMaxQuestions &&
           state.markCount + marks <= kMaxMarks;
}

bool hasSelection(const EditorState& state) {
    return state.selectedCount > 0 && state.selectedFirst >= 0 &&
           state.selectedFirst + state.selectedCount <= state.questionCount;
}

bool placeBlock(EditorState& state, const std::vector<Point>& positions, int questions,
                int choices) {
    if (questions < 1 || choices < 1 || choices > kMaxChoices) return false;
    if (positions.size() != std::size_t(questions) * std::size_t(choices)) return false;
    if (!blockFits(state, questions, questions * choices)) return false;
    const int firstQuestion = state.questionCount;
    for (int q = 0; q < questions; ++q) {
        for (int c = 0; c < choices; ++c) {
            const Point p = positions[std::size_t(q) * std::size_t(choices) + std::size_t(c)];
            record(state, state.markCount++) = {p.x, p.y, firstQuestion + q, c};
        }
        state.setMulti(firstQuestion + q, choices == 1);
    }
    state.questionCount += questions;
    state.endRedoChain();
    select(state, firstQuestion, questions);
    return true;
}

std::vector<int> questionsUnder(const EditorState& state, const BlockArea& area) {
    std::vector<int> out;
    for (int i = 0; i < state.markCount; ++i) {
        const MarkRecord& m = state.marks[std::size_t(i)];
        if (m.question >= 0 && m.question < state.questionCount && area.contains({m.x, m.y})) {
            out.push_back(m.question);
        }
    }
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

bool replaceBlock(EditorState& state, const std::vector<Point>& positions, int questions,
                  int choices, const std::vector<int>& replaced) {
    if (replaced.empty()) return placeBlock(state, positions, questions, choices);
    if (replaced.front() < 0 || replaced.back() >= state.questionCount ||
        !std::is_sorted(replaced.begin(), replaced.end()) ||
        std::adjacent_find(replaced.begin(), replaced.end()) != replaced.end()) {
        return false;
    }
    if (questions < 1 || choices < 1 || choices > kMaxChoices) return false;
    if (positions.size() != std::size_t(questions) * std::size_t(choices)) return false;
    // The limits apply to what is left plus the block.
    int removedMarks = 0;
    for (int i = 0; i < state.markCount; ++i) {
        const int q = state.marks[std::size_t(i)].question;
        removedMarks += std::binary_search(replaced.begin(), replaced.end(), q) ? 1 : 0;
    }
    const int questionsLeft = state.questionCount - int(replaced.size());
    if (questionsLeft + questions > kMaxQuestions ||
        state.markCount - removedMarks + questions * choices > kMaxMarks) {
        return false;
    }
    removeQuestions(state, replaced);
    placeBlock(state, positions, questions, choices);
    // The questions below the lowest replaced one kept their numbers.
    if (replaced.front() < questionsLeft) renumberBlock(state, replaced.front());
    return true;
}

bool copyBlock(EditorState& state, Point offset) {
    if (!hasSelection(state)) return false;
    const std::vector<MarkRecord> source = selectedRecords(state);
    if (!blockFits(state, state.selectedCount, int(source.size()))) return false;
    const int firstQuestion = state.questionCount;
    for (const MarkRecord& m : source) {
        record(state, state.markCount++) = {m.x + offset.x, m.y + offset.y,
                                            firstQuestion + m.question - state.selectedFirst,
                                            m.choice};
    }
    for (int i = 0; i < state.selectedCount; ++i) {
        state.setMulti(firstQuestion + i, state.isMulti(state.selectedFirst + i));
    }
    state.questionCount += state.selectedCount;
    state.endRedoChain();
    select(state, firstQuestion, state.selectedCount);
    return true;
}

bool moveBlock(EditorState& state, Point offset) {
    if (!hasSelection(state)) return false;
    for (int i = 0; i < state.markCount; ++i) {
        MarkRecord& m = record(state, i);
        if (!inBlock(state, m.question)) continue;
        m.x += offset.x;
        m.y += offset.y;
    }
    return true;
}

bool renumberBlock(EditorState& state, int target) {
    if (!hasSelection(state)) return false;
    const std::vector<int> newIndex =
        renumberOrder(state.questionCount, state.selectedFirst, state.selectedCount, target);
    if (newIndex.empty()) return false;
    auto renumbered = [&](int q) {
        return q >= 0 && q < state.questionCount ? newIndex[std::size_t(q)] : q;
    };
    const auto begin = state.marks.begin();
    for (auto it = begin; it != begin + state.markCount; ++it)
        it->question = renumbered(it->question);
    std::stable_sort(begin, begin + state.markCount, [](const MarkRecord& a, const MarkRecord& b) {
        return a.question < b.question;
    });
    const std::vector<std::uint8_t> oldMulti(state.multi.begin(),
                                             state.multi.begin() + state.questionCount);
    for (int q = 0; q < state.questionCount; ++q) {
        state.setMulti(newIndex[std::size_t(q)], oldMulti[std::size_t(q)] != 0);
    }
    state.endRedoChain();
    select(state, newIndex[std::size_t(state.selectedFirst)], state.selectedCount);
    return true;
}

bool deleteBlock(EditorState& state) {
    if (!hasSelection(state)) return false;
    std::vector<int> gone(std::size_t(state.selectedCount));
    for (int i = 0; i < state.selectedCount; ++i) gone[std::size_t(i)] = state.selectedFirst + i;
    removeQuestions(state, gone);
    state.clearSelection();
    return true;
}

BlockLayout selectedLayout(const EditorState& state) {
    BlockLayout layout;
    if (!hasSelection(state)) return layout;
    layout.questions = state.selectedCount;
    std::vector<int> perQuestion(std::size_t(state.selectedCount), 0);
    int previous = -1;
    for (const MarkRecord& m : selectedRecords(state)) {
        layout.positions.push_back({m.x, m.y});
        if (m.question != previous) layout.firstChoices.push_back({m.x, m.y});
        if (m.question == state.selectedFirst) layout.lastOfFirst = {m.x, m.y};
        previous = m.question;
        ++perQuestion[std::size_t(m.question - state.selectedFirst)];
    }
    layout.firstChoiceCount = perQuestion.front();
    const bool regular = std::all_of(perQuestion.begin(), perQuestion.end(),
                                     [&](int n) { return n == perQuestion.front(); });
    layout.choices = regular ? perQuestion.front() : 0;
    return layout;
}

// ---- History ------------------------------------------------------------------

ListSnapshot takeSnapshot(const EditorState& state) {
    ListSnapshot s;
    const int end = state.recordsWithRedoChain();
    s.marks.assign(state.marks.begin(), state.marks.begin() + end);
    s.markCount = state.markCount;
    s.questionCount = state.questionCount;
    s.multi.assign(state.multi.begin(), state.multi.begin() + state.questionCount);
    s.selectedFirst = state.selectedFirst;
    s.selectedCount = state.selectedCount;
    return s;
}

void restoreSnapshot(EditorState& state, const ListSnapshot& s) {
    std::copy(s.marks.begin(), s.marks.end(), state.marks.begin());
    state.markCount = s.markCount;
    state.questionCount = s.questionCount;
    std::fill(state.multi.begin(), state.multi.end(), std::uint8_t(0));
    std::copy(s.multi.begin(), s.multi.end(), state.multi.begin());
    state.selectedFirst = s.selectedFirst;
    state.selectedCount = s.selectedCount;
    state.drag = Drag{};
}

bool holdsSnapshot(const EditorState& state, const ListSnapshot& s) {
    if (state.markCount != s.markCount || state.questionCount != s.questionCount) return false;
    if (!std::equal(s.marks.begin(), s.marks.begin() + s.markCount, state.marks.begin())) {
        return false;
    }
    return std::equal(s.multi.begin(), s.multi.end(), state.multi.begin());
}

namespace {

bool sameList(const ListSnapshot& a, const ListSnapshot& b) {
    return a.markCount == b.markCount && a.questionCount == b.questionCount &&
           std::equal(a.marks.begin(), a.marks.begin() + a.markCount, b.marks.begin()) &&
           a.multi == b.multi && a.selectedFirst == b.selectedFirst &&
           a.selectedCount == b.selectedCount;
}

}  // namespace

void BlockHistory::record(ListSnapshot before, const EditorState& after, Kind kind) {
    undone_.clear();
    const bool continuesKeyMove = kind == Kind::KeyMove && !done_.empty() &&
                                  done_.back().kind == Kind::KeyMove &&
                                  sameList(done_.back().after, before);
    if (continuesKeyMove) {
        done_.back().after = takeSnapshot(after);
        return;
    }
    done_.push_back({std::move(before), takeSnapshot(after), kind});
    if (done_.size() > kMaxHistory) done_.pop_front();
}

bool BlockHistory::undo(EditorState& state) {
    if (done_.empty() || !holdsSnapshot(state, done_.back().after)) return false;
    restoreSnapshot(state, done_.back().before);
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
    return true;
}

bool BlockHistory::redo(EditorState& state) {
    if (undone_.empty() || !holdsSnapshot(state, undone_.back().before)) return false;
    restoreSnapshot(state, undone_.back().after);
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    return true;
}

void BlockHistory::clear() {
    done_.clear();
    undone_.clear();
}

}  // namespace dravel
