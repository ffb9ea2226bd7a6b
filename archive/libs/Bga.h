#pragma once
// BGA archives (.gza with gzip members, .bza with bzip2 streams): reader
// and writer of the whole container.
#include <string>
#include <vector>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::bga {

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why);
int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why);

// Appends one header + name + data record for a file to out (bzip2 picks
// the .bza kind), streaming the data.
int WriteRecord(const PackItem& item, bool bzip2, int level, OutputFile& out, Report& rep);

}  // namespace navirt::arc::bga
