#include "edit/ui/RichEdit.h"

#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#include "edit/PaneText.h"
#include "platform/Cp932.h"

// Display grouping: QTextDocument pays per block, so a large text is put in
// blocks of several lines joined by U+2028 (a line break inside a block).
// A 10 MiB text then loads in tens of milliseconds instead of seconds.
// Every line API below counts lines, never blocks: a line ends at a block
// end or at U+2028. A block's user state is the index of its first
// original line while the user has not touched it, else -1.
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

// The lines of a block's screen text.
QStringList BlockLines(const QTextBlock& b) { return b.text().split(kLineSep); }

}  // namespace

TRichEdit::TRichEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  SetEditMode(false);
  setTabChangesFocus(true);
  setUndoRedoEnabled(true);
  connect(document(), &QTextDocument::contentsChange, this, &TRichEdit::OnContentsChange);
}

QString TRichEdit::ToScreen(std::string_view bytes) {
  std::u16string u = navirt::DecodeCp932Lossless(bytes);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::string TRichEdit::FromScreen(const QString& text) {
  std::u16string_view u(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
  return navirt::EncodeCp932Lossless(u);
}

QString TRichEdit::PaneToScreen(std::string_view bytes) const {
  if (!unicode_) return ToScreen(bytes);
  std::u16string u = unicode_->ToScreen(bytes);
  return QString::fromUtf16(u.data(), static_cast<qsizetype>(u.size()));
}

std::string TRichEdit::PaneFromScreen(const QString& text) const {
  if (!unicode_) return FromScreen(text);
  std::u16string_view u(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
  return unicode_->FromScreen(u);
}

void TRichEdit::SetScreenText(const std::string& lfText) {
  QString screen = PaneToScreen(lfText);
  GroupLines(screen);
  setPlainText(screen);
}

void TRichEdit::MarkOriginalLines() {
  int line = 0;
  const int n = static_cast<int>(original_.LineCount());
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    b.setUserState(line < n ? line : -1);
    line += LinesInBlock(b);
  }
}

void TRichEdit::OnContentsChange(int pos, int removed, int added) {
  if (loading_) return;
  QTextBlock b = document()->findBlock(pos);
  QTextBlock e = document()->findBlock(pos + added);
  if (!e.isValid()) e = document()->lastBlock();
  for (; b.isValid(); b = b.next()) {
    b.setUserState(-1);
    if (b == e) break;
  }
  (void)removed;
  emit userChanged();
}

namespace {

// Appends the pane lines of one block: its original lines while untouched,
// else its screen text re-encoded line by line.
void AppendBlockLines(const TRichEdit* edit, const QTextBlock& b, const navirt::TPaneBytes& original,
                      std::vector<navirt::PaneLine>& out) {
  int st = b.userState();
  int n = LinesInBlock(b);
  if (st >= 0 && static_cast<size_t>(st) + static_cast<size_t>(n) <= original.LineCount()) {
    for (int i = 0; i < n; ++i) out.push_back(navirt::PaneLine{st + i, {}});
    return;
  }
  for (const QString& line : BlockLines(b)) out.push_back(navirt::PaneLine{-1, edit->PaneFromScreen(line)});
}

}  // namespace

std::string TRichEdit::Text() const {
  if (document()->isEmpty()) return {};
  std::string out;
  out.reserve(original_.Text().size() + original_.LineCount() + 16);
  bool first = true;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    int st = b.userState();
    int n = LinesInBlock(b);
    if (st >= 0 && static_cast<size_t>(st) + static_cast<size_t>(n) <= original_.LineCount()) {
      for (int i = 0; i < n; ++i) {
        if (!first) out += "\r\n";
        first = false;
        out.append(original_.Line(static_cast<size_t>(st + i)));
      }
      continue;
    }
    for (const QString& line : BlockLines(b)) {
      if (!first) out += "\r\n";
      first = false;
      out += PaneFromScreen(line);
    }
  }
  return out;
}

std::string TRichEdit::Bytes() const {
  if (document()->isEmpty() && original_.LineCount() == 0) return {};
  std::vector<navirt::PaneLine> lines;
  lines.reserve(original_.LineCount() + 16);
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) AppendBlockLines(this, b, original_, lines);
  return original_.Assemble(lines);
}

void TRichEdit::SetText(std::string_view bytes) { SetText(bytes, std::nullopt); }

