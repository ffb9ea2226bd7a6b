#include "edit/ui/EditCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMimeData>
#include <QStyle>
#include <QToolBar>

#include "edit/EditRules.h"
#include "edit/Rtf.h"
#include "edit/SaveText.h"
#include "edit/SaveUnicode.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/FileDialog.h"
#include "host/ui/Host.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

bool ClipboardHasText() {
  const QMimeData* m = QApplication::clipboard()->mimeData();
  return m && m->hasText() && !m->text().isEmpty();
}

bool HasSelection(IHost& h) { return h.Pane()->textCursor().hasSelection(); }

void UpdateCaretPanels(IHost& h) {
  TRichEdit* pane = h.Pane();
  h.SetPaneStatus(0, QString("%1行 %2列").arg(pane->CaretLine()).arg(pane->CaretColumn()));
  h.SetPaneStatus(1, QString("%1 行").arg(pane->LineCount()));
}

void SetEditMode(IHost& h, bool on) {
  h.Pane()->SetEditMode(on);
  h.Commands().RefreshButtons();
  h.SetPaneStatus(2, on ? "編集" : "閲覧");
  h.SetInfoColor(on ? clRed : clBlack);
}

// The content written for a target: RTF or the pane's exact bytes.
std::string PaneContent(TRichEdit* pane, bool rich) {
  if (!rich) return pane->Bytes();
  QFont font = pane->font();
  int half = font.pointSizeF() > 0 ? static_cast<int>(font.pointSizeF() * 2 + 0.5) : 20;
  return WriteRtf(pane->Rich(), TRichEdit::FromScreen(font.family()), half);
}

bool WritePane(IHost& h, const std::string& target) {
  TRichEdit* pane = h.Pane();
  bool rich = SaveAsRich(target, h.OptionChecked(cmd::Mrtf, false));
  std::string content = PaneContent(pane, rich);
  // A UTF-8 or UTF-16 file goes back in its own code, to this name or another.
  const TUnicodePane* unicode = rich ? nullptr : pane->Unicode();
  SaveResult r = SavePaneText(target, content, unicode, h.OptionChecked(cmd::Mbackup1, true));
  if (!r.ok) {
    h.MessageDlg(Q(target) + "\n" + Q(r.error), "", TMsgKind::Error);
    return false;
  }
  pane->SetModified(false);
  pane->SetRichMode(h.OptionChecked(cmd::Mrtf, false));
  return true;
}

// ---- the handlers of the 編集 menu ----

void Cut(IHost& h) {
  TRichEdit* pane = h.Pane();
  // A browse pane changes nothing, so the marker stays as it is.
  if (!pane->EditMode() || !pane->textCursor().hasSelection()) return;
  // A change goes into the whole text: a fill still running ends first.
  pane->CompleteFill();
  pane->cut();
  h.SetInfoColor(clRed);
}

void Copy(IHost& h) {
  TRichEdit* pane = h.Pane();
  if (!pane->textCursor().hasSelection()) return;
  pane->copy();
  QTextCursor c = pane->textCursor();
  c.clearSelection();
  pane->setTextCursor(c);
}

void Paste(IHost& h) {
  if (!ClipboardHasText()) return;
  // The pane takes the paste also in browse mode, as its Part says, into
  // the whole text: a fill still running ends first.
  h.Pane()->CompleteFill();
  QTextCursor c = h.Pane()->textCursor();
  c.insertText(QApplication::clipboard()->text());
  h.SetInfoColor(clRed);
}

void DeleteSelection(IHost& h) {
  TRichEdit* pane = h.Pane();
  if (!pane->EditMode() || !pane->textCursor().hasSelection()) return;
  pane->CompleteFill();
  pane->textCursor().removeSelectedText();
  h.SetInfoColor(clRed);
}

void UndoRedo(IHost& h, bool redo) {
  TRichEdit* pane = h.Pane();
  if (redo ? !pane->document()->isRedoAvailable() : !pane->document()->isUndoAvailable()) return;
  if (redo)
    pane->redo();
  else
    pane->undo();
  // The text differs from what was loaded or saved unless the step went
  // back there.
  if (pane->Modified()) h.SetInfoColor(clRed);
  UpdateCaretPanels(h);
}

void Jump(IHost& h) {
  TRichEdit* pane = h.Pane();
  if (!h.InputQuery("指定行へジャンプ", "行番号を入力して下さい", "", "", "")) return;
  pane->GoToLine(JumpTargetLine(S(h.Answer()).c_str(), pane->LineCount()));
  pane->setFocus();
  UpdateCaretPanels(h);
}

