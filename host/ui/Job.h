#pragma once
// Long work as a job: the work runs on a worker thread; a modal progress
// window owned by the job appears once the work lasts longer than a moment,
// with its texts and Cancel; results reach the window's thread in batches,
// in order; no other command starts meanwhile; closing the main window
// cancels the job and waits for it. An exception in the work ends the job
// with its message, and the window stays usable.
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

class IHost;

class TJobContext {
 public:
  virtual ~TJobContext() = default;
  virtual bool Cancelled() const = 0;
  // Progress: amounts in any unit (bytes, files, lines).
  virtual void SetTotal(uint64_t total) = 0;
  virtual void SetDone(uint64_t done) = 0;
  // The second line of the progress window (a file name, UTF-8).
  virtual void SetDetail(const std::string& utf8) = 0;
  // Output handed to the window's thread (onBatch), in the order given.
  virtual void Emit(std::string batch) = 0;
};

struct JobSpec {
  QString title;    // the progress window's caption
  QString heading;  // its first line ("16進表示中．．．")
  QString detail;   // its second line until the work sets one
  int showAfterMs = 300;
  bool showProgressBar = true;
};

struct JobOutcome {
  bool cancelled = false;  // the user pressed Cancel (or the window closed)
  bool failed = false;     // the work threw; message holds its text
  QString message;
  bool windowClosing = false;  // the main window was closed during the job and closes now
};

using JobWork = std::function<void(TJobContext&)>;
using JobBatch = std::function<void(std::string&&)>;

// Runs work to its end and returns how it ended. A failure is also shown in
// an error box unless quietFailure.
JobOutcome RunJob(IHost& host, const JobSpec& spec, JobWork work, JobBatch onBatch = {}, bool quietFailure = false);

bool JobRunning();
// The running job's progress window (null when none runs): the
// parent of questions the work asks, so they take input while it runs.
class QWidget* RunningJobWindow();
// For the main window's close: cancels the job, and closes the window again
// once the job has ended.
void CancelRunningJobAndClose();

// Tests show the window at once (milliseconds; negative: as the job says).
extern int jobShowAfterMsOverride;

// Tests watch a job's window through this (it is called once the window shows).
extern std::function<void(class QDialog&)> jobWindowHook;

// Tests: the work's first progress step waits until the window has shown
// (and its hook has run), so a busy machine cannot let the work finish first.
extern bool jobHoldUntilShown;
