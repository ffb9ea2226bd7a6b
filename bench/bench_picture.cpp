// Decoding a 4000 x 3000 JPEG: in full, and scaled for a pane-sized view.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "preview/Picture.h"

namespace {

// A photo-like test picture made at run time, never committed.
const std::string& BigJpeg() {
  static std::string jpeg = [] {
    const int w = 4000, h = 3000;
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* buf = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buf, &size);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 88, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(w * 3);
    while (c.next_scanline < c.image_height) {
      unsigned y = c.next_scanline;
      for (int x = 0; x < w; ++x) {
        row[x * 3] = static_cast<unsigned char>((x * 7 + y * 3) ^ (x >> 3));
        row[x * 3 + 1] = static_cast<unsigned char>((y * 5) ^ (x * y >> 9));
        row[x * 3 + 2] = static_cast<unsigned char>(x + y);
      }
      JSAMPROW r = row.data();
      jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string out(reinterpret_cast<char*>(buf), size);
    free(buf);
    return out;
  }();
  return jpeg;
}

void BM_DecodeJpeg4000x3000Full(benchmark::State& state) {
  const std::string& j = BigJpeg();
  for (auto _ : state) {
    navirt::RgbaImage img;
    int w, h;
    if (!navirt::DecodeJpeg(j, img, &w, &h)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(img.pixels.data());
  }
}
BENCHMARK(BM_DecodeJpeg4000x3000Full)->Unit(benchmark::kMillisecond);

void BM_DecodeJpeg4000x3000ForPane(benchmark::State& state) {
  const std::string& j = BigJpeg();
  for (auto _ : state) {
    navirt::RgbaImage img;
    int w, h;
    if (!navirt::DecodeJpeg(j, img, &w, &h, 800, 500)) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(img.pixels.data());
  }
}
BENCHMARK(BM_DecodeJpeg4000x3000ForPane)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
