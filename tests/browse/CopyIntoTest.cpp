#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "browse/CopyInto.h"
#include "platform/FileInfo.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

namespace fs = std::filesystem;

TEST(CopyInto, CopiesWithoutEverOverwriting) {
  UniqueTempDir tmp("navirt-copy");
  const fs::path& d = tmp.path();
  fs::create_directories(d / "src/sub");
  fs::create_directories(d / "dst");
  std::ofstream(d / "src/a.txt") << "A";
  std::ofstream(d / "src/sub/b.txt") << "B";
  std::ofstream(d / "dst/a2.txt") << "keep";
  std::ofstream(d / "src/a2.txt") << "new";
  CopyIntoResult r = CopyInto(
      {(d / "src/a.txt").string(), (d / "src/sub").string(), (d / "src/a2.txt").string(), (d / "src/missing").string()},
      (d / "dst").string());
  EXPECT_EQ(r.copied, 2);
  EXPECT_EQ(r.failed, 2);
  EXPECT_FALSE(r.firstError.empty());
  std::string s;
  ASSERT_TRUE(ReadWholeFile((d / "dst/sub/b.txt").string(), s));
  EXPECT_EQ(s, "B");
  ASSERT_TRUE(ReadWholeFile((d / "dst/a2.txt").string(), s));
  EXPECT_EQ(s, "keep");
  // Into its own folder, or a folder into itself: refused.
  r = CopyInto({(d / "dst/a.txt").string()}, (d / "dst").string());
  EXPECT_EQ(r.copied, 0);
  r = CopyInto({(d / "src").string()}, (d / "src/sub").string());
  EXPECT_EQ(r.failed, 1);
  EXPECT_FALSE(fs::exists(d / "src/sub/src"));
}

}  // namespace
}  // namespace navirt
