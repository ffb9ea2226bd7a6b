// The required literals of an expression with alternatives: a few byte
// strings such that every match holds at least one of them. REMustLiteral
// finds one string common to all matches; "(error|warning|file)" has none,
// but each match holds one of its three words, and a multi-literal search
// for them skips everything else. The parse tree is walked once, bottom up;
// each node keeps the strings it matches exactly (when few) and its best
// required set.
#include <algorithm>
#include <unordered_map>

#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {

constexpr size_t kMaxStrings = 8;     // one per bucket of the finder
constexpr size_t kMaxLength = 64;     // longer exact strings are cut to a required prefix
constexpr REChar kMaxRangeCodes = 8;  // a small class counts as its codes

struct SetInfo {
  bool exactKnown = false;
  std::vector<std::string> exact;  // the node matches exactly these
  bool mustKnown = false;
  std::vector<std::string> must;  // every match holds one of these
};

size_t MinLength(const std::vector<std::string>& s) {
  size_t m = s.empty() ? 0 : s[0].size();
  for (const std::string& x : s) m = std::min(m, x.size());
  return m;
}

// A string that holds another already satisfies the set through it.
void Reduce(std::vector<std::string>& s) {
  std::sort(s.begin(), s.end(), [](const std::string& a, const std::string& b) {
    return a.size() != b.size() ? a.size() < b.size() : a < b;
  });
  s.erase(std::unique(s.begin(), s.end()), s.end());
  std::vector<std::string> kept;
  for (const std::string& x : s) {
    bool covered = false;
    for (const std::string& k : kept) covered = covered || x.find(k) != std::string::npos;
    if (!covered) kept.push_back(x);
  }
  s = std::move(kept);
}

// The better of two required sets: longer shortest string, then fewer strings.
void TakeBetter(SetInfo& m, bool known, const std::vector<std::string>& s) {
  if (!known || s.empty() || MinLength(s) == 0) return;
  if (!m.mustKnown || MinLength(s) > MinLength(m.must) ||
      (MinLength(s) == MinLength(m.must) && s.size() < m.must.size())) {
    m.mustKnown = true;
    m.must = s;
  }
}

bool Encodable(REChar c) { return c < 0x100 || IsSjisLead(static_cast<unsigned char>(c >> 8)); }

}  // namespace

std::vector<std::string> REMustSet(const RENode* root) {
  if (!root) return {};
  std::unordered_map<const RENode*, SetInfo> memo;
  std::vector<std::pair<const RENode*, bool>> stack{{root, false}};
  while (!stack.empty()) {
    auto [n, expanded] = stack.back();
    stack.pop_back();
    if (memo.count(n)) continue;
    const bool binary = n->Op == reop_Concat || n->Op == reop_Union;
    if (binary && !expanded) {
      stack.push_back({n, true});
      if (n->Right) stack.push_back({n->Right, false});
      if (n->Left) stack.push_back({n->Left, false});
      continue;
    }
    SetInfo m;
    switch (n->Op) {
      case reop_Char:
        if (n->Low == kREEpsilon && n->High == kREEpsilon) {
          m.exactKnown = true;
          m.exact = {std::string()};
        } else if (n->High >= n->Low && n->High - n->Low < kMaxRangeCodes && n->High != kREEpsilon) {
          m.exactKnown = true;
          for (REChar c = n->Low; c <= n->High && m.exactKnown; ++c) {
            if (!Encodable(c)) m.exactKnown = false;
            std::string s;
            REAppendCode(s, c);
            m.exact.push_back(s);
          }
          if (!m.exactKnown) m.exact.clear();
        }
        break;
      case reop_Empty:
        m.exactKnown = true;
        m.exact = {std::string()};
        break;
      case reop_Concat: {
        const SetInfo& a = memo.at(n->Left);
        const SetInfo& b = memo.at(n->Right);
        if (a.exactKnown && b.exactKnown && a.exact.size() * b.exact.size() <= kMaxStrings) {
          m.exactKnown = true;
          for (const std::string& x : a.exact)
            for (const std::string& y : b.exact) m.exact.push_back(x + y);
          for (const std::string& s : m.exact) m.exactKnown = m.exactKnown && s.size() <= kMaxLength;
          if (!m.exactKnown) {
            // Too long to keep exact; each prefix is still required.
            m.exact.clear();
            std::vector<std::string> prefixes;
            for (const std::string& x : a.exact)
              for (const std::string& y : b.exact) prefixes.push_back((x + y).substr(0, kMaxLength));
            Reduce(prefixes);
            if (prefixes.size() <= kMaxStrings) TakeBetter(m, true, prefixes);
          }
        }
        TakeBetter(m, a.mustKnown, a.must);
        TakeBetter(m, b.mustKnown, b.must);
        break;
      }
      case reop_Union: {
        const SetInfo& a = memo.at(n->Left);
        const SetInfo& b = memo.at(n->Right);
        if (a.exactKnown && b.exactKnown && a.exact.size() + b.exact.size() <= kMaxStrings) {
          m.exactKnown = true;
          m.exact = a.exact;
          m.exact.insert(m.exact.end(), b.exact.begin(), b.exact.end());
        }
        if (a.mustKnown && b.mustKnown) {
          std::vector<std::string> s = a.must;
          s.insert(s.end(), b.must.begin(), b.must.end());
          Reduce(s);
          if (s.size() <= kMaxStrings) TakeBetter(m, true, s);
        }
        break;
      }
      default:  // anchors, closures, nothing: no knowledge
        break;
    }
    if (m.exactKnown) {
      std::vector<std::string> s = m.exact;
      Reduce(s);
      TakeBetter(m, true, s);
    }
    memo.emplace(n, std::move(m));
  }
  const SetInfo& r = memo.at(root);
  return r.mustKnown ? r.must : std::vector<std::string>{};
}

}  // namespace navirt