void TRichEdit::SetText(std::string_view bytes, std::optional<navirt::TUnicodePane> unicode) {
  loading_ = true;
  unicode_ = std::move(unicode);
  original_ = navirt::TPaneBytes(std::string(bytes));
  std::string norm = navirt::NormalizeLineEnds(bytes);
  // A final line end opens no empty last line in the pane.
  if (!norm.empty() && norm.back() == '\n') norm.pop_back();
  SetScreenText(norm);
  MarkOriginalLines();
  document()->setModified(false);
  loading_ = false;
}

void TRichEdit::Clear() {
  loading_ = true;
  original_ = navirt::TPaneBytes();
  unicode_.reset();
  clear();
  document()->setModified(false);
  loading_ = false;
}

std::vector<std::string> TRichEdit::Lines() const {
  if (document()->isEmpty()) return {};
  std::vector<navirt::PaneLine> lines;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) AppendBlockLines(this, b, original_, lines);
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (auto& l : lines) {
    if (l.original >= 0)
      out.emplace_back(original_.Line(static_cast<size_t>(l.original)));
    else
      out.push_back(std::move(l.bytes));
  }
  return out;
}

void TRichEdit::SetLines(const std::vector<std::string>& lines) {
  bool wasModified = document()->isModified();
  loading_ = true;
  std::string joined = navirt::JoinLines(lines, "\r\n");
  original_ = navirt::TPaneBytes(joined);
  SetScreenText(navirt::JoinLines(lines, "\n"));
  MarkOriginalLines();
  document()->setModified(wasModified);
  loading_ = false;
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
    if (index < n) {
      int st = b.userState();
      if (st >= 0 && static_cast<size_t>(st) + static_cast<size_t>(n) <= original_.LineCount())
        return std::string(original_.Line(static_cast<size_t>(st + index)));
      return PaneFromScreen(BlockLines(b).value(index));
    }
    index -= n;
  }
  return {};
}

std::string TRichEdit::SelText() const {
  QString s = textCursor().selectedText();
  s.replace(QChar::ParagraphSeparator, QChar('\n'));
  s.replace(kLineSep, QChar('\n'));
  std::string bytes = PaneFromScreen(s);
  std::string out;
  for (char c : bytes) {
    if (c == '\n')
      out += "\r\n";
    else
      out += c;
  }
  return out;
}

void TRichEdit::SetSelText(std::string_view bytes) {
  std::string norm = navirt::NormalizeLineEnds(bytes);
  textCursor().insertText(PaneToScreen(norm));
}

namespace {
// Bytes a piece of a block's screen text stands for in Text().
int ScreenBytes(const TRichEdit* edit, const QString& s) {
  QString t = s;
  int seps = static_cast<int>(t.count(kLineSep));
  t.remove(kLineSep);
  return static_cast<int>(edit->PaneFromScreen(t).size()) + 2 * seps;
}
// Bytes of Text() before a character position of the document.
int ByteOffsetOf(const TRichEdit* edit, int pos) {
  const QTextDocument* doc = edit->document();
  QTextBlock b = doc->findBlock(pos);
  int bytes = 0;
  for (QTextBlock x = doc->begin(); x.isValid() && x != b; x = x.next()) bytes += ScreenBytes(edit, x.text()) + 2;
  return bytes + ScreenBytes(edit, b.text().left(pos - b.position()));
}
}  // namespace

int TRichEdit::SelStart() const { return ByteOffsetOf(this, textCursor().selectionStart()); }

int TRichEdit::SelLength() const { return ByteOffsetOf(this, textCursor().selectionEnd()) - SelStart(); }

bool TRichEdit::Modified() const { return document()->isModified(); }
void TRichEdit::SetModified(bool modified) { document()->setModified(modified); }

