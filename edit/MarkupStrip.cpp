// The HTML stripper keeps the work buffer as two parts: clean_, text that
// has already lost its tags and holds no "<" or ">", and buf_ from pos_, the
// part still to be scanned. Deleting a tag moves the text before it to
// clean_ and pos_ past it, so no step copies the buffer's front again, and
// the search hints keep a long tagless run from being searched once per
// source line.
#include "edit/MarkupStrip.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "edit/PaneText.h"
#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {

constexpr size_t kRuleWidth = 60;

std::string Upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return u;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Deletes every `pair` that starts on a character boundary: its bytes may
// also be the second byte of a double-byte character. In place: the result
// is never longer.
void DeletePairs(std::string& text, char open, char close) {
  size_t w = 0;
  const size_t n = text.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsSjisLead(c) && i + 1 < n) {
      text[w++] = text[i++];
      text[w++] = text[i++];
    } else if (text[i] == open && i + 1 < n && text[i + 1] == close) {
      i += 2;
    } else {
      text[w++] = text[i++];
    }
  }
  text.resize(w);
}

}  // namespace

bool IsLineBreakingTag(std::string_view t) {
  if (t.substr(0, 2) == "/H" || t.substr(0, 2) == "HR") return true;
  static constexpr std::array<std::string_view, 13> kWhole = {
      "BR", "P", "/P", "/TR", "/TD", "LI", "/DL", "OL", "/BLOCKQUOTE", "/TITLE", "/ADDRESS", "FN", "/CENTER"};
  return std::find(kWhole.begin(), kWhole.end(), t) != kWhole.end();
}

std::string AbortedLine() { return Utf8ToCp932("中断しました！"); }

void THtmlStripper::Emit(std::string_view text) {
  // A rule carries its own line end in the buffer: it makes two lines.
  size_t from = 0;
  for (size_t at; (at = text.find("\r\n", from)) != std::string_view::npos; from = at + 2)
    out_.emplace_back(text.substr(from, at - from));
  out_.emplace_back(text.substr(from));
}

void THtmlStripper::AddLine(std::string_view line) {
  buf_.append(line);
  // One comment per source line; one spread over lines goes when its end
  // arrives.
  size_t c = buf_.find("<!--", std::max(pos_, commentFrom_));
  if (c == std::string::npos) {
    commentFrom_ = std::max(pos_, buf_.size() >= 3 ? buf_.size() - 3 : 0);
  } else {
    commentFrom_ = c;
    size_t e = buf_.find("-->", std::max(c + 4, commentEndFrom_));
    if (e == std::string::npos) {
      commentEndFrom_ = std::max(c + 4, buf_.size() >= 2 ? buf_.size() - 2 : 0);
    } else {
      buf_.erase(c, e + 3 - c);
      ltFrom_ = gtFrom_ = commentFrom_ = commentEndFrom_ = pos_;
    }
  }
  RunTags();
  if (pre_) {
    std::string l = std::move(clean_);
    l.append(buf_, pos_, std::string::npos);
    Emit(l);
    clean_.clear();
    buf_.clear();
    pos_ = ltFrom_ = gtFrom_ = commentFrom_ = commentEndFrom_ = 0;
  }
  Compact();
}

void THtmlStripper::RunTags() {
  for (;;) {
    size_t p = buf_.find('<', std::max(pos_, ltFrom_));
    if (p == std::string::npos) {
      ltFrom_ = buf_.size();
      return;
    }
    ltFrom_ = p;
    size_t q = buf_.find('>', std::max(pos_, gtFrom_));
    if (q == std::string::npos) {
      gtFrom_ = buf_.size();
      return;
    }
    gtFrom_ = q;
    if (q < p) {
      // A tag end whose start is gone: it goes with all text before it.
      clean_.clear();
      pos_ = q + 1;
      continue;
    }
    std::string t = Upper(std::string_view(buf_).substr(p + 1, q - p - 1));
    if (!IsLineBreakingTag(t)) {
      clean_.append(buf_, pos_, p - pos_);
    } else {
      std::string l = std::move(clean_);
      l.append(buf_, pos_, p - pos_);
      Emit(l);
      clean_.clear();
      if (t == "LI") {
        clean_ = "\x81\x45";  // ・
      } else if (t == "OL") {
        clean_ = "#.";
      } else if (t.starts_with("HR")) {
        clean_.assign(kRuleWidth, '-');
        clean_ += "\r\n";
      }
    }
    pos_ = q + 1;
    if (t == "PRE") pre_ = true;
    if (t == "/PRE") pre_ = false;
  }
}

void THtmlStripper::Compact() {
  if (pos_ < 4096 || pos_ < buf_.size() / 2) return;
  buf_.erase(0, pos_);
  auto shift = [&](size_t& h) { h = h > pos_ ? h - pos_ : 0; };
  shift(ltFrom_);
  shift(gtFrom_);
  shift(commentFrom_);
  shift(commentEndFrom_);
  pos_ = 0;
}

