// The parser keeps every line it does not understand, so a settings file
// edited by hand or written by a newer version loses nothing when the
// program saves its own keys.
#include "settings/IniFile.h"

#include <strings.h>
#include <charconv>

#include "platform/AtomicFile.h"
#include "platform/FileInfo.h"

namespace navirt {
namespace {

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

}  // namespace

TIniFile::TIniFile(std::string path) : path_(std::move(path)) { Load(path_); }

bool TIniFile::Load(const std::string& path) {
  path_ = path;
  std::string text;
  bool ok = ReadWholeFile(path, text);
  Parse(ok ? text : std::string());
  return ok;
}

void TIniFile::Parse(const std::string& text) {
  preamble_.clear();
  sections_.clear();
  size_t pos = 0;
  size_t cur = 0;
  // A UTF-8 byte-order mark is not part of the first line.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    pos = end + 1;
    if (end == text.size() && line.empty()) break;
    std::string t = Trim(line);
    if (!t.empty() && t.front() == '[' && t.back() == ']') {
      std::string name = t.substr(1, t.size() - 2);
      // A repeated section continues the first one.
      if (Section* s = Find(name))
        cur = s - sections_.data();
      else {
        sections_.push_back({name, {}});
        cur = sections_.size() - 1;
      }
      continue;
    }
    size_t eq = line.find('=');
    bool isComment = t.empty() || t[0] == ';' || t[0] == '#' || eq == std::string::npos;
    if (sections_.empty()) {
      preamble_.push_back(line);
      continue;
    }
    if (isComment) {
      sections_[cur].lines.push_back({"", line});
    } else {
      std::string key = Trim(line.substr(0, eq));
      std::string value = line.substr(eq + 1);
      if (!value.empty() && value.back() == '\r') value.pop_back();
      // Later duplicates of a key are kept but never read.
      sections_[cur].lines.push_back({key, value});
    }
  }
}

std::string TIniFile::Text() const {
  std::string out;
  for (const auto& l : preamble_) out += l + "\n";
  for (const auto& s : sections_) {
    out += "[" + s.name + "]\n";
    for (const auto& l : s.lines) {
      if (l.key.empty())
        out += l.value + "\n";
      else
        out += l.key + "=" + l.value + "\n";
    }
  }
  return out;
}

bool TIniFile::Save(std::string* error) const { return SaveAs(path_, error); }

bool TIniFile::SaveAs(const std::string& path, std::string* error) const {
  if (path.empty()) {
    if (error) *error = "no settings file";
    return false;
  }
  return AtomicWriteFile(path, Text(), true, error);
}

TIniFile::Section* TIniFile::Find(const std::string& name) {
  for (auto& s : sections_)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

const TIniFile::Section* TIniFile::Find(const std::string& name) const {
  for (const auto& s : sections_)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

TIniFile::Section& TIniFile::Ensure(const std::string& name) {
  if (Section* s = Find(name)) return *s;
  sections_.push_back({name, {}});
  return sections_.back();
}

bool TIniFile::SectionExists(const std::string& section) const { return Find(section) != nullptr; }

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  const Section* s = Find(section);
  if (!s) return false;
  for (const auto& l : s->lines)
    if (!l.key.empty() && SameName(l.key, key)) return true;
  return false;
}

std::vector<std::string> TIniFile::Sections() const {
  std::vector<std::string> out;
  for (const auto& s : sections_) out.push_back(s.name);
  return out;
}

std::vector<std::string> TIniFile::Keys(const std::string& section) const {
  std::vector<std::string> out;
  if (const Section* s = Find(section))
    for (const auto& l : s->lines)
      if (!l.key.empty()) out.push_back(l.key);
  return out;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key, const std::string& def) const {
  const Section* s = Find(section);
  if (!s) return def;
  for (const auto& l : s->lines)
    if (!l.key.empty() && SameName(l.key, key)) return l.value;
  return def;
}

int64_t TIniFile::ReadInteger(const std::string& section, const std::string& key, int64_t def) const {
  std::string v = Trim(ReadString(section, key, ""));
  if (v.empty()) return def;
  int64_t out = 0;
  const char* b = v.data();
  const char* e = v.data() + v.size();
  if (*b == '+') ++b;
  std::from_chars_result r;
  if (e - b > 2 && b[0] == '0' && (b[1] == 'x' || b[1] == 'X'))
    r = std::from_chars(b + 2, e, out, 16);
  else if (e - b > 1 && b[0] == '$')
    r = std::from_chars(b + 1, e, out, 16);
  else
    r = std::from_chars(b, e, out, 10);
  if (r.ec != std::errc() || r.ptr != e) return def;
  return out;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  std::string v = Trim(ReadString(section, key, ""));
  if (v.empty()) return def;
  int64_t n = ReadInteger(section, key, -1);
  if (n == -1 && v != "-1") return def;
  return n != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) {
  Section& s = Ensure(section);
  // A value is one line: line breaks would split it.
  std::string v = value;
  for (char& c : v)
    if (c == '\n' || c == '\r') c = ' ';
  for (auto& l : s.lines) {
    if (!l.key.empty() && SameName(l.key, key)) {
      l.value = v;
      return;
    }
  }
  // New keys go after the last key, before trailing blank lines.
  size_t at = s.lines.size();
  while (at > 0 && s.lines[at - 1].key.empty() && Trim(s.lines[at - 1].value).empty()) --at;
  s.lines.insert(s.lines.begin() + static_cast<long>(at), Line{key, v});
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  Section* s = Find(section);
  if (!s) return;
  std::erase_if(s->lines, [&](const Line& l) { return !l.key.empty() && SameName(l.key, key); });
}

void TIniFile::EraseSection(const std::string& section) {
  std::erase_if(sections_, [&](const Section& s) { return SameName(s.name, section); });
}

}  // namespace navirt
