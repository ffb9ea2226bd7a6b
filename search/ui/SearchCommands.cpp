#include "search/ui/SearchCommands.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "host/ui/SharedCommandIds.h"
#include "search/DeleteBySearch.h"
#include "search/FindCommands.h"
#include "search/PlainFind.h"
#include "search/RegexReplace.h"
#include "search/ui/RegexDialog.h"
#include "search/ui/ReplaceDialog.h"
#include "search/ui/SearchCommandIds.h"
#include "search/ui/SearchDialog.h"
#include "search/ui/TermListDialog.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// The first line of every block, counted once per change of the pane's
// text: a find near the end of a large pane then converts only its block.
void TBlockLineIndex::Build(const QTextDocument* doc) {
  firstLine_.clear();
  int line = 0;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
    firstLine_.push_back(line);
    line += static_cast<int>(b.text().count(QChar(0x2028))) + (TRichEdit::ContinuesLine(b) ? 0 : 1);
  }
  valid_ = true;
}

QTextBlock TBlockLineIndex::Find(const QTextDocument* doc, int line, int* within) {
  if (!valid_) Build(doc);
  auto it = std::upper_bound(firstLine_.begin(), firstLine_.end(), line);
  const int k = std::max(0, static_cast<int>(it - firstLine_.begin()) - 1);
  *within = firstLine_.empty() ? 0 : line - firstLine_[size_t(k)];
  return doc->findBlockByNumber(k);
}

namespace {

// The document position of a byte offset of text: the line is found in the
// bytes, only the line's part before the offset is converted.
int DocumentPosition(TRichEdit* pane, std::string_view text, size_t offset, TBlockLineIndex* index) {
  offset = std::min(offset, text.size());
  size_t lineStart = 0;
  if (offset > 0) {
    size_t p = text.find_last_of("\r\n", offset - 1);
    if (p != std::string_view::npos) lineStart = p + 1;
  }
  const int line = LineOfOffset(text, lineStart);
  QTextDocument* doc = pane->document();
  int pos = 0;
  int left = line;
  QTextBlock b;
  TBlockLineIndex local;
  b = (index ? index : &local)->Find(doc, line, &left);
  // A block continuing a long line starts with the end of that line.
  if (b.isValid() && TRichEdit::ContinuesLine(b)) ++left;
  if (b.isValid()) {
    const QString t = b.text();
    int at = 0;
    for (int i = 0; i < left; ++i) {
      int sep = static_cast<int>(t.indexOf(QChar(0x2028), at));
      if (sep < 0) break;
      at = sep + 1;
    }
    pos = b.position() + at;
  }
  return pane->Advance(pos, static_cast<int>(TRichEdit::ToScreen(text.substr(lineStart, offset - lineStart)).size()));
}

std::string WithRangeReplaced(std::string_view text, const SearchOutcome& o) {
  std::string out(text);
  size_t start = std::min(o.range.start, out.size());
  out.replace(start, std::min(o.range.length, out.size() - start), o.replacement);
  return out;
}

struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

void SelectPaneBytes(TRichEdit* pane, std::string_view text, TextSelection sel, TBlockLineIndex* index) {
  const int anchor = DocumentPosition(pane, text, sel.start, index);
  const std::string_view picked = text.substr(std::min(sel.start, text.size()), sel.length);
  const int end = picked.find_first_of("\r\n") == std::string_view::npos
                      ? pane->Advance(anchor, static_cast<int>(TRichEdit::ToScreen(picked).size()))
                      : DocumentPosition(pane, text, sel.start + sel.length, index);
  QTextCursor c(pane->document());
  c.setPosition(anchor);
  c.setPosition(end, QTextCursor::KeepAnchor);
  pane->setTextCursor(c);
  pane->ensureCursorVisible();
  // Centring: down by half the distance from the top line to the find.
  const int lineHeight = std::max(1, pane->fontMetrics().lineSpacing());
  QTextCursor start(pane->document());
  start.setPosition(anchor);
  const int distance = pane->cursorRect(start).top() / lineHeight;
  QScrollBar* bar = pane->verticalScrollBar();
  bar->setValue(bar->value() + CentreScrollLines(0, distance));
}

void ApplySearchOutcome(IHost& host, const SearchOutcome& o, std::string_view paneBytes, TBlockLineIndex* index) {
  TRichEdit* pane = host.Pane();
  const TColor marker = o.markerRed ? clRed : host.InfoLineColor();
  std::string changed;  // the text after a range replacement
  std::string_view now = paneBytes;
  if (o.replaceRange) {
    SelectPaneBytes(pane, paneBytes, o.range, index);
    pane->SetSelText(o.replacement);
    changed = WithRangeReplaced(paneBytes, o);
    now = changed;
  }
  if (o.textChanged) {
    host.SetPaneText(o.text, marker);
    now = o.text;
  }
  if (o.linesChanged) {
    if (o.clearModified) pane->SetModified(false);
    host.SetPaneLines(o.lines, marker);
  }
  if (o.markerRed) host.SetInfoColor(clRed);
  if (o.select) {
    if (o.linesChanged) {
      changed = host.PaneText();
      now = changed;
    }
    // The text changed since the index was made (it follows the pane's
    // textChanged): it is made again.
    SelectPaneBytes(pane, now, o.selection, index);
    pane->setFocus();
  }
  if (o.kind != SearchMsg::None) {
    TMsgKind kind = o.kind == SearchMsg::Error     ? TMsgKind::Error
                    : o.kind == SearchMsg::Warning ? TMsgKind::Warning
                                                   : TMsgKind::Information;
    host.MessageDlg(Q(o.message), QString(), kind);
  }
}

namespace {

// The window's search state: the last search, the replace dialog, the
// expression engine and the byte mirror of the pane.
class TSearchController : public QObject {
 public:
  explicit TSearchController(IHost& host) : QObject(host.HostWindow()), host_(host) {
    setObjectName("SearchController");
    if (TRichEdit* pane = host.Pane())
      connect(pane, &QPlainTextEdit::textChanged, this, [this] {
        mirrorValid_ = false;
        blocks_.Invalidate();
      });
  }

