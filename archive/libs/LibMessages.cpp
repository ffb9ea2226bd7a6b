#include "archive/libs/LibMessages.h"

#include <iterator>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc {

namespace {
// The readers' and the extraction's reasons, keyed by their English text; a
// key ending in a blank begins a reason that names something after it.
const Msg kReasons[] = {
    {"write error", "書き込みエラー"},
    {"CRC mismatch", "CRC が一致しません"},
    {"truncated header", "ヘッダーが途中で切れています"},
    {"stored sizes differ", "格納されたサイズが一致しません"},
    {"cannot open ", "開けません: "},
    {"cannot open", "開けません"},
    {"broken file header", "ファイルのヘッダーが壊れています"},
    {"no such entry", "その格納ファイルはありません"},
    {"entry data runs past the end", "格納データが書庫の終わりを越えています"},
    {"entry data runs past the end of the archive", "格納データが書庫の終わりを越えています"},
    {"compressed data is broken", "圧縮データが壊れています"},
    {"broken header", "ヘッダーが壊れています"},
    {"broken block header", "ブロックのヘッダーが壊れています"},
    {"unsupported method ", "対応していない圧縮方式です: "},
    {"not an LHA archive", "LHA 書庫ではありません"},
    {"not an LHA header", "LHA のヘッダーではありません"},
    {"not a tar or compressed file", "tar 書庫でも圧縮ファイルでもありません"},
    {"name runs past the header", "名前がヘッダーの外にはみ出しています"},
    {"match points before the start", "圧縮データが先頭より前を指しています"},
    {"header size too small", "ヘッダーのサイズが小さすぎます"},
    {"empty name", "名前が空です"},
    {"compressed data ends early", "圧縮データが途中で終わっています"},
    {"cannot create folder ", "フォルダーを作成できません: "},
    {"broken compressed data", "圧縮データが壊れています"},
    {"broken central directory", "セントラルディレクトリが壊れています"},
    {"block header CRC mismatch", "ブロックのヘッダーの CRC が一致しません"},
    {"unsupported", "対応していません"},
    {"unknown header level", "ヘッダーのレベルが不明です"},
    {"truncated level-1 header", "レベル 1 のヘッダーが途中で切れています"},
    {"truncated folder table", "フォルダー表が途中で切れています"},
    {"truncated file table", "ファイル表が途中で切れています"},
    {"the linked file ", "リンク元のファイル "},
    {"the archive's headers are encrypted", "書庫のヘッダーが暗号化されています"},
    {"stored entry has mismatched sizes", "無圧縮の格納ファイルのサイズが一致しません"},
    {"stored block sizes differ", "無圧縮ブロックのサイズが一致しません"},
    {"stopped", "中止しました"},
    {"size mismatch", "サイズが一致しません"},
    {"same or newer file exists, skipped", "同じか新しいファイルがあるため、スキップしました"},
    {"path through a symbolic link refused", "シンボリックリンクを通る場所には展開しません"},
    {"out of memory", "メモリーが足りません"},
    {"not supported", "対応していません"},
    {"not an ARJ archive", "ARJ 書庫ではありません"},
    {"not a cabinet", "CAB 書庫ではありません"},
    {"not a RAR archive", "RAR 書庫ではありません"},
    {"not a BGA archive", "BGA 書庫ではありません"},
    {"no ZIP end record", "ZIP の終端レコードがありません"},
    {"header checksum mismatch", "ヘッダーのチェックサムが一致しません"},
    {"folder", "フォルダーです"},
    {"folder data ends early", "フォルダーのデータが途中で終わっています"},
    {"file too large for this header", "この形式のヘッダーには大きすぎるファイルです"},
    {"extended headers larger than the entry", "拡張ヘッダーが格納ファイルより大きくなっています"},
    {"entry order differs from the headers", "格納順がヘッダーと異なります"},
    {"encrypted", "暗号化されています"},
    {"encrypted entry", "暗号化された格納ファイルです"},
    {"drive prefix refused", "ドライブ名の付いた名前には展開しません"},
    {"data block checksum mismatch", "データブロックのチェックサムが一致しません"},
    {"central directory out of range", "セントラルディレクトリが範囲外です"},
    {"cannot read", "読み込めません"},
    {"cannot read ", "読み込めません: "},
    {"cannot read the compressed stream", "圧縮データを読み込めません"},
    {"cannot read the response file ", "レスポンスファイルを読み込めません: "},
    {"cannot copy ", "コピーできません: "},
    {"broken local header", "ローカルヘッダーが壊れています"},
    {"broken file name", "ファイル名が壊れています"},
    {"broken extended header", "拡張ヘッダーが壊れています"},
    {"broken data", "データが壊れています"},
    {"broken data block", "データブロックが壊れています"},
    {"broken block", "ブロックが壊れています"},
    {"broken archive", "書庫が壊れています"},
    {"broken Huffman tables", "ハフマン表が壊れています"},
    {"bad offset", "位置が正しくありません"},
    {"already exists, skipped", "既にあるため、スキップしました"},
    {"absolute path refused", "絶対パスには展開しません"},
    {"a folder of that name exists", "同じ名前のフォルダーがあります"},
    {"a file stands in the way of folder ", "フォルダーと同じ名前のファイルがあります: "},
    {"\"..\" in the path refused", "パスに \"..\" を含む名前には展開しません"},
    {"link points outside the folder", "リンク先が展開先フォルダーの外を指しています"},
    {"MSZIP data is broken", "MSZIP のデータが壊れています"},
    {"MSZIP block without its signature", "MSZIP のブロックに識別子がありません"},
};
}  // namespace

std::string Text932(const Msg& m, std::initializer_list<std::string_view> cp932Args) {
  // Converted before the names go in: they are CP932 already.
  const std::string text = NameToCp932(Tr(m));
  std::string out;
  out.reserve(text.size() + 64);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' && text[i + 2] == '}') {
      const size_t n = static_cast<size_t>(text[i + 1] - '1');
      if (n < cp932Args.size()) out += *(cp932Args.begin() + n);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

void Report::Say(const Msg& m, std::initializer_list<std::string_view> cp932Args) { Line(Text932(m, cp932Args)); }

void Report::SayUtf8(const Msg& m, std::initializer_list<std::string_view> utf8Args) { Utf8Line(Tr(m, utf8Args)); }

std::string Reason(std::string_view en) { return TrFrom(kReasons, std::size(kReasons), en); }

std::string Reason932(std::string_view en) { return NameToCp932(Reason(en)); }

}  // namespace navirt::arc
