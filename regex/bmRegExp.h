#pragma once
// The program's own regular-expression engine over Shift_JIS text.
//
// Every character of an expression and of a searched text is one 16-bit
// code: a single byte's value, or lead byte x 256 + trail byte. Matching is
// leftmost-longest. The expression goes through the dictionary expansion
// (optional), the scanner and parser, an NFA, and a DFA built completely at
// compile time; the last 30 compiled expressions are cached.
//
// Messages of the engine are UTF-8 (they go to message boxes and terminals);
// expressions and texts are Shift_JIS bytes.
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

using REChar = uint16_t;

// Pseudo codes and limits.
constexpr REChar kREEpsilon = 0xFFFF;      // a condition low = high = 0xFFFF is an e-move
constexpr REChar kREMaxTextChar = 0xFCFC;  // highest code "." and negated classes match
constexpr int kRECacheSize = 30;
// Beyond these the expression is refused with kMsgTooComplex instead of
// exhausting memory; ordinary expressions stay far below them.
constexpr int kREMaxNFAStates = 262143;
constexpr int kREMaxDFAStates = 65536;
constexpr size_t kREMaxDFACells = size_t(1) << 20;  // DFA states x input classes

// Messages (UTF-8).
extern const char* const kMsgBadDbcs;          // 不正な２バイト文字コードです。
extern const char* const kMsgNeedCharAfterBs;  // "\"の次には文字が必要です。
extern const char* const kMsgBadHex;           // 不正な１６進数コード表記です。
extern const char* const kMsgBadOctal;         // 不正な８進数コード表記です。
extern const char* const kMsgNeedRBracket;     // 右ブラケット"]"が必要です
extern const char* const kMsgBadRange;         // 不正なキャラクタ範囲です
extern const char* const kMsgBadClass;         // 不正なキャラクタクラス指定です。
extern const char* const kMsgNeedRPar;         // 右(閉じ)括弧が必要です
extern const char* const kMsgNeedPrimary;      // 普通の文字、または左括弧"("が必要です
extern const char* const kMsgExtraChars;       // 正規表現に余分な文字があります
extern const char* const kMsgTooComplex;       // 正規表現が複雑すぎます
extern const char* const kMsgTreeFatal;        // TREParseTree : 致命的エラー
extern const char* const kMsgCannotHappen;     // This cannot happen in TRE_NFA.GenerateStateList

// A syntax error: message and the 1-based byte position where the scanner
// stood.
class ERegExpParser : public std::runtime_error {
 public:
  ERegExpParser(const std::string& message, uint16_t errorPos) : std::runtime_error(message), ErrorPos(errorPos) {}
  uint16_t ErrorPos;
};

// Character reading over an expression string with 1-based positions.
// Returns 0 past the end (position unchanged); a lead byte that is the last
// byte raises kMsgBadDbcs with the lead byte's position.
REChar REGetChar(std::string_view s, int& pos);
// Steps back one character (2 bytes when the byte before pos is a trail byte).
void REUngetChar(std::string_view s, int& pos);
// Reads the escape after a "\" (pos stands after the "\").
REChar REGetEscape(std::string_view s, int& pos);
// Appends a code as Shift_JIS bytes: two bytes when its high byte is a lead
// byte, else its low byte only.
void REAppendCode(std::string& out, uint32_t code);

// ---------------------------------------------------------------- scanner
enum TREToken : uint8_t {
  retk_Char,
  retk_CharRange,
  retk_Union,
  retk_LPar,
  retk_RPar,
  retk_Star,
  retk_Plus,
  retk_QMark,
  retk_LBra,
  retk_LBraNeg,
  retk_RBra,
  retk_Dot,
  retk_LHead,
  retk_LTail,
  retk_End,
};

class TREScanner {
 public:
  explicit TREScanner(std::string text = {});
  void SetRegExpStr(std::string text);
  const std::string& RegExpStr() const { return text_; }
  // Next token, switching between normal and bracket mode.
  TREToken GetToken();
  TREToken GetTokenStd();
  TREToken GetTokenBracket();

