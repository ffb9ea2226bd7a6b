#include "browse/ui/BrowseCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>

#include <algorithm>

#include "browse/Browse.h"
#include "browse/Drives.h"
#include "browse/ui/BrowseCommandIds.h"
#include "browse/ui/DriveDialog.h"
#include "browse/ui/FileListModel.h"
#include "browse/ui/FileViews.h"
#include "browse/ui/SortDialog.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

void OpenWithDesktop(const std::string& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path))); }

// ---- the dialogs of the File menu ----

void ChooseDrive(IHost& h) {
  if (h.HostFolder().empty()) return;
  std::vector<DriveInfo> drives = ListDrives();
  std::vector<std::string> mounts;
  for (const auto& d : drives) mounts.push_back(d.mountPoint);
  std::string cur = DriveOf(h.HostFolder(), mounts);
  char letter = 0;
  for (const auto& d : drives)
    if (d.mountPoint == cur) letter = d.letter;
  TForm10 dlg(h.HostWindow(), drives, letter);
  if (h.ExecDialog(dlg) != QDialog::Accepted) return;
  const DriveInfo* d = DriveByLetter(drives, dlg.Answer());
  if (!d || d->mountPoint == h.HostFolder()) return;
  NavigateOrGoBack(h, d->mountPoint);
}

void ChooseFolder(IHost& h) {
  if (!h.InputQuery("フォルダーの指定", "フォルダーの指定　例)　/home/user/navirt", "", "FolderSet", Q(h.HostFolder())))
    return;
  std::string answer = S(h.Answer());
  if (answer.empty() || answer == h.HostFolder()) return;
  if (answer.size() == 1) {
    // One letter is a drive.
    std::vector<DriveInfo> drives = ListDrives();
    const DriveInfo* d = DriveByLetter(drives, answer[0]);
    if (!d) return;
    answer = d->mountPoint;
  }
  NavigateOrGoBack(h, answer);
}

void ChooseMask(IHost& h) {
  if (!h.InputQuery("拡張子の指定", "拡張子を指定します。例) txt;bmp", "", "Ext", "*")) return;
  FileMask m = ParseMask(S(h.Answer()));
  h.FileListModel()->SetMask(m);
  h.RefreshViews();
  SelectFirstItem(h);
}

void ChooseSort(IHost& h) {
  TForm15 dlg(h.HostWindow());
  if (h.ExecDialog(dlg) != QDialog::Accepted) return;
  h.FileListModel()->SortByCode(dlg.Code());
}

// ---- file-name listings ----

void WriteListing(IHost& h, bool fullPaths) {
  TFileListModel* model = h.FileListModel();
  std::string text;
  for (int r = 0; r < model->rowCount(); ++r) {
    if (r) text += "\r\n";
    text += Utf8ToCp932((fullPaths ? h.HostFolder() : std::string()) + model->Entry(r).name);
  }
  h.SetPaneText(text, clBlue);
}

void WriteInfoLine(IHost& h) {
  QString info = h.InfoLine();
  h.SetPaneText(info.isEmpty() ? std::string() : TRichEdit::FromScreen(info), clBlue);
}

bool HasSelection(IHost& h) { return h.FileListView()->selectionModel()->hasSelection(); }

// ---- the panes' pop-ups ----

void ShowProperties(IHost& h) {
  std::string path = h.HostSelectedPath();
  if (path.empty()) return;
  QString uri = QUrl::fromLocalFile(Q(path)).toString();
  // The desktop's file manager shows its properties window when asked.
  bool started = QProcess::startDetached(
      "dbus-send",
      {"--session", "--dest=org.freedesktop.FileManager1", "--type=method_call", "/org/freedesktop/FileManager1",
       "org.freedesktop.FileManager1.ShowItemProperties", "array:string:" + uri, "string:"});
  if (!started)
    h.MessageDlg(Q(InfoLinePieces1To8(path, StatPath(path))), "ファイルのプロパティ", TMsgKind::Information);
}

void OpenWithProgram(IHost& h) {
  std::vector<std::string> paths = h.HostSelectedPaths();
  if (paths.empty()) return;
  if (!h.InputQuery("プログラムから開く", "プログラム名を入力して下さい", "", "OpenWith", "")) return;
  QStringList words = QProcess::splitCommand(h.Answer().trimmed());
  if (words.isEmpty()) return;
  QString program = words.takeFirst();
  for (const auto& p : paths) words << Q(p);
  // Started directly, never through a shell.
  if (!QProcess::startDetached(program, words)) h.MessageDlg(program + "\n起動できませんでした。", "", TMsgKind::Error);
}

// ---- the command tables, one per menu ----

CommandRow StyleRow(CommandName name, const char* caption, int style, const char* icon, const char* button,
                    const char* hint) {
  return WithButton(
      {name, caption, nullptr, [style](IHost& h) { ApplyFileViewStyle(h, style); }, {}, nullptr, true, false}, icon,
      {button, hint});
}

