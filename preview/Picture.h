#pragma once
// Picture files of the preview: which files are pictures, decoding of JPEG
// (libjpeg) and GIF (giflib), and the sizing rules of the picture control.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

// ".BMP", ".ICO", ".JPG", ".JPEG", ".GIF", ".WMF", and through Qt's image
// plugins ".PNG", ".WEBP", ".TIF", ".TIFF", ".SVG"; compared upper-cased.
bool IsPictureFile(const std::string& path);

// 32-bit pixels 0xAARRGGBB, rows top to bottom, no padding.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
};

// Decodes a JPEG. The picture's own size goes to fullWidth/fullHeight; when
// fitWidth/fitHeight are positive the decoder may scale down by 1/2, 1/4 or
// 1/8 as long as the result still covers that size. False (with a reason)
// on broken input.
bool DecodeJpeg(std::string_view bytes, RgbaImage& out, int* fullWidth, int* fullHeight, int fitWidth = 0,
                int fitHeight = 0, std::string* error = nullptr);

// Decodes the first frame of a GIF onto its logical screen (transparent
// where nothing is drawn).
bool DecodeGif(std::string_view bytes, RgbaImage& out, std::string* error = nullptr);

// Where the picture control goes and how it shows the picture.
struct PictureLayout {
  int left = 0, top = 0, width = 0, height = 0;
  bool stretch = false;   // the picture is scaled to the control
  bool autoSize = false;  // the control takes the picture's size
};

// The sizing rules. zoom 0 fits the whole picture, 2..500 is a percentage;
// stretchOption is "画像拡大縮小表示"; prevStretch is the stretch flag of
// the previous picture, which some cases keep.
PictureLayout ComputePictureLayout(int pictureWidth, int pictureHeight, int paneWidth, int paneHeight, int zoom,
                                   bool stretchOption, bool prevStretch);

// Rounds halves to even, as the sizing rules want.
int RoundHalfEven(double v);

// "W x H ﾋﾟｸｾﾙ" (UTF-8) for the status bar.
std::string PictureSizeText(int width, int height);

}  // namespace navirt
