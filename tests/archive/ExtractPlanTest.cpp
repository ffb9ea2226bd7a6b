// Extracting over existing files: the plan asks about each one, and the
// run replaces exactly the files answered Replace, in every format,
// whatever that format's own rule would do.
#include <gtest/gtest.h>

#include <atomic>

#include "archive/ArcCommands.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

TArcSelection In(const std::string& folder, const std::string& name, std::vector<std::string> names = {}) {
  TArcSelection s;
  s.currentFolder = folder;
  s.selectedPath = folder + "/" + name;
  s.selectedNames = names.empty() ? std::vector<std::string>{name} : names;
  s.listCount = 1;
  return s;
}

// An archive of a.txt, b.txt and c.txt ("new a" ...) made by the window's
// own creation command; the extension chooses the format.
std::string MakeArchive(const TempDir& tmp, const std::string& name) {
  const std::string src = tmp / "src";
  fs::create_directories(src);
  for (const char* n : {"a", "b", "c"}) WriteFile(src + "/" + n + ".txt", std::string("new ") + n);
  TArcOutcome o = GeneralCreate(In(src, "a.txt", {"a.txt", "b.txt", "c.txt"}), tmp / name);
  EXPECT_EQ(o.result, 0) << Cp932ToUtf8(o.paneText);
  return tmp / name;
}

TArcPlan PlanInto(TArcCommand cmd, const std::string& archive, const std::string& out, const TLhaDirect& lha) {
  TArcSelection sel = In(FolderPart(archive), FileNamePart(archive));
  TIniFile ini;
  TArcAsk ask = AskArcCommand(cmd, sel, lha, ini);
  EXPECT_FALSE(ask.stop);
  EXPECT_EQ(ask.question, TArcQuestion::Target);
  ask.target.answer = out;
  return PlanArcCommand(cmd, sel, ask, lha, ini);
}

TEST(ExtractPlan, AnswersAreTakenInOrderAndToAllAnswersTheRest) {
  TArcPlan p;
  p.existing = {"/o/a", "/o/b", "/o/c", "/o/d"};
  ASSERT_NE(p.Question(), nullptr);
  EXPECT_EQ(*p.Question(), "/o/a");
  p.Answer(TReplaceAnswer::Replace, false);
  EXPECT_EQ(*p.Question(), "/o/b");
  p.Answer(TReplaceAnswer::Keep, false);
  p.Answer(TReplaceAnswer::Replace, true);
  EXPECT_EQ(p.Question(), nullptr);
  EXPECT_EQ(p.replace, (std::vector<std::string>{"/o/a", "/o/c", "/o/d"}));
  EXPECT_EQ(p.kept, 1u);

  TArcPlan q;
  q.existing = {"/o/a", "/o/b", "/o/c"};
  q.Answer(TReplaceAnswer::Keep, false);
  q.Answer(TReplaceAnswer::Cancel, false);
  EXPECT_TRUE(q.cancelled);
  EXPECT_EQ(q.Question(), nullptr);
  q.Answer(TReplaceAnswer::Replace, true);  // too late: nothing changes
  EXPECT_TRUE(q.replace.empty());
}

TEST(ExtractPlan, OnlyFilesAnsweredReplaceAreReplacedInEveryFormat) {
  TLhaDirect lha;
  ASSERT_GT(lha.Version(), 0);
  // tar's library replaces by default, LHA's when newer, zip's never: the
  // plan's answers decide for all of them.
  for (const char* name : {"p.zip", "p.tar", "p.lzh"}) {
    SCOPED_TRACE(name);
    TempDir tmp;
    const std::string archive = MakeArchive(tmp, name);
    const std::string out = tmp / "out";
    fs::create_directories(out + "/sub");
    WriteFile(out + "/a.txt", "old a");
    WriteFile(out + "/b.txt", "old b");
    WriteFile(out + "/sub/c.txt", "not in the way");
    const TArcCommand cmd = std::string(name) == "p.lzh" ? TArcCommand::MlhaU : TArcCommand::Marcunpack1;
    TArcPlan plan = PlanInto(cmd, archive, out, lha);
    EXPECT_EQ(plan.lhaRoute, cmd == TArcCommand::MlhaU);
    ASSERT_EQ(plan.existing, (std::vector<std::string>{out + "/a.txt", out + "/b.txt"}));
    plan.Answer(TReplaceAnswer::Replace, false);
    plan.Answer(TReplaceAnswer::Keep, false);
    // A file that appears after the questions was never answered: kept.
    WriteFile(out + "/c.txt", "appeared");
    TArcOutcome o = ExecuteArcPlan(plan, lha, false);
    EXPECT_EQ(ReadFile(out + "/a.txt"), "new a");
    EXPECT_EQ(ReadFile(out + "/b.txt"), "old b");
    EXPECT_EQ(ReadFile(out + "/c.txt"), "appeared");
    EXPECT_EQ(ReadFile(out + "/sub/c.txt"), "not in the way");
    const std::string pane = Cp932ToUtf8(o.paneText);
    EXPECT_EQ(pane.rfind("既にあった 1 個のファイルはスキップしました", 0), 0u) << pane;
    // No empty line above the report.
    EXPECT_EQ(pane.find("\r\n\r\n"), std::string::npos) << pane;
  }
}

