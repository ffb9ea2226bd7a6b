#pragma once
// The token buttons the regular-expression dialogs share: a panel of
// buttons, each inserting its piece of expression into a combo box.
#include <functional>

#include "search/RegexTokens.h"

class QComboBox;
class QWidget;

// The buttons in panel order, "^　" and "$" last. The tool tip is the
// hint's short text, the status tip its long one. Buttons take no focus so
// the combo box keeps its caret.
QWidget* MakeTokenPanel(QWidget* parent, std::function<void(const navirt::RegexToken&)> press);

// Inserts at the combo box's caret or over its selection ("^　" and "$"
// act on the whole text); positions are counted in Shift_JIS bytes.
void ApplyTokenToCombo(QComboBox* box, const navirt::RegexToken& token);
