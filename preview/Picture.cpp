#include "preview/Picture.h"

#include <algorithm>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <gif_lib.h>
#include <jpeglib.h>

#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

namespace navirt {

bool IsPictureFile(const std::string& path) {
  std::string e = UpperExtension(path);
  return e == ".BMP" || e == ".ICO" || e == ".JPG" || e == ".JPEG" || e == ".GIF" || e == ".WMF";
}

// ---------------------------------------------------------------- JPEG

namespace {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void JpegErrorExit(j_common_ptr cinfo) {
  auto* e = reinterpret_cast<JpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  std::longjmp(e->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

// Pixel limit: a picture that would need more memory than this is refused
// rather than risking the process.
constexpr uint64_t kMaxPixels = 1ull << 28;

}  // namespace

bool DecodeJpeg(std::string_view bytes, RgbaImage& out, int* fullWidth, int* fullHeight, int fitWidth, int fitHeight,
                std::string* error) {
  out = RgbaImage{};
  if (bytes.size() < 4) {
    if (error) *error = "not a JPEG file";
    return false;
  }
  jpeg_decompress_struct cinfo;
  JpegError jerr;
  cinfo.err = jpeg_std_error(&jerr.mgr);
  jerr.mgr.error_exit = JpegErrorExit;
  jerr.mgr.emit_message = JpegQuiet;
  jerr.message[0] = 0;
  // Everything the jump may cross lives outside the protected block.
  std::vector<uint32_t>* pixels = &out.pixels;
  if (setjmp(jerr.jump)) {
    jpeg_destroy_decompress(&cinfo);
    pixels->clear();
    out.width = out.height = 0;
    if (error) *error = jerr.message;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  if (fullWidth) *fullWidth = static_cast<int>(cinfo.image_width);
  if (fullHeight) *fullHeight = static_cast<int>(cinfo.image_height);
  cinfo.out_color_space = JCS_EXT_BGRA;  // 0xAARRGGBB in memory on little-endian machines
  cinfo.scale_num = 1;
  cinfo.scale_denom = 1;
  if (fitWidth > 0 && fitHeight > 0) {
    for (unsigned d : {8u, 4u, 2u}) {
      if (cinfo.image_width / d >= static_cast<unsigned>(fitWidth) &&
          cinfo.image_height / d >= static_cast<unsigned>(fitHeight)) {
        cinfo.scale_denom = d;
        break;
      }
    }
  }
  cinfo.dct_method = JDCT_ISLOW;
  // The decoder may hold the whole picture's coefficients: refuse sizes
  // no photograph has before it allocates anything.
  if (static_cast<uint64_t>(cinfo.image_width) * cinfo.image_height > kMaxPixels / 2) {
    std::strcpy(jerr.message, "picture too large");
    std::longjmp(jerr.jump, 1);
  }
  jpeg_start_decompress(&cinfo);
  uint64_t count = static_cast<uint64_t>(cinfo.output_width) * cinfo.output_height;
  if (count == 0 || count > kMaxPixels || cinfo.output_components != 4) {
    std::strcpy(jerr.message, "picture too large");
    std::longjmp(jerr.jump, 1);
  }
  pixels->resize(count);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row =
        reinterpret_cast<JSAMPROW>(pixels->data() + static_cast<size_t>(cinfo.output_scanline) * cinfo.output_width);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  out.width = static_cast<int>(cinfo.output_width);
  out.height = static_cast<int>(cinfo.output_height);
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// ---------------------------------------------------------------- GIF

namespace {

struct GifSource {
  std::string_view bytes;
  size_t pos = 0;
};

int GifRead(GifFileType* gif, GifByteType* buf, int len) {
  auto* src = static_cast<GifSource*>(gif->UserData);
  size_t n = std::min(static_cast<size_t>(len < 0 ? 0 : len), src->bytes.size() - src->pos);
  std::memcpy(buf, src->bytes.data() + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

}  // namespace

bool DecodeGif(std::string_view bytes, RgbaImage& out, std::string* error) {
  out = RgbaImage{};
  GifSource src{bytes, 0};
  int err = 0;
  GifFileType* gif = DGifOpen(&src, GifRead, &err);
  if (!gif) {
    if (error) *error = GifErrorString(err) ? GifErrorString(err) : "not a GIF file";
    return false;
  }
  auto fail = [&](const char* why) {
    if (error) *error = why ? why : "broken GIF file";
    int e2 = 0;
    DGifCloseFile(gif, &e2);
    out = RgbaImage{};
    return false;
  };
  if (gif->SWidth <= 0 || gif->SHeight <= 0) return fail("GIF file without a picture");
  uint64_t count = static_cast<uint64_t>(gif->SWidth) * static_cast<uint64_t>(gif->SHeight);
  if (count > kMaxPixels) return fail("picture too large");
  // Record by record up to the first image, so a frame's size is checked
  // before anything is allocated for it.
  int transparent = -1;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) != GIF_OK) return fail(GifErrorString(gif->Error));
    if (type == TERMINATE_RECORD_TYPE) return fail("GIF file without a picture");
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif, &code, &ext) != GIF_OK) return fail(GifErrorString(gif->Error));
      if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK) transparent = gcb.TransparentColor;
      }
      while (ext) {
        if (DGifGetExtensionNext(gif, &ext) != GIF_OK) return fail(GifErrorString(gif->Error));
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif) != GIF_OK) return fail(GifErrorString(gif->Error));
    break;
  }
  const GifImageDesc& desc = gif->Image;
  const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
  if (!map) return fail("GIF file without colours");
  const int fw = desc.Width, fh = desc.Height, fl = desc.Left, ft = desc.Top;
  if (fw <= 0 || fh <= 0 || static_cast<uint64_t>(fw) * static_cast<uint64_t>(fh) > kMaxPixels)
    return fail("broken GIF file");
  out.width = gif->SWidth;
  out.height = gif->SHeight;
  out.pixels.assign(count, 0u);
  // Interlaced rows come in four passes.
  std::vector<int> rowOf(static_cast<size_t>(fh));
  if (desc.Interlace) {
    int r = 0;
    const int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
      for (int y = starts[p]; y < fh; y += steps[p]) rowOf[static_cast<size_t>(r++)] = y;
  } else {
    for (int y = 0; y < fh; ++y) rowOf[static_cast<size_t>(y)] = y;
  }
  std::vector<GifPixelType> line(static_cast<size_t>(fw));
  for (int r = 0; r < fh; ++r) {
    if (DGifGetLine(gif, line.data(), fw) != GIF_OK) break;  // a cut file shows what it has
    int y = ft + rowOf[static_cast<size_t>(r)];
    if (y < 0 || y >= out.height) continue;
    for (int x = 0; x < fw; ++x) {
      int px = fl + x;
      if (px < 0 || px >= out.width) continue;
      int idx = line[static_cast<size_t>(x)];
      if (idx == transparent || idx >= map->ColorCount) continue;
      const GifColorType& c = map->Colors[idx];
      out.pixels[static_cast<size_t>(y) * out.width + px] =
          0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
    }
  }
  int e2 = 0;
  DGifCloseFile(gif, &e2);
  return true;
}

