// Dictionary expansion: characters a Japanese reader takes for the same
// letter are rewritten into an alternation of their whole group.
#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {

// The built-in character-equivalence dictionary, one group per string,
// tried in this order (voiced kana before plain ones, so that "ｶﾞ" is taken
// as one unit). Written in UTF-8 here and converted once.
const char* const kFuzzyCharDicLines[] = {
    "Ａ,ａ,A,a",                                  // 1
    "Ｂ,ｂ,B,b",                                  // 2
    "Ｃ,ｃ,C,c",                                  // 3
    "Ｄ,ｄ,D,d",                                  // 4
    "Ｅ,ｅ,E,e",                                  // 5
    "Ｆ,ｆ,F,f",                                  // 6
    "Ｇ,ｇ,G,g",                                  // 7
    "Ｈ,ｈ,H,h",                                  // 8
    "Ｉ,ｉ,I,i",                                  // 9
    "Ｊ,ｊ,J,j",                                  // 10
    "Ｋ,ｋ,K,k",                                  // 11
    "Ｌ,ｌ,L,l",                                  // 12
    "Ｍ,ｍ,M,m",                                  // 13
    "Ｎ,ｎ,N,n",                                  // 14
    "Ｏ,ｏ,O,o",                                  // 15
    "Ｐ,ｐ,P,p",                                  // 16
    "Ｑ,ｑ,Q,q",                                  // 17
    "Ｒ,ｒ,R,r",                                  // 18
    "Ｓ,ｓ,S,s",                                  // 19
    "Ｔ,ｔ,T,t",                                  // 20
    "Ｕ,ｕ,U,u",                                  // 21
    "Ｖ,ｖ,V,v",                                  // 22
    "Ｗ,ｗ,W,w",                                  // 23
    "Ｘ,ｘ,X,x",                                  // 24
    "Ｙ,ｙ,Y,y",                                  // 25
    "Ｚ,ｚ,Z,z",                                  // 26
    "0,０,零",                                    // 27
    "1,１,一,①,Ⅰ,壱",                             // 28
    "2,２,二,②,Ⅱ,弐",                             // 29
    "3,３,三,③,Ⅲ,参",                             // 30
    "4,４,四,④,Ⅳ",                                // 31
    "5,５,五,⑤,Ⅴ,伍",                             // 32
    "6,６,六,⑥,Ⅵ",                                // 33
    "7,７,七,⑦,Ⅶ",                                // 34
    "8,８,八,⑧,Ⅷ",                                // 35
    "9,９,九,⑨,Ⅸ",                                // 36
    "\"　\",\" \"",                               // 37
    "!,！",                                       // 38
    "\"\"\"\",”",                                 // 39
    "#,＃",                                       // 40
    "$,＄",                                       // 41
    "%,％",                                       // 42
    "&,＆",                                       // 43
    "',’",                                        // 44
    "(,（",                                       // 45
    "),）",                                       // 46
    "*,＊",                                       // 47
    "+,＋",                                       // 48
    "ー,～,ｰ",                                    // 49
    "-,ー,－,～,ｰ",                               // 50
    "･,・",                                       // 51
    "/,／",                                       // 52
    ":,：",                                       // 53
    ";,；",                                       // 54
    "<,＜",                                       // 55
    "=,＝",                                       // 56
    ">,＞",                                       // 57
    "?,？",                                       // 58
    "@,＠",                                       // 59
    "[,［,〔",                                    // 60
    "\\,￥",                                      // 61
    "],］,〕",                                    // 62
    "^,＾",                                       // 63
    "_,＿",                                       // 64
    "{,｛",                                       // 65
    "|,｜",                                       // 66
    "},｝",                                       // 67
    "~,￣",                                       // 68
    "\",\",､,、,，",                              // 69
    "｡,.,。,．",                                  // 70
    "「,『,｢",                                    // 71
    "」,』,｣",                                    // 72
    "ん,ン,ﾝ",                                    // 73
    "が,ガ,ｶﾞ,か゛,カ゛",                         // 74
    "ぎ,ギ,ｷﾞ,き゛,キ゛",                         // 75
    "ぐ,グ,ｸﾞ,く゛,ク゛",                         // 76
    "げ,ゲ,ｹﾞ,け゛,ケ゛",                         // 77
    "ご,ゴ,ｺﾞ,こ゛,コ゛",                         // 78
    "ざ,ザ,ｻﾞ,さ゛,サ゛",                         // 79
    "じ,ジ,ｼﾞ,し゛,シ゛,ぢ,ヂ,ﾁﾞ,ち゛,チ゛",      // 80
    "ず,ズ,ｽﾞ,す゛,ス゛,づ,ヅ,ﾂﾞ,つ゛,ツ゛",      // 81
    "ぜ,ゼ,ｾﾞ,せ゛,セ゛",                         // 82
    "ぞ,ゾ,ｿﾞ,そ゛,ソ゛",                         // 83
    "だ,ダ,ﾀﾞ,た゛,タ゛",                         // 84
    "で,デ,ﾃﾞ,て゛,テ゛",                         // 85
    "ど,ド,ﾄﾞ,と゛,ト゛",                         // 86
    "ば,バ,ﾊﾞ,は゛,ハ゛,ヴァ,う゛ぁ,ウ゛ァ,ｳﾞｧ",  // 87
    "び,ビ,ﾋﾞ,ひ゛,ヒ゛,ヴィ,う゛ぃ,ウ゛ィ,ｳﾞｨ",  // 88
    "ぶ,ブ,ﾌﾞ,ふ゛,フ゛,ヴ,ウ゛,う゛,ｳﾞ",         // 89
    "べ,ベ,ﾍﾞ,へ゛,ヘ゛,ヴェ,う゛ぇ,ウ゛ェ,ｳﾞｪ",  // 90
    "ぼ,ボ,ﾎﾞ,ほ゛,ホ゛,ヴォ,う゛ぉ,ウ゛ォ,ｳﾞｫ",  // 91
    "ぱ,パ,ﾊﾟ,は゜,ハ゜",                         // 92
    "ぴ,ピ,ﾋﾟ,ひ゜,ヒ゜",                         // 93
    "ぷ,プ,ﾌﾟ,ふ゜,フ゜",                         // 94
    "ぺ,ペ,ﾍﾟ,へ゜,ヘ゜",                         // 95
    "ぽ,ポ,ﾎﾟ,ほ゜,ホ゜",                         // 96
    "あ,ア,ｱ,ぁ,ァ,ｧ",                            // 97
    "い,イ,ｲ,ぃ,ィ,ｨ",                            // 98
    "う,ウ,ｳ,ぅ,ゥ,ｩ",                            // 99
    "え,エ,ｴ,ぇ,ェ,ｪ",                            // 100
    "お,オ,ｵ,ぉ,ォ,ｫ",                            // 101
    "か,カ,ｶ",                                    // 102
    "き,キ,ｷ",                                    // 103
    "く,ク,ｸ",                                    // 104
    "け,ケ,ｹ",                                    // 105
    "こ,コ,ｺ",                                    // 106
    "さ,サ,ｻ",                                    // 107
    "し,シ,ｼ",                                    // 108
    "す,ス,ｽ",                                    // 109
    "せ,セ,ｾ",                                    // 110
    "そ,ソ,ｿ",                                    // 111
    "た,タ,ﾀ",                                    // 112
    "ち,チ,ﾁ",                                    // 113
    "つ,ツ,ﾂ,っ,ッ,ｯ",                            // 114
    "て,テ,ﾃ",                                    // 115
    "と,ト,ﾄ",                                    // 116
    "な,ナ,ﾅ",                                    // 117
    "に,ニ,ﾆ",                                    // 118
    "ぬ,ヌ,ﾇ",                                    // 119
    "ね,ネ,ﾈ",                                    // 120
    "の,ノ,ﾉ",                                    // 121
    "は,ハ,ﾊ",                                    // 122
    "ひ,ヒ,ﾋ",                                    // 123
    "ふ,フ,ﾌ",                                    // 124
    "へ,ヘ,ﾍ",                                    // 125
    "ほ,ホ,ﾎ",                                    // 126
    "ま,マ,ﾏ",                                    // 127
    "み,ミ,ﾐ",                                    // 128
    "む,ム,ﾑ",                                    // 129
    "め,メ,ﾒ",                                    // 130
    "も,モ,ﾓ",                                    // 131
    "や,ヤ,ﾔ,ゃ,ャ,ｬ",                            // 132
    "ゆ,ユ,ﾕ,ゅ,ュ,ｭ",                            // 133
    "よ,ヨ,ﾖ,ょ,ョ,ｮ",                            // 134
    "ら,ラ,ﾗ",                                    // 135
    "り,リ,ﾘ",                                    // 136
    "る,ル,ﾙ",                                    // 137
    "れ,レ,ﾚ",                                    // 138
    "ろ,ロ,ﾛ",                                    // 139
    "わ,ワ,ﾜ,うぁ,ウァ,ｳｧ",                       // 140
    "ヰ,ゐ,うぃ,ウィ,ｳｨ",                         // 141
    "ヱ,ゑ,うぇ,ウェ,ｳｪ",                         // 142
    "を,ヲ,ｦ,うぉ,ウォ,ｳｫ",                       // 143
    "ﾞ,゛",                                       // 144
    "ﾟ,゜",                                       // 145
};

