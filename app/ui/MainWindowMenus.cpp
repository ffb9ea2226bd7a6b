// The main window's menus and their commands: the menu bar, the window's
// own items, the whole-menu pop-up, hints, and the LHA library's check.
#include "app/ui/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeView>

#include <ctime>

#include "app/ui/FolderDialog.h"
#include "app/ui/FontColorDialog.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/FontUtil.h"
#include "platform/DynLib.h"
#include "platform/FileInfo.h"
#include "platform/Format.h"
#include "preview/ReadSettingDialog.h"
#include "preview/ui/CharsetDialog.h"
#include "preview/ui/ReadSettingDialog.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

QAction* TForm1::AddCommand(QMenu* menu, CommandName name, const QString& caption, std::function<void()> handler,
                            const QKeySequence& shortcut) {
  CommandRow row;
  row.name = name;
  const QByteArray text = caption.toUtf8();
  row.caption = text.constData();
  if (handler) row.run = [handler = std::move(handler)](IHost&) { handler(); };
  QAction* a = commands_->Install(row, menu);
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  // Commands added here are built: a null handler means "does nothing yet"
  // only for rows that say so through the table.
  a->setEnabled(true);
  return a;
}

QAction* TForm1::AddOption(QMenu* menu, CommandName name, const QString& caption, bool checked,
                           std::function<void(bool)> onToggle) {
  CommandRow row;
  row.name = name;
  const QByteArray text = caption.toUtf8();
  row.caption = text.constData();
  row.checkable = true;
  row.checked = checked;
  if (onToggle) row.toggled = [onToggle = std::move(onToggle)](IHost&, bool on) { onToggle(on); };
  return commands_->Install(row, menu);
}

QAction* TForm1::FindAction(CommandName name) const { return commands_->Action(name); }

QAction* TForm1::ActionNamed(const QString& name) const { return findChild<QAction*>(name); }

QMenu* TForm1::Menu(HostMenu which) {
  switch (which) {
    case HostMenu::File:
      return Mfile;
    case HostMenu::Edit:
      return Medit;
    case HostMenu::Delete:
      return Mdelete;
    case HostMenu::Search:
      return Msearch;
    case HostMenu::View:
      return Mview;
    case HostMenu::Convert:
      return Mconvert;
    case HostMenu::Archive:
      return Marchive;
    case HostMenu::Info:
      return Minfo;
    case HostMenu::App:
      return Mapp;
    case HostMenu::Option:
      return Moption;
    case HostMenu::Help:
      return Mhelp;
    case HostMenu::FileListPopup:
      return FileListPopup;
    case HostMenu::PanePopup:
      return PopupMenu1;
    case HostMenu::CodePopup:
      return PopupMenu3;
  }
  return nullptr;
}

void TForm1::CommandRefused(CommandName name) {
  QApplication::beep();
  const QAction* a = commands_->Action(name);
  SetStatusPanel(4, a ? QString("「%1」は今は使えません。").arg(a->text().remove('&'))
                      : QString("このキーのコマンドはまだありません。"));
}

void TForm1::SplitHints() {
  // A hint "short|long": the tool tip shows the short text, the status
  // bar's hint panel the long one.
  for (QAction* a : findChildren<QAction*>()) {
    QString tip = a->toolTip();
    if (!tip.contains('|')) continue;
    a->setToolTip(tip.section('|', 0, 0));
    if (a->statusTip().isEmpty()) a->setStatusTip(tip.section('|', 1));
  }
}

