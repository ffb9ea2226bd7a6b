#pragma once
// HTML and TeX markup to plain text, over the pane's lines.
//
// The HTML stripper is fed one source line at a time so that a job can run
// it in steps, report progress and stop: line-breaking tags end an output
// line, list items get a bullet, rules a row of hyphens, other tags and
// comments go, and a few entities are resolved at the end.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "edit/LineCommands.h"

namespace navirt {

// Whether a tag's content (between "<" and ">", upper case) ends a line.
bool IsLineBreakingTag(std::string_view upperContent);

class THtmlStripper {
 public:
  void AddLine(std::string_view line);
  // All lines fed: the text after the last line-breaking tag becomes the
  // last line, entities are resolved, an empty line goes in at index 1.
  LineList Finish();
  // Stopped by the user: the lines so far and "中断しました！", entities
  // left as they are.
  LineList Abort();

  const LineList& Output() const { return out_; }

 private:
  void Emit(std::string_view text);
  void RunTags();
  void Compact();

  LineList out_;
  std::string clean_;  // text before the buffer's first "<" with no ">" in it
  std::string buf_;    // the rest of the work buffer, from pos_
  size_t pos_ = 0;
  size_t ltFrom_ = 0, gtFrom_ = 0;  // no "<" / ">" in [pos_, these)
  size_t commentFrom_ = 0, commentEndFrom_ = 0;
  bool pre_ = false;
};

// Resolves &lt; &gt; &amp; &quot; &reg; &copy; &nbsp; (any case), one entity
// after the other over all lines.
void ResolveEntities(LineList& lines);

// The stripper over all lines. progress(done, total) is asked before each
// source line; returning false stops it (the result then ends with
// "中断しました！").
struct THtmlResult {
  LineList lines;
  bool aborted = false;
};
using THtmlProgress = std::function<bool(size_t done, size_t total)>;
THtmlResult StripHtml(const LineList& lines, const THtmlProgress& progress = {});

// The three variants: the stripper followed by line commands.
enum class HtmlVariant { Plain, TabTrimEmpty, TabEmpty, Empty };
THtmlResult StripHtmlVariant(const LineList& lines, HtmlVariant v, const THtmlProgress& progress = {});

class TAWKStr;

// TeX commands, environments and comments deleted through the engine's
// global substitution (the window passes its AWKStr1, whose cache then
// keeps the compiled expressions); then every "{}" and "[]".
std::string StripTex(std::string_view text, TAWKStr& awk);
void StripTexInPlace(std::string& text, TAWKStr& awk);
std::string StripTex(std::string_view text);
LineList StripTex(const LineList& lines);

// "中断しました！" in CP932.
std::string AbortedLine();

}  // namespace navirt
