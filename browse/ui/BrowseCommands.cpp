#include "browse/ui/BrowseCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <QVBoxLayout>

#include "app/ui/Unit1.h"
#include "browse/Browse.h"
#include "browse/CopyInto.h"
#include "browse/Drives.h"
#include "browse/ui/FileListModel.h"
#include "host/ui/AllCommands.h"
#include "host/ui/CommandTable.h"
#include "browse/ui/DriveDialog.h"
#include "browse/ui/SortDialog.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

bool Checked(TForm1* f, CommandName name, bool def) {
  QAction* a = f->FindAction(name);
  return a ? a->isChecked() : def;
}

std::vector<std::string> DrivePaths() {
  std::vector<std::string> out;
  for (const auto& d : ListDrives()) out.push_back(d.mountPoint);
  return out;
}

std::vector<std::string> SelectedPaths(TForm1* f) {
  std::vector<std::string> out;
  for (int r : SelectedFileRows(f->FileView1->selectionModel())) out.push_back(f->FileModel->PathOf(r));
  return out;
}

void WriteListing(TForm1* f, const std::vector<std::string>& linesUtf8) {
  std::string text;
  for (size_t i = 0; i < linesUtf8.size(); ++i) {
    if (i) text += "\r\n";
    text += Utf8ToCp932(linesUtf8[i]);
  }
  f->RichEdit1->SetText(text);
  f->SetInfoColor(clBlue);
}

void ShowProperties(TForm1* f) {
  if (f->SelectedPath.empty()) return;
  QString uri = QUrl::fromLocalFile(Q(f->SelectedPath)).toString();
  // The desktop's file manager shows its properties window when asked.
  bool started = QProcess::startDetached(
      "dbus-send", {"--session", "--dest=org.freedesktop.FileManager1", "--type=method_call",
                    "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1.ShowItemProperties",
                    "array:string:" + uri, "string:"});
  if (!started) {
    FileStat st = StatPath(f->SelectedPath);
    f->MessageDlg(Q(InfoLinePieces1To8(f->SelectedPath, st)), "ファイルのプロパティ", TMsgKind::Information);
  }
}

void OpenWithDesktop(const std::string& path) { QDesktopServices::openUrl(QUrl::fromLocalFile(Q(path))); }

// Watches the panes for drags and the window for drops.
class DragDropFilter : public QObject {
 public:
  explicit DragDropFilter(TForm1* f) : QObject(f), f_(f) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    QWidget* treePort = f_->FolderView1->viewport();
    if (obj == treePort) return TreeEvent(e);
    if (obj == f_) return WindowEvent(e);
    if (obj == f_->FileView1->viewport() || (f_->FileIconView1 && obj == f_->FileIconView1->viewport())) {
      if (e->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(e);
        // Shift starts a drag to the tree; without Shift, files go to other
        // programs while drag and drop is on.
        bool allow = (m->modifiers() & Qt::ShiftModifier) || Checked(f_, cmd::Mdragdrop1, false);
        f_->FileView1->setDragEnabled(allow);
        if (f_->FileIconView1) f_->FileIconView1->setDragEnabled(allow);
      }
    }
    return false;
  }

 private:
  bool FromList(QDropEvent* d) const {
    return d->source() == f_->FileView1 || (f_->FileIconView1 && d->source() == f_->FileIconView1);
  }
  bool TreeEvent(QEvent* e) {
    switch (e->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* d = static_cast<QDropEvent*>(e);
        if (FromList(d)) d->acceptProposedAction();
        else d->ignore();
        return true;
      }
      case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        if (!FromList(d)) return true;
        d->acceptProposedAction();
        QModelIndex node = f_->FolderView1->indexAt(d->position().toPoint());
        std::string target = node.isValid() ? WithTrailingSlash(S(f_->FolderModel->filePath(node))) : std::string();
        std::vector<std::string> sources = SelectedPaths(f_);
        if (target.empty() || target == f_->CurrentFolder) {
          f_->MessageDlg("コピーできませんでした。", "", TMsgKind::Warning);
          return true;
        }
        CopyDroppedFiles(f_, sources, target);
        return true;
      }
      default: return false;
    }
  }
  bool WindowEvent(QEvent* e) {
    switch (e->type()) {
      case QEvent::DragEnter: {
        auto* d = static_cast<QDragEnterEvent*>(e);
        if (Checked(f_, cmd::Mdragdrop1, false) && d->mimeData()->hasUrls() && !FromList(d)) d->acceptProposedAction();
        else d->ignore();
        return true;
      }
      case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        if (!Checked(f_, cmd::Mdragdrop1, false) || FromList(d)) return true;
        std::vector<std::string> paths;
        for (const QUrl& u : d->mimeData()->urls())
          if (u.isLocalFile()) paths.push_back(S(u.toLocalFile()));
        d->acceptProposedAction();
        if (paths.empty()) return true;
        if (FolderPart(paths.front()) == f_->CurrentFolder) return true;  // already here
        CopyDroppedFiles(f_, paths, f_->CurrentFolder);
        return true;
      }
      default: return false;
    }
  }
  TForm1* f_;
};