  // The pane's bytes, converted once per change of its text.
  const std::string& Mirror() {
    if (!mirrorValid_) {
      mirror_ = host_.PaneText();
      mirrorValid_ = true;
      mirrorSelection_.reset();
    }
    return mirror_;
  }

  // The selection in bytes; the one a find set is reused while the caret
  // has not moved.
  TextSelection Selection() {
    const std::string& text = Mirror();
    TRichEdit* pane = host_.Pane();
    QTextCursor c = pane->textCursor();
    if (mirrorSelection_ && c.anchor() == setAnchor_ && c.position() == setPosition_) return *mirrorSelection_;
    TextSelection s{size_t(std::max(0, pane->SelStart())), size_t(std::max(0, pane->SelLength()))};
    s.start = std::min(s.start, text.size());
    s.length = std::min(s.length, text.size() - s.start);
    return s;
  }
  std::string SelectedBytes() {
    TextSelection s = Selection();
    return Mirror().substr(s.start, s.length);
  }

  void Apply(const SearchOutcome& o) {
    const std::string& text = Mirror();
    ApplySearchOutcome(host_, o, text, &blocks_);
    if (o.select && !o.replaceRange && !o.textChanged && !o.linesChanged) {
      QTextCursor c = host_.Pane()->textCursor();
      mirrorSelection_ = o.selection;
      setAnchor_ = c.anchor();
      setPosition_ = c.position();
    }
  }

  // "テキストの検索(&F).."
  void MserchClick() {
    if (Mirror().empty()) return;
    TSearchDialogModel model;
    TIniFile ini = host_.OpenSettings();
    model.Load(ini);
    model.PresetSelection(SelectedBytes());
    TForm32 dialog(host_.HostWindow(), model);
    if (host_.ExecDialog(dialog) != QDialog::Accepted) return;
    std::optional<TFindSettings> s = model.Accept(ini);
    if (!s) return;
    host_.WriteSettings(ini);
    find_ = *s;
    host_.Pane()->setFocus();
    FindNext(find_.down);
  }

  // "下へ検索(&N)" and "上へ検索(&T)".
  void FindNext(bool down) {
    SearchOutcome o = FindNextCommand(Mirror(), find_, down, Selection());
    if (o.openDialog) {
      MserchClick();
      return;
    }
    Apply(o);
  }

  // "置換(&R)": the modeless dialog, made once and shown again.
  void Mreplace1Click() {
    if (!replaceDialog_) {
      replaceDialog_ = new TReplaceDialog1(host_.HostWindow(), replace_);
      replaceDialog_->onFind = [this] { ReplaceStep(replace_.FindNext(Mirror(), Selection())); };
      replaceDialog_->onReplace = [this] { ReplaceStep(replace_.Replace(Mirror(), Selection())); };
      replaceDialog_->onReplaceAll = [this] { ReplaceStep(replace_.ReplaceAll(Mirror())); };
    }
    SearchOutcome o = replace_.Open(Selection(), SelectedBytes());
    replaceDialog_->ShowModel();
    replaceDialog_->show();
    replaceDialog_->raise();
    Apply(o);
  }
  void ReplaceStep(const SearchOutcome& o) {
    Apply(o);
    if (replace_.found) {
      host_.HostWindow()->raise();
      host_.HostWindow()->activateWindow();
    }
  }

