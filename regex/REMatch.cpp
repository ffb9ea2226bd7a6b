// Leftmost-longest matching over a string, TAWKStr's match and substitution.
#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {

// A character of the searched text: 0 at the end or at a zero byte (no
// advance); a lead byte cut by the end reads alone.
inline uint32_t TextChar(std::string_view t, size_t& p) {
  if (p >= t.size()) return 0;
  unsigned char b = static_cast<unsigned char>(t[p]);
  if (b == 0) return 0;
  if (IsSjisLead(b)) {
    if (p + 1 < t.size() && t[p + 1] != 0) {
      uint32_t c = uint32_t(b) << 8 | static_cast<unsigned char>(t[p + 1]);
      p += 2;
      return c;
    }
    p += 1;
    return uint32_t(b) << 8;
  }
  p += 1;
  return b;
}

inline size_t CharLen(std::string_view t, size_t p) {
  return IsSjisLead(static_cast<unsigned char>(t[p])) && p + 1 < t.size() && t[p + 1] != 0 ? 2 : 1;
}

inline bool AtEnd(std::string_view t, size_t p) { return p >= t.size() || t[p] == 0; }

}  // namespace

size_t TMatchCORE::MatchFrom(std::string_view text, size_t p, int s, TAttemptMemo* memo) const {
  if (s < 0) return npos;
  const TRE_DFA& dfa = DFA();
  size_t best = npos;
  size_t cpos;
  uint32_t c;
  for (;;) {
    // Past here an earlier attempt found nothing, the line tail included.
    if (memo && memo->Passed(p, s)) return best;
    if (dfa.Accepting(s)) best = p;
    cpos = p;
    c = TextChar(text, p);
    if (c == 0) break;  // the end of the text is no character
    int next = dfa.Step(s, c);
    if (next < 0) break;
    s = next;
  }
  uint32_t sep = LineSeparator == mcls_CRLF ? 13 : 10;
  if (dfa.Step(s, LineTailChar()) >= 0 && (c == 0 || c == sep)) return cpos;
  return best;
}

size_t TMatchCORE::MatchAtLineStart(std::string_view text, size_t p, int s, TAttemptMemo* memo) const {
  if (!HasLHead()) return MatchFrom(text, p, s, memo);
  size_t a = MatchFrom(text, p, Step(s, LineHeadChar()), memo);
  if (a == npos) return npos;
  // a succeeded, so the places it noted are no failures: no memo here.
  size_t b = MatchFrom(text, p, s);
  return (b != npos && b >= a) ? b : a;
}

REMatch TMatchCORE::MatchSimple(std::string_view text) const {
  const TRE_DFA& dfa = DFA();
  const int init = dfa.InitialState();
  if (dfa.Accepting(init) && AtEnd(text, 0)) return {true, 0, 0};
  TAttemptMemo memo(0);
  for (size_t q = 0; !AtEnd(text, q); q += CharLen(text, q)) {
    memo.Advance(q);
    size_t p = q;
    {
      size_t probe = q;
      uint32_t c = TextChar(text, probe);
      if (!dfa.Accepting(init) && dfa.Step(init, c) < 0) continue;
    }
    int s = init;
    size_t end = npos;
    for (;;) {
      // A place a failed attempt passed: nothing more to find from here.
      if (memo.Passed(p, s)) break;
      if (dfa.Accepting(s)) end = p;
      uint32_t c = TextChar(text, p);
      if (c == 0) break;
      s = dfa.Step(s, c);
      if (s < 0) break;
    }
    if (end != npos) return {true, q, end};
  }
  return {};
}

REMatch TMatchCORE::MatchSimpleByAttempts(std::string_view text) const {
  const TRE_DFA& dfa = DFA();
  const int init = dfa.InitialState();
  if (dfa.Accepting(init) && AtEnd(text, 0)) return {true, 0, 0};
  for (size_t q = 0; !AtEnd(text, q); q += CharLen(text, q)) {
    size_t p = q;
    // Most start positions fail on their first character.
    {
      size_t probe = q;
      uint32_t c = TextChar(text, probe);
      if (!dfa.Accepting(init) && dfa.Step(init, c) < 0) continue;
    }
    int s = init;
    size_t end = npos;
    for (;;) {
      if (dfa.Accepting(s)) end = p;
      uint32_t c = TextChar(text, p);
      if (c == 0) break;
      s = dfa.Step(s, c);
      if (s < 0) break;
    }
    if (end != npos) return {true, q, end};
  }
  return {};
}

REMatch TMatchCORE::SearchOnward(std::string_view text) const {
  const int init = InitialState();
  TAttemptMemo memo(0);
  size_t q = 0;
  for (; !AtEnd(text, q); q += CharLen(text, q)) {
    memo.Advance(q);
    size_t e = MatchFrom(text, q, init, &memo);
    if (e != npos) return {true, q, e};
    if (text[q] == '\n' && HasLHead()) {
      e = MatchAtLineStart(text, q + 1, init, &memo);
      if (e != npos) return {true, q + 1, e};
    }
  }
  if (HasLTail() && Step(init, LineTailChar()) >= 0) return {true, q, q};
  return {};
}

