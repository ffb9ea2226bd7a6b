#pragma once
// The general listing of an archive and the texts of the libraries'
// result codes, as the archive commands show them.
#include <string>
#include <vector>

#include "archive/Archives.h"

namespace navirt {

// The whole listing as CP932 text with CR LF line ends; path is UTF-8.
std::string ArchiveListingText(const std::string& path, const std::vector<TIndividualInfo>& entries);
// One entry line (without line end).
std::string ArchiveListingLine(const TIndividualInfo& e);
// The Japanese message of a library result code (UTF-8); empty when the
// code has none, 0 included.
std::string ArchiveResultMessage(int code);
// The same text built entry by entry, for long archives.
class TArchiveListing {
 public:
  explicit TArchiveListing(const std::string& path);
  void Add(const TIndividualInfo& e);
  // Closing dash line and summary; the whole text.
  std::string Finish();

 private:
  std::string text_;
  unsigned long long total_ = 0, packed_ = 0;
  size_t count_ = 0;
};

// Reads every entry of an open archive matching wild.
std::vector<TIndividualInfo> ReadArchiveEntries(TArchiveFile& file, const std::string& wild = "*.*");

}  // namespace navirt