  // The regular-expression dialog: its answer when OK, histories written
  // either way.
  bool RegexDialog(TRegexDialogModel& model) {
    TIniFile ini = host_.OpenSettings();
    model.Load(ini);
    model.PresetSelection(SelectedBytes());
    TForm25 dialog(host_.HostWindow(), model);
    const bool ok = host_.ExecDialog(dialog) == QDialog::Accepted;
    if (ok)
      model.Accept(ini);
    else
      model.Cancel(ini);
    host_.WriteSettings(ini);
    return ok;
  }

  // "置換　正規表現(&P)"
  void MreplaceGrep1Click() {
    if (Mirror().empty()) return;
    TRegexDialogModel model(RegexDialogUse::Replace);
    if (!RegexDialog(model) || model.expression.empty()) return;
    WaitCursor wait;
    Apply(RegexReplaceCommand(AWKStr1, Mirror(), model.expression, model.replacement, model.fuzzy));
  }

  // "置換　一括(&I)"
  void Mreplaceall1Click() {
    if (Mirror().empty()) return;
    TRegexDialogModel model(RegexDialogUse::ReplaceAll);
    if (!RegexDialog(model)) return;
    WaitCursor wait;
    Apply(ReplaceAllCommand(Mirror(), model.expression, model.replacement));
  }

  // "検索行削除　正規表現" and "検索行抽出　正規表現"
  void LinesByExpression(bool pick) {
    if (Mirror().empty()) return;
    TRegexDialogModel model(pick ? RegexDialogUse::PickLines : RegexDialogUse::DeleteLines);
    if (!RegexDialog(model)) return;
    WaitCursor wait;
    const std::vector<std::string> lines = host_.PaneLines();
    Apply(pick ? PickLinesRegexCommand(AWKStr1, lines, model.expression, model.fuzzy)
               : DeleteLinesRegexCommand(AWKStr1, lines, model.expression, model.fuzzy));
  }

  // The input dialog's answer (UTF-8), the selection preset.
  std::optional<std::string> Ask(const InputDialogTexts& texts) {
    const QString preset = Q(PaneToDialogText(SelectedBytes()));
    if (!host_.InputQuery(QString::fromUtf8(texts.caption), QString::fromUtf8(texts.prompt), QString(), std::string(),
                          preset))
      return std::nullopt;
    return host_.Answer().toStdString();
  }

  // "検索行削除(&L)" and "検索行抽出(&C)"
  void LinesByText(bool pick) {
    if (Mirror().empty()) return;
    std::optional<std::string> term = Ask(pick ? kPickLinesInput : kDeleteLinesInput);
    if (!term) return;
    WaitCursor wait;
    const std::vector<std::string> lines = host_.PaneLines();
    Apply(pick ? PickLinesCommand(lines, *term) : DeleteLinesCommand(lines, *term));
  }

  // "検索語句削除(&I)"
  void Mstringreplace1Click() {
    if (Mirror().empty()) return;
    std::optional<std::string> term = Ask(kDeletePhraseInput);
    if (!term) return;
    WaitCursor wait;
    Apply(DeletePhraseCommand(Mirror(), *term));
  }

  // "検索行削除　連続" and "検索語句削除　連続"
  void ByTermList(bool lines) {
    if (Mirror().empty()) return;
    TRichEdit* pane = host_.Pane();
    const std::string preset = SelectedBytes();
    if (!pane->EditMode() && !host_.Commands().Trigger(cmd::Mkanihensyu)) {
      pane->SetEditMode(true);
      host_.SetInfoColor(clRed);
    }
    TTermListDialogModel model(lines);
    TIniFile ini = host_.OpenSettings();
    model.Load(ini, QCoreApplication::applicationDirPath().toStdString() + "/");
    model.PresetSelection(preset);
    TForm31 dialog(host_.HostWindow(), model);
    dialog.execDialog = [this](QDialog& d) { return host_.ExecDialog(d); };
    dialog.showError = [this](const QString& text) { host_.MessageDlg(text, QString(), TMsgKind::Error); };
    if (host_.ExecDialog(dialog) != QDialog::Accepted) return;
    model.Execute(ini);
    host_.WriteSettings(ini);
    WaitCursor wait;
    Apply(lines ? DeleteLinesByTermsCommand(AWKStr1, host_.PaneLines(), model.list, model.regex)
                : DeletePhrasesByTermsCommand(AWKStr1, Mirror(), model.list, model.regex));
  }

