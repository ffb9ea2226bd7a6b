#include "sysinfo/ui/SysinfoCommands.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QToolBar>
#include <QtGlobal>

#include <algorithm>
#include <ctime>
#include <memory>

#include <filesystem>
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "host/ui/HostPart.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "sysinfo/About.h"
#include "sysinfo/DateWindow.h"
#include "sysinfo/DriveInfo.h"
#include "sysinfo/Help.h"
#include "sysinfo/PowerCommands.h"
#include "sysinfo/SystemReport.h"
#include "sysinfo/UrlCandidate.h"
#include "sysinfo/ui/AboutDialog.h"
#include "sysinfo/ui/DriveInfoForm.h"
#include "sysinfo/ui/SysinfoCommandIds.h"

using namespace navirt;

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }

// The services live with the window, next to the starter they go through.
class TServicesHolder : public QObject {
 public:
  explicit TServicesHolder(QObject* parent)
      : QObject(parent),
        own_(std::make_unique<TSpawnStarter>()),
        services_(std::make_unique<TDesktopServices>(*own_, DesktopEnvFromProcess())) {}
  TDesktopServices& Services() { return *services_; }
  void Replace(IProcessStarter& starter, const DesktopEnv& env) {
    services_ = std::make_unique<TDesktopServices>(starter, env);
  }

 private:
  std::unique_ptr<TSpawnStarter> own_;
  std::unique_ptr<TDesktopServices> services_;
};

TServicesHolder& HolderOf(IHost& host) {
  auto* holder = THostPart<TServicesHolder>::Of(host);
  if (!holder) holder = THostPart<TServicesHolder>::Set(host, new TServicesHolder(host.HostWindow()));
  return *holder;
}

// A refusal names what is missing; success says nothing.
void Report(IHost& host, const StartResult& r) {
  if (!r.ok) host.MessageDlg(Q(r.message), QString(), TMsgKind::Error);
}

// The runner of a shortcut: one service call, its failure shown.
std::function<void(IHost&)> Shortcut(StartResult (*call)(IHost&)) {
  return [call](IHost& h) { Report(h, call(h)); };
}

void MnowClick(IHost& host) {
  LocalDate today = ToLocalDate(std::time(nullptr));
  // The menu bar's date item shows this action's caption.
  if (QAction* now = host.Commands().Action(cmd::MnowInfo)) now->setText(Q(MnowCaption(today)));
  host.MessageDlg(Q(DateWindowText(today)), "現在日付", TMsgKind::Information);
}

void Msysteminfo1Click(IHost& host) {
  std::vector<std::string> lines = BuildSystemReport(CollectSystemFacts());
  host.SetPaneLines(lines, clBlue);
  host.Pane()->SetModified(false);
  host.SetInfoLine(QString(), clBlue);
  // The folder and its figures do not describe the report.
  host.SetStatusPanel(0, QString());
  host.SetStatusPanel(1, QString());
}

void MdriveInfoClick(IHost& host) {
  std::string error;
  std::optional<DriveFigures> figures = ReadDriveFigures(host.HostFolder(), &error);
  if (!figures) {
    if (!error.empty()) host.MessageDlg(Q(error), "ドライブ情報", TMsgKind::Error);
    return;
  }
  TDriveInfoForm form(host.HostWindow(), *figures);
  host.ExecDialog(form);
}

void PowerClick(IHost& host, PowerAction action) {
  PowerOutcome out = RunPowerAction(action, DesktopServicesOf(host), [&host](const std::string& question) {
    // Enter must not end the session: No is the default.
    return host.MessageDlg(Q(question), "確認", TMsgKind::Confirmation, mbYes | mbNo | mbDefaultNo) == mbYes;
  });
  if (out.ran) Report(host, out.result);
}

// Asks which drive first, with the current folder's file system as the
// example; the desktop's disk tool does the formatting.
void MformatClick(IHost& host) {
  std::string example = MountPointOf(host.HostFolder());
  if (example.empty()) example = "/";
  if (!host.InputQuery("ﾃﾞｨｽｸのﾌｫｰﾏｯﾄ", Q("ﾌｫｰﾏｯﾄするﾄﾞﾗｲﾌﾞ (ex." + example + ")"), "", "", Q(example))) return;
  if (host.Answer().trimmed().isEmpty()) return;
  Report(host, DesktopServicesOf(host).OpenDiskUtility());
}

void MfileexeClick(IHost& host) {
  std::string path = host.HostSelectedPath();
  if (path.empty() || !std::filesystem::exists(std::filesystem::u8path(path))) return;
  Report(host, DesktopServicesOf(host).OpenFile(path, host.HostFolder()));
  std::string name = FileNamePart(path);
  host.RefreshAll();
  host.SetPaneText("", host.InfoLineColor());
  host.SelectFileByName(name);
}

void MurlClick(IHost& host) {
  TRichEdit* pane = host.Pane();
  std::string candidate;
  if (pane->SelLength() > 0) {
    candidate = UrlCandidateFromSelection(pane->SelText());
  } else {
    std::vector<std::string> lines = host.PaneLines();
    size_t n = size_t(std::max(pane->CaretLine() - 1, 0));
    if (n < lines.size()) candidate = UrlCandidateFromLine(lines[n]);
  }
  TInputDialogModel model = UrlDialogModel(host.OpenSettings(), candidate);
  if (!host.InputQuery(Q(model.caption), Q(model.prompt), Q(model.note), kUrlHistorySection, Q(model.text),
                       kUrlDialogWidthPercent))
    return;
  std::string url = host.Answer().toStdString();
  if (url.empty()) return;
  Report(host, DesktopServicesOf(host).OpenUrl(url));
}