void InstallViewCommands(IHost& h) {
  QMenu* view = h.Menu(HostMenu::View);
  view->addSeparator();
  h.Commands().Install(
      {
          StyleRow(cmd::Micon1, "大きいアイコン(&G)", 1, "view-large-icons", "大きいアイコン(1)",
                   "大きいアイコン(1)|大きいアイコンで表示します。"),
          StyleRow(cmd::Micon2, "小さいアイコン(&S)", 2, "view-small-icons", "小さいアイコン(2)",
                   "小さいアイコン(2)|小さいアイコンで表示します。"),
          StyleRow(cmd::Micon3, "一覧(&L)", 3, "view-list", "一覧(3)", "一覧(3)|一覧で表示します。"),
          StyleRow(cmd::Micon4, "詳細(&E)", 4, "view-details", "詳細(4)", "詳細(4)|詳細を表示します。"),
          {cmd::Mrootfolder, "ルートフォルダーを表示(&D)", nullptr, GoRoot},
          {cmd::Minitview, "最新の情報に更新(&A)", nullptr, [](IHost& h) { h.RefreshAll(); }},
      },
      view);
  auto* group = new QActionGroup(h.HostWindow());
  for (CommandName n : {cmd::Micon1, cmd::Micon2, cmd::Micon3, cmd::Micon4}) group->addAction(h.Commands().Action(n));

  // The column widths follow the styles; a separator before the root item.
  QMenu* widths = new QMenu("ファイル情報幅(&C)", view);
  widths->setObjectName("Mcolumnwidth");
  QAction* root = h.Commands().Action(cmd::Mrootfolder);
  view->insertMenu(root, widths);
  view->insertSeparator(root);
  h.Commands().Install(
      {
          {cmd::Mcolumninit, "初期値(&Z)", nullptr,
           [](IHost& h) {
             QHeaderView* header = h.FileListView()->header();
             SetFileColumnWidths(h, -2, -2, -2);
             SetNameColumnWidth(h, std::max(header->sectionSizeHint(0), 40));
           }},
          {cmd::Mcolumnauto, "自動幅(&X)", nullptr, [](IHost& h) { SetFileColumnWidths(h, -1, -1, -1); }},
          {cmd::Mcolumnname, "ファイル名自動幅(&E)", nullptr,
           [](IHost& h) {
             h.FileListView()->resizeColumnToContents(0);
             SetNameColumnWidth(h, h.FileListView()->header()->sectionSize(0));
           }},
      },
      widths);
  // Only the details view has columns.
  QObject::connect(view, &QMenu::aboutToShow, h.HostWindow(),
                   [&h, widths] { widths->menuAction()->setEnabled(h.FileViewStyle() == 4); });
}

void InstallFolderDialogs(IHost& h) {
  h.Commands().Install(
      {
          WithButton({cmd::Mdrivem, "ドライブの指定(&V)", nullptr, ChooseDrive}, "drive",
                     {"ドライブ(O)", "ドライブ(O)|ドライブを指定します。"}),
          WithButton({cmd::Mfolderm, "フォルダーの指定(&F)", nullptr, ChooseFolder}, "folder-choose",
                     {"フォルダー(L)", "フォルダー(L)|フォルダーを指定して移動します。"}),
          // The mask button shows whether a mask is active.
          WithButton({cmd::Mmask, "拡張子の指定(&W)", nullptr, ChooseMask}, "mask",
                     {"拡張子(W)", "拡張子(W)|表示するファイルの拡張子を指定します。",
                      [](IHost& h) { return !h.FileListModel()->Mask().all; }}),
          WithButton({cmd::Mfilesort1, "ファイルの並び替え(&S)", nullptr, ChooseSort}, "sort",
                     {"並び替え(S)", "並び替え(S)|ファイルを並び替えます。"}),
      },
      h.Menu(HostMenu::File));
  // Backspace's command has a button, no menu item.
  h.Commands().Install(WithButton({cmd::Mup, "上へ", nullptr, GoUp}, "folder-up",
                                  {"上へ(BS)", "上へ(BS)|一つ上のフォルダーへ移動します。"}),
                       nullptr);
}

void InstallNameListings(IHost& h) {
  QMenu* names = h.Menu(HostMenu::Info)->addMenu("ファイル名表示(&G)");
  names->setObjectName("Mfilenameview");
  h.Commands().Install(
      {
          {cmd::Mfilenameonly, "ファイル名-ファイル名のみ(&N)", nullptr, [](IHost& h) { WriteListing(h, false); }},
          {cmd::Mfilenamefull, "ファイル名-フルパス(&P)", nullptr, [](IHost& h) { WriteListing(h, true); }},
          {cmd::Mfilenamecurrent, "ファイル名-現在表示のファイル(&C)", nullptr, WriteInfoLine, HasSelection},
      },
      names);
}

void InstallBrowseOptions(IHost& h) {
  h.Commands().Install(
      {
          {cmd::Mdragdrop1, "ドラッグ&&ドロップ使用", nullptr, {}, {}, nullptr, true, false},
          {cmd::Msubfolderview1, "サブフォルダーを展開", nullptr, {}, {}, nullptr, true, true},
      },
      h.Menu(HostMenu::Option));
}

