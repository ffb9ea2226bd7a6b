#include "preview/ui/PictureView.h"

#include <QAction>
#include <QActionGroup>
#include <QBuffer>
#include <QImageReader>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstring>

#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"
#include "preview/Picture.h"
#include "preview/ui/PreviewCommandIds.h"

using namespace navirt;

namespace {

QImage FromRgba(RgbaImage&& img) {
  QImage q(img.width, img.height, QImage::Format_ARGB32);
  for (int y = 0; y < img.height; ++y)
    std::memcpy(q.scanLine(y), img.pixels.data() + static_cast<size_t>(y) * img.width,
                static_cast<size_t>(img.width) * 4);
  return q;
}

QColor Color(uint32_t rgb) { return QColor(QRgb(0xFF000000u | rgb)); }

QPen PenOf(const WmfPen& p) {
  if (p.style == 5) return QPen(Qt::NoPen);
  QPen pen(Color(p.color));
  pen.setWidth(std::max(0, p.width));
  static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine, Qt::DashDotDotLine};
  pen.setStyle(p.style >= 0 && p.style < 5 ? styles[p.style] : Qt::SolidLine);
  return pen;
}

QBrush BrushOf(const WmfBrush& b) {
  if (b.style == 1) return Qt::NoBrush;
  return QBrush(Color(b.color));
}

uint32_t Le32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) | (uint32_t(uint8_t(b[at + 1])) << 8) | (uint32_t(uint8_t(b[at + 2])) << 16) |
         (uint32_t(uint8_t(b[at + 3])) << 24);
}

// A metafile's bitmap decoded by Qt's BMP reader, given the file header a
// ".bmp" file would have.
QImage DibToImage(const std::string& dib) {
  uint32_t headerSize = Le32(dib, 0);
  if (headerSize < 12 || headerSize > dib.size()) return {};
  uint32_t colours = 0, compression = 0;
  int bits = 0;
  if (headerSize == 12) {
    bits = uint8_t(dib[10]) | (uint8_t(dib[11]) << 8);
    if (bits <= 8) colours = 1u << bits;
  } else {
    bits = uint8_t(dib[14]) | (uint8_t(dib[15]) << 8);
    compression = Le32(dib, 16);
    colours = Le32(dib, 32);
    if (colours == 0 && bits <= 8) colours = 1u << bits;
  }
  if (colours > 256) return {};
  uint32_t masks = (headerSize == 40 && (compression == 3 || compression == 6)) ? 12 : 0;
  uint32_t offset = 14 + headerSize + masks + colours * (headerSize == 12 ? 3 : 4);
  std::string file = "BM";
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) file += static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  put32(static_cast<uint32_t>(14 + dib.size()));
  put32(0);
  put32(offset);
  file += dib;
  QImage img;
  img.loadFromData(reinterpret_cast<const uchar*>(file.data()), static_cast<int>(file.size()), "BMP");
  return img;
}

}  // namespace

