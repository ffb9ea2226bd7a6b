#include "app/ui/AppIcon.h"

#include <QFont>
#include <QPainter>

#include "host/ui/FontUtil.h"

QPixmap NavirtIconPixmap(int size) {
  // The icon the desktop's menu shows for Navirt (dist/icons), so the window
  // and the menu agree.
  QPixmap pm(size <= 48 ? QStringLiteral(":/navirt/navirt-48.png") : QStringLiteral(":/navirt/navirt-256.png"));
  return pm.width() == size ? pm : pm.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QIcon NavirtIcon() {
  QIcon icon;
  for (int s : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(NavirtIconPixmap(s));
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
