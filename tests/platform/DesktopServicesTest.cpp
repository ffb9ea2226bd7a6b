#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/DesktopServices.h"
#include "platform/FakeProcessStarter.h"
#include "platform/Programs.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

namespace fs = std::filesystem;

void WriteFile(const std::string& path, const std::string& text, bool exec = false) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path) << text;
  if (exec) chmod(path.c_str(), 0755);
}

DesktopEnv Gnome() {
  DesktopEnv e;
  e.currentDesktop = "ubuntu:GNOME";
  e.sessionId = "c2";
  e.user = "taro";
  return e;
}

TEST(DesktopServices, EveryShortcutStartsTheRightProgramWithItsArguments) {
  TRecordingStarter fake;
  TDesktopServices d(fake, Gnome());
  EXPECT_TRUE(d.ShowTrash().ok);
  EXPECT_TRUE(d.OpenTerminal("/home/taro/doc").ok);
  EXPECT_TRUE(d.OpenSettings().ok);
  EXPECT_TRUE(d.OpenDiskUtility().ok);
  EXPECT_TRUE(d.ActivateScreenSaver().ok);
  EXPECT_TRUE(d.OpenLauncher().ok);
  EXPECT_TRUE(d.ComposeMail("本文\r\n2行目").ok);
  EXPECT_TRUE(d.PowerOff().ok);
  EXPECT_TRUE(d.Reboot().ok);
  EXPECT_TRUE(d.LogOff().ok);
  EXPECT_TRUE(d.Suspend().ok);
  EXPECT_TRUE(d.OpenFile("/home/taro/a b.txt", "/home/taro").ok);
  EXPECT_TRUE(d.OpenUrl("http://example.jp/?a=1&b=2").ok);
  EXPECT_TRUE(d.StartProgram("/usr/bin/gimp", "/home/taro").ok);
  const std::vector<ProgramCall> want = {
      {"nautilus", {"trash:///"}, ""},
      {"x-terminal-emulator", {}, "/home/taro/doc"},
      {"gnome-control-center", {}, ""},
      {"gnome-disks", {}, ""},
      {"xdg-screensaver", {"activate"}, ""},
      {"gdbus",
       {"call", "--session", "--dest", "org.gnome.Shell", "--object-path", "/org/gnome/Shell", "--method",
        "org.gnome.Shell.ShowApplications"},
       ""},
      {"xdg-email", {"--body", "本文\r\n2行目"}, ""},
      {"systemctl", {"poweroff"}, ""},
      {"systemctl", {"reboot"}, ""},
      {"loginctl", {"terminate-session", "c2"}, ""},
      {"systemctl", {"suspend"}, ""},
      {"xdg-open", {"/home/taro/a b.txt"}, "/home/taro"},
      {"xdg-open", {"http://example.jp/?a=1&b=2"}, ""},
      {"/usr/bin/gimp", {}, "/home/taro"},
  };
  ASSERT_EQ(fake.calls.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(fake.calls[i], want[i]) << i;
}

TEST(DesktopServices, OtherDesktopsGetTheirOwnProgramsAndMissingOnesAreNamed) {
  TRecordingStarter fake;
  DesktopEnv kde;
  kde.currentDesktop = "KDE";
  kde.user = "hanako";
  TDesktopServices d(fake, kde);
  d.ShowTrash();
  d.OpenSettings();
  d.LogOff();  // no session id: every session of the user
  ASSERT_EQ(fake.calls.size(), 3u);
  EXPECT_EQ(fake.calls[0], (ProgramCall{"dolphin", {"trash:/"}, ""}));
  EXPECT_EQ(fake.calls[1].program, "systemsettings");
  EXPECT_EQ(fake.calls[2], (ProgramCall{"loginctl", {"terminate-user", "hanako"}, ""}));

  // An unknown desktop takes the first program that exists.
  TRecordingStarter few;
  few.onlyListed = true;
  few.present = {"gio", "xfce4-settings-manager"};
  TDesktopServices other(few, DesktopEnv{});
  EXPECT_TRUE(other.ShowTrash().ok);
  EXPECT_EQ(few.calls.back(), (ProgramCall{"gio", {"open", "trash:///"}, ""}));
  EXPECT_TRUE(other.OpenSettings().ok);
  EXPECT_EQ(few.calls.back().program, "xfce4-settings-manager");
  StartResult r = other.OpenDiskUtility();
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("gnome-disks"), std::string::npos);
  EXPECT_NE(r.message.find("ディスクユーティリティ"), std::string::npos);
  r = other.OpenTerminal("/tmp");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "x-terminal-emulator が見つかりません。");
  EXPECT_EQ(few.calls.size(), 2u);
  // Without a session id or a user there is nothing to log off.
  EXPECT_FALSE(other.LogOff().ok);
  EXPECT_EQ(few.calls.size(), 2u);
}

