// untag: HTML or TeX markup to text, as the pane's commands do it.
#include <string>

#include "edit/LineTextForms.h"
#include "edit/MarkupStrip.h"
#include "edit/PaneText.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

int CmdUntag(int argc, char** argv) {
  if (argc < 1 || argc > 2) return Fail("usage: untag html|html-tab-trim-empty|html-tab-empty|html-empty|tex [FILE]");
  std::string mode = argv[0];
  HtmlVariant v = HtmlVariant::Plain;
  bool tex = false;
  if (mode == "html") {
    v = HtmlVariant::Plain;
  } else if (mode == "html-tab-trim-empty") {
    v = HtmlVariant::TabTrimEmpty;
  } else if (mode == "html-tab-empty") {
    v = HtmlVariant::TabEmpty;
  } else if (mode == "html-empty") {
    v = HtmlVariant::Empty;
  } else if (mode == "tex") {
    tex = true;
  } else {
    return Fail("untag: unknown mode '" + mode + "' (html, html-tab-trim-empty, html-tab-empty, html-empty, tex)");
  }
  std::string input;
  if (!ReadInput(argc > 1 ? argv[1] : std::string(), input)) return kExitUsage;
  if (tex) {
    // Whole text, written in pieces: no string per line.
    std::string buf;
    bool writeFailed = false;
    TLineJoiner j(buf, [&](std::string_view piece) {
      if (!writeFailed && !WriteOutput(piece)) writeFailed = true;
    });
    StripTexText(std::move(input), j);
    if (j.Any()) buf.append("\r\n");  // every line ends, the last one too
    j.Finish();
    return writeFailed ? WriteError() : kExitOk;
  }
  LineList lines = SplitLines(input);
  std::string().swap(input);
  // An empty text stays empty, as the pane does nothing on an empty pane.
  if (!lines.empty()) lines = tex ? StripTex(lines) : StripHtmlVariant(lines, v).lines;
  if (!WriteOutput(JoinLines(lines)) || (!lines.empty() && !WriteOutput("\r\n"))) return WriteError();
  return kExitOk;
}

}  // namespace navirt::tool
