#pragma once
// ARJ archives, read only: header walker and the decoders of methods 0-4.
#include <string>
#include <vector>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::arj {

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why);
int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why);

// The static-Huffman LZ decoder shared by ARJ methods 1-3 (and, with
// other constants, by LHA's -lh5-/-lh6-/-lh7-). Decodes exactly size
// bytes; false on a broken stream.
bool DecodeHuffmanLz(const unsigned char* src, size_t srcLen, uint64_t size, int np, int pbit, bool arjBlockCount,
                     const Sink& sink, std::string& why);
// ARJ method 4.
bool DecodeFastest(const unsigned char* src, size_t srcLen, uint64_t size, const Sink& sink, std::string& why);

}  // namespace navirt::arc::arj