TEST(DesktopServices, BadInputStartsNothing) {
  TRecordingStarter fake;
  TDesktopServices d(fake, Gnome());
  EXPECT_FALSE(d.OpenUrl("").ok);
  StartResult r = d.OpenUrl("--help");
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.message.empty());
  EXPECT_FALSE(d.OpenFile("", "/").ok);
  EXPECT_FALSE(d.StartProgram("", "/").ok);
  EXPECT_FALSE(d.ComposeMail(std::string(TDesktopServices::kMaxMailBody + 1, 'a')).ok);
  // A pane text with a NUL byte would reach the mail program cut short.
  r = d.ComposeMail(std::string("before\0after", 12));
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("NUL"), std::string::npos);
  EXPECT_TRUE(fake.calls.empty());
  // A relative name that looks like an option is made a path.
  d.OpenFile("-rf", "/x");
  EXPECT_EQ(fake.calls.back().args, std::vector<std::string>{"./-rf"});
}

TEST(DesktopServices, TheEditorIsTheStoredOneElseTheDesktopsElseTheTerminals) {
  TRecordingStarter fake;
  DesktopEnv env = Gnome();
  env.textEditorExec = "gnome-text-editor %U";
  env.editor = "vim -p";
  TDesktopServices d(fake, env);
  d.EditFile("/opt/ed/ed", "/home/taro/a.txt", "/home/taro");
  d.EditFile("/opt/ed/ed", "", "/home/taro");  // no file: no argument
  d.EditFile("", "/home/taro/a.txt", "/home/taro");
  ASSERT_EQ(fake.calls.size(), 3u);
  EXPECT_EQ(fake.calls[0], (ProgramCall{"/opt/ed/ed", {"/home/taro/a.txt"}, "/home/taro"}));
  EXPECT_EQ(fake.calls[1], (ProgramCall{"/opt/ed/ed", {}, "/home/taro"}));
  EXPECT_EQ(fake.calls[2], (ProgramCall{"gnome-text-editor", {"/home/taro/a.txt"}, "/home/taro"}));

  fake.missing = {"gnome-text-editor"};
  d.EditFile("", "/home/taro/a.txt", "/home/taro");
  EXPECT_EQ(fake.calls.back(),
            (ProgramCall{"x-terminal-emulator", {"-e", "vim", "-p", "/home/taro/a.txt"}, "/home/taro"}));

  TRecordingStarter none;
  TDesktopServices bare(none, DesktopEnv{});
  StartResult r = bare.EditFile("", "/a.txt", "/");
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("エディタ"), std::string::npos);
  EXPECT_TRUE(none.calls.empty());
}

TEST(DesktopServices, AddressesWithoutASchemeGoToTheBrowserAsHttp) {
  EXPECT_EQ(BrowserUrl("http://a.jp/"), "http://a.jp/");
  EXPECT_EQ(BrowserUrl("mailto:x@y.jp"), "mailto:x@y.jp");
  EXPECT_EQ(BrowserUrl("svn+ssh://h/r"), "svn+ssh://h/r");
  EXPECT_EQ(BrowserUrl("www.example.jp/a"), "http://www.example.jp/a");
  EXPECT_EQ(BrowserUrl("localhost:8080/x"), "http://localhost:8080/x");
  EXPECT_EQ(BrowserUrl("/home/taro/a.html"), "/home/taro/a.html");
  TRecordingStarter fake;
  TDesktopServices d(fake, DesktopEnv{});
  d.OpenUrl("www.example.jp");
  EXPECT_EQ(fake.calls.back(), (ProgramCall{"xdg-open", {"http://www.example.jp"}, ""}));
}

TEST(DesktopEntry, ExecLinesExpandForOneFile) {
  using V = std::vector<std::string>;
  EXPECT_EQ(ExpandDesktopExec("gedit %U", "/a b"), (V{"gedit", "/a b"}));
  EXPECT_EQ(ExpandDesktopExec("kate -b %u", "/x"), (V{"kate", "-b", "/x"}));
  EXPECT_EQ(ExpandDesktopExec("mousepad", "/x"), (V{"mousepad", "/x"}));
  EXPECT_EQ(ExpandDesktopExec("\"/opt/My Editor/ed\" --icon %i %F", "/x"), (V{"/opt/My Editor/ed", "--icon", "/x"}));
  EXPECT_EQ(ExpandDesktopExec("sh -c \"echo \\\"$1\\\"\" %f", "/x"), (V{"sh", "-c", "echo \"$1\"", "/x"}));
  EXPECT_EQ(ExpandDesktopExec("ed --at=100%% %c %k", ""), (V{"ed", "--at=100%"}));
  EXPECT_EQ(ExpandDesktopExec("", "/x"), V{});
}

