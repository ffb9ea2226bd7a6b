// The libraries take their work as one command line: tokens, switches,
// response files, and the report text handed back.
#include "archive/libs/ArcCommon.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "archive/libs/LibMessages.h"
#include "platform/Cp932.h"

namespace navirt::arc {

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }
}  // namespace

// ---- command lines -----------------------------------------------------

std::vector<Token> Tokenize(std::string_view line) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
    if (i >= line.size()) break;
    Token t;
    bool inQuote = false;
    while (i < line.size()) {
      char c = line[i];
      if (c == '"') {
        inQuote = !inQuote;
        t.quoted = true;
        ++i;
        continue;
      }
      if (!inQuote && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) break;
      t.text += c;
      ++i;
    }
    out.push_back(std::move(t));
  }
  return out;
}

bool CmdLine::HasSwitch(std::string_view name) const {
  for (const auto& s : switches)
    if (s == name) return true;
  return false;
}

int CmdLine::Number(std::string_view name) const {
  int value = -1;
  for (const auto& s : switches) {
    if (s.size() < name.size() || s.compare(0, name.size(), name) != 0) continue;
    std::string_view rest(s);
    rest.remove_prefix(name.size());
    if (rest.empty()) {
      value = 1;
    } else if (std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }) && rest.size() < 6) {
      value = std::atoi(std::string(rest).c_str());
    }
  }
  return value;
}

std::string CmdLine::Text(std::string_view name) const {
  std::string value;
  for (const auto& s : switches)
    if (s.size() > name.size() && s.compare(0, name.size(), name) == 0) value = s.substr(name.size());
  return value;
}

namespace {
// Paths on a command line are this system's: "/" separates, and "\" is a
// character of a name like any other.
std::string ToPath(std::string s) { return s; }

bool ReadResponseFile(const std::string& path, std::vector<std::string>& names) {
  std::string data;
  if (!ReadFileBytes(path, data)) return false;
  size_t start = 0;
  while (start <= data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string_view line(data.data() + start, end - start);
    for (const Token& t : Tokenize(line))
      if (!t.text.empty()) names.push_back(ToPath(t.text));
    start = end + 1;
  }
  return true;
}
}  // namespace

int ParseCommandLine(std::string_view line, const std::vector<std::string>& commands,
                     const std::vector<std::string>& valueSwitches, CmdLine& out, std::string& err) {
  out = CmdLine{};
  std::vector<Token> tokens = Tokenize(line);
  size_t i = 0;
  if (!tokens.empty() && !tokens[0].quoted) {
    std::string first = tokens[0].text;
    std::transform(first.begin(), first.end(), first.begin(), [](char c) { return Lower(c); });
    if (std::find(commands.begin(), commands.end(), first) != commands.end()) {
      out.command = first;
      i = 1;
    }
  }
  bool archiveSeen = false;
  for (; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.text.size() > 1 && t.text[0] == '-') {
      std::string sw = t.text.substr(1);
      if (std::find(valueSwitches.begin(), valueSwitches.end(), sw) != valueSwitches.end() && i + 1 < tokens.size()) {
        sw += tokens[++i].text;
      }
      out.switches.push_back(std::move(sw));
      continue;
    }
    if (t.text.empty()) continue;
    if (t.text[0] == '@' && t.text.size() > 1) {
      std::string resp = ToPath(t.text.substr(1));
      if (!ReadResponseFile(resp, out.names)) {
        err = "cannot read the response file " + resp;
        return kErrResponseRead;
      }
      continue;
    }
    std::string path = ToPath(t.text);
    if (!archiveSeen) {
      out.archive = path;
      archiveSeen = true;
    } else if (out.folder.empty() && out.names.empty() && path.back() == '/') {
      out.folder = path;
    } else {
      out.names.push_back(path);
    }
  }
  return kOk;
}

// ---- report ------------------------------------------------------------

void Report::CopyTo(char* buf, uint32_t size) const {
  if (!buf || size == 0) return;
  size_t n = std::min<size_t>(text_.size(), size - 1);
  // Never cut a double-byte character in half.
  if (n < text_.size()) {
    size_t i = 0;
    while (i < n) {
      size_t step = IsSjisLead(static_cast<unsigned char>(text_[i])) ? 2 : 1;
      if (i + step > n) break;
      i += step;
    }
    n = i;
  }
  std::memcpy(buf, text_.data(), n);
  buf[n] = 0;
}

}  // namespace navirt::arc
