// NFA, DFA (full subset construction at compile time), the grep scan
// automaton and the compiled-expression cache.
#include <algorithm>
#include <map>
#include <unordered_map>

#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {
// Work allowed for one subset construction (closure steps and moves); beyond
// it the expression is refused rather than keeping the window busy.
constexpr size_t kMaxSubsetWork = size_t(1) << 25;
constexpr int kMaxScanStates = 4096;
constexpr size_t kMaxScanCells = size_t(1) << 20;

[[noreturn]] void TooComplex() { throw ERegExpParser(kMsgTooComplex, 0); }
}  // namespace

// ---------------------------------------------------------------------- NFA

TRE_NFA::TRE_NFA(TREParser& parser, REChar lineHeadChar, REChar lineTailChar)
    : parser_(parser), lineHead_(lineHeadChar), lineTail_(lineTailChar) {}

int TRE_NFA::NewState() {
  if (heads_.size() >= size_t(kREMaxNFAStates)) TooComplex();
  heads_.push_back(-1);
  return static_cast<int>(heads_.size()) - 1;
}

void TRE_NFA::AddTransition(int from, REChar low, REChar high, int to) {
  trans_.push_back({low, high, to, heads_[from]});
  heads_[from] = static_cast<int>(trans_.size()) - 1;
}

void TRE_NFA::Run() {
  heads_.clear();
  trans_.clear();
  HasLHead = HasLTail = false;
  NewState();  // entry
  NewState();  // final
  GenerateStateList(parser_.Root(), kEntry, kFinal);
}

void TRE_NFA::GenerateStateList(RENode* root, int entry, int final) {
  // Explicit stack: long concatenations and alternations would otherwise
  // recurse once per character.
  struct Work {
    RENode* node;
    int from, to;
  };
  std::vector<Work> stack{{root, entry, final}};
  while (!stack.empty()) {
    Work w = stack.back();
    stack.pop_back();
    RENode* n = w.node;
    if (!n) throw std::runtime_error(kMsgCannotHappen);
    switch (n->Op) {
      case reop_Char:
        AddTransition(w.from, n->Low, n->High, w.to);
        break;
      case reop_LHead:
        if (w.from == kEntry) {
          HasLHead = true;
          AddTransition(w.from, lineHead_, lineHead_, w.to);
        } else {
          AddTransition(w.from, n->Low, n->Low, w.to);
        }
        break;
      case reop_LTail:
        if (w.to == kFinal) {
          HasLTail = true;
          AddTransition(w.from, lineTail_, lineTail_, w.to);
        } else {
          AddTransition(w.from, n->Low, n->Low, w.to);
        }
        break;
      case reop_Concat: {
        int m = NewState();
        stack.push_back({n->Right, m, w.to});
        stack.push_back({n->Left, w.from, m});
        break;
      }
      case reop_Union:
        stack.push_back({n->Right, w.from, w.to});
        stack.push_back({n->Left, w.from, w.to});
        break;
      case reop_Closure: {
        int c = NewState();
        int d = NewState();
        AddTransition(w.from, kREEpsilon, kREEpsilon, c);
        AddTransition(d, kREEpsilon, kREEpsilon, c);
        AddTransition(c, kREEpsilon, kREEpsilon, w.to);
        stack.push_back({n->Left, c, d});
        break;
      }
      case reop_Empty:
        AddTransition(w.from, kREEpsilon, kREEpsilon, w.to);
        break;
      case reop_Nothing:
        break;
      default:
        throw std::runtime_error(kMsgCannotHappen);
    }
  }
}

// ---------------------------------------------------------------------- DFA

TRE_DFA::TRE_DFA(const TRE_NFA& nfa) {
  hasLHead_ = nfa.HasLHead;
  hasLTail_ = nfa.HasLTail;
  Build(nfa);
  DetectLiteral();
}

TRE_DFA::~TRE_DFA() = default;

uint32_t TRE_DFA::ClassBySearch(uint32_t c) const {
  auto it = std::upper_bound(classStarts_.begin(), classStarts_.end(), c);
  return static_cast<uint32_t>(it - classStarts_.begin()) - 1;
}

int TRE_DFA::StepByList(int s, uint32_t c) const {
  if (s < 0) return -1;
  for (const RE_DFATransition& t : states_[s].Transitions) {
    if (c < t.Low) return -1;
    if (c <= t.High) return t.Target;
  }
  return -1;
}

