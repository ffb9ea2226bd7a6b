// The window stays responsive during long work only if the work leaves the
// window's thread; this is the one place where threads meet widgets, so the
// handing over of progress, batches, Cancel and failures is written once.
#include "host/ui/Job.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include <chrono>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"

std::function<void(QDialog&)> jobWindowHook;
bool jobHoldUntilShown = false;
int jobShowAfterMsOverride = -1;

namespace {

// Shared between the worker and the window's thread.
class Shared : public TJobContext {
 public:
  bool Cancelled() const override { return cancel.load(std::memory_order_relaxed); }
  void SetTotal(uint64_t t) override { total.store(t, std::memory_order_relaxed); }
  void SetDone(uint64_t d) override {
    done.store(d, std::memory_order_relaxed);
    // Tests: the work waits here until its window has shown (at most 10 s).
    for (int i = 0; i < 1000 && holdUntilShown && !shown; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  void SetDetail(const std::string& utf8) override {
    std::lock_guard<std::mutex> lock(mutex);
    detail = utf8;
    detailChanged = true;
  }
  void Emit(std::string batch) override {
    std::lock_guard<std::mutex> lock(mutex);
    batches.push_back(std::move(batch));
  }

  std::atomic<bool> cancel{false};
  std::atomic<bool> finished{false};
  bool holdUntilShown = jobHoldUntilShown;
  std::atomic<bool> shown{false};
  std::atomic<uint64_t> total{0}, done{0};
  std::mutex mutex;
  std::deque<std::string> batches;
  std::string detail;
  bool detailChanged = false;
  std::exception_ptr error;
};

class JobWindow : public QDialog {
 public:
  JobWindow(QWidget* parent, const JobSpec& spec, Shared& shared) : QDialog(parent), shared_(shared) {
    setObjectName("JobWindow");
    setWindowTitle(spec.title);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    auto* v = new QVBoxLayout(this);
    heading = new QLabel(spec.heading, this);
    heading->setObjectName("JobHeading");
    QPalette pal = heading->palette();
    pal.setColor(QPalette::WindowText, Qt::blue);
    heading->setPalette(pal);
    detail = new QLabel(spec.detail, this);
    detail->setObjectName("JobDetail");
    detail->setMinimumWidth(320);
    bar = new QProgressBar(this);
    bar->setVisible(spec.showProgressBar);
    cancel = new QPushButton("キャンセル", this);
    cancel->setObjectName("Button1");
    // Space and Return press the focused button, Return also as the default.
    cancel->setDefault(true);
    cancel->setFocus();
    v->addWidget(heading);
    v->addWidget(detail);
    v->addWidget(bar);
    v->addWidget(cancel, 0, Qt::AlignHCenter);
    connect(cancel, &QPushButton::clicked, this, [this] {
      shared_.cancel = true;
      cancel->setEnabled(false);
    });
  }
  // Escape and the close box cancel too.
  void reject() override { shared_.cancel = true; }

  QLabel* heading;
  QLabel* detail;
  QProgressBar* bar;
  QPushButton* cancel;

 private:
  Shared& shared_;
};

// While a job runs, keys and clicks reach only its window: a preview or
// a second command must not change the pane under the job.
class InputBlocker : public QObject {
 public:
  explicit InputBlocker(QWidget* allowed) : allowed_(allowed) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu: {
        // Input from the window system reaches the window (a QWindow)
        // before its widgets: the job window's own must pass.
        if (auto* win = qobject_cast<QWindow*>(obj)) {
          for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == win) return !Allowed(top);
          return true;
        }
        return !Allowed(qobject_cast<QWidget*>(obj));
      }
      default:
        return false;
    }
  }

 private:
  // The job window and a question the job asks: a dialog opened above it
  // (its parent, across windows) or shown modal while it runs. The main
  // window is never modal, so it stays held.
  bool Allowed(QWidget* w) const {
    if (!w) return false;
    if (w->window() == QApplication::activeModalWidget()) return true;
    for (; w; w = w->parentWidget())
      if (w == allowed_) return true;
    return false;
  }

  QWidget* allowed_;
};

Shared* g_running = nullptr;
JobWindow* g_window = nullptr;
bool g_closeRequested = false;

}  // namespace

bool JobRunning() { return g_running != nullptr; }

QWidget* RunningJobWindow() { return g_window; }

void CancelRunningJobAndClose() {
  if (!g_running) return;
  g_running->cancel = true;
  g_closeRequested = true;
}

JobOutcome RunJob(IHost& host, const JobSpec& spec, JobWork work, JobBatch onBatch, bool quietFailure) {
  TCommandRegistry& commands = host.Commands();
  commands.SetBusy(true);
  auto shared = std::make_shared<Shared>();
  std::unique_ptr<JobWindow> window(new JobWindow(host.HostWindow(), spec, *shared));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  InputBlocker blocker(window.get());
  qApp->installEventFilter(&blocker);
  g_running = shared.get();
  g_window = window.get();
  g_closeRequested = false;

  std::thread worker([shared, work = std::move(work)] {
    try {
      work(*shared);
    } catch (...) {
      shared->error = std::current_exception();
    }
    shared->finished = true;
  });

  auto drain = [&] {
    std::deque<std::string> batches;
    std::string detail;
    bool detailChanged = false;
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      batches.swap(shared->batches);
      detail = shared->detail;
      detailChanged = shared->detailChanged;
      shared->detailChanged = false;
    }
    if (detailChanged) window->detail->setText(QString::fromStdString(detail));
    uint64_t total = shared->total, done = shared->done;
    if (total > 0) {
      window->bar->setRange(0, 1000);
      window->bar->setValue(static_cast<int>(done >= total ? 1000 : done * 1000 / total));
    } else {
      window->bar->setRange(0, 0);
    }
    if (onBatch)
      for (std::string& b : batches) onBatch(std::move(b));
  };

  QEventLoop loop;
  QElapsedTimer clock;
  clock.start();
  QTimer tick;
  tick.setInterval(30);
  QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
    drain();
    const int showAfter = jobShowAfterMsOverride >= 0 ? jobShowAfterMsOverride : spec.showAfterMs;
    if (!window->isVisible() && !shared->finished && clock.elapsed() >= showAfter) {
      window->show();
      if (jobWindowHook) jobWindowHook(*window);
      shared->shown = true;
    }
    if (shared->finished) loop.quit();
  });
  tick.start();
  loop.exec();
  tick.stop();
  worker.join();
  drain();
  window->hide();
  qApp->removeEventFilter(&blocker);
  g_running = nullptr;
  g_window = nullptr;
  QApplication::restoreOverrideCursor();
  commands.SetBusy(false);
  const bool closing = g_closeRequested;
  if (g_closeRequested) {
    // The main window was closed during the job: close it now it is done.
    g_closeRequested = false;
    QMetaObject::invokeMethod(host.HostWindow(), "close", Qt::QueuedConnection);
  }

  JobOutcome out;
  out.cancelled = shared->cancel;
  out.windowClosing = closing;
  if (shared->error) {
    out.failed = true;
    try {
      std::rethrow_exception(shared->error);
    } catch (const std::bad_alloc&) {
      out.message = "メモリが不足しています。";
    } catch (const std::exception& e) {
      out.message = QString::fromUtf8(e.what());
    } catch (...) {
      out.message = "処理中にエラーが発生しました。";
    }
    if (!quietFailure) host.MessageDlg(out.message, "", TMsgKind::Error);
  }
  return out;
}
