#include "codec/ui/CodecMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <optional>
#include <vector>

#include "codec/DetectCode.h"
#include "codec/UnicodePane.h"
#include "codec/ui/CodecCommandIds.h"
#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

struct Item {
  CommandName name;
  const char* caption;
  const char* hint;  // the status-bar text
};

// In CodeCommand order.
const Item kCodeItems[kCodeCommandCount] = {
    {cmd::Mcodeauto, "文字コード自動変換(&A)", "文字コードを自動変換します。"},
    {cmd::Mjis2sjis, "JIS->Shift+JIS(&J)", "JIS->Shift+JISに変換します。"},
    {cmd::Meuc2sjis, "EUC->Shift+JIS(&E)", "EUC->Shift+JISに変換します。"},
    {cmd::Msjis2jis, "Shift+JIS->JIS(&I)", "Shift+JIS->JIS変換します。"},
    {cmd::Meuc2jis, "EUC->JIS(&U)", "EUC->JIS変換します。"},
    {cmd::Msjis2euc, "Shift+JIS->EUC(&C)", "Shift+JIS->EUC変換します。"},
    {cmd::Mjis2euc, "JIS->EUC(&S)", "JIS->EUC変換します。"},
    {cmd::Mbase64enc, "->Base64(&B)", "Base64に変換します。"},
    {cmd::Mbase64dec, "Base64->", "Base64をSJISに変換します。"},
    {cmd::Mmimeenc, "->Mailヘッダー形式(&M)", "->Mailヘッダー形式に変換します。"},
    {cmd::Mmimedec, "Mailヘッダー形式->", "Mailヘッダー形式をSJISに変換します。"},
    {cmd::Muuenc, "->Unicode", "Unicode形式に変換します。"},
    {cmd::Muudec, "Unicode->", "Unicode形式からSJISに変換します。"},
    {cmd::Mbinhexenc, "->BinHex", "BinHexに変換します。"},
    {cmd::Mbinhexdec, "BinHex->", "BinHexからSJISに変換します。"},
};

// In UnicodeCommand order; captions and hints are the core's.
const CommandName kUnicodeNames[kUnicodeCommandCount] = {cmd::Mutf82sjis, cmd::Msjis2utf8, cmd::Mutf162sjis,
                                                         cmd::Meuc2utf8};

// In LineEndCommand order; the first is the automatic one.
const Item kLineEndItems[] = {
    {cmd::Mcrlfauto, "改行コード自動変換", nullptr},
    {cmd::Mcr2crlf, "CR->CR+LF", nullptr},
    {cmd::Mlf2crlf, "LF->CR+LF", nullptr},
    {cmd::Mcrlf2cr, "CR+LF->CR", nullptr},
    {cmd::Mlf2cr, "LF->CR", nullptr},
    {cmd::Mcrlf2lf, "CR+LF->LF", nullptr},
    {cmd::Mcr2lf, "CR->LF", nullptr},
};

// In WidthCommand order.
const Item kWidthItems[] = {
    {cmd::Mhan2zen, "半角->全角", "半角を全角に変換します。"},
    {cmd::Mzen2han, "全角->半角", "全角を半角に変換します。"},
    {cmd::Mhankana2zen, "半角ｶﾅ->全角カナ", "半角ｶﾅ->全角カナに変換します。"},
    {cmd::Mzenspace2han, "2バイト空白->1バイト", "2バイト空白->1バイトに変換します。"},
};

// A result becomes the pane's text, with the information line in blue: the
// pane no longer shows the file as stored. A result in UTF-8 or UTF-16 is
// shown through the pane mapping, so it reads as itself, is labelled by its
// code and saves back in it.
void ShowResult(IHost& h, std::string text, std::optional<TUnicodePane> unicode) {
  if (!h.ConfirmReplacePane()) return;
  const std::string path = h.HostSelectedPath();
  const std::string code = unicode ? unicode->Label() : text.empty() ? std::string() : TextCodeLabel(DetectCode(text));
  TRichEdit* pane = h.Pane();
  pane->setUpdatesEnabled(false);
  pane->SetText(text, std::move(unicode));
  pane->setUpdatesEnabled(true);
  const FileStat st = StatPath(path);
  h.SetInfoLine(Q(InfoLinePieces1To8(path, st) + InfoLinePiece9(SniffFileType(FirstLine(text), path), code)), clBlue);
}