  TREToken Token = retk_End;
  REChar Symbol = 0;      // the character, or a range's low code
  REChar SymbolHigh = 0;  // a range's high code
  int Position = 1;       // 1-based byte position of the scanner
  int TokenStart = 1;     // where the current token's source text starts

 private:
  std::string text_;
  bool bracket_ = false;
};

// ------------------------------------------------------------- parse tree
enum REOp : uint8_t {
  reop_Char = 0,  // leaf: the codes Low..High
  reop_LHead = 1,
  reop_LTail = 2,
  reop_Concat = 3,
  reop_Union = 4,
  reop_Closure = 5,
  reop_Empty = 6,
  reop_Nothing = 7,  // matches nothing (a negated class that excludes everything)
};

struct RENode {
  REOp Op = reop_Empty;
  REChar Low = 0, High = 0;
  RENode* Left = nullptr;
  RENode* Right = nullptr;
};

class TREParseTree {
 public:
  TREParseTree() = default;
  TREParseTree(const TREParseTree&) = delete;
  TREParseTree& operator=(const TREParseTree&) = delete;

  // Finds a leaf with these codes or creates one; nullptr when high < low.
  RENode* MakeLeaf(REChar low, REChar high);
  RENode* MakeNode(REOp op, RENode* left, RENode* right);
  RENode* MakeLHeadNode(REChar c);
  RENode* MakeLTailNode(REChar c);
  RENode* MakeAnyCharsNode();
  // Makes all leaves pairwise identical or disjoint.
  void ForceCharClassesDisjoint();
  void Clear();

  const std::vector<RENode*>& Leaves() const { return leaves_; }
  size_t NodeCount() const { return all_.size(); }
  RENode* Root = nullptr;

 private:
  RENode* Alloc();
  std::vector<std::unique_ptr<RENode>> all_;
  std::vector<RENode*> leaves_;
};

// ------------------------------------------------------------------ parser
class TREParser {
 public:
  explicit TREParser(const std::string& text);
  // Parses and refines; raises ERegExpParser.
  void Run();
  TREParseTree& ParseTree() { return tree_; }
  RENode* Root() { return tree_.Root; }

 private:
  RENode* Regex();
  RENode* Term();
  RENode* Factor();
  RENode* Primary();
  RENode* CharClass(TREParseTree& tree);
  RENode* NegCharClass();
  void Error(const char* message);

  TREScanner scanner_;
  TREParseTree tree_;
  int depth_ = 0;
};

// ---------------------------------------------------- dictionary expansion
// Groups of items that are to match each other; items are Shift_JIS.
using REDictionary = std::vector<std::vector<std::string>>;

// Splits stored group strings: items separated by commas; an item in double
// quotes may hold commas and blanks, "" inside quotes is one quote.
std::vector<std::string> REParseDictionaryLine(std::string_view line);
// The built-in character-equivalence dictionary, 145 groups (built once).
const REDictionary& REBuiltinFuzzyCharDic();

class TREPreProcessor {
 public:
  void SetTargetRegExpStr(const std::string& text) { target_ = text; }
  // The expanded text (the input itself when both flags are off).
  // Raises the scanner's ERegExpParser when a dictionary is on.
  std::string Run();
  std::string Run(const std::string& text) {
    SetTargetRegExpStr(text);
    return Run();
  }

  bool UseSynonymDic = false;
  bool UseFuzzyCharDic = false;
  // The built-in dictionary goes before FuzzyCharDicList's own. Named
  // rather than listed, so that it is built (through the CP932 tables)
  // only when the fuzzy matching is on: a plain grep starts sooner.
  bool UseBuiltinFuzzyCharDic = false;
  std::vector<const REDictionary*> SynonymDicList;
  std::vector<const REDictionary*> FuzzyCharDicList;

 private:
  struct Tok {
    TREToken kind;
    REChar code;
    int start, end;  // 1-based source span [start, end)
  };
  std::string Pass(const std::string& text, const std::vector<const REDictionary*>& dics);
  std::string target_;
};

// --------------------------------------------------------------------- NFA
struct RE_NFATransition {
  REChar Low, High;  // Low == High == kREEpsilon: an e-move
  int Target;
  int Next;  // index of the next transition of the state, -1 at the end
};

