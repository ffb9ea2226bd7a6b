#include "edit/ui/RichEdit.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>

#include "edit/PaneText.h"
#include "platform/Cp932.h"

TRichEdit::TRichEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setReadOnly(true);
  setUndoRedoEnabled(true);
  connect(this, &QPlainTextEdit::modificationChanged, this, [](bool) {});
}

QString TRichEdit::ToScreen(std::string_view bytes) {
  std::u16string u = navirt::DecodeCp932Lossless(bytes);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::string TRichEdit::FromScreen(const QString& text) {
  std::u16string_view u(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
  return navirt::EncodeCp932Lossless(u);
}

std::string TRichEdit::Text() const {
  QString s = toPlainText();  // paragraphs joined by '\n'
  std::string bytes = FromScreen(s);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  for (char c : bytes) {
    if (c == '\n') out += "\r\n";
    else out += c;
  }
  return out;
}

void TRichEdit::SetText(std::string_view bytes) {
  std::string norm = navirt::NormalizeLineEnds(bytes);
  // A final line end opens no empty last line in the pane.
  if (!norm.empty() && norm.back() == '\n') norm.pop_back();
  setPlainText(ToScreen(norm));
  document()->setModified(false);
}

void TRichEdit::Clear() {
  clear();
  document()->setModified(false);
}

std::vector<std::string> TRichEdit::Lines() const {
  if (document()->isEmpty()) return {};
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(document()->blockCount()));
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) out.push_back(FromScreen(b.text()));
  return out;
}

void TRichEdit::SetLines(const std::vector<std::string>& lines) {
  bool wasModified = document()->isModified();
  std::string joined = navirt::JoinLines(lines, "\n");
  setPlainText(ToScreen(joined));
  document()->setModified(wasModified);
}

int TRichEdit::LineCount() const { return document()->isEmpty() ? 0 : document()->blockCount(); }

std::string TRichEdit::Line(int index) const {
  QTextBlock b = document()->findBlockByNumber(index);
  return b.isValid() ? FromScreen(b.text()) : std::string();
}

std::string TRichEdit::SelText() const {
  QString s = textCursor().selectedText();
  s.replace(QChar::ParagraphSeparator, QChar('\n'));
  std::string bytes = FromScreen(s);
  std::string out;
  for (char c : bytes) {
    if (c == '\n') out += "\r\n";
    else out += c;
  }
  return out;
}

void TRichEdit::SetSelText(std::string_view bytes) {
  std::string norm = navirt::NormalizeLineEnds(bytes);
  textCursor().insertText(ToScreen(norm));
}

bool TRichEdit::Modified() const { return document()->isModified(); }
void TRichEdit::SetModified(bool modified) { document()->setModified(modified); }

void TRichEdit::SetTabWidth(int chars) {
  tabWidth_ = chars < 1 ? 8 : chars;
  QFontMetricsF fm(font());
  setTabStopDistance(fm.horizontalAdvance(QLatin1Char(' ')) * tabWidth_);
}

void TRichEdit::SetWordWrap(bool on) {
  setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

bool TRichEdit::WordWrap() const { return lineWrapMode() != QPlainTextEdit::NoWrap; }

int TRichEdit::CaretLine() const { return textCursor().blockNumber() + 1; }

int TRichEdit::CaretColumn() const {
  QTextCursor c = textCursor();
  QString before = c.block().text().left(c.positionInBlock());
  return static_cast<int>(FromScreen(before).size()) + 1;
}
