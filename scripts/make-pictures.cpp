// Writes the sample pictures of samples/ (JPEG, GIF, BMP, ICO, WMF and a
// broken JPEG). Build and run from the repository root:
//   g++ -std=c++20 -O1 scripts/make-pictures.cpp -ljpeg -lgif -o /tmp/make-pictures && /tmp/make-pictures samples
#include <cmath>
#include <cstdint>
#include <cstdio>

#include <gif_lib.h>
#include <jpeglib.h>

#include <string>
#include <vector>

namespace {

struct Rgb {
  uint8_t r, g, b;
};

// A sunset: sky gradient, a sun, a sea with stripes.
Rgb Pixel(int x, int y, int w, int h) {
  double fy = double(y) / h, fx = double(x) / w;
  double dx = fx - 0.5, dy = fy - 0.45;
  if (std::sqrt(dx * dx * 1.8 + dy * dy) < 0.14 && fy < 0.55) return {255, 210, 60};
  if (fy < 0.55) return {uint8_t(40 + 200 * fy), uint8_t(60 + 80 * fy), uint8_t(160 - 100 * fy)};
  bool stripe = (int(y * 12.0 / h) % 2) == 0;
  return {uint8_t(20), uint8_t(stripe ? 70 : 90), uint8_t(stripe ? 140 + 60 * fx : 170)};
}

void Put16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

void Write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void WriteJpeg(const std::string& path, int w, int h) {
  FILE* f = std::fopen(path.c_str(), "wb");
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = w;
  c.image_height = h;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 85, TRUE);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(w * 3);
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < w; ++x) {
      Rgb p = Pixel(x, c.next_scanline, w, h);
      row[x * 3] = p.r;
      row[x * 3 + 1] = p.g;
      row[x * 3 + 2] = p.b;
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

void WriteGif(const std::string& path, int w, int h) {
  int err = 0;
  GifFileType* g = EGifOpenFileName(path.c_str(), false, &err);
  GifColorType colors[8] = {{0, 0, 0},      {255, 210, 60}, {60, 90, 150}, {120, 100, 120},
                            {200, 120, 70}, {20, 70, 170},  {20, 90, 170}, {255, 255, 255}};
  ColorMapObject* map = GifMakeMapObject(8, colors);
  EGifPutScreenDesc(g, w, h, 3, 0, map);
  // Colour 0 is transparent: a frame around the picture shows through.
  GraphicsControlBlock gcb{};
  gcb.TransparentColor = 0;
  gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
  GifByteType ext[4];
  size_t n = EGifGCBToExtension(&gcb, ext);
  EGifPutExtension(g, GRAPHICS_EXT_FUNC_CODE, int(n), ext);
  EGifPutImageDesc(g, 0, 0, w, h, false, nullptr);
  std::vector<GifPixelType> line(w);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      if (x < 2 || y < 2 || x >= w - 2 || y >= h - 2) {
        line[x] = 0;
        continue;
      }
      Rgb p = Pixel(x, y, w, h);
      line[x] = p.r == 255 ? 1 : y < h * 0.55 ? (y < h / 4 ? 2 : y < h / 2 ? 3 : 4) : ((y * 12 / h) % 2 ? 6 : 5);
    }
    EGifPutLine(g, line.data(), w);
  }
  EGifCloseFile(g, &err);
  GifFreeMapObject(map);
}

std::string BmpBody(int w, int h, bool forIcon) {
  // 24-bit rows, bottom up, padded to 4 bytes.
  std::string px;
  int pad = (4 - (w * 3) % 4) % 4;
  for (int y = h - 1; y >= 0; --y) {
    for (int x = 0; x < w; ++x) {
      Rgb p = Pixel(x, y, w, h);
      px += char(p.b);
      px += char(p.g);
      px += char(p.r);
    }
    px.append(pad, '\0');
  }
  if (forIcon) {
    int maskRow = ((w + 31) / 32) * 4;
    px.append(size_t(maskRow) * h, '\0');  // AND mask: all opaque
  }
  return px;
}

std::string InfoHeader(int w, int h, uint32_t imageSize) {
  std::string s;
  Put32(s, 40);
  Put32(s, w);
  Put32(s, h);
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, 0);
  Put32(s, imageSize);
  Put32(s, 2835);
  Put32(s, 2835);
  Put32(s, 0);
  Put32(s, 0);
  return s;
}

void WriteBmp(const std::string& path, int w, int h) {
  std::string body = BmpBody(w, h, false);
  std::string s = "BM";
  Put32(s, 14 + 40 + body.size());
  Put32(s, 0);
  Put32(s, 14 + 40);
  s += InfoHeader(w, h, body.size());
  Write(path, s + body);
}

void WriteIco(const std::string& path, int size) {
  std::string body = BmpBody(size, size, true);
  std::string hdr = InfoHeader(size, size * 2, body.size());
  std::string s;
  Put16(s, 0);
  Put16(s, 1);
  Put16(s, 1);
  s += char(size);
  s += char(size);
  s += char(0);
  s += char(0);
  Put16(s, 1);
  Put16(s, 24);
  Put32(s, hdr.size() + body.size());
  Put32(s, 6 + 16);
  Write(path, s + hdr + body);
}

