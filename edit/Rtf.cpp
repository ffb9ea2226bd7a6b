#include "edit/Rtf.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

#include "platform/Cp932.h"

namespace navirt {

std::string RtfDocument::PlainText() const {
  std::string out;
  for (size_t i = 0; i < paragraphs.size(); ++i) {
    if (i) out += "\r\n";
    for (const auto& r : paragraphs[i]) out += r.text;
  }
  return out;
}

bool LooksLikeRtf(std::string_view bytes) { return bytes.substr(0, 5) == "{\\rtf"; }

namespace {

struct CharState {
  int font = -1;
  int halfPoints = 0;
  bool bold = false, italic = false, underline = false;
  int color = 0;      // index into the colour table, 0 = automatic
  int uc = 1;         // bytes to skip after \uN
  bool skip = false;  // inside a destination we do not show
  enum Dest { Text, FontTable, ColorTable, FontName } dest = Text;
};

class Parser {
 public:
  explicit Parser(std::string_view s) : s_(s) {}

  RtfDocument Run() {
    doc_.paragraphs.emplace_back();
    std::vector<CharState> stack;
    CharState st;
    size_t depthLimit = 4096;
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '{') {
        ++pos_;
        if (stack.size() >= depthLimit) {
          st.skip = true;
        }
        stack.push_back(st);
        // "{\*\dest ...}" is a destination we may ignore.
        if (s_.substr(pos_, 2) == "\\*") {
          st.skip = true;
          pos_ += 2;
        }
        continue;
      }
      if (c == '}') {
        ++pos_;
        if (st.dest == CharState::FontName) FinishFontName();
        if (stack.empty()) break;
        st = stack.back();
        stack.pop_back();
        continue;
      }
      if (c == '\\') {
        ControlWord(st);
        continue;
      }
      if (c == '\r' || c == '\n') {
        ++pos_;
        continue;
      }
      ++pos_;
      Emit(st, std::string(1, c));
    }
    if (doc_.paragraphs.size() > 1 && doc_.paragraphs.back().empty()) doc_.paragraphs.pop_back();
    return std::move(doc_);
  }

 private:
  void Emit(CharState& st, const std::string& bytes) {
    if (st.skip) return;
    if (st.dest == CharState::FontTable || st.dest == CharState::FontName) {
      if (bytes == ";") {
        FinishFontName();
        st.dest = CharState::FontTable;
      } else {
        fontName_ += bytes;
        st.dest = CharState::FontName;
      }
      return;
    }
    if (st.dest == CharState::ColorTable) {
      if (bytes == ";") {
        colors_.push_back(colorSet_ ? std::optional<uint32_t>(curColor_) : std::nullopt);
        curColor_ = 0;
        colorSet_ = false;
      }
      return;
    }
    RtfRun proto;
    auto f = fonts_.find(st.font);
    if (f != fonts_.end()) proto.font = f->second;
    proto.halfPoints = st.halfPoints;
    proto.bold = st.bold;
    proto.italic = st.italic;
    proto.underline = st.underline;
    if (st.color > 0 && static_cast<size_t>(st.color) < colors_.size() && colors_[static_cast<size_t>(st.color)]) {
      proto.hasColor = true;
      proto.color = *colors_[static_cast<size_t>(st.color)];
    }
    RtfParagraph& para = doc_.paragraphs.back();
    if (!para.empty()) {
      RtfRun& last = para.back();
      RtfRun probe = proto;
      probe.text = last.text;
      if (probe == last) {
        last.text += bytes;
        return;
      }
    }
    proto.text = bytes;
    para.push_back(std::move(proto));
  }

  void FinishFontName() {
    if (fontNumber_ >= 0) fonts_[fontNumber_] = fontName_;
    fontName_.clear();
  }

