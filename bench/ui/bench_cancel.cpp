// How fast キャンセル ends a long job, offscreen: a descending sort of a
// 10 MiB text, an HTML removal of 4,000,000 lines and the copy of a 1 GiB
// file. The click goes to the progress window through the window system
// 300 ms after the window shows. The time measured is from the click to
// the main window being free again with its pane as the cancel leaves it;
// job_end_ms is from the click to the job's end (its window hidden).
// Also: from the key that selects a 300 MiB file to its information line.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <time.h>

#include "app/ui/Unit1.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/RichEdit.h"
#include "fileops/ui/FileOpsCommandIds.h"
#include "fileops/ui/FileOpsCommands.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "host/ui/Job.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string BenchRoot() {
  static std::string root = [] {
    std::string r = (fs::temp_directory_path() / "navirt_bench_cancel").string();
    fs::create_directories(r);
    setenv("NAVIRT_INI", (r + "/navirt.ini").c_str(), 1);
    return r;
  }();
  return root;
}

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Resident and peak resident memory of the process in MiB, from
// /proc/self/status; ResetPeak starts the peak anew (Linux clear_refs 5).
double StatusMb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string k;
  while (in >> k) {
    if (k == key) {
      double kb = 0;
      in >> kb;
      return kb / 1024.0;
    }
    in.ignore(1 << 10, '\n');
  }
  return 0;
}
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

// Clicks キャンセル of the progress window a while after it shows, and notes
// when the click went and when the window hid (the job's end).
class CancelClicker : public QObject {
 public:
  explicit CancelClicker(int afterMs) {
    jobShowAfterMsOverride = 0;
    jobWindowHook = [this, afterMs](QDialog& d) {
      shown = true;
      d.installEventFilter(this);
      QTimer::singleShot(afterMs, &d, [this, &d] {
        QPushButton* b = d.findChild<QPushButton*>("Button1");
        clicked = Clock::now();
        QTest::mouseClick(d.windowHandle(), Qt::LeftButton, Qt::NoModifier, b->mapTo(&d, b->rect().center()));
      });
    };
  }
  ~CancelClicker() override {
    jobWindowHook = nullptr;
    jobShowAfterMsOverride = -1;
  }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Hide) hidden = Clock::now();
    return false;
  }
  void Reset() {
    shown = false;
    clicked = hidden = Clock::time_point();
  }
  bool Clicked() const { return clicked != Clock::time_point(); }

  bool shown = false;
  Clock::time_point clicked, hidden;
};

std::unique_ptr<TForm1> NewForm() {
  auto f = std::make_unique<TForm1>();
  f->resize(1200, 800);
  f->show();
  f->messageHook = [](const QString&, const QString&, TMsgKind, int) { return int(mbOK); };
  return f;
}

// Runs the command with the click, and reports both times.
template <typename Run, typename Check>
void CancelRounds(benchmark::State& state, Run run, Check check) {
  CancelClicker clicker(300);
  double jobEnd = 0;
  for (auto _ : state) {
    clicker.Reset();
    run();
    QApplication::processEvents();  // the pane painted
    const auto free = Clock::now();
    if (!clicker.Clicked()) {
      state.SkipWithError("the job ended before the click");
      break;
    }
    if (!check()) {
      state.SkipWithError("the cancel did not leave the pane or files as it should");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(free - clicker.clicked).count());
    jobEnd += Ms(clicker.hidden - clicker.clicked);
  }
  state.counters["job_end_ms"] = jobEnd / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}

