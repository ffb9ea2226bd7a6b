#pragma once
// The preview and edit pane. It holds CP932 bytes; the screen shows them
// through the lossless decoder, or, for a UTF-8 or UTF-16 file, through the
// mapping the file was loaded with (kept until other text replaces it). The text put in is kept with its own line
// ends; each block remembers which original lines it shows until the user
// touches it, so saving rewrites only the lines that changed.
// Lines are grouped into blocks of the text document for speed (see the
// .cpp): count lines with LineCount()/Line()/CaretLine(), never blocks.
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTimer>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codec/UnicodePane.h"
#include "edit/PaneBytes.h"
#include "edit/Rtf.h"
#include "edit/ui/PaneFeed.h"

class TRichEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TRichEdit(QWidget* parent = nullptr);
  ~TRichEdit() override;

  // The whole text: lines joined by CR LF, as CP932 bytes.
  std::string Text() const;
  // The text as it is to be saved: untouched lines with their own bytes and
  // line ends, changed lines re-encoded.
  std::string Bytes() const;
  // Replaces the text; bytes are split into lines at CR LF, CR or LF and
  // their ends kept for saving. Clears the modified flag and the undo
  // history. Text set this way is Shift_JIS: a Unicode mapping is dropped.
  void SetText(std::string_view bytes);
  // The pane text of a UTF-8 or UTF-16 file with the mapping it was decoded
  // with (none: as SetText above).
  void SetText(std::string_view bytes, std::optional<navirt::TUnicodePane> unicode);
  // The mapping of the file the pane shows, or null for Shift_JIS text.
  const navirt::TUnicodePane* Unicode() const;
  // Text that replaces the file's (program output) is Shift_JIS again.
  void ForgetUnicode() { unicode_.reset(); }
  void Clear();
  std::vector<std::string> Lines() const;
  // Lines written back by a command: joined by CR LF from now on, a final
  // line end kept. As a step (a command's result) it is one undo step, and
  // undoing it brings back the text before with its own bytes; otherwise
  // (program output) the undo history goes and the modified flag stays.
  void SetLines(const std::vector<std::string>& lines, bool asStep = true);
  // A command's whole new text, its line ends kept, as one undo step.
  void ReplaceText(std::string_view bytes);
  // Whether the text as it is to be saved ends with a line end.
  bool EndsWithLineEnd() const { return original_.EndsWithLineEnd(); }
  int LineCount() const;
  std::string Line(int index) const;

  // The selection as CP932 bytes (line breaks as CR LF).
  std::string SelText() const;
  void SetSelText(std::string_view bytes);
  // Selection start and length in bytes of Text().
  int SelStart() const;
  int SelLength() const;

  bool Modified() const;
  void SetModified(bool modified);
  bool ReadOnly() const { return isReadOnly(); }

  // Browse (read-only, Tab moves the focus) or edit (Tab inserts).
  void SetEditMode(bool on);
  bool EditMode() const { return !isReadOnly(); }

  // A large text filled in the background: the pane empties, and the
  // feed's pieces go in a few at a time between events until its end hands
  // over the text's bytes. Reading the text (Text, Lines, Bytes, Line,
  // Unicode) or typing into it first completes the fill; putting other
  // text in abandons it.
  void BeginFill(std::shared_ptr<TPaneFeed> feed);
  bool Filling() const { return feed_ != nullptr; }
  // Memory the text takes: its bytes, their line index and the document's
  // characters (no layout, no block records).
  size_t HeldBytes() const;
  void CompleteFill() const;
  // Blocks of pane lines from line (and byte offset into it) on, about
  // budget bytes; the position moves past them. Safe on any thread.
  static TPanePiece MakePiece(const navirt::TPaneBytes& bytes, const navirt::TUnicodePane* unicode, size_t& line,
                              size_t& offset, size_t budget);
  // Paragraphs of a rich text from para on, about budget bytes of text,
  // moved out of paragraphs; para moves past them.
  static TPanePiece MakeRichPiece(std::vector<navirt::RtfParagraph>& paragraphs, size_t& para, size_t budget);

  // Rich text: the pane renders RTF files and its text keeps fonts, sizes,
  // styles and colours.
  void SetRichMode(bool on) { rich_ = on; }
  bool RichMode() const { return rich_; }
  void SetRich(const navirt::RtfDocument& doc);
  navirt::RtfDocument Rich() const;

  // Tab stops in characters of the pane's font.
  void SetTabWidth(int chars);
  int TabWidth() const { return tabWidth_; }
  void SetWordWrap(bool on);
  bool WordWrap() const;

  // Caret line and column, 1-based; the column counts bytes.
  int CaretLine() const;
  int CaretColumn() const;
  // Caret to a byte offset of Text() (clamped), scrolled into view.
  void SetCaretOffset(int offset);
  void GoToLine(int index);

  // CP932 bytes <-> screen text, for any bytes (names, messages).
  static QString ToScreen(std::string_view bytes);
  // A line longer than the pane lays out at once is shown in several
  // blocks; true for a block that continues the line of the one before.
  static bool ContinuesLine(const QTextBlock& b);
  // The document position chars characters of text after pos, the breaks
  // between a long line's blocks not counted.
  int Advance(int pos, int chars) const;
  static std::string FromScreen(const QString& text);
  // The same for the pane's own text: through the Unicode mapping when the
  // pane shows a UTF-8 or UTF-16 file. Text typed that CP932 lacks may grow
  // the mapping's table, hence mutable.
  QString PaneToScreen(std::string_view bytes) const;
  std::string PaneFromScreen(const QString& text) const;

 signals:
  // The user changed the text (typing, cut, paste, delete, undo).
  void userChanged();
  // A background fill put in its last piece.
  void fillFinished();

 protected:
  // Backspace and Delete at the edge of a long line's piece delete the
  // character beside it, as anywhere else in the line.
  void keyPressEvent(QKeyEvent* e) override;
  // A paste, a drop or typed input goes into the whole text: a fill still
  // running is completed first.
  void insertFromMimeData(const QMimeData* source) override;
  void dropEvent(QDropEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;

 private:
  void AbortFill();
  void FillStep();
  void InsertPiece(const TPanePiece& piece);
  void EndFill(navirt::TPaneBytes bytes, std::optional<navirt::TUnicodePane> unicode);
  void SetScreenText(const std::string& lfText);
  void MarkOriginalLines(const std::vector<bool>& continues);
  friend class TPaneStep;
  void ReplaceAsStep(navirt::TPaneBytes next);
  void MarkStates();
  std::vector<navirt::PaneLine> PaneLines() const;
  void OnContentsChange(int pos, int removed, int added);

  int tabWidth_ = 8;
  bool rich_ = false;
  bool loading_ = false;
  bool marking_ = false;
  bool commandAdded_ = false;
  navirt::TPaneBytes original_;
  mutable std::optional<navirt::TUnicodePane> unicode_;
  std::shared_ptr<TPaneFeed> feed_;
  QTimer* fillTimer_ = nullptr;
  int fillLines_ = 0;
  int fillBlocks_ = 0;
  mutable int lineCount_ = -1;  // -1: count again
};
