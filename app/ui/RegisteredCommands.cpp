#include "app/ui/RegisteredCommands.h"

#include <QAction>
#include <QMenu>

#include <filesystem>

#include "app/Registered.h"
#include "app/ui/AppCommandIds.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "platform/Programs.h"
#include "sysinfo/ui/SysinfoCommands.h"

using namespace navirt;

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

void Fill(IHost& host, QMenu* menu, const std::vector<MenuItemSpec>& items, void (*clicked)(IHost&, int)) {
  menu->clear();
  IHost* h = &host;
  for (const MenuItemSpec& item : items) {
    QAction* a = menu->addAction(Q(item.caption));
    a->setStatusTip(Q(item.hint));
    a->setToolTip(Q(item.hint));
    a->setData(item.tag);
    int tag = item.tag;
    QObject::connect(a, &QAction::triggered, menu, [h, clicked, tag] { clicked(*h, tag); });
  }
}

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

void ShowFolderPopup(IHost& host) {
  RebuildRegisteredMenus(host);
  QWidget* w = host.HostWindow();
  QWidget* panel = w->findChild<QWidget*>("PanelR");
  QPoint at = panel ? panel->mapTo(w, QPoint(4, 2)) : QPoint(4, 2);
  FolderPopupOf(host)->popup(w->mapToGlobal(at));
}

void EditClick(IHost& host) {
  std::string editor = StoredEditor(host.OpenSettings());
  StartResult r = DesktopServicesOf(host).EditFile(editor, host.HostSelectedPath(), host.HostFolder());
  if (!r.ok) host.MessageDlg(Q(r.message), QString(), TMsgKind::Error);
}

}  // namespace

QMenu* ApplicationMenuOf(IHost& host) { return host.HostWindow()->findChild<QMenu*>("Mexedo"); }
QMenu* FolderPopupOf(IHost& host) { return host.HostWindow()->findChild<QMenu*>("PopupMenu2"); }

void RebuildRegisteredMenus(IHost& host) {
  TIniFile ini = host.OpenSettings();
  if (QMenu* apps = ApplicationMenuOf(host)) Fill(host, apps, ApplicationMenu(LoadApplications(ini)), ApplicationClicked);
  if (QMenu* folders = FolderPopupOf(host)) Fill(host, folders, FolderMenu(LoadFolders(ini)), FolderClicked);
}

void InstallRegisteredCommands(IHost& host) {
  QWidget* w = host.HostWindow();
  QMenu* app = host.Menu(HostMenu::App);
  QMenu* apps = app->addMenu("実行(&G)");
  apps->setObjectName("Mexedo");
  auto* folders = new QMenu(w);
  folders->setObjectName("PopupMenu2");
  IHost* h = &host;
  QObject::connect(app, &QMenu::aboutToShow, apps, [h] { RebuildRegisteredMenus(*h); });
  RebuildRegisteredMenus(host);

  std::vector<CommandRow> rows = {
      {cmd::Mfolderreg, "登録フォルダーを表示(&K)", nullptr, ShowFolderPopup, {},
       "登録フォルダー|登録フォルダーの一覧を表示します。"},
      {cmd::Mediter, "エディターで編集(&T)", nullptr, EditClick, {}, "エディター|エディターで編集します。"},
  };
  host.Commands().Install(rows, app);
}
