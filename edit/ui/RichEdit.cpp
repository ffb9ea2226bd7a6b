#include "edit/ui/RichEdit.h"

#include <QAbstractUndoItem>
#include <QElapsedTimer>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "edit/PaneText.h"
#include "platform/Cp932.h"

// Display grouping: QTextDocument pays per block, so a large text is put in
// blocks of several lines joined by U+2028 (a line break inside a block).
// A 10 MiB text then loads in tens of milliseconds instead of seconds.
// A line longer than kLongLine characters is cut into blocks of its own:
// laying out one unwrapped line costs far more than linear time in its
// length, and a 10 MiB line (after deleting the line ends) never finished.
// Such a block continues the line of the block before it.
// Every line API below counts lines, never blocks: a line ends at U+2028 or
// at a block end that is not followed by a continuing block.
// A block's user state is the index of its first original line while the
// user has not touched it, else -1. Whether a block continues the line of
// the block before is a property of its block format: Qt's undo and redo
// bring formats back with the text, and a user state they would lose.
namespace {

constexpr QChar kLineSep(0x2028);
constexpr int kLinesPerBlock = 32;
constexpr int kCharsPerBlock = 8192;
constexpr qsizetype kLongLine = 1024;
constexpr int kContinuesProperty = QTextFormat::UserProperty + 1;

// The original line index of an untouched block, else -1.
int Original(const QTextBlock& b) { return b.userState(); }

bool MarkedContinuing(const QTextBlock& b) { return b.blockFormat().boolProperty(kContinuesProperty); }
bool Continues(const QTextBlock& b) { return b.isValid() && b.previous().isValid() && MarkedContinuing(b); }

void SetContinuing(QTextCursor& c, const QTextBlock& b, bool on) {
  c.setPosition(b.position());
  QTextBlockFormat f = b.blockFormat();
  if (on)
    f.setProperty(kContinuesProperty, true);
  else
    f.clearProperty(kContinuesProperty);
  c.setBlockFormat(f);
}

// LF-separated screen text -> blocks joined by LF, lines inside a block by
// U+2028; cont gets one entry per block, true for a continuing block.
QString GroupLines(const QString& s, std::vector<bool>& cont) {
  QString out;
  out.reserve(s.size() + s.size() / kLongLine + 16);
  cont.assign(1, false);
  int lines = 0;
  qsizetype chars = 0;
  bool closed = false;  // the block holds the end of a long line: start anew
  qsizetype at = 0;
  for (bool first = true;; first = false) {
    qsizetype e = s.indexOf(QLatin1Char('\n'), at);
    if (e < 0) e = s.size();
    const qsizetype len = e - at;
    const bool longLine = len > kLongLine;
    if (!first) {
      if (longLine || closed || lines >= kLinesPerBlock || chars >= kCharsPerBlock) {
        out += QLatin1Char('\n');
        cont.push_back(false);
        lines = 0;
        chars = 0;
      } else {
        out += kLineSep;
      }
    }
    if (longLine) {
      for (qsizetype p = at; p < e;) {
        qsizetype n = std::min(kLongLine, e - p);
        // A surrogate pair stays in one block.
        if (p + n < e && s[p + n - 1].isHighSurrogate()) --n;
        if (p > at) {
          out += QLatin1Char('\n');
          cont.push_back(true);
        }
        out += QStringView(s).mid(p, n);
        p += n;
      }
      closed = true;
    } else {
      out += QStringView(s).mid(at, len);
      ++lines;
      chars += len;
      closed = false;
    }
    if (e >= s.size()) break;
    at = e + 1;
  }
  return out;
}

// Lines that start in the block (a continuing block's first piece belongs
// to the line before).
int LinesInBlock(const QTextBlock& b) { return static_cast<int>(b.text().count(kLineSep)) + (Continues(b) ? 0 : 1); }

// The last block of the line group starting at b: b and the continuing
// blocks after it.
QTextBlock GroupEnd(QTextBlock b) {
  for (QTextBlock n = b.next(); n.isValid() && Continues(n); n = n.next()) b = n;
  return b;
}

QString GroupText(const QTextBlock& first, const QTextBlock& last) {
  if (first == last) return first.text();
  QString s;
  for (QTextBlock b = first;; b = b.next()) {
    s += b.text();
    if (b == last) break;
  }
  return s;
}

// The first original line of an untouched group, else -1.
int GroupOriginal(const QTextBlock& first, const QTextBlock& last) {
  const int st = Original(first);
  if (st < 0) return -1;
  if (first == last) return st;
  for (QTextBlock b = first.next();; b = b.next()) {
    if (Original(b) < 0) return -1;
    if (b == last) break;
  }
  return st;
}

// The document position of character k of a group's text.
int GroupPosition(const QTextBlock& first, const QTextBlock& last, qsizetype k) {
  for (QTextBlock b = first;; b = b.next()) {
    const qsizetype len = b.length() - 1;
    if (k <= len || b == last) return b.position() + static_cast<int>(k);
    k -= len;
  }
}

}  // namespace