// The NFA's conditions (code ranges) cut the code range into intervals,
// the input classes, whose codes behave alike everywhere. Leaf refinement
// already made the leaves disjoint; the cut also covers anchor characters
// that overlap a class.
struct TREInputConditions {
  std::vector<std::pair<int, int>> classes;  // per condition: first and last class
  std::vector<int> ofTransition;             // per NFA transition: its condition, -1 for an e-move
};

// The subset construction in four steps: the input classes, the reachable
// sets of NFA states (each a DFA state with its table row), the sorted
// transition lists read off the table, and the code-to-class rows.
void TRE_DFA::Build(const TRE_NFA& nfa) {
  const TREInputConditions conditions = CutInputClasses(nfa);
  ConstructStates(nfa, conditions);
  ListTransitions();
  BuildClassRows();
}

TREInputConditions TRE_DFA::CutInputClasses(const TRE_NFA& nfa) {
  const int n = nfa.StateCount();
  auto isEpsilon = [](const RE_NFATransition& tr) { return tr.Low == kREEpsilon && tr.High == kREEpsilon; };
  std::map<std::pair<REChar, REChar>, int> condId;
  std::vector<std::pair<REChar, REChar>> conds;
  std::vector<uint32_t> cuts{0};
  for (int s = 0; s < n; ++s) {
    for (int t = nfa.FirstTransition(s); t >= 0; t = nfa.Transition(t).Next) {
      const RE_NFATransition& tr = nfa.Transition(t);
      if (isEpsilon(tr)) continue;
      auto [it, added] = condId.emplace(std::make_pair(tr.Low, tr.High), static_cast<int>(conds.size()));
      if (!added) continue;
      conds.push_back(it->first);
      cuts.push_back(tr.Low);
      if (tr.High < 0xFFFF) cuts.push_back(tr.High + 1u);
    }
  }
  std::sort(cuts.begin(), cuts.end());
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  classStarts_ = cuts;
  nclasses_ = static_cast<int>(classStarts_.size());

  TREInputConditions out;
  for (const auto& [low, high] : conds)
    out.classes.emplace_back(static_cast<int>(ClassBySearch(low)), static_cast<int>(ClassBySearch(high)));
  for (int s = 0; s < n; ++s)
    for (int t = nfa.FirstTransition(s); t >= 0; t = nfa.Transition(t).Next) {
      if (size_t(t) >= out.ofTransition.size()) out.ofTransition.resize(size_t(t) + 1, -1);
      const RE_NFATransition& tr = nfa.Transition(t);
      out.ofTransition[t] = isEpsilon(tr) ? -1 : condId[{tr.Low, tr.High}];
    }
  return out;
}

namespace {

// The sets of NFA states met so far, each a DFA state, and the work done:
// closing a set under e-moves, finding a set again by its bits.
class TSubsetStates {
 public:
  TSubsetStates(const TRE_NFA& nfa, const TREInputConditions& conditions, std::vector<RE_DFAState>& states,
                std::vector<int32_t>& table, int nclasses)
      : nfa_(nfa), conditions_(conditions), states_(states), table_(table), nclasses_(nclasses) {}

  // The members of a set, appended to out.
  void Members(const TRE_NFAStateSet& set, std::vector<int>& out) {
    const std::vector<uint8_t>& bytes = set.Bytes();
    work_ += bytes.size() / 16;
    for (size_t b = 0; b < bytes.size(); ++b) {
      if (!bytes[b]) continue;
      for (int bit = 0; bit < 8; ++bit)
        if (bytes[b] & (1u << bit)) out.push_back(static_cast<int>(b * 8 + bit));
    }
  }

  void Close(TRE_NFAStateSet& set) {
    std::vector<int> stack;
    Members(set, stack);
    while (!stack.empty()) {
      int u = stack.back();
      stack.pop_back();
      for (int t = nfa_.FirstTransition(u); t >= 0; t = nfa_.Transition(t).Next) {
        Spend(1);
        if (conditions_.ofTransition[t] >= 0) continue;
        int v = nfa_.Transition(t).Target;
        if (!set.Has(v)) {
          set.Include(v);
          stack.push_back(v);
        }
      }
    }
  }

