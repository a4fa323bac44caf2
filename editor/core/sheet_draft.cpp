#include "editor/core/sheet_draft.h"

#include <algorithm>
#include <cstdio>

#include "editor/core/definition_file.h"

namespace dravel {
namespace {

int measured(int value, int current) {
    return value > 0 ? std::max(value, kMinDraftSize) : current;
}

}  // namespace

void applyDraft(EditorState& state, const strovik::layout::SheetProposal& draft) {
    for (std::size_t i = 0; i < state.zeroMarks.size(); ++i)
        state.zeroMarks[i] = {draft.zeroMarks[i].x, draft.zeroMarks[i].y};
    state.zeroRadius = measured(draft.zeroRadius, state.zeroRadius);
    state.ovalWidth = measured(draft.ovalWidth, state.ovalWidth);
    state.ovalHeight = measured(draft.ovalHeight, state.ovalHeight);
    std::fill(state.multi.begin(), state.multi.end(), std::uint8_t(0));
    int count = 0, question = 0;
    for (const auto& choices : draft.questions) {
        const int n = std::min(int(choices.size()), kMaxChoices);
        if (n == 0) continue;
        if (question >= kMaxQuestions || count + n > kMaxMarks) break;
        for (int c = 0; c < n; ++c)
            state.marks[std::size_t(count++)] = {choices[std::size_t(c)].x,
                                                 choices[std::size_t(c)].y, question, c};
        if (n == 1) state.setMulti(question, true);
        ++question;
    }
    state.markCount = count;
    state.questionCount = question;
    state.endRedoChain();
    state.clearPoints();
    state.drag = Drag{};
    if (state.step > 1) state.step = 1;
}

std::string draftSummary(const strovik::layout::SheetProposal& draft) {
    char text[96];
    std::snprintf(text, sizeof text, "ゼロマーク %d, 設問 %d × %d", draft.zeroMarksFound,
                  int(draft.questions.size()), draft.choices());
    return text;
}

std::string zeroMarkProblem(const strovik::layout::SheetProposal& draft) {
    if (draft.zeroMarksFound >= 3) return {};
    const std::string head = "ゼロマークが見つかりません: ";
    if (draft.unreadableZeroMarks)
        return head + "隅の印が細すぎて、読み取りのゼロマーク検索では見つかりません";
    char text[128];
    std::snprintf(text, sizeof text, "四隅の印は 3 個必要ですが、見つかったのは %d 個です",
                  draft.zeroMarksFound);
    return head + text;
}

bool draftIsComplete(const strovik::layout::SheetProposal& draft) {
    return draft.zeroMarksFound == 3 && !draft.questions.empty();
}

std::string draftDefinitionBytes(const strovik::layout::SheetProposal& draft, int dpiX, int dpiY) {
    EditorState state;
    state.dpiX = dpiX;
    state.dpiY = dpiY;
    applyDraft(state, draft);
    return definitionBytes(state);
}

}  // namespace dravel
