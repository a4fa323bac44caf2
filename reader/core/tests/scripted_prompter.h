// A prompter and run feedback for tests: answers questions, folder and file
// choices and input boxes from queues, and records every message, status
// text and call in one log so a test can assert what the user would have
// seen, in order.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "reader/core/prompter.h"
#include "reader/core/run_feedback.h"

namespace tarrow::testing {

class ScriptedPrompter final : public Prompter, public RunFeedback {
public:
    struct Shown {
        QString text;
        Icon icon = Icon::Information;
        bool operator==(const Shown&) const = default;
    };
    struct Asked {
        QuestionId id;
        QString text;
    };

    // ---- The script. An empty queue answers No / cancel and is noted in
    // unanswered(), so a test notices a question it did not expect.
    std::deque<Answer> answers;
    std::deque<QString> folders;
    std::deque<QString> openFiles;
    std::deque<QString> saveFiles;
    std::deque<std::optional<QString>> inputs;
    /// Runs at every processEvents() with the number of that call (from 1):
    /// a test clicks "stop" from here.
    std::function<void(int)> onProcessEvents;

    // ---- What happened.
    std::vector<Shown> messages;
    std::vector<Asked> questions;
    QStringList folderTitles;
    std::vector<FolderId> folderIds;
    QStringList initialFolders;
    QStringList openFileTitles;
    QStringList openFileFilters;
    QStringList statuses;
    QStringList dpiLabels;
    std::vector<bool> running;
    std::vector<std::pair<int, int>> progress;
    QStringList unanswered;
    /// Every call in order, one short line each ("message: ...",
    /// "status: ...", "events", "pause: 10", "beep", ...).
    QStringList calls;
    int eventCalls = 0;

    /// The texts of all messages, in order.
    QStringList messageTexts() const {
        QStringList out;
        for (const Shown& m : messages) out << m.text;
        return out;
    }

    void message(const QString& text, Icon icon) override {
        messages.push_back({text, icon});
        calls << QStringLiteral("message: ") + text;
    }
    Answer question(QuestionId id, const QString& text) override {
        questions.push_back({id, text});
        calls << QStringLiteral("question: ") + text;
        if (answers.empty()) {
            unanswered << text;
            return formOf(id).buttons == Buttons::YesNo ? Answer::No : Answer::Cancel;
        }
        return take(answers);
    }
    QString chooseFolder(FolderId id, const QString& title,
                         const QString& initialFolder = QString()) override {
        folderIds.push_back(id);
        initialFolders << initialFolder;
        folderTitles << title;
        calls << QStringLiteral("folder: ") + title;
        return takeText(folders, title);
    }
    QString chooseOpenFile(const QString& title, const QString& filter) override {
        openFileTitles << title;
        openFileFilters << filter;
        calls << QStringLiteral("open: ") + title;
        return takeText(openFiles, title);
    }
    QString chooseSaveFile(const QString& filter, const QString& defaultSuffix) override {
        calls << QStringLiteral("save: ") + filter + QStringLiteral(" .") + defaultSuffix;
        return takeText(saveFiles, filter);
    }
    std::optional<QString> inputText(InputId, const QString& title, const QString& prompt,
                                     const QString& defaultText) override {
        calls << QStringLiteral("input: ") + title + QStringLiteral(" / ") + prompt +
                     QStringLiteral(" [") + defaultText + QStringLiteral("]");
        if (inputs.empty()) {
            unanswered << prompt;
            return std::nullopt;
        }
        return take(inputs);
    }

    void setStatus(const QString& text) override {
        statuses << text;
        calls << QStringLiteral("status: ") + text;
    }
    void setDpiLabel(const QString& text) override {
        dpiLabels << text;
        calls << QStringLiteral("dpi: ") + text;
    }
    void setRunning(bool isRunning) override {
        running.push_back(isRunning);
        calls << QStringLiteral("running: ") +
                     (isRunning ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void setProgress(int current, int total) override {
        progress.emplace_back(current, total);
        calls << QStringLiteral("progress: %1/%2").arg(current).arg(total);
    }
    void processEvents() override {
        ++eventCalls;
        calls << QStringLiteral("events");
        if (onProcessEvents) onProcessEvents(eventCalls);
    }
    void pause(int milliseconds) override {
        calls << QStringLiteral("pause: %1").arg(milliseconds);
    }
    void beep() override { calls << QStringLiteral("beep"); }

private:
    template <typename T>
    static T take(std::deque<T>& queue) {
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
    QString takeText(std::deque<QString>& queue, const QString& what) {
        if (queue.empty()) {
            unanswered << what;
            return {};
        }
        return take(queue);
    }
};

}  // namespace tarrow::testing