  // The DFA state of a closed set: the one met before, else a new one
  // with an empty table row.
  int FindOrAdd(TRE_NFAStateSet&& set) {
    std::string key(set.Bytes().begin(), set.Bytes().end());
    auto it = index_.find(key);
    if (it != index_.end()) return it->second;
    if (states_.size() >= size_t(kREMaxDFAStates)) TooComplex();
    if ((states_.size() + 1) * size_t(nclasses_) > kREMaxDFACells) TooComplex();
    if ((states_.size() + 1) * set.Bytes().size() > (size_t(64) << 20)) TooComplex();
    int id = static_cast<int>(states_.size());
    RE_DFAState st;
    st.Accepting = set.Has(TRE_NFA::kFinal);
    states_.push_back(std::move(st));
    sets_.push_back(std::move(set));
    index_.emplace(std::move(key), id);
    table_.resize(states_.size() * size_t(nclasses_), -1);
    return id;
  }

  // One state's row: the classes are cut into segments covered by the same
  // conditions; each segment goes to the closed union of its conditions'
  // moves (segments with one signature share that target).
  void FillRow(size_t k, const std::vector<int>& used, const std::vector<std::vector<int>>& moves) {
    std::vector<int> bounds;
    for (int c : used) {
      bounds.push_back(conditions_.classes[c].first);
      bounds.push_back(conditions_.classes[c].second + 1);
    }
    std::sort(bounds.begin(), bounds.end());
    bounds.erase(std::unique(bounds.begin(), bounds.end()), bounds.end());
    std::map<std::vector<int>, int> bySignature;
    for (size_t b = 0; b + 1 < bounds.size(); ++b) {
      int s0 = bounds[b], s1 = bounds[b + 1];
      std::vector<int> sig;
      for (int c : used)
        if (conditions_.classes[c].first <= s0 && conditions_.classes[c].second >= s1 - 1) sig.push_back(c);
      if (sig.empty()) continue;
      std::sort(sig.begin(), sig.end());
      int target;
      auto it = bySignature.find(sig);
      if (it != bySignature.end()) {
        target = it->second;
      } else {
        TRE_NFAStateSet next(nfa_.StateCount());
        for (int c : sig)
          for (int v : moves[c]) next.Include(v);
        Close(next);
        target = FindOrAdd(std::move(next));
        bySignature.emplace(sig, target);
      }
      // FindOrAdd may have grown the table: take the row afterwards.
      int32_t* row = &table_[k * size_t(nclasses_)];
      for (int x = s0; x < s1; ++x) row[x] = target;
    }
  }

  const TRE_NFAStateSet& Set(size_t k) const { return sets_[k]; }
  void Spend(size_t steps) {
    work_ += steps;
    if (work_ > kMaxSubsetWork) TooComplex();
  }

 private:
  const TRE_NFA& nfa_;
  const TREInputConditions& conditions_;
  std::vector<RE_DFAState>& states_;
  std::vector<int32_t>& table_;
  int nclasses_;
  size_t work_ = 0;
  std::vector<TRE_NFAStateSet> sets_;
  std::unordered_map<std::string, int> index_;
};

}  // namespace

// Every reachable set, in the order met; each state's row of the table is
// filled as the state is taken up, so the loop ends when no new set
// appears.
void TRE_DFA::ConstructStates(const TRE_NFA& nfa, const TREInputConditions& conditions) {
  const int n = nfa.StateCount();
  TSubsetStates subsets(nfa, conditions, states_, table_, nclasses_);
  {
    TRE_NFAStateSet start(n);
    start.Include(TRE_NFA::kEntry);
    subsets.Close(start);
    initial_ = subsets.FindOrAdd(std::move(start));
  }

  // moves[c]: the NFA states the set reaches on condition c; used lists
  // the conditions with moves.
  std::vector<std::vector<int>> moves(conditions.classes.size());
  std::vector<int> used;
  for (size_t k = 0; k < states_.size(); ++k) {
    states_[k].Marked = true;
    used.clear();
    std::vector<int> in;
    subsets.Members(subsets.Set(k), in);
    size_t steps = 0;
    for (int i : in) {
      for (int t = nfa.FirstTransition(i); t >= 0; t = nfa.Transition(t).Next) {
        ++steps;
        int c = conditions.ofTransition[t];
        if (c < 0) continue;
        if (moves[c].empty()) used.push_back(c);
        moves[c].push_back(nfa.Transition(t).Target);
      }
    }
    subsets.Spend(steps);
    subsets.FillRow(k, used, moves);
    for (int c : used) moves[c].clear();
  }
}