void TForm1::BuildMenus() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  auto top = [this](const char* name, const QString& title) {
    QMenu* m = MainMenu1->addMenu(title);
    m->setObjectName(name);
    return m;
  };
  Mfile = top("Mfile", "ファイル(&F)");
  Medit = top("Medit", "編集(&E)");
  Mdelete = top("Mdelete", "削除(&K)");
  Msearch = top("Msearch", "検索(&S)");
  Mview = top("Mview", "表示(&D)");
  Mconvert = top("Mconvert", "変換(&C)");
  Marchive = top("Marchive", "書庫(&L)");
  Minfo = top("Minfo", "情報(&I)");
  Mapp = top("Mapp", "アプリケーション(&A)");
  Moption = top("Moption", "設定(&O)");
  Mhelp = top("Mhelp", "ヘルプ(&H)");
  Mnow = MainMenu1->addAction(Q(FormatMenuDate(std::time(nullptr))));
  Mnow->setObjectName("Mnow");

  Mexit = AddCommand(Mfile, cmd::Mexit, "終了(&X)", [this] { close(); });

  Mtextnewview = AddCommand(Mview, cmd::Mtextnewview, "ファイルを再表示(&T)", [this] {
    PreviewEnabled = true;
    Mdisp->setChecked(true);  // real-time mode, its check and its panel together
    RealTimeMode = true;
    if (!SelectedPath.empty()) PreviewSelectedFile();
    QApplication::restoreOverrideCursor();
  });
  Mtextrepaint1 = AddCommand(Mview, cmd::Mtextrepaint1, "テキストを再表示(&B)", [this] {
    QApplication::restoreOverrideCursor();
    // The refill forgets the selection: take the file along so it is
    // shown again rather than an empty pane.
    std::string name = SelectedPath.empty() ? std::string() : FileNamePart(SelectedPath);
    RefreshAll();
    PreviewEnabled = true;
    RealTimeMode = true;
    ShiftHeld = AltHeld = false;
    if (!name.empty()) SelectFileByName(name);
  });
  connect(ToolButton17, &QAction::triggered, Mtextrepaint1, &QAction::trigger);
  MeditView1 = AddCommand(Mview, cmd::MeditView1, "テキスト表示を隠す(&I)", [this] { ToggleEditView(); });
  MeditView1->setStatusTip("テキスト表示を隠します。");
  Mwordwrap = AddCommand(Mview, cmd::Mwordwrap, "右で折り返す(&R)", [this] { ToolButton39->toggle(); });
  Mv = AddCommand(nullptr, cmd::Mv, "&V テキストを表示", [this] {
    if (RealTimeMode) {
      if (paneHidden_) ToggleEditView();
      RichEdit1->setFocus();
      return;
    }
    RealTimeMode = true;
    PreviewSelectedFile();
    RealTimeMode = false;
  });
  addAction(Mv);
  connect(Mview, &QMenu::aboutToShow, this,
          [this] { Mwordwrap->setText(RichEdit1->WordWrap() ? "右で折り返さない(&R)" : "右で折り返す(&R)"); });

  Mdisp = AddOption(Moption, cmd::Mdisp, "テキスト瞬時表示(&T)", true, [this](bool on) {
    RealTimeMode = on;
    SetSBarRPanel(4, on ? "ﾘｱﾙﾓｰﾄﾞ" : "Vﾓｰﾄﾞ");
  });
  Mmousepoint = AddOption(Moption, cmd::Mmousepoint, "マウスポインタ表示(&H)", false, [this](bool on) {
    Settings.hottrack = on;
    // Hot tracking covers both views.
    FileView1->setAttribute(Qt::WA_Hover, on);
    FileIconView1->setAttribute(Qt::WA_Hover, on);
    SetSBarRPanel(5, on ? "MP" : "");
  });
  Mtoolbar =
      AddOption(Moption, cmd::Mtoolbar, "ツールバー表示(&B)", true, [this](bool on) { ToolBar1->setVisible(on); });
  Msubtoolbar1 =
      AddOption(Moption, cmd::Msubtoolbar1, "テキストツールバー表示", true, [this](bool) { ApplyToolbarLayout(); });
  Mcloseinitview1 = AddOption(Moption, cmd::Mcloseinitview1, "終了時ファイル未選択(&I)", true, nullptr);
  Moption->addSeparator();
  Mfont = Moption->addMenu("フォント(&O)");
  Mfont->setObjectName("Mfont");
  Mfonttext = AddCommand(Mfont, cmd::Mfonttext, "テキスト(&T)", [this] {
    TFontColorDialog dlg(this, "テキストのフォント", RichEdit1->font(),
                         QColorFromTColor(Settings.fontR.color, palette().color(QPalette::Text)));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    Settings.fontR = FontSpecFromQFont(dlg.SelectedFont(), TColorFromQColor(dlg.SelectedColor()));
    ApplyFonts();
  });
  Mfontfile = AddCommand(Mfont, cmd::Mfontfile, "ファイル名(&F)", [this] {
    TFontColorDialog dlg(this, "ファイル名のフォント", FileView1->font(),
                         QColorFromTColor(Settings.fontF.color, palette().color(QPalette::Text)));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    Settings.fontF = FontSpecFromQFont(dlg.SelectedFont(), TColorFromQColor(dlg.SelectedColor()));
    ApplyFonts();
  });
  Mtabset1 = AddCommand(Moption, cmd::Mtabset1, "TAB位置設定", [this] {
    if (!InputQuery("TAB位置設定", "TABの文字数", "", "", "8")) return;
    TabWidth = ParseTabWidth(S(DialogAnswer));
    RichEdit1->SetTabWidth(TabWidth);
  });
  Mchartset = AddCommand(Moption, cmd::Mchartset, "テキストの文字種類(&C)", [this] {
    TForm8 dlg(this, RichEdit1);
    ExecDialog(dlg);
  });
  MstreamRead1 = AddCommand(Moption, cmd::MstreamRead1, "Stream読み込みの設定(&M)", [this] {
    TIniFile ini = OpenSettings();
    TForm26 dlg(this, TReadSettingDialogModel::ForStreamRead(ini));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    TIniFile fresh = OpenSettings();
    dlg.Model().Accept(fresh);
    WriteSettings(fresh);
  });
  Mreadmax1 = AddCommand(Moption, cmd::Mreadmax1, "読み込み制限の設定(&Y)", [this] {
    TIniFile ini = OpenSettings();
    TForm26 dlg(this, TReadSettingDialogModel::ForReadMax(ini));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    TIniFile fresh = OpenSettings();
    dlg.Model().Accept(fresh);
    WriteSettings(fresh);
  });
  Moption->addSeparator();
  Minitdirectry1 = AddCommand(Moption, cmd::Minitdirectry1, "起動時フォルダー指定", [this] {
    TIniFile ini = OpenSettings();
    TForm4 dlg(this, "起動時フォルダー指定", "起動時のフォルダーを指定して下さい。",
               Q(ini.ReadString("InitFolder", "InitFolderName", "")));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    TIniFile fresh = OpenSettings();
    fresh.WriteString("InitFolder", "InitFolderName", S(dlg.FolderText()));
    WriteSettings(fresh);
  });
  Minifileclear1 = AddCommand(Moption, cmd::Minifileclear1, "INIファイル削除･初期化", [this] { ResetSettingsFile(); });

  // The text toolbar's buttons and "終了" run these commands.
  ToolButton2->setProperty("navirtCommand", cmd::Mexit.text);
  SBeditview->setProperty("navirtCommand", cmd::MeditView1.text);
  ToolButton49->setProperty("navirtCommand", cmd::Mv.text);
  ToolButton17->setProperty("navirtCommand", cmd::Mtextrepaint1.text);
  ToolButton39->setProperty("navirtCommand", cmd::Mwordwrap.text);

  // A menu takes the keyboard: the release of the Alt that opened it never
  // reaches the list.
  for (QMenu* m : {Mfile, Medit, Mdelete, Msearch, Mview, Mconvert, Marchive, Minfo, Mapp, Moption, Mhelp}) {
    connect(m, &QMenu::aboutToShow, this, [this] { SyncHeldKeys(Qt::NoModifier); });
    connect(m, &QMenu::aboutToHide, this, [this] { SyncHeldKeysWithKeyboard(); });
  }

  // The whole menu as one pop-up: the same menus, so every item and its
  // twin share one check mark.
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  for (QMenu* m : {Mfile, Medit, Mdelete, Msearch, Mview, Mconvert, Marchive, Minfo, Mapp, Moption, Mhelp})
    PopupMenu1->addMenu(m);
  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName("PopupMenu2");
  PopupMenu3 = new QMenu(this);
  PopupMenu3->setObjectName("PopupMenu3");
  // The browse subsystem fills the file list's pop-up.
  FileListPopup = new QMenu(this);
  FileListPopup->setObjectName("FileContextMenu");
  RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(RichEdit1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(RichEdit1->viewport()->mapToGlobal(p)); });
  FileView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FileView1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(FileView1->viewport()->mapToGlobal(p)); });
}

// ---------------------------------------------------------------- LHA

int TForm1::QueryLhaVersion() {
  TDynamicLibrary lib;
  if (!lib.Load("UNLHA32.DLL")) return 0;
  using GetVersion = unsigned short (*)();
  auto fn = reinterpret_cast<GetVersion>(lib.Symbol("UnlhaGetVersion"));
  return fn ? fn() : 0;
}

void TForm1::ApplyLhaAvailability() {
  for (CommandName name : {cmd::MlhaU, cmd::MlhaP, cmd::Mlhalist, cmd::Mlha_V, cmd::Mlha_E})
    if (QAction* a = FindAction(name)) a->setEnabled(LhaVersion != 0);
}
