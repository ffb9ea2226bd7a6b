// The main window's preview: the selected file into the pane or the picture
// area, the pane's text, the information line and the status panels.
#include "app/ui/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeView>

#include <cstdio>

#include "browse/ui/FileListModel.h"
#include "codec/DetectCode.h"
#include "codec/UnicodePane.h"
#include "edit/PaneText.h"
#include "edit/Rtf.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/FontUtil.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"
#include "preview/Picture.h"
#include "preview/ReadRule.h"
#include "preview/ui/PictureView.h"
#include "preview/ui/PreviewLoader.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The code the information line names for the pane's text: a UTF-8,
// UTF-16, EUC or JIS file's own code, judged on its bytes when it was
// loaded; else the guess over the text (none for an empty one).
std::string PaneCodeLabel(const TRichEdit* pane, const std::string& text) {
  if (const TUnicodePane* u = pane->Unicode()) return u->Label();
  return text.empty() ? std::string() : TextCodeLabel(DetectCode(text));
}

}  // namespace

std::string TForm1::PaneText() const { return RichEdit1->Text(); }

void TForm1::NoteSavedFile(const std::string& path) {
  Settings.fileSave = path;
  Settings.fileDir = FolderPart(path);
}

std::vector<std::string> TForm1::PaneLines() const { return RichEdit1->Lines(); }

// A change of the file's text (red) is one undo step and counts as an edit;
// it keeps a UTF-8, UTF-16, EUC or JIS file's mapping so it saves in its own
// code. Program output is Shift_JIS text of its own, and asks first when it
// would replace edits.
void TForm1::SetPaneText(std::string_view bytes, TColor marker) {
  if (marker != clRed && !ConfirmReplacePane()) return;
  RichEdit1->setUpdatesEnabled(false);
  if (marker == clRed) {
    RichEdit1->ReplaceText(bytes);
  } else {
    RichEdit1->SetText(bytes);
    RichEdit1->SetModified(false);
  }
  RichEdit1->setUpdatesEnabled(true);
  SetInfoColor(marker);
}

void TForm1::SetPaneLines(const std::vector<std::string>& lines, TColor marker) {
  if (marker != clRed && !ConfirmReplacePane()) return;
  RichEdit1->setUpdatesEnabled(false);
  if (marker != clRed) RichEdit1->ForgetUnicode();
  RichEdit1->SetLines(lines, marker == clRed);
  RichEdit1->setUpdatesEnabled(true);
  if (marker != clRed) RichEdit1->SetModified(false);
  SetInfoColor(marker);
}

// ---------------------------------------------------------------- preview

void TForm1::FileView1Change() {
  if (keepingSelection_) return;
  std::vector<int> rows = SelectedFileRows(FileView1->selectionModel());
  std::string next = rows.empty() ? std::string() : FileModel->PathOf(rows.front());
  // Edits of the file are not dropped by moving on without a word.
  if (next != SelectedPath && !ConfirmReplacePane()) {
    KeepEditedSelection(SelectedPath);
    return;
  }
  // The pane fills the preview area again; no picture stays.
  ReleasePicture();
  SelectedPath = std::move(next);
  if (PreviewEnabled && !ShiftHeld && !AltHeld) PreviewSelectedFile();
  SetStatusPanel(3, QString("%1 個選択").arg(rows.size()));
}