void TRichEdit::SetEditMode(bool on) {
  setReadOnly(!on);
  setTabChangesFocus(!on);
  // A read-only pane still shows the caret so line and column make sense.
  setTextInteractionFlags(on ? Qt::TextEditorInteraction : Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TRichEdit::SetRich(const navirt::RtfDocument& rtf) {
  loading_ = true;
  unicode_.reset();
  clear();
  QTextCursor c(document());
  bool firstPara = true;
  for (const auto& para : rtf.paragraphs) {
    if (!firstPara) c.insertBlock();
    firstPara = false;
    for (const auto& run : para) {
      QTextCharFormat f;
      if (!run.font.empty()) f.setFontFamilies({ToScreen(run.font)});
      if (run.halfPoints > 0) f.setFontPointSize(run.halfPoints / 2.0);
      if (run.bold) f.setFontWeight(QFont::Bold);
      if (run.italic) f.setFontItalic(true);
      if (run.underline) f.setFontUnderline(true);
      if (run.hasColor) f.setForeground(QColor(QRgb(run.color)));
      c.insertText(ToScreen(run.text), f);
    }
  }
  original_ = navirt::TPaneBytes(rtf.PlainText());
  MarkOriginalLines();
  document()->clearUndoRedoStacks();
  document()->setModified(false);
  loading_ = false;
}

navirt::RtfDocument TRichEdit::Rich() const {
  navirt::RtfDocument out;
  if (document()->isEmpty()) return out;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    navirt::RtfParagraph para;
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      QTextFragment frag = it.fragment();
      if (!frag.isValid()) continue;
      QTextCharFormat f = frag.charFormat();
      navirt::RtfRun proto;
      QStringList fams = f.fontFamilies().toStringList();
      if (!fams.isEmpty()) proto.font = FromScreen(fams.first());
      if (f.fontPointSize() > 0) proto.halfPoints = static_cast<int>(f.fontPointSize() * 2 + 0.5);
      proto.bold = f.fontWeight() >= QFont::Bold;
      proto.italic = f.fontItalic();
      proto.underline = f.fontUnderline();
      if (f.hasProperty(QTextFormat::ForegroundBrush)) {
        proto.hasColor = true;
        proto.color = f.foreground().color().rgb() & 0xFFFFFF;
      }
      // A line break inside a block starts a new paragraph.
      QStringList parts = frag.text().split(kLineSep);
      for (int i = 0; i < parts.size(); ++i) {
        if (i > 0) {
          out.paragraphs.push_back(std::move(para));
          para.clear();
        }
        if (parts[i].isEmpty()) continue;
        navirt::RtfRun run = proto;
        run.text = FromScreen(parts[i]);
        para.push_back(std::move(run));
      }
    }
    out.paragraphs.push_back(std::move(para));
  }
  return out;
}

void TRichEdit::SetTabWidth(int chars) {
  tabWidth_ = chars < 1 ? 8 : chars;
  QFontMetricsF fm(font());
  setTabStopDistance(fm.horizontalAdvance(QLatin1Char('M')) * tabWidth_);
}

void TRichEdit::SetWordWrap(bool on) { setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap); }

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
  return static_cast<int>(PaneFromScreen(before).size()) + 1;
}

void TRichEdit::SetCaretOffset(int offset) {
  if (offset < 0) offset = 0;
  int left = offset;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    QStringList lines = BlockLines(b);
    int charBase = 0;
    for (int li = 0; li < lines.size(); ++li) {
      const QString& t = lines[li];
      int len = static_cast<int>(PaneFromScreen(t).size());
      bool lastLine = li + 1 == lines.size() && !b.next().isValid();
      if (left <= len || lastLine) {
        int chars = 0, bytes = 0;
        while (chars < t.size() && bytes < left) {
          // A character outside the BMP is two units: step over it whole.
          int units = t[chars].isHighSurrogate() && chars + 1 < t.size() && t[chars + 1].isLowSurrogate() ? 2 : 1;
          bytes += static_cast<int>(PaneFromScreen(t.mid(chars, units)).size());
          chars += units;
        }
        QTextCursor c(b);
        c.setPosition(b.position() + charBase + chars);
        setTextCursor(c);
        ensureCursorVisible();
        return;
      }
      left -= len + 2;
      if (left < 0) left = 0;
      charBase += static_cast<int>(t.size()) + 1;
    }
  }
}

void TRichEdit::GoToLine(int index) {
  if (index < 0) index = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    int n = LinesInBlock(b);
    if (index < n || !b.next().isValid()) {
      QStringList lines = BlockLines(b);
      int k = std::min(index, static_cast<int>(lines.size()) - 1);
      int pos = 0;
      for (int i = 0; i < k; ++i) pos += static_cast<int>(lines[i].size()) + 1;
      QTextCursor c(b);
      c.setPosition(b.position() + pos);
      setTextCursor(c);
      ensureCursorVisible();
      return;
    }
    index -= n;
  }
}