class TRE_NFA {
 public:
  TRE_NFA(TREParser& parser, REChar lineHeadChar, REChar lineTailChar);
  void Run();

  static constexpr int kEntry = 0;
  static constexpr int kFinal = 1;
  int StateCount() const { return static_cast<int>(heads_.size()); }
  int FirstTransition(int state) const { return heads_[state]; }
  const RE_NFATransition& Transition(int i) const { return trans_[i]; }
  bool HasLHead = false;
  bool HasLTail = false;

 private:
  int NewState();
  void AddTransition(int from, REChar low, REChar high, int to);
  void GenerateStateList(RENode* node, int from, int to);

  TREParser& parser_;
  REChar lineHead_, lineTail_;
  std::vector<int> heads_;
  std::vector<RE_NFATransition> trans_;
};

// A set of NFA states: a bit set of n/8 + 1 bytes.
class TRE_NFAStateSet {
 public:
  explicit TRE_NFAStateSet(int stateCount) : bits_(size_t(stateCount) / 8 + 1, 0) {}
  bool Has(int i) const { return bits_[size_t(i) >> 3] & (1u << (i & 7)); }
  void Include(int i) { bits_[size_t(i) >> 3] |= uint8_t(1u << (i & 7)); }
  bool Equals(const TRE_NFAStateSet& o) const { return bits_ == o.bits_; }
  const std::vector<uint8_t>& Bytes() const { return bits_; }

 private:
  std::vector<uint8_t> bits_;
};

// --------------------------------------------------------------------- DFA
struct RE_DFATransition {
  REChar Low, High;
  int Target;
};

struct RE_DFAState {
  bool Marked = false;
  bool Accepting = false;
  std::vector<RE_DFATransition> Transitions;  // sorted by Low
};

class TREScanAutomaton;
struct TREInputConditions;

class TRE_DFA {
 public:
  // Builds the DFA of the NFA completely; raises ERegExpParser with
  // kMsgTooComplex beyond the state limits.
  explicit TRE_DFA(const TRE_NFA& nfa);
  ~TRE_DFA();

  int InitialState() const { return initial_; }
  int StateCount() const { return static_cast<int>(states_.size()); }
  const RE_DFAState& State(int s) const { return states_[s]; }
  bool Accepting(int s) const { return states_[s].Accepting; }
  // The target of state s on code c, or -1. c may be any value; codes
  // above 0xFFFF never have a transition.
  int Step(int s, uint32_t c) const {
    if (s < 0 || c > 0xFFFF) return -1;
    return table_[size_t(s) * nclasses_ + ClassOf(c)];
  }
  // The same by a scan of the sorted transition list.
  int StepByList(int s, uint32_t c) const;

  bool IsLiteral() const { return literal_; }
  const std::string& LiteralText() const { return literalText_; }
  bool HasLHead() const { return hasLHead_; }
  bool HasLTail() const { return hasLTail_; }
  std::vector<REChar> LiteralCodes;  // the chain's codes when IsLiteral()
  // Bytes every match contains, from the parse tree (grep's prefilter).
  std::string MustLiteral;
  // Strings one of which every match contains (empty: none known).
  std::vector<std::string> MustSet;

  // Input classes: codes with the same transitions everywhere.
  int ClassCount() const { return nclasses_; }
  uint32_t ClassOf(uint32_t c) const {
    if (c < 256) return single_[c];
    const uint16_t* row = leadRow_[c >> 8];
    return row ? row[c & 0xFF] : ClassBySearch(c);
  }
  uint32_t ClassBySearch(uint32_t c) const;
  const int32_t* Table() const { return table_.data(); }
  const uint16_t* SingleClass() const { return single_; }
  const uint16_t* LeadRow(unsigned lead) const { return leadRow_[lead]; }

  // The automaton that runs every attempt at once (built on first use for
  // grep); nullptr when it would be too large.
  const TREScanAutomaton* ScanAutomaton(REChar lineFeed) const;