  void ControlWord(CharState& st) {
    ++pos_;  // the backslash
    if (pos_ >= s_.size()) return;
    char c = s_[pos_];
    if (!IsAlpha(c)) {
      ++pos_;
      if (c == '\'') {
        int hi = pos_ < s_.size() ? Hex(s_[pos_]) : -1;
        int lo = pos_ + 1 < s_.size() ? Hex(s_[pos_ + 1]) : -1;
        if (hi >= 0 && lo >= 0) {
          pos_ += 2;
          if (pendingSkip_ > 0) {
            --pendingSkip_;
            return;
          }
          Emit(st, std::string(1, static_cast<char>(hi * 16 + lo)));
        }
        return;
      }
      if (c == '\\' || c == '{' || c == '}') {
        if (pendingSkip_ > 0) {
          --pendingSkip_;
          return;
        }
        Emit(st, std::string(1, c));
        return;
      }
      if (c == '~')
        Emit(st, " ");
      else if (c == '_')
        Emit(st, "-");
      else if (c == '\r' || c == '\n')
        NewParagraph(st);
      return;
    }
    size_t start = pos_;
    while (pos_ < s_.size() && IsAlpha(s_[pos_]) && pos_ - start < 32) ++pos_;
    std::string word(s_.substr(start, pos_ - start));
    bool hasArg = false;
    long arg = 0;
    bool neg = false;
    if (pos_ < s_.size() && s_[pos_] == '-') {
      neg = true;
      ++pos_;
    }
    size_t digits = 0;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') {
      if (digits < 10) arg = arg * 10 + (s_[pos_] - '0');
      ++digits;
      ++pos_;
      hasArg = true;
    }
    if (neg) arg = -arg;
    if (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
    pendingSkip_ = 0;
    Apply(st, word, hasArg, arg);
  }

  void NewParagraph(CharState& st) {
    if (st.skip || st.dest != CharState::Text) return;
    doc_.paragraphs.emplace_back();
  }

  void Apply(CharState& st, const std::string& w, bool hasArg, long arg) {
    bool on = !hasArg || arg != 0;
    if (w == "par" || w == "line")
      NewParagraph(st);
    else if (w == "tab")
      Emit(st, "\t");
    else if (w == "b")
      st.bold = on;
    else if (w == "i")
      st.italic = on;
    else if (w == "ul")
      st.underline = on;
    else if (w == "ulnone")
      st.underline = false;
    else if (w == "plain") {
      st.bold = st.italic = st.underline = false;
      st.halfPoints = 0;
      st.color = 0;
      st.font = defaultFont_;
    } else if (w == "fs")
      st.halfPoints = static_cast<int>(std::clamp(arg, 0L, 3276L));
    else if (w == "cf")
      st.color = static_cast<int>(std::clamp(arg, 0L, 1000000L));
    else if (w == "deff")
      defaultFont_ = static_cast<int>(arg), st.font = defaultFont_;
    else if (w == "f") {
      if (st.dest == CharState::FontTable || st.dest == CharState::FontName) {
        fontNumber_ = static_cast<int>(arg);
        fontName_.clear();
      } else {
        st.font = static_cast<int>(arg);
      }
    } else if (w == "fonttbl")
      st.dest = CharState::FontTable;
    else if (w == "colortbl") {
      st.dest = CharState::ColorTable;
    } else if (w == "red" || w == "green" || w == "blue") {
      if (st.dest == CharState::ColorTable) {
        uint32_t v = static_cast<uint32_t>(std::clamp(arg, 0L, 255L));
        int shift = w == "red" ? 16 : w == "green" ? 8 : 0;
        curColor_ = (curColor_ & ~(0xFFu << shift)) | (v << shift);
        colorSet_ = true;
      }
    } else if (w == "uc")
      st.uc = static_cast<int>(std::clamp(arg, 0L, 16L));
    else if (w == "u") {
      long v = arg < 0 ? arg + 65536 : arg;
      char16_t ch = static_cast<char16_t>(v & 0xFFFF);
      std::u16string u(1, ch);
      pendingSkip_ = st.uc;
      std::string fallback = SkipFallback();
      // The fallback bytes win when they are the same character: they keep
      // duplicate codes (NEC/IBM) as they were.
      std::u16string back = DecodeCp932Lossless(fallback);
      if (!fallback.empty() && !back.empty() && back[0] == ch)
        Emit(st, fallback);
      else
        Emit(st, Utf8ToCp932(Utf16ToUtf8(u)));
    } else if (w == "stylesheet" || w == "info" || w == "pict" || w == "object" || w == "header" || w == "footer" ||
               w == "headerl" || w == "headerr" || w == "footerl" || w == "footerr" || w == "footnote" ||
               w == "field" || w == "fldinst" || w == "themedata" || w == "listtable" || w == "listoverridetable" ||
               w == "revtbl" || w == "rsidtbl" || w == "generator" || w == "xmlnstbl" || w == "latentstyles" ||
               w == "datastore" || w == "colorschememapping") {
      st.skip = true;
    }
  }