void CaretTo(IHost& h, bool end) {
  TRichEdit* pane = h.Pane();
  // "文末" goes after the last character, where typing appends.
  pane->moveCursor(end ? QTextCursor::End : QTextCursor::Start);
  pane->ensureCursorVisible();
  pane->setFocus();
  UpdateCaretPanels(h);
}

CommandRow Row(CommandName name, const char* caption, std::function<void(IHost&)> run,
               std::function<bool(IHost&)> enabled = {}, const char* shortcut = nullptr) {
  CommandRow r;
  r.name = name;
  r.caption = caption;
  r.shortcut = shortcut;
  r.run = std::move(run);
  r.enabled = std::move(enabled);
  return r;
}

CommandRow Option(CommandName name, const char* caption, bool def, std::function<void(IHost&, bool)> toggled = {}) {
  CommandRow r;
  r.name = name;
  r.caption = caption;
  r.checkable = true;
  r.checked = def;
  r.toggled = std::move(toggled);
  return r;
}

void InstallEditMenu(IHost& host) {
  TCommandRegistry& reg = host.Commands();
  QMenu* m = host.Menu(HostMenu::Edit);
  // A key or a button whose rule says no is refused by the registry.
  // Every command's change of the text is one step here, as typing is.
  reg.Install({Row(
                   cmd::Mundo, "元に戻す(&U)", [](IHost& h) { UndoRedo(h, false); },
                   [](IHost& h) { return h.Pane()->document()->isUndoAvailable(); }, "Ctrl+Z"),
               Row(
                   cmd::Mredo, "やり直し(&Y)", [](IHost& h) { UndoRedo(h, true); },
                   [](IHost& h) { return h.Pane()->document()->isRedoAvailable(); }, "Ctrl+Shift+Z")},
              m);
  m->addSeparator();
  reg.Install(
      {WithButton(Row(cmd::Mcut, "テキスト　切り取り(&X)", Cut, HasSelection), "edit-cut", {"切り取り"}),
       WithButton(Row(cmd::Mcopy, "テキスト　コピー(&C)", Copy, HasSelection), "edit-copy", {"コピー"}),
       WithButton(Row(cmd::Mpaste, "テキスト　貼り付け(&V)", Paste, [](IHost&) { return ClipboardHasText(); }),
                  "edit-paste", {"貼り付け"}),
       WithButton(Row(cmd::Mtextdelete, "テキスト　削除(&D)", DeleteSelection, HasSelection), "edit-delete", {"削除"}),
       Row(cmd::Mallselect, "テキスト　すべてを選択(&L)", [](IHost& h) { h.Pane()->selectAll(); })},
      m);
  m->addSeparator();
  reg.Install(
      {WithButton(Row(cmd::Mkanihensyu, "簡易編集する(&R)", [](IHost& h) { SetEditMode(h, !h.Pane()->EditMode()); }),
                  "edit-mode",
                  {"簡易編集", "簡易編集|簡易編集ﾓｰﾄﾞのｵﾝｵﾌです。", [](IHost& h) { return h.Pane()->EditMode(); }}),
       Row(cmd::Mjump, "←指定行へ移動(&J)", Jump)},
      m);
  // The mode item names the mode it switches to.
  IHost* hp = &host;
  QAction* mode = reg.Action(cmd::Mkanihensyu);
  QObject::connect(m, &QMenu::aboutToShow, host.HostWindow(),
                   [hp, mode] { mode->setText(ModeCommandCaption(hp->Pane()->EditMode())); });
}

void InstallSaveCommands(IHost& host) {
  TCommandRegistry& reg = host.Commands();
  host.SetSavePaneCommand([hp = &host] { return SavePaneInPlace(hp); });
  QMenu* file = host.Menu(HostMenu::File);
  QAction* first = file->actions().isEmpty() ? nullptr : file->actions().first();
  QAction* saveAs =
      reg.Install(WithButton(Row(cmd::Msaveas, "テキスト 名前を付けて保存(&N)...", [](IHost& h) { SavePaneAs(&h); }),
                             "save-as", {"名前をつけて保存", "保存|テキストを名前を付けて保存します。"}));
  QAction* save = reg.Install(
      WithButton(Row(
                     cmd::Msave, "テキスト　上書き保存(&O)", [](IHost& h) { SavePaneOver(&h); }, {}, "Ctrl+S"),
                 "save", {"上書き保存", "上書保存|上書き保存します。"}));
  file->insertAction(first, saveAs);
  file->insertAction(first, save);
  file->insertSeparator(first);

  reg.Install({Option(cmd::Mbackup1, "保存時バックアップ作成", true),
               Option(cmd::Mtodiropen1, "処理先フォルダー表示(&F)", false),
               Option(cmd::Mrtf, "RTF形式(&R)", false,
                      [](IHost& h, bool on) {
                        h.Pane()->SetRichMode(on);
                        h.SetPaneStatus(3, on ? "RTF" : "");
                      })},
              host.Menu(HostMenu::Option));
}

