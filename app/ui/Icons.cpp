#include "app/ui/Icons.h"

#include <QIcon>

void ChooseIconTheme() {
  auto usable = [] { return QIcon::hasThemeIcon("edit-cut") || QIcon::hasThemeIcon("edit-cut-symbolic"); };
  if (usable()) return;
  const QString before = QIcon::themeName();
  for (const char* theme : {"breeze", "Adwaita", "gnome", "oxygen", "Tango", "elementary", "Papirus"}) {
    QIcon::setThemeName(theme);
    if (usable()) return;
  }
  QIcon::setThemeName(before);
}
