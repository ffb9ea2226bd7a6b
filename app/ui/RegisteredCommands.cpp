#include "app/ui/RegisteredCommands.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QToolBar>

#include <filesystem>

#include "app/RegisterDialogs.h"
#include "app/Registered.h"
#include "app/ToolButtonSettings.h"
#include "app/ui/AppCommandIds.h"
#include "app/ui/ApplicationDialog.h"
#include "app/ui/FolderDialog.h"
#include "app/ui/MenuMaintenance.h"
#include "app/ui/ToolButtonDialog.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "platform/Programs.h"
#include "sysinfo/ui/SysinfoCommandIds.h"
#include "sysinfo/ui/SysinfoCommands.h"

using namespace navirt;

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string S(const QString& text) { return text.toStdString(); }

bool IsFolder(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_directory(std::filesystem::u8path(path), ec);
}

// A click reads the settings file by the item's tag, never its caption.
void ApplicationClicked(IHost& host, int tag) {
  ItemClick c = ApplicationClick(host.OpenSettings(), tag, IsExecutableFile);
  if (!c.message.empty()) {
    host.MessageDlg(Q(c.message), QString(), TMsgKind::Warning);
    return;
  }
  if (c.path.empty()) return;
  StartResult r = DesktopServicesOf(host).StartProgram(c.path, host.HostFolder());
  if (!r.ok) host.MessageDlg(Q(r.message), QString(), TMsgKind::Error);
}

void FolderClicked(IHost& host, int tag) {
  ItemClick c = FolderClick(host.OpenSettings(), tag, IsFolder);
  if (!c.message.empty()) {
    host.MessageDlg(Q(c.message), QString(), TMsgKind::Warning);
    return;
  }
  if (c.path.empty()) return;
  host.SetInfoLine(QString(), host.InfoLineColor());
  host.GoToFolder(c.path);
}

// What the registration lives on for the window's lifetime: the numbered
// menus the dialogs keep up to date and which toolbar buttons are hidden.
class TRegistered : public QObject {
 public:
  TRegistered(IHost& host, std::vector<QMenu*> apps, QMenu* folders)
      : QObject(host.HostWindow()),
        appMenu(std::move(apps), [&host](int tag) { ApplicationClicked(host, tag); }),
        folderMenu({folders}, [&host](int tag) { FolderClicked(host, tag); }),
        buttons(ToolButtonStateAtStart(host.OpenSettings())) {
    setObjectName("NavirtRegistered");
  }
  TQtNumberedMenu appMenu;
  TQtNumberedMenu folderMenu;
  ToolButtonState buttons;
};

TRegistered& StateOf(IHost& host) {
  return *host.HostWindow()->findChild<TRegistered*>("NavirtRegistered", Qt::FindDirectChildrenOnly);
}

// From the menu or key G the pop-up opens at the right panel's corner,
// from the button under the button.
void ShowFolderPopup(IHost& host, QWidget* button) {
  RebuildRegisteredMenus(host);
  QWidget* w = host.HostWindow();
  QWidget* panel = w->findChild<QWidget*>("PanelR");
  QPoint corner = panel ? panel->mapTo(w, QPoint(0, 0)) : QPoint(0, 0);
  QPoint at = corner + QPoint(4, 2);
  if (button) at = QPoint(button->mapTo(w, QPoint(0, 0)).x(), corner.y() + 2);
  FolderPopupOf(host)->popup(w->mapToGlobal(at));
}

void EditClick(IHost& host) {
  std::string editor = StoredEditor(host.OpenSettings());
  StartResult r = DesktopServicesOf(host).EditFile(editor, host.HostSelectedPath(), host.HostFolder());
  if (!r.ok) host.MessageDlg(Q(r.message), QString(), TMsgKind::Error);
}

// The dialogs write the settings file when they close, however they close.
void ApplicationSetClick(IHost& host) {
  TAppDialogModel model(StateOf(host).appMenu, IsExecutableFile);
  model.Open(host.OpenSettings());
  TForm22 dialog(host.HostWindow(), model,
                 [&host](const QString& text) { host.MessageDlg(text, "ｱﾌﾟﾘｹｰｼｮﾝの設定", TMsgKind::Warning); });
  host.ExecDialog(dialog);
  TIniFile ini = host.OpenSettings();
  model.Close(ini);
  host.WriteSettings(ini);
}

void FolderSetClick(IHost& host) {
  TFolderDialogModel model(StateOf(host).folderMenu);
  model.Open(host.OpenSettings());
  TForm23 dialog(host.HostWindow(), model);
  host.ExecDialog(dialog);
  TIniFile ini = host.OpenSettings();
  model.Close(ini);
  host.WriteSettings(ini);
}