 private:
  void Build(const TRE_NFA& nfa);
  TREInputConditions CutInputClasses(const TRE_NFA& nfa);
  void ConstructStates(const TRE_NFA& nfa, const TREInputConditions& conditions);
  void ListTransitions();
  void BuildClassRows();
  void DetectLiteral();

  std::vector<RE_DFAState> states_;
  int initial_ = -1;
  bool literal_ = false;
  std::string literalText_;
  bool hasLHead_ = false, hasLTail_ = false;

  int nclasses_ = 1;
  std::vector<uint32_t> classStarts_;  // sorted first code of each class
  uint16_t single_[256] = {};
  const uint16_t* leadRow_[256] = {};
  std::vector<std::unique_ptr<uint16_t[]>> rows_;
  std::vector<int32_t> table_;  // state x class -> target or -1

  mutable bool scanTried_ = false;
  mutable std::unique_ptr<TREScanAutomaton> scan_;
  friend class TREScanAutomaton;
};

// ------------------------------------------------- compiled-expression cache
class TRegularExpression {
 public:
  TRegularExpression();
  virtual ~TRegularExpression();
  TRegularExpression(const TRegularExpression&) = delete;
  TRegularExpression& operator=(const TRegularExpression&) = delete;

  const std::string& RegExp() const { return regExp_; }
  // Compiles (or takes from the cache); raises ERegExpParser.
  virtual void SetRegExp(const std::string& text);
  bool UseFuzzyCharDic() const { return pre_.UseFuzzyCharDic; }
  bool UseSynonymDic() const { return pre_.UseSynonymDic; }
  void SetUseFuzzyCharDic(bool on);
  void SetUseSynonymDic(bool on);

  virtual REChar LineHeadChar() const { return 0xFFFD; }
  virtual REChar LineTailChar() const { return 0xFFFE; }

  const TRE_DFA& DFA() const { return *cache_[current_].dfa; }
  int InitialState() const { return DFA().InitialState(); }
  bool IsLiteral() const { return DFA().IsLiteral(); }
  const std::string& LiteralText() const { return DFA().LiteralText(); }
  bool HasLHead() const { return DFA().HasLHead(); }
  bool HasLTail() const { return DFA().HasLTail(); }
  int Step(int s, uint32_t c) const { return DFA().Step(s, c); }

  // The cache as it stands (entry 0 is the empty expression).
  int CacheCount() const { return static_cast<int>(cache_.size()); }
  const std::string& CacheKey(int i) const { return cache_[i].key; }
  int CurrentIndex() const { return current_; }
  TREPreProcessor& PreProcessor() { return pre_; }

 protected:
  virtual void CompileCurrent();
  // Called after every successful setting of RegExp.
  virtual void RegExpChanged() {}

 private:
  struct Entry {
    std::string key;
    std::unique_ptr<TRE_DFA> dfa;
  };
  std::vector<Entry> cache_;
  int current_ = 0;
  std::string regExp_;
  TREPreProcessor pre_;
};

// ---------------------------------------------------------------- matcher
enum TMatchCORE_LineSeparator { mcls_CRLF, mcls_LF };

// A match: byte offsets [Start, End) into the searched text.
struct REMatch {
  bool Found = false;
  size_t Start = 0, End = 0;
};

// The places (position, DFA state) that a failed attempt of one search
// passed through. What follows such a place depends on nothing else, so a
// later attempt that reaches it will find nothing beyond it either and
// stops there: each position is then walked a bounded number of times
// instead of once per start before it. One state per position is kept.
class TAttemptMemo {
 public:
  explicit TAttemptMemo(size_t base) : base_(base) {}
  // True when a failed attempt stood at p in state s; else notes it.
  bool Passed(size_t p, int s) {
    if (s < 0 || s >= 0xFFFF || p < base_) return false;
    const size_t i = p - base_;
    if (i >= marks_.size()) marks_.resize(std::max(i + 1, marks_.size() * 2), 0);
    const uint16_t mark = static_cast<uint16_t>(s + 1);
    if (marks_[i] == mark) return true;
    marks_[i] = mark;
    return false;
  }
  // Every later attempt starts at p or after: the marks before p can go,
  // so a search through a long text keeps only the stretch attempts span.
  void Advance(size_t p) {
    if (p <= base_) return;
    const size_t drop = p - base_;
    if (drop >= marks_.size()) {
      marks_.clear();
    } else if (drop >= 4096 && drop * 2 >= marks_.size()) {
      marks_.erase(marks_.begin(), marks_.begin() + std::ptrdiff_t(drop));
    } else {
      return;  // dropped later, in larger steps
    }
    base_ = p;
  }

