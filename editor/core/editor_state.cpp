#include "editor/core/editor_state.h"

namespace dravel {

EditorState::EditorState() : marks(std::size_t(kMaxMarks)), multi(std::size_t(kMaxQuestions), 0) {
    areas.reserve(std::size_t(kMaxAreas));
}

}  // namespace dravel
