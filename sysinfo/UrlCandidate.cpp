// Kept as plain byte work over the pane's CP932 text, so the address is
// found without converting the line, and tested without a window.
#include "sysinfo/UrlCandidate.h"

#include "platform/Cp932.h"

namespace navirt {

namespace {

bool Printable(unsigned char c) { return c >= 0x21 && c <= 0x7E; }

std::string PrintableRun(std::string_view s, size_t from) {
  size_t end = from;
  while (end < s.size() && Printable(static_cast<unsigned char>(s[end]))) ++end;
  return std::string(s.substr(from, end - from));
}

}  // namespace

std::string UrlCandidateFromLine(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && !Printable(static_cast<unsigned char>(line[i])))
    i += IsSjisLead(static_cast<unsigned char>(line[i])) ? 2 : 1;
  if (i >= line.size()) return "";
  std::string cand = PrintableRun(line, i);
  if (cand.find("://") == std::string::npos) return "";
  return cand;
}

std::string UrlCandidateFromSelection(std::string_view s) {
  size_t b = 0;
  while (b < s.size() && IsSjisLead(static_cast<unsigned char>(s[b]))) b += 2;
  if (b >= s.size()) return "";
  size_t e = s.size();
  while (b < e && !Printable(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && !Printable(static_cast<unsigned char>(s[e - 1]))) --e;
  return PrintableRun(s.substr(0, e), b);
}

TInputDialogModel UrlDialogModel(const TIniFile& ini, const std::string& candidate) {
  TInputDialogModel d;
  d.caption = "インターネットのURLにジャンプ";
  d.prompt = "URLを入力して下さい。普段利用しているブラウザで表示します。";
  d.note = "";
  d.LoadHistory(ini, kUrlHistorySection);
  d.text = candidate;
  return d;
}

}  // namespace navirt
