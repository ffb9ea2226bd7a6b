#include "preview/InfoLine.h"

#include <cctype>

#include "platform/Format.h"

namespace navirt {

std::string InfoLinePieces1To8(const std::string& path, const FileStat& st) {
  std::string s = FileNamePart(path);
  s += "   ";
  s += st.found ? FormatN15(st.size) + " byte" : std::string("- ");
  s += "   ";
  s += FormatDateYmdW(st.mtime);
  s += "   ";
  s += AttributeLetters(st);
  s += "    ";
  s += FolderPart(path);
  s += "    ";
  return s;
}

std::string InfoLinePiece9(const std::string& typeLabel, const std::string& codeLabel) {
  return "    " + typeLabel + "  " + codeLabel;
}

std::string UpperExtension(const std::string& path) {
  std::string name = FileNamePart(path);
  auto dot = name.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

std::string SniffFileType(std::string_view line, const std::string& path) {
  if (line.empty() || path.empty()) return {};
  auto starts = [&](std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; };
  const char* label = nullptr;
  if (starts("MZ"))
    label = "実行ファイル";
  else if (starts("BM"))
    label = "ﾋﾞｯﾄﾏｯﾌﾟ";
  else if (starts("DCU1"))
    label = "DEL_U1";
  else if (starts("HSPP"))
    label = "DEL_U2";
  else if (starts(std::string_view("\x41\x86\x51\x44", 4)))
    label = "DEL_U3";
  else if (starts("program"))
    label = "Delphi program";
  else if (starts("unit"))
    label = "Delphi unit";
  else if (starts("{\\rtf"))
    label = "ﾘｯﾁテキスト";
  else if (starts("?_") && UpperExtension(path) == ".HLP")
    label = "Helpファイル";
  if (!label) return {};
  return std::string("[") + label + "]";
}

std::string_view FirstLine(std::string_view text) {
  size_t e = text.find_first_of("\r\n");
  return e == std::string_view::npos ? text : text.substr(0, e);
}

}  // namespace navirt