TRichEdit::TRichEdit(QWidget* parent) : QPlainTextEdit(parent) {
  setLineWrapMode(QPlainTextEdit::NoWrap);
  SetEditMode(false);
  setTabChangesFocus(true);
  setUndoRedoEnabled(true);
  connect(document(), &QTextDocument::contentsChange, this, &TRichEdit::OnContentsChange);
  connect(document(), &QTextDocument::undoCommandAdded, this, [this] { commandAdded_ = true; });
  fillTimer_ = new QTimer(this);
  fillTimer_->setSingleShot(true);
  fillTimer_->setInterval(0);
  connect(fillTimer_, &QTimer::timeout, this, &TRichEdit::FillStep);
}

TRichEdit::~TRichEdit() { AbortFill(); }

const navirt::TUnicodePane* TRichEdit::Unicode() const {
  CompleteFill();
  return unicode_ ? &*unicode_ : nullptr;
}

// ---------------------------------------------------------------- fill

namespace {
bool IsLeadByte(char c) {
  const auto b = static_cast<uint8_t>(c);
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
}  // namespace

TPanePiece TRichEdit::MakePiece(const navirt::TPaneBytes& bytes, const navirt::TUnicodePane* unicode, size_t& line,
                                size_t& offset, size_t budget) {
  TPanePiece p;
  if (budget == 0) budget = 1;
  const size_t n = bytes.LineCount();
  if (line >= n) return p;
  const bool continues = offset > 0;
  const size_t firstLine = line;
  std::string text;
  std::string_view rest = bytes.Line(line).substr(offset);
  if (rest.size() > budget) {
    // A line longer than a piece is cut between characters; the next piece
    // continues it.
    size_t i = 0;
    while (i < budget) i += IsLeadByte(rest[i]) ? 2 : 1;
    i = std::min(i, rest.size());
    text.assign(rest.substr(0, i));
    offset += i;
    if (i == rest.size()) {
      ++line;
      offset = 0;
    }
  } else {
    text.assign(rest);
    ++line;
    offset = 0;
    // The tail of a cut line stays a piece of its own: a continuing block
    // holds no line of its own.
    while (!continues && line < n) {
      std::string_view next = bytes.Line(line);
      if (text.size() + 1 + next.size() > budget) break;
      text += '\n';
      text.append(next);
      ++line;
    }
  }
  QString screen;
  if (unicode) {
    screen = QString(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    screen.truncate(static_cast<qsizetype>(unicode->ToScreenTo(text, reinterpret_cast<char16_t*>(screen.data()))));
  } else {
    screen = ToScreen(text);
  }
  p.text = GroupLines(screen, p.cont);
  if (continues) p.cont[0] = true;
  // A later piece opens its first block itself: one insertion per piece.
  const bool opens = firstLine > 0 || continues;
  if (opens) p.text.prepend(QLatin1Char('\n'));
  int at = static_cast<int>(continues ? firstLine + 1 : firstLine);
  const int start = at;
  qsizetype from = opens ? 1 : 0;
  for (size_t b = 0; b < p.cont.size(); ++b) {
    qsizetype e = p.text.indexOf(QLatin1Char('\n'), from);
    if (e < 0) e = p.text.size();
    p.first.push_back(p.cont[b] ? at - 1 : at);
    at += static_cast<int>(QStringView(p.text).mid(from, e - from).count(kLineSep)) + (p.cont[b] ? 0 : 1);
    from = e + 1;
  }
  p.lines = at - start;
  return p;
}

namespace {
// The pieces of a large text that went lie between live blocks of the heap,
// which keeps them resident: they are given back, so what the pane holds
// bounds the memory once more.
void ReturnFreedMemory(size_t dropped) {
#ifdef __GLIBC__
  if (dropped >= (64u << 20)) malloc_trim(0);
#else
  (void)dropped;
#endif
}
}  // namespace

size_t TRichEdit::HeldBytes() const {
  return original_.Text().capacity() + original_.IndexBytes() +
         static_cast<size_t>(document()->characterCount()) * sizeof(QChar);
}

void TRichEdit::BeginFill(std::shared_ptr<TPaneFeed> feed) {
  AbortFill();
  const size_t dropped = HeldBytes();
  loading_ = true;
  original_ = navirt::TPaneBytes();
  unicode_.reset();
  clear();
  ReturnFreedMemory(dropped);
  // Pieces put in are no steps to undo; the history starts with the text.
  document()->setUndoRedoEnabled(false);
  document()->setModified(false);
  loading_ = false;
  feed_ = std::move(feed);
  fillLines_ = 0;
  fillBlocks_ = 0;
  lineCount_ = 0;
  // Posted from the worker: the window takes the pieces between events.
  feed_->SetNotify(
      [this] { QMetaObject::invokeMethod(fillTimer_, qOverload<>(&QTimer::start), Qt::QueuedConnection); });
  fillTimer_->start();
}

void TRichEdit::AbortFill() {
  if (!feed_) return;
  feed_->Cancel();
  feed_.reset();
  fillTimer_->stop();
  document()->setUndoRedoEnabled(true);
  lineCount_ = -1;
}

namespace {

QTextCharFormat RunFormat(const navirt::RtfRun& run) {
  QTextCharFormat f;
  if (!run.font.empty()) f.setFontFamilies({TRichEdit::ToScreen(run.font)});
  if (run.halfPoints > 0) f.setFontPointSize(run.halfPoints / 2.0);
  if (run.bold) f.setFontWeight(QFont::Bold);
  if (run.italic) f.setFontItalic(true);
  if (run.underline) f.setFontUnderline(true);
  if (run.hasColor) f.setForeground(QColor(QRgb(run.color)));
  return f;
}

// Paragraphs at the cursor, a block each; open: the first one opens a
// block of its own too. One edit block, so the document reports one change
// (each report has the pane's lines counted again).
void InsertParagraphs(QTextCursor& c, const std::vector<navirt::RtfParagraph>& paragraphs, bool open) {
  c.beginEditBlock();
  for (const auto& para : paragraphs) {
    if (open) c.insertBlock();
    open = true;
    for (const auto& run : para) c.insertText(TRichEdit::ToScreen(run.text), RunFormat(run));
  }
  c.endEditBlock();
}

}  // namespace

TPanePiece TRichEdit::MakeRichPiece(std::vector<navirt::RtfParagraph>& paragraphs, size_t& para, size_t budget) {
  TPanePiece p;
  size_t bytes = 0;
  while (para < paragraphs.size() && (p.rich.empty() || bytes < budget)) {
    for (const auto& run : paragraphs[para]) bytes += run.text.size() + 16;
    p.rich.push_back(std::move(paragraphs[para]));
    navirt::RtfParagraph().swap(paragraphs[para]);
    ++para;
  }
  p.lines = static_cast<int>(p.rich.size());
  return p;
}

void TRichEdit::InsertPiece(const TPanePiece& piece) {
  if (piece.cont.empty() && piece.rich.empty()) return;
  QTextDocument* doc = document();
  loading_ = true;
  QTextCursor c(doc);
  c.movePosition(QTextCursor::End);
  const QTextBlock before = c.block();
  QTextBlock b;
  if (!piece.rich.empty()) {
    InsertParagraphs(c, piece.rich, fillBlocks_ > 0);
    // A paragraph is a line and a block.
    b = fillBlocks_ > 0 ? before.next() : doc->begin();
    for (int line = fillLines_; b.isValid(); b = b.next()) b.setUserState(line++);
    fillBlocks_ += piece.lines;
  } else {
    c.insertText(piece.text);
    b = fillBlocks_ > 0 ? before.next() : doc->begin();
    QTextCursor mark(doc);
    for (size_t i = 0; i < piece.cont.size() && b.isValid(); ++i, b = b.next()) {
      b.setUserState(piece.first[i]);
      if (piece.cont[i] != MarkedContinuing(b)) SetContinuing(mark, b, piece.cont[i]);
    }
    fillBlocks_ += static_cast<int>(piece.cont.size());
  }
  // The caret stood where the first piece went in and moved past it: back
  // to the top, where later pieces no longer move it (each move would
  // count the lines before the caret).
  if (fillLines_ == 0) setTextCursor(QTextCursor(doc));
  fillLines_ += piece.lines;
  doc->setModified(false);
  loading_ = false;
  lineCount_ = fillLines_;
}

void TRichEdit::EndFill(navirt::TPaneBytes bytes, std::optional<navirt::TUnicodePane> unicode) {
  feed_.reset();
  original_ = std::move(bytes);
  unicode_ = std::move(unicode);
  document()->setUndoRedoEnabled(true);
  document()->setModified(false);
  // A failed read leaves the pane empty.
  if (original_.LineCount() == 0 && !document()->isEmpty()) {
    loading_ = true;
    clear();
    loading_ = false;
  }
  // Counted piece by piece: a walk over a huge text would stall the window.
  lineCount_ = document()->isEmpty() ? 0 : fillLines_;
  emit fillFinished();
}

// A slice at a time, so keys and clicks wait at most one slice.
void TRichEdit::FillStep() {
  constexpr int kSliceMs = 15;
  QElapsedTimer t;
  t.start();
  TPanePiece piece;
  navirt::TPaneBytes bytes;
  std::optional<navirt::TUnicodePane> unicode;
  while (feed_ && t.elapsed() < kSliceMs) {
    switch (feed_->Pop(piece, bytes, unicode, false)) {
      case TPaneFeed::Got::Empty:
        return;  // the worker notifies when the next piece is there
      case TPaneFeed::Got::Done:
        EndFill(std::move(bytes), std::move(unicode));
        return;
      case TPaneFeed::Got::Piece:
        InsertPiece(piece);
        break;
    }
  }
  if (feed_) fillTimer_->start();
}

void TRichEdit::CompleteFill() const {
  auto* self = const_cast<TRichEdit*>(this);
  TPanePiece piece;
  navirt::TPaneBytes bytes;
  std::optional<navirt::TUnicodePane> unicode;
  while (self->feed_) {
    switch (self->feed_->Pop(piece, bytes, unicode, true)) {
      case TPaneFeed::Got::Empty:
        self->AbortFill();
        return;
      case TPaneFeed::Got::Done:
        self->EndFill(std::move(bytes), std::move(unicode));
        return;
      case TPaneFeed::Got::Piece:
        self->InsertPiece(piece);
        break;
    }
  }
}

QString TRichEdit::ToScreen(std::string_view bytes) {
  // Decoded straight into the string shown: a large preview's pieces are
  // neither copied nor given fresh pages twice.
  QString screen(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
  screen.truncate(
      static_cast<qsizetype>(navirt::DecodeCp932LosslessTo(bytes, reinterpret_cast<char16_t*>(screen.data()))));
  return screen;
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
  std::vector<bool> cont;
  QString screen = GroupLines(PaneToScreen(lfText), cont);
  setPlainText(screen);
  MarkOriginalLines(cont);
}

void TRichEdit::MarkOriginalLines(const std::vector<bool>& cont) {
  int line = 0;
  size_t i = 0;
  const int n = static_cast<int>(original_.LineCount());
  QTextDocument* doc = document();
  // Marks made while loading are no steps to undo.
  const bool undo = doc->isUndoRedoEnabled();
  doc->setUndoRedoEnabled(false);
  QTextCursor c(doc);
  c.beginEditBlock();
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next(), ++i) {
    const bool continues = i < cont.size() && cont[i];
    // A continuing block counts under the line it continues.
    const int first = continues ? line - 1 : line;
    b.setUserState(first < n ? first : -1);
    if (continues != MarkedContinuing(b)) SetContinuing(c, b, continues);
    line += static_cast<int>(b.text().count(kLineSep)) + (continues ? 0 : 1);
  }
  c.endEditBlock();
  doc->setUndoRedoEnabled(undo);
}

void TRichEdit::OnContentsChange(int pos, int removed, int added) {
  (void)removed;
  lineCount_ = -1;
  if (marking_) return;
  if (loading_) {
    // A load's own steps are none of the next change's business.
    commandAdded_ = false;
    return;
  }
  // An edit adds an undo step before it reports the change; an undo or a
  // redo adds none.
  const bool edit = commandAdded_;
  commandAdded_ = false;
  QTextBlock b = document()->findBlock(pos);
  QTextBlock e = document()->findBlock(pos + added);
  if (!e.isValid()) e = document()->lastBlock();
  // The blocks after b up to e were made by the change. An edit's new
  // blocks are lines of their own, but Qt gives them the format of the
  // block it split; an undo or a redo brings back the formats they had.
  std::vector<QTextBlock> made;
  for (QTextBlock x = b; x.isValid(); x = x.next()) {
    x.setUserState(-1);
    if (edit && x != b && MarkedContinuing(x)) made.push_back(x);
    if (x == e) break;
  }
  if (!made.empty()) {
    // Part of the same undo step, so undoing the edit undoes these too.
    marking_ = true;
    QTextCursor c(document());
    c.joinPreviousEditBlock();
    for (const QTextBlock& x : made) SetContinuing(c, x, false);
    c.endEditBlock();
    marking_ = false;
    commandAdded_ = false;
  }
  emit userChanged();
}

void TRichEdit::keyPressEvent(QKeyEvent* e) {
  // An edit goes into the whole text, not the part filled so far.
  if (feed_ && !isReadOnly()) CompleteFill();
  QTextCursor c = textCursor();
  const bool plain = e->modifiers() == Qt::NoModifier && !isReadOnly() && !c.hasSelection();
  if (plain && e->key() == Qt::Key_Backspace && c.atBlockStart() && Continues(c.block())) {
    c.movePosition(QTextCursor::PreviousCharacter);
    c.deletePreviousChar();
    setTextCursor(c);
    return;
  }
  if (plain && e->key() == Qt::Key_Delete && c.atBlockEnd() && Continues(c.block().next())) {
    c.movePosition(QTextCursor::NextCharacter);
    c.deleteChar();
    setTextCursor(c);
    return;
  }
  QPlainTextEdit::keyPressEvent(e);
}

void TRichEdit::insertFromMimeData(const QMimeData* source) {
  CompleteFill();
  QPlainTextEdit::insertFromMimeData(source);
}

void TRichEdit::dropEvent(QDropEvent* e) {
  if (!isReadOnly()) CompleteFill();
  QPlainTextEdit::dropEvent(e);
}

void TRichEdit::inputMethodEvent(QInputMethodEvent* e) {
  if (feed_ && !isReadOnly()) CompleteFill();
  QPlainTextEdit::inputMethodEvent(e);
}

bool TRichEdit::ContinuesLine(const QTextBlock& b) { return Continues(b); }

int TRichEdit::Advance(int pos, int chars) const {
  QTextBlock b = document()->findBlock(pos);
  if (!b.isValid()) return pos + chars;
  int off = pos - b.position();
  for (QTextBlock n = b.next(); n.isValid() && Continues(n) && off + chars > b.length() - 1; n = n.next()) {
    chars -= b.length() - 1 - off;
    off = 0;
    b = n;
  }
  return b.position() + off + chars;
}

namespace {

// Appends the pane lines of one line group: its original lines while
// untouched, else its screen text re-encoded line by line.
void AppendGroupLines(const TRichEdit* edit, const QTextBlock& first, const QTextBlock& last,
                      const navirt::TPaneBytes& original, std::vector<navirt::PaneLine>& out) {
  const QString text = GroupText(first, last);
  const int st = GroupOriginal(first, last);
  const int n = static_cast<int>(text.count(kLineSep)) + 1;
  if (st >= 0 && static_cast<size_t>(st) + static_cast<size_t>(n) <= original.LineCount()) {
    for (int i = 0; i < n; ++i) out.push_back(navirt::PaneLine{st + i, {}});
    return;
  }
  for (const QString& line : text.split(kLineSep)) out.push_back(navirt::PaneLine{-1, edit->PaneFromScreen(line)});
}

}  // namespace

std::vector<navirt::PaneLine> TRichEdit::PaneLines() const {
  CompleteFill();
  std::vector<navirt::PaneLine> lines;
  lines.reserve(original_.LineCount() + 16);
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    QTextBlock last = GroupEnd(b);
    AppendGroupLines(this, b, last, original_, lines);
    b = last;
  }
  return lines;
}

std::string TRichEdit::Text() const {
  CompleteFill();
  if (document()->isEmpty()) return {};
  std::string out;
  out.reserve(original_.Text().size() + original_.LineCount() + 16);
  bool first = true;
  for (const navirt::PaneLine& l : PaneLines()) {
    if (!first) out += "\r\n";
    first = false;
    if (l.original >= 0)
      out.append(original_.Line(static_cast<size_t>(l.original)));
    else
      out += l.bytes;
  }
  return out;
}

std::string TRichEdit::Bytes() const {
  CompleteFill();
  if (document()->isEmpty() && original_.LineCount() == 0) return {};
  return original_.Assemble(PaneLines());
}

void TRichEdit::SetText(std::string_view bytes) { SetText(bytes, std::nullopt); }

namespace {
// The screen's lines of pane bytes: every line end an LF; a final line end
// opens no empty last line.
std::string ScreenLines(std::string_view bytes) {
  std::string norm = navirt::NormalizeLineEnds(bytes);
  if (!norm.empty() && norm.back() == '\n') norm.pop_back();
  return norm;
}
}  // namespace

void TRichEdit::SetText(std::string_view bytes, std::optional<navirt::TUnicodePane> unicode) {
  AbortFill();
  loading_ = true;
  unicode_ = std::move(unicode);
  original_ = navirt::TPaneBytes(std::string(bytes));
  SetScreenText(ScreenLines(bytes));
  document()->setModified(false);
  loading_ = false;
}

void TRichEdit::Clear() {
  AbortFill();
  const size_t dropped = HeldBytes();
  loading_ = true;
  original_ = navirt::TPaneBytes();
  unicode_.reset();
  clear();
  ReturnFreedMemory(dropped);
  document()->setModified(false);
  loading_ = false;
}

std::vector<std::string> TRichEdit::Lines() const {
  CompleteFill();
  if (document()->isEmpty()) return {};
  std::vector<navirt::PaneLine> lines = PaneLines();
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

void TRichEdit::SetLines(const std::vector<std::string>& lines, bool asStep) {
  CompleteFill();
  if (asStep) {
    ReplaceAsStep(navirt::TPaneBytes(navirt::JoinCommandLines(lines, original_.EndsWithLineEnd())));
    return;
  }
  bool wasModified = document()->isModified();
  loading_ = true;
  // Read back as a loaded text would be, so the screen and the saved bytes
  // agree on the lines; the text's final line end stays.
  original_ = navirt::TPaneBytes(navirt::JoinCommandLines(lines, original_.EndsWithLineEnd()));
  SetScreenText(ScreenLines(original_.Text()));
  document()->setModified(wasModified);
  loading_ = false;
}

void TRichEdit::ReplaceText(std::string_view bytes) {
  CompleteFill();
  ReplaceAsStep(navirt::TPaneBytes(std::string(bytes)));
}

// One end of a command's undo step: the edit block [before, the text
// replaced, after]. Undoing it puts back the bytes from before, redoing it
// those from after, so the lines keep their own ends. The blocks the step
// touches then count as changed (their screen text is saved, which maps
// back to the same bytes).
class TPaneStep : public QAbstractUndoItem {
 public:
  TPaneStep(TRichEdit* edit, std::shared_ptr<const navirt::TPaneBytes> bytes, bool onUndo)
      : edit_(edit), bytes_(std::move(bytes)), onUndo_(onUndo) {}
  void undo() override {
    if (onUndo_) edit_->original_ = *bytes_;
  }
  void redo() override {
    if (!onUndo_) edit_->original_ = *bytes_;
  }

 private:
  TRichEdit* edit_;
  std::shared_ptr<const navirt::TPaneBytes> bytes_;
  bool onUndo_;
};

void TRichEdit::MarkStates() {
  int line = 0;
  const int n = static_cast<int>(original_.LineCount());
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    const bool continues = Continues(b);
    const int first = continues ? line - 1 : line;
    b.setUserState(first < n ? first : -1);
    line += static_cast<int>(b.text().count(kLineSep)) + (continues ? 0 : 1);
  }
}

void TRichEdit::ReplaceAsStep(navirt::TPaneBytes next) {
  auto before = std::make_shared<const navirt::TPaneBytes>(std::move(original_));
  loading_ = true;
  std::vector<bool> cont;
  const QString screen = GroupLines(PaneToScreen(ScreenLines(next.Text())), cont);
  QTextDocument* doc = document();
  QTextCursor c(doc);
  c.beginEditBlock();
  doc->appendUndoItem(new TPaneStep(this, before, true));
  c.select(QTextCursor::Document);
  c.removeSelectedText();
  if (MarkedContinuing(c.block())) SetContinuing(c, c.block(), false);
  c.insertText(screen);
  size_t i = 0;
  for (QTextBlock b = doc->begin(); b.isValid(); b = b.next(), ++i)
    if (i < cont.size() && cont[i]) SetContinuing(c, b, true);
  original_ = std::move(next);
  MarkStates();
  doc->appendUndoItem(new TPaneStep(this, std::make_shared<const navirt::TPaneBytes>(original_), false));
  c.endEditBlock();
  commandAdded_ = false;
  loading_ = false;
  // The caret starts at the top, as after a load.
  QTextCursor top(doc);
  setTextCursor(top);
}

// Counted once per change of the text: the status bar asks after every
// step of a load.
int TRichEdit::LineCount() const {
  if (lineCount_ >= 0) return lineCount_;
  if (document()->isEmpty()) return lineCount_ = 0;
  int n = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) n += LinesInBlock(b);
  return lineCount_ = n;
}

