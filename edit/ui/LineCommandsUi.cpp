#include "edit/ui/LineCommandsUi.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QTextDocument>
#include <QToolBar>

#include <algorithm>
#include <exception>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "edit/LineCommandTable.h"
#include "edit/MarkupStrip.h"
#include "edit/ui/ColumnDialog.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "host/ui/Job.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"

using namespace navirt;

TLineCommandsUi::TLineCommandsUi(QObject* parent) : QObject(parent) {
  setObjectName("LineCommandsUi");
  AWKStr1.LineSeparator = mcls_CRLF;
}

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// Word wrap off while a command refills the pane (laying out wrapped lines
// is what makes a big refill slow), back as it was afterwards.
class WrapOff {
 public:
  WrapOff(TRichEdit* pane, bool on) : pane_(on && pane->WordWrap() ? pane : nullptr) {
    if (pane_) pane_->SetWordWrap(false);
  }
  ~WrapOff() {
    if (pane_) pane_->SetWordWrap(true);
  }
  WrapOff(const WrapOff&) = delete;
  WrapOff& operator=(const WrapOff&) = delete;

 private:
  TRichEdit* pane_;
};

bool PaneEmpty(IHost& h) { return h.Pane()->document()->isEmpty(); }

// A browse pane goes to edit mode the way the mode command does it, so the
// menu caption, status word, toolbar button and marker follow.
void SwitchToEdit(IHost& h) {
  if (h.Pane()->EditMode()) return;
  if (QAction* mode = h.Commands().Action(cmd::Mkanihensyu)) {
    mode->trigger();
    if (h.Pane()->EditMode()) return;
  }
  h.Pane()->SetEditMode(true);
  h.SetInfoColor(clRed);
}

size_t LineOfOffset(const std::string& text, size_t offset) {
  offset = std::min(offset, text.size());
  size_t n = 0;
  for (size_t i = 0; i + 1 < offset; ++i)
    if (text[i] == '\r' && text[i + 1] == '\n') ++n, ++i;
  return n;
}

TLinePaneState PaneState(IHost& h) {
  TRichEdit* p = h.Pane();
  TLinePaneState s;
  s.caretLine = static_cast<size_t>(std::max(p->CaretLine() - 1, 0));
  s.caretColumn = std::max(p->CaretColumn(), 1);
  s.selStart = static_cast<size_t>(std::max(p->SelStart(), 0));
  s.selLength = static_cast<size_t>(std::max(p->SelLength(), 0));
  if (s.selLength > 0) {
    const std::string text = p->Text();
    // The column counts from the selection's start, whichever end the
    // caret is at.
    const size_t at = std::min(s.selStart, text.size());
    const size_t lineEnd = at == 0 ? std::string::npos : text.rfind('\n', at - 1);
    s.caretColumn = static_cast<int>(at - (lineEnd == std::string::npos ? 0 : lineEnd + 1)) + 1;
    s.selFirstLine = LineOfOffset(text, s.selStart);
    s.selLastLine = LineOfOffset(text, s.selStart + s.selLength);
  } else {
    s.selFirstLine = s.selLastLine = s.caretLine;
  }
  return s;
}

// A number answer read at once, so a refused first answer does not lead to
// a second question.
std::string NumberRefusal(AskKind kind, const std::string& answer) {
  NumberAnswer n;
  switch (kind) {
    case AskKind::Integer:
      n = ReadIntAnswer(answer);
      break;
    case AskKind::HexByte:
      n = ReadHexSeparatorAnswer(answer);
      break;
    case AskKind::RecordSize:
      n = ReadRecordSizeAnswer(answer);
      break;
    default:
      return {};
  }
  return n.ok ? std::string() : n.message;
}

// The command's questions in order; false when one is cancelled or refused
// (the refusal shown), and then nothing may change.
bool AskAll(IHost& h, const TLineCommandInfo& info, const TLinePaneState& st, std::vector<std::string>& answers) {
  for (const TLineAsk& a : info.asks) {
    if (a.kind == AskKind::Columns) {
      TForm30Model model;
      model.Preset(a, st);
      TForm30 dlg(h.HostWindow(), model);
      if (h.ExecDialog(dlg) != QDialog::Accepted) return false;
      TForm30Model answer = dlg.Answer();
      answers.push_back(answer.startText);
      answers.push_back(answer.widthText);
      continue;
    }
    if (!h.InputQuery(U(a.title), U(a.prompt), QString(), std::string(), QString::fromStdString(AskDefaultText(a, st))))
      return false;
    std::string answer = Utf8ToCp932(h.Answer().toStdString());
    std::string refusal = NumberRefusal(a.kind, answer);
    if (!refusal.empty()) {
      h.MessageDlg(QString::fromStdString(refusal), QString(), TMsgKind::Error);
      return false;
    }
    answers.push_back(std::move(answer));
  }
  return true;
}

