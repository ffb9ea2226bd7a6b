#pragma once
// The token buttons of the regular-expression dialogs: each inserts a piece
// of expression at the caret. Texts are Shift_JIS; positions are bytes.
#include <string>
#include <vector>

namespace navirt {

struct RegexToken {
  const char* caption;  // UTF-8, as the button shows it
  const char* hint;     // UTF-8 tool tip; empty when none
  const char* text;     // UTF-8, the inserted text
  int advance;          // caret advance in Shift_JIS bytes
};

// In panel order; "^　" and "$" act on the whole text instead.
const std::vector<RegexToken>& RegexTokenButtons();
extern const RegexToken kTokenLineHead;
extern const RegexToken kTokenLineTail;

struct TokenEdit {
  std::string text;  // Shift_JIS
  int caret = 0;     // bytes
};

// Inserts the token at the caret, replacing the selection [selStart,
// selStart + selLength).
TokenEdit InsertToken(const std::string& text, int selStart, int selLength, const RegexToken& token);
// "^" in front of the text, caret at its start; "$" appended, caret at the end.
TokenEdit PrependLineHead(const std::string& text);
TokenEdit AppendLineTail(const std::string& text);

}  // namespace navirt