 private:
  size_t base_;
  std::vector<uint16_t> marks_;
};

class TMatchCORE : public TRegularExpression {
 public:
  TMatchCORE_LineSeparator LineSeparator = mcls_CRLF;

  // Longest match from offset p in DFA state s; returns the end or npos.
  // With memo, the attempt notes its places and stops at one a failed
  // attempt passed (a search returns at its first attempt that succeeds).
  size_t MatchFrom(std::string_view text, size_t p, int s, TAttemptMemo* memo = nullptr) const;
  size_t MatchAtLineStart(std::string_view text, size_t p, int s, TAttemptMemo* memo = nullptr) const;
  // The same searches one attempt at a time, for comparison in tests.
  REMatch MatchSimpleByAttempts(std::string_view text) const;
  REMatch SearchOnwardByAttempts(std::string_view text) const;
  REMatch MatchSimple(std::string_view text) const;
  REMatch MatchAnchored(std::string_view text) const;
  REMatch SearchOnward(std::string_view text) const;

  static constexpr size_t npos = std::string_view::npos;
};

// String-level matching and substitution.
class TAWKStr : public TMatchCORE {
 public:
  TAWKStr();
  // 1-based position and length of the first match; 0, 0 when none.
  int Match(std::string_view text, int* length = nullptr) const;
  // Replaces every match; returns the count (0 leaves text unchanged).
  int GSub(const std::string& templ, std::string& text) const;
  static std::string ExpandReplacement(const std::string& templ, std::string_view matched);
  // Converts backslash sequences; raises ERegExpParser.
  static std::string ProcessEscSeq(const std::string& text);
  // The chosen search routine.
  REMatch Search(std::string_view text) const { return anchored_ ? MatchAnchored(text) : MatchSimple(text); }

 protected:
  void RegExpChanged() override;

 private:
  bool anchored_ = false;
};

// -------------------------------------------------------------------- grep
struct RE_LineInfo_t {
  std::string Line;    // without its line end
  int32_t LineNo = 0;  // first line of a file is 1
};

class TGrep;
using TGrepOnMatch = std::function<void(TGrep* sender, const RE_LineInfo_t& lineInfo)>;

class EGrepCancel : public std::runtime_error {
 public:
  EGrepCancel() : std::runtime_error("CancelRequest") {}
};
class EEndOfFile : public std::runtime_error {
 public:
  EEndOfFile() : std::runtime_error("End Of File") {}
};
class EFileNotFound : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file as one stream of characters: a leading LF, CR LF and lone CR as
// LF, zero bytes as blanks, an LF after a last line without one. A lead byte
// pairs with the next byte unless that is the LF ending the line.
class TTxtFile {
 public:
  static constexpr size_t kBlockSize = 102400;
  static constexpr uint32_t kNoChar = 0x10000;  // read past the end

  // Opens and reads the first block; raises EFileNotFound, or EEndOfFile
  // for an empty file. With convert, the file is read whole and the stream
  // is what convert makes of its bytes (a text in another code read as
  // Shift_JIS).
  using Converter = std::function<std::string(std::string_view)>;
  TTxtFile(const std::string& path, std::atomic<bool>& cancel, std::function<void()> processMessages = {},
           const Converter& convert = {});
  ~TTxtFile();
  TTxtFile(const TTxtFile&) = delete;
  TTxtFile& operator=(const TTxtFile&) = delete;

  // Reads at the scan cursor (raises EEndOfFile at the end) and puts the
  // look-ahead cursor after it.
  uint32_t ReadScan();
  // Reads at the look-ahead cursor; kNoChar at the end.
  uint32_t ReadAhead();
  // The line holding the scan cursor; the scan cursor moves to its end.
  RE_LineInfo_t GetThisLine();

