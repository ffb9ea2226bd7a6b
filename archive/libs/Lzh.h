#pragma once
// LHA archives: header walker (levels 0 to 3), unpacking through liblhasa's
// decoders, the -lh5- encoder and a level-2 header writer.
#include <functional>
#include <string>
#include <vector>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::lzh {

// Offset of the first header (0, or after a self-extracting stub), -1 if none.
int64_t FindStart(const InputFile& in);
int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why);
int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why);

// Raw -lh5- bit stream of data (no header).
std::string EncodeLh5(const unsigned char* data, size_t n);
// The same handed to sink a piece at a time (false when sink failed);
// consumed is called after every few MiB of data read.
bool EncodeLh5(const unsigned char* data, size_t n, const Sink& sink, const std::function<void()>& consumed);

// A level-2 header for an entry; method is "-lh5-", "-lh0-" or "-lhd-".
// Names are CP932; a name CP932 cannot hold is written in UTF-8 with the
// code-page header (65001). Only bytes that are not UTF-8 either become a
// %XX stand-in (nameOk=false then).
std::string BuildHeader(const std::string& path, bool isDir, const std::string& method, uint64_t packed, uint64_t size,
                        uint16_t crc, std::time_t mtime, uint32_t attr, bool& nameOk);

}  // namespace navirt::arc::lzh