// Sorted transition lists: runs of classes with one target.
void TRE_DFA::ListTransitions() {
  for (size_t k = 0; k < states_.size(); ++k) {
    const int32_t* row = &table_[k * size_t(nclasses_)];
    auto& list = states_[k].Transitions;
    for (int x = 0; x < nclasses_;) {
      int target = row[x];
      int y = x + 1;
      while (y < nclasses_ && row[y] == target) ++y;
      if (target >= 0) {
        REChar low = static_cast<REChar>(classStarts_[x]);
        REChar high = static_cast<REChar>(y < nclasses_ ? classStarts_[y] - 1 : 0xFFFF);
        list.push_back({low, high, target});
      }
      x = y;
    }
  }
}

// Code -> class tables: the single bytes, and one row per high byte;
// rows that lie in one class are shared.
void TRE_DFA::BuildClassRows() {
  auto fillRow = [&](uint32_t base, uint16_t* row) {
    size_t cls = ClassBySearch(base);
    for (uint32_t t = 0; t < 256; ++t) {
      while (cls + 1 < classStarts_.size() && classStarts_[cls + 1] <= base + t) ++cls;
      row[t] = static_cast<uint16_t>(cls);
    }
  };
  fillRow(0, single_);
  leadRow_[0] = single_;
  std::map<uint32_t, const uint16_t*> constantRows;
  for (uint32_t h = 1; h < 256; ++h) {
    uint32_t lo = ClassBySearch(h << 8), hi = ClassBySearch(h << 8 | 0xFF);
    if (lo == hi) {
      auto it = constantRows.find(lo);
      if (it == constantRows.end()) {
        auto mem = std::make_unique<uint16_t[]>(256);
        std::fill(mem.get(), mem.get() + 256, static_cast<uint16_t>(lo));
        it = constantRows.emplace(lo, mem.get()).first;
        rows_.push_back(std::move(mem));
      }
      leadRow_[h] = it->second;
      continue;
    }
    auto mem = std::make_unique<uint16_t[]>(256);
    fillRow(h << 8, mem.get());
    leadRow_[h] = mem.get();
    rows_.push_back(std::move(mem));
  }
}

void TRE_DFA::DetectLiteral() {
  literal_ = false;
  literalText_.clear();
  LiteralCodes.clear();
  std::vector<bool> seen(states_.size(), false);
  int s = initial_;
  for (;;) {
    if (seen[s]) break;  // a cycle is no chain
    seen[s] = true;
    const RE_DFAState& st = states_[s];
    if (st.Transitions.empty()) {
      // A chain that ends without accepting matches nothing.
      literal_ = st.Accepting;
      if (!literal_) break;
      return;
    }
    if (st.Transitions.size() > 1 || st.Transitions[0].Low != st.Transitions[0].High || st.Accepting) break;
    REChar c = st.Transitions[0].Low;
    REAppendCode(literalText_, c);
    LiteralCodes.push_back(c);
    s = st.Transitions[0].Target;
  }
  literal_ = false;
  literalText_.clear();
  LiteralCodes.clear();
}

const TREScanAutomaton* TRE_DFA::ScanAutomaton(REChar lineFeed) const {
  if (!scanTried_) {
    scanTried_ = true;
    scan_ = TREScanAutomaton::Build(*this, lineFeed);
  }
  return scan_.get();
}

// ---------------------------------------------------------- scan automaton

