#pragma once
// "システム情報表示(&S)": the report written into the pane. The Windows
// lines have Linux counterparts under the same labels (see README):
// directories, the registry values (user, host, os-release, kernel, CPU),
// every environment entry, date, time and the time since boot.
#include <cstdint>
#include <string>
#include <vector>

#include "sysinfo/DateWindow.h"

namespace navirt {

// Everything the report shows, gathered first so that tests give their own.
struct SystemFacts {
  std::string systemDir = "/usr";       // "Windowsﾃﾞｨﾚｸﾄﾘ"
  std::string programDir = "/usr/bin";  // "Systemﾃﾞｨﾚｸﾄﾘ"
  std::string currentDir;
  std::string osRelease;  // text of /etc/os-release
  std::string hostName, userName;
  std::string kernelName, kernelRelease, kernelVersion, machine;  // uname
  std::string cpuInfo;                                            // text of /proc/cpuinfo
  std::vector<std::string> environment;                           // "NAME=value" as bytes, in order
  LocalDate now;
  uint64_t uptimeMs = 0;
};

SystemFacts CollectSystemFacts();

// Values of an os-release file (KEY=value, optionally quoted).
std::string OsReleaseValue(const std::string& text, const std::string& key);
// The first "key : value" of /proc/cpuinfo for that key.
std::string CpuInfoValue(const std::string& text, const std::string& key);

// An environment entry for the pane: valid UTF-8 converted, other bytes
// and control characters shown as \xHH, so one entry stays one line.
std::string EnvironmentEntryForPane(const std::string& entry);

// The report's lines, CP932 bytes for the pane.
std::vector<std::string> BuildSystemReport(const SystemFacts& f);

}  // namespace navirt