// The output of a code or encoding item, which a decoder may give in UTF-8.
void ShowConverted(IHost& h, const std::string& bytes) {
  PaneLoad load = LoadForPane(bytes);
  ShowResult(h, std::move(load.text), std::move(load.unicode));
}

class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

bool HasFile(IHost& h) {
  const std::string path = h.HostSelectedPath();
  return !path.empty() && IsRegularFile(path);
}

CommandRow Row(const Item& item, std::function<void(IHost&)> run) {
  CommandRow r;
  r.name = item.name;
  r.caption = item.caption;
  r.run = std::move(run);
  return r;
}

// Rows whose hint is only a status-bar text, as these items have.
void InstallWithStatusTips(TCommandRegistry& reg, const std::vector<std::pair<CommandRow, const char*>>& rows,
                           QMenu* menu) {
  for (const auto& [row, tip] : rows) {
    QAction* a = reg.Install(row, menu);
    if (tip) a->setStatusTip(QString::fromUtf8(tip));
  }
}

// "文字コード変換(&J)": the code conversions, those through Unicode, then
// the transfer encodings. Returns the submenu.
QMenu* InstallCodeMenu(IHost& host) {
  TCommandRegistry& reg = host.Commands();
  QMenu* convert = host.Menu(HostMenu::Convert);
  QWidget* w = host.HostWindow();
  QMenu* codes = convert->addMenu("文字コード変換(&J)");
  codes->setObjectName("Mcodeconvert");
  codes->menuAction()->setObjectName("McodeconvertItem");
  // The submenu works on the selected file: without one it is disabled.
  // The state is set when "表示(&D)" opens, and also when "変換(&C)" does,
  // so it is right whenever the submenu can be reached.
  IHost* hp = &host;
  auto needFile = [hp, codes] { codes->menuAction()->setEnabled(!hp->HostSelectedPath().empty()); };
  if (QMenu* view = host.Menu(HostMenu::View)) QObject::connect(view, &QMenu::aboutToShow, w, needFile);
  QObject::connect(convert, &QMenu::aboutToShow, w, needFile);

  std::vector<std::pair<CommandRow, const char*>> japanese, unicode, transfer;
  for (int i = 0; i < kCodeCommandCount; ++i) {
    const auto c = static_cast<CodeCommand>(i);
    auto& list = i < static_cast<int>(CodeCommand::Base64Encode) ? japanese : transfer;
    list.emplace_back(Row(kCodeItems[i], [c](IHost& h) { RunCodeCommand(h, c); }), kCodeItems[i].hint);
  }
  for (int k = 0; k < kUnicodeCommandCount; ++k) {
    const auto c = static_cast<UnicodeCommand>(k);
    const Item item{kUnicodeNames[k], UnicodeCommandCaption(c), UnicodeCommandHint(c)};
    unicode.emplace_back(Row(item, [c](IHost& h) { RunUnicodeCommand(h, c); }), item.hint);
  }
  InstallWithStatusTips(reg, japanese, codes);
  InstallWithStatusTips(reg, unicode, codes);
  codes->addSeparator();
  InstallWithStatusTips(reg, transfer, codes);

  // Items are enabled by the code of the pane's text when the menu opens
  // (read once for all of them); everything is enabled again when it
  // closes, for the button's pop-up shares the items. A UTF-8 or UTF-16
  // file shown as stored (not a conversion's result, which has the blue
  // marker) counts by its own code.
  QObject::connect(codes, &QMenu::aboutToShow, w, [hp] {
    const TUnicodePane* u = hp->Pane()->Unicode();
    // An EUC or JIS file shown readably counts by its bytes as stored.
    std::string text = hp->Pane()->Text();
    if (u && u->JapaneseCode() >= 0 && hp->InfoLineColor() != clBlue) text = u->Encode(text);
    const auto on = CodeMenuEnabling(text);
    for (int i = 0; i < kCodeCommandCount; ++i) hp->Commands().Action(kCodeItems[i].name)->setEnabled(on[i]);
    const UnicodeCode fileCode = u && hp->InfoLineColor() != clBlue ? u->Code() : UnicodeCode::None;
    const auto onU = UnicodeMenuEnabling(text, fileCode);
    for (int i = 0; i < kUnicodeCommandCount; ++i) hp->Commands().Action(kUnicodeNames[i])->setEnabled(onU[i]);
  });
  QObject::connect(codes, &QMenu::aboutToHide, w, [hp] {
    for (const Item& item : kCodeItems) hp->Commands().Action(item.name)->setEnabled(true);
    for (CommandName name : kUnicodeNames) hp->Commands().Action(name)->setEnabled(true);
  });
  return codes;
}

