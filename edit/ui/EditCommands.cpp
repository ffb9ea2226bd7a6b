#include "edit/ui/EditCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QToolBar>

#include "app/ui/Unit1.h"
#include "edit/EditRules.h"
#include "edit/Rtf.h"
#include "edit/SaveText.h"
#include "edit/SaveUnicode.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

QAction* Option(TForm1* f, QMenu* menu, CommandName name, const QString& caption, bool def) {
  if (QAction* a = f->FindAction(name)) return a;
  return f->AddOption(menu, name, caption, def, nullptr);
}

bool Checked(TForm1* f, CommandName name, bool def) {
  QAction* a = f->FindAction(name);
  return a ? a->isChecked() : def;
}

bool ClipboardHasText() {
  const QMimeData* m = QApplication::clipboard()->mimeData();
  return m && m->hasText() && !m->text().isEmpty();
}

void UpdateCaretPanels(TForm1* f) {
  f->SetSBarRPanel(0, QString("%1行 %2列").arg(f->RichEdit1->CaretLine()).arg(f->RichEdit1->CaretColumn()));
  f->SetSBarRPanel(1, QString("%1 行").arg(f->RichEdit1->LineCount()));
}

void SetEditMode(TForm1* f, bool on) {
  f->RichEdit1->SetEditMode(on);
  if (QAction* b = f->ActionNamed("ToolButton7")) {
    QSignalBlocker block(b);
    b->setChecked(on);
  }
  f->SetSBarRPanel(2, on ? "編集" : "閲覧");
  f->SetInfoColor(on ? clRed : clBlack);
}

// The content written for a target: RTF or the pane's exact bytes.
std::string PaneContent(TForm1* f, bool rich) {
  if (!rich) return f->RichEdit1->Bytes();
  QFont font = f->RichEdit1->font();
  int half = font.pointSizeF() > 0 ? static_cast<int>(font.pointSizeF() * 2 + 0.5) : 20;
  return WriteRtf(f->RichEdit1->Rich(), TRichEdit::FromScreen(font.family()), half);
}

bool WritePane(TForm1* f, const std::string& target) {
  bool rich = SaveAsRich(target, Checked(f, cmd::Mrtf, false));
  std::string content = PaneContent(f, rich);
  // A UTF-8 or UTF-16 file goes back in its own code, to this name or another.
  const TUnicodePane* unicode = rich ? nullptr : f->RichEdit1->Unicode();
  SaveResult r = SavePaneText(target, content, unicode, Checked(f, cmd::Mbackup1, true));
  if (!r.ok) {
    f->MessageDlg(Q(target) + "\n" + Q(r.error), "", TMsgKind::Error);
    return false;
  }
  f->RichEdit1->SetModified(false);
  f->RichEdit1->SetRichMode(Checked(f, cmd::Mrtf, false));
  return true;
}

}  // namespace