std::unique_ptr<TREScanAutomaton> TREScanAutomaton::Build(const TRE_DFA& dfa, REChar lineFeed) {
  const int nc = dfa.nclasses_;
  const int ns = dfa.StateCount();
  const int init = dfa.initial_;
  const int32_t* tab = dfa.table_.data();
  std::vector<bool> live(ns, false);
  for (int s = 0; s < ns; ++s)
    for (int x = 0; x < nc && !live[s]; ++x) live[s] = tab[size_t(s) * nc + x] >= 0;

  // Attempts must stay inside one line (an LF only as their first or last
  // character); otherwise the character-by-character scan is used.
  const uint32_t lf = dfa.ClassOf(lineFeed);
  std::vector<bool> reach(ns, false);
  std::vector<int> stack;
  for (int x = 0; x < nc; ++x) {
    int t = tab[size_t(init) * nc + x];
    if (t >= 0 && !reach[t]) {
      reach[t] = true;
      stack.push_back(t);
    }
  }
  while (!stack.empty()) {
    int s = stack.back();
    stack.pop_back();
    int t = tab[size_t(s) * nc + lf];
    if (t >= 0 && live[t]) return nullptr;
    for (int x = 0; x < nc; ++x) {
      int u = tab[size_t(s) * nc + x];
      if (u >= 0 && !reach[u]) {
        reach[u] = true;
        stack.push_back(u);
      }
    }
  }

  auto a = std::unique_ptr<TREScanAutomaton>(new TREScanAutomaton);
  a->nclasses_ = nc;
  std::map<std::vector<int>, int> index;
  std::vector<std::vector<int>> sets{{}};
  index[{}] = 0;
  a->table_.resize(size_t(nc), 0);
  std::vector<int> next;
  for (size_t k = 0; k < sets.size(); ++k) {
    for (int x = 0; x < nc; ++x) {
      next.clear();
      uint32_t flags = 0;
      for (int s : sets[k]) {
        int t = tab[size_t(s) * nc + x];
        if (t < 0) continue;
        if (dfa.states_[t].Accepting) flags |= kOldAccept;
        if (live[t]) next.push_back(t);
      }
      int t0 = tab[size_t(init) * nc + x];
      if (t0 >= 0) {
        if (dfa.states_[t0].Accepting) flags |= kNewAccept;
        if (live[t0]) next.push_back(t0);
      }
      std::sort(next.begin(), next.end());
      next.erase(std::unique(next.begin(), next.end()), next.end());
      int id;
      auto it = index.find(next);
      if (it != index.end()) {
        id = it->second;
      } else {
        if (sets.size() >= size_t(kMaxScanStates) || (sets.size() + 1) * size_t(nc) > kMaxScanCells) return nullptr;
        id = static_cast<int>(sets.size());
        index.emplace(next, id);
        sets.push_back(next);
        a->table_.resize(sets.size() * size_t(nc), 0);
      }
      a->table_[k * size_t(nc) + x] = (uint32_t(id) * uint32_t(nc)) << 2 | flags;
    }
  }
  // Bytes that can begin something from the empty state.
  auto busy = [&](uint32_t cls) { return a->table_[cls] != 0; };
  for (int b = 0; b < 256; ++b) {
    bool start = busy(dfa.single_[b]);
    if (!start && IsSjisLead(static_cast<unsigned char>(b))) {
      const uint16_t* row = dfa.leadRow_[b];
      for (int t = 0; t < 256 && !start; ++t) start = busy(row[t]);
    }
    a->startByte_[b] = start;
  }
  return a;
}

// ------------------------------------------------------------ must literal

namespace {
struct MustInfo {
  bool exact = false;
  std::string ex, left, right, must;
};
constexpr size_t kMaxMust = 256;

std::string CommonPrefix(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  return a.substr(0, i);
}
std::string CommonSuffix(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[a.size() - 1 - i] == b[b.size() - 1 - i]) ++i;
  return a.substr(a.size() - i);
}
std::string LongestCommonSubstring(const std::string& a, const std::string& b) {
  size_t best = 0, at = 0;
  std::vector<size_t> prev(b.size() + 1, 0), cur(b.size() + 1, 0);
  for (size_t i = 1; i <= a.size(); ++i) {
    for (size_t j = 1; j <= b.size(); ++j) {
      cur[j] = a[i - 1] == b[j - 1] ? prev[j - 1] + 1 : 0;
      if (cur[j] > best) {
        best = cur[j];
        at = i;
      }
    }
    std::swap(prev, cur);
  }
  return a.substr(at - best, best);
}
const std::string& Longest(const std::string& a, const std::string& b) { return b.size() > a.size() ? b : a; }

void Clip(MustInfo& m) {
  if (m.ex.size() > kMaxMust) {
    m.exact = false;
    m.ex.clear();
  }
  if (m.left.size() > kMaxMust) m.left.resize(kMaxMust);
  if (m.right.size() > kMaxMust) m.right = m.right.substr(m.right.size() - kMaxMust);
  if (m.must.size() > kMaxMust) m.must.resize(kMaxMust);
}
}  // namespace

