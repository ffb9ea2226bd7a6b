#include "app/ui/AppIcon.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

#include "host/ui/FontUtil.h"

QPixmap NavirtIconPixmap(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, size);
  g.setColorAt(0, QColor(0x2b, 0x6c, 0xb0));
  g.setColorAt(1, QColor(0x15, 0x3e, 0x75));
  p.setBrush(g);
  p.setPen(Qt::NoPen);
  p.drawRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
  p.setPen(Qt::white);
  QFont f(DefaultWindowFontName());
  f.setPixelSize(static_cast<int>(size * 0.62));
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, QStringLiteral("文"));
  return pm;
}

QIcon NavirtIcon() {
  QIcon icon;
  for (int s : {16, 24, 32, 48, 64, 128}) icon.addPixmap(NavirtIconPixmap(s));
  return icon;
}

QPixmap NavirtSplashPixmap() {
  QPixmap pm(360, 160);
  pm.fill(QColor(0xf4, 0xf6, 0xfa));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(0x15, 0x3e, 0x75));
  p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
  p.drawPixmap(24, 40, NavirtIconPixmap(80));
  QFont title(DefaultWindowFontName());
  title.setPixelSize(34);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(124, 36, 220, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Navirt"));
  QFont ver(DefaultWindowFontName());
  ver.setPixelSize(16);
  p.setFont(ver);
  p.drawText(QRect(126, 88, 220, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ver. " NAVIRT_VERSION));
  return pm;
}
