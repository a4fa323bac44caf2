// Toolbar pictures of the editor's commands: the style's standard icons
// where one fits, small drawn glyphs for the placing modes.
#pragma once

#include <QIcon>

#include "editor/ui/frame_commands.h"

class QStyle;

namespace dravel {

QIcon commandIcon(Command command, const QStyle& style);

}  // namespace dravel