void TForm1::LoadPaneWithFile(const std::string& path, bool realTime, bool& loaded, std::string* shown) {
  loaded = false;
  if (shown) shown->clear();
  TIniFile ini = OpenSettings();
  ReadSettings rs = LoadReadSettings(ini);
  FileStat st = StatPath(path);
  ReadMode mode = ChooseReadMode(rs, st.size, realTime);
  if (mode == ReadMode::None) return;
  // Both ways read the whole file; a buffered read differs only in how.
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return;
  QAction* rtf = FindAction(cmd::Mrtf);
  RichEdit1->SetRichMode(rtf && rtf->isChecked());
  RichEdit1->setUpdatesEnabled(false);
  if (RichEdit1->RichMode() && LooksLikeRtf(bytes)) {
    RichEdit1->SetRich(ReadRtf(bytes));
  } else {
    PaneLoad load = LoadFileForPane(bytes);
    // A UTF-8, UTF-16, EUC or JIS file's code is known: the information line needs
    // only its first line.
    if (shown) *shown = load.unicode ? std::string(FirstLine(load.text)) : PaneTextOfLoaded(load.text);
    RichEdit1->SetText(load.text, std::move(load.unicode));
  }
  RichEdit1->setUpdatesEnabled(true);
  loaded = true;
}

// Up to this size a file is read and shown at once; a larger one fills the
// pane in the background.
constexpr uint64_t kLoadAtOnce = 1u << 20;

bool TForm1::LoadPaneInBackground(const std::string& path, bool realTime,
                                  std::function<void(const std::string&, const std::string&)> done) {
  TIniFile ini = OpenSettings();
  FileStat st = StatPath(path);
  if (!st.found || st.size <= kLoadAtOnce) return false;
  const ReadSettings rs = LoadReadSettings(ini);
  if (ChooseReadMode(rs, st.size, realTime) == ReadMode::None) return false;
  QAction* rtf = FindAction(cmd::Mrtf);
  RichEdit1->SetRichMode(rtf && rtf->isChecked());
  if (!previewLoader_) previewLoader_ = std::make_unique<TPreviewLoader>();
  auto feed = std::make_shared<TPaneFeed>(4);
  RichEdit1->BeginFill(feed);
  TPreviewLoader::Options options;
  options.limit = rs.readMax > 0 ? static_cast<uint64_t>(rs.readMax) : 0;
  options.rich = RichEdit1->RichMode();
  previewLoader_->Start(
      path, feed, this, [done = std::move(done)](const TPreviewLoader::Labels& l) { done(l.type, l.code); }, options);
  return true;
}

void TForm1::PreviewSelectedFile() {
  if (!ConfirmReplacePane()) return;
  if (PreviewOverride && PreviewOverride()) return;
  if (!RealTimeMode) return;
  SetInfoLine("", clBlack);
  if (SelectedPath.empty()) return;
  if (!IsRegularFile(SelectedPath)) {
    // Deleted since the list was read: the previous file's text must not
    // stay under this name (a save would write it there).
    if (!StatPath(SelectedPath).found && !PaneHasUnsavedEdits()) RichEdit1->Clear();
    return;
  }
  FileStat st = StatPath(SelectedPath);
  if (!st.found) return;
  std::string pieces = InfoLinePieces1To8(SelectedPath, st);
  RichEdit1->Clear();
  ApplyFonts();
  bool editMode = !RichEdit1->isReadOnly();
  SetInfoLine(Q(pieces), editMode ? clRed : clBlack);
  QAction* pictures = FindAction(cmd::Mgazodisp1);
  bool picture = IsPictureFile(SelectedPath) && (!pictures || pictures->isChecked());
  ReleasePicture();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool loaded = false;
  std::string code;
  std::string text;
  if (!picture && LoadPaneInBackground(SelectedPath, RealTimeMode,
                                       [this, pieces](const std::string& type, const std::string& code) {
                                         SetInfoLine(Q(pieces + InfoLinePiece9(type, code)), InfoColor);
                                       })) {
    QApplication::restoreOverrideCursor();
    ShowFolderSummary(true);
    return;
  }
  if (!picture) {
    LoadPaneWithFile(SelectedPath, RealTimeMode, loaded, &text);
    if (loaded && RichEdit1->RichMode() && RichEdit1->LineCount() > 0) text = RichEdit1->Text();
    code = PaneCodeLabel(RichEdit1, text);
  }
  std::string type = SniffFileType(FirstLine(text), SelectedPath);
  SetInfoLine(Q(pieces + InfoLinePiece9(type, code)), InfoColor);
  QApplication::restoreOverrideCursor();
  ShowFolderSummary(true);
  if (picture && !ShowPicture()) {
    // A picture that does not decode is shown as text.
    ReleasePicture();
    LoadPaneWithFile(SelectedPath, RealTimeMode, loaded);
  }
}

