// The line commands in the main window, offscreen, on a 10 MiB Shift_JIS
// pane: from the menu item's trigger (questions answered at once) to the
// pane refilled and painted. The file is loaded again before each round,
// outside the time.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QPushButton>
#include <QSpinBox>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ui/Unit1.h"
#include "edit/ui/ColumnDialog.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/InputDialog.h"
#include "host/ui/Job.h"

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// About 80-byte lines: leading blanks, a number, a TAB, Japanese prose,
// trailing blanks on some, and every tenth line repeating the one before.
std::string LinesText(size_t bytes) {
  const std::string prose =
      "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42"
      "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x91\x49\x82\xd4\x82\xc6\x81\x41"
      "\x82\xb7\x82\xae\x82\xc9\x92\x86\x90\x67\x82\xaa\x95\x5c\x8e\xa6 Navirt";
  std::string s, last;
  s.reserve(bytes + 200);
  for (unsigned i = 0; s.size() < bytes; ++i) {
    std::string line = i % 10 == 9 ? last
                                   : std::string(i % 3, ' ') + std::to_string((i * 7919u) % 100003u) + "\t" + prose +
                                         (i % 5 == 0 ? "  " : "");
    s += line + "\r\n";
    last = line;
  }
  return s;
}

// The same lines as an HTML page: paragraphs, line breaks, list items,
// bold words, entities and a comment now and then.
std::string HtmlText(size_t bytes) {
  const std::string lines = LinesText(bytes * 3 / 4);
  std::string s = "<HTML><HEAD><TITLE>bench</TITLE></HEAD><BODY>\r\n";
  size_t i = 0;
  for (size_t at = 0; at < lines.size(); ++i) {
    size_t e = lines.find("\r\n", at);
    std::string line = lines.substr(at, e - at);
    at = e + 2;
    switch (i % 6) {
      case 0:
        s += "<P>" + line + "</P>\r\n";
        break;
      case 1:
        s += "<LI><B>" + line + "</B> &amp; more\r\n";
        break;
      case 2:
        s += line + "<BR>\r\n";
        break;
      case 3:
        s += "<!-- note " + std::to_string(i) + " -->" + line + "\r\n";
        break;
      case 4:
        s += "<A HREF=\"x.html\">" + line + "</A> &lt;tag&gt;<BR>\r\n";
        break;
      default:
        s += line + "\r\n";
        break;
    }
  }
  return s + "</BODY></HTML>\r\n";
}

std::string BenchDir() {
  std::string dir = (fs::temp_directory_path() / "navirt_bench_line_window").string();
  fs::create_directories(dir);
  setenv("NAVIRT_INI", (dir + "/navirt.ini").c_str(), 1);
  return dir;
}

const std::string& BigFile() {
  static std::string path = [] {
    std::string p = BenchDir() + "/lines_10MiB.txt";
    if (!fs::exists(p) || fs::file_size(p) < (10u << 20)) std::ofstream(p, std::ios::binary) << LinesText(10u << 20);
    return p;
  }();
  return path;
}

const std::string& HtmlFile() {
  static std::string path = [] {
    std::string p = BenchDir() + "/page_10MiB.html";
    if (!fs::exists(p) || fs::file_size(p) < (10u << 20)) std::ofstream(p, std::ios::binary) << HtmlText(10u << 20);
    return p;
  }();
  return path;
}

// Answers every question as a user would at once: "3" to a text question,
// column 10 and width 20 to the column dialog.
int Answer(QDialog& d) {
  if (auto* in = qobject_cast<TForm33*>(&d)) in->SetAnswerText("3");
  if (auto* col = qobject_cast<TForm30*>(&d)) {
    col->SpinEdit1->setValue(10);
    col->SpinEdit2->setValue(20);
  }
  return QDialog::Accepted;
}

