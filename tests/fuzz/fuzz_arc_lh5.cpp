// The -lh5- encoder against two decoders: liblhasa's (through an LHA
// entry) and our own static-Huffman decoder. Both must give the input back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "archive/libs/Arj.h"
#include "archive/libs/Lzh.h"

using namespace navirt::arc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Repeat the input a few times so matches and long blocks occur.
  std::string input(reinterpret_cast<const char*>(data), size);
  if (size > 0 && size < 4096) input += input.substr(0, size / 2) + input;
  std::string packed = lzh::EncodeLh5(reinterpret_cast<const unsigned char*>(input.data()), input.size());
  std::string back;
  std::string why;
  bool ok = arj::DecodeHuffmanLz(
      reinterpret_cast<const unsigned char*>(packed.data()), packed.size(), input.size(), 14, 4, false,
      [&](const unsigned char* p, size_t n) {
        back.append(reinterpret_cast<const char*>(p), n);
        return true;
      },
      why);
  if (!input.empty() && (!ok || back != input)) std::abort();
  ArcEntry e;
  bool nameOk;
  std::string header = lzh::BuildHeader("f", false, "-lh5-", packed.size(), input.size(),
                                        Crc16(0, input.data(), input.size()), 0, 0x20, nameOk);
  std::string archive = header + packed + std::string(1, '\0');
  InputFile in;
  in.OpenMemory(archive);
  std::vector<ArcEntry> entries;
  if (lzh::List(in, entries, why) != kOk || entries.size() != 1) std::abort();
  std::string viaLhasa;
  int rc = lzh::Unpack(
      in, entries[0],
      [&](const unsigned char* p, size_t n) {
        viaLhasa.append(reinterpret_cast<const char*>(p), n);
        return true;
      },
      why);
  if (!input.empty() && (rc != kOk || viaLhasa != input)) std::abort();
  return 0;
}
