#include "app/ui/Icons.h"

#include <QAction>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "host/ui/FontUtil.h"

namespace {

struct ButtonIcon {
  const char* button;
  const char* theme;
  const char* initial;  // UTF-8, drawn when the theme has nothing
};

// One row per toolbar button the window knows.
constexpr ButtonIcon kButtonIcons[] = {
    {"ToolButton2", "application-exit", "終"},
    {"SBeditview", "view-conceal", "隠"},
    {"ToolButton49", "document-open", "表"},
    {"ToolButton17", "view-refresh", "再"},
    {"ToolButton39", "format-justify-fill", "折"},
    {"ToolButton10", "edit-cut", "切"},
    {"ToolButton14", "edit-copy", "写"},
    {"ToolButton19", "edit-paste", "貼"},
    {"ToolButton21", "edit-delete", "削"},
    {"ToolButton54", "document-save", "保"},
    {"ToolButton20", "document-save-as", "名"},
    {"ToolButton25", "go-top", "頭"},
    {"ToolButton26", "go-bottom", "末"},
    {"ToolButton7", "document-edit", "編"},
    {"ToolButton13", "view-app-grid", "大"},
    {"ToolButton22", "view-grid", "小"},
    {"ToolButton27", "view-list", "一"},
    {"ToolButton28", "view-list-details", "詳"},
    {"ToolButton38", "drive-harddisk", "ド"},
    {"ToolButton55", "go-up", "上"},
    {"ToolButton46", "view-sort-ascending", "並"},
    {"ToolButton41", "folder-open", "フ"},
    {"ToolButton12", "view-filter", "拡"},
    {"ToolButton52", "format-text-direction-ltr", "字"},
    {"ToolButton36", "document-print", "印"},
    {"ToolButton35", "document-page-setup", "設"},
    {"ToolButton8", "help-contents", "？"},
    {"ToolButton42", "archive-extract", "解"},
    {"ToolButton43", "archive-insert", "作"},
    {"ToolButton44", "package-x-generic", "覧"},
    {"ToolButton11", "folder-bookmark", "登"},
    {"ToolButton30", "accessories-text-editor", "エ"},
    {"ToolButton34", "system-run", "実"},
    {"ToolButton4", "edit-copy", "コ"},
    {"ToolButton5", "go-next", "移"},
    {"ToolButton3", "user-trash", "捨"},
    {"ToolButton6", "edit-rename", "改"},
    {"ToolButton40", "document-properties", "属"},
    {"ToolButton47", "utilities-terminal", "Ｄ"},
    {"ToolButton33", "edit-find", "検"},
    {"ToolButton53", "edit-find-replace", "置"},
    {"ToolButton48", "applications-internet", "U"},
};

QIcon DrawnIcon(const QString& initial) {
  QIcon icon;
  for (int size : {16, 20, 24, 32}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x35, 0x5c, 0x8a), 1));
    p.setBrush(QColor(0xe8, 0xf0, 0xfa));
    p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
    QFont f(DefaultWindowFontName());
    f.setPixelSize(size * 2 / 3);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x1d, 0x3a, 0x5c));
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, initial);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

}  // namespace

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

QIcon CommandIcon(const char* themeName, const QString& initial) {
  for (QString name : {QString::fromLatin1(themeName), QString::fromLatin1(themeName) + "-symbolic"}) {
    QIcon icon = QIcon::fromTheme(name);
    // A theme of SVG files without the SVG reader gives icons that draw nothing.
    if (!icon.isNull() && !icon.pixmap(20, 20).isNull()) return icon;
  }
  return DrawnIcon(initial);
}

void ApplyToolbarIcons(QWidget* window) {
  for (const ButtonIcon& b : kButtonIcons) {
    if (QAction* a = window->findChild<QAction*>(b.button))
      a->setIcon(CommandIcon(b.theme, QString::fromUtf8(b.initial)));
  }
}
