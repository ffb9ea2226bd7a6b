#include "app/ui/KeyTable.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

#include <algorithm>

#include "app/ui/AppCommandIds.h"
#include "archive/ui/ArchiveCommandIds.h"
#include "browse/Browse.h"
#include "browse/ui/BrowseCommandIds.h"
#include "browse/ui/KeyMap.h"
#include "browse/ui/Navigation.h"
#include "codec/ui/CodecCommandIds.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/RichEdit.h"
#include "fileops/ui/FileOpsCommandIds.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "preview/ui/PreviewCommandIds.h"
#include "search/ui/SearchCommandIds.h"
#include "sysinfo/ui/SysinfoCommandIds.h"

namespace {

// Runs a command for a key; a command not built or not usable now beeps
// and says so in the status bar: a key never does nothing without a word.
bool RunKeyCommand(IHost& h, CommandName name) { return h.Commands().Trigger(name); }

// The key map: a letter and the command it runs. Letters whose work is
// the browser's own (Q, V, Z, "\\", ";") have no command.
struct KeyCommand {
  char letter;
  const CommandName* command;
};
const KeyCommand kKeyCommands[] = {
    {'A', &cmd::Mpropaty},  {'B', &cmd::Mdump1a1},   {'C', &cmd::Mfilecopy},  {'D', &cmd::Mfiledelete},
    {'E', &cmd::Mediter},   {'F', &cmd::Mserch},     {'G', &cmd::Mfolderreg}, {'H', &cmd::Mhelpcontents},
    {'I', &cmd::Mlhalist},  {'J', &cmd::Mjump},      {'K', &cmd::Mmkdir},     {'L', &cmd::Mfolderm},
    {'M', &cmd::Mfilemove}, {'N', &cmd::Minitview},  {'O', &cmd::Mdrivem},    {'P', &cmd::MlhaP},
    {'R', &cmd::Mrename},   {'S', &cmd::Mfilesort1}, {'T', &cmd::Mcodeauto},  {'U', &cmd::MlhaU},
    {'W', &cmd::Mmask},     {'X', &cmd::Mfileexe},
};

// The key list's entries, in the pop-up's order.
struct KeyItem {
  char letter;
  const char* caption;
};
const KeyItem kKeyItems[] = {{'A', "&A ファイルの属性変更"},
                             {'B', "&B 16進表示"},
                             {'C', "&C ファイルのコピー"},
                             {'D', "&D ファイルの削除"},
                             {'E', "&E エディターで編集"},
                             {'F', "&F テキストの検索"},
                             {'G', "&G 登録フォルダーを表示"},
                             {'H', "&H ヘルプ"},
                             {'I', "&I LHA書庫の一覧表示"},
                             {'J', "&J 指定行へジャンプ"},
                             {'K', "&K ディレクトリを作成"},
                             {'L', "&L フォルダーの指定"},
                             {'M', "&M ファイルの移動"},
                             {'N', "&N 最新の情報に更新"},
                             {'O', "&O ドライブの指定"},
                             {'P', "&P LHA書庫を作成"},
                             {'Q', "&Q 終了<ESC>"},
                             {'R', "&R ファイルの名前の変更"},
                             {'S', "&S ファイル名の並び替え"},
                             {'T', "&T 文字コード自動変換"},
                             {'U', "&U LHA書庫を解凍"},
                             {'V', "&V テキストを表示"},
                             {'W', "&W 拡張子を指定"},
                             {'X', "&X ファイルを実行"},
                             {'Y', "&Y"},
                             {'Z', "&Z メニューを表示/終了"},
                             {'\\', "&\\ ルートフォルダーに移動"},
                             {';', "&；　LHA書庫内容表示切替"}};

// The pop-up at the larger of the right part's left edge and the window's
// left, and of a quarter of the height and the window's top.
void PopUpWholeMenu(IHost& h) {
  QWidget* w = h.HostWindow();
  // The file list's left edge is the right part's: it fills that column.
  int x = std::max(h.FileListView()->mapTo(w, QPoint(0, 0)).x(), w->x());
  int y = std::max(w->height() / 4, w->y());
  h.Menu(HostMenu::PanePopup)->popup(w->mapToGlobal(QPoint(x, y)));
}

void ToggleArchiveListing(IHost& h) {
  QAction* show = h.Commands().Action(cmd::Mlhashow);
  if (!show) {
    RunKeyCommand(h, cmd::Mlhashow);
    return;
  }
  show->toggle();
  if (show->isChecked()) RunKeyCommand(h, cmd::Mlhalist);
}

// The entry's object name: "Mkey_" and the letter ("root", "semi").
QString KeyItemName(char letter) {
  QString key = letter == '\\' ? QString("root") : letter == ';' ? QString("semi") : QString(QChar(letter));
  return "Mkey_" + key;
}

void AddLetterItems(IHost& h, QMenu* keys) {
  for (const KeyItem& k : kKeyItems) {
    if (k.letter == 'V') {
      if (QAction* v = h.Commands().Action(cmd::Mv)) {
        keys->addAction(v);
        continue;
      }
    }
    char letter = k.letter;
    QAction* a = keys->addAction(k.caption);
    a->setObjectName(KeyItemName(letter));
    if (letter != 'Y')
      QObject::connect(a, &QAction::triggered, h.HostWindow(), [&h, letter] { RunKeyLetter(h, letter); });
    // An entry whose command is not built shows disabled once the list
    // opens (later subsystems install theirs after this list is drawn).
    if (letter == 'Y') a->setEnabled(false);
  }
}

void AddPaneKeyItems(IHost& h, QMenu* keys) {
  QObject* owner = h.HostWindow();
  AddBrowseKeyItems(h, keys);
  const struct {
    const char* caption;
    const CommandName* command;
  } commandKeys[] = {{"SHIFT+DEL ファイルの削除", &cmd::Mfiledelete2},
                     {"F3 下へ検索", &cmd::MserchNext},
                     {"SHIFT+F3 上へ検索", &cmd::Mserchnextup1}};
  for (const auto& k : commandKeys) {
    CommandName name = *k.command;
    QAction* a = keys->addAction(k.caption);
    QObject::connect(a, &QAction::triggered, owner, [&h, name] { RunKeyCommand(h, name); });
    // Enabled as the menu opens: the file commands are installed later.
    a->setProperty("navirtKeyCommand", name.text);
  }
}

}  // namespace

