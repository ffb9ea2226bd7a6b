// Line-wise search (the line filters, delete by search) asks only "does this line match?",
// which one pass of a set automaton answers without backtracking; this file
// builds that automaton from the DFA and runs it.
#include "regex/RELineAutomaton.h"

#include <algorithm>
#include <map>

#include "platform/Cp932.h"

namespace navirt {

namespace {
constexpr size_t kMaxSets = 4096;
constexpr size_t kMaxCells = size_t(1) << 20;
}  // namespace

// The search of a line finds a match when
//  - the attempt begun at the line's head (after the line-head code, with
//    "^") accepts, or
//  - an attempt begun at a character accepts, or
//  - with "^" or "$" in the expression, an attempt still running at the
//    line's end has a move on the line-tail code, or
//  - "$" can be matched by the empty attempt at the line's end.
// The sets below hold the running attempts; the attempt begun at each
// character joins them as the character is read.
std::unique_ptr<TRELineAutomaton> TRELineAutomaton::Build(const TMatchCORE& re) {
  const TRE_DFA& dfa = re.DFA();
  const int nc = dfa.ClassCount();
  const int ns = dfa.StateCount();
  const int init = dfa.InitialState();
  const int32_t* tab = dfa.Table();
  const bool anchored = re.HasLHead() || re.HasLTail();
  if (init < 0) return nullptr;

  std::vector<bool> live(size_t(ns), false);
  for (int s = 0; s < ns; ++s)
    for (int x = 0; x < nc && !live[s]; ++x) live[s] = tab[size_t(s) * nc + x] >= 0;
  auto hasTail = [&](int s) { return s >= 0 && dfa.Step(s, re.LineTailChar()) >= 0; };

  const int s0 = re.HasLHead() ? dfa.Step(init, re.LineHeadChar()) : -1;
  const bool initAccepts = dfa.Accepting(init);
  const bool emptyTail = re.HasLTail() && hasTail(init);

  auto a = std::unique_ptr<TRELineAutomaton>(new TRELineAutomaton);
  a->nclasses_ = uint32_t(nc);
  if (anchored) {
    const bool head = re.HasLHead() ? s0 >= 0 && (dfa.Accepting(s0) || hasTail(s0)) : initAccepts || hasTail(init);
    a->emptyFound_ = head || emptyTail;
  } else {
    a->emptyFound_ = initAccepts;
  }
  a->allLines_ = initAccepts || (s0 >= 0 && dfa.Accepting(s0)) || emptyTail;

  // Byte classes, copied so that the automaton outlives the expression.
  for (int b = 0; b < 256; ++b) {
    a->pairs_[b] = b != 0 && b != '\r' && b != '\n';
    if (!a->pairs_[b])
      a->kind_[b] = kZero;
    else if (IsSjisLead(static_cast<unsigned char>(b)))
      a->kind_[b] = kLead;
    else
      a->kind_[b] = dfa.SingleClass()[b];
  }
  size_t rowAt[256] = {};
  for (int b = 0; b < 256; ++b) {
    if (!IsSjisLead(static_cast<unsigned char>(b))) continue;
    a->lone_[b] = dfa.ClassOf(uint32_t(b) << 8);
    rowAt[b] = a->rows_.size();
    const uint16_t* row = dfa.LeadRow(unsigned(b));
    a->rows_.insert(a->rows_.end(), row, row + 256);
  }
  for (int b = 0; b < 256; ++b)
    if (IsSjisLead(static_cast<unsigned char>(b))) a->leadRow_[b] = a->rows_.data() + rowAt[b];

  // Subset construction over the running attempts.
  std::map<std::vector<int>, uint32_t> index;
  std::vector<std::vector<int>> sets;
  auto idOf = [&](std::vector<int> set) -> int64_t {
    auto it = index.find(set);
    if (it != index.end()) return it->second;
    if (sets.size() >= kMaxSets || (sets.size() + 1) * size_t(nc) > kMaxCells) return -1;
    const auto id = uint32_t(sets.size());
    index.emplace(set, id);
    sets.push_back(std::move(set));
    return id;
  };
  idOf({});
  std::vector<int> first;
  if (s0 >= 0 && live[s0]) first.push_back(s0);
  a->start_ = uint32_t(idOf(first)) * uint32_t(nc);

  std::vector<int> next;
  for (size_t k = 0; k < sets.size(); ++k) {
    for (int x = 0; x < nc; ++x) {
      next.clear();
      uint32_t accept = 0;
      auto step = [&](int s) {
        const int t = tab[size_t(s) * nc + x];
        if (t < 0) return;
        if (dfa.Accepting(t)) accept = 1;
        if (live[t]) next.push_back(t);
      };
      for (int s : sets[k]) step(s);
      step(init);
      std::sort(next.begin(), next.end());
      next.erase(std::unique(next.begin(), next.end()), next.end());
      const int64_t id = idOf(next);
      if (id < 0) return nullptr;
      a->table_.resize(sets.size() * size_t(nc), 0);
      a->table_[k * size_t(nc) + size_t(x)] = (uint32_t(id) * uint32_t(nc)) << 1 | accept;
    }
  }
  // Bytes that begin nothing from the empty set (set 0).
  auto quiet = [&](uint32_t cls) { return a->table_[cls] == 0; };
  for (int b = 0; b < 256; ++b) {
    if (a->kind_[b] < kLead) {
      a->skip_[b] = quiet(a->kind_[b]) ? 1 : 0;
    } else if (a->kind_[b] == kLead) {
      bool all = quiet(a->lone_[b]);
      for (int t = 0; t < 256 && all; ++t) all = quiet(a->leadRow_[b][t]);
      a->skip_[b] = all ? 2 : 0;
    }
  }
  int ranges = 0;
  for (int b = 0; b < 256; ++b) {
    if (a->skip_[b]) continue;
    if (b > 0 && !a->skip_[b - 1]) {
      ++a->span_[ranges - 1];
      continue;
    }
    if (ranges == 8) {
      ranges = 0;  // too many: one byte at a time
      break;
    }
    a->low_[ranges++] = uint8_t(b);
  }
  a->ranges_ = ranges;
#if defined(__SSE2__)
  for (int i = 0; i < ranges; ++i) {
    a->lowv_[i] = _mm_set1_epi8(static_cast<char>(a->low_[i]));
    a->spanv_[i] = _mm_set1_epi8(static_cast<char>(a->span_[i]));
  }
#endif
  a->tailAccepts_.resize(sets.size(), 0);
  if (anchored)
    for (size_t k = 0; k < sets.size(); ++k)
      a->tailAccepts_[k] = std::any_of(sets[k].begin(), sets[k].end(), hasTail) ? 1 : 0;
  return a;
}

}  // namespace navirt
