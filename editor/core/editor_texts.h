// The editor's own texts: messages with their captions, questions, the
// status line after clicks and the prompts while the mouse moves.
#pragma once

#include <QString>
#include <vector>

#include "editor/core/editor_host.h"
#include "editor/core/editor_state.h"

namespace dravel {

/// The main window's title; message boxes carry it too.
inline const QString kFrameTitle = QStringLiteral("Velmora3");

/// A message with its text and caption; `number` fills the one "%d" of
/// LowResolution.
Message messageFor(MessageId id, int number = 0);

/// A question with its text and caption; `documentName` fills the save
/// question.
Question questionFor(QuestionId id, const QString& documentName = QString());

/// "(x,y)  始点=(..)  終点=(..)  傾斜=.. rad" for the pointer at `pointer`.
QString statusText(const EditorState& state, Point pointer);

/// The status line after a block is placed: "ブロック 20 × 4 を配置しました",
/// then "（設問 21–40 を置き換え）" naming the replaced questions (0-based in
/// `replaced`, ascending) 1-based, runs of consecutive numbers as "a–b",
/// runs joined by "、".
QString blockPlacedText(int questions, int choices, const std::vector<int>& replaced);

/// The prompt for the current mode and step (empty when there is none).
QString movePrompt(const EditorState& state);

/// The sizes that placing uses, for the status bar's own pane:
/// "ﾏｰｸ横幅=%d  ﾏｰｸ縦幅=%d  基準点半径=%d".
QString sizesText(const EditorState& state);

/// The main window's title: the document's name, "*" while it has unsaved
/// changes, then the program's title.
QString frameTitle(const QString& documentName, bool modified);

}  // namespace dravel
