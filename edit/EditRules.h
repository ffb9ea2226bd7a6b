#pragma once
// Small rules of the edit pane's commands, kept apart from the widgets.
#include <string>

namespace navirt {

// "Jump to line": the answer as an integer (0 when it is not a number),
// at most the number of lines; the 0-based line the caret goes to.
int JumpTargetLine(const std::string& answer, int lineCount);

// The mode word of the pane's status bar.
const char* ModeWord(bool editMode);  // "編集" / "閲覧" (UTF-8)

// Caption of the mode command in the edit menu.
const char* ModeCommandCaption(bool editMode);

}  // namespace navirt