  // The fallback of \uN: uc characters, each a plain byte or a \'hh.
  std::string SkipFallback() {
    std::string bytes;
    while (pendingSkip_ > 0 && pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '\\') {
        if (pos_ + 3 < s_.size() && s_[pos_ + 1] == '\'' && Hex(s_[pos_ + 2]) >= 0 && Hex(s_[pos_ + 3]) >= 0) {
          bytes += static_cast<char>(Hex(s_[pos_ + 2]) * 16 + Hex(s_[pos_ + 3]));
          pos_ += 4;
          --pendingSkip_;
          continue;
        }
        break;  // a control word ends the fallback
      }
      if (c == '{' || c == '}') break;
      bytes += c;
      ++pos_;
      --pendingSkip_;
    }
    pendingSkip_ = 0;
    return bytes;
  }

  static bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view s_;
  size_t pos_ = 0;
  RtfDocument doc_;
  std::map<int, std::string> fonts_;
  int fontNumber_ = -1;
  std::string fontName_;
  int defaultFont_ = -1;
  std::vector<std::optional<uint32_t>> colors_;
  uint32_t curColor_ = 0;
  bool colorSet_ = false;
  int pendingSkip_ = 0;
};

void AppendEscaped(std::string& out, std::string_view text) {
  char buf[16];
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (IsSjisLead(c) && i + 1 < text.size()) {
      std::u16string u = DecodeCp932Lossless(text.substr(i, 2));
      if (!u.empty() && u[0] < kPlaceholderBase) {
        int code = static_cast<int16_t>(u[0]);
        std::snprintf(buf, sizeof buf, "\\u%d", code);
        out += buf;
      }
      std::snprintf(buf, sizeof buf, "\\'%02x\\'%02x", c, static_cast<unsigned char>(text[i + 1]));
      out += buf;
      ++i;
      continue;
    }
    if (c == '\\' || c == '{' || c == '}') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t') {
      out += "\\tab ";
    } else if (c >= 0x80 || c < 0x20) {
      std::snprintf(buf, sizeof buf, "\\'%02x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
}

}  // namespace

RtfDocument ReadRtf(std::string_view rtf) { return Parser(rtf).Run(); }

std::string WriteRtf(const RtfDocument& doc, const std::string& defaultFont, int defaultHalfPoints) {
  std::vector<std::string> fonts{defaultFont};
  std::vector<uint32_t> colors;
  auto fontIndex = [&](const std::string& f) {
    std::string name = f.empty() ? defaultFont : f;
    auto it = std::find(fonts.begin(), fonts.end(), name);
    if (it != fonts.end()) return static_cast<int>(it - fonts.begin());
    fonts.push_back(name);
    return static_cast<int>(fonts.size() - 1);
  };
  auto colorIndex = [&](uint32_t c) {
    auto it = std::find(colors.begin(), colors.end(), c);
    if (it != colors.end()) return static_cast<int>(it - colors.begin()) + 1;
    colors.push_back(c);
    return static_cast<int>(colors.size());
  };
  std::string body;
  char buf[64];
  for (size_t p = 0; p < doc.paragraphs.size(); ++p) {
    for (const auto& r : doc.paragraphs[p]) {
      std::snprintf(buf, sizeof buf, "\\plain\\f%d\\fs%d", fontIndex(r.font),
                    r.halfPoints > 0 ? r.halfPoints : defaultHalfPoints);
      body += buf;
      if (r.bold) body += "\\b";
      if (r.italic) body += "\\i";
      if (r.underline) body += "\\ul";
      if (r.hasColor) {
        std::snprintf(buf, sizeof buf, "\\cf%d", colorIndex(r.color));
        body += buf;
      }
      body += ' ';
      AppendEscaped(body, r.text);
    }
    if (p + 1 < doc.paragraphs.size()) body += "\\par\r\n";
  }
  std::string out = "{\\rtf1\\ansi\\ansicpg932\\deff0\\uc2{\\fonttbl";
  for (size_t i = 0; i < fonts.size(); ++i) {
    std::snprintf(buf, sizeof buf, "{\\f%zu\\fnil\\fcharset128 ", i);
    out += buf;
    AppendEscaped(out, fonts[i]);
    out += ";}";
  }
  out += "}\r\n";
  if (!colors.empty()) {
    out += "{\\colortbl ;";
    for (uint32_t c : colors) {
      std::snprintf(buf, sizeof buf, "\\red%u\\green%u\\blue%u;", (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
      out += buf;
    }
    out += "}\r\n";
  }
  out += "\\pard ";
  out += body;
  out += "\\par\r\n}\r\n";
  return out;
}

}  // namespace navirt
