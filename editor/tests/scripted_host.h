// A host for the editor's core in tests: answers questions and dialogs from
// queues and records what the user and the view would have seen.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "editor/core/editor_host.h"

namespace dravel::testing {

class ScriptedHost final : public EditorHost {
public:
    // ---- The script. Empty queues answer No / Cancel / keep the values and
    // count as unanswered, so a test notices a question it did not expect.
    std::deque<Answer> answers;
    std::deque<std::optional<MarkSettings>> markSettings;
    std::deque<std::optional<int>> zeroRadii;
    std::deque<QString> savePaths;
    std::deque<std::optional<BlockCounts>> blockCounts;
    std::deque<std::optional<int>> blockNumbers;
    /// Dialogs answered OK with the shown values when their queue is empty.
    bool acceptDialogsByDefault = true;

    // ---- What happened.
    std::vector<MessageId> messages;
    QStringList messageTexts;
    std::vector<QuestionId> questions;
    int unanswered = 0;
    int markDialogs = 0;
    int zeroDialogs = 0;
    std::vector<BlockCounts> suggestedCounts;  ///< what each block dialog opened with
    QStringList proposedSavePaths;
    int pictures = 0;
    int pictureWidth = 0;
    int maximised = 0;
    int redraws = 0;
    int figureRedraws = 0;
    std::vector<Point> pointerMoves;  ///< image point, with the screen shift in pointerShifts
    std::vector<int> pointerShifts;
    std::vector<CursorShape> cursors;
    QStringList statuses;

    void showMessage(const Message& message) override {
        messages.push_back(message.id);
        messageTexts.append(message.text);
    }
    Answer ask(const Question& question) override {
        questions.push_back(question.id);
        if (answers.empty()) {
            ++unanswered;
            return question.id == QuestionId::SaveChanges ? Answer::Cancel : Answer::No;
        }
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<MarkSettings> editMarkSettings(const MarkSettings& current) override {
        ++markDialogs;
        return next(markSettings, current);
    }
    std::optional<int> editZeroMarkRadius(int current) override {
        ++zeroDialogs;
        return next(zeroRadii, current);
    }
    std::optional<BlockCounts> editBlockCounts(const BlockCounts& suggested) override {
        suggestedCounts.push_back(suggested);
        return next(blockCounts, suggested);
    }
    std::optional<int> editBlockNumber(int current, int) override {
        return next(blockNumbers, current);
    }
    QString chooseSavePath(const QString& proposed) override {
        proposedSavePaths.append(proposed);
        if (savePaths.empty()) return QString();
        const QString path = savePaths.front();
        savePaths.pop_front();
        return path;
    }
    void showPicture(strovik::Raster picture) override {
        ++pictures;
        pictureWidth = picture.width();
    }
    void maximiseWindow() override { ++maximised; }
    void redraw(bool) override { ++redraws; }
    void redrawFigure(bool) override { ++figureRedraws; }
    void movePointer(Point image, int screenDy) override {
        pointerMoves.push_back(image);
        pointerShifts.push_back(screenDy);
    }
    void setCursor(CursorShape shape) override { cursors.push_back(shape); }
    void setStatus(const QString& text) override { statuses.append(text); }

private:
    template <typename T>
    std::optional<T> next(std::deque<std::optional<T>>& queue, const T& current) {
        if (queue.empty()) {
            if (acceptDialogsByDefault) return current;
            ++unanswered;
            return std::nullopt;
        }
        std::optional<T> value = queue.front();
        queue.pop_front();
        return value;
    }
};

}  // namespace dravel::testing
