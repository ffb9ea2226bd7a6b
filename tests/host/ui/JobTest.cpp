// Long work runs as a job that can be cancelled from its window, fails
// cleanly and keeps other commands and input out while it runs. On a plain
// host: the job machinery alone, so it also runs under ThreadSanitizer.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>

#include "host/ui/CommandTable.h"
#include "host/ui/Job.h"
#include "tests/FakeHost.h"
#include "tests/JobInput.h"

namespace {

const CommandName kProbe{"TestProbe"};

// A host with one command that counts its runs, and a list of ten rows.
struct Window {
  TFakeHost host;
  QStandardItemModel model{10, 1};
  int runs = 0;
  Window() {
    host.Commands().Install(CommandRow{kProbe, "probe", nullptr, [this](IHost&) { ++runs; }});
    host.fileList = new QTreeView(&host);
    host.fileList->setModel(&model);
    host.fileList->setCurrentIndex(model.index(0, 0));
    host.setCentralWidget(host.fileList);
    host.show();
  }
};

}  // namespace

class JobTest : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    jobWindowHook = nullptr;
    jobHoldUntilShown = false;
    jobShowAfterMsOverride = -1;
  }

  // A click on キャンセル, Space or Return on the focused button and Escape,
  // all through the window system, end the job; the output so far stays
  // in order.
  void cancelByEveryInputKeepsTheBatchesSoFarInOrder() {
    for (CancelInput how : kCancelInputs) {
      Window w;
      std::string got;
      bool shown = false;
      jobWindowHook = [&](QDialog& d) {
        shown = true;
        PressCancel(d, how);
      };
      jobHoldUntilShown = true;
      JobOutcome out = RunJob(
          w.host, JobSpec{"試験", "試験中．．．", "detail"},
          [](TJobContext& job) {
            for (int i = 0; i < 20000 && !job.Cancelled(); ++i) {
              job.SetDone(i);
              job.SetDetail(std::to_string(i));
              job.Emit(std::to_string(i % 10));
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
          },
          [&](std::string&& b) { got += b; });
      jobHoldUntilShown = false;
      QVERIFY2(shown, CancelInputName(how));
      QVERIFY2(out.cancelled, CancelInputName(how));
      QVERIFY(!out.failed);
      QVERIFY2(!got.empty() && got.size() < 20000, CancelInputName(how));
      for (size_t i = 0; i < got.size(); ++i) QCOMPARE(got[i], char('0' + i % 10));
      QVERIFY(!w.host.Commands().Busy());
    }
  }

  // Progress, details and output from the worker while the window shows
  // and takes them in: every batch arrives, in order, and the last detail
  // and the full bar show.
  void aJobRunToItsEndHandsOverEverythingInOrder() {
    Window w;
    jobShowAfterMsOverride = 0;
    QString lastDetail;
    int barValue = -1;
    std::string got;
    QDialog* shown = nullptr;
    jobWindowHook = [&](QDialog& d) { shown = &d; };
    constexpr int steps = 3000;
    JobOutcome out = RunJob(
        w.host, JobSpec{"試験", "試験中．．．", ""},
        [](TJobContext& job) {
          job.SetTotal(steps);
          for (int i = 1; i <= steps; ++i) {
            job.SetDone(i);
            job.SetDetail("step " + std::to_string(i));
            job.Emit(std::to_string(i) + ",");
            if (i % 100 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }
        },
        [&](std::string&& b) {
          got += b;
          if (shown) {
            lastDetail = shown->findChild<QLabel*>("JobDetail")->text();
            barValue = shown->findChild<QProgressBar*>()->value();
          }
        });
    jobShowAfterMsOverride = -1;
    QVERIFY(!out.cancelled && !out.failed);
    std::string want;
    for (int i = 1; i <= steps; ++i) want += std::to_string(i) + ",";
    QVERIFY(got == want);
    QVERIFY(shown);
    QVERIFY(lastDetail.startsWith("step "));
    QVERIFY(barValue >= 0);
  }

  void anExceptionEndsTheJobWithItsMessageAndTheWindowStaysUsable() {
    Window w;
    JobOutcome out = RunJob(w.host, JobSpec{"試験", "", ""}, [](TJobContext&) { throw std::runtime_error("壊れた"); });
    QVERIFY(out.failed);
    QCOMPARE(out.message, QString("壊れた"));
    QCOMPARE(w.host.messages, QStringList{"壊れた"});
    QVERIFY(!w.host.Commands().Busy());
    // The next command and the next job run as usual.
    QVERIFY(w.host.Commands().Trigger(kProbe));
    QCOMPARE(w.runs, 1);
    std::string got;
    JobOutcome ok = RunJob(
        w.host, JobSpec{"試験", "", ""}, [](TJobContext& j) { j.Emit("done"); }, [&](std::string&& b) { got += b; });
    QVERIFY(!ok.failed && !ok.cancelled);
    QCOMPARE(got, std::string("done"));
  }

  void runningOutOfMemoryInTheWorkIsSaidSo() {
    Window w;
    JobOutcome out = RunJob(w.host, JobSpec{"試験", "", ""}, [](TJobContext&) { throw std::bad_alloc(); });
    QVERIFY(out.failed);
    QCOMPARE(w.host.messages, QStringList{"メモリが不足しています。"});
  }

  void noOtherCommandNorKeyReachesTheWindowWhileAJobRuns() {
    Window w;
    std::atomic<bool> release{false};
    bool refused = false, keyIgnored = false;
    jobWindowHook = [&](QDialog&) {
      refused = !w.host.Commands().Trigger(kProbe);
      w.host.fileList->setFocus();
      QTest::keyClick(w.host.windowHandle(), Qt::Key_End);
      keyIgnored = w.host.fileList->currentIndex().row() == 0;
      release = true;
    };
    RunJob(w.host, JobSpec{"試験", "", ""}, [&](TJobContext&) {
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    QVERIFY(refused);
    QVERIFY(keyIgnored);
    QCOMPARE(w.runs, 0);
    // Afterwards both reach it again.
    QVERIFY(w.host.Commands().Trigger(kProbe));
    QCOMPARE(w.runs, 1);
    QApplication::setActiveWindow(&w.host);
    w.host.fileList->setFocus();
    QTest::keyClick(w.host.windowHandle(), Qt::Key_End);
    QCOMPARE(w.host.fileList->currentIndex().row(), 9);
  }
};

QTEST_MAIN(JobTest)
#include "JobTest.moc"