// Line ends, read from the file as stored; then the width conversions of
// the pane's text.
void InstallLineEndAndWidthItems(IHost& host) {
  TCommandRegistry& reg = host.Commands();
  QMenu* convert = host.Menu(HostMenu::Convert);
  reg.Install(Row(kLineEndItems[0], [](IHost& h) { RunLineEndCommand(h, LineEndCommand::Auto); }), convert);
  QMenu* ends = convert->addMenu("改行コード変換");
  ends->setObjectName("Mcrlfconvert");
  std::vector<CommandRow> endRows;
  for (int i = 1; i < 7; ++i) {
    const auto c = static_cast<LineEndCommand>(i);
    endRows.push_back(Row(kLineEndItems[i], [c](IHost& h) { RunLineEndCommand(h, c); }));
  }
  reg.Install(endRows, ends);

  convert->addSeparator();
  std::vector<std::pair<CommandRow, const char*>> widthRows;
  for (int i = 0; i < 4; ++i) {
    const auto c = static_cast<WidthCommand>(i);
    widthRows.emplace_back(Row(kWidthItems[i], [c](IHost& h) { RunWidthCommand(h, c); }), kWidthItems[i].hint);
  }
  InstallWithStatusTips(reg, widthRows, convert);
}

// PopupMenu3: "自動変換(&A)" and the same conversion and encoding items;
// the code button: a click converts automatically, its arrow opens PopupMenu3.
void InstallCodeButton(IHost& host) {
  TCommandRegistry& reg = host.Commands();
  QMenu* popup = host.Menu(HostMenu::CodePopup);
  CommandRow autoRow;
  autoRow.name = cmd::MpopupCodeAuto;
  autoRow.caption = "自動変換(&A)";
  autoRow.run = [](IHost& h) { RunCodeCommand(h, CodeCommand::Auto); };
  autoRow.icon = "text-code";
  autoRow.button = {
      "文字コード", "文字コード(T)|文字コード変換をします。", {}, [](IHost& h) { return h.Menu(HostMenu::CodePopup); }};
  InstallWithStatusTips(reg, {{autoRow, kCodeItems[0].hint}}, popup);
  for (int i = 1; i < kCodeCommandCount; ++i) {
    if (i == static_cast<int>(CodeCommand::Base64Encode)) popup->addSeparator();
    reg.AddTo(popup, kCodeItems[i].name);
  }
}

}  // namespace

void RunCodeCommand(IHost& h, CodeCommand c) {
  if (!HasFile(h)) return;
  WaitCursor wait;
  if (std::optional<std::string> out = RunCodeCommandOnFile(c, h.HostSelectedPath())) ShowConverted(h, *out);
}

void RunUnicodeCommand(IHost& h, UnicodeCommand c) {
  if (!HasFile(h)) return;
  WaitCursor wait;
  std::optional<UnicodeCommandResult> out = RunUnicodeCommandOnFile(c, h.HostSelectedPath());
  if (!out) return;
  if (out->code == UnicodeCode::None) {
    ShowConverted(h, out->bytes);
    // What could not be converted is said, not only shown as "?".
    if (out->loss.count > 0) h.SetStatusPanel(4, Q(ConversionLossText(out->loss)));
    return;
  }
  TUnicodePane unicode(out->code);
  std::string text = unicode.Decode(out->bytes);
  ShowResult(h, std::move(text), std::move(unicode));
}

void RunLineEndCommand(IHost& h, LineEndCommand c) {
  if (!HasFile(h)) return;
  WaitCursor wait;
  std::string bytes;
  if (!ReadWholeFile(h.HostSelectedPath(), bytes)) return;
  PaneLoad out = LineEndCommandForPane(c, bytes);
  ShowResult(h, std::move(out.text), std::move(out.unicode));
}

void RunWidthCommand(IHost& h, WidthCommand c) {
  TRichEdit* pane = h.Pane();
  if (pane->LineCount() == 0) return;
  WaitCursor wait;
  const std::string out = ApplyWidthCommand(c, pane->Text());
  pane->setUpdatesEnabled(false);
  pane->SetLines(SplitLines(out));
  pane->setUpdatesEnabled(true);
  h.SetInfoColor(clRed);
}

void InstallCodecCommands(IHost& host) {
  InstallCodeMenu(host);
  InstallLineEndAndWidthItems(host);
  InstallCodeButton(host);
}
