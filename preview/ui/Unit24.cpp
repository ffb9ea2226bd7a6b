#include "preview/ui/Unit24.h"

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
#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "platform/FileInfo.h"
#include "preview/HexDump.h"

using namespace navirt;

std::function<void()> hexDumpProgressHook;

TForm24::TForm24(TForm1* owner, const QString& path) : QDialog(owner) {
  setObjectName("Form24");
  setWindowTitle("16進表示中");
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
  setModal(false);
  auto* v = new QVBoxLayout(this);
  Ldump2 = new QLabel("16進表示中．．．", this);
  Ldump2->setObjectName("Ldump2");
  QPalette pal = Ldump2->palette();
  pal.setColor(QPalette::WindowText, Qt::blue);
  Ldump2->setPalette(pal);
  Ldump1 = new QLabel(path, this);
  Ldump1->setObjectName("Ldump1");
  Button1 = new QPushButton("キャンセル", this);
  Button1->setObjectName("Button1");
  v->addWidget(Ldump2);
  v->addWidget(Ldump1);
  v->addWidget(Button1, 0, Qt::AlignHCenter);
  connect(Button1, &QPushButton::clicked, this, [this, owner] {
    owner->DialogAnswer = "EXIT";
    close();
  });
}

namespace {

// Events are processed every few thousand bytes rather than per byte: the
// window stays responsive and a 10 MiB file dumps in well under a second.
constexpr size_t kCheckEveryBytes = 4096;
constexpr size_t kCheckEveryLines = 64;

KeepGoing Checker(TForm1* f) {
  return [f] {
    if (hexDumpProgressHook) hexDumpProgressHook();
    QApplication::processEvents();
    return f->DialogAnswer != "EXIT";
  };
}

}  // namespace

void StandardHexDump(TForm1* f) {
  if (f->SelectedPath.empty() || !IsRegularFile(f->SelectedPath)) return;
  f->DialogAnswer.clear();
  auto* progress = new TForm24(f, QString::fromStdString(f->SelectedPath));
  progress->show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  auto finish = [&] {
    progress->close();
    delete progress;
    QApplication::restoreOverrideCursor();
    f->SetInfoColor(clBlue);
  };
  f->RichEdit1->Clear();
  std::string bytes;
  bool read = false;
  int err = ENOMEM;
  try {
    read = ReadWholeFile(f->SelectedPath, bytes);
    if (!read) err = errno;
  } catch (const std::bad_alloc&) {
    read = false;
  }
  if (!read) {
    finish();
    f->MessageDlg(QString::fromStdString(f->SelectedPath) + "\n" + QString::fromLocal8Bit(std::strerror(err)), "",
                  TMsgKind::Error);
    return;
  }
  QApplication::processEvents();
  if (f->DialogAnswer == "EXIT") {
    finish();
    f->DialogAnswer.clear();
    return;
  }
  std::string info = TRichEdit::FromScreen(f->InfoLine());
  // The dump is about four times the file: a file too large for memory
  // gets a message instead of ending the program.
  try {
    std::string text = HexDumpPane(bytes, info, Checker(f), kCheckEveryBytes);
    std::string().swap(bytes);
    f->RichEdit1->setUpdatesEnabled(false);
    f->RichEdit1->SetText(text);
    f->RichEdit1->setUpdatesEnabled(true);
  } catch (const std::bad_alloc&) {
    f->RichEdit1->setUpdatesEnabled(true);
    f->RichEdit1->Clear();
    finish();
    f->DialogAnswer.clear();
    f->MessageDlg(QString::fromStdString(f->SelectedPath) + "\n" + QString::fromLocal8Bit(std::strerror(ENOMEM)), "",
                  TMsgKind::Error);
    return;
  }
  finish();
  f->DialogAnswer.clear();
}

void BelowLineHexDump(TForm1* f) {
  if (f->SelectedPath.empty() || !IsRegularFile(f->SelectedPath)) return;
  f->DialogAnswer.clear();
  auto* progress = new TForm24(f, QString::fromStdString(f->SelectedPath));
  progress->show();
  std::vector<std::string> lines = f->RichEdit1->Lines();
  f->RichEdit1->Clear();
  bool stopped = false;
  std::vector<std::string> out =
      BelowLineDump(lines, TRichEdit::FromScreen(f->InfoLine()), Checker(f), kCheckEveryLines, &stopped);
  f->RichEdit1->setUpdatesEnabled(false);
  f->RichEdit1->SetText(JoinLines(out));
  f->RichEdit1->setUpdatesEnabled(true);
  progress->close();
  delete progress;
  if (!stopped) f->SetInfoColor(clBlue);
}

void InstallHexDumpCommands(TForm1* f) {
  QMenu* sub = f->Mconvert->addMenu("16進表示(&P)");
  sub->setObjectName("Mdump1");
  f->AddCommand(sub, cmd::Mdump1a1, "標準表示", [f] { StandardHexDump(f); });
  f->AddCommand(sub, cmd::Mdump1b1, "行下表示", [f] { BelowLineHexDump(f); });
}
