#include "preview/ui/HexDumpDialog.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include <cerrno>
#include <cstring>
#include <new>

#include <QFontInfo>
#include <QFontMetricsF>

#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/FontUtil.h"
#include "host/ui/Host.h"
#include "host/ui/Job.h"
#include "platform/FileInfo.h"
#include "preview/HexDump.h"
#include "preview/ui/PreviewCommandIds.h"

using namespace navirt;

std::function<void()> hexDumpProgressHook;

namespace {

// The work checks for Cancel every few thousand bytes rather than per byte.
constexpr size_t kCheckEveryBytes = 4096;
constexpr size_t kCheckEveryLines = 64;

JobSpec DumpJob(const std::string& path) {
  JobSpec spec;
  spec.title = "16進表示中";
  spec.heading = "16進表示中．．．";
  spec.detail = QString::fromStdString(path);
  return spec;
}

KeepGoing Checker(TJobContext& job, uint64_t step) {
  return [&job, step, done = uint64_t{0}]() mutable {
    if (hexDumpProgressHook) hexDumpProgressHook();
    done += step;
    job.SetDone(done);
    return !job.Cancelled();
  };
}

}  // namespace

void StandardHexDump(IHost& f) {
  const std::string path = f.HostSelectedPath();
  if (path.empty() || !IsRegularFile(path)) return;
  if (!f.ConfirmReplacePane()) return;
  const std::string info = TRichEdit::FromScreen(f.InfoLine());
  f.Pane()->Clear();
  std::string text;
  bool readFailed = false;
  int err = 0;
  JobOutcome outcome = RunJob(f, DumpJob(path), [&](TJobContext& job) {
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
      readFailed = true;
      err = errno;
      return;
    }
    job.SetTotal(bytes.size());
    // The dump is about four times the file: a file too large for memory
    // ends the job with a message instead of ending the program.
    text = HexDumpPane(bytes, info, Checker(job, kCheckEveryBytes), kCheckEveryBytes);
  });
  if (readFailed || outcome.failed) f.SetInfoColor(clBlue);  // blue on the way out, as after a dump
  if (readFailed) {
    f.MessageDlg(QString::fromStdString(path) + "\n" + QString::fromLocal8Bit(std::strerror(err)), "", TMsgKind::Error);
    return;
  }
  if (outcome.failed) return;  // the job showed its message; the pane stays empty
  f.SetPaneText(text, clBlue);
}

void BelowLineHexDump(IHost& f) {
  const std::string path = f.HostSelectedPath();
  if (path.empty() || !IsRegularFile(path)) return;
  TRichEdit* pane = f.Pane();
  std::vector<std::string> lines = pane->Lines();
  const std::string info = TRichEdit::FromScreen(f.InfoLine());
  std::vector<std::string> out;
  bool stopped = false;
  JobOutcome outcome = RunJob(f, DumpJob(path), [&](TJobContext& job) {
    job.SetTotal(lines.size());
    out = BelowLineDump(lines, info, Checker(job, kCheckEveryLines), kCheckEveryLines, &stopped);
  });
  if (outcome.failed) return;
  const TColor marker = f.InfoLineColor();
  const TColor color = stopped ? marker : clBlue;
  if (const TUnicodePane* unicode = pane->Unicode(); unicode && color != clRed) {
    // The digits are those of the codes the pane holds for a UTF-8 or
    // UTF-16 file; its lines are shown through the file's mapping so they
    // still read as themselves (the information line is CP932 text, which
    // the mapping shows as it is).
    TUnicodePane keep = *unicode;
    pane->setUpdatesEnabled(false);
    pane->SetText(JoinLines(out, "\r\n"), std::move(keep));
    pane->setUpdatesEnabled(true);
    pane->SetModified(false);
    f.SetInfoColor(color);
  } else {
    f.SetPaneLines(out, color);
  }
  // Each digit stands under its byte only where a full-width character is
  // exactly two half-width cells: a monospace CJK font.
  QFont font = pane->font();
  QFontMetricsF m(font);
  if (!QFontInfo(font).fixedPitch() ||
      m.horizontalAdvance(QString::fromUtf8("\u3042")) != 2 * m.horizontalAdvance("0")) {
    font.setFamilies({DefaultPaneFontName()});
    pane->setFont(font);
  }
}

void InstallHexDumpCommands(IHost& host) {
  QMenu* sub = host.Menu(HostMenu::Convert)->addMenu("16進表示(&P)");
  sub->setObjectName("Mdump1");
  CommandRow standard, below;
  standard.name = cmd::Mdump1a1;
  standard.caption = "標準表示";
  standard.run = [](IHost& h) { StandardHexDump(h); };
  below.name = cmd::Mdump1b1;
  below.caption = "行下表示";
  below.run = [](IHost& h) { BelowLineHexDump(h); };
  host.Commands().Install({standard, below}, sub);
}
