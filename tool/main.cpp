// navirt-tool: the core of Navirt from a shell.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "tool/Commands.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

using namespace navirt::tool;
using navirt::Msg;
using navirt::Tr;

namespace {

// One line per subcommand; each subsystem adds its own.
const Command kCommands[] = {
    {"arc",
     CmdArchive,
     {"arc list|preview|extract|create|check ARCHIVE [-o DIR | FILE...]  archives",
      "arc list|preview|extract|create|check ARCHIVE [-o DIR | FILE...]  書庫"}},
    {"detect",
     CmdDetect,
     {"detect [--unicode] [FILE...]  print the detected character code (--unicode: UTF-8/UTF-16 labels first)",
      "detect [--unicode] [FILE...]  文字コードを判定して表示 (--unicode: UTF-8/UTF-16 の判定を先に)"}},
    {"grep",
     CmdGrep,
     {"grep [-n] [--fuzzy] [-u] [--auto] [--sjis-args] EXPR FILE...  lines matching a regular expression (--auto: each "
      "file in its detected code)",
      "grep [-n] [--fuzzy] [-u] [--auto] [--sjis-args] EXPR FILE...  正規表現に一致する行 (--auto: "
      "ファイルごとに判定した文字コードで)"}},
    {"match",
     CmdMatch,
     {"match [--fuzzy] [--sjis-args] EXPR [FILE]  position and length of the first match",
      "match [--fuzzy] [--sjis-args] EXPR [FILE]  最初に一致した位置と長さ"}},
    {"gsub",
     CmdGsub,
     {"gsub [--fuzzy] [--sjis-args] EXPR TEMPLATE [FILE]  replace every match (count on stderr)",
      "gsub [--fuzzy] [--sjis-args] EXPR TEMPLATE [FILE]  一致をすべて置換 (件数は標準エラーへ)"}},
    {"hexdump",
     CmdHexdump,
     {"hexdump [FILE]              the standard hexadecimal dump (heading and data lines)",
      "hexdump [FILE]              標準の 16 進ダンプ (見出しとデータ行)"}},
    {"conv",
     CmdConv,
     {"conv MODE [FILE]            code conversion; MODE "
      "auto|to-jis|to-euc|to-sjis|jis2sjis|jis2euc|euc2sjis|euc2jis|sjis2jis|sjis2euc|utf8-sjis|sjis-utf8|utf16-sjis|"
      "euc-utf8|jis-utf8|auto-utf8",
      "conv MODE [FILE]            文字コード変換。MODE は "
      "auto|to-jis|to-euc|to-sjis|jis2sjis|jis2euc|euc2sjis|euc2jis|sjis2jis|sjis2euc|utf8-sjis|sjis-utf8|utf16-sjis|"
      "euc-utf8|jis-utf8|auto-utf8"}},
    {"eol",
     CmdEol,
     {"eol FROM TO [FILE]          line ends; FROM auto|crlf|cr|lf, TO crlf|cr|lf",
      "eol FROM TO [FILE]          改行コード。FROM は auto|crlf|cr|lf、TO は crlf|cr|lf"}},
    {"encode",
     CmdEncode,
     {"encode base64|mime|uu|binhex [FILE]  into a transfer encoding",
      "encode base64|mime|uu|binhex [FILE]  転送用に符号化"}},
    {"decode",
     CmdDecode,
     {"decode base64|mime|uu|binhex [FILE]  out of a transfer encoding",
      "decode base64|mime|uu|binhex [FILE]  転送用の符号化を復号"}},
    {"lines",
     CmdLines,
     {"lines [--sjis-args] COMMAND [ARGS] [FILE]  pane line commands (lines --help)",
      "lines [--sjis-args] COMMAND [ARGS] [FILE]  ペインの行コマンド (lines --help)"}},
    {"untag",
     CmdUntag,
     {"untag html|html-tab-trim-empty|html-tab-empty|html-empty|tex [FILE]  markup to text",
      "untag html|html-tab-trim-empty|html-tab-empty|html-empty|tex [FILE]  マークアップをテキストに"}},
    {"sysinfo",
     CmdSysinfo,
     {"sysinfo report|drive|date|about|url|help  system report, drive figures, date window, URL rule, help page",
      "sysinfo report|drive|date|about|url|help  システム情報、ドライブ情報、日付、URL の規則、ヘルプのページ"}},
    {"split",
     CmdSplit,
     {"split [--force] FILE SIZE   pieces FILE.001... and the FILE.bat that joins them",
      "split [--force] FILE SIZE   FILE.001... に分割し、結合用の FILE.bat を作成"}},
    {"merge",
     CmdMerge,
     {"merge TARGET FILE...        join FILEs into TARGET, record TARGET.bat",
      "merge TARGET FILE...        FILE を TARGET に結合し、TARGET.bat に記録"}},
    {"fileop",
     CmdFileop,
     {"fileop copy|move|trash|delete|names ...  file operations (fileop with no arguments: usage)",
      "fileop copy|move|trash|delete|names ...  ファイル操作 (引数なしの fileop で使い方)"}},
    {"width",
     CmdWidth,
     {"width h2z|z2h|kana|space [FILE]   half-/full-width conversions",
      "width h2z|z2h|kana|space [FILE]   半角・全角の変換"}},
};

constexpr Msg kHelpHead{
    "Usage: navirt-tool COMMAND [ARGS...]\n\n"
    "Reads FILE or standard input, writes bytes to standard output.\n"
    "Exit status: 0 success, 1 no match, 2 bad usage or unreadable input.\n"
    "Text arguments are UTF-8 and converted to Shift_JIS; --sjis-args takes\n"
    "them as raw Shift_JIS bytes instead.\n\n"
    "Commands:\n",
    "使い方: navirt-tool COMMAND [ARGS...]\n\n"
    "FILE または標準入力を読み、バイト列を標準出力に書きます。\n"
    "終了ステータス: 0 成功、1 一致なし、2 使い方の誤りまたは入力を読めない。\n"
    "文字列の引数は UTF-8 で、Shift_JIS に変換されます。--sjis-args を付けると\n"
    "Shift_JIS のバイト列そのままとして扱います。\n\n"
    "コマンド:\n"};
constexpr Msg kHelpTail{"\n  --help       this text (COMMAND --help: that command's)\n  --version    the version\n",
                        "\n  --help       この説明 (COMMAND --help: そのコマンドの説明)\n  --version    版を表示\n"};
constexpr Msg kCommandHelp{
    "Usage: navirt-tool {1}\n\n"
    "Reads FILE or standard input, writes bytes to standard output.\n"
    "Exit status: 0 success, 1 no match, 2 bad usage or unreadable input.\n",
    "使い方: navirt-tool {1}\n\n"
    "FILE または標準入力を読み、バイト列を標準出力に書きます。\n"
    "終了ステータス: 0 成功、1 一致なし、2 使い方の誤りまたは入力を読めない。\n"};

void PrintHelp() {
  std::fputs(Tr(kHelpHead), stdout);
  for (const Command& c : kCommands) std::printf("  %s\n", Tr(c.usage));
  std::fputs(Tr(kHelpTail), stdout);
}

void PrintCommandHelp(const Command& c) { std::fputs(Tr(kCommandHelp, {Tr(c.usage)}).c_str(), stdout); }

bool IsHelp(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

int RunCommand(const Command& c, int argc, char** argv) {
  if (argc >= 1 && IsHelp(argv[0]) && std::strcmp(c.name, "lines") != 0) {
    PrintCommandHelp(c);
    return kExitOk;
  }
  try {
    return c.run(argc, argv);
  } catch (const std::bad_alloc&) {
    return Fail(Tr(msg::kOutOfMemory));
  }
}

// Every command's last word: what it wrote must have arrived.
int Finish(int rc) {
  if (!OutputOk()) return WriteError();
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp();
    return kExitUsage;
  }
  std::string cmd = argv[1];
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    PrintHelp();
    return Finish(kExitOk);
  }
  if (cmd == "--version") {
    std::printf("navirt-tool %s\n", NAVIRT_VERSION);
    return Finish(kExitOk);
  }
  for (const Command& c : kCommands) {
    if (cmd == c.name) return Finish(RunCommand(c, argc - 2, argv + 2));
  }
  return Fail(Tr(msg::kUnknownCommand, {cmd}));
}
