// The report is gathered from /proc, /etc and the C library only, so it
// works the same on any distribution and in a test without a desktop.
#include "sysinfo/SystemReport.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "platform/Format.h"
#include "platform/Paths.h"

extern char** environ;

namespace navirt {

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t\r\n");
  return s.substr(b, e - b + 1);
}

// Lines of a text; the last one need not end with a line break.
template <typename Fn>
void ForEachLine(const std::string& text, Fn fn) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (fn(text.substr(start, end - start))) return;
    start = end + 1;
  }
}

// The length of a valid UTF-8 sequence at p, 0 when there is none.
size_t Utf8Length(const unsigned char* p, size_t n) {
  unsigned char c = p[0];
  size_t len;
  uint32_t cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF)
    len = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF)
    len = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4)
    len = 4, cp = c & 0x07;
  else
    return 0;
  if (n < len) return 0;
  for (size_t i = 1; i < len; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (p[i] & 0x3F);
  }
  if ((len == 3 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)))
    return 0;
  return len;
}

}  // namespace

std::string OsReleaseValue(const std::string& text, const std::string& key) {
  std::string found;
  ForEachLine(text, [&](const std::string& raw) {
    std::string line = Trim(raw);
    if (line.compare(0, key.size() + 1, key + "=") != 0) return false;
    std::string v = line.substr(key.size() + 1);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
      std::string un;
      for (size_t i = 1; i + 1 < v.size(); ++i) {
        if (v[i] == '\\' && i + 2 < v.size()) ++i;
        un += v[i];
      }
      v = un;
    }
    found = v;
    return true;
  });
  return found;
}

std::string CpuInfoValue(const std::string& text, const std::string& key) {
  std::string found;
  ForEachLine(text, [&](const std::string& line) {
    size_t colon = line.find(':');
    if (colon == std::string::npos || Trim(line.substr(0, colon)) != key) return false;
    found = Trim(line.substr(colon + 1));
    return true;
  });
  return found;
}

std::string EnvironmentEntryForPane(const std::string& entry) {
  std::string utf8;
  const auto* p = reinterpret_cast<const unsigned char*>(entry.data());
  size_t n = entry.size();
  for (size_t i = 0; i < n;) {
    size_t len = Utf8Length(p + i, n - i);
    if (len == 0 || p[i] < 0x20 || p[i] == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", p[i]);
      utf8 += buf;
      ++i;
    } else {
      utf8.append(entry, i, len);
      i += len;
    }
  }
  return Utf8ToCp932(utf8);
}

std::vector<std::string> BuildSystemReport(const SystemFacts& f) {
  std::vector<std::string> lines;
  auto add = [&](const char* label, const std::string& value) { lines.push_back(Utf8ToCp932(label + value)); };
  add("Windowsﾃﾞｨﾚｸﾄﾘ = ", f.systemDir);
  add("Systemﾃﾞｨﾚｸﾄﾘ = ", f.programDir);
  add("ｶﾚﾝﾄﾃﾞｨﾚｸﾄﾘ = ", f.currentDir);

  std::string prettyName = OsReleaseValue(f.osRelease, "PRETTY_NAME");
  std::string cpu = CpuInfoValue(f.cpuInfo, "vendor_id");
  std::string model = CpuInfoValue(f.cpuInfo, "model name");
  if (model.empty()) model = CpuInfoValue(f.cpuInfo, "Model");  // ARM boards
  if (!model.empty()) cpu += cpu.empty() ? model : " " + model;
  std::string kernel = f.kernelName;
  if (!f.machine.empty()) kernel += kernel.empty() ? f.machine : " " + f.machine;
  const std::pair<const char*, std::string> values[] = {
      {"ﾕｰｻﾞｰ名 = ", f.userName},
      {"会社名 = ", ""},
      {"ｺﾝﾋﾟｭｰﾀｰ名 = ", f.hostName},
      {"ﾌﾟﾛﾀﾞｸﾄID = ", OsReleaseValue(f.osRelease, "ID")},
      {"ﾌﾟﾛﾀﾞｸﾄ名 = ", prettyName.empty() ? OsReleaseValue(f.osRelease, "NAME") : prettyName},
      {"ﾌﾟﾛﾀﾞｸﾄﾀｲﾌﾟ = ", kernel},
      {"ﾊﾞｰｼﾞｮﾝ = ", OsReleaseValue(f.osRelease, "VERSION")},
      {"ﾊﾞｰｼﾞｮﾝﾅﾝﾊﾞｰ = ", f.kernelRelease},
      {"ｻﾌﾞﾊﾞｰｼﾞｮﾝﾅﾝﾊﾞｰ = ", f.kernelVersion},
      {"ｼｽﾃﾑﾙｰﾄﾃﾞｨﾚｸﾄﾘ = ", "/"},
      {"ﾌﾟﾛｸﾞﾗﾑファイルﾃﾞｨﾚｸﾄﾘ = ", f.programDir},
      {"ｺﾓﾝファイルﾃﾞｨﾚｸﾄﾘ = ", "/usr/share"},
      {"ﾌﾟﾛﾀﾞｸﾄｷｰ = ", ""},
      {"Plusﾊﾞｰｼﾞｮﾝﾅﾝﾊﾞｰ = ", ""},
      {"CPﾍﾞﾝﾀﾞｰ = ", cpu},
  };
  for (const auto& [label, value] : values)
    if (!value.empty()) add(label, value);

  for (const std::string& e : f.environment) lines.push_back(Utf8ToCp932("環境変数 = ") + EnvironmentEntryForPane(e));

  char date[32], time[32];
  std::snprintf(date, sizeof date, "%04d/%02d/%02d", f.now.year, f.now.month, f.now.day);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", f.now.hour, f.now.minute, f.now.second);
  add("日付 = ", date);
  add("時間 = ", time);
  char up[96];
  std::snprintf(up, sizeof up, "起動時間 = %llu 時間  %llu 分  %llu 秒",
                static_cast<unsigned long long>(f.uptimeMs / 3600000),
                static_cast<unsigned long long>((f.uptimeMs / 60000) % 60),
                static_cast<unsigned long long>((f.uptimeMs / 1000) % 60));
  lines.push_back(Utf8ToCp932(up));
  return lines;
}

SystemFacts CollectSystemFacts() {
  SystemFacts f;
  f.currentDir = CurrentDirectory();
  if (!ReadWholeFile("/etc/os-release", f.osRelease)) ReadWholeFile("/usr/lib/os-release", f.osRelease);
  char host[256] = {0};
  if (gethostname(host, sizeof host - 1) == 0) f.hostName = host;
  // The login name; the password database when the environment has none.
  if (const char* u = getenv("USER"); u && *u) {
    f.userName = u;
  } else {
    struct passwd pw, *res = nullptr;
    char buf[1024];
    if (getpwuid_r(getuid(), &pw, buf, sizeof buf, &res) == 0 && res) f.userName = pw.pw_name;
  }
  struct utsname un;
  if (uname(&un) == 0) {
    f.kernelName = un.sysname;
    f.kernelRelease = un.release;
    f.kernelVersion = un.version;
    f.machine = un.machine;
  }
  ReadWholeFile("/proc/cpuinfo", f.cpuInfo);
  for (char** e = environ; e && *e; ++e) f.environment.emplace_back(*e);
  f.now = ToLocalDate(std::time(nullptr));
  struct timespec ts;
  if (clock_gettime(CLOCK_BOOTTIME, &ts) == 0)
    f.uptimeMs = static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
  return f;
}

}  // namespace navirt
