#pragma once
// Everything the program hands to the desktop: the file manager at the
// Trash, a terminal, the settings program, the disk utility, the screen
// saver, the application launcher, mail, the power services, opening files
// and addresses, external programs and editors. Each is a program started
// without a shell through an IProcessStarter; a missing program gives a
// message naming it.
#include <string>
#include <vector>

#include "platform/ProcessStarter.h"

namespace navirt {

// What the desktop session tells about itself (from the environment).
struct DesktopEnv {
  std::string currentDesktop;  // $XDG_CURRENT_DESKTOP, e.g. "ubuntu:GNOME"
  std::string sessionId;       // $XDG_SESSION_ID
  std::string user;            // $USER
  std::string visual, editor;  // $VISUAL, $EDITOR
  // Exec line of the desktop's default application for text/plain, empty
  // when none is registered (see DefaultTextEditorExec).
  std::string textEditorExec;
};
DesktopEnv DesktopEnvFromProcess();

// One way of doing a thing: the program, its arguments, and the desktops
// ($XDG_CURRENT_DESKTOP names) it belongs to; none: any desktop.
struct Candidate {
  std::string program;
  std::vector<std::string> args;
  std::vector<std::string> desktops;
};
// The first candidate of the running desktop that exists, else the first
// that exists anywhere; nullptr when none does.
const Candidate* ChooseCandidate(const std::vector<Candidate>& list, const std::string& currentDesktop,
                                 const IProcessStarter& starter);

// A desktop entry's Exec line as arguments for one file: quoting undone,
// %f %F %u %U replaced by the file (appended when the line has none), the
// other field codes dropped, "%%" kept as "%".
std::vector<std::string> ExpandDesktopExec(const std::string& exec, const std::string& file);
// The Exec line of the default text/plain application, from the
// mimeapps.list files and desktop entries under the given XDG folders.
std::string DefaultTextEditorExec(const std::string& configHome, const std::vector<std::string>& configDirs,
                                  const std::string& dataHome, const std::vector<std::string>& dataDirs);

// An address as the browser gets it: one without a scheme ("www.x.jp/")
// is taken as http, as the old shell did (the opener would look for a
// file); an absolute path stays a path.
std::string BrowserUrl(const std::string& text);

class TDesktopServices {
 public:
  TDesktopServices(IProcessStarter& starter, DesktopEnv env) : starter_(starter), env_(std::move(env)) {}

  StartResult ShowTrash();
  StartResult OpenTerminal(const std::string& folder);
  StartResult OpenSettings();
  StartResult OpenDiskUtility();
  StartResult ActivateScreenSaver();
  StartResult OpenLauncher();
  // bodyUtf8 becomes the body of a new message in the mail program.
  StartResult ComposeMail(const std::string& bodyUtf8);
  StartResult PowerOff();
  StartResult Reboot();
  StartResult LogOff();
  StartResult Suspend();
  // A file with the program the desktop associates with it.
  StartResult OpenFile(const std::string& path, const std::string& folder);
  // An address in the user's browser.
  StartResult OpenUrl(const std::string& url);
  // A registered application: the program alone, in folder.
  StartResult StartProgram(const std::string& program, const std::string& folder);
  // The file in editor (a path or a name in $PATH); with no editor, the
  // desktop's text editor, else $VISUAL or $EDITOR in a terminal.
  StartResult EditFile(const std::string& editor, const std::string& file, const std::string& folder);

  static constexpr size_t kMaxMailBody = 100000;  // one argument of the system holds at most 128 KiB

 private:
  StartResult Run(const ProgramCall& call);
  StartResult RunFirst(const std::vector<Candidate>& list, const std::string& what, const std::string& folder = "");

  IProcessStarter& starter_;
  DesktopEnv env_;
};

}  // namespace navirt