std::string TRichEdit::Line(int index) const {
  CompleteFill();
  if (index < 0) return {};
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    QTextBlock last = GroupEnd(b);
    const QString text = GroupText(b, last);
    const int n = static_cast<int>(text.count(kLineSep)) + 1;
    if (index < n) {
      const int st = GroupOriginal(b, last);
      if (st >= 0 && static_cast<size_t>(st) + static_cast<size_t>(n) <= original_.LineCount())
        return std::string(original_.Line(static_cast<size_t>(st + index)));
      return PaneFromScreen(text.split(kLineSep).value(index));
    }
    index -= n;
    b = last;
  }
  return {};
}

std::string TRichEdit::SelText() const {
  const QTextCursor c = textCursor();
  const int start = c.selectionStart(), end = c.selectionEnd();
  if (start == end) return {};
  // The breaks between a long line's blocks are no line ends.
  QString s;
  for (QTextBlock b = document()->findBlock(start); b.isValid() && b.position() <= end; b = b.next()) {
    if (b.position() > start && !Continues(b)) s += QLatin1Char('\n');
    const int from = std::max(start - b.position(), 0);
    const int to = std::min(end - b.position(), b.length() - 1);
    if (to > from) s += b.text().mid(from, to - from);
  }
  s.replace(kLineSep, QChar('\n'));
  std::string bytes = PaneFromScreen(s);
  std::string out;
  for (char ch : bytes) {
    if (ch == '\n')
      out += "\r\n";
    else
      out += ch;
  }
  return out;
}

