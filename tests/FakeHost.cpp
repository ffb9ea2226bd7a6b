// The plain host for window tests of one subsystem (see FakeHost.h).
#include "tests/FakeHost.h"

#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QToolBar>

#include "edit/PaneText.h"
#include "host/ui/InputDialog.h"
#include "platform/Messages.h"

TFakeHost::TFakeHost() : dir_(std::make_unique<QTemporaryDir>()) {
  setObjectName("FakeHost");
  // Japanese as the window is, whatever the locale: the archiver libraries'
  // reports too.
  navirt::SetMessageLanguage(navirt::MsgLang::Japanese);
  settingsPath = dir_->filePath("navirt.ini").toStdString();
  commands_ = std::make_unique<TCommandRegistry>(*this, this);
  toolBar1_ = addToolBar("ToolBar1");
  toolBar2_ = addToolBar("ToolBar2");
  resize(640, 480);
}

TFakeHost::~TFakeHost() = default;

QToolButton* TFakeHost::PlaceButton(CommandName name) {
  if (!commands_->AddTo(toolBar2_, name, name.text)) return nullptr;
  return commands_->Button(name);
}

QMenu* TFakeHost::Menu(HostMenu which) {
  QMenu*& m = menus_[which];
  if (!m) m = menuBar()->addMenu(QString::number(int(which)));
  return m;
}

std::vector<std::string> TFakeHost::PaneLines() const { return navirt::SplitLines(paneText_); }

void TFakeHost::SetPaneText(std::string_view bytes, navirt::TColor marker) {
  paneText_.assign(bytes);
  paneMarker_ = marker;
}

void TFakeHost::SetPaneLines(const std::vector<std::string>& lines, navirt::TColor marker) {
  SetPaneText(navirt::JoinLines(lines), marker);
}

void TFakeHost::SetInfoLine(const QString& text, navirt::TColor color) {
  info_ = text;
  infoColor_ = color;
}

void TFakeHost::GoToFolder(const std::string& f) {
  folder = f.empty() || f.back() == '/' ? f : f + '/';
  ++refreshes;
}

bool TFakeHost::SelectFileByName(const std::string& name) {
  for (const std::string& p : listed) {
    if (p.size() >= name.size() && p.compare(p.size() - name.size(), name.size(), name) == 0) {
      selection = {p};
      return true;
    }
  }
  return false;
}

navirt::TIniFile TFakeHost::OpenSettings() const {
  navirt::TIniFile ini;
  ini.Load(settingsPath);
  return ini;
}

bool TFakeHost::WriteSettings(const navirt::TIniFile& ini) { return ini.SaveAs(settingsPath); }

int TFakeHost::MessageDlg(const QString& text, const QString& caption, TMsgKind kind, int buttons) {
  messages << text;
  return messageHook ? messageHook(text, caption, kind, buttons) : int(mbOK);
}

int TFakeHost::ExecDialog(QDialog& dialog) { return dialogHook ? dialogHook(dialog) : dialog.exec(); }

bool TFakeHost::InputQuery(const QString& caption, const QString& prompt, const QString& note,
                           const std::string& section, const QString& preset, int widthPercent) {
  return RunInputQuery(*this, caption, prompt, note, section, preset, widthPercent, answer_);
}

void TFakeHost::NoteSavedFile(const std::string& path) {
  auto slash = path.rfind('/');
  lastSaveFolder_ = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