// The caret buttons' commands have no menu item of their own.
void InstallCaretCommands(IHost& host) {
  host.Commands().Install(
      {WithButton(Row(cmd::Mtexttop, "文頭", [](IHost& h) { CaretTo(h, false); }), "text-top", {"文頭"}),
       WithButton(Row(cmd::Mtextend, "文末", [](IHost& h) { CaretTo(h, true); }), "text-end", {"文末"})},
      nullptr);
}

}  // namespace

bool SavePaneAs(IHost* h, const std::string& given) {
  std::string target = given;
  const std::string selected = h->HostSelectedPath();
  if (target.empty()) {
    // Without a selected file the dialog opens where the last save went.
    std::string lastDir = h->LastSaveFolder();
    QString start = !selected.empty()                            ? Q(selected)
                    : (!lastDir.empty() && IsDirectory(lastDir)) ? Q(lastDir)
                                                                 : Q(h->HostFolder());
    QFileDialog dlg(h->HostWindow(), "テキストに名前を付けて保存", start,
                    "テキスト(*.txt);;ﾘｯﾁテキスト(*.rtf);;すべて(*)");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix("txt");
    dlg.setObjectName("SaveDialog1");
    SetUpFileDialog(dlg);
    if (!selected.empty()) dlg.selectFile(Q(selected));
    if (h->ExecDialog(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    target = S(dlg.selectedFiles().first());
  }
  if (target.empty()) return false;
  if (!WritePane(*h, target)) return false;
  std::string folder = FolderPart(target);
  h->NoteSavedFile(target);
  if (h->OptionChecked(cmd::Mtodiropen1, false) && WithTrailingSlash(folder) != h->HostFolder()) h->GoToFolder(folder);
  h->SetInfoColor(clBlack);
  h->RefreshViews();
  h->SelectFileByName(FileNamePart(target));
  return true;
}

bool SavePaneOver(IHost* h) {
  const std::string target = h->HostSelectedPath();
  if (target.empty() || !IsRegularFile(target)) return SavePaneAs(h);
  // The file as it is stored needs no rewrite and no backup; a conversion's
  // result (blue) is new text and is saved.
  if (!h->Pane()->Modified() && h->InfoLineColor() != clBlue) {
    h->SetStatusPanel(4, "変更はありません");
    return true;
  }
  // An empty pane over a file with content is most likely a file the read
  // limit kept out of the pane: ask before emptying it.
  FileStat st = StatPath(target);
  if (h->Pane()->document()->isEmpty() && st.size > 0) {
    if (h->MessageDlg(Q(FileNamePart(target)) + "\nを空のテキストで上書きしますか？", "", TMsgKind::Confirmation,
                      mbYes | mbNo) != mbYes)
      return false;
  }
  if (!WritePane(*h, target)) return false;
  h->SetInfoColor(clBlack);
  if (h->OptionChecked(cmd::Mbackup1, true)) {
    h->RefreshViews();
    h->SelectFileByName(FileNamePart(target));
  } else {
    FileStat now = StatPath(target);
    h->SetInfoLine(Q(InfoLinePieces1To8(target, now)), clBlack);
  }
  return true;
}

bool SavePaneInPlace(IHost* h) {
  const std::string target = h->HostSelectedPath();
  if (target.empty() || !IsRegularFile(target)) return SavePaneAs(h);
  if (!WritePane(*h, target)) return false;
  h->SetInfoColor(clBlack);
  return true;
}

void InstallEditCommands(IHost& host) {
  InstallEditMenu(host);
  InstallSaveCommands(host);
  InstallCaretCommands(host);
  TRichEdit* pane = host.Pane();
  IHost* hp = &host;
  // Typing with the modified flag set turns the marker red.
  QObject::connect(pane, &TRichEdit::userChanged, host.HostWindow(), [hp, pane] {
    if (pane->Modified()) hp->SetInfoColor(clRed);
  });
  QObject::connect(pane, &QPlainTextEdit::selectionChanged, host.HostWindow(), [hp] { UpdateCaretPanels(*hp); });
}
