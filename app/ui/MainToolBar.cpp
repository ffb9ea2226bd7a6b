#include "app/ui/MainToolBar.h"

#include <QToolBar>

#include <stdexcept>
#include <string>

#include "app/MainSettings.h"
#include "app/ui/AllCommands.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"

namespace {

struct SlotCommand {
  navirt::ToolButtonId button;
  CommandName command;
};

// The command each button runs; its row gives the picture and the caption.
const SlotCommand kSlotCommands[] = {
    {btn::Print, cmd::Mprint},
    {btn::PrintSetup, cmd::Mprintset},
    {btn::FileCopy, cmd::Mfilecopy},
    {btn::FileMove, cmd::Mfilemove},
    {btn::FileDelete, cmd::Mfiledelete},
    {btn::Rename, cmd::Mrename},
    {btn::Attributes, cmd::Mpropaty},
    {btn::Drive, cmd::Mdrivem},
    {btn::Up, cmd::Mup},
    {btn::Sort, cmd::Mfilesort1},
    {btn::RegisteredFolders, cmd::Mfolderreg},
    {btn::Folder, cmd::Mfolderm},
    {btn::Mask, cmd::Mmask},
    {btn::DirCommand, cmd::Mdircommand2},
    {btn::LargeIcons, cmd::Micon1},
    {btn::SmallIcons, cmd::Micon2},
    {btn::List, cmd::Micon3},
    {btn::Details, cmd::Micon4},
    {btn::Editor, cmd::Mediter},
    {btn::Run, cmd::Mfileexe},
    {btn::ArcExtract, cmd::MlhaU},
    {btn::ArcCreate, cmd::MlhaP},
    {btn::ArcList, cmd::Mlhalist},
    {btn::Help, cmd::Mhelpcontents},
    {btn::Exit, cmd::Mexit},
    {btn::HidePane, cmd::MeditView1},
    {btn::Show, cmd::MshowFile},
    {btn::Refresh, cmd::Mtextrepaint1},
    {btn::Cut, cmd::Mcut},
    {btn::Copy, cmd::Mcopy},
    {btn::Paste, cmd::Mpaste},
    {btn::Delete, cmd::Mtextdelete},
    {btn::Save, cmd::Msave},
    {btn::SaveAs, cmd::Msaveas},
    {btn::Top, cmd::Mtexttop},
    {btn::End, cmd::Mtextend},
    {btn::Find, cmd::Mserch},
    {btn::Replace, cmd::Mreplace1},
    {btn::Url, cmd::Murl},
    {btn::HtmlToText, cmd::Mhtmldel},
    {btn::Code, cmd::MpopupCodeAuto},
    {btn::EditMode, cmd::Mkanihensyu},
    {btn::WordWrap, cmd::Mwordwrap},
};

const CommandName* CommandOf(navirt::ToolButtonId button) {
  for (const SlotCommand& s : kSlotCommands)
    if (s.button == button) return &s.command;
  return nullptr;
}

void Build(IHost& host, QToolBar* bar, const std::vector<navirt::ToolBarEntry>& entries) {
  for (const navirt::ToolBarEntry& e : entries) {
    const CommandName* command = CommandOf(e.button);
    // A slot without its command is a fault of the lists above, not of the user.
    if (!command) throw std::logic_error(std::string("toolbar slot without a command: ") + e.button.key);
    host.Commands().AddTo(bar, *command, e.button.key);
    if (e.groupEnd) bar->addSeparator();
  }
}

}  // namespace

void BuildToolBarButtons(IHost& host) {
  Build(host, host.MainToolBar(), navirt::ToolBar1Buttons());
  Build(host, host.TextToolBar(), navirt::ToolBar2Buttons());
}
