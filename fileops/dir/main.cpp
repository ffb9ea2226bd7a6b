// navirt-dir: the directory listing Navirt shows in its pane, in the layout
// of a Japanese command prompt. UTF-8 output, or CP932 with --sjis.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fileops/DirListing.h"
#include "platform/Cp932.h"
#include "platform/Messages.h"

namespace {

constexpr navirt::Msg kHelp{
    "Usage: navirt-dir [--sjis] [PATH] [/A:[-]D|R|H|S|A] [/O:[-]N|S|E|D|G|A] [/S] [/B] [/W] [/V] [/L]\n\n"
    "Lists PATH (a folder, or names with * and ?) as a Japanese command\n"
    "prompt's dir does.\n"
    "  /A  only entries with (or, after -, without) the attributes: D folder,\n"
    "      R read-only, H hidden, S system, A archive; /A alone lists all\n"
    "  /O  order: N name, S size, E extension, D date, G folders first,\n"
    "      A last access; - reverses\n"
    "  /S  subfolders too   /B  names only   /W  wide   /V  verbose   /L  lower case\n"
    "  --sjis  Shift_JIS output with CR LF, in Japanese (what Navirt's window runs)\n"
    "Exit status: 0 listed, 1 nothing matched or a folder could not be read, 2 bad usage.\n",
    "使い方: navirt-dir [--sjis] [PATH] [/A:[-]D|R|H|S|A] [/O:[-]N|S|E|D|G|A] [/S] [/B] [/W] [/V] [/L]\n\n"
    "PATH (フォルダー、または * と ? を使った名前) を日本語のコマンド\n"
    "プロンプトの dir と同じ形で一覧にします。\n"
    "  /A  属性のある (- を付けるとない) ものだけ: D フォルダー、R 読み取り専用、\n"
    "      H 隠し、S システム、A アーカイブ。/A だけならすべて\n"
    "  /O  順序: N 名前、S サイズ、E 拡張子、D 日付、G フォルダーを先に、\n"
    "      A 最終アクセス。- で逆順\n"
    "  /S  サブフォルダーも   /B  名前だけ   /W  横に並べる   /V  詳しく   /L  小文字\n"
    "  --sjis  Shift_JIS と CR LF で日本語の出力 (Navirt のウィンドウが使う形)\n"
    "終了ステータス: 0 一覧した、1 一致なしまたは読めないフォルダーがある、2 使い方の誤り。\n"};
constexpr navirt::Msg kWriteError{"navirt-dir: write error: {1}\n", "navirt-dir: 書き込みエラー: {1}\n"};

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    // What the window runs: its listing is Japanese, as the window is.
    if (a == "--sjis") navirt::SetMessageLanguage(navirt::MsgLang::Japanese);
  }
  for (const std::string& a : args) {
    if (a == "--help") {
      std::fputs(navirt::Tr(kHelp), stdout);
      return 0;
    }
  }
  navirt::DirOptions o;
  std::string error;
  if (!navirt::ParseDirArgs(args, o, error)) {
    std::string text = error + (o.sjis ? "\r\n" : "\n");
    if (o.sjis) text = navirt::Utf8ToCp932(text);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 2;
  }
  std::string out;
  int status = navirt::DirListing(o, out);
  if (o.sjis) out = navirt::Utf8ToCp932(out);
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fputs(navirt::Tr(kWriteError, {navirt::ErrorText(errno)}).c_str(), stderr);
    return 2;
  }
  return status;
}
