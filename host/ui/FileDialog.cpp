// Sizes come from the dialog's own font, so a larger font widens the
// columns with it; the screen caps the whole.
#include "host/ui/FileDialog.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QListView>
#include <QScreen>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace {

// Room a header section needs beyond its text: margins and the sort arrow.
constexpr int kColumnPadding = 24;

int Widest(const QFontMetrics& fm, std::initializer_list<const char*> samples) {
  int w = 0;
  for (const char* s : samples) w = std::max(w, fm.horizontalAdvance(QString::fromUtf8(s)));
  return w + kColumnPadding;
}

}  // namespace

void SetUpFileDialog(QFileDialog& dlg) {
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setViewMode(QFileDialog::Detail);
  const QFontMetrics fm(dlg.font());
  const QChar wide(0x6F22);
  // Name: thirty full-width characters beside the icon.
  int name = fm.horizontalAdvance(QString(30, wide)) + fm.height() + kColumnPadding;
  const int size = Widest(fm, {"1,023.99 KiB", "999.99 MiB", "サイズ"});
  // Kinds are the shared MIME database's descriptions, in either language.
  const int kind = Widest(fm, {"plain text document", "平文テキストドキュメント", "フォルダー", "種類"});
  const int date = Widest(fm, {"2026/12/31 23:59", "12/31/26 11:59 PM", "更新日時"});
  int sidebar = fm.horizontalAdvance(QString(10, wide));
  if (auto* places = dlg.findChild<QListView*>(QStringLiteral("sidebar")))
    sidebar = std::max(sidebar, places->sizeHintForColumn(0) + 2 * places->frameWidth() + fm.height());
  // Beside the columns: the dialog's margins, the list's scroll bar and the
  // frames.
  const int around = 8 * fm.height();
  int width = sidebar + name + size + kind + date + around;
  int height = 30 * fm.height();
  const QWidget* parent = dlg.parentWidget();
  if (QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen()) {
    const QRect room = screen->availableGeometry();
    // On a small screen the places give way first, then the name column.
    int over = width - room.width() * 9 / 10;
    if (over > 0) {
      const int cut = std::min(over, sidebar - fm.horizontalAdvance(QString(5, wide)));
      if (cut > 0) sidebar -= cut, over -= cut;
    }
    if (over > 0) name = std::max(fm.horizontalAdvance(QString(12, wide)), name - over);
    width = std::min(sidebar + name + size + kind + date + around, room.width());
    height = std::min(height, room.height() * 8 / 10);
  }
  if (auto* tree = dlg.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = tree->header();
    header->resizeSection(0, name);
    header->resizeSection(1, size);
    header->resizeSection(2, kind);
    header->resizeSection(3, date);
  }
  dlg.resize(std::max(width, dlg.minimumWidth()), std::max(height, dlg.minimumHeight()));
  if (auto* split = dlg.findChild<QSplitter*>(QStringLiteral("splitter")))
    split->setSizes({sidebar, std::max(1, width - sidebar)});
}
