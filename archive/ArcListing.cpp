#include "archive/ArcListing.h"

#include <cstdio>
#include <cstring>

#include "platform/Cp932.h"

namespace navirt {

namespace {
const char* const kHeader = "  Name            Original    Packed    Ratio   Date     Time   Attr Type  CRC";
const char* const kDash = "--------------  ----------  ---------- ------ -------- -------- ---- ----- ----";

}  // namespace

namespace {
// Right-aligned decimal in width (wider numbers are not cut).
void AppendNum(std::string& out, unsigned long long v, int width) {
  char buf[24];
  int n = 0;
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v);
  for (int k = n; k < width; ++k) out += ' ';
  while (n) out += buf[--n];
}
void AppendTwo(std::string& out, unsigned v, char after) {
  out += static_cast<char>('0' + (v / 10) % 10);
  out += static_cast<char>('0' + v % 10);
  out += after;
}
}  // namespace

namespace {
void AppendListingLine(std::string& line, const TIndividualInfo& e) {
  std::string_view name(e.szFileName, strnlen(e.szFileName, sizeof e.szFileName));
  size_t slash = name.rfind('/');
  bool inFolder = slash != std::string_view::npos;
  std::string_view last = inFolder ? name.substr(slash + 1) : name;
  // Twelve bytes of the last part, never half a double-byte character,
  // padded with blanks.
  size_t cut = 0;
  while (cut < last.size()) {
    size_t step = IsSjisLead(static_cast<unsigned char>(last[cut])) ? 2 : 1;
    if (cut + step > 12) break;
    cut += step;
  }
  line += inFolder ? "+ " : "  ";
  line.append(last.substr(0, cut));
  line.append(12 - cut, ' ');
  line += "  ";
  AppendNum(line, e.dwOriginalSize, 10);
  line += "  ";
  AppendNum(line, e.dwCompressedSize, 10);
  line += ' ';
  // The ratio is in tenths, so "%5.1f" of it is exact digits.
  AppendNum(line, e.wRatio / 10u, 3);
  line += '.';
  line += static_cast<char>('0' + e.wRatio % 10);
  line += "% ";
  unsigned d = e.wDate, t = e.wTime;
  AppendTwo(line, (1980 + (d >> 9)) % 100, '-');
  AppendTwo(line, (d >> 5) & 15, '-');
  AppendTwo(line, d & 31, ' ');
  AppendTwo(line, t >> 11, ':');
  AppendTwo(line, (t >> 5) & 63, ':');
  AppendTwo(line, (t & 31) * 2, ' ');
  line.append(e.szAttribute, strnlen(e.szAttribute, sizeof e.szAttribute));
  line += ' ';
  line.append(e.szMode, strnlen(e.szMode, sizeof e.szMode));
  line += ' ';
  static const char hex[] = "0123456789ABCDEF";
  char crc[8];
  int n = 0;
  uint32_t c = e.dwCRC;
  do {
    crc[n++] = hex[c & 15];
    c >>= 4;
  } while (c);
  for (int k = n; k < 4; ++k) line += '0';
  while (n) line += crc[--n];
  line += ' ';
  line.append(name);
  line += ' ';
}
}  // namespace

std::string ArchiveListingLine(const TIndividualInfo& e) {
  std::string line;
  AppendListingLine(line, e);
  return line;
}

TArchiveListing::TArchiveListing(const std::string& path) {
  text_ = "\r\nListing of archive : " + Utf8ToCp932(path) + "\r\n\r\n";
  text_ += kHeader;
  text_ += "\r\n";
  text_ += kDash;
  text_ += "\r\n";
}

void TArchiveListing::Add(const TIndividualInfo& e) {
  AppendListingLine(text_, e);
  text_ += "\r\n";
  total_ += e.dwOriginalSize;
  packed_ += e.dwCompressedSize;
  ++count_;
}

