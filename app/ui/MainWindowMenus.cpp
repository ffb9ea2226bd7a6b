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

  InstallWindowCommands();

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

// The window's own commands, one table per menu.
void TForm1::InstallWindowCommands() {
  const std::vector<CommandRow> file = {
      WithButton({cmd::Mexit, "終了(&X)", nullptr, [this](IHost&) { close(); }}, "exit", {"終了(Q)", "終了(Q)"}),
  };
  const std::vector<CommandRow> view = {
      {cmd::Mtextnewview, "ファイルを再表示(&T)", nullptr,
       [this](IHost&) {
         PreviewEnabled = true;
         Mdisp->setChecked(true);  // real-time mode, its check and its panel together
         RealTimeMode = true;
         if (!SelectedPath.empty()) PreviewSelectedFile();
         QApplication::restoreOverrideCursor();
       }},
      WithButton({cmd::Mtextrepaint1, "テキストを再表示(&B)", nullptr,
                  [this](IHost&) {
                    QApplication::restoreOverrideCursor();
                    // The refill forgets the selection: take the file along so it is
                    // shown again rather than an empty pane.
                    std::string name = SelectedPath.empty() ? std::string() : FileNamePart(SelectedPath);
                    RefreshAll();
                    PreviewEnabled = true;
                    RealTimeMode = true;
                    ShiftHeld = AltHeld = false;
                    if (!name.empty()) SelectFileByName(name);
                  }},
                 "text-refresh", {"テキストの再表示"}),
      WithButton({cmd::MeditView1, "テキスト表示を隠す(&I)", nullptr, [this](IHost&) { ToggleEditView(); }},
                 "pane-hide", {"隠す", "隠す|テキスト表示部分を隠します。"}),
      // The button shows whether the pane wraps.
      WithButton({cmd::Mwordwrap, "右で折り返す(&R)", nullptr,
                  [this](IHost&) { RichEdit1->SetWordWrap(!RichEdit1->WordWrap()); }},
                 "word-wrap", {"折り返し", nullptr, [this](IHost&) { return RichEdit1->WordWrap(); }}),
  };
  // Key V only: no menu shows it.
  const std::vector<CommandRow> keyOnly = {
      {cmd::Mv, "&V テキストを表示", nullptr,
       [this](IHost&) {
         if (RealTimeMode) {
           if (paneHidden_) ToggleEditView();
           RichEdit1->setFocus();
           return;
         }
         RealTimeMode = true;
         PreviewSelectedFile();
         RealTimeMode = false;
       }},
      // The "表示" button: the selected file whatever the mode.
      WithButton({cmd::MshowFile, "表示", nullptr, [this](IHost&) { ShowSelectedFile(); }}, "file-show", {"表示"}),
  };
  auto option = [](CommandName name, const char* caption, bool checked, std::function<void(IHost&, bool)> toggled) {
    CommandRow row{name, caption, nullptr, {}};
    row.checkable = true;
    row.checked = checked;
    row.toggled = std::move(toggled);
    return row;
  };
  const std::vector<CommandRow> options = {
      option(cmd::Mdisp, "テキスト瞬時表示(&T)", true,
             [this](IHost&, bool on) {
               RealTimeMode = on;
               SetSBarRPanel(4, on ? "ﾘｱﾙﾓｰﾄﾞ" : "Vﾓｰﾄﾞ");
             }),
      option(cmd::Mmousepoint, "マウスポインタ表示(&H)", false,
             [this](IHost&, bool on) {
               Settings.hottrack = on;
               // Hot tracking covers both views.
               FileView1->setAttribute(Qt::WA_Hover, on);
               FileIconView1->setAttribute(Qt::WA_Hover, on);
               SetSBarRPanel(5, on ? "MP" : "");
             }),
      option(cmd::Mtoolbar, "ツールバー表示(&B)", true, [this](IHost&, bool on) { ToolBar1->setVisible(on); }),
      option(cmd::Msubtoolbar1, "テキストツールバー表示", true, [this](IHost&, bool) { ApplyToolbarLayout(); }),
      option(cmd::Mcloseinitview1, "終了時ファイル未選択(&I)", true, nullptr),
  };
  // The font dialog for one of the two fonts, kept in spec.
  auto chooseFont = [this](const char* title, const QFont& current, FontSpec& spec) {
    TFontColorDialog dlg(this, title, current, QColorFromTColor(spec.color, palette().color(QPalette::Text)));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    spec = FontSpecFromQFont(dlg.SelectedFont(), TColorFromQColor(dlg.SelectedColor()));
    ApplyFonts();
  };
  const std::vector<CommandRow> fonts = {
      {cmd::Mfonttext, "テキスト(&T)", nullptr,
       [this, chooseFont](IHost&) { chooseFont("テキストのフォント", RichEdit1->font(), Settings.fontR); }},
      {cmd::Mfontfile, "ファイル名(&F)", nullptr,
       [this, chooseFont](IHost&) { chooseFont("ファイル名のフォント", FileView1->font(), Settings.fontF); }},
  };
  auto readSettings = [this](TReadSettingDialogModel (*model)(const TIniFile&)) {
    TIniFile ini = OpenSettings();
    TForm26 dlg(this, model(ini));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    TIniFile fresh = OpenSettings();
    dlg.Model().Accept(fresh);
    WriteSettings(fresh);
  };
  const std::vector<CommandRow> reading = {
      {cmd::Mtabset1, "TAB位置設定", nullptr,
       [this](IHost&) {
         if (!InputQuery("TAB位置設定", "TABの文字数", "", "", "8")) return;
         TabWidth = ParseTabWidth(S(DialogAnswer));
         RichEdit1->SetTabWidth(TabWidth);
       }},
      {cmd::Mchartset, "テキストの文字種類(&C)", nullptr,
       [this](IHost&) {
         TForm8 dlg(this, RichEdit1);
         ExecDialog(dlg);
       }},
      {cmd::MstreamRead1, "Stream読み込みの設定(&M)", nullptr,
       [readSettings](IHost&) { readSettings(&TReadSettingDialogModel::ForStreamRead); }},
      {cmd::Mreadmax1, "読み込み制限の設定(&Y)", nullptr,
       [readSettings](IHost&) { readSettings(&TReadSettingDialogModel::ForReadMax); }},
  };
  const std::vector<CommandRow> startup = {
      {cmd::Minitdirectry1, "起動時フォルダー指定", nullptr,
       [this](IHost&) {
         TIniFile ini = OpenSettings();
         TForm4 dlg(this, "起動時フォルダー指定", "起動時のフォルダーを指定して下さい。",
                    Q(ini.ReadString("InitFolder", "InitFolderName", "")));
         if (ExecDialog(dlg) != QDialog::Accepted) return;
         TIniFile fresh = OpenSettings();
         fresh.WriteString("InitFolder", "InitFolderName", S(dlg.FolderText()));
         WriteSettings(fresh);
       }},
      {cmd::Minifileclear1, "INIファイル削除･初期化", nullptr, [this](IHost&) { ResetSettingsFile(); }},
  };

  commands_->Install(file, Mfile);
  commands_->Install(view, Mview);
  commands_->Install(keyOnly, nullptr);
  commands_->Install(options, Moption);
  Moption->addSeparator();
  Mfont = Moption->addMenu("フォント(&O)");
  Mfont->setObjectName("Mfont");
  commands_->Install(fonts, Mfont);
  commands_->Install(reading, Moption);
  Moption->addSeparator();
  commands_->Install(startup, Moption);

  Mexit = FindAction(cmd::Mexit);
  Mtextnewview = FindAction(cmd::Mtextnewview);
  Mtextrepaint1 = FindAction(cmd::Mtextrepaint1);
  MeditView1 = FindAction(cmd::MeditView1);
  Mwordwrap = FindAction(cmd::Mwordwrap);
  Mv = FindAction(cmd::Mv);
  Mdisp = FindAction(cmd::Mdisp);
  Mmousepoint = FindAction(cmd::Mmousepoint);
  Mtoolbar = FindAction(cmd::Mtoolbar);
  Msubtoolbar1 = FindAction(cmd::Msubtoolbar1);
  Mcloseinitview1 = FindAction(cmd::Mcloseinitview1);
  Mfonttext = FindAction(cmd::Mfonttext);
  Mfontfile = FindAction(cmd::Mfontfile);
  Mtabset1 = FindAction(cmd::Mtabset1);
  Mchartset = FindAction(cmd::Mchartset);
  MstreamRead1 = FindAction(cmd::MstreamRead1);
  Mreadmax1 = FindAction(cmd::Mreadmax1);
  Minitdirectry1 = FindAction(cmd::Minitdirectry1);
  Minifileclear1 = FindAction(cmd::Minifileclear1);

  MeditView1->setStatusTip("テキスト表示を隠します。");
  addAction(Mv);
  connect(Mview, &QMenu::aboutToShow, this,
          [this] { Mwordwrap->setText(RichEdit1->WordWrap() ? "右で折り返さない(&R)" : "右で折り返す(&R)"); });
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