std::string FileName(const std::string& path) { return path.empty() ? std::string() : FileNamePart(path); }

void RunLine(IHost& h, LineCmd id) {
  const TLineCommandInfo& info = LineCommandInfo(id);
  if (PaneEmpty(h)) return;
  TRichEdit* pane = h.Pane();
  const TLinePaneState st = PaneState(h);
  std::vector<std::string> answers;
  if (!AskAll(h, info, st, answers)) return;

  LineList lines = h.PaneLines();
  if (lines.size() < info.minLines) return;
  // The work runs as a job so the window keeps painting; a long one shows
  // its progress window, and Cancel there leaves the pane as it was.
  TLineRunResult r;
  JobSpec spec{U(info.caption), "処理中．．．", QString::fromStdString(FileName(h.HostSelectedPath()))};
  spec.showProgressBar = false;
  JobOutcome out = RunJob(h, spec, [&lines, &r, &answers, &st, id](TJobContext& job) {
    try {
      r = RunLineCommand(id, std::move(lines), answers, st, [&job] { return job.Cancelled(); });
    } catch (const TLinesCancelled&) {
      // The job reports the cancel; the pane keeps its lines.
    }
  });
  if (out.cancelled || out.failed) return;
  if (!r.ok) {
    h.MessageDlg(QString::fromStdString(r.message), QString(), TMsgKind::Error);
    return;
  }
  WaitCursor wait;
  if (info.switchToEdit) SwitchToEdit(h);
  WrapOff wrap(pane, info.wrapOff);
  h.SetPaneLines(r.lines, clRed);
  // Commands that work where the caret stands leave it there.
  if (info.inPlace && !r.lines.empty()) pane->GoToLine(static_cast<int>(std::min(st.caretLine, r.lines.size() - 1)));
}

void RunHtml(IHost& h, const TLineCommandsUi& ui, HtmlVariant variant) {
  if (PaneEmpty(h)) return;
  const LineList lines = h.PaneLines();
  JobSpec spec{"html->テキスト", "htmlをテキストに変換中．．．",
               QString::fromStdString(FileName(h.HostSelectedPath()))};
  spec.showAfterMs = ui.jobShowAfterMs;
  THtmlResult result;
  JobOutcome out = RunJob(h, spec, [&lines, &result, variant](TJobContext& job) {
    job.SetTotal(lines.size());
    result = StripHtmlVariant(lines, variant, [&job](size_t done, size_t) {
      job.SetDone(done);
      return !job.Cancelled();
    });
  });
  if (out.failed) return;  // the job showed why; the pane stays
  WrapOff wrap(h.Pane(), true);
  h.SetPaneLines(result.lines, clRed);
}

void RunTex(IHost& h, TLineCommandsUi& ui) {
  if (PaneEmpty(h)) return;
  std::string text;
  try {
    WaitCursor wait;
    text = StripTex(h.PaneText(), ui.AWKStr1);
    // The text's final line end stays, as after the line commands.
    if (h.Pane()->EndsWithLineEnd() && !text.empty()) text += "\r\n";
  } catch (const std::exception& e) {
    h.MessageDlg(QString::fromUtf8(e.what()), QString(), TMsgKind::Error);
    return;
  }
  SwitchToEdit(h);
  h.SetPaneText(text, clRed);
}

CommandRow Line(CommandName name, LineCmd id, const char* caption = nullptr) {
  CommandRow r;
  r.name = name;
  r.caption = caption ? caption : LineCommandInfo(id).caption;
  r.run = [id](IHost& h) { RunLine(h, id); };
  r.enabled = [](IHost& h) { return !PaneEmpty(h); };
  return r;
}

CommandRow Html(CommandName name, const char* caption, TLineCommandsUi* ui, HtmlVariant v) {
  CommandRow r;
  r.name = name;
  r.caption = caption;
  r.run = [ui, v](IHost& h) { RunHtml(h, *ui, v); };
  r.enabled = [](IHost& h) { return !PaneEmpty(h); };
  return r;
}