void TRichEdit::SetSelText(std::string_view bytes) {
  CompleteFill();
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
  for (QTextBlock x = doc->begin(); x.isValid() && x != b; x = x.next())
    bytes += ScreenBytes(edit, x.text()) + (Continues(x.next()) ? 0 : 2);
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
  AbortFill();
  loading_ = true;
  unicode_.reset();
  clear();
  QTextCursor c(document());
  InsertParagraphs(c, rtf.paragraphs, false);
  original_ = navirt::TPaneBytes(rtf.PlainText());
  MarkOriginalLines({});
  document()->clearUndoRedoStacks();
  document()->setModified(false);
  loading_ = false;
}

navirt::RtfDocument TRichEdit::Rich() const {
  CompleteFill();
  navirt::RtfDocument out;
  if (document()->isEmpty()) return out;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    navirt::RtfParagraph para;
    // A long line's blocks make one paragraph.
    if (Continues(b) && !out.paragraphs.empty()) {
      para = std::move(out.paragraphs.back());
      out.paragraphs.pop_back();
    }
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
  // Lines started before the caret, the caret's own included.
  return Continues(c.block()) ? line : line + 1;
}

int TRichEdit::CaretColumn() const {
  QTextCursor c = textCursor();
  QTextBlock b = c.block();
  QString before = b.text().left(c.positionInBlock());
  qsizetype sep = before.lastIndexOf(kLineSep);
  // The caret's line may have started in blocks before this one.
  while (sep < 0 && Continues(b)) {
    b = b.previous();
    before.prepend(b.text());
    sep = before.lastIndexOf(kLineSep);
  }
  if (sep >= 0) before = before.mid(sep + 1);
  return static_cast<int>(PaneFromScreen(before).size()) + 1;
}