const CommandName* KeyLetterCommand(char letter) {
  for (const KeyCommand& k : kKeyCommands)
    if (k.letter == letter) return k.command;
  return nullptr;
}

void RunKeyLetter(IHost& h, char letter) {
  switch (letter) {
    case ';':
      ToggleArchiveListing(h);
      return;
    case 'F':
      if (h.Pane()->LineCount() > 0) RunKeyCommand(h, cmd::Mserch);
      return;
    case 'Q':
      h.HostWindow()->close();
      return;
    case 'V':
      h.ShowSelectedFile();
      return;
    case 'Z':
      PopUpWholeMenu(h);
      return;
    case '\\':
      GoRoot(h);
      return;
    default:
      if (const CommandName* c = KeyLetterCommand(letter)) RunKeyCommand(h, *c);
      return;
  }
}

bool PaneKeyPress(IHost& h, QObject* target, QKeyEvent* k) {
  if (BrowseKeyPress(h, target, k)) return true;
  Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
  if (k->key() == Qt::Key_Delete) {
    RunKeyCommand(h, mods == Qt::ShiftModifier ? cmd::Mfiledelete2 : cmd::Mfiledelete);
    return true;
  }
  if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  QString text = k->text();
  if (text.isEmpty() || (k->modifiers() & Qt::KeypadModifier)) return false;
  char letter = navirt::KeyListLetter(text.at(0).unicode());
  if (!letter) return false;
  RunKeyLetter(h, letter);
  return true;
}

void InstallKeyMap(IHost& h) {
  QMenu* popup = h.Menu(HostMenu::PanePopup);
  // "&K" is the Delete menu's in the same pop-up.
  QMenu* keys = new QMenu("ショートカットキー(&Y)", popup);
  keys->setObjectName("Mshortcutkey");
  popup->addMenu(keys);
  AddLetterItems(h, keys);
  AddPaneKeyItems(h, keys);
  // Commands installed after this menu (the later subsystems) enable theirs.
  QObject::connect(keys, &QMenu::aboutToShow, h.HostWindow(), [&h, keys] {
    for (QAction* a : keys->actions()) {
      QString n = a->objectName();
      if (!n.startsWith("Mkey_") || n.size() != 6) continue;
      char letter = n.at(5).toLatin1();
      if (const CommandName* c = KeyLetterCommand(letter)) a->setEnabled(h.Commands().Has(*c));
    }
    for (QAction* a : keys->actions()) {
      const QByteArray name = a->property("navirtKeyCommand").toByteArray();
      if (!name.isEmpty()) a->setEnabled(h.Commands().Has(CommandName{name.constData()}));
    }
  });
  popup->addSeparator();
  // These two end the pop-up; the window moves them there once every
  // subsystem has added its items.
  QAction* quit = popup->addAction("Navirtの終了(&Q)");
  quit->setProperty("navirtPopupEnd", true);
  QObject::connect(quit, &QAction::triggered, h.HostWindow(), [&h] { h.HostWindow()->close(); });
  QAction* close = popup->addAction("メニューを閉じる(&Z)");
  close->setProperty("navirtPopupEnd", true);
  QObject::connect(close, &QAction::triggered, h.HostWindow(), [popup] { popup->close(); });
  h.SetPaneKeyHandler([&h](QObject* view, QKeyEvent* key) { return PaneKeyPress(h, view, key); });
}
