#pragma once
// The preview and edit pane. It holds CP932 bytes; the screen shows them
// through the lossless decoder, so untouched bytes are saved unchanged.
// Lines are grouped into blocks of the text document for speed (see the
// .cpp): count lines with LineCount()/Line()/CaretLine(), never blocks.
#include <QPlainTextEdit>

#include <string>
#include <string_view>
#include <vector>

class TRichEdit : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit TRichEdit(QWidget* parent = nullptr);

  // The whole text: lines joined by CR LF, as CP932 bytes.
  std::string Text() const;
  // Replaces the text; bytes are split into lines at CR LF, CR or LF.
  // Clears the modified flag and the undo history.
  void SetText(std::string_view bytes);
  void Clear();
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
  int LineCount() const;
  std::string Line(int index) const;

  // The selection as CP932 bytes (line breaks as CR LF).
  std::string SelText() const;
  void SetSelText(std::string_view bytes);

  bool Modified() const;
  void SetModified(bool modified);
  bool ReadOnly() const { return isReadOnly(); }

  // Tab stops in characters of the pane's font.
  void SetTabWidth(int chars);
  int TabWidth() const { return tabWidth_; }
  void SetWordWrap(bool on);
  bool WordWrap() const;

  // Caret line and column, 1-based; the column counts bytes.
  int CaretLine() const;
  int CaretColumn() const;

  static QString ToScreen(std::string_view bytes);
  static std::string FromScreen(const QString& text);

 private:
  void SetScreenText(const std::string& lfText);

  int tabWidth_ = 8;
  // Text() of a freshly loaded, untouched pane, built from the bytes.
  std::string cachedText_;
  bool cacheValid_ = true;
};