 private:
  friend class TGrep;
  bool Fill();                       // false at the end of the file
  bool EnsureAvailable(size_t pos);  // bytes at [pos] valid? reads blocks
  uint32_t ReadAt(size_t& pos);
  void Compact(size_t keep);  // drops bytes before keep
  int32_t LineNumberAt(size_t lineStart);
  RE_LineInfo_t LineAt(size_t pos, size_t* lineEndLf);
  void Poll();  // process messages, honour cancel

  int fd_ = -1;
  std::atomic<bool>& cancel_;
  std::function<void()> processMessages_;
  std::vector<char> raw_;
  std::string data_;    // normalized stream bytes held now
  size_t lineEnd_ = 0;  // one past the last LF in data_
  bool eof_ = false;    // the whole file has been read
  bool started_ = false;
  bool pendingCR_ = false;
  size_t scan_ = 0, ahead_ = 0;
  size_t countPos_ = 0;  // LFs before countPos_ are counted in lfCount_
  int64_t lfCount_ = 0;
  bool fromMemory_ = false;  // the converted text below, not the file
  std::string converted_;
  size_t convertedPos_ = 0;
};

class TGrep : public TRegularExpression {
 public:
  TGrep();
  REChar LineHeadChar() const override { return 10; }
  REChar LineTailChar() const override { return 10; }

  // Scans one file; OnMatch once per matching line in file order. Raises
  // EFileNotFound and EGrepCancel.
  void Grep(const std::string& path);

  TGrepOnMatch OnMatch;
  std::atomic<bool> Cancel{false};
  // Called after every block read and every reported line; the window
  // processes its pending events there.
  std::function<void()> OnProcessMessages;
  // The character-by-character scans only (for comparisons).
  bool UseReferenceScan = false;
  // Line numbers in the reported lines (counting costs a pass over the file).
  bool CountLines = true;
  // Whether the last Grep scanned its file whole, mapped (tests ask).
  bool LastScanWasWhole() const { return wholeScanned_; }
  // When set, each file is read whole and scanned as what this makes of it
  // (the automatic code detection turns JIS, EUC and Unicode into Shift_JIS).
  TTxtFile::Converter ConvertText;

  enum ScanKind { scan_Literal, scan_Automaton };
  ScanKind ChosenScan() const { return scanKind_; }

 protected:
  void RegExpChanged() override;

 private:
  void ReferenceAutomatonScan(TTxtFile& f);
  void ReferenceLiteralScan(TTxtFile& f);
  void FastLiteralScan(TTxtFile& f);
  void FastAutomatonScan(TTxtFile& f, const TREScanAutomaton& a);
  size_t ReportLine(TTxtFile& f, size_t lineStart);
  bool WholeFileScan(const std::string& path);  // false: not applicable, nothing done

  ScanKind scanKind_ = scan_Literal;
  bool wholeScanned_ = false;
  std::vector<uint32_t> literalCodes_;
};

// The automaton that tracks all running attempts of a grep scan at once.
class TREScanAutomaton {
 public:
  // Table entry: (target state x class count) << 2 | flags.
  static constexpr uint32_t kOldAccept = 1;  // an attempt begun earlier accepts
  static constexpr uint32_t kNewAccept = 2;  // the attempt begun at this char accepts
  int ClassCount() const { return nclasses_; }
  const uint32_t* Table() const { return table_.data(); }
  const uint8_t* StartByte() const { return startByte_; }
  static std::unique_ptr<TREScanAutomaton> Build(const TRE_DFA& dfa, REChar lineFeed);

 private:
  int nclasses_ = 0;
  std::vector<uint32_t> table_;
  uint8_t startByte_[256] = {};
};

// A byte string every match of the parsed expression contains (empty when
// there is none); anchors count as unknown characters.
std::string REMustLiteral(const RENode* root);
// Up to eight byte strings one of which every match contains (empty when
// none is known); REMustSet.cpp.
std::vector<std::string> REMustSet(const RENode* root);

}  // namespace navirt