struct Wmf {
  std::string recs;
  unsigned maxRec = 0;
  void Rec(unsigned fn, const std::vector<int>& words) {
    unsigned size = 3 + words.size();
    Put32(recs, size);
    Put16(recs, fn);
    for (int w : words) Put16(recs, unsigned(w) & 0xFFFF);
    if (size > maxRec) maxRec = size;
  }
};

void WriteWmf(const std::string& path) {
  Wmf m;
  m.Rec(0x020B, {0, 0});                      // window origin
  m.Rec(0x020C, {1000, 1600});                // window extent (y, x)
  m.Rec(0x02FC, {0, 0xC080, 0x00FF, 0});      // brush: solid sky (BGR)
  m.Rec(0x02FA, {0, 20, 0, 0x3020, 0x0010});  // pen: dark, width 20
  m.Rec(0x012D, {0});
  m.Rec(0x012D, {1});
  m.Rec(0x041B, {600, 1600, 0, 0});       // sky rectangle (bottom, right, top, left)
  m.Rec(0x02FC, {0, 0xD2FF, 0x003C, 0});  // brush: sun
  m.Rec(0x012D, {2});
  m.Rec(0x0418, {560, 1000, 240, 600});   // sun ellipse
  m.Rec(0x02FC, {0, 0x4614, 0x00A0, 0});  // brush: sea
  m.Rec(0x012D, {3});
  m.Rec(0x0324, {4, 0, 600, 1600, 600, 1600, 1000, 0, 1000});  // sea polygon
  m.Rec(0x0214, {800, 100});                                   // move to (y, x)
  m.Rec(0x0213, {800, 1500});                                  // line to
  // A font 120 units high, bold.
  std::vector<int> font = {-120, 0, 0, 0, 700, 0, 0, 0};
  const char face[] = "Noto Sans CJK JP";
  for (size_t i = 0; i < sizeof face; i += 2)
    font.push_back(uint8_t(face[i]) | (i + 1 < sizeof face ? uint8_t(face[i + 1]) << 8 : 0));
  m.Rec(0x02FB, font);
  m.Rec(0x012D, {4});
  m.Rec(0x0209, {0xFFFF, 0x00FF});  // white text
  m.Rec(0x0102, {1});               // transparent background
  std::string text = "Navirt WMF";
  std::vector<int> words = {int(text.size())};
  for (size_t i = 0; i < text.size(); i += 2)
    words.push_back(uint8_t(text[i]) | (i + 1 < text.size() ? uint8_t(text[i + 1]) << 8 : 0));
  words.push_back(840);  // y
  words.push_back(100);  // x
  m.Rec(0x0521, words);
  // A 4 x 4 checker bitmap drawn 160 x 160 units at the top left.
  std::vector<int> dib = {40, 0, 4, 0, 4, 0, 1, 24, 0, 0, 48, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; x += 2) {
      // Two pixels (6 bytes) per three words: red or white by the square.
      bool a = (x + y) % 2 == 0, b = (x + 1 + y) % 2 == 0;
      uint8_t px[6] = {uint8_t(a ? 0 : 255), uint8_t(a ? 0 : 255), 255,
                       uint8_t(b ? 0 : 255), uint8_t(b ? 0 : 255), 255};
      for (int k = 0; k < 6; k += 2) dib.push_back(px[k] | (px[k + 1] << 8));
    }
  std::vector<int> stretch = {0x0020, 0x00CC, 0, 4, 4, 0, 0, 160, 160, 20, 20};  // SRCCOPY, DIB colours
  stretch.insert(stretch.end(), dib.begin(), dib.end());
  m.Rec(0x0F43, stretch);
  m.Rec(0x0000, {});
  std::string s;
  // Placeable header: 1600 x 1000 units at 1440 per inch ~ 106 x 66 pixels
  // at 96 dpi; 4800 x 3000 at 1440 makes 320 x 200.
  Put32(s, 0x9AC6CDD7);
  Put16(s, 0);
  Put16(s, 0);
  Put16(s, 0);
  Put16(s, 1600);
  Put16(s, 1000);
  Put16(s, 480);  // units per inch: 1600 / 480 * 96 = 320 pixels wide
  Put32(s, 0);
  unsigned sum = 0;
  for (size_t i = 0; i < 20; i += 2) sum ^= uint8_t(s[i]) | (uint8_t(s[i + 1]) << 8);
  Put16(s, sum);
  std::string h;
  Put16(h, 1);
  Put16(h, 9);
  Put16(h, 0x0300);
  Put32(h, (18 + m.recs.size()) / 2);
  Put16(h, 4);
  Put32(h, m.maxRec);
  Put16(h, 0);
  Write(path, s + h + m.recs);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = argc > 1 ? argv[1] : "samples";
  WriteJpeg(dir + "/picture_sunset.jpg", 320, 200);
  WriteGif(dir + "/picture_sunset.gif", 160, 100);
  WriteBmp(dir + "/picture_sunset.bmp", 120, 80);
  WriteIco(dir + "/picture_icon.ico", 32);
  WriteWmf(dir + "/picture_drawing.wmf");
  // Not a JPEG at all: the preview falls back to text.
  Write(dir + "/picture_broken.jpg", "This file is named .jpg but holds text.\r\nIt is shown as text.\r\n");
  return 0;
}
