// The picture decoders (JPEG, GIF) and the metafile reader on any input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "preview/Picture.h"
#include "preview/Wmf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
  navirt::RgbaImage img;
  switch (data[0] % 3) {
    case 0: {
      int w = 0, h = 0;
      if (navirt::DecodeJpeg(in, img, &w, &h, 16, 16) &&
          img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height))
        __builtin_trap();
      break;
    }
    case 1:
      if (navirt::DecodeGif(in, img) &&
          img.pixels.size() != static_cast<size_t>(img.width) * static_cast<size_t>(img.height))
        __builtin_trap();
      break;
    default: {
      navirt::WmfPicture wmf;
      if (navirt::ParseWmf(in, wmf) && (wmf.width <= 0 || wmf.height <= 0)) __builtin_trap();
      break;
    }
  }
  return 0;
}