void TForm1::ReleasePicture() {
  Image1->clear();
  ScrollBox1->hide();
  RichEdit1->setVisible(!paneHidden_);
  PanelRBB->setAutoFillBackground(false);
  SetSBarRPanel(6, "");
}

bool TForm1::ShowPicture() {
  QAction* stretchItem = FindAction(cmd::Mgazostrech1);
  bool stretchOption = !stretchItem || stretchItem->isChecked();
  // The control stands one pixel in from the left: the whole picture fits
  // in what is left, with no scroll bar.
  QSize pane = PanelRBB->size() - QSize(1, 0);
  int zoom = Settings.zoom;
  // A whole-picture view never needs more pixels than the pane has.
  QSize fit = zoom == 0 && stretchOption ? pane : QSize();
  QImage image;
  QSize full;
  if (!LoadPictureImage(SelectedPath, fit, image, full) || image.isNull()) return false;
  PictureLayout l = ComputePictureLayout(full.width(), full.height(), pane.width(), pane.height(), zoom, stretchOption,
                                         pictureStretch_);
  if (l.width <= 0 || l.height <= 0) return false;
  pictureStretch_ = l.stretch;
  RichEdit1->hide();
  QPalette pal = PanelRBB->palette();
  pal.setColor(QPalette::Window, Qt::white);
  PanelRBB->setPalette(pal);
  PanelRBB->setAutoFillBackground(true);
  ScrollBox1->setWidgetResizable(false);
  ScrollBox1->setBackgroundRole(QPalette::Base);
  ScrollBox1->show();
  if (l.autoSize) {
    Image1->setScaledContents(false);
    Image1->setPixmap(QPixmap::fromImage(image.size() == full ? image : image.scaled(full)));
    Image1->resize(full);
  } else if (l.stretch) {
    Image1->setScaledContents(true);
    Image1->setPixmap(
        QPixmap::fromImage(image.scaled(l.width, l.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    Image1->setGeometry(l.left, l.top, l.width, l.height);
  } else {
    Image1->setScaledContents(false);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap::fromImage(image.size() == full ? image : image.scaled(full)));
    Image1->setGeometry(l.left, l.top, l.width, l.height);
  }
  ScrollBox1->horizontalScrollBar()->setValue(0);
  ScrollBox1->verticalScrollBar()->setValue(0);
  SetSBarRPanel(6, Q(PictureSizeText(full.width(), full.height())));
  return true;
}

void TForm1::ShowSelectedFile() {
  if (SelectedPath.empty() || !IsRegularFile(SelectedPath)) return;
  if (!ConfirmReplacePane()) return;
  SetInfoLine("", clBlue);
  FileStat st = StatPath(SelectedPath);
  std::string pieces = InfoLinePieces1To8(SelectedPath, st);
  ApplyFonts();
  RichEdit1->Clear();
  SetInfoLine(Q(pieces), clBlue);
  // On demand the file is shown whatever the mode: the user asked for it.
  if (LoadPaneInBackground(SelectedPath, true, [this, pieces](const std::string& type, const std::string& code) {
        SetInfoLine(Q(pieces + InfoLinePiece9(type, code)), clBlue);
      })) {
    ShowFolderSummary(false);
    return;
  }
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool loaded = false;
  std::string text;
  LoadPaneWithFile(SelectedPath, true, loaded, &text);
  if (loaded && RichEdit1->RichMode() && RichEdit1->LineCount() > 0) text = RichEdit1->Text();
  std::string code = PaneCodeLabel(RichEdit1, text);
  SetInfoLine(Q(pieces + InfoLinePiece9(SniffFileType(FirstLine(text), SelectedPath), code)), clBlue);
  QApplication::restoreOverrideCursor();
  ShowFolderSummary(false);
}

void TForm1::ShowFileInfo() {
  RichEdit1->Clear();
  SetInfoLine("", InfoColor);
  if (SelectedPath.empty()) return;
  FileStat st = StatPath(SelectedPath);
  if (!st.found) return;
  SetInfoLine(Q(InfoLinePieces1To8(SelectedPath, st)), InfoColor);
  ShowFolderSummary(false);
}

// ---------------------------------------------------------------- pane

int TForm1::PaneHeight() const { return RichEdit1->height(); }

void TForm1::ToggleEditView() {
  if (!paneHidden_) {
    rememberedPaneHeight_ = PanelRB->height() - PanelRBT->height() - SBarR->height();
    RichEdit1->hide();
    paneHidden_ = true;
    int prbh = PanelRBT->height() + SBarR->height();
    int total = Splitter3->height();
    Splitter3->setSizes({total - prbh, prbh});
    commands_->SetButtonLook(cmd::MeditView1, "表示する", "表示する|テキスト表示部分を表示します。", "pane-show");
    MeditView1->setText("テキスト表示を表示する(&I)");
    MeditView1->setStatusTip("テキスト表示を表示します。");
  } else {
    RichEdit1->show();
    paneHidden_ = false;
    int prbh = PanelRBT->height() + rememberedPaneHeight_ + SBarR->height();
    int total = Splitter3->height();
    Splitter3->setSizes({std::max(0, total - prbh), prbh});
    NotePaneHeight();
    commands_->SetButtonLook(cmd::MeditView1, "隠す", "隠す|テキスト表示部分を隠します。", "pane-hide");
    MeditView1->setText("テキスト表示を隠す(&I)");
    MeditView1->setStatusTip("テキスト表示を隠します。");
  }
  // The keyboard stays on the file view the style shows (details, or the
  // icons and list), else on the tree.
  QAbstractItemView* list = FileIconView1->isVisible() ? static_cast<QAbstractItemView*>(FileIconView1)
                                                       : static_cast<QAbstractItemView*>(FileView1);
  if (list->isVisible() && list->isEnabled())
    list->setFocus();
  else
    FolderView1->setFocus();
}

// ---------------------------------------------------------------- labels

void TForm1::SetInfoLine(const QString& text, TColor color) {
  infoText_ = text;
  LFilestring->setText(text);
  SetInfoColor(color);
}

void TForm1::SetInfoColor(TColor color) {
  InfoColor = color;
  QPalette pal = LFilestring->palette();
  pal.setColor(QPalette::WindowText, QColorFromTColor(color, Qt::black));
  LFilestring->setPalette(pal);
}

QString TForm1::InfoLine() const { return infoText_; }

void TForm1::FitPanel(QLabel* label, const QString& text) {
  int w = label->fontMetrics().horizontalAdvance(" " + text + " ");
  label->setMinimumWidth(w);
}

void TForm1::SetSBarRPanel(int panel, const QString& text) {
  if (panel < 0 || panel > 6) return;
  sbarR_[panel]->setText(text);
  if (panel >= 1 && panel <= 5) FitPanel(sbarR_[panel], text);
}

QString TForm1::SBarRPanel(int panel) const { return panel >= 0 && panel <= 6 ? sbarR_[panel]->text() : QString(); }

void TForm1::SetStatusPanel(int panel, const QString& text) {
  if (panel < 0 || panel > 4) return;
  status_[panel]->setText(text);
  if (panel >= 1 && panel <= 3) FitPanel(status_[panel], text);
}

QString TForm1::StatusPanel(int panel) const { return panel >= 0 && panel <= 4 ? status_[panel]->text() : QString(); }