// Keeps the name column filling the details view as it resizes.
class ColumnFitFilter : public QObject {
 public:
  explicit ColumnFitFilter(TForm1* f) : QObject(f), f_(f) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Resize || e->type() == QEvent::Show) FitFileColumns(f_);
    return false;
  }

 private:
  TForm1* f_;
};

}  // namespace

void FitFileColumns(TForm1* f) {
  QTreeView* v = f->FileView1;
  if (!v->isVisible() || f->FileModel->rowCount() == 0) return;
  QHeaderView* h = v->header();
  int others = 0;
  for (int c = 1; c < f->FileModel->columnCount(); ++c) {
    v->resizeColumnToContents(c);
    others += h->sectionSize(c);
  }
  // The name takes what the others leave, and never less than it needs.
  int spare = v->viewport()->width() - others;
  v->resizeColumnToContents(0);
  h->resizeSection(0, std::max(h->sectionSize(0), spare));
}

QAbstractItemView* ActiveFileView(TForm1* f) {
  if (f->FileIconView1 && f->FileIconView1->isVisible()) return f->FileIconView1;
  return f->FileView1;
}

void SelectFirstItem(TForm1* f) {
  QAbstractItemView* v = ActiveFileView(f);
  v->setFocus();
  if (f->FileModel->rowCount() == 0) return;
  QModelIndex first = f->FileModel->index(0, 0);
  f->FileView1->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
  v->scrollTo(first);
}

bool NavigateTo(TForm1* f, const std::string& folder) {
  if (folder.empty() || !IsDirectory(folder)) return false;
  f->PreviewEnabled = false;
  f->GoToFolder(folder);
  f->PreviewEnabled = true;
  SelectFirstItem(f);
  f->ShowFolderSummary(false);
  return true;
}

void GoUp(TForm1* f) {
  if (f->CurrentFolder.empty()) return;
  std::string target = ParentFolder(f->CurrentFolder);
  if (target != f->CurrentFolder) NavigateTo(f, target);
}

void GoRoot(TForm1* f) {
  if (f->CurrentFolder.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::string target = DriveOf(f->CurrentFolder, DrivePaths());
  if (target != f->CurrentFolder) NavigateTo(f, target);
  QApplication::restoreOverrideCursor();
}

void CopyDroppedFiles(TForm1* f, const std::vector<std::string>& paths, const std::string& target) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  CopyIntoResult r = CopyInto(paths, target);
  QApplication::restoreOverrideCursor();
  f->RefreshAll();
  if (r.failed == 0 && r.copied > 0) {
    if (Checked(f, cmd::Mdialogdisp1, true))
      f->MessageDlg(QString("%1個のファイルをコピーしました。").arg(paths.size()), "", TMsgKind::Information);
  } else {
    QString text = "コピーできませんでした。";
    if (!r.firstError.empty()) text += "\n" + Q(r.firstError);
    f->MessageDlg(text, "", TMsgKind::Warning);
  }
}