void TRichEdit::SetCaretOffset(int offset) {
  if (offset < 0) offset = 0;
  int left = offset;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    const QTextBlock last = GroupEnd(b);
    const QString text = GroupText(b, last);
    const QStringList lines = text.split(kLineSep);
    qsizetype charBase = 0;
    for (int li = 0; li < lines.size(); ++li) {
      const QString& t = lines[li];
      int len = static_cast<int>(PaneFromScreen(t).size());
      bool lastLine = li + 1 == lines.size() && !last.next().isValid();
      if (left <= len || lastLine) {
        int chars = 0, bytes = 0;
        while (chars < t.size() && bytes < left) {
          // A character outside the BMP is two units: step over it whole.
          int units = t[chars].isHighSurrogate() && chars + 1 < t.size() && t[chars + 1].isLowSurrogate() ? 2 : 1;
          bytes += static_cast<int>(PaneFromScreen(t.mid(chars, units)).size());
          chars += units;
        }
        QTextCursor c(document());
        c.setPosition(GroupPosition(b, last, charBase + chars));
        setTextCursor(c);
        ensureCursorVisible();
        return;
      }
      left -= len + 2;
      if (left < 0) left = 0;
      charBase += t.size() + 1;
    }
    b = last;
  }
}

void TRichEdit::GoToLine(int index) {
  if (index < 0) index = 0;
  for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
    const QTextBlock last = GroupEnd(b);
    const QString text = GroupText(b, last);
    const int n = static_cast<int>(text.count(kLineSep)) + 1;
    if (index < n || !last.next().isValid()) {
      const int k = std::min(index, n - 1);
      qsizetype pos = 0;
      for (int i = 0; i < k; ++i) pos = text.indexOf(kLineSep, pos) + 1;
      QTextCursor c(document());
      c.setPosition(GroupPosition(b, last, pos));
      setTextCursor(c);
      ensureCursorVisible();
      return;
    }
    index -= n;
    b = last;
  }
}
