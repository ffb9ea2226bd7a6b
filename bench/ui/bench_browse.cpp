// Browsing speed of the main window, offscreen: a folder of 20,000 files,
// the standard dump of 10 MiB into the pane, a 4000 x 3000 JPEG in the
// preview, and saving 10 MiB after a one-character edit.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "app/ui/Unit1.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/EditCommands.h"
#include "edit/ui/RichEdit.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string Root() {
  static std::string r = [] {
    std::string d = (fs::temp_directory_path() / "navirt_bench_browse").string();
    fs::create_directories(d);
    setenv("NAVIRT_INI", (d + "/navirt.ini").c_str(), 1);
    return d;
  }();
  return r;
}

std::string ManyFiles() {
  std::string d = Root() + "/many/";
  if (!fs::exists(d + "done")) {
    fs::create_directories(d);
    for (int i = 0; i < 20000; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "file%05d.txt", i);
      std::ofstream(d + name) << "line of file " << i << "\r\n";
    }
    std::ofstream(d + "done");
  }
  return d;
}

std::string Big() {
  std::string d = Root() + "/big/";
  fs::create_directories(d);
  if (!fs::exists(d + "random.bin")) {
    std::string b(10u << 20, '\0');
    std::mt19937 rng(3);
    for (auto& c : b) c = static_cast<char>(rng());
    std::ofstream(d + "random.bin", std::ios::binary) << b;
    const std::string line = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd Navirt edit line\r\n";
    std::string t;
    while (t.size() < (10u << 20)) t += line;
    std::ofstream(d + "text.txt", std::ios::binary) << t;
    std::ofstream(d + "small.txt") << "small\r\n";
    // The picture.
    const int w = 4000, h = 3000;
    FILE* f = std::fopen((d + "photo.jpg").c_str(), "wb");
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 88, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(w * 3);
    while (c.next_scanline < c.image_height) {
      unsigned y = c.next_scanline;
      for (int x = 0; x < w; ++x) {
        row[x * 3] = static_cast<unsigned char>((x * 7 + y * 3) ^ (x >> 3));
        row[x * 3 + 1] = static_cast<unsigned char>((y * 5) ^ (x * y >> 9));
        row[x * 3 + 2] = static_cast<unsigned char>(x + y);
      }
      JSAMPROW r = row.data();
      jpeg_write_scanlines(&c, &r, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
  }
  return d;
}

double Since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

void BM_OpenFolderOf20000Files(benchmark::State& state) {
  std::string dir = ManyFiles();
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  for (auto _ : state) {
    form.GoToFolder(Root());
    auto t0 = Clock::now();
    form.HandleCommandLine(dir);  // the list, then the first file previewed
    QApplication::processEvents();
    double s = Since(t0);
    if (form.FileModel->rowCount() != 20001 || !form.InfoLine().startsWith("done")) {
      // The first file in the list's order is "done"; any preview counts.
      if (form.InfoLine().isEmpty()) state.SkipWithError("no preview");
    }
    state.SetIterationTime(s);
  }
}
BENCHMARK(BM_OpenFolderOf20000Files)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StandardDumpOf10MiBInThePane(benchmark::State& state) {
  std::string dir = Big();
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  form.Mdisp->setChecked(false);  // no text preview of the binary first
  form.GoToFolder(dir);
  form.SelectFileByName("random.bin");
  for (auto _ : state) {
    auto t0 = Clock::now();
    form.ActionNamed("Mdump1a1")->trigger();
    QApplication::processEvents();
    double s = Since(t0);
    if (form.RichEdit1->LineCount() != 4 + (10 << 20) / 16) state.SkipWithError("incomplete dump");
    state.SetIterationTime(s);
  }
}
BENCHMARK(BM_StandardDumpOf10MiBInThePane)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Jpeg4000x3000InThePane(benchmark::State& state) {
  std::string dir = Big();
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  form.GoToFolder(dir);
  for (auto _ : state) {
    form.SelectFileByName("small.txt");
    auto t0 = Clock::now();
    form.SelectFileByName("photo.jpg");
    QApplication::processEvents();
    double s = Since(t0);
    if (form.SBarRPanel(6) != "4000 x 3000 ﾋﾟｸｾﾙ") state.SkipWithError("no picture");
    state.SetIterationTime(s);
  }
}
BENCHMARK(BM_Jpeg4000x3000InThePane)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Save10MiBAfterOneCharacter(benchmark::State& state) {
  std::string dir = Big();
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  form.GoToFolder(dir);
  form.ActionNamed("Mbackup1")->setChecked(false);
  for (auto _ : state) {
    state.PauseTiming();
    form.SelectFileByName("small.txt");
    form.SelectFileByName("text.txt");
    form.RichEdit1->SetEditMode(true);
    form.RichEdit1->GoToLine(1000);
    QTest::keyClicks(form.RichEdit1, "x");
    state.ResumeTiming();
    auto t0 = Clock::now();
    bool ok = SavePaneOver(&form);
    double s = Since(t0);
    if (!ok) state.SkipWithError("save failed");
    state.SetIterationTime(s);
    // Back to the original text for the next round.
    state.PauseTiming();
    form.RichEdit1->GoToLine(1000);
    QTest::keyClick(form.RichEdit1, Qt::Key_Delete);
    SavePaneOver(&form);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Save10MiBAfterOneCharacter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