CommandRow Tex(CommandName name, const char* caption, TLineCommandsUi* ui) {
  CommandRow r;
  r.name = name;
  r.caption = caption;
  r.run = [ui](IHost& h) { RunTex(h, *ui); };
  r.enabled = [](IHost& h) { return !PaneEmpty(h); };
  return r;
}

// An item doing what another command does (the same handler under a caption
// of its own).
CommandRow Alias(CommandName name, const char* caption, CommandName target) {
  CommandRow r;
  r.name = name;
  r.caption = caption;
  r.run = [target](IHost& h) {
    if (QAction* a = h.Commands().Action(target)) a->trigger();
  };
  return r;
}

QMenu* Sub(QMenu* parent, const char* title, const char* objectName) {
  QMenu* m = parent->addMenu(U(title));
  m->setObjectName(objectName);
  return m;
}

constexpr const char* kHtmlTabTrimEmpty = "html->テキスト抽出(＋TAB，行頭空白，空行削除)";
constexpr const char* kHtmlTabEmpty = "html->テキスト抽出(＋TAB，空行削除)";
constexpr const char* kHtmlEmpty = "html->テキスト抽出(＋空行削除)";

// The command of each row of the line-command table.
struct LineCommandName {
  LineCmd id;
  CommandName name;
};
const LineCommandName kLineCommandNames[] = {
    {LineCmd::SortAsc, cmd::Msortasc},
    {LineCmd::SortDesc, cmd::Msortdesc},
    {LineCmd::NumberHead, cmd::Mnumberhead},
    {LineCmd::NumberHeadComma, cmd::Mnumberheadcomma},
    {LineCmd::NumberTail, cmd::Mnumbertail},
    {LineCmd::NumberTailComma, cmd::Mnumbertailcomma},
    {LineCmd::Serial, cmd::Mserialnumber},
    {LineCmd::Reverse, cmd::Mreverse},
    {LineCmd::DuplicateLine, cmd::Mlinecopydown},
    {LineCmd::CutAtColumn, cmd::Mcutatcolumn},
    {LineCmd::CutAppend, cmd::Mcutappend},
    {LineCmd::InsertText, cmd::Minsertatcolumn},
    {LineCmd::ExtractColumns, cmd::Mcolumnextract},
    {LineCmd::DeleteColumns, cmd::Mcolumndelete},
    {LineCmd::TrimLeading, cmd::Mtrimlead},
    {LineCmd::TrimTrailing, cmd::Mtrimtrail},
    {LineCmd::DeleteBlanks, cmd::Mdelblanks},
    {LineCmd::DeleteIdeoSpaces, cmd::Mdelideospaces},
    {LineCmd::DeleteTabs, cmd::Mdeltabs},
    {LineCmd::DeleteLeadingTabs, cmd::Mdelleadtabs},
    {LineCmd::DeleteLineEnds, cmd::Mdellineends},
    {LineCmd::DeleteEmpty, cmd::Mdelemptylines},
    {LineCmd::DeleteRepeated, cmd::Mdelsamelines},
    {LineCmd::DeleteLine, cmd::Mdelcaretline},
    {LineCmd::DeleteRepeatedKeys, cmd::Mdelsamekeys},
    {LineCmd::CsvDoubleQuote, cmd::Mcsvdquote},
    {LineCmd::CsvSingleQuote, cmd::Mcsvsquote},
    {LineCmd::CsvComma, cmd::Mcsvcomma},
    {LineCmd::CsvTab, cmd::Mcsvtab},
    {LineCmd::CsvSpace, cmd::Mcsvspace},
    {LineCmd::CsvNone, cmd::Mcsvnone},
    {LineCmd::CsvAny, cmd::Mcsvany},
    {LineCmd::CsvHex, cmd::Mcsvhex},
    {LineCmd::TabToSpace, cmd::Mtabtospace},
    {LineCmd::TabToComma, cmd::Mtabtocomma},
    {LineCmd::TabToUnderscore, cmd::Mtabtounderscore},
};

CommandName LineCommandNameOf(LineCmd id) {
  for (const LineCommandName& l : kLineCommandNames)
    if (l.id == id) return l.name;
  throw std::logic_error("a line command without its command name");
}

