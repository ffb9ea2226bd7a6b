#include "edit/ui/RichEdit.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>

#include "edit/PaneText.h"
#include "platform/Cp932.h"

// Display grouping: QTextDocument pays per block, so a large text is put in
// blocks of several lines joined by U+2028 (a line break inside a block).
// A 10 MiB text then loads in tens of milliseconds instead of seconds.
// Every line API below counts lines, never blocks: a line ends at a block
// end or at U+2028.
namespace {

constexpr QChar kLineSep(0x2028);
constexpr int kLinesPerBlock = 32;
constexpr int kCharsPerBlock = 8192;

// LF-separated screen text -> the same with most LFs turned into U+2028.
void GroupLines(QString& s) {
  int lines = 0;
  qsizetype blockStart = 0;
  QChar* d = s.data();
  for (qsizetype i = 0; i < s.size(); ++i) {
    if (d[i] != QLatin1Char('\n')) continue;
    ++lines;
    if (lines % kLinesPerBlock != 0 && i - blockStart < kCharsPerBlock) {
      d[i] = kLineSep;
    } else {
      blockStart = i + 1;
      lines = 0;
    }
  }
}

int LinesInBlock(const QTextBlock& b) { return static_cast<int>(b.text().count(kLineSep)) + 1; }

}  // namespace

TRichEdit::TRichEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setReadOnly(true);
  setUndoRedoEnabled(true);
  connect(document(), &QTextDocument::contentsChange, this, [this](int, int, int) { cacheValid_ = false; });
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
  if (cacheValid_) return cachedText_;
  QString s = toPlainText();  // both separators become '\n'
  std::string bytes = FromScreen(s);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16);
  for (char c : bytes) {
    if (c == '\n') out += "\r\n";
    else out += c;
  }
  return out;
}

void TRichEdit::SetScreenText(const std::string& lfText) {
  QString screen = ToScreen(lfText);
  GroupLines(screen);
  setPlainText(screen);
}

void TRichEdit::SetText(std::string_view bytes) {
  std::string norm = navirt::NormalizeLineEnds(bytes);
  // A final line end opens no empty last line in the pane.
  if (!norm.empty() && norm.back() == '\n') norm.pop_back();
  SetScreenText(norm);
  document()->setModified(false);
  // What Text() would rebuild from the screen, made from the bytes at once.
  cachedText_.clear();
  cachedText_.reserve(norm.size() + norm.size() / 16);
  for (char c : norm) {
    if (c == '\n') cachedText_ += "\r\n";
    else cachedText_ += c;
  }
  cacheValid_ = true;
}

void TRichEdit::Clear() {
  clear();
  document()->setModified(false);
  cachedText_.clear();
  cacheValid_ = true;
}

std::vector<std::string> TRichEdit::Lines() const {
  if (document()->isEmpty()) return {};
  std::vector<std::string> out;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    const QString t = b.text();
    qsizetype start = 0;
    for (;;) {
      qsizetype sep = t.indexOf(kLineSep, start);
      if (sep < 0) {
        out.push_back(FromScreen(t.mid(start)));
        break;
      }
      out.push_back(FromScreen(t.mid(start, sep - start)));
      start = sep + 1;
    }
  }
  return out;
}

void TRichEdit::SetLines(const std::vector<std::string>& lines) {
  bool wasModified = document()->isModified();
  SetScreenText(navirt::JoinLines(lines, "\n"));
  document()->setModified(wasModified);
}

int TRichEdit::LineCount() const {
  if (document()->isEmpty()) return 0;
  int n = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) n += LinesInBlock(b);
  return n;
}

std::string TRichEdit::Line(int index) const {
  if (index < 0) return {};
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    int n = LinesInBlock(b);
    if (index < n) return FromScreen(b.text().split(kLineSep).value(index));
    index -= n;
  }
  return {};
}

std::string TRichEdit::SelText() const {
  QString s = textCursor().selectedText();
  s.replace(QChar::ParagraphSeparator, QChar('\n'));
  s.replace(kLineSep, QChar('\n'));
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

int TRichEdit::CaretLine() const {
  QTextCursor c = textCursor();
  int line = 0;
  for (QTextBlock b = document()->begin(); b.isValid() && b != c.block(); b = b.next()) line += LinesInBlock(b);
  line += static_cast<int>(c.block().text().left(c.positionInBlock()).count(kLineSep));
  return line + 1;
}

int TRichEdit::CaretColumn() const {
  QTextCursor c = textCursor();
  QString before = c.block().text().left(c.positionInBlock());
  qsizetype sep = before.lastIndexOf(kLineSep);
  if (sep >= 0) before = before.mid(sep + 1);
  return static_cast<int>(FromScreen(before).size()) + 1;
}
