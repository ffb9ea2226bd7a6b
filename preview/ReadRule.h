#pragma once
// How much of a file the preview loads, from the read settings.
#include <cstdint>

#include "settings/IniFile.h"

namespace navirt {

struct ReadSettings {
  int64_t streamByte = 10000;  // StreamRead/Byte
  bool streamCheck = true;     // StreamRead/Check
  int64_t readMax = 0;         // ReadMax/Byte; 0 or less: no limit
};

// Read at every preview so a dialog's change applies to the next file.
ReadSettings LoadReadSettings(const TIniFile& ini);

enum class ReadMode {
  None,      // nothing is loaded; only the information line shows
  Direct,    // straight into the pane
  Buffered,  // the whole file into memory first, then into the pane
};

ReadMode ChooseReadMode(const ReadSettings& rs, uint64_t size, bool realTimeMode);

}  // namespace navirt