// The menus of the line commands, made from the table's paths ("編集 / 行の
// 並び替え", "編集 and 削除"): a top menu by its title, a submenu made where
// its first row stands. Each top menu's rows follow a separator.
void InstallLineMenus(IHost& host) {
  TCommandRegistry& reg = host.Commands();
  const std::map<QString, HostMenu> tops = {
      {U("編集"), HostMenu::Edit}, {U("削除"), HostMenu::Delete}, {U("変換"), HostMenu::Convert}};
  std::map<QString, QMenu*> menus;
  auto menuOf = [&](const QString& path) {
    if (auto it = menus.find(path); it != menus.end()) return it->second;
    const QStringList parts = path.split(" / ");
    QMenu* top = host.Menu(tops.at(parts[0]));
    if (!menus.count(parts[0]) && !top->isEmpty()) top->addSeparator();
    menus[parts[0]] = top;
    QMenu* m = parts.size() > 1 ? top->addMenu(parts[1]) : top;
    return menus[path] = m;
  };
  for (const TLineCommandInfo& info : LineCommandTable()) {
    const CommandName name = LineCommandNameOf(info.id);
    for (const QString& path : U(info.menu).split(" and ")) {
      QMenu* m = menuOf(path);
      if (reg.Has(name))
        reg.AddTo(m, name);
      else
        reg.Install(Line(name, info.id), m);
    }
  }
}

void InstallEditMenu(IHost& host) {
  QMenu* edit = host.Menu(HostMenu::Edit);
  edit->addSeparator();
  host.Commands().Install({Alias(cmd::Mgofirstline, "↑先頭行へ移動(&T)", cmd::Mtexttop),
                           Alias(cmd::Mgolastline, "↓最終行へ移動(&B)", cmd::Mtextend)},
                          edit);
}

void InstallDeleteMenu(IHost& host, TLineCommandsUi* ui) {
  TCommandRegistry& reg = host.Commands();
  QMenu* del = host.Menu(HostMenu::Delete);
  // The selection item after the table's rows, then the markup removals.
  reg.Install({Alias(cmd::Mselectiondelete, "選択範囲削除(&D)", cmd::Mtextdelete)}, del);
  reg.Install({WithButton(Html(cmd::Mhtmldel, "標準削除", ui, HtmlVariant::Plain), "html-to-text",
                          {"html->txt", "htmlタグ削除|htmlのタグを削除してテキストにします。"}),
               Html(cmd::Mhtmldeltabtrimempty, kHtmlTabTrimEmpty, ui, HtmlVariant::TabTrimEmpty),
               Html(cmd::Mhtmldeltabempty, kHtmlTabEmpty, ui, HtmlVariant::TabEmpty),
               Html(cmd::Mhtmldelempty, kHtmlEmpty, ui, HtmlVariant::Empty), Tex(cmd::Mtexdel, "TeXタグ削除", ui)},
              Sub(del, "htmlタグ削除", "Mhtmltag"));
}

void InstallConvertMenu(IHost& host, TLineCommandsUi* ui) {
  host.Commands().Install(
      {Html(cmd::Mhtml, "html->テキスト(&L)", ui, HtmlVariant::Plain),
       Html(cmd::Mhtmltabtrimempty, kHtmlTabTrimEmpty, ui, HtmlVariant::TabTrimEmpty),
       Html(cmd::Mhtmltabempty, kHtmlTabEmpty, ui, HtmlVariant::TabEmpty),
       Html(cmd::Mhtmlempty, kHtmlEmpty, ui, HtmlVariant::Empty), Tex(cmd::Mtex, "TeX->テキスト", ui)},
      Sub(host.Menu(HostMenu::Convert), "html->テキスト(&L)", "Mhtmltext"));
}

}  // namespace

void InstallLineCommands(IHost& host) {
  auto* ui = new TLineCommandsUi(host.HostWindow());
  InstallLineMenus(host);
  InstallEditMenu(host);
  InstallDeleteMenu(host, ui);
  InstallConvertMenu(host, ui);
  // The pane's pop-up holds the whole menu; the sort items stand in it once
  // more of their own.
  if (QMenu* popup = host.Menu(HostMenu::PanePopup)) {
    QMenu* sort = Sub(popup, "行の並び替え", "Msort2");
    host.Commands().AddTo(sort, cmd::Msortasc);
    host.Commands().AddTo(sort, cmd::Msortdesc);
  }
}
