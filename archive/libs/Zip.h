#pragma once
// ZIP archives: central-directory walker, store/deflate/bzip2 unpacking,
// and a writer that copies kept entries raw (add, freshen, delete).
#include <string>
#include <vector>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::zip {

inline constexpr uint32_t kLocalSig = 0x04034B50, kCentralSig = 0x02014B50, kEndSig = 0x06054B50;

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why);
// Start of the entry's data, from its local header; false when broken.
bool DataStart(const InputFile& in, const ArcEntry& e, uint64_t& start);
int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why);

struct WriteOptions {
  int level = 6;  // 0 stores everything
  bool dirEntries = true;
  // Names in Shift_JIS without the UTF-8 flag, for old Japanese tools;
  // a name Shift_JIS lacks is still written in UTF-8.
  bool sjisNames = false;
};
enum class WriteMode { Add, Update, Freshen, Delete };

// Rewrites (or creates) path. items are the files to add; patterns pick the
// entries to delete. The old archive stays untouched on failure.
int Write(const std::string& path, WriteMode mode, const std::vector<PackItem>& items,
          const std::vector<std::string>& patterns, const WriteOptions& opt, Report& rep);

}  // namespace navirt::arc::zip