void BM_CancelSort10MiB(benchmark::State& state) {
  auto f = NewForm();
  std::vector<std::string> lines;
  size_t size = 0;
  for (unsigned i = 0; size < (10u << 20); ++i) {
    lines.push_back(std::to_string((i * 7919u) % 1000003u) + " line of the sort");
    size += lines.back().size() + 2;
  }
  f->SetPaneLines(lines, navirt::clBlack);
  CancelRounds(
      state, [&] { f->Commands().Action(cmd::Msortdesc)->trigger(); },
      [&] { return f->RichEdit1->LineCount() == static_cast<int>(lines.size()) && f->RichEdit1->Line(1) == lines[1]; });
}
BENCHMARK(BM_CancelSort10MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CancelHtml4MLines(benchmark::State& state) {
  auto f = NewForm();
  const std::vector<std::string> lines(4000000, "x<BR>");
  f->SetPaneLines(lines, navirt::clBlack);
  CancelRounds(
      state,
      [&] {
        f->SetPaneLines(lines, navirt::clBlack);
        f->Commands().Action(cmd::Mhtmldel)->trigger();
      },
      [&] {
        const int n = f->RichEdit1->LineCount();
        return n > 1 && n < 4000000 &&
               f->RichEdit1->Line(n - 1) == "\x92\x86\x92\x66\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x49";
      });
}
BENCHMARK(BM_CancelHtml4MLines)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_CancelCopy1GiB(benchmark::State& state) {
  const std::string from = BenchRoot() + "/copy_from/", to = BenchRoot() + "/copy_to/";
  fs::create_directories(from);
  fs::remove_all(to);
  fs::create_directories(to);
  const std::string big = from + "big.dat";
  if (!fs::exists(big) || fs::file_size(big) != (1ull << 30)) {
    std::ofstream out(big, std::ios::binary);
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + 7);
    for (int i = 0; i < 1024; ++i) out << block;
  }
  // The 1 GiB file is not previewed: a whole-file preview of it would
  // follow each cancel when the list is reloaded, and time that instead.
  std::ofstream(BenchRoot() + "/navirt.ini") << "[ReadMax]\nByte=1048576\n";
  auto f = NewForm();
  f->GoToFolder(from);
  if (auto* c = FileOpsControllerOf(*f)) c->jobShowAfterMs = 0;
  f->dialogHook = [&](QDialog& d) {
    auto* dlg = dynamic_cast<TForm2*>(&d);
    if (!dlg) return int(QDialog::Rejected);
    dlg->CBdir->setEditText(QString::fromStdString(to));
    dlg->BOK->click();
    return d.result();
  };
  CancelRounds(
      state,
      [&] {
        f->SelectFileByName("big.dat");
        f->Commands().Action(cmd::Mfilecopy)->trigger();
      },
      [&] { return fs::is_empty(to); });
  fs::remove(BenchRoot() + "/navirt.ini");
}
BENCHMARK(BM_CancelCopy1GiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// From the key press that moves the list onto a 300 MiB binary file (read
// limit 0, the default) to its information line. Also: to the pane
// filled (fill_ms), the longest the window went without handling events
// meanwhile (longest_block_ms, from a 1 ms timer's gaps; _cpu_ms the
// window thread's own CPU in that gap), and the
// process's peak memory (peak_rss_mb; run this benchmark alone for it).
// Where the memory goes, in MiB, in the first round: rss_before (the
// window with the small file), peak_to_fill (the peak from the key until
// the first piece is in the pane: reading, decoding, the labels),
// rss_filled (resident once filled), peak_fill (the peak from the key to
// the end of the fill), doc_text (the document's UTF-16 text alone); and
// last_* the same in the last round, after a filled pane was emptied.
void BM_KeyToInfoLine300MiB(benchmark::State& state) {
  const std::string dir = BenchRoot() + "/huge/";
  fs::create_directories(dir);
  const std::string big = dir + "a_huge.bin";
  if (!fs::exists(big) || fs::file_size(big) != (300ull << 20)) {
    std::ofstream out(big, std::ios::binary);
    std::string block(1 << 20, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 37 + i / 251);
    for (int i = 0; i < 300; ++i) out << block;
    std::ofstream(dir + "b_small.txt") << "small\r\n";
  }
  fs::remove(BenchRoot() + "/navirt.ini");  // no read limit, as by default
  auto f = NewForm();
  f->GoToFolder(dir);
  double fill = 0, longest = 0, longestCpu = 0;
  double lastBefore = 0, lastFilled = 0, lastPeak = 0;
  double rssBefore = 0, peakToFill = 0, rssFilled = 0, peakFill = 0, docText = 0;
  for (auto _ : state) {
    f->SelectFileByName("b_small.txt");
    f->FileView1->setFocus();
    QApplication::processEvents();
    const bool first = rssBefore == 0;
    if (first) rssBefore = StatusMb("VmRSS:");
    lastBefore = StatusMb("VmRSS:");
    ResetPeak();
    const auto t0 = Clock::now();
    QTest::keyClick(f->FileView1, Qt::Key_Up);
    while (!f->InfoLine().startsWith("a_huge.bin") && Clock::now() - t0 < std::chrono::seconds(120))
      QApplication::processEvents();
    const auto t1 = Clock::now();

    if (!f->InfoLine().startsWith("a_huge.bin")) state.SkipWithError("no information line");
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    // The fill: how long, and the longest stretch without events.
    // Wall gaps include the time another process had the CPU; the window
    // thread's own CPU between ticks does not.
    Clock::time_point last = Clock::now();
    double lastCpu = ThreadCpuMs();
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
      const auto now = Clock::now();
      const double cpu = ThreadCpuMs();
      longest = std::max(longest, Ms(now - last));
      longestCpu = std::max(longestCpu, cpu - lastCpu);
      last = now;
      lastCpu = cpu;
    });
    tick.start();
    while (f->RichEdit1->Filling() && Clock::now() - t0 < std::chrono::seconds(600)) {
      if (first && peakToFill == 0 && f->RichEdit1->LineCount() > 0) peakToFill = StatusMb("VmHWM:");
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    tick.stop();
    fill += Ms(Clock::now() - t0);
    lastFilled = StatusMb("VmRSS:");
    lastPeak = StatusMb("VmHWM:");
    if (first) {
      rssFilled = StatusMb("VmRSS:");
      peakFill = StatusMb("VmHWM:");
      docText = f->RichEdit1->document()->characterCount() * 2.0 / (1 << 20);
    }
    if (f->RichEdit1->Filling() || f->RichEdit1->LineCount() == 0) state.SkipWithError("the pane did not fill");
  }
  const double n = static_cast<double>(std::max<int64_t>(state.iterations(), 1));
  state.counters["fill_ms"] = fill / n;
  state.counters["longest_block_ms"] = longest;
  state.counters["longest_block_cpu_ms"] = longestCpu;
  state.counters["rss_before_mb"] = rssBefore;
  state.counters["peak_to_fill_mb"] = peakToFill;
  state.counters["rss_filled_mb"] = rssFilled;
  state.counters["peak_fill_mb"] = peakFill;
  state.counters["doc_text_mb"] = docText;
  state.counters["last_rss_before_mb"] = lastBefore;
  state.counters["last_rss_filled_mb"] = lastFilled;
  state.counters["last_peak_fill_mb"] = lastPeak;
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  state.counters["peak_rss_mb"] = static_cast<double>(ru.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_KeyToInfoLine300MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