  bool Follows() { return SearchMenuItemsEnabled(host_.HostSelectedPath()); }

 private:
  IHost& host_;
  TFindSettings find_;
  TReplaceDialogModel replace_;
  QPointer<TReplaceDialog1> replaceDialog_;
  TAWKStr AWKStr1;
  std::string mirror_;
  bool mirrorValid_ = false;
  TBlockLineIndex blocks_;
  std::optional<TextSelection> mirrorSelection_;
  int setAnchor_ = -1, setPosition_ = -1;
};

}  // namespace

namespace {

// "←指定行へ移動(&J)" of the edit menu stands in the search menu too, after
// "上へ検索(&T)", and follows the search menu's rule there.
void AddJumpCopy(IHost& host, QMenu* searchMenu, TSearchController* c) {
  QAction* jump = host.Commands().Action(cmd::Mjump);
  QAction* replace = host.Commands().Action(cmd::Mreplace1);
  if (!jump || !searchMenu) return;
  searchMenu->insertAction(replace, jump);
  QObject::connect(searchMenu, &QMenu::aboutToShow, c, [jump, c] { jump->setEnabled(c->Follows()); });
  QObject::connect(searchMenu, &QMenu::aboutToHide, c, [jump] { jump->setEnabled(true); });
}

}  // namespace

void InstallSearchCommands(IHost& host) {
  auto* c = new TSearchController(host);
  // The registry asks the rule when a menu opens and again when a key or a
  // button reaches the command, and refuses it with a word.
  auto follows = [c](IHost&) { return c->Follows(); };
  std::vector<CommandRow> search = {
      WithButton({cmd::Mserch, "テキストの検索(&F)..", "Ctrl+F", [c](IHost&) { c->MserchClick(); }, follows,
                  "検索|テキストを検索します。"},
                 "find", {"検索"}),
      {cmd::MserchNext, "下へ検索(&N)", "F3", [c](IHost&) { c->FindNext(true); }, follows,
       "下へ検索|次を下へ検索します。"},
      {cmd::Mserchnextup1,
       "上へ検索(&T)",
       "Shift+F3",
       [c](IHost&) { c->FindNext(false); },
       {},
       "上へ検索|次を上へ検索します。"},
      WithButton({cmd::Mreplace1, "置換(&R)", nullptr, [c](IHost&) { c->Mreplace1Click(); }, follows,
                  "置換|テキストを置換します。"},
                 "replace", {"置換"}),
      {cmd::MreplaceGrep1, "置換　正規表現(&P)", nullptr, [c](IHost&) { c->MreplaceGrep1Click(); }, follows,
       "正規表現置換|正規表現でテキストを置換します。"},
      {cmd::Mreplaceall1,
       "置換　一括(&I)",
       nullptr,
       [c](IHost&) { c->Mreplaceall1Click(); },
       {},
       "一括置換|テキストをすべて置換します。"},
  };
  QMenu* searchMenu = host.Menu(HostMenu::Search);
  host.Commands().Install(search, searchMenu);
  AddJumpCopy(host, searchMenu, c);

  std::vector<CommandRow> deletion = {
      {cmd::Mdeleteline1, "検索行削除(&L)", nullptr, [c](IHost&) { c->LinesByText(false); }},
      {cmd::MdeletelineR1, "検索行削除　正規表現", nullptr, [c](IHost&) { c->LinesByExpression(false); }},
      {cmd::Mrenzokudeleteline1, "検索行削除　連続", nullptr, [c](IHost&) { c->ByTermList(true); }},
      {cmd::Mpickupline1, "検索行抽出(&C)", nullptr, [c](IHost&) { c->LinesByText(true); }},
      {cmd::MpickuplineSEIKI1, "検索行抽出　正規表現", nullptr, [c](IHost&) { c->LinesByExpression(true); }},
      {cmd::Mstringreplace1, "検索語句削除(&I)", nullptr, [c](IHost&) { c->Mstringreplace1Click(); }},
      {cmd::Mrenzku1, "検索語句削除　連続", nullptr, [c](IHost&) { c->ByTermList(false); }},
  };
  host.Commands().Install(deletion, host.Menu(HostMenu::Delete));
}
