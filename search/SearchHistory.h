#pragma once
// History lists of the search dialogs: a count key and entries under a key
// prefix plus the index from 0, each value wrapped in "#".
#include <string>
#include <vector>

#include "settings/IniFile.h"

namespace navirt {

// A value beginning with "#" loses its first and last character; any other
// value is taken as it stands.
std::vector<std::string> LoadHistoryItems(const TIniFile& ini, const std::string& section, const std::string& countKey,
                                          const std::string& prefix);
// Writes at most cap entries and their number.
void SaveHistoryItems(TIniFile& ini, const std::string& section, const std::string& countKey, const std::string& prefix,
                      const std::vector<std::string>& items, int cap);

}  // namespace navirt
