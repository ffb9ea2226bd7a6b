// Saving a UTF-8 or UTF-16 file back in its own code.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "edit/PaneBytes.h"
#include "edit/SaveUnicode.h"
#include "platform/Cp932.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

std::string Be16(const std::string& utf8) {
  std::string out = "\xFE\xFF";
  for (char16_t c : Utf8ToUtf16(utf8)) {
    out += static_cast<char>(c >> 8);
    out += static_cast<char>(c & 0xFF);
  }
  return out;
}

class SaveUnicode : public ::testing::Test {
 protected:
  UniqueTempDir tmp_{"navirt-saveuni"};
  std::string dir_ = tmp_.Folder();
};

// Load, change one line in the pane, overwrite with backup: the file keeps
// its code and mark, untouched lines are as stored, the backup is the old file.
TEST_F(SaveUnicode, OverwriteKeepsCodeMarkAndUntouchedLines) {
  const std::string old = Be16("一行目😀\n二行目𩸽\r\n三行目");
  const std::string path = dir_ + "memo.txt";
  std::ofstream(path, std::ios::binary) << old;
  PaneLoad load = LoadForPane(ReadFile(path));
  ASSERT_TRUE(load.unicode);
  EXPECT_EQ(load.unicode->Code(), UnicodeCode::Utf16Be);
  TPaneBytes pane(load.text);
  ASSERT_EQ(pane.LineCount(), 3u);
  std::vector<PaneLine> lines = {{0, ""}, {-1, Utf8ToCp932("二行目を直した")}, {2, ""}};
  const SaveResult r = SavePaneText(path, pane.Assemble(lines), &*load.unicode, true);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ReadFile(path), Be16("一行目😀\n二行目を直した\r\n三行目"));
  EXPECT_EQ(ReadFile(dir_ + "memo.$$$"), old);
}

TEST_F(SaveUnicode, SaveAsKeepsTheCodeAndPlainPanesAreWrittenAsTheyAre) {
  PaneLoad load = LoadForPane(
      "\xEF\xBB\xBF"
      "Café\n");
  ASSERT_TRUE(load.unicode);
  const std::string other = dir_ + "other.txt";
  ASSERT_TRUE(SavePaneText(other, load.text, &*load.unicode, false).ok);
  EXPECT_EQ(ReadFile(other),
            "\xEF\xBB\xBF"
            "Café\n");
  // A Shift_JIS pane: no mapping, the bytes themselves.
  PaneLoad plain = LoadForPane(Utf8ToCp932("かな\n"));
  EXPECT_FALSE(plain.unicode);
  ASSERT_TRUE(SavePaneText(other, plain.text, nullptr, false).ok);
  EXPECT_EQ(ReadFile(other), Utf8ToCp932("かな\n"));
  // A failed save (no such folder) leaves nothing behind and says why.
  const SaveResult bad = SavePaneText(dir_ + "none/x.txt", load.text, &*load.unicode, true);
  EXPECT_FALSE(bad.ok);
  EXPECT_FALSE(bad.error.empty());
}

}  // namespace
}  // namespace navirt