void EditorSetClick(IHost& host) {
  TEditorDialogModel model(IsExecutableFile);
  model.Open(host.OpenSettings());
  TForm4 dialog(host.HostWindow(), "ｴﾃﾞｨﾀｰの設定", "ｴﾃﾞｨﾀｰの実行ﾌｧｲﾙをﾌﾙﾊﾟｽで指定して下さい。", Q(model.field),
                Q(model.PreviousText()), [&model](const QString& text) {
                  model.field = S(text);
                  return model.OkEnabled();
                });
  if (host.ExecDialog(dialog) != QDialog::Accepted) return;
  model.field = S(dialog.FolderText());
  TIniFile ini = host.OpenSettings();
  if (model.Accept(ini)) host.WriteSettings(ini);
}

void ToolButtonSetClick(IHost& host) {
  TToolButtonDialogModel model;
  model.Open(host.OpenSettings());
  TForm21 dialog(host.HostWindow(), model);
  if (host.ExecDialog(dialog) != QDialog::Accepted) return;
  host.SetAnswer("true");
  TIniFile ini = host.OpenSettings();
  std::vector<ToolButtonChange> changes = model.Accept(ini, StateOf(host).buttons);
  host.WriteSettings(ini);
  QWidget* w = host.HostWindow();
  for (const ToolButtonChange& c : changes) {
    QAction* a = w->findChild<QAction*>(Q(c.button));
    if (!a) continue;
    a->setVisible(c.visible);
    if (!c.visible) continue;
    // The toolbar is hidden and shown around the button so it lays out anew.
    for (QToolBar* bar : {host.MainToolBar(), host.TextToolBar()}) {
      if (!bar->actions().contains(a) || !bar->isVisible()) continue;
      bar->hide();
      bar->show();
    }
  }
  host.MainToolBar()->update();
  host.TextToolBar()->update();
}

}  // namespace

QMenu* ApplicationMenuOf(IHost& host) { return host.HostWindow()->findChild<QMenu*>("Mexedo"); }
QMenu* ApplicationPopupMenuOf(IHost& host) { return host.HostWindow()->findChild<QMenu*>("Mexedo2"); }
QMenu* FolderPopupOf(IHost& host) { return host.HostWindow()->findChild<QMenu*>("PopupMenu2"); }

void RebuildRegisteredMenus(IHost& host) {
  TIniFile ini = host.OpenSettings();
  TRegistered& state = StateOf(host);
  state.appMenu.Rebuild(ApplicationMenu(LoadApplications(ini)));
  state.folderMenu.Rebuild(FolderMenu(LoadFolders(ini)));
}

void InstallRegisteredCommands(IHost& host) {
  QWidget* w = host.HostWindow();
  QMenu* app = host.Menu(HostMenu::App);
  QMenu* apps = app->addMenu("実行(&G)");
  apps->setObjectName("Mexedo");
  // Its twin in the pane's pop-up, kept item for item with it.
  QMenu* popup = host.Menu(HostMenu::PanePopup);
  QMenu* apps2 = popup ? popup->addMenu("実行(&G)") : nullptr;
  if (apps2) apps2->setObjectName("Mexedo2");
  // The window may already hold the pop-up; one menu under that name.
  QMenu* folders = FolderPopupOf(host);
  if (!folders) {
    folders = new QMenu(w);
    folders->setObjectName("PopupMenu2");
  }
  new TRegistered(host, {apps, apps2}, folders);
  IHost* h = &host;
  QObject::connect(app, &QMenu::aboutToShow, apps, [h] { RebuildRegisteredMenus(*h); });
  if (popup) QObject::connect(popup, &QMenu::aboutToShow, apps, [h] { RebuildRegisteredMenus(*h); });
  RebuildRegisteredMenus(host);

  std::vector<CommandRow> rows = {
      {cmd::Mexeset,
       "設定(&O)..",
       nullptr,
       ApplicationSetClick,
       {},
       "アプリケーションの設定|実行するアプリケーションを登録します。"},
      // From the button the list opens under the button.
      WithButton({cmd::Mfolderreg,
                  "登録フォルダーを表示(&K)",
                  nullptr,
                  [](IHost& h) { ShowFolderPopup(h, h.Commands().InvokingButton()); },
                  {},
                  "登録フォルダー|登録フォルダーの一覧を表示します。"},
                 "folder-registered", {"登録フォルダー(G)", "登録フォルダー(G)"}),
      WithButton({cmd::Mediter, "エディターで編集(&T)", nullptr, EditClick, {}, "エディター|エディターで編集します。"},
                 "editor", {"エディター(E)", "エディター(E)"}),
  };
  host.Commands().Install(rows, app);
  std::vector<CommandRow> options = {
      {cmd::Mfolderregset,
       "登録フォルダーの設定(&K)",
       nullptr,
       FolderSetClick,
       {},
       "登録フォルダーの設定|登録フォルダーを設定します。"},
      {cmd::MediterSet, "エディタの設定(&S)", nullptr, EditorSetClick, {}, "エディタの設定|エディターを設定します。"},
      {cmd::Mtoolbarset,
       "ツールボタンの設定(&E)",
       nullptr,
       ToolButtonSetClick,
       {},
       "ツールボタンの設定|表示するツールボタンを選択します。"},
  };
  host.Commands().Install(options, host.Menu(HostMenu::Option));
}
