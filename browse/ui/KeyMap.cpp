#include "browse/ui/KeyMap.h"

#include <QAction>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QTreeView>

#include "browse/ui/FileListModel.h"
#include "browse/ui/FileViews.h"
#include "browse/ui/Navigation.h"
#include "host/ui/Host.h"

bool BrowseKeyPress(IHost& h, QObject* target, QKeyEvent* k) {
  Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
  bool keypad = k->modifiers() & Qt::KeypadModifier;
  bool fromList = target == h.FileListView() || target == h.FileIconView();
  switch (k->key()) {
    case Qt::Key_Backspace:
      GoUp(h);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!fromList) return false;
      if (h.FileListModel()->rowCount() == 0) return true;
      return OpenSelectedFolder(h);  // on a file the key is passed on
    case Qt::Key_Home:
      if (mods != Qt::NoModifier) return false;
      SelectFirstItem(h);
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
      h.SetPreviewEnabled(mods != Qt::ShiftModifier);
      return false;
    default:
      break;
  }
  if (keypad && mods == Qt::NoModifier && k->key() >= Qt::Key_1 && k->key() <= Qt::Key_4) {
    ApplyFileViewStyle(h, k->key() - Qt::Key_0);
    return true;
  }
  return false;
}

void AddBrowseKeyItems(IHost& h, QMenu* keys) {
  QObject* owner = h.HostWindow();
  const char* styleItems[] = {"&1 大きいアイコンで表示", "&2 小さいアイコンで表示", "&3 一覧で表示", "&4 詳細で表示"};
  for (int i = 0; i < 4; ++i) {
    int s = i + 1;
    QObject::connect(keys->addAction(styleItems[i]), &QAction::triggered, owner, [&h, s] { ApplyFileViewStyle(h, s); });
  }
  QObject::connect(keys->addAction("Enter サブディレクトリを開く"), &QAction::triggered, owner,
                   [&h] { OpenSelectedFolder(h); });
  QObject::connect(keys->addAction("BS 一つ上のディレクトリへ移動"), &QAction::triggered, owner, [&h] { GoUp(h); });
  QObject::connect(keys->addAction("HOME 一番上のファイル"), &QAction::triggered, owner, [&h] { SelectFirstItem(h); });
}
