// The desktop prompter's questions: the safe answer on the default button,
// over the window the user works in.
#include "reader/ui/qt_prompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace tarrow {
namespace {

struct SeenBox {
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QWidget* parent = nullptr;
};

/// Asks `id` and answers the box with Enter, noting what it looked like.
Prompter::Answer askAndPressEnter(QtPrompter& prompter, QuestionId id, SeenBox& seen) {
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.defaultButton = box->standardButton(box->defaultButton());
        seen.parent = box->parentWidget();
        QTest::keyClick(box, Qt::Key_Return);
    });
    return prompter.question(id, QStringLiteral("?"));
}

TEST(QtPrompter, EnterTakesTheAnswerThatLosesNothing) {
    QWidget main;
    QtPrompter prompter(&main);
    for (const QuestionId id :
         {QuestionId::DiscardUnsaved, QuestionId::ReplaceOutputFile, QuestionId::ReplaceRenamedCopy,
          QuestionId::TakeKeySheet, QuestionId::TakePointsSheet, QuestionId::ResetThresholds}) {
        SeenBox seen;
        EXPECT_EQ(askAndPressEnter(prompter, id, seen), Prompter::Answer::No) << int(id);
        EXPECT_EQ(seen.defaultButton, QMessageBox::No) << int(id);
    }
    // Going on after a read error keeps every sheet read so far.
    SeenBox seen;
    EXPECT_EQ(askAndPressEnter(prompter, QuestionId::SkipReadErrors, seen), Prompter::Answer::Yes);
    // Clearing follows a Backspace or Shift+click made for that purpose:
    // Enter confirms it.
    SeenBox clearing;
    EXPECT_EQ(askAndPressEnter(prompter, QuestionId::ClearCell, clearing), Prompter::Answer::Yes);
    EXPECT_EQ(clearing.defaultButton, QMessageBox::Yes);
}

TEST(QtPrompter, QuestionsOpenOverTheActiveWindow) {
    QWidget main;
    QWidget other(nullptr, Qt::Window);
    QtPrompter prompter(&main);
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    SeenBox seen;
    askAndPressEnter(prompter, QuestionId::DiscardUnsaved, seen);
    EXPECT_EQ(seen.parent, &other);
}

}  // namespace
}  // namespace tarrow