std::string TArchiveListing::Finish() {
  text_ += kDash;
  text_ += "\r\n";
  char buf[128];
  double denom = total_ > 0 ? static_cast<double>(total_) : 1.0;
  std::snprintf(buf, sizeof buf, "%6zu files    %10llu  %10llu %5.1f", count_, total_, packed_,
                static_cast<double>(packed_) / denom * 100.0);
  text_ += buf;
  text_ += "%\r\n";
  return std::move(text_);
}

std::string ArchiveListingText(const std::string& path, const std::vector<TIndividualInfo>& entries) {
  TArchiveListing l(path);
  for (const auto& e : entries) l.Add(e);
  return l.Finish();
}

std::vector<TIndividualInfo> ReadArchiveEntries(TArchiveFile& file, const std::string& wild) {
  std::vector<TIndividualInfo> out;
  TIndividualInfo info;
  for (int r = file.FindFirst(wild, info); r == 0; r = file.FindNext(info)) out.push_back(info);
  return out;
}

std::string ArchiveResultMessage(int code) {
  switch (code) {
    case 0x8005:
      return "ディスクの空きが足りません。格納時はエラーとなりますが，展開時は当該格納ファイルの展開をスキップして次の"
             "ファイルの展開に移ります。";
    case 0x8006:
      return "展開先のファイルはリードオンリーです。";
    case 0x8007:
      return "ユーザーによって処理がスキップされました。";
    case 0x800C:
      return "格納ファイルのチェックサムが合っていません。";
    case 0x800D:
      return "ファイルを開けませんでした。";
    case 0x800E:
      return "より新しいファイルが展開先に存在しています。";
    case 0x800F:
      return "ファイルは展開先に存在していません。";
    case 0x8010:
      return "ファイルは既に存在しています。";
    case 0x8012:
      return "ディレクトリが作成できません。";
    case 0x8013:
      return "書き込みエラーが生じました。";
    case 0x8014:
      return "格納ファイルのハフマンコードが壊れています。";
    case 0x8016:
      return "書庫のヘッダのチェックサムが合っていません。";
    case 0x8017:
      return "書庫のヘッダが壊れています。";
    case 0x8018:
      return "書庫を開く事が出来ません。";
    case 0x8019:
      return "書庫のファイル名が指定されていません。";
    case 0x801A:
      return "ファイルの読み込み時にエラーが生じました。";
    case 0x801B:
      return "指定されたファイルは有効な LZH 書庫ではありません。";
    case 0x801C:
      return "コマンド指定が間違っています。";
    case 0x801D:
      return "作業用のためのヒープメモリが不足しています。実際には BC++ のランタイムである malloc() "
             "がエラーとなったときにこのエラーとなります。";
    case 0x801E:
      return "グローバルメモリが不足しています。";
    case 0x801F:
      return "既に UNLHA32.DLL が動作中です。";
    case 0x8020:
      return "ユーザーによって処理を中断されました。";
    case 0x8021:
      return "UnlhaOpenArchive()  で書庫とハンドルを関連付ける前に UnlhaFindFirst() 等の API が使用されました。";
    case 0x8022:
      return "UnlhaFindFirst() を使用する前に UnlhaFindNext() が呼ばれた。または，これらを呼び出す前に  "
             "UnlhaGet-FileName() 等の API が呼ばれました。";
    case 0x8023:
      return "UNLHA32.DLL  でサポートされていない API が使用されました。";
    case 0x8024:
      return "日付及び時間の指定形式が間違っています。";
    case 0x8025:
      return "作業ファイルが作成できません。";
    case 0x8026:
      return "ディレクトリのパスが長すぎます。";
    case 0x8027:
      return "書き込み専用属性の書庫に対する操作はできません。";
    case 0x8028:
      return "すでに同じ名前のファイルが書庫に格納されています。";
    case 0x8029:
      return "指定されたディレクトリには書庫がありませんでした。";
    case 0x802A:
      return "レスポンスファイルの読み込み時にエラーが生じました。";
    case 0x802B:
      return "ファイル名の指定が必要です。";
    case 0x802C:
      return "作業ファイルの書庫への書き戻しができませんでした。";
    case 0x802D:
      return "書庫のデータが欠落しています。";
    default:
      return "";
  }
}

}  // namespace navirt