REMatch TMatchCORE::SearchOnwardByAttempts(std::string_view text) const {
  const int init = InitialState();
  size_t q = 0;
  for (; !AtEnd(text, q); q += CharLen(text, q)) {
    size_t e = MatchFrom(text, q, init);
    if (e != npos) return {true, q, e};
    if (text[q] == '\n' && HasLHead()) {
      e = MatchAtLineStart(text, q + 1, init);
      if (e != npos) return {true, q + 1, e};
    }
  }
  if (HasLTail() && Step(init, LineTailChar()) >= 0) return {true, q, q};
  return {};
}

REMatch TMatchCORE::MatchAnchored(std::string_view text) const {
  size_t e = MatchAtLineStart(text, 0, InitialState());
  if (e != npos) return {true, 0, e};
  return SearchOnward(text);
}

// ------------------------------------------------------------------ TAWKStr

TAWKStr::TAWKStr() {
  PreProcessor().UseBuiltinFuzzyCharDic = true;
  RegExpChanged();
}

void TAWKStr::RegExpChanged() { anchored_ = HasLHead() || HasLTail(); }

int TAWKStr::Match(std::string_view text, int* length) const {
  REMatch m = Search(text);
  if (!m.Found) {
    if (length) *length = 0;
    return 0;
  }
  if (length) *length = static_cast<int>(m.End - m.Start);
  return static_cast<int>(m.Start) + 1;
}

int TAWKStr::GSub(const std::string& templ, std::string& text) const {
  std::string_view rest = text;
  REMatch m = Search(rest);
  if (!m.Found) return 0;
  if (text.empty()) {
    text = ExpandReplacement(templ, "");
    return 1;
  }
  std::string out;
  out.reserve(text.size());  // the usual result is no longer: no doubling past it
  int count = 0;
  for (;;) {
    out.append(rest.substr(0, m.Start));
    out += ExpandReplacement(templ, rest.substr(m.Start, m.End - m.Start));
    size_t end = m.End;
    if (m.Start == m.End && end < rest.size()) {
      // An empty match passes one character on, so the next search moves.
      unsigned char b = static_cast<unsigned char>(rest[end]);
      size_t n = 1;
      if ((IsSjisLead(b) || (LineSeparator == mcls_CRLF && b == '\r')) && end + 1 < rest.size()) n = 2;
      out.append(rest.substr(end, n));
      end += n;
    }
    ++count;
    unsigned char noted = end > 0 ? static_cast<unsigned char>(rest[end - 1]) : 0;
    rest = rest.substr(end);
    if (rest.empty()) break;
    m = noted == '\n' ? Search(rest) : SearchOnward(rest);
    if (!m.Found) break;
  }
  out.append(rest);
  text = std::move(out);
  return count;
}

namespace {
size_t CharBytes(std::string_view s, size_t i) {
  return IsSjisLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}
}  // namespace

std::string TAWKStr::ExpandReplacement(const std::string& templ, std::string_view matched) {
  // 1: protect "\&" through the escape conversion.
  std::string a;
  for (size_t i = 0; i < templ.size();) {
    if (templ[i] == '\\' && i + 1 < templ.size()) {
      size_t n = CharBytes(templ, i + 1);
      if (templ[i + 1] == '&') a += '\\';
      a += '\\';
      a.append(templ, i + 1, n);
      i += 1 + n;
      continue;
    }
    size_t n = CharBytes(templ, i);
    a.append(templ, i, n);
    i += n;
  }
  // 2: escapes.
  std::string b = ProcessEscSeq(a);
  // 3: "&" is the matched text, "\&" a literal "&".
  std::string out;
  for (size_t i = 0; i < b.size();) {
    if (b[i] == '&') {
      out += matched;
      ++i;
    } else if (b[i] == '\\' && i + 1 < b.size() && b[i + 1] == '&') {
      out += '&';
      i += 2;
    } else {
      size_t n = b[i] == '\\' ? 1 : CharBytes(b, i);
      out.append(b, i, n);
      i += n;
    }
  }
  return out;
}

std::string TAWKStr::ProcessEscSeq(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  int pos = 1;
  const int size = static_cast<int>(text.size());
  while (pos <= size) {
    unsigned char b = static_cast<unsigned char>(text[pos - 1]);
    if (b == 0) {  // zero bytes pass through unchanged
      out += '\0';
      ++pos;
      continue;
    }
    REChar c = REGetChar(text, pos);
    if (c == '\\') {
      REAppendCode(out, REGetEscape(text, pos));
    } else {
      REAppendCode(out, c);
    }
  }
  return out;
}

}  // namespace navirt
