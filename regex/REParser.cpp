// Scanner, parse tree and parser of the expression syntax.
#include <algorithm>

#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

namespace navirt {

const char* const kMsgBadDbcs = "不正な２バイト文字コードです。";
const char* const kMsgNeedCharAfterBs = "\"\\\"の次には文字が必要です。";
const char* const kMsgBadHex = "不正な１６進数コード表記です。";
const char* const kMsgBadOctal = "不正な８進数コード表記です。";
const char* const kMsgNeedRBracket = "右ブラケット\"]\"が必要です";
const char* const kMsgBadRange = "不正なキャラクタ範囲です";
const char* const kMsgBadClass = "不正なキャラクタクラス指定です。";
const char* const kMsgNeedRPar = "右(閉じ)括弧が必要です";
const char* const kMsgNeedPrimary = "普通の文字、または左括弧\"(\"が必要です";
const char* const kMsgExtraChars = "正規表現に余分な文字があります";
const char* const kMsgTooComplex = "正規表現が複雑すぎます";
const char* const kMsgTreeFatal = "TREParseTree : 致命的エラー";
const char* const kMsgCannotHappen = "This cannot happen in TRE_NFA.GenerateStateList";

namespace {
// Deeper nesting than this is refused before the recursion can exhaust the stack.
constexpr int kMaxNesting = 1000;

uint16_t Pos16(int pos) { return static_cast<uint16_t>(pos); }

int HexValue(REChar c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

REChar REGetChar(std::string_view s, int& pos) {
  if (pos < 1 || size_t(pos) > s.size()) return 0;
  unsigned char b = static_cast<unsigned char>(s[pos - 1]);
  if (b == 0) return 0;  // a zero byte ends the expression as the end does
  if (IsSjisLead(b)) {
    if (size_t(pos) == s.size()) throw ERegExpParser(kMsgBadDbcs, Pos16(pos));
    REChar c = static_cast<REChar>(b << 8 | static_cast<unsigned char>(s[pos]));
    pos += 2;
    return c;
  }
  pos += 1;
  return b;
}

void REUngetChar(std::string_view s, int& pos) {
  if (pos <= 1) return;
  // The byte before pos is a trail byte when an odd run of lead-byte values
  // stands right before it.
  int run = 0;
  for (int i = pos - 3; i >= 0 && IsSjisLead(static_cast<unsigned char>(s[i])); --i) ++run;
  pos -= (run % 2 == 1) ? 2 : 1;
  if (pos < 1) pos = 1;
}

REChar REGetEscape(std::string_view s, int& pos) {
  REChar c = REGetChar(s, pos);
  switch (c) {
    case 0:
      throw ERegExpParser(kMsgNeedCharAfterBs, Pos16(pos));
    case 'b':
      return 8;
    case 'n':
      return 10;
    case 'r':
      return 13;
    case 't':
      return 9;
    case 'x': {
      uint32_t v = 0;
      int digits = 0;
      while (digits < 4) {
        int save = pos;
        int h = HexValue(REGetChar(s, pos));
        if (h < 0) {
          pos = save;
          break;
        }
        v = v * 16 + uint32_t(h);
        ++digits;
      }
      if (digits == 0) throw ERegExpParser(kMsgBadHex, Pos16(pos));
      return static_cast<REChar>(v);
    }
    default:
      break;
  }
  if (c >= '0' && c <= '7') {
    uint32_t v = c - '0';
    for (int digits = 1; digits < 6; ++digits) {
      int save = pos;
      REChar d = REGetChar(s, pos);
      if (d < '0' || d > '7') {
        pos = save;
        break;
      }
      v = v * 8 + (d - '0');
    }
    if (v > 0xFFFF) throw ERegExpParser(kMsgBadOctal, Pos16(pos));
    return static_cast<REChar>(v);
  }
  return c;
}

void REAppendCode(std::string& out, uint32_t code) {
  if (code > 0xFF && IsSjisLead(static_cast<unsigned char>(code >> 8))) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

// ------------------------------------------------------------------ scanner

TREScanner::TREScanner(std::string text) : text_(std::move(text)) {}

void TREScanner::SetRegExpStr(std::string text) {
  text_ = std::move(text);
  Position = 1;
  TokenStart = 1;
  bracket_ = false;
  Token = retk_End;
}

TREToken TREScanner::GetToken() {
  if (bracket_) {
    Token = GetTokenBracket();
    if (Token == retk_RBra) bracket_ = false;
  } else {
    Token = GetTokenStd();
    if (Token == retk_LBra || Token == retk_LBraNeg) bracket_ = true;
  }
  return Token;
}

TREToken TREScanner::GetTokenStd() {
  TokenStart = Position;
  REChar c = REGetChar(text_, Position);
  Symbol = c;
  switch (c) {
    case 0:
      return Token = retk_End;
    case '|':
      return Token = retk_Union;
    case '(':
      return Token = retk_LPar;
    case ')':
      return Token = retk_RPar;
    case '*':
      return Token = retk_Star;
    case '+':
      return Token = retk_Plus;
    case '?':
      return Token = retk_QMark;
    case '.':
      return Token = retk_Dot;
    case '^':
      return Token = retk_LHead;
    case '$':
      return Token = retk_LTail;
    case ']':
      return Token = retk_RBra;
    case '\\':
      Symbol = REGetEscape(text_, Position);
      return Token = retk_Char;
    case '[': {
      int save = Position;
      REChar d = REGetChar(text_, Position);
      if (d == 0) throw ERegExpParser(kMsgNeedRBracket, Pos16(Position));
      if (d == '^') return Token = retk_LBraNeg;
      Position = save;
      return Token = retk_LBra;
    }
    default:
      return Token = retk_Char;
  }
}

TREToken TREScanner::GetTokenBracket() {
  TokenStart = Position;
  REChar a = REGetChar(text_, Position);
  if (a == 0) throw ERegExpParser(kMsgNeedRBracket, Pos16(Position));
  if (a == ']') {
    Symbol = a;
    return Token = retk_RBra;
  }
  if (a == '\\') a = REGetEscape(text_, Position);
  int afterA = Position;
  REChar b = REGetChar(text_, Position);
  if (b == '-') {
    REChar c = REGetChar(text_, Position);
    if (c == 0) throw ERegExpParser(kMsgNeedRBracket, Pos16(Position));
    if (c == ']') {
      // "a-]": the "-" is an ordinary member read next.
      Position = afterA;
      Symbol = a;
      return Token = retk_Char;
    }
    if (c == '\\') c = REGetEscape(text_, Position);
    if (c < a) throw ERegExpParser(kMsgBadRange, Pos16(Position));
    Symbol = a;
    SymbolHigh = c;
    return Token = retk_CharRange;
  }
  if (b == 0) throw ERegExpParser(kMsgNeedRBracket, Pos16(Position));
  Position = afterA;
  Symbol = a;
  return Token = retk_Char;
}

// --------------------------------------------------------------- parse tree

RENode* TREParseTree::Alloc() {
  all_.push_back(std::make_unique<RENode>());
  return all_.back().get();
}

RENode* TREParseTree::MakeLeaf(REChar low, REChar high) {
  if (high < low) return nullptr;
  for (RENode* n : leaves_)
    if (n->Low == low && n->High == high) return n;
  RENode* n = Alloc();
  n->Op = reop_Char;
  n->Low = low;
  n->High = high;
  leaves_.push_back(n);
  return n;
}

RENode* TREParseTree::MakeNode(REOp op, RENode* left, RENode* right) {
  RENode* n = Alloc();
  n->Op = op;
  n->Left = left;
  n->Right = right;
  return n;
}

RENode* TREParseTree::MakeLHeadNode(REChar c) {
  RENode* n = MakeNode(reop_LHead, nullptr, nullptr);
  n->Low = n->High = c;
  return n;
}

RENode* TREParseTree::MakeLTailNode(REChar c) {
  RENode* n = MakeNode(reop_LTail, nullptr, nullptr);
  n->Low = n->High = c;
  return n;
}

RENode* TREParseTree::MakeAnyCharsNode() {
  return MakeNode(reop_Union, MakeNode(reop_Union, MakeLeaf(1, 9), MakeLeaf(11, 12)), MakeLeaf(14, kREMaxTextChar));
}

void TREParseTree::Clear() {
  all_.clear();
  leaves_.clear();
  Root = nullptr;
}

void TREParseTree::ForceCharClassesDisjoint() {
  auto rewrite = [this](RENode* leaf, RENode* a, RENode* b) {
    if (!a || !b) throw std::runtime_error(kMsgTreeFatal);
    leaves_.erase(std::find(leaves_.begin(), leaves_.end(), leaf));
    leaf->Op = reop_Union;
    leaf->Left = a;
    leaf->Right = b;
  };
  size_t i = 0;
  while (i < leaves_.size()) {
    bool rewrote = false;
    for (size_t j = i + 1; j < leaves_.size(); ++j) {
      RENode* a = leaves_[i];
      RENode* b = leaves_[j];
      if (a->Low == b->Low && a->High == b->High) continue;
      if (a->High < b->Low || b->High < a->Low) continue;
      RENode* L = a->Low <= b->Low ? a : b;
      RENode* R = L == a ? b : a;
      REChar mn = std::min(L->High, R->High), mx = std::max(L->High, R->High);
      RENode* low = L->Low < R->Low ? MakeLeaf(L->Low, static_cast<REChar>(R->Low - 1)) : nullptr;
      RENode* overlap = MakeLeaf(R->Low, mn);
      RENode* high = mn < mx ? MakeLeaf(static_cast<REChar>(mn + 1), mx) : nullptr;
      if (!low) {
        RENode* longer = L->High > R->High ? L : R;
        rewrite(longer, overlap, high);
      } else if (!high) {
        rewrite(L, low, overlap);
      } else if (R->High < L->High) {
        RENode* lo = MakeNode(reop_Union, low, overlap);
        rewrite(L, lo, high);
      } else {
        rewrite(L, low, overlap);
        rewrite(R, overlap, high);
      }
      rewrote = true;
      break;
    }
    if (!rewrote) ++i;
  }
}

// ------------------------------------------------------------------- parser

TREParser::TREParser(const std::string& text) : scanner_(text) {}

void TREParser::Error(const char* message) { throw ERegExpParser(message, Pos16(scanner_.Position)); }

void TREParser::Run() {
  tree_.Clear();
  scanner_.SetRegExpStr(scanner_.RegExpStr());
  depth_ = 0;
  scanner_.GetToken();
  tree_.Root = Regex();
  if (scanner_.Token != retk_End) Error(kMsgExtraChars);
  tree_.ForceCharClassesDisjoint();
}

RENode* TREParser::Regex() {
  if (++depth_ > kMaxNesting) Error(kMsgTooComplex);
  RENode* t = Term();
  while (scanner_.Token == retk_Union) {
    scanner_.GetToken();
    t = tree_.MakeNode(reop_Union, t, Term());
  }
  --depth_;
  return t;
}

RENode* TREParser::Term() {
  TREToken k = scanner_.Token;
  if (k == retk_Union || k == retk_RPar || k == retk_End) return tree_.MakeNode(reop_Empty, nullptr, nullptr);
  RENode* f = Factor();
  for (;;) {
    k = scanner_.Token;
    if (k == retk_Union || k == retk_RPar || k == retk_End) break;
    f = tree_.MakeNode(reop_Concat, f, Factor());
  }
  return f;
}

RENode* TREParser::Factor() {
  RENode* p = Primary();
  switch (scanner_.Token) {
    case retk_Star:
      p = tree_.MakeNode(reop_Closure, p, nullptr);
      break;
    case retk_Plus:
      p = tree_.MakeNode(reop_Concat, p, tree_.MakeNode(reop_Closure, p, nullptr));
      break;
    case retk_QMark:
      p = tree_.MakeNode(reop_Union, p, tree_.MakeNode(reop_Empty, nullptr, nullptr));
      break;
    default:
      return p;
  }
  scanner_.GetToken();
  return p;
}

RENode* TREParser::Primary() {
  RENode* p = nullptr;
  switch (scanner_.Token) {
    case retk_Char:
      p = tree_.MakeLeaf(scanner_.Symbol, scanner_.Symbol);
      break;
    case retk_LPar:
      scanner_.GetToken();
      p = Regex();
      if (scanner_.Token != retk_RPar) Error(kMsgNeedRPar);
      break;
    case retk_LBra:
      p = CharClass(tree_);
      if (scanner_.Token != retk_RBra) Error(kMsgNeedRBracket);
      break;
    case retk_LBraNeg:
      p = NegCharClass();
      if (scanner_.Token != retk_RBra) Error(kMsgNeedRBracket);
      break;
    case retk_Dot:
      p = tree_.MakeAnyCharsNode();
      break;
    case retk_LHead:
      p = tree_.MakeLHeadNode(scanner_.Symbol);
      break;
    case retk_LTail:
      p = tree_.MakeLTailNode(scanner_.Symbol);
      break;
    default:
      Error(kMsgNeedPrimary);
  }
  scanner_.GetToken();
  return p;
}

RENode* TREParser::CharClass(TREParseTree& tree) {
  auto member = [&]() {
    if (scanner_.Token == retk_CharRange) return tree.MakeLeaf(scanner_.Symbol, scanner_.SymbolHigh);
    return tree.MakeLeaf(scanner_.Symbol, scanner_.Symbol);
  };
  scanner_.GetToken();
  if (scanner_.Token == retk_RBra) Error(kMsgBadClass);
  RENode* p = member();
  for (;;) {
    scanner_.GetToken();
    if (scanner_.Token == retk_RBra) break;
    p = tree.MakeNode(reop_Union, p, member());
  }
  return p;
}

RENode* TREParser::NegCharClass() {
  TREParseTree scratch;
  CharClass(scratch);
  scratch.ForceCharClassesDisjoint();
  struct Range {
    REChar low, high;
  };
  std::vector<Range> set = {{1, 9}, {11, 12}, {14, kREMaxTextChar}};
  for (const RENode* m : scratch.Leaves()) {
    std::vector<Range> next;
    for (const Range& r : set) {
      if (r.high < m->Low || m->High < r.low) {
        next.push_back(r);
        continue;
      }
      if (r.low < m->Low) next.push_back({r.low, static_cast<REChar>(m->Low - 1)});
      if (m->High < r.high) next.push_back({static_cast<REChar>(m->High + 1), r.high});
    }
    set.swap(next);
  }
  if (set.empty()) return tree_.MakeNode(reop_Nothing, nullptr, nullptr);
  RENode* p = tree_.MakeLeaf(set[0].low, set[0].high);
  for (size_t i = 1; i < set.size(); ++i) p = tree_.MakeNode(reop_Union, p, tree_.MakeLeaf(set[i].low, set[i].high));
  return p;
}

}  // namespace navirt
