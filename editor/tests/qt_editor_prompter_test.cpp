// The editor's question boxes: Enter takes the answer that loses nothing.
#include "editor/ui/qt_editor_prompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace dravel {
namespace {

/// Asks `id` and answers the box with Enter.
Answer askAndPressEnter(QtEditorPrompter& prompter, QuestionId id) {
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    return prompter.ask(Question{id, QStringLiteral("?"), QStringLiteral("Dravel")});
}

TEST(QtEditorPrompter, EnterKeepsTheAreaAndSavesTheChanges) {
    QWidget main;
    QtEditorPrompter prompter(&main);
    EXPECT_EQ(askAndPressEnter(prompter, QuestionId::DeleteArea), Answer::No);
    EXPECT_EQ(askAndPressEnter(prompter, QuestionId::SaveChanges), Answer::Yes);
}

}  // namespace
}  // namespace dravel