void InstallPaneMenus(IHost& h) {
  QWidget* window = h.HostWindow();
  QMenu* listMenu = h.Menu(HostMenu::FileListPopup);
  h.Commands().Install(
      {
          {cmd::Mcontextopen, "開く(&O)", nullptr,
           [](IHost& h) {
             for (const auto& p : h.HostSelectedPaths()) OpenWithDesktop(p);
           }},
          {cmd::Mcontextopenwith, "プログラムから開く(&W)...", nullptr, OpenWithProgram},
          {cmd::Mcontextfolder, "フォルダーを開く(&E)", nullptr, [](IHost& h) { OpenWithDesktop(h.HostFolder()); }},
          {cmd::Mcontextprops, "ファイルのプロパティ(&F)", nullptr, ShowProperties},
      },
      listMenu);
  listMenu->addSeparator();
  listMenu->addMenu(h.Menu(HostMenu::PanePopup))->setText("メニュー(&Z)");
  for (QAbstractItemView* v :
       {static_cast<QAbstractItemView*>(h.FileListView()), static_cast<QAbstractItemView*>(h.FileIconView())}) {
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::disconnect(v, &QWidget::customContextMenuRequested, nullptr, nullptr);
    QObject::connect(v, &QWidget::customContextMenuRequested, window,
                     [v, listMenu](const QPoint& p) { listMenu->popup(v->viewport()->mapToGlobal(p)); });
  }

  // The tree's own menu: the folder under the mouse, except the top node.
  auto* treeMenu = new QMenu(window);
  treeMenu->setObjectName("FolderContextMenu");
  h.Commands().Install(
      {
          {cmd::Mtreeopen, "開く(&O)", nullptr, [](IHost& h) { OpenWithDesktop(h.HostFolder()); }},
          {cmd::Mtreerename, "名前の変更(&M)", nullptr,
           [](IHost& h) { h.FolderTree()->edit(h.FolderTree()->currentIndex()); }},
      },
      treeMenu);
  QTreeView* tree = h.FolderTree();
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(tree, &QWidget::customContextMenuRequested, window, [tree, treeMenu](const QPoint& p) {
    QModelIndex idx = tree->indexAt(p);
    if (!idx.isValid() || !idx.parent().isValid()) return;  // nothing, or the top node
    tree->setCurrentIndex(idx);                             // selects on right-click
    treeMenu->popup(tree->viewport()->mapToGlobal(p));
  });
}

// ---- the tree and the drive combo ----

void SetUpFolderTree(IHost& h) {
  QTreeView* tree = h.FolderTree();
  QFileSystemModel* model = h.FolderTreeModel();
  QObject::connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, h.HostWindow(),
                   [&h, tree](const QModelIndex& idx) {
                     if (!idx.isValid() || !h.IsPreviewEnabled()) return;
                     if (h.OptionChecked(cmd::Msubfolderview1, true) && !tree->isExpanded(idx)) tree->expand(idx);
                     tree->scrollTo(idx);
                   });
  // The tree is as wide as its deepest shown name and scrolls sideways to
  // the selected folder, so deep folders keep their names readable.
  tree->header()->setStretchLastSection(false);
  tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  // A folder renamed in place: the folder shown follows when it lies there.
  model->setReadOnly(false);
  tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  QObject::connect(model, &QFileSystemModel::fileRenamed, h.HostWindow(),
                   [&h](const QString& dir, const QString& oldName, const QString& newName) {
                     std::string oldPath = WithTrailingSlash(S(dir + "/" + oldName));
                     std::string newPath = WithTrailingSlash(S(dir + "/" + newName));
                     std::string shown = h.HostFolder();
                     if (shown.compare(0, oldPath.size(), oldPath) != 0) return;
                     h.GoToFolder(newPath + shown.substr(oldPath.size()));
                   });
}

void SetUpDriveCombo(IHost& h) {
  QComboBox* combo = h.DriveCombo();
  QString text = combo->currentText();
  {
    QSignalBlocker b(combo);
    combo->clear();
    for (const auto& d : ListDrives()) combo->addItem(Q(d.mountPoint));
    combo->setEditText(text);
  }
  // Choosing a drive or typing a path goes there as every navigation does.
  QObject::disconnect(combo, QOverload<int>::of(&QComboBox::activated), h.HostWindow(), nullptr);
  QObject::connect(combo, QOverload<int>::of(&QComboBox::activated), h.HostWindow(), [&h, combo](int) {
    std::string target = S(combo->currentText());
    std::string previous = h.HostFolder();
    if (target.empty() || WithTrailingSlash(target) == previous) return;
    if (!NavigateTo(h, target)) combo->setEditText(Q(previous));
  });
}

}  // namespace

void InstallBrowseCommands(IHost& h) {
  SetUpFileViews(h);
  InstallViewCommands(h);
  InstallFolderDialogs(h);
  InstallNameListings(h);
  InstallBrowseOptions(h);
  SetUpFolderTree(h);
  InstallDragAndDrop(h);
  SetUpDriveCombo(h);
  InstallPaneMenus(h);
  ApplyFileViewStyle(h, h.FileViewStyle());
}
