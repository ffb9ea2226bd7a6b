// The search commands in the main window, offscreen, on a 10 MiB Shift_JIS
// pane: "下へ検索" for a word near the end (the search after the first,
// whose dialog made the pane's byte mirror), replace all of a frequent word
// through the replace dialog, "置換　正規表現" with [0-9]+, and
// "検索行削除　正規表現". Each figure is the command from its trigger to its
// end, the pane updated; the pane is set again between rounds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/ui/Unit1.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "search/ui/RegexDialog.h"
#include "search/ui/ReplaceDialog.h"
#include "search/ui/SearchCommandIds.h"
#include "search/ui/SearchDialog.h"
#include "settings/Colors.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kPaneBytes = 10u << 20;
const char* const kRareWord = "Zyzzyva";

// Japanese prose with a number per line and "Navirt" in every line; the
// rare word once, 64 KiB before the end.
const std::string& PaneText() {
  static const std::string text = [] {
    const std::string prose = navirt::Utf8ToCp932("日本語の文章です。ファイルを選ぶとすぐに中身が表示されます。");
    std::string s;
    s.reserve(kPaneBytes + 200);
    for (int i = 0; s.size() < kPaneBytes; ++i) s += prose + " Navirt " + std::to_string(i) + "\r\n";
    s.insert(s.size() - 65536, kRareWord);
    s.resize(kPaneBytes);
    return s;
  }();
  return text;
}

struct Window {
  std::unique_ptr<TForm1> form;
  std::string folder;
};

// One window showing doc.txt (selected, so the search items are on).
Window& TheWindow() {
  static Window w = [] {
    Window x;
    std::string root = (fs::temp_directory_path() / "navirt_bench_search").string();
    fs::create_directories(root + "/files");
    setenv("NAVIRT_INI", (root + "/navirt.ini").c_str(), 1);
    x.folder = root + "/files/";
    std::ofstream(x.folder + "doc.txt", std::ios::binary) << "doc\r\n";
    x.form = std::make_unique<TForm1>();
    x.form->resize(1200, 800);
    x.form->show();
    x.form->messageHook = [](const QString&, const QString&, TMsgKind, int) { return int(mbOK); };
    x.form->GoToFolder(x.folder);
    x.form->SelectFileByName("doc.txt");
    return x;
  }();
  return w;
}

void SetPane(TForm1* f) {
  f->SetPaneText(PaneText(), navirt::clBlack);
  f->RichEdit1->SetCaretOffset(0);
  QApplication::processEvents();
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Wall seconds of the command; its CPU milliseconds add to the counter
// "cmd_cpu_ms" (averaged over the rounds): on a loaded machine the wall
// time is mostly waiting.
template <class F>
double Seconds(benchmark::State& state, F run) {
  const double c0 = CpuSeconds();
  auto t0 = std::chrono::steady_clock::now();
  run();
  QApplication::processEvents();  // until the pane has painted
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  benchmark::Counter& cpu = state.counters["cmd_cpu_ms"];
  cpu.value += (CpuSeconds() - c0) * 1000;
  cpu.flags = benchmark::Counter::kAvgIterations;
  return wall;
}

void AnswerRegex(TForm1* f, const char* expr, const char* with) {
  f->dialogHook = [expr, with](QDialog& d) {
    auto* r = qobject_cast<TForm25*>(&d);
    if (!r) return int(QDialog::Rejected);
    r->CBRegExp->setEditText(expr);
    r->ComboBox1->setEditText(with);
    r->BOK->click();
    return d.result();
  };
}

void BM_FindNextNearTheEnd(benchmark::State& state) {
  TForm1* f = TheWindow().form.get();
  SetPane(f);
  f->dialogHook = [](QDialog& d) {
    auto* s = qobject_cast<TForm32*>(&d);
    if (!s) return int(QDialog::Rejected);
    s->ComboBox1->setEditText(kRareWord);
    s->BFind->click();
    return d.result();
  };
  const double c0 = CpuSeconds();
  double first = Seconds(state, [&] { f->Commands().Trigger(cmd::Mserch); });
  state.counters["first_search_ms"] = first * 1000;
  state.counters["first_search_cpu_ms"] = (CpuSeconds() - c0) * 1000;
  state.counters.erase("cmd_cpu_ms");
  const int at = f->RichEdit1->SelStart();
  for (auto _ : state) {
    f->RichEdit1->SetCaretOffset(0);
    state.SetIterationTime(Seconds(state, [&] { f->Commands().Trigger(cmd::MserchNext); }));
    if (f->RichEdit1->SelStart() != at || at <= 0) state.SkipWithError("not found");
  }
}
BENCHMARK(BM_FindNextNearTheEnd)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_ReplaceAllFrequentWord(benchmark::State& state) {
  TForm1* f = TheWindow().form.get();
  for (auto _ : state) {
    SetPane(f);
    f->Commands().Trigger(cmd::Mreplace1);
    auto* r = f->findChild<TReplaceDialog1*>();
    if (!r) return state.SkipWithError("no replace dialog");
    r->EditFind->setText("Navirt");
    r->EditReplace->setText("NAVIRT");
    state.SetIterationTime(Seconds(state, [&] { r->BReplaceAll->click(); }));
    r->close();
    if (f->RichEdit1->Text().find("Navirt") != std::string::npos) state.SkipWithError("not all replaced");
  }
}
BENCHMARK(BM_ReplaceAllFrequentWord)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_RegexReplaceDigits(benchmark::State& state) {
  TForm1* f = TheWindow().form.get();
  AnswerRegex(f, "[0-9]+", "#");
  for (auto _ : state) {
    SetPane(f);
    state.SetIterationTime(Seconds(state, [&] { f->Commands().Trigger(cmd::MreplaceGrep1); }));
    if (f->RichEdit1->Text().find("Navirt 1") != std::string::npos) state.SkipWithError("not replaced");
  }
}
BENCHMARK(BM_RegexReplaceDigits)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_DeleteLinesByExpression(benchmark::State& state) {
  TForm1* f = TheWindow().form.get();
  AnswerRegex(f, "Navirt [0-9]*7$", "");
  for (auto _ : state) {
    SetPane(f);
    const int before = f->RichEdit1->LineCount();
    state.SetIterationTime(Seconds(state, [&] { f->Commands().Trigger(cmd::MdeletelineR1); }));
    if (f->RichEdit1->LineCount() >= before) state.SkipWithError("no lines deleted");
  }
}
BENCHMARK(BM_DeleteLinesByExpression)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  TheWindow().form.reset();
  return 0;
}