LineList THtmlStripper::Finish() {
  // The text after the last line-breaking tag is the document's end: it
  // is a line too.
  std::string rest = std::move(clean_);
  rest.append(buf_, pos_, std::string::npos);
  if (!rest.empty()) Emit(rest);
  clean_.clear();
  buf_.clear();
  pos_ = 0;
  LineList out = std::move(out_);
  out_.clear();
  ResolveEntities(out);
  out.insert(out.begin() + std::min<size_t>(1, out.size()), std::string());
  return out;
}

LineList THtmlStripper::Abort() {
  LineList out = std::move(out_);
  out_.clear();
  out.push_back(AbortedLine());
  return out;
}

void ResolveEntities(LineList& lines) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kEntities = {{
      {"&lt;", "<"},
      {"&gt;", ">"},
      {"&amp;", "&"},
      {"&quot;", "\""},
      {"&reg;", "(R)"},
      {"&copy;", "(C)"},
      {"&nbsp;", " "},
  }};
  // One pass from left to right: what an entity becomes is text, so
  // "&amp;quot;" is "&quot;", not a quote.
  for (auto& l : lines) {
    size_t i = l.find('&');
    if (i == std::string::npos) continue;
    std::string out(l, 0, i);
    while (i < l.size()) {
      if (l[i] != '&') {
        size_t next = l.find('&', i);
        if (next == std::string::npos) next = l.size();
        out.append(l, i, next - i);
        i = next;
        continue;
      }
      bool replaced = false;
      for (const auto& [pat, by] : kEntities) {
        if (l.size() - i < pat.size()) continue;
        size_t k = 1;
        while (k < pat.size() && Lower(l[i + k]) == pat[k]) ++k;
        if (k < pat.size()) continue;
        out.append(by);
        i += pat.size();
        replaced = true;
        break;
      }
      if (!replaced) out += l[i++];
    }
    l = std::move(out);
  }
}

THtmlResult StripHtml(const LineList& lines, const THtmlProgress& progress) {
  THtmlStripper s;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (progress && !progress(i, lines.size())) return {s.Abort(), true};
    s.AddLine(lines[i]);
  }
  return {s.Finish(), false};
}

THtmlResult StripHtmlVariant(const LineList& lines, HtmlVariant v, const THtmlProgress& progress) {
  THtmlResult r = StripHtml(lines, progress);
  if (r.aborted) return r;
  switch (v) {
    case HtmlVariant::Plain:
      break;
    case HtmlVariant::TabTrimEmpty:
      r.lines = DeleteEmptyLines(TrimLeading(DeleteTabs(r.lines)));
      break;
    case HtmlVariant::TabEmpty:
      r.lines = DeleteEmptyLines(DeleteTabs(r.lines));
      break;
    case HtmlVariant::Empty:
      r.lines = DeleteEmptyLines(r.lines);
      break;
  }
  return r;
}

namespace {
// A "%" starts a comment to the line's end, but "\\%" is a percent sign
// (a "\\" that is the second byte of a double-byte character escapes
// nothing). In place: the text only shrinks, so what is kept is written
// behind what is still to be read, with no second copy of a large text.
void CutTexComments(std::string& s) {
  size_t w = 0;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsSjisLead(c) && i + 1 < s.size() && IsSjisTrail(static_cast<unsigned char>(s[i + 1]))) {
      s[w++] = s[i++];
      s[w++] = s[i++];
    } else if (c == '\\' && i + 1 < s.size() && s[i + 1] == '%') {
      s[w++] = '%';
      i += 2;
    } else if (c == '%') {
      while (i < s.size() && s[i] != '\r' && s[i] != '\n') ++i;
    } else {
      s[w++] = s[i++];
    }
  }
  s.resize(w);
}
}  // namespace

void StripTexInPlace(std::string& s, TAWKStr& awk) {
  static const char* const kPatterns[] = {
      R"(\\document(class|style)[^{}]*{[^}]*})",
      R"(\\usepackage[^{}]*{[^}]*})",
      R"(\\pagestyle{.*})",
      R"(\\begin({.*}|\[.*\])+)",
      R"(\\end{.*})",
      R"(\\[vh]space{.*})",
      R"(\\parbox\[.*\]{.*})",
      R"(\\[@a-zA-Z０-ω亜-熙]+)",
  };
  for (const char* p : kPatterns) {
    awk.SetRegExp(Utf8ToCp932(p));
    awk.GSub("", s);
  }
  CutTexComments(s);
  DeletePairs(s, '{', '}');
  DeletePairs(s, '[', ']');
}

std::string StripTex(std::string_view text, TAWKStr& awk) {
  std::string s(text);
  StripTexInPlace(s, awk);
  return s;
}

std::string StripTex(std::string_view text) {
  TAWKStr awk;
  awk.LineSeparator = mcls_CRLF;
  return StripTex(text, awk);
}

LineList StripTex(const LineList& lines) { return SplitLines(StripTex(JoinLines(lines))); }

}  // namespace navirt