void ApplyFileViewStyle(TForm1* f, int style) {
  if (style < 1 || style > 4) style = 3;
  f->Settings.icon = style;
  if (!f->FileIconView1) return;
  bool hadFocus = ActiveFileView(f)->hasFocus();
  if (style == 4) {
    f->FileIconView1->hide();
    f->FileView1->show();
    FitFileColumns(f);
  } else {
    QListView* v = f->FileIconView1;
    if (style == 1) {
      v->setViewMode(QListView::IconMode);
      v->setIconSize(QSize(32, 32));
      v->setFlow(QListView::LeftToRight);
      v->setGridSize(QSize(96, 72));
      v->setWordWrap(true);
    } else {
      v->setViewMode(QListView::ListMode);
      v->setIconSize(QSize(16, 16));
      v->setGridSize(QSize());
      v->setWordWrap(false);
      // Small icons flow in rows, the list in columns.
      v->setFlow(style == 2 ? QListView::LeftToRight : QListView::TopToBottom);
    }
    v->setWrapping(true);
    v->setResizeMode(QListView::Adjust);
    v->setUniformItemSizes(true);
    f->FileView1->hide();
    v->show();
  }
  const CommandName items[] = {cmd::Micon1, cmd::Micon2, cmd::Micon3, cmd::Micon4};
  const char* buttons[] = {"ToolButton13", "ToolButton22", "ToolButton27", "ToolButton28"};
  for (int i = 0; i < 4; ++i) {
    if (QAction* a = f->FindAction(items[i])) {
      QSignalBlocker b(a);
      a->setChecked(i + 1 == style);
    }
    if (QAction* a = f->ActionNamed(buttons[i])) {
      QSignalBlocker b(a);
      a->setChecked(i + 1 == style);
    }
  }
  if (hadFocus) ActiveFileView(f)->setFocus();
  QModelIndex cur = f->FileView1->selectionModel()->currentIndex();
  if (cur.isValid()) ActiveFileView(f)->scrollTo(cur);
}

namespace {

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

}  // namespace

const CommandName* KeyLetterCommand(char letter) {
  for (const KeyCommand& k : kKeyCommands)
    if (k.letter == letter) return k.command;
  return nullptr;
}

bool RunKeyCommand(TForm1* f, CommandName name) {
  if (f->Commands().Trigger(name)) return true;
  // A key never does nothing without a word: say why.
  QApplication::beep();
  const QAction* a = f->Commands().Action(name);
  f->SetStatusPanel(4, a ? QString("「%1」は今は使えません。").arg(a->text().remove('&'))
                         : QString("このキーのコマンドはまだありません。"));
  return false;
}

void RunKeyLetter(TForm1* f, char letter) {
  switch (letter) {
    case ';': {
      QAction* show = f->FindAction(cmd::Mlhashow);
      if (!show) {
        RunKeyCommand(f, cmd::Mlhashow);
        return;
      }
      show->toggle();
      if (show->isChecked()) RunKeyCommand(f, cmd::Mlhalist);
      return;
    }
    case 'F':
      if (f->RichEdit1->LineCount() > 0) RunKeyCommand(f, cmd::Mserch);
      return;
    case 'Q': f->close(); return;
    case 'V': f->ShowSelectedFile(); return;
    case 'Z': {
      // At the larger of the right panel's left edge and the window's left,
      // and of a quarter of the height and the window's top.
      int x = std::max(f->PanelR->mapTo(f, QPoint(0, 0)).x(), f->x());
      int y = std::max(f->height() / 4, f->y());
      f->PopupMenu1->popup(f->mapToGlobal(QPoint(x, y)));
      return;
    }
    case '\\': GoRoot(f); return;
    default:
      if (const CommandName* c = KeyLetterCommand(letter)) RunKeyCommand(f, *c);
      return;
  }
}

bool BrowseKeyPress(TForm1* f, QObject* target, QKeyEvent* k) {
  Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
  bool keypad = k->modifiers() & Qt::KeypadModifier;
  bool fromList = target == f->FileView1 || target == f->FileIconView1;
  switch (k->key()) {
    case Qt::Key_Backspace:
      GoUp(f);
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!fromList) return false;
      if (f->FileModel->rowCount() == 0) return true;
      if (!f->SelectedPath.empty() && IsDirectory(f->SelectedPath)) {
        NavigateTo(f, f->SelectedPath);
        return true;
      }
      return false;
    case Qt::Key_Home:
      if (mods != Qt::NoModifier) return false;
      SelectFirstItem(f);
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
      f->PreviewEnabled = mods != Qt::ShiftModifier;
      return false;
    case Qt::Key_Delete:
      RunKeyCommand(f, mods == Qt::ShiftModifier ? cmd::Mfiledelete2 : cmd::Mfiledelete);
      return true;
    default: break;
  }
  if (keypad && mods == Qt::NoModifier && k->key() >= Qt::Key_1 && k->key() <= Qt::Key_4) {
    ApplyFileViewStyle(f, k->key() - Qt::Key_0);
    return true;
  }
  if (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
  QString text = k->text();
  if (text.isEmpty() || keypad) return false;
  char letter = KeyListLetter(text.at(0).unicode());
  if (!letter) return false;
  RunKeyLetter(f, letter);
  return true;
}