// ---------------------------------------------------------------- sizing

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

PictureLayout ComputePictureLayout(int pw, int ph, int paneW, int paneH, int zoom, bool stretchOption,
                                   bool prevStretch) {
  PictureLayout l;
  l.stretch = prevStretch;
  if (!stretchOption) {
    l.stretch = false;
    l.autoSize = true;
    l.width = pw;
    l.height = ph;
    return l;
  }
  l.left = 1;
  l.top = 0;
  l.width = paneW;
  l.height = paneH;
  if (pw <= 0 || ph <= 0) return l;
  double r = static_cast<double>(pw) / ph;
  if (zoom >= 2 && zoom <= 500) {
    l.left = 0;
    l.width = RoundHalfEven(pw * static_cast<double>(zoom) / 100.0);
    l.height = RoundHalfEven(ph * static_cast<double>(zoom) / 100.0);
    l.stretch = true;
  } else if (zoom == 0) {
    if (ph < l.height) l.height = ph;
    if (pw < l.width) l.width = pw;
    // The box the whole picture must fit in, both ways: a landscape
    // picture in a short, wide pane is bounded by the height, not the
    // width (sizing by the longer side alone would overflow it).
    const int boxW = l.width, boxH = l.height;
    if (ph > pw) {
      l.width = RoundHalfEven(l.height * r);
      l.stretch = true;
    } else if (pw > ph) {
      l.height = RoundHalfEven(l.width / r);
      l.stretch = true;
    } else if (boxW != boxH) {
      // Square, and larger than the pane one way: a square in the box.
      l.width = l.height = std::min(boxW, boxH);
      l.stretch = true;
    }
    if (l.width > boxW) {
      l.width = boxW;
      l.height = std::max(1, RoundHalfEven(boxW / r));
    }
    if (l.height > boxH) {
      l.height = boxH;
      l.width = std::max(1, RoundHalfEven(boxH * r));
    }
  }
  return l;
}

std::string PictureSizeText(int width, int height) {
  return std::to_string(width) + " x " + std::to_string(height) +
         " \xef\xbe\x8b\xef\xbe\x9f\xef\xbd\xb8\xef\xbd\xbe\xef\xbe\x99";
}

}  // namespace navirt
