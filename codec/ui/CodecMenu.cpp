#include "codec/ui/CodecMenu.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

#include <optional>
#include <vector>

#include "app/ui/Unit1.h"
#include "codec/DetectCode.h"
#include "codec/UnicodePane.h"
#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

struct Item {
  CommandName name;
  const char* caption;
  const char* hint;
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
    {cmd::Mcrlfauto, "改行コード自動変換", nullptr}, {cmd::Mcr2crlf, "CR->CR+LF", nullptr},
    {cmd::Mlf2crlf, "LF->CR+LF", nullptr},         {cmd::Mcrlf2cr, "CR+LF->CR", nullptr},
    {cmd::Mlf2cr, "LF->CR", nullptr},              {cmd::Mcrlf2lf, "CR+LF->LF", nullptr},
    {cmd::Mcr2lf, "CR->LF", nullptr},
};

// In WidthCommand order.
const Item kWidthItems[] = {
    {cmd::Mhan2zen, "半角->全角", "半角を全角に変換します。"},
    {cmd::Mzen2han, "全角->半角", "全角を半角に変換します。"},
    {cmd::Mhankana2zen, "半角ｶﾅ->全角カナ", "半角ｶﾅ->全角カナに変換します。"},
    {cmd::Mzenspace2han, "2バイト空白->1バイト", "2バイト空白->1バイトに変換します。"},
};

// The converted text becomes the pane's text, with the information line in
// blue: the pane no longer shows the file as stored.
void ShowConverted(TForm1* f, const std::string& text) {
  f->RichEdit1->setUpdatesEnabled(false);
  f->RichEdit1->SetText(text);
  f->RichEdit1->setUpdatesEnabled(true);
  const FileStat st = StatPath(f->SelectedPath);
  const std::string code = text.empty() ? std::string() : TextCodeLabel(DetectCode(text));
  f->SetInfoLine(Q(InfoLinePieces1To8(f->SelectedPath, st) +
                   InfoLinePiece9(SniffFileType(FirstLine(text), f->SelectedPath), code)),
                 clBlue);
}

// A result in UTF-8 is shown through the pane's UTF-8 mapping, so it reads
// as itself and a save writes it as UTF-8.
void ShowUnicodeConverted(TForm1* f, const UnicodeCommandResult& r) {
  if (r.code == UnicodeCode::None) {
    ShowConverted(f, r.bytes);
    return;
  }
  TUnicodePane unicode(r.code);
  std::string text = unicode.Decode(r.bytes);
  f->RichEdit1->setUpdatesEnabled(false);
  f->RichEdit1->SetText(text, std::move(unicode));
  f->RichEdit1->setUpdatesEnabled(true);
  const FileStat st = StatPath(f->SelectedPath);
  f->SetInfoLine(Q(InfoLinePieces1To8(f->SelectedPath, st) +
                   InfoLinePiece9(SniffFileType(FirstLine(text), f->SelectedPath), UnicodeCodeLabel(r.code))),
                 clBlue);
}

template <class Run>
void ConvertSelectedFile(TForm1* f, Run run) {
  if (f->SelectedPath.empty() || !IsRegularFile(f->SelectedPath)) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::optional<std::string> out = run(f->SelectedPath);
  if (out) ShowConverted(f, *out);
  QApplication::restoreOverrideCursor();
}

QAction* AddItem(TForm1* f, QMenu* menu, const Item& item, std::function<void()> handler) {
  QAction* a = f->AddCommand(menu, item.name, QString::fromUtf8(item.caption), std::move(handler));
  if (item.hint) a->setStatusTip(QString::fromUtf8(item.hint));
  return a;
}

}  // namespace

void RunCodeCommand(TForm1* f, CodeCommand cmd) {
  ConvertSelectedFile(f, [cmd](const std::string& path) { return RunCodeCommandOnFile(cmd, path); });
}

void RunUnicodeCommand(TForm1* f, UnicodeCommand cmd) {
  if (f->SelectedPath.empty() || !IsRegularFile(f->SelectedPath)) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::optional<UnicodeCommandResult> out = RunUnicodeCommandOnFile(cmd, f->SelectedPath);
  if (out) ShowUnicodeConverted(f, *out);
  QApplication::restoreOverrideCursor();
}

void RunLineEndCommand(TForm1* f, LineEndCommand cmd) {
  ConvertSelectedFile(f, [cmd](const std::string& path) { return RunLineEndCommandOnFile(cmd, path); });
}

void RunWidthCommand(TForm1* f, WidthCommand cmd) {
  TRichEdit* pane = f->RichEdit1;
  if (pane->LineCount() == 0) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string out = ApplyWidthCommand(cmd, pane->Text());
  pane->setUpdatesEnabled(false);
  pane->SetLines(SplitLines(out));
  pane->setUpdatesEnabled(true);
  f->SetInfoColor(clRed);
  QApplication::restoreOverrideCursor();
}