TEST(DesktopEntry, TheDefaultTextEditorComesFromTheFirstListThatNamesAnInstalledEntry) {
  UniqueTempDir tmp("navirt_desk");
  const std::string root = tmp.path().string();
  WriteFile(root + "/cfg/mimeapps.list", "[Default Applications]\ntext/plain=gone.desktop;mine.desktop;\n");
  WriteFile(root + "/data/applications/mine.desktop", "[Desktop Entry]\nName=Mine\nExec=mine --new %F\n");
  WriteFile(root + "/sys/applications/mimeapps.list",
            "[Added Associations]\ntext/plain=other.desktop\n[Default Applications]\ntext/plain=other.desktop\n");
  WriteFile(root + "/sys/applications/other.desktop", "[Desktop Entry]\r\nExec=other %U\r\n");
  EXPECT_EQ(DefaultTextEditorExec(root + "/cfg", {}, root + "/data", {root + "/sys"}), "mine --new %F");
  fs::remove(root + "/data/applications/mine.desktop");
  EXPECT_EQ(DefaultTextEditorExec(root + "/cfg", {}, root + "/data", {root + "/sys"}), "other %U");
  EXPECT_EQ(DefaultTextEditorExec(root + "/none", {}, root + "/none", {}), "");
}

TEST(Programs, AProgramIsAnyExecutableFile) {
  UniqueTempDir tmp("navirt_desk");
  const std::string root = tmp.path().string();
  WriteFile(root + "/bin/tool", "#!/bin/sh\n", true);
  WriteFile(root + "/bin/data.txt", "text");
  fs::create_directories(root + "/bin/dir");
  EXPECT_TRUE(IsExecutableFile(root + "/bin/tool"));
  EXPECT_FALSE(IsExecutableFile(root + "/bin/data.txt"));
  EXPECT_FALSE(IsExecutableFile(root + "/bin/dir"));
  EXPECT_FALSE(IsExecutableFile(root + "/bin/missing"));
  EXPECT_FALSE(IsExecutableFile(""));
  EXPECT_EQ(FindProgram("tool", "/nowhere:" + root + "/bin"), root + "/bin/tool");
  EXPECT_EQ(FindProgram("data.txt", root + "/bin"), "");
  EXPECT_EQ(FindProgram(root + "/bin/tool", ""), root + "/bin/tool");
  EXPECT_EQ(FindProgram("tool", "/nowhere"), "");
}

// Waits for a file another process writes; the test fails, not hangs, when it never comes.
bool WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(path);
    std::string s((std::istreambuf_iterator<char>(in)), {});
    if (s.find("END") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(SpawnStarter, StartsWithoutAShellInTheFolderAndNamesWhatFails) {
  UniqueTempDir tmp("navirt_desk");
  const std::string root = tmp.path().string();
  std::string out = root + "/out.txt";
  WriteFile(root + "/rec.sh", "#!/bin/sh\n{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; echo END; } > \"$OUT\"\n",
            true);
  setenv("OUT", out.c_str(), 1);
  fs::create_directories(root + "/work dir");
  TSpawnStarter real;
  EXPECT_TRUE(real.Exists(root + "/rec.sh"));
  StartResult r = real.Start({root + "/rec.sh", {"a b", "$HOME;rm x", "*"}, root + "/work dir"});
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_TRUE(WaitForFile(out));
  std::ifstream in(out);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(text, root + "/work dir\n[a b]\n[$HOME;rm x]\n[*]\nEND\n");

  r = real.Start({root + "/rec.sh", {std::string("a\0b", 3)}, root});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("NUL"), std::string::npos);
  r = real.Start({"navirt-no-such-program", {}, ""});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "navirt-no-such-program が見つかりません。");
  r = real.Start({root + "/rec.sh", {}, root + "/missing folder"});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("missing folder"), std::string::npos);
  // A script whose interpreter is missing fails at exec and says so.
  WriteFile(root + "/broken.sh", "#!/nonexistent/interpreter\n", true);
  r = real.Start({root + "/broken.sh", {}, ""});
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.message.find("broken.sh"), std::string::npos);
  unsetenv("OUT");
}

}  // namespace
}  // namespace navirt