void InstallBrowseCommands(TForm1* f) {
  // ---- the icon views beside the details view ----
  auto* iconView = new QListView(f->FileView1->parentWidget());
  iconView->setObjectName("FileIconView1");
  iconView->setModel(f->FileModel);
  iconView->setSelectionModel(f->FileView1->selectionModel());
  iconView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Whole rows, as in the details view: after a view change the details
  // view shows the same selection across all its columns.
  iconView->setSelectionBehavior(QAbstractItemView::SelectRows);
  iconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  iconView->setMouseTracking(true);
  iconView->setDragDropMode(QAbstractItemView::DragOnly);
  iconView->hide();
  f->FileView1->parentWidget()->layout()->addWidget(iconView);
  f->FileIconView1 = iconView;
  iconView->installEventFilter(f);
  iconView->viewport()->installEventFilter(f);
  // Hot tracking covers both views.
  iconView->setAttribute(Qt::WA_Hover, f->Mmousepoint->isChecked());
  QObject::connect(f->Mmousepoint, &QAction::toggled, iconView,
                   [iconView](bool on) { iconView->setAttribute(Qt::WA_Hover, on); });
  // Names alike at their start ("picture_sunset.bmp", ".gif", ".jpg")
  // stay apart when the middle gives way.
  iconView->setTextElideMode(Qt::ElideMiddle);
  f->FileView1->setTextElideMode(Qt::ElideMiddle);
  f->FileView1->header()->setStretchLastSection(false);
  QObject::connect(f->FileModel, &QAbstractItemModel::modelReset, f, [f] { FitFileColumns(f); });
  f->FileView1->viewport()->installEventFilter(new ColumnFitFilter(f));
  f->FileView1->setDragDropMode(QAbstractItemView::DragOnly);
  f->FileView1->setDragEnabled(false);
  f->FileView1->setEditTriggers(QAbstractItemView::NoEditTriggers);

  auto style = f->style();
  QMenu* view = f->Mview;
  view->addSeparator();
  auto* viewGroup = new QActionGroup(f);
  const CommandName items[] = {cmd::Micon1, cmd::Micon2, cmd::Micon3, cmd::Micon4};
  const char* captions[] = {"大きいアイコン(&B)", "小さいアイコン(&S)", "一覧(&I)", "詳細(&R)"};
  const char* buttons[] = {"ToolButton13", "ToolButton22", "ToolButton27", "ToolButton28"};
  const char* hints[] = {"大きいアイコン(1)", "小さいアイコン(2)", "一覧(3)", "詳細(4)"};
  const QStyle::StandardPixmap icons[] = {QStyle::SP_FileDialogContentsView, QStyle::SP_FileIcon,
                                          QStyle::SP_FileDialogListView, QStyle::SP_FileDialogDetailedView};
  auto* buttonGroup = new QActionGroup(f);
  for (int i = 0; i < 4; ++i) {
    int s = i + 1;
    QAction* a = f->AddCommand(view, items[i], captions[i], [f, s] { ApplyFileViewStyle(f, s); });
    a->setCheckable(true);
    viewGroup->addAction(a);
    QAction* b = f->ToolBar1->addAction(style->standardIcon(icons[i]), hints[i]);
    b->setObjectName(buttons[i]);
    b->setProperty("navirtCommand", items[i].text);
    b->setCheckable(true);
    buttonGroup->addAction(b);
    QObject::connect(b, &QAction::triggered, f, [f, s] { ApplyFileViewStyle(f, s); });
  }
  QMenu* widths = view->addMenu("ファイル情報幅(&C)");
  widths->setObjectName("Mcolumnwidth");
  f->AddCommand(widths, cmd::Mcolumninit, "初期値(&Z)", [f] {
    QHeaderView* h = f->FileView1->header();
    for (int c = 0; c < 4; ++c) h->resizeSection(c, std::max(h->sectionSizeHint(c), 40));
  });
  f->AddCommand(widths, cmd::Mcolumnauto, "自動幅(&X)", [f] {
    for (int c = 1; c < 4; ++c) f->FileView1->resizeColumnToContents(c);
  });
  f->AddCommand(widths, cmd::Mcolumnname, "ファイル名自動幅(&E)", [f] { f->FileView1->resizeColumnToContents(0); });
  QObject::connect(view, &QMenu::aboutToShow, f, [f, widths] { widths->menuAction()->setEnabled(f->Settings.icon == 4); });
  view->addSeparator();
  QAction* root = f->AddCommand(view, cmd::Mrootfolder, "ルートフォルダーを表示(&D)", [f] { GoRoot(f); });
  (void)root;
  QAction* refresh = f->AddCommand(view, cmd::Minitview, "最新の情報に更新(&A)", [f] { f->RefreshAll(); });
  (void)refresh;

  // ---- dialogs ----
  QMenu* file = f->Mfile;
  QAction* drive = f->AddCommand(file, cmd::Mdrivem, "ドライブの指定(&V)", [f] {
    if (f->CurrentFolder.empty()) return;
    std::vector<DriveInfo> drives = ListDrives();
    std::vector<std::string> mounts;
    for (const auto& d : drives) mounts.push_back(d.mountPoint);
    std::string cur = DriveOf(f->CurrentFolder, mounts);
    char letter = 0;
    for (const auto& d : drives)
      if (d.mountPoint == cur) letter = d.letter;
    TForm10 dlg(f, drives, letter);
    if (f->ExecDialog(dlg) != QDialog::Accepted) return;
    const DriveInfo* d = DriveByLetter(drives, dlg.Answer());
    if (!d || d->mountPoint == f->CurrentFolder) return;
    std::string previous = f->CurrentFolder;
    f->SetInfoLine("", f->InfoColor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!NavigateTo(f, d->mountPoint)) NavigateTo(f, previous);
    QApplication::restoreOverrideCursor();
  });
  QAction* folder = f->AddCommand(file, cmd::Mfolderm, "フォルダーの指定(&F)", [f] {
    if (!f->InputQuery("フォルダーの指定", "フォルダーの指定　例)　a:\\navir", "", "FolderSet", Q(f->CurrentFolder)))
      return;
    std::string answer = S(f->DialogAnswer);
    if (answer.empty() || answer == f->CurrentFolder) return;
    if (answer.size() == 1) {
      std::vector<DriveInfo> drives = ListDrives();
      const DriveInfo* d = DriveByLetter(drives, answer[0]);
      if (!d) return;
      answer = d->mountPoint;
    }
    std::string previous = f->CurrentFolder;
    f->SetInfoLine("", f->InfoColor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (!NavigateTo(f, answer)) NavigateTo(f, previous);
    QApplication::restoreOverrideCursor();
  });
  QAction* maskButton = nullptr;
  QAction* mask = f->AddCommand(file, cmd::Mmask, "拡張子の指定(&W)", [f] {
    if (!f->InputQuery("拡張子の指定", "拡張子を指定します。例) txt;bmp", "", "Ext", "*")) return;
    FileMask m = ParseMask(S(f->DialogAnswer));
    f->FileModel->SetMask(m);
    if (QAction* b = f->ActionNamed("ToolButton12")) b->setChecked(!m.all);
    f->RefreshViews();
    SelectFirstItem(f);
  });
  QAction* sort = f->AddCommand(file, cmd::Mfilesort1, "ファイルの並び替え(&S)", [f] {
    TForm15 dlg(f);
    if (f->ExecDialog(dlg) != QDialog::Accepted) return;
    f->FileModel->SortByCode(dlg.Code());
  });
  // The system's properties box is the pop-up's Mcontextprops; Mpropaty is
  // the attribute dialog of the file commands.

  // Toolbar buttons of these commands.
  auto button = [&](const char* name, QStyle::StandardPixmap icon, const QString& hint, QAction* target,
                    bool checkable = false) {
    QAction* b = f->ToolBar1->addAction(style->standardIcon(icon), hint);
    b->setObjectName(name);
    b->setProperty("navirtCommand", target->objectName());
    b->setCheckable(checkable);
    QObject::connect(b, &QAction::triggered, target, [target, b, checkable] {
      target->trigger();
      (void)b;
      (void)checkable;
    });
    return b;
  };
  QAction* upCmd = f->AddCommand(nullptr, cmd::Mup, "上へ", [f] { GoUp(f); });
  button("ToolButton38", QStyle::SP_DriveHDIcon, "ドライブ(O)", drive);
  button("ToolButton55", QStyle::SP_FileDialogToParent, "上へ(BS)", upCmd);
  button("ToolButton46", QStyle::SP_ArrowDown, "並び替え(S)", sort);
  button("ToolButton41", QStyle::SP_DirOpenIcon, "フォルダー(L)", folder);
  maskButton = button("ToolButton12", QStyle::SP_FileDialogInfoView, "拡張子(W)", mask, true);
  // The mask button shows whether a mask is active, not the click.
  QObject::connect(maskButton, &QAction::triggered, f, [f, maskButton] {
    QSignalBlocker b(maskButton);
    maskButton->setChecked(!f->FileModel->Mask().all);
  });

  // The view-style buttons follow the folder buttons, as in the toolbar's
  // order.
  for (const char* name : buttons) {
    if (QAction* b = f->ActionNamed(name)) {
      f->ToolBar1->removeAction(b);
      f->ToolBar1->addAction(b);
    }
  }

  // ---- file-name listings ----
  QMenu* names = f->Minfo->addMenu("ファイル名表示(&G)");
  names->setObjectName("Mfilenameview");
  f->AddCommand(names, cmd::Mfilenameonly, "ファイル名-ファイル名のみ(&N)", [f] {
    std::vector<std::string> lines;
    for (int r = 0; r < f->FileModel->rowCount(); ++r) lines.push_back(f->FileModel->Entry(r).name);
    f->RichEdit1->Clear();
    WriteListing(f, lines);
  });
  f->AddCommand(names, cmd::Mfilenamefull, "ファイル名-フルパス(&P)", [f] {
    std::vector<std::string> lines;
    for (int r = 0; r < f->FileModel->rowCount(); ++r) lines.push_back(f->CurrentFolder + f->FileModel->Entry(r).name);
    f->RichEdit1->Clear();
    WriteListing(f, lines);
  });
  QAction* current = f->AddCommand(names, cmd::Mfilenamecurrent, "ファイル名-現在表示のファイル(&C)", [f] {
    QString info = f->InfoLine();
    f->RichEdit1->Clear();
    if (!info.isEmpty()) {
      f->RichEdit1->SetText(TRichEdit::FromScreen(info));
      f->SetInfoColor(clBlue);
    } else {
      f->SetInfoColor(clBlue);
    }
  });
  QObject::connect(names, &QMenu::aboutToShow, f,
                   [f, current] { current->setEnabled(f->FileView1->selectionModel()->hasSelection()); });

  // ---- options ----
  QMenu* opt = f->Moption;
  if (!f->FindAction(cmd::Mdragdrop1)) f->AddOption(opt, cmd::Mdragdrop1, "ドラッグ&&ドロップ使用", false, nullptr);
  QAction* dd = f->FindAction(cmd::Mdragdrop1);
  // The window always takes drags; the option decides in the drop handler,
  // so a setting read at start applies without a toggle.
  (void)dd;
  f->setAcceptDrops(true);
  if (!f->FindAction(cmd::Msubfolderview1))
    f->AddOption(opt, cmd::Msubfolderview1, "サブフォルダーを展開", true, nullptr);

  // ---- the tree: expansion, renaming, drops ----
  QObject::connect(f->FolderView1->selectionModel(), &QItemSelectionModel::currentChanged, f,
                   [f](const QModelIndex& idx) {
                     if (!idx.isValid() || !f->PreviewEnabled) return;
                     if (Checked(f, cmd::Msubfolderview1, true) && !f->FolderView1->isExpanded(idx))
                       f->FolderView1->expand(idx);
                     f->FolderView1->scrollTo(idx);
                   });
  // The tree is as wide as its deepest shown name and scrolls sideways to
  // the selected folder, so deep folders keep their names readable.
  f->FolderView1->header()->setStretchLastSection(false);
  f->FolderView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  f->FolderModel->setReadOnly(false);
  f->FolderView1->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
  QObject::connect(f->FolderModel, &QFileSystemModel::fileRenamed, f,
                   [f](const QString& dir, const QString& oldName, const QString& newName) {
                     std::string oldPath = WithTrailingSlash(S(dir + "/" + oldName));
                     std::string newPath = WithTrailingSlash(S(dir + "/" + newName));
                     if (f->CurrentFolder.compare(0, oldPath.size(), oldPath) == 0) {
                       std::string moved = newPath + f->CurrentFolder.substr(oldPath.size());
                       f->CurrentFolder = moved;
                       f->ComboView1->setEditText(Q(moved));
                       f->RefreshViews();
                     }
                   });
  f->FolderView1->setAcceptDrops(true);
  f->FolderView1->viewport()->setAcceptDrops(true);
  auto* dnd = new DragDropFilter(f);
  f->FolderView1->viewport()->installEventFilter(dnd);
  f->FileView1->viewport()->installEventFilter(dnd);
  iconView->viewport()->installEventFilter(dnd);
  f->installEventFilter(dnd);

  // ---- drives in the combo ----
  QObject::connect(f->ComboView1, &QComboBox::highlighted, f, [] {});
  auto fillDrives = [f] {
    QString text = f->ComboView1->currentText();
    QSignalBlocker b(f->ComboView1);
    f->ComboView1->clear();
    for (const auto& d : ListDrives()) f->ComboView1->addItem(Q(d.mountPoint));
    f->ComboView1->setEditText(text);
  };
  fillDrives();
  // Choosing a drive or typing a path goes there as every navigation does.
  QObject::disconnect(f->ComboView1, QOverload<int>::of(&QComboBox::activated), f, nullptr);
  QObject::connect(f->ComboView1, QOverload<int>::of(&QComboBox::activated), f, [f](int) {
    std::string target = S(f->ComboView1->currentText());
    std::string previous = f->CurrentFolder;
    if (target.empty() || WithTrailingSlash(target) == previous) return;
    if (!NavigateTo(f, target)) f->ComboView1->setEditText(Q(previous));
  });

  // ---- mouse ----
  auto doubleClick = [f](const QModelIndex& idx) {
    if (!idx.isValid()) return;
    std::string path = f->FileModel->PathOf(idx.row());
    if (IsDirectory(path)) NavigateTo(f, path);
    else OpenWithDesktop(path);
  };
  QObject::connect(f->FileView1, &QAbstractItemView::doubleClicked, f, doubleClick);
  QObject::connect(iconView, &QAbstractItemView::doubleClicked, f, doubleClick);
  auto* listMenu = new QMenu(f);
  listMenu->setObjectName("FileContextMenu");
  f->FileListPopup = listMenu;
  f->AddCommand(listMenu, cmd::Mcontextopen, "開く(&O)", [f] {
    for (const auto& p : SelectedPaths(f)) OpenWithDesktop(p);
  });
  f->AddCommand(listMenu, cmd::Mcontextopenwith, "プログラムから開く(&W)...", [f] {
    std::vector<std::string> paths = SelectedPaths(f);
    if (paths.empty()) return;
    if (!f->InputQuery("プログラムから開く", "プログラム名を入力して下さい", "", "OpenWith", "")) return;
    QStringList words = QProcess::splitCommand(f->DialogAnswer.trimmed());
    if (words.isEmpty()) return;
    QString program = words.takeFirst();
    for (const auto& p : paths) words << Q(p);
    // Started directly, never through a shell.
    if (!QProcess::startDetached(program, words))
      f->MessageDlg(program + "\n起動できませんでした。", "", TMsgKind::Error);
  });
  f->AddCommand(listMenu, cmd::Mcontextfolder, "フォルダーを開く(&F)", [f] { OpenWithDesktop(f->CurrentFolder); });
  f->AddCommand(listMenu, cmd::Mcontextprops, "プロパティ(&R)", [f] { ShowProperties(f); });
  listMenu->addSeparator();
  listMenu->addMenu(f->PopupMenu1)->setText("メニュー(&M)");
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(f->FileView1), static_cast<QAbstractItemView*>(iconView)}) {
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::disconnect(v, &QWidget::customContextMenuRequested, nullptr, nullptr);
    QObject::connect(v, &QWidget::customContextMenuRequested, f, [v, listMenu](const QPoint& p) {
      listMenu->popup(v->viewport()->mapToGlobal(p));
    });
  }

  // The tree's own menu: the folder under the mouse, except the top node.
  auto* treeMenu = new QMenu(f);
  treeMenu->setObjectName("FolderContextMenu");
  f->AddCommand(treeMenu, cmd::Mtreeopen, "開く(&O)", [f] { OpenWithDesktop(f->CurrentFolder); });
  f->AddCommand(treeMenu, cmd::Mtreerename, "名前の変更(&M)", [f] { f->FolderView1->edit(f->FolderView1->currentIndex()); });
  f->FolderView1->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(f->FolderView1, &QWidget::customContextMenuRequested, f, [f, treeMenu](const QPoint& p) {
    QModelIndex idx = f->FolderView1->indexAt(p);
    if (!idx.isValid() || !idx.parent().isValid()) return;  // nothing, or the top node
    f->FolderView1->setCurrentIndex(idx);  // selects on right-click
    treeMenu->popup(f->FolderView1->viewport()->mapToGlobal(p));
  });

  // ---- the key list in the pop-up ----
  QMenu* keys = new QMenu("ショートカットキー(&K)", f->PopupMenu1);
  keys->setObjectName("Mshortcutkey");
  f->PopupMenu1->addMenu(keys);
  struct KeyItem {
    char letter;
    const char* caption;
  };
  const KeyItem keyItems[] = {
      {'A', "&A ファイルの属性変更"},   {'B', "&B 16進表示"},         {'C', "&C ファイルのコピー"},
      {'D', "&D ファイルの削除"},       {'E', "&E エディターで編集"},   {'F', "&F テキストの検索"},
      {'G', "&G 登録フォルダーを表示"}, {'H', "&H ヘルプ"},             {'I', "&I LHA書庫の一覧表示"},
      {'J', "&J 指定行へジャンプ"},     {'K', "&K ディレクトリを作成"}, {'L', "&L フォルダーの指定"},
      {'M', "&M ファイルの移動"},       {'N', "&N 最新の情報に更新"},   {'O', "&O ドライブの指定"},
      {'P', "&P LHA書庫を作成"},        {'Q', "&Q 終了<ESC>"},          {'R', "&R ファイルの名前の変更"},
      {'S', "&S ファイル名の並び替え"}, {'T', "&T 文字コード自動変換"}, {'U', "&U LHA書庫を解凍"},
      {'V', "&V テキストを表示"},       {'W', "&W 拡張子を指定"},       {'X', "&X ファイルを実行"},
      {'Y', "&Y"},                      {'Z', "&Z メニューを表示/終了"}, {'\\', "&\\ ルートフォルダーに移動"},
      {';', "&；　LHA書庫内容表示切替"}};
  for (const KeyItem& k : keyItems) {
    if (k.letter == 'V' && f->Mv) {
      keys->addAction(f->Mv);
      continue;
    }
    char letter = k.letter;
    QAction* a = keys->addAction(k.caption);
    a->setObjectName(QString("Mkey_%1").arg(letter == '\\' ? QString("root") : letter == ';' ? QString("semi")
                                                                                               : QString(QChar(letter))));
    if (letter != 'Y') QObject::connect(a, &QAction::triggered, f, [f, letter] { RunKeyLetter(f, letter); });
    // An entry whose command is not built yet shows disabled.
    const CommandName* c = KeyLetterCommand(letter);
    if (letter == 'Y' || (c && !f->Commands().Has(*c))) a->setEnabled(false);
  }
  const char* styleItems[] = {"&1 大きいアイコンで表示", "&2 小さいアイコンで表示", "&3 一覧で表示", "&4 詳細で表示"};
  for (int i = 0; i < 4; ++i) {
    int s = i + 1;
    QAction* a = keys->addAction(styleItems[i]);
    QObject::connect(a, &QAction::triggered, f, [f, s] { ApplyFileViewStyle(f, s); });
  }
  QObject::connect(keys->addAction("Enter サブディレクトリを開く"), &QAction::triggered, f, [f] {
    if (!f->SelectedPath.empty() && IsDirectory(f->SelectedPath)) NavigateTo(f, f->SelectedPath);
  });
  QObject::connect(keys->addAction("BS 一つ上のディレクトリへ移動"), &QAction::triggered, f, [f] { GoUp(f); });
  QObject::connect(keys->addAction("HOME 一番上のファイル"), &QAction::triggered, f, [f] { SelectFirstItem(f); });
  const struct {
    const char* caption;
    const CommandName* command;
  } commandKeys[] = {{"SHIFT+DEL ファイルの削除", &cmd::Mfiledelete2},
                     {"F3 下へ検索", &cmd::MserchNext},
                     {"SHIFT+F3 上へ検索", &cmd::Mserchnextup1}};
  for (const auto& k : commandKeys) {
    CommandName name = *k.command;
    QAction* a = keys->addAction(k.caption);
    QObject::connect(a, &QAction::triggered, f, [f, name] { RunKeyCommand(f, name); });
    if (!f->Commands().Has(name)) a->setEnabled(false);
  }
  // Commands installed after this menu (the later subsystems) enable theirs.
  QObject::connect(keys, &QMenu::aboutToShow, f, [f, keys] {
    for (QAction* a : keys->actions()) {
      QString n = a->objectName();
      if (!n.startsWith("Mkey_") || n.size() != 6) continue;
      char letter = n.at(5).toLatin1();
      if (const CommandName* c = KeyLetterCommand(letter)) a->setEnabled(f->Commands().Has(*c));
    }
  });
  f->PopupMenu1->addSeparator();
  QObject::connect(f->PopupMenu1->addAction("Navirtの終了(&Q)"), &QAction::triggered, f, [f] { f->close(); });
  QObject::connect(f->PopupMenu1->addAction("メニューを閉じる(&Z)"), &QAction::triggered, f, [f] { f->PopupMenu1->close(); });

  ApplyFileViewStyle(f, f->Settings.icon);
}