void RunCommand(benchmark::State& state, CommandName name, const std::string& path = BigFile()) {
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  form.dialogHook = Answer;
  form.messageHook = [](const QString&, const QString&, TMsgKind, int) { return int(mbOK); };
  size_t lines = 0;
  double cpu = 0;
  for (auto _ : state) {
    form.HandleCommandLine(path);
    QApplication::processEvents();
    if (form.RichEdit1->LineCount() < 100000) state.SkipWithError("file not loaded");
    const double c0 = CpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    form.Commands().Action(name)->trigger();
    QApplication::processEvents();  // until the pane has painted
    auto t1 = std::chrono::steady_clock::now();
    cpu += CpuSeconds() - c0;
    if (form.InfoLineColor() != navirt::clRed) state.SkipWithError("the command changed nothing");
    lines = static_cast<size_t>(form.RichEdit1->LineCount());
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  state.counters["lines_after"] = static_cast<double>(lines);
  // The machine is shared: the CPU the command itself took, per round.
  state.counters["cpu_ms"] = cpu * 1000 / static_cast<double>(state.iterations());
}

#define LINE_BENCH(name)                                                    \
  void BM_##name(benchmark::State& state) { RunCommand(state, cmd::name); } \
  BENCHMARK(BM_##name)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

LINE_BENCH(Msortasc)
LINE_BENCH(Msortdesc)
LINE_BENCH(Mnumberhead)
LINE_BENCH(Mnumbertailcomma)
LINE_BENCH(Mserialnumber)
LINE_BENCH(Mreverse)
LINE_BENCH(Mcutatcolumn)
LINE_BENCH(Minsertatcolumn)
LINE_BENCH(Mcolumnextract)
LINE_BENCH(Mcolumndelete)
LINE_BENCH(Mtrimlead)
LINE_BENCH(Mtrimtrail)
LINE_BENCH(Mdelblanks)
LINE_BENCH(Mdeltabs)
LINE_BENCH(Mdellineends)
LINE_BENCH(Mdelemptylines)
LINE_BENCH(Mdelsamelines)
LINE_BENCH(Mdelsamekeys)
LINE_BENCH(Mcsvdquote)
LINE_BENCH(Mtabtospace)

// HTML removal of a 10 MiB page, as a job with its progress window.
void BM_Mhtml(benchmark::State& state) { RunCommand(state, cmd::Mhtml, HtmlFile()); }
BENCHMARK(BM_Mhtml)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Cancel pressed as soon as the progress window shows (the window shown at
// once): the time from the click to the pane showing the output so far and
// "中断しました！"; job_end_ms up to the job's end.
void BM_MhtmlCancel(benchmark::State& state) {
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  form.messageHook = [](const QString&, const QString&, TMsgKind, int) { return int(mbOK); };
  std::chrono::steady_clock::time_point clicked;
  jobShowAfterMsOverride = 0;
  // The progress window hides when the job has ended.
  std::chrono::steady_clock::time_point hidden;
  struct HideWatch : QObject {
    std::chrono::steady_clock::time_point* at;
    bool eventFilter(QObject*, QEvent* e) override {
      if (e->type() == QEvent::Hide) *at = std::chrono::steady_clock::now();
      return false;
    }
  } watch;
  watch.at = &hidden;
  double jobEnd = 0;
  bool fired = false;
  jobWindowHook = [&clicked, &watch, &fired](QDialog& d) {
    fired = true;
    d.installEventFilter(&watch);
    clicked = std::chrono::steady_clock::now();
    if (auto* b = d.findChild<QPushButton*>("Button1")) b->click();
  };
  // The work waits for its window: an idle machine would otherwise finish
  // before the window's first tick.
  jobHoldUntilShown = true;
  for (auto _ : state) {
    // A round whose job ended before its window showed is run again.
    fired = false;
    for (int attempt = 0; attempt < 5 && !fired; ++attempt) {
      form.HandleCommandLine(HtmlFile());
      QApplication::processEvents();
      form.Commands().Action(cmd::Mhtml)->trigger();
      QApplication::processEvents();
    }
    auto done = std::chrono::steady_clock::now();
    const std::string last = form.RichEdit1->Line(form.RichEdit1->LineCount() - 1);
    if (last != "\x92\x86\x92\x66\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x49") state.SkipWithError("not cancelled");
    state.SetIterationTime(std::chrono::duration<double>(done - clicked).count());
    jobEnd += std::chrono::duration<double>(hidden - clicked).count();
  }
  // From the click to the job's end (its window hidden), before the refill.
  state.counters["job_end_ms"] = jobEnd * 1000 / static_cast<double>(state.iterations());
  jobWindowHook = nullptr;
  jobShowAfterMsOverride = -1;
  jobHoldUntilShown = false;
}
BENCHMARK(BM_MhtmlCancel)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
