#include <gtest/gtest.h>

#include "platform/FileInfo.h"
#include "preview/InfoLine.h"
#include "preview/Picture.h"
#include "preview/Wmf.h"

namespace navirt {
namespace {

std::string Sample(const char* name) {
  std::string s;
  EXPECT_TRUE(ReadWholeFile(std::string(NAVIRT_SOURCE_DIR) + "/samples/" + name, s)) << name;
  return s;
}

TEST(Picture, FilesThatArePictures) {
  EXPECT_TRUE(IsPictureFile("/a/b.JpEg"));
  EXPECT_TRUE(IsPictureFile("/a/b.wmf"));
  EXPECT_TRUE(IsPictureFile("/a/.x/b.ico"));
  EXPECT_FALSE(IsPictureFile("/a/b.png"));
  EXPECT_FALSE(IsPictureFile("/a.jpg/b"));
  EXPECT_EQ(UpperExtension("/d/x.tar.gz"), ".GZ");
}

TEST(Picture, SizingExamples) {
  // Whole picture, wider than high: 600 x 450, stretched.
  PictureLayout l = ComputePictureLayout(1600, 1200, 600, 500, 0, true, false);
  EXPECT_EQ(l.width, 600);
  EXPECT_EQ(l.height, 450);
  EXPECT_TRUE(l.stretch);
  EXPECT_EQ(l.left, 1);
  // Higher than wide: 200 x 400.
  l = ComputePictureLayout(300, 600, 600, 400, 0, true, false);
  EXPECT_EQ(l.width, 200);
  EXPECT_EQ(l.height, 400);
  EXPECT_TRUE(l.stretch);
  // 200 %: 200 x 100 at the top left.
  l = ComputePictureLayout(100, 50, 600, 400, 200, true, false);
  EXPECT_EQ(l.width, 200);
  EXPECT_EQ(l.height, 100);
  EXPECT_EQ(l.left, 0);
  EXPECT_TRUE(l.stretch);
  // A square picture keeps the previous stretch flag and its own size when
  // smaller than the pane.
  l = ComputePictureLayout(100, 100, 600, 400, 0, true, true);
  EXPECT_EQ(l.width, 100);
  EXPECT_EQ(l.height, 100);
  EXPECT_TRUE(l.stretch);
  EXPECT_FALSE(ComputePictureLayout(100, 100, 600, 400, 0, true, false).stretch);
  // The whole picture fits both ways: a landscape picture in a short, wide
  // pane is bounded by the height (not 1139 x 854 in 1139 x 463), a tall
  // one in a narrow pane by the width, a large square by the shorter side.
  l = ComputePictureLayout(1600, 1200, 1139, 463, 0, true, false);
  EXPECT_EQ(l.width, 617);
  EXPECT_EQ(l.height, 463);
  EXPECT_TRUE(l.stretch);
  l = ComputePictureLayout(300, 1200, 200, 600, 0, true, false);
  EXPECT_EQ(l.width, 150);
  EXPECT_EQ(l.height, 600);
  l = ComputePictureLayout(300, 1200, 100, 600, 0, true, false);
  EXPECT_EQ(l.width, 100);
  EXPECT_EQ(l.height, 400);
  l = ComputePictureLayout(1000, 1000, 1139, 463, 0, true, false);
  EXPECT_EQ(l.width, 463);
  EXPECT_EQ(l.height, 463);
  EXPECT_TRUE(l.stretch);
  // Halves round to even: 75 % of 2 x 6 is 1.5 x 4.5 -> 2 x 4.
  l = ComputePictureLayout(2, 6, 600, 400, 75, true, false);
  EXPECT_EQ(l.width, 2);
  EXPECT_EQ(l.height, 4);
  // Scaling off: own size, auto-size, no stretch.
  l = ComputePictureLayout(1600, 1200, 600, 500, 0, false, true);
  EXPECT_TRUE(l.autoSize);
  EXPECT_FALSE(l.stretch);
  EXPECT_EQ(l.width, 1600);
  EXPECT_EQ(PictureSizeText(1600, 1200), "1600 x 1200 ﾋﾟｸｾﾙ");
}

TEST(Picture, DecodesTheSamplePictures) {
  RgbaImage img;
  int w = 0, h = 0;
  std::string err;
  ASSERT_TRUE(DecodeJpeg(Sample("picture_sunset.jpg"), img, &w, &h, 0, 0, &err)) << err;
  EXPECT_EQ(w, 320);
  EXPECT_EQ(h, 200);
  ASSERT_EQ(img.pixels.size(), 320u * 200);
  // The sun in the middle is yellow, the sea at the bottom blue.
  uint32_t sun = img.pixels[90 * 320 + 160];
  EXPECT_GT((sun >> 16) & 0xFF, 200u);
  EXPECT_GT((sun >> 8) & 0xFF, 150u);
  uint32_t sea = img.pixels[190 * 320 + 10];
  EXPECT_GT(sea & 0xFF, (sea >> 16) & 0xFF);
  EXPECT_EQ(sun >> 24, 0xFFu);
  // Scaled decoding for a small pane keeps the full size known.
  ASSERT_TRUE(DecodeJpeg(Sample("picture_sunset.jpg"), img, &w, &h, 80, 50));
  EXPECT_EQ(img.width, 80);
  EXPECT_EQ(w, 320);

  ASSERT_TRUE(DecodeGif(Sample("picture_sunset.gif"), img, &err)) << err;
  EXPECT_EQ(img.width, 160);
  EXPECT_EQ(img.height, 100);
  EXPECT_EQ(img.pixels[0], 0u);  // the transparent frame
  EXPECT_EQ(img.pixels[45 * 160 + 80], 0xFFFFD23Cu);

  WmfPicture wmf;
  ASSERT_TRUE(ParseWmf(Sample("picture_drawing.wmf"), wmf, &err)) << err;
  EXPECT_EQ(wmf.width, 320);
  EXPECT_EQ(wmf.height, 200);
  EXPECT_EQ(wmf.extX, 1600);
  ASSERT_EQ(wmf.shapes.size(), 6u);
  EXPECT_EQ(wmf.shapes[5].kind, WmfShape::Bitmap);
  EXPECT_EQ(wmf.shapes[5].dib.size(), 40u + 48u);
  EXPECT_EQ(wmf.shapes[5].points[1].x, 180);
  EXPECT_EQ(wmf.shapes[0].kind, WmfShape::Rectangle);
  EXPECT_EQ(wmf.shapes[0].brush.color, 0x80C0FFu);
  EXPECT_EQ(wmf.shapes[1].kind, WmfShape::Ellipse);
  EXPECT_EQ(wmf.shapes[2].points.size(), 4u);
  EXPECT_EQ(wmf.shapes[4].text, "Navirt WMF");
  EXPECT_EQ(wmf.shapes[4].textColor, 0xFFFFFFu);
  EXPECT_TRUE(wmf.shapes[4].transparentText);
}

TEST(Picture, MetafileArcsPiesAndChords) {
  // A minimal metafile: header, window extent, a pie and an arc, end.
  auto le16 = [](std::string& s, int v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
  };
  std::string recs;
  auto rec = [&](int fn, std::vector<int> words) {
    le16(recs, 3 + static_cast<int>(words.size()));
    le16(recs, 0);
    le16(recs, fn);
    for (int w : words) le16(recs, w);
  };
  rec(0x020C, {100, 200});
  rec(0x081A, {0, 100, 50, 200, 100, 200, 0, 0});
  rec(0x0817, {10, 20, 30, 40, 90, 190, 10, 10});
  rec(0x0000, {});
  std::string wmf;
  for (int w : {1, 9, 0x0300, 0, 0, 0, 0, 0, 0}) le16(wmf, w);
  wmf += recs;
  WmfPicture pic;
  std::string err;
  ASSERT_TRUE(ParseWmf(wmf, pic, &err)) << err;
  EXPECT_EQ(pic.width, 200);
  EXPECT_EQ(pic.height, 100);
  ASSERT_EQ(pic.shapes.size(), 2u);
  EXPECT_EQ(pic.shapes[0].kind, WmfShape::Pie);
  ASSERT_EQ(pic.shapes[0].points.size(), 4u);
  EXPECT_EQ(pic.shapes[0].points[1].x, 200);  // right
  EXPECT_EQ(pic.shapes[0].points[2].x, 200);  // start radial x
  EXPECT_EQ(pic.shapes[0].points[3].y, 0);    // end radial y
  EXPECT_EQ(pic.shapes[1].kind, WmfShape::Arc);
  // Cut inside the arc record: refused.
  EXPECT_FALSE(ParseWmf(wmf.substr(0, wmf.size() - 20), pic));
}

TEST(Picture, BrokenFilesAreRefused) {
  RgbaImage img;
  int w = 0, h = 0;
  std::string err;
  std::string broken = Sample("picture_broken.jpg");
  EXPECT_FALSE(DecodeJpeg(broken, img, &w, &h, 0, 0, &err));
  EXPECT_FALSE(err.empty());
  EXPECT_TRUE(img.pixels.empty());
  // A JPEG cut in half still gives no picture or a whole one, never a crash.
  std::string jpg = Sample("picture_sunset.jpg");
  for (size_t cut : {size_t(2), size_t(20), jpg.size() / 2}) DecodeJpeg(jpg.substr(0, cut), img, &w, &h);
  EXPECT_FALSE(DecodeGif("GIF89a", img));
  EXPECT_FALSE(DecodeGif(broken, img));
  std::string gif = Sample("picture_sunset.gif");
  for (size_t cut = 0; cut < gif.size(); cut += 37) DecodeGif(gif.substr(0, cut), img);
  WmfPicture wmf;
  EXPECT_FALSE(ParseWmf(broken, wmf));
  std::string w32 = Sample("picture_drawing.wmf");
  for (size_t cut = 0; cut < w32.size(); cut += 5) ParseWmf(w32.substr(0, cut), wmf);
  EXPECT_FALSE(ParseWmf(w32.substr(0, 40), wmf));
}

}  // namespace
}  // namespace navirt