std::string REMustLiteral(const RENode* root) {
  if (!root) return {};
  std::unordered_map<const RENode*, MustInfo> memo;
  std::vector<std::pair<const RENode*, bool>> stack{{root, false}};
  while (!stack.empty()) {
    auto [n, expanded] = stack.back();
    stack.pop_back();
    if (memo.count(n)) continue;
    bool binary = n->Op == reop_Concat || n->Op == reop_Union;
    if (binary && !expanded) {
      stack.push_back({n, true});
      if (n->Right) stack.push_back({n->Right, false});
      if (n->Left) stack.push_back({n->Left, false});
      continue;
    }
    MustInfo m;
    switch (n->Op) {
      case reop_Char:
        if (n->Low == n->High) {
          REChar c = n->Low;
          bool encodable = c < 0x100 || IsSjisLead(static_cast<unsigned char>(c >> 8));
          if (c == kREEpsilon) {
            m.exact = true;
          } else if (encodable) {
            m.exact = true;
            REAppendCode(m.ex, c);
          }
        }
        break;
      case reop_Empty:
        m.exact = true;
        break;
      case reop_Concat: {
        const MustInfo& a = memo.at(n->Left);
        const MustInfo& b = memo.at(n->Right);
        m.exact = a.exact && b.exact;
        if (m.exact) m.ex = a.ex + b.ex;
        m.left = a.exact ? a.ex + b.left : a.left;
        m.right = b.exact ? a.right + b.ex : b.right;
        m.must = Longest(Longest(a.must, b.must), a.right + b.left);
        break;
      }
      case reop_Union: {
        const MustInfo& a = memo.at(n->Left);
        const MustInfo& b = memo.at(n->Right);
        m.exact = a.exact && b.exact && a.ex == b.ex;
        if (m.exact) m.ex = a.ex;
        m.left = CommonPrefix(a.left, b.left);
        m.right = CommonSuffix(a.right, b.right);
        m.must = Longest(LongestCommonSubstring(a.must, b.must), Longest(m.left, m.right));
        break;
      }
      default:  // anchors, closures, nothing: no knowledge
        break;
    }
    if (m.exact) {
      m.left = m.right = m.ex;
      m.must = Longest(m.must, m.ex);
    }
    Clip(m);
    memo.emplace(n, std::move(m));
  }
  return memo.at(root).must;
}

// ------------------------------------------------------ TRegularExpression

TRegularExpression::TRegularExpression() {
  cache_.push_back({"", nullptr});
  current_ = 0;
  CompileCurrent();
}

TRegularExpression::~TRegularExpression() = default;

void TRegularExpression::CompileCurrent() {
  Entry& e = cache_[current_];
  e.dfa.reset();
  TREParser parser(e.key);
  parser.Run();
  TRE_NFA nfa(parser, LineHeadChar(), LineTailChar());
  nfa.Run();
  auto dfa = std::make_unique<TRE_DFA>(nfa);
  dfa->MustLiteral = REMustLiteral(parser.Root());
  dfa->MustSet = REMustSet(parser.Root());
  e.dfa = std::move(dfa);
}

void TRegularExpression::SetRegExp(const std::string& text) {
  std::string key = pre_.Run(text);  // an expansion error leaves everything as it was
  for (size_t i = 0; i < cache_.size(); ++i) {
    if (cache_[i].key == key) {
      current_ = static_cast<int>(i);
      regExp_ = text;
      RegExpChanged();
      return;
    }
  }
  if (cache_.size() >= size_t(kRECacheSize)) cache_.pop_back();
  cache_.insert(cache_.begin() + 1, Entry{key, nullptr});
  current_ = 1;
  try {
    CompileCurrent();
  } catch (...) {
    cache_.erase(cache_.begin() + 1);
    current_ = 0;
    regExp_.clear();
    RegExpChanged();
    throw;
  }
  regExp_ = text;
  RegExpChanged();
}

void TRegularExpression::SetUseFuzzyCharDic(bool on) {
  pre_.UseFuzzyCharDic = on;
  SetRegExp(regExp_);
}

void TRegularExpression::SetUseSynonymDic(bool on) {
  pre_.UseSynonymDic = on;
  SetRegExp(regExp_);
}

}  // namespace navirt