void InstallCodecCommands(TForm1* f) {
  QMenu* convert = f->Mconvert;

  // "文字コード変換(&J)": the code conversions, then the transfer encodings.
  QMenu* codes = convert->addMenu("文字コード変換(&J)");
  codes->setObjectName("Mcodeconvert");
  codes->menuAction()->setObjectName("McodeconvertItem");
  // The submenu works on the selected file: without one it is disabled.
  // The state is set when "表示(&D)" opens, and also when "変換(&C)" does,
  // so it is right whenever the submenu can be reached.
  auto needFile = [f, codes] { codes->menuAction()->setEnabled(!f->SelectedPath.empty()); };
  if (f->Mview) QObject::connect(f->Mview, &QMenu::aboutToShow, f, needFile);
  QObject::connect(convert, &QMenu::aboutToShow, f, needFile);
  std::vector<QAction*> codeActions;
  std::vector<QAction*> unicodeActions;
  for (int i = 0; i < kCodeCommandCount; ++i) {
    if (i == static_cast<int>(CodeCommand::Base64Encode)) {
      // The conversions through Unicode follow the Japanese ones.
      for (int k = 0; k < kUnicodeCommandCount; ++k) {
        const auto cmd = static_cast<UnicodeCommand>(k);
        const Item item{kUnicodeNames[k], UnicodeCommandCaption(cmd), UnicodeCommandHint(cmd)};
        unicodeActions.push_back(AddItem(f, codes, item, [f, cmd] { RunUnicodeCommand(f, cmd); }));
      }
      codes->addSeparator();
    }
    const auto cmd = static_cast<CodeCommand>(i);
    codeActions.push_back(AddItem(f, codes, kCodeItems[i], [f, cmd] { RunCodeCommand(f, cmd); }));
  }
  // Items are enabled by the code of the pane's text when the menu opens;
  // everything is enabled again when it closes, for the button's pop-up
  // shares the items. A UTF-8 or UTF-16 file shown as stored (not a
  // conversion's result, which has the blue marker) counts by its own code.
  QObject::connect(codes, &QMenu::aboutToShow, f, [f, codeActions, unicodeActions] {
    const std::string text = f->RichEdit1->Text();
    const auto on = CodeMenuEnabling(text);
    for (int i = 0; i < kCodeCommandCount; ++i) codeActions[i]->setEnabled(on[i]);
    const TUnicodePane* u = f->RichEdit1->Unicode();
    const UnicodeCode fileCode = u && f->InfoColor != clBlue ? u->Code() : UnicodeCode::None;
    const auto onU = UnicodeMenuEnabling(text, fileCode);
    for (int i = 0; i < kUnicodeCommandCount; ++i) unicodeActions[i]->setEnabled(onU[i]);
  });
  QObject::connect(codes, &QMenu::aboutToHide, f, [codeActions, unicodeActions] {
    for (QAction* a : codeActions) a->setEnabled(true);
    for (QAction* a : unicodeActions) a->setEnabled(true);
  });

  // Line ends: read from the file's bytes as stored.
  AddItem(f, convert, kLineEndItems[0], [f] { RunLineEndCommand(f, LineEndCommand::Auto); });
  QMenu* ends = convert->addMenu("改行コード変換");
  ends->setObjectName("Mcrlfconvert");
  for (int i = 1; i < 7; ++i) {
    const auto cmd = static_cast<LineEndCommand>(i);
    AddItem(f, ends, kLineEndItems[i], [f, cmd] { RunLineEndCommand(f, cmd); });
  }

  convert->addSeparator();
  for (int i = 0; i < 4; ++i) {
    const auto cmd = static_cast<WidthCommand>(i);
    AddItem(f, convert, kWidthItems[i], [f, cmd] { RunWidthCommand(f, cmd); });
  }

  // PopupMenu3: "自動変換(&A)" and the same conversion and encoding items.
  QMenu* popup = f->PopupMenu3;
  QAction* popupAuto = f->AddCommand(popup, cmd::MpopupCodeAuto, "自動変換(&A)", [f] { RunCodeCommand(f, CodeCommand::Auto); });
  popupAuto->setStatusTip(QString::fromUtf8(kCodeItems[0].hint));
  for (int i = 1; i < kCodeCommandCount; ++i) {
    if (i == static_cast<int>(CodeCommand::Base64Encode)) popup->addSeparator();
    popup->addAction(codeActions[i]);
  }

  // ToolButton52: a click converts automatically, its arrow opens PopupMenu3.
  QToolBar* tb = f->ToolBar2;
  auto* button = new QAction(f->style()->standardIcon(QStyle::SP_CommandLink), "文字コード", f);
  button->setObjectName("ToolButton52");
  button->setToolTip("文字コード(T)");
  button->setStatusTip("文字コード変換をします。");
  button->setMenu(popup);
  QObject::connect(button, &QAction::triggered, f, [f] { RunCodeCommand(f, CodeCommand::Auto); });
  // Its place: after "html->txt" (ToolButton51), before the edit-mode button.
  QAction* before = f->ActionNamed("ToolButton7");
  if (QAction* html = f->ActionNamed("ToolButton51")) {
    const QList<QAction*> all = tb->actions();
    const qsizetype i = all.indexOf(html);
    if (i >= 0 && i + 1 < all.size()) before = all[i + 1];
  }
  tb->insertAction(before ? before : f->ToolButton39, button);
  if (auto* tool = qobject_cast<QToolButton*>(tb->widgetForAction(button)))
    tool->setPopupMode(QToolButton::MenuButtonPopup);
}