std::vector<REChar> Codes(std::string_view s) {
  std::vector<REChar> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    if (IsSjisLead(b) && i + 1 < s.size()) {
      out.push_back(static_cast<REChar>(b << 8 | static_cast<unsigned char>(s[i + 1])));
      i += 2;
    } else {
      out.push_back(b);
      i += 1;
    }
  }
  return out;
}

bool IsSpecial(REChar c) {
  switch (c) {
    case '^':
    case '(':
    case '|':
    case ')':
    case '+':
    case '*':
    case '?':
    case '.':
    case '[':
    case ']':
    case '$':
    case '\\':
      return true;
    default:
      return false;
  }
}

void AppendEscapedItem(std::string& out, std::string_view item) {
  for (REChar c : Codes(item)) {
    if (IsSpecial(c)) out += '\\';
    REAppendCode(out, c);
  }
}

}  // namespace

std::vector<std::string> REParseDictionaryLine(std::string_view line) {
  std::vector<std::string> items;
  size_t i = 0;
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (i <= line.size()) {
    while (i < line.size() && blank(line[i])) ++i;
    std::string item;
    if (i < line.size() && line[i] == '"') {
      ++i;
      while (i < line.size()) {
        if (line[i] == '"') {
          if (i + 1 < line.size() && line[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += line[i++];
      }
      while (i < line.size() && line[i] != ',') ++i;
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ',') ++i;
      size_t end = i;
      while (end > start && blank(line[end - 1])) --end;
      item.assign(line.substr(start, end - start));
    }
    if (!item.empty()) items.push_back(item);
    if (i >= line.size()) break;
    ++i;  // the comma
  }
  return items;
}

const REDictionary& REBuiltinFuzzyCharDic() {
  static const REDictionary dic = [] {
    REDictionary d;
    for (const char* line : kFuzzyCharDicLines) {
      std::vector<std::string> group;
      for (const std::string& item : REParseDictionaryLine(line)) group.push_back(Utf8ToCp932(item));
      d.push_back(std::move(group));
    }
    return d;
  }();
  return dic;
}

std::string TREPreProcessor::Run() {
  std::string text = target_;
  if (UseSynonymDic) text = Pass(text, SynonymDicList);
  if (UseFuzzyCharDic) {
    std::vector<const REDictionary*> dics;
    if (UseBuiltinFuzzyCharDic) dics.push_back(&REBuiltinFuzzyCharDic());
    dics.insert(dics.end(), FuzzyCharDicList.begin(), FuzzyCharDicList.end());
    text = Pass(text, dics);
  }
  return text;
}

std::string TREPreProcessor::Pass(const std::string& text, const std::vector<const REDictionary*>& dics) {
  TREScanner sc(text);
  std::vector<Tok> toks;
  for (;;) {
    TREToken k = sc.GetToken();
    toks.push_back({k, sc.Symbol, sc.TokenStart, sc.Position});
    if (k == retk_End) break;
  }
  auto source = [&](const Tok& t) { return std::string_view(text).substr(t.start - 1, t.end - t.start); };

  // Item codes, computed once per pass.
  std::vector<std::vector<std::vector<std::vector<REChar>>>> codes;
  for (const REDictionary* d : dics) {
    auto& dc = codes.emplace_back();
    for (const auto& group : *d) {
      auto& gc = dc.emplace_back();
      for (const auto& item : group) gc.push_back(Codes(item));
    }
  }

  std::string out;
  size_t i = 0;
  while (i < toks.size()) {
    const Tok& t = toks[i];
    if (t.kind == retk_LBra || t.kind == retk_LBraNeg) {
      size_t j = i;
      while (j + 1 < toks.size() && toks[j].kind != retk_RBra) ++j;
      out.append(text, t.start - 1, toks[j].end - t.start);
      i = j + 1;
      continue;
    }
    if (t.kind != retk_Char) {
      out += source(t);
      ++i;
      continue;
    }
    size_t runEnd = i;
    while (runEnd < toks.size() && toks[runEnd].kind == retk_Char) ++runEnd;
    size_t k = i;
    while (k < runEnd) {
      const std::vector<std::string>* found = nullptr;
      size_t foundLen = 0;
      for (size_t d = 0; d < dics.size() && !found; ++d) {
        for (size_t g = 0; g < codes[d].size() && !found; ++g) {
          for (const auto& item : codes[d][g]) {
            if (item.empty() || item.size() > runEnd - k) continue;
            bool eq = true;
            for (size_t c = 0; c < item.size() && eq; ++c) eq = toks[k + c].code == item[c];
            if (eq) {
              found = &(*dics[d])[g];
              foundLen = item.size();
              break;
            }
          }
        }
      }
      if (!found) {
        out += source(toks[k]);
        ++k;
        continue;
      }
      out += '(';
      for (size_t n = 0; n < found->size(); ++n) {
        if (n) out += '|';
        AppendEscapedItem(out, (*found)[n]);
      }
      out += ')';
      k += foundLen;
    }
    i = runEnd;
  }
  return out;
}

}  // namespace navirt
