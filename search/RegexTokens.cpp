#include "search/RegexTokens.h"

#include <algorithm>

#include "platform/Cp932.h"

namespace navirt {

const std::vector<RegexToken>& RegexTokenButtons() {
  static const std::vector<RegexToken> tokens = {
      {"[ - ]", "ｷｬﾗｸﾀｸﾗｽ|ｷｬﾗｸﾀｸﾗｽ：文字の種類の集合を示します。", "[-]", 1},
      {"( )", "優先順位", "()", 1},
      {".", "1文字", ".", 1},
      {"*", "0回繰返し", "*", 1},
      {"+", "1回～繰返し", "+", 1},
      {"?", "1文字有/無", "?", 1},
      {"|", "選択", "|", 1},
      {"[^-]", "以外", "[^-]", 2},
      {"\\n", "", "\\n", 2},
      {"\\r", "", "\\r", 2},
      {"\\b", "BS(8)", "\\b", 2},
      {"\\t", "TAB(9)", "\\t", 2},
      {"\\x", "16進(1-4)", "\\x", 2},
      {"\\", "8進(1-6)", "\\", 1},
      {"&&", "", "&", 1},
      {"[0-9]", "数字(1ﾊﾞｲﾄ)", "[0-9]", 5},
      {"[０-９]", "数字(2ﾊﾞｲﾄ)", "[０-９]", 7},
      {"[0-9０-９]", "数字(1-2ﾊﾞｲﾄ)", "[0-9０-９]", 10},
      {"[a-z]", "英小(1ﾊﾞｲﾄ)", "[a-z]", 5},
      {"[A-Z]", "英大文字(1ﾊﾞｲﾄ)", "[A-Z]", 5},
      {"[a-zA-Z]", "英文字(1ﾊﾞｲﾄ)", "[a-zA-Z]", 8},
      {"[ａ-ｚ]", "英小文字(2ﾊﾞｲﾄ)", "[ａ-ｚ]", 7},
      {"[Ａ-Ｚ]", "英大文字(2ﾊﾞｲﾄ)", "[Ａ-Ｚ]", 7},
      {"[ａ-ｚＡ-Ｚ]", "英文字(2ﾊﾞｲﾄ)", "[ａ-ｚＡ-Ｚ]", 12},
      {"[a-zA-Zａ-ｚＡ-Ｚ]", "ｱﾙﾌｧﾍﾞｯﾄ(1-2ﾊﾞｲﾄ)", "[a-zA-Zａ-ｚＡ-Ｚ]", 18},
      {"[亜-龠]", "漢字", "[亜-龠]", 7},
  };
  return tokens;
}

const RegexToken kTokenLineHead = {"^　", "行頭", "^", 0};
const RegexToken kTokenLineTail = {"$", "行末", "$", 0};

TokenEdit InsertToken(const std::string& text, int selStart, int selLength, const RegexToken& token) {
  const int size = static_cast<int>(text.size());
  selStart = std::clamp(selStart, 0, size);
  selLength = std::clamp(selLength, 0, size - selStart);
  TokenEdit e;
  e.text = text.substr(0, size_t(selStart)) + Utf8ToCp932(token.text) + text.substr(size_t(selStart + selLength));
  e.caret = selStart + token.advance;
  return e;
}

TokenEdit PrependLineHead(const std::string& text) { return {"^" + text, 0}; }

TokenEdit AppendLineTail(const std::string& text) {
  TokenEdit e{text + "$", 0};
  e.caret = static_cast<int>(e.text.size());
  return e;
}

}  // namespace navirt
