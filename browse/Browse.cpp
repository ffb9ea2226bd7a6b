#include "browse/Browse.h"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "platform/FileInfo.h"
#include "platform/Format.h"

namespace navirt {

namespace {

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

FileMask ParseMask(const std::string& answer) {
  FileMask m;
  if (answer.empty() || answer == "*") return m;
  m.all = false;
  size_t start = 0;
  for (;;) {
    size_t semi = answer.find(';', start);
    std::string part = answer.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
    if (part.find('.') == std::string::npos) part = "." + part;
    m.exts.push_back(part);
    if (semi == std::string::npos) break;
    start = semi + 1;
  }
  return m;
}

bool MaskMatches(const FileMask& mask, const std::string& name, bool isDir) {
  if (isDir || mask.all) return true;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return false;
  std::string ext = Upper(name.substr(dot));
  for (const auto& e : mask.exts)
    if (Upper(e) == ext) return true;
  return false;
}

std::string ListSizeText(uint64_t size) {
  std::string s = WithThousands(size);
  if (s.size() < 16) s.insert(0, 16 - s.size(), ' ');
  return s;
}

std::string ListDateText(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d", tm.tm_year % 100, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour,
                tm.tm_min);
  return buf;
}

int SortCode(int keyIndex, bool descending) { return keyIndex + (descending ? 90 : 0); }

int CompareDisplayed(const std::string& a, const std::string& b) {
  static std::once_flag once;
  static std::unique_ptr<icu::Collator> coll;
  static std::mutex m;
  std::call_once(once, [] {
    UErrorCode err = U_ZERO_ERROR;
    coll.reset(icu::Collator::createInstance(icu::Locale::getJapanese(), err));
    if (U_FAILURE(err)) coll.reset();
  });
  if (!coll) return a.compare(b);
  UErrorCode err = U_ZERO_ERROR;
  std::lock_guard<std::mutex> lock(m);
  UCollationResult r = coll->compareUTF8(a, b, err);
  if (U_FAILURE(err)) return a.compare(b);
  return r == UCOL_LESS ? -1 : r == UCOL_GREATER ? 1 : 0;
}

void SortListRows(std::vector<ListRow>& rows, int code) {
  bool desc = code >= 90;
  int col = desc ? code - 90 : code;
  if (col < 0 || col > 3) return;
  std::stable_sort(rows.begin(), rows.end(), [&](const ListRow& x, const ListRow& y) {
    int c = CompareDisplayed(x.texts[col], y.texts[col]);
    return desc ? c > 0 : c < 0;
  });
}

std::string ParentFolder(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  size_t slash = f.rfind('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return f.substr(0, slash + 1);
}

std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives) {
  std::string f = WithTrailingSlash(folder);
  std::string best = "/";
  for (const auto& d : drives) {
    std::string dd = WithTrailingSlash(d);
    if (f.compare(0, dd.size(), dd) == 0 && dd.size() > best.size()) best = dd;
  }
  return best;
}

unsigned char HalfWidthKanaByte(char32_t ch) {
  if (ch >= 0xFF61 && ch <= 0xFF9F) return static_cast<unsigned char>(ch - 0xFF61 + 0xA1);
  return 0;
}

char KeyListLetter(char32_t ch) {
  if (ch >= 'a' && ch <= 'z') ch = ch - 'a' + 'A';
  if (ch >= 'A' && ch <= 'Z') return ch == 'Y' ? 0 : static_cast<char>(ch);
  if (ch == ';' || ch == '\\') return static_cast<char>(ch);
  switch (HalfWidthKanaByte(ch)) {
    case 0xDA:
      return ';';
    case 0xC1:
      return 'A';
    case 0xBA:
      return 'B';
    case 0xBF:
      return 'C';
    case 0xBC:
      return 'D';
    case 0xB2:
      return 'E';
    case 0xCA:
      return 'F';
    case 0xB7:
      return 'G';
    case 0xB8:
      return 'H';
    case 0xC6:
      return 'I';
    case 0xCF:
      return 'J';
    case 0xC9:
      return 'K';
    case 0xD8:
      return 'L';
    case 0xD3:
      return 'M';
    case 0xD0:
      return 'N';
    case 0xD7:
      return 'O';
    case 0xBE:
      return 'P';
    case 0xC0:
      return 'Q';
    case 0xBD:
      return 'R';
    case 0xC4:
      return 'S';
    case 0xB6:
      return 'T';
    case 0xC5:
      return 'U';
    case 0xCB:
      return 'V';
    case 0xC3:
      return 'W';
    case 0xBB:
      return 'X';
    case 0xC2:
      return 'Z';
    case 0xB0:
      return '\\';
    default:
      return 0;
  }
}

}  // namespace navirt