TEST(ExtractPlan, WithoutAnAnswerNothingIsReplacedAndCancelDoesNothing) {
  TLhaDirect lha;
  TempDir tmp;
  const std::string archive = MakeArchive(tmp, "p.tar");
  const std::string out = tmp / "out";
  fs::create_directories(out);
  WriteFile(out + "/a.txt", "old a");
  // The whole command without a question to ask keeps every existing file.
  TIniFile ini;
  TArcCommandEnv env{lha, ini, {}, {}};
  env.askTarget = [&](TArcTargetModel& m) {
    m.answer = out;
    return true;
  };
  TArcOutcome o = RunArcCommand(TArcCommand::Marcunpack1, In(tmp.Path(), "p.tar"), env);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(ReadFile(out + "/a.txt"), "old a");
  EXPECT_EQ(ReadFile(out + "/b.txt"), "new b");

  // Cancel at the second question: nothing at all is written.
  fs::remove(out + "/c.txt");
  WriteFile(out + "/b.txt", "old b");
  int asked = 0;
  env.askReplace = [&](const std::string&, bool&) {
    return ++asked == 1 ? TReplaceAnswer::Replace : TReplaceAnswer::Cancel;
  };
  o = RunArcCommand(TArcCommand::Marcunpack1, In(tmp.Path(), "p.tar"), env);
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(o.acted);
  EXPECT_EQ(ReadFile(out + "/a.txt"), "old a");
  EXPECT_EQ(ReadFile(out + "/b.txt"), "old b");
  EXPECT_FALSE(Exists(out + "/c.txt"));

  // A flat extraction asks about the names it lands on.
  TempDir t2;
  fs::create_directories(t2 / "flat");
  WriteFile(t2 / "flat/b.txt", "old");
  EXPECT_EQ(ExistingTargets(archive, t2 / "flat", true), std::vector<std::string>{t2.Path() + "/flat/b.txt"});
}

// The listing a plan makes reports its entries and stops at Cancel; a
// plan cancelled there writes nothing when executed.
TEST(ExtractPlan, ListingReportsEntriesAndStopsAtCancel) {
  TempDir tmp;
  const std::string archive = MakeArchive(tmp, "p.zip");
  const std::string out = tmp / "out";
  fs::create_directories(out);
  WriteFile(out + "/a.txt", "old a");
  WriteFile(out + "/c.txt", "old c");
  TLhaDirect lha;
  TArcSelection sel = In(FolderPart(archive), FileNamePart(archive));
  TIniFile ini;
  TArcAsk ask = AskArcCommand(TArcCommand::Marcunpack1, sel, lha, ini);
  ask.target.answer = out;
  ASSERT_TRUE(PlanListsArchive(TArcCommand::Marcunpack1));
  EXPECT_FALSE(PlanListsArchive(TArcCommand::Marcmake));

  std::atomic<bool> cancel{false};
  TArcProgress progress;
  progress.cancel = &cancel;
  std::vector<std::string> seen;
  progress.step = [&](size_t, const std::string& name) { seen.push_back(name); };
  TArcPlan whole = PlanArcCommand(TArcCommand::Marcunpack1, sel, ask, lha, ini, &progress);
  EXPECT_FALSE(whole.cancelled);
  EXPECT_EQ(whole.existing, (std::vector<std::string>{out + "/a.txt", out + "/c.txt"}));
  EXPECT_EQ(seen, std::vector<std::string>{"a.txt"});  // the first entry names the work at once

  // Cancel pressed while the first entry is reported.
  progress.step = [&](size_t, const std::string&) { cancel = true; };
  TArcPlan stopped = PlanArcCommand(TArcCommand::Marcunpack1, sel, ask, lha, ini, &progress);
  EXPECT_TRUE(stopped.cancelled);
  EXPECT_EQ(stopped.Question(), nullptr);
  EXPECT_LT(stopped.existing.size(), 2u);
  TArcOutcome o = ExecuteArcPlan(stopped, lha, false);
  EXPECT_FALSE(o.acted);
  EXPECT_FALSE(Exists(out + "/b.txt"));
  EXPECT_EQ(ReadFile(out + "/a.txt"), "old a");
}

}  // namespace
}  // namespace navirt