bool SavePaneAs(TForm1* f, const std::string& given) {
  std::string target = given;
  if (target.empty()) {
    // Without a selected file the dialog opens where the last save went.
    std::string lastDir = f->Settings.fileDir;
    QString start = !f->SelectedPath.empty()                    ? Q(f->SelectedPath)
                    : (!lastDir.empty() && IsDirectory(lastDir)) ? Q(lastDir)
                                                                 : Q(f->CurrentFolder);
    QFileDialog dlg(f, "テキストに名前を付けて保存", start,
                    "テキスト(*.txt);;ﾘｯﾁテキスト(*.rtf);;すべて(*)");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix("txt");
    dlg.setObjectName("SaveDialog1");
    if (!f->SelectedPath.empty()) dlg.selectFile(Q(f->SelectedPath));
    if (f->ExecDialog(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    target = S(dlg.selectedFiles().first());
  }
  if (target.empty()) return false;
  if (!WritePane(f, target)) return false;
  std::string folder = FolderPart(target);
  f->Settings.fileSave = target;
  f->Settings.fileDir = folder;
  if (Checked(f, cmd::Mtodiropen1, false) && WithTrailingSlash(folder) != f->CurrentFolder) f->GoToFolder(folder);
  f->SetInfoColor(clBlack);
  f->RefreshViews();
  f->SelectFileByName(FileNamePart(target));
  return true;
}

bool SavePaneOver(TForm1* f) {
  if (f->SelectedPath.empty() || !IsRegularFile(f->SelectedPath)) return SavePaneAs(f);
  std::string target = f->SelectedPath;
  // An empty pane over a file with content is most likely a file the read
  // limit kept out of the pane: ask before emptying it.
  FileStat st = StatPath(target);
  if (f->RichEdit1->document()->isEmpty() && st.size > 0) {
    if (f->MessageDlg(Q(FileNamePart(target)) + "\nを空のテキストで上書きしますか？", "", TMsgKind::Confirmation,
                      mbYes | mbNo) != mbYes)
      return false;
  }
  if (!WritePane(f, target)) return false;
  f->SetInfoColor(clBlack);
  if (Checked(f, cmd::Mbackup1, true)) {
    f->RefreshViews();
    f->SelectFileByName(FileNamePart(target));
  } else {
    FileStat now = StatPath(target);
    f->SetInfoLine(Q(InfoLinePieces1To8(target, now)), clBlack);
  }
  return true;
}

void InstallEditCommands(TForm1* f) {
  TRichEdit* pane = f->RichEdit1;
  QMenu* m = f->Medit;
  QAction* undo = f->AddCommand(m, cmd::Mundo, "元に戻す(&U)", [pane] { pane->undo(); });
  m->addSeparator();
  QAction* cut = f->AddCommand(m, cmd::Mcut, "テキスト　切り取り(&X)", [f, pane] {
    // A browse pane changes nothing, so the marker stays as it is.
    if (!pane->EditMode() || !pane->textCursor().hasSelection()) return;
    pane->cut();
    f->SetInfoColor(clRed);
  });
  QAction* copy = f->AddCommand(m, cmd::Mcopy, "テキスト　コピー(&C)", [pane] {
    if (!pane->textCursor().hasSelection()) return;
    pane->copy();
    QTextCursor c = pane->textCursor();
    c.clearSelection();
    pane->setTextCursor(c);
  });
  QAction* paste = f->AddCommand(m, cmd::Mpaste, "テキスト　貼り付け(&V)", [f, pane] {
    if (!ClipboardHasText()) return;
    // The pane takes the paste also in browse mode, as its Part says.
    QTextCursor c = pane->textCursor();
    c.insertText(QApplication::clipboard()->text());
    f->SetInfoColor(clRed);
  });
  QAction* del = f->AddCommand(m, cmd::Mtextdelete, "テキスト　削除(&D)", [f, pane] {
    if (!pane->EditMode() || !pane->textCursor().hasSelection()) return;
    pane->textCursor().removeSelectedText();
    f->SetInfoColor(clRed);
  });
  f->AddCommand(m, cmd::Mallselect, "テキスト　すべてを選択(&L)", [pane] { pane->selectAll(); });
  m->addSeparator();
  QAction* mode = f->AddCommand(m, cmd::Mkanihensyu, "簡易編集する(&R)", [f, pane] { SetEditMode(f, !pane->EditMode()); });
  QAction* jump = f->AddCommand(m, cmd::Mjump, "←指定行へ移動(&J)", [f, pane] {
    if (!f->InputQuery("指定行へジャンプ", "行番号を入力して下さい", "", "", "")) return;
    pane->GoToLine(JumpTargetLine(S(f->DialogAnswer).c_str(), pane->LineCount()));
    pane->setFocus();
    UpdateCaretPanels(f);
  });
  (void)jump;
  QObject::connect(m, &QMenu::aboutToShow, f, [=] {
    paste->setEnabled(ClipboardHasText());
    bool sel = pane->textCursor().hasSelection();
    cut->setEnabled(sel);
    copy->setEnabled(sel);
    del->setEnabled(sel);
    undo->setEnabled(pane->document()->isUndoAvailable());
    mode->setText(ModeCommandCaption(pane->EditMode()));
  });
  // Enabled states are for the menu; keys and buttons reach the handlers,
  // which check for themselves.
  QObject::connect(m, &QMenu::aboutToHide, f, [=] {
    for (QAction* a : {paste, cut, copy, del, undo}) a->setEnabled(true);
  });

  f->SavePaneCommand = [f] { return SavePaneOver(f); };
  QMenu* file = f->Mfile;
  QAction* first = file->actions().isEmpty() ? nullptr : file->actions().first();
  QAction* saveAs = f->AddCommand(nullptr, cmd::Msaveas, "テキスト 名前を付けて保存(&W)...", [f] { SavePaneAs(f); });
  QAction* save = f->AddCommand(nullptr, cmd::Msave, "テキスト　上書き保存(&V)", [f] { SavePaneOver(f); },
                                QKeySequence("Ctrl+S"));
  save->setShortcutContext(Qt::WindowShortcut);
  file->insertAction(first, saveAs);
  file->insertAction(first, save);
  file->insertSeparator(first);

  QMenu* opt = f->Moption;
  Option(f, opt, cmd::Mbackup1, "保存時バックアップ作成", true);
  Option(f, opt, cmd::Mtodiropen1, "処理先フォルダー表示(&F)", false);
  QAction* rtf = Option(f, opt, cmd::Mrtf, "RTF形式(&R)", false);
  QObject::connect(rtf, &QAction::toggled, f, [f, pane](bool on) {
    pane->SetRichMode(on);
    f->SetSBarRPanel(3, on ? "RTF" : "");
  });

  // Text toolbar buttons, in the toolbar's order after the refresh button.
  QToolBar* tb = f->ToolBar2;
  auto style = f->style();
  auto button = [&](const char* name, QStyle::StandardPixmap icon, const QString& text, const QString& hint,
                    QAction* target) {
    QAction* b = new QAction(style->standardIcon(icon), text, f);
    b->setObjectName(name);
    b->setProperty("navirtCommand", target->objectName());
    b->setToolTip(hint);
    QObject::connect(b, &QAction::triggered, target, &QAction::trigger);
    tb->insertAction(f->ToolButton39, b);
    return b;
  };
  button("ToolButton10", QStyle::SP_DialogDiscardButton, "切り取り", "切り取り", cut);
  button("ToolButton14", QStyle::SP_FileDialogDetailedView, "コピー", "コピー", copy);
  button("ToolButton19", QStyle::SP_DialogApplyButton, "貼り付け", "貼り付け", paste);
  button("ToolButton21", QStyle::SP_TrashIcon, "削除", "削除", del);
  button("ToolButton54", QStyle::SP_DialogSaveButton, "上書き保存", "上書保存|上書き保存します。", save);
  button("ToolButton20", QStyle::SP_DriveFDIcon, "名前をつけて保存", "保存|テキストを名前を付けて保存します。",
         saveAs);
  auto caretButton = [&](const char* name, CommandName command, QStyle::StandardPixmap icon, const QString& text,
                         bool end) {
    QAction* go = f->AddCommand(nullptr, command, text, [f, pane, end] {
      pane->SetCaretOffset(end ? TextEndOffset(static_cast<int>(pane->Text().size())) : 0);
      pane->setFocus();
      UpdateCaretPanels(f);
    });
    QAction* b = new QAction(style->standardIcon(icon), text, f);
    b->setObjectName(name);
    b->setProperty("navirtCommand", go->objectName());
    QObject::connect(b, &QAction::triggered, go, &QAction::trigger);
    tb->insertAction(f->ToolButton39, b);
  };
  caretButton("ToolButton25", cmd::Mtexttop, QStyle::SP_MediaSkipBackward, "文頭", false);
  caretButton("ToolButton26", cmd::Mtextend, QStyle::SP_MediaSkipForward, "文末", true);
  QAction* editButton = new QAction(style->standardIcon(QStyle::SP_FileDialogListView), "簡易編集", f);
  editButton->setObjectName("ToolButton7");
  editButton->setProperty("navirtCommand", mode->objectName());
  editButton->setCheckable(true);
  editButton->setToolTip("簡易編集|簡易編集ﾓｰﾄﾞのｵﾝｵﾌです。");
  QObject::connect(editButton, &QAction::toggled, f, [f](bool on) { SetEditMode(f, on); });
  tb->insertAction(f->ToolButton39, editButton);

  // Typing with the modified flag set turns the marker red.
  QObject::connect(pane, &TRichEdit::userChanged, f, [f, pane] {
    if (pane->Modified()) f->SetInfoColor(clRed);
  });
  QObject::connect(pane, &QPlainTextEdit::selectionChanged, f, [f] { UpdateCaretPanels(f); });
}