QImage RenderWmf(const WmfPicture& wmf, QSize size) {
  QImage img(size, QImage::Format_ARGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(static_cast<double>(size.width()) / wmf.extX, static_cast<double>(size.height()) / wmf.extY);
  p.translate(-wmf.orgX, -wmf.orgY);
  for (const WmfShape& s : wmf.shapes) {
    p.setPen(PenOf(s.pen));
    p.setBrush(BrushOf(s.brush));
    QPolygon poly;
    for (const auto& pt : s.points) poly << QPoint(pt.x, pt.y);
    switch (s.kind) {
      case WmfShape::Line:
      case WmfShape::Polyline:
        p.drawPolyline(poly);
        break;
      case WmfShape::Polygon:
        p.drawPolygon(poly, s.alternateFill ? Qt::OddEvenFill : Qt::WindingFill);
        break;
      case WmfShape::Rectangle:
        if (poly.size() == 2) p.drawRect(QRect(poly[0], poly[1]).normalized());
        break;
      case WmfShape::Ellipse:
        if (poly.size() == 2) p.drawEllipse(QRect(poly[0], poly[1]).normalized());
        break;
      case WmfShape::RoundRect:
        if (poly.size() == 2) p.drawRoundedRect(QRect(poly[0], poly[1]).normalized(), s.cornerW / 2.0, s.cornerH / 2.0);
        break;
      case WmfShape::Arc:
      case WmfShape::Pie:
      case WmfShape::Chord: {
        if (poly.size() != 4) break;
        QRectF box = QRectF(QPointF(poly[0]), QPointF(poly[1])).normalized();
        if (box.width() <= 0 || box.height() <= 0) break;
        // Counter-clockwise from the start radial to the end radial, with
        // y growing downwards as in the metafile.
        QPointF c = box.center();
        auto angle = [&](QPoint p) {
          return std::atan2(-(p.y() - c.y()) / box.height(), (p.x() - c.x()) / box.width()) * 180.0 / M_PI;
        };
        double a0 = angle(poly[2]), a1 = angle(poly[3]);
        double span = a1 - a0;
        if (span <= 0) span += 360;
        QPainterPath path;
        if (s.kind == WmfShape::Pie)
          path.moveTo(c);
        else
          path.arcMoveTo(box, a0);
        path.arcTo(box, a0, span);
        if (s.kind != WmfShape::Arc) path.closeSubpath();
        if (s.kind == WmfShape::Arc) p.setBrush(Qt::NoBrush);
        p.drawPath(path);
        break;
      }
      case WmfShape::Bitmap: {
        if (poly.size() != 2 || s.dib.size() < 40) break;
        QImage bmp = DibToImage(s.dib);
        if (bmp.isNull()) break;
        p.drawImage(QRectF(QPointF(poly[0]), QPointF(poly[1])).normalized(), bmp);
        break;
      }
      case WmfShape::Pixel:
        if (!poly.isEmpty()) {
          p.setPen(Color(s.color));
          p.drawPoint(poly[0]);
        }
        break;
      case WmfShape::Text: {
        if (poly.isEmpty()) break;
        QFont font(s.font.face.empty() ? QString("Noto Sans CJK JP") : TRichEdit::ToScreen(s.font.face));
        // The default font has a device size; a selected one, logical units.
        double sy = static_cast<double>(size.height()) / std::abs(wmf.extY);
        int px = s.font.selected ? std::abs(s.font.height) : static_cast<int>(12 / (sy > 0 ? sy : 1));
        font.setPixelSize(std::max(1, px));
        font.setBold(s.font.weight >= 600);
        font.setItalic(s.font.italic);
        font.setUnderline(s.font.underline);
        font.setStrikeOut(s.font.strikeOut);
        p.setFont(font);
        p.setPen(Color(s.textColor));
        QFontMetrics fm(font);
        // Text is placed by its top left corner, as the default alignment.
        p.drawText(QPoint(poly[0].x(), poly[0].y() + fm.ascent()), TRichEdit::ToScreen(s.text));
        break;
      }
    }
  }
  return img;
}

bool LoadPictureImage(const std::string& path, QSize fit, QImage& image, QSize& fullSize) {
  std::string ext = UpperExtension(path);
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  if (ext == ".JPG" || ext == ".JPEG") {
    RgbaImage img;
    int w = 0, h = 0;
    if (!DecodeJpeg(bytes, img, &w, &h, fit.isValid() ? fit.width() : 0, fit.isValid() ? fit.height() : 0))
      return false;
    fullSize = QSize(w, h);
    image = FromRgba(std::move(img));
    return true;
  }
  if (ext == ".GIF") {
    RgbaImage img;
    if (!DecodeGif(bytes, img)) return false;
    fullSize = QSize(img.width, img.height);
    image = FromRgba(std::move(img));
    return true;
  }
  if (ext == ".WMF") {
    WmfPicture wmf;
    if (!ParseWmf(bytes, wmf)) return false;
    fullSize = QSize(wmf.width, wmf.height);
    // Drawn at the size it is shown (vector pictures scale cleanly).
    QSize draw = fullSize;
    if (fit.isValid() && fit.width() > 0 && fit.height() > 0 && fit.width() <= 8000 && fit.height() <= 8000) draw = fit;
    image = RenderWmf(wmf, draw);
    return true;
  }
  if (ext == ".PNG" || ext == ".WEBP" || ext == ".TIF" || ext == ".TIFF" || ext == ".SVG") {
    // Through Qt's image plugins (qt6-image-formats-plugins, the SVG module).
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    const QByteArray format = ext == ".PNG" ? "png" : ext == ".WEBP" ? "webp" : ext == ".SVG" ? "svg" : "tiff";
    QImageReader reader(&buffer, format);
    const QSize own = reader.size();
    if (!own.isValid() || own.isEmpty()) return false;
    fullSize = own;
    // A drawing is drawn at the size it is shown, as a metafile is.
    if (ext == ".SVG" && fit.isValid() && fit.width() > 0 && fit.height() > 0 && fit.width() <= 8000 &&
        fit.height() <= 8000)
      reader.setScaledSize(own.scaled(fit, Qt::KeepAspectRatio));
    QImage img = reader.read();
    if (img.isNull()) return false;
    image = std::move(img);
    return true;
  }
  if (ext == ".BMP" || ext == ".ICO") {
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QImage img;
    if (!img.loadFromData(data, ext == ".BMP" ? "BMP" : "ICO") || img.isNull()) return false;
    fullSize = img.size();
    image = std::move(img);
    return true;
  }
  return false;
}

int ZoomOfItem(int index) {
  static const int zooms[] = {0, 50, 75, 100, 125, 150, 200, 300};
  return index >= 0 && index < 8 ? zooms[index] : 0;
}

void InstallPictureCommands(IHost& host) {
  TCommandRegistry& reg = host.Commands();
  QWidget* w = host.HostWindow();
  QMenu* opt = host.Menu(HostMenu::Option);
  opt->addSeparator();
  CommandRow show, stretch;
  show.name = cmd::Mgazodisp1;
  show.caption = "画像表示(&G)";
  show.checkable = show.checked = true;
  stretch.name = cmd::Mgazostrech1;
  stretch.caption = "画像拡大縮小表示(&Z)";
  stretch.checkable = stretch.checked = true;
  reg.Install({show, stretch}, opt);

  static const char* captions[] = {"全体表示", " 50%", " 75%", "100%　(等倍)", "125%", "150%", "200%", "300%"};
  static const CommandName names[] = {cmd::Mgazokakudai0, cmd::Mgazokakudai1, cmd::Mgazokakudai2, cmd::Mgazokakudai3,
                                      cmd::Mgazokakudai4, cmd::Mgazokakudai5, cmd::Mgazokakudai6, cmd::Mgazokakudai7};
  QMenu* zoom = opt->addMenu("画像表示倍率の指定");
  zoom->setObjectName("Mgazokakudai");
  std::vector<CommandRow> rows;
  for (int i = 0; i < 8; ++i) {
    CommandRow r;
    r.name = names[i];
    r.caption = captions[i];
    r.run = [i](IHost& h) { h.SetPictureZoom(ZoomOfItem(i)); };
    rows.push_back(r);
  }
  reg.Install(rows, zoom);
  // One check among the eight: the group, with the zoom the settings hold.
  auto* group = new QActionGroup(w);
  std::vector<QAction*> items;
  for (CommandName name : names) {
    QAction* a = reg.Action(name);
    a->setCheckable(true);
    group->addAction(a);
    items.push_back(a);
  }
  IHost* hp = &host;
  auto sync = [hp, items] {
    for (int i = 0; i < 8; ++i) {
      QSignalBlocker b(items[static_cast<size_t>(i)]);
      items[static_cast<size_t>(i)]->setChecked(ZoomOfItem(i) == hp->PictureZoom());
    }
  };
  QObject::connect(zoom, &QMenu::aboutToShow, w, sync);
  // The pop-up's own copy: its items take their twins' checks when it opens.
  QMenu* popupZoom = host.Menu(HostMenu::PanePopup)->addMenu("画像表示倍率の指定");
  popupZoom->setObjectName("PMgazokakudai");
  auto* pgroup = new QActionGroup(w);
  std::vector<QAction*> twins;
  for (int i = 0; i < 8; ++i) {
    QAction* t = new QAction(captions[i], w);
    t->setObjectName(QString("PMgazokakudai%1").arg(i));
    t->setProperty("navirtCommand", QString::fromLatin1(names[i].text));
    t->setCheckable(true);
    pgroup->addAction(t);
    popupZoom->addAction(t);
    QObject::connect(t, &QAction::triggered, items[static_cast<size_t>(i)], &QAction::trigger);
    twins.push_back(t);
  }
  QObject::connect(popupZoom, &QMenu::aboutToShow, w, [sync, items, twins] {
    sync();
    for (int i = 0; i < 8; ++i) twins[static_cast<size_t>(i)]->setChecked(items[static_cast<size_t>(i)]->isChecked());
  });
  sync();
}