void HelpClick(IHost& host, HelpTopic topic) {
  std::string page = FindHelpFile(topic, QCoreApplication::applicationDirPath().toStdString());
  if (page.empty()) {
    host.MessageDlg(Q(std::string("ヘルプ ") + HelpFileName(topic) + " が見つかりません。"), QString(),
                    TMsgKind::Error);
    return;
  }
  Report(host, DesktopServicesOf(host).OpenUrl(FileUrl(page)));
}

void MaboutClick(IHost& host) {
  AboutFacts facts;
  facts.version = NAVIRT_VERSION;
  facts.qtVersion = qVersion();
  facts.icuVersion = IcuVersion();
  facts.libraries = LoadedLibraries();
  TAboutDialog dialog(host.HostWindow(), facts);
  host.ExecDialog(dialog);
}

}  // namespace

TDesktopServices& DesktopServicesOf(IHost& host) { return HolderOf(host).Services(); }

void ReplaceProcessStarter(IHost& host, IProcessStarter& starter, const DesktopEnv& env) {
  HolderOf(host).Replace(starter, env);
}

void InstallSysinfoCommands(IHost& host) {
  std::vector<CommandRow> info = {
      {cmd::Msysteminfo1,
       "システム情報表示(&S)",
       nullptr,
       Msysteminfo1Click,
       {},
       "システム情報|システム情報を表示します。"},
      {cmd::MdriveInfo, "ドライブ情報表示(&K)", nullptr, MdriveInfoClick,
       [](IHost& h) { return !h.HostFolder().empty(); }, "ドライブ情報|ドライブの使用量を表示します。"},
      {cmd::Mgomi, "ごみ箱(&T)", nullptr, Shortcut([](IHost& h) { return DesktopServicesOf(h).ShowTrash(); })},
      {cmd::Mdos, "MS-DOSプロンプト(&M)", nullptr,
       Shortcut([](IHost& h) { return DesktopServicesOf(h).OpenTerminal(h.HostFolder()); })},
      {cmd::Mcontrolpanel, "コントロールパネルを表示(&J)", nullptr,
       Shortcut([](IHost& h) { return DesktopServicesOf(h).OpenSettings(); })},
      {cmd::Mdiskcopy1, "ディスク　コピー(&N)", nullptr,
       Shortcut([](IHost& h) { return DesktopServicesOf(h).OpenDiskUtility(); })},
      {cmd::Mformat, "ディスク　フォーマット(&F)", nullptr, MformatClick},
      {cmd::Mssaver, "スクリーンセーバーを表示(&V)", nullptr,
       Shortcut([](IHost& h) { return DesktopServicesOf(h).ActivateScreenSaver(); })},
      {cmd::Mstart, "スタートメニューを表示(&Y)", nullptr,
       Shortcut([](IHost& h) { return DesktopServicesOf(h).OpenLauncher(); })},
      {cmd::Msend, "送信(&H)..", nullptr,
       Shortcut([](IHost& h) { return DesktopServicesOf(h).ComposeMail(MailBodyFromPane(h.PaneLines())); })},
      {cmd::MexitW, "Windowsの終了(&Q)", nullptr, [](IHost& h) { PowerClick(h, PowerAction::PowerOff); }},
      {cmd::Msysreboot1, "Windowsの再起動(&R)", nullptr, [](IHost& h) { PowerClick(h, PowerAction::Reboot); }},
      {cmd::Msyslogoff1, "Windowsのログオフ(&L)", nullptr, [](IHost& h) { PowerClick(h, PowerAction::LogOff); }},
      {cmd::Msysstandby1, "Windowsのスタンバイ(&B)", nullptr, [](IHost& h) { PowerClick(h, PowerAction::Suspend); }},
      WithButton(
          {cmd::Mfileexe, "ファイル　実行(&E)", nullptr, MfileexeClick,
           [](IHost& h) { return !h.HostSelectedPath().empty(); }, "実行|選択したファイルを関連付けで開きます。"},
          "run", {"実行(X)", "実行(X)"}),
      WithButton({cmd::Murl, "URL先を開く(&U)", nullptr, MurlClick, {}, "URL|URL先をブラウザで開きます。"}, "url",
                 {"URL", "URL"}),
  };
  host.Commands().Install(info, host.Menu(HostMenu::Info));

  // The date item of the menu bar shows today and opens the date window.
  host.Commands().Install(CommandRow{cmd::MnowInfo, "現在日付", nullptr, MnowClick});

  std::vector<CommandRow> help = {
      WithButton({cmd::Mhelpcontents,
                  "目次(&C)",
                  nullptr,
                  [](IHost& h) { HelpClick(h, HelpTopic::Contents); },
                  {},
                  "ヘルプ|ヘルプを表示します。"},
                 "help", {"ヘルプ(H)", "ヘルプ(H)|ヘルプを表示します。"}),
      {cmd::Mhelpsearch, "キーワードで検索(&S)", nullptr, [](IHost& h) { HelpClick(h, HelpTopic::Keywords); }},
      {cmd::Mhelpusage, "使い方(&U)", nullptr, [](IHost& h) { HelpClick(h, HelpTopic::Usage); }},
      {cmd::Mabout, "バージョン情報(&A)...", nullptr, MaboutClick},
  };
  host.Commands().Install(help, host.Menu(HostMenu::Help));
}
