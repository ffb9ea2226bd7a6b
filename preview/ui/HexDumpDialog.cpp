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

#include "app/ui/Unit1.h"
#include "host/ui/Job.h"
#include "host/ui/FontUtil.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "platform/FileInfo.h"
#include "preview/HexDump.h"

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

void StandardHexDump(TForm1* f) {
  if (f->SelectedPath.empty() || !IsRegularFile(f->SelectedPath)) return;
  const std::string path = f->SelectedPath;
  const std::string info = TRichEdit::FromScreen(f->InfoLine());
  f->RichEdit1->Clear();
  std::string text;
  bool readFailed = false;
  int err = 0;
  JobOutcome outcome = RunJob(*f, DumpJob(path), [&](TJobContext& job) {
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
  if (readFailed) {
    f->MessageDlg(QString::fromStdString(path) + "\n" + QString::fromLocal8Bit(std::strerror(err)), "",
                  TMsgKind::Error);
    return;
  }
  if (outcome.failed) return;  // the job showed its message; the pane stays empty
  f->SetPaneText(text, clBlue);
}

void BelowLineHexDump(TForm1* f) {
  if (f->SelectedPath.empty() || !IsRegularFile(f->SelectedPath)) return;
  std::vector<std::string> lines = f->RichEdit1->Lines();
  const std::string info = TRichEdit::FromScreen(f->InfoLine());
  std::vector<std::string> out;
  bool stopped = false;
  JobOutcome outcome = RunJob(*f, DumpJob(f->SelectedPath), [&](TJobContext& job) {
    job.SetTotal(lines.size());
    out = BelowLineDump(lines, info, Checker(job, kCheckEveryLines), kCheckEveryLines, &stopped);
  });
  if (outcome.failed) return;
  const TColor marker = f->InfoColor;
  f->SetPaneLines(out, stopped ? marker : clBlue);
  // Each digit stands under its byte only where a full-width character is
  // exactly two half-width cells: a monospace CJK font.
  QFont font = f->RichEdit1->font();
  QFontMetricsF m(font);
  if (!QFontInfo(font).fixedPitch() || m.horizontalAdvance(QString::fromUtf8("\u3042")) != 2 * m.horizontalAdvance("0")) {
    font.setFamilies({DefaultPaneFontName()});
    f->RichEdit1->setFont(font);
  }
}

void InstallHexDumpCommands(TForm1* f) {
  QMenu* sub = f->Mconvert->addMenu("16進表示(&P)");
  sub->setObjectName("Mdump1");
  f->AddCommand(sub, cmd::Mdump1a1, "標準表示", [f] { StandardHexDump(f); });
  f->AddCommand(sub, cmd::Mdump1b1, "行下表示", [f] { BelowLineHexDump(f); });
}
