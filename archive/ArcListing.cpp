#include "archive/ArcListing.h"

#include <cstdio>
#include <cstring>

#include "platform/Cp932.h"

namespace navirt {

namespace {
const char* const kHeader = "  Name            Original    Packed    Ratio   Date     Time   Attr Type  CRC";
const char* const kDash = "--------------  ----------  ---------- ------ -------- -------- ---- ----- ----";

std::string Field(const char* p, size_t max) { return std::string(p, strnlen(p, max)); }
}  // namespace

std::string ArchiveListingLine(const TIndividualInfo& e) {
  std::string name = Field(e.szFileName, sizeof e.szFileName);
  bool inFolder = name.find('/') != std::string::npos;
  std::string shortName = name + std::string(12, ' ');
  size_t slash = shortName.rfind('/');
  if (slash != std::string::npos) shortName.erase(0, slash + 1);
  // Twelve bytes, but never half a double-byte character.
  size_t cut = 0;
  while (cut < shortName.size()) {
    size_t step = IsSjisLead(static_cast<unsigned char>(shortName[cut])) ? 2 : 1;
    if (cut + step > 12) break;
    cut += step;
  }
  shortName = shortName.substr(0, cut);
  shortName.resize(12, ' ');
  char buf[160];
  std::string line = inFolder ? "+" : " ";
  std::snprintf(buf, sizeof buf, " %12s  %10u  %10u %5.1f", shortName.c_str(), e.dwOriginalSize,
                e.dwCompressedSize, e.wRatio / 10.0);
  line += buf;
  line += "% ";
  unsigned d = e.wDate, t = e.wTime;
  std::snprintf(buf, sizeof buf, "%02u-%02u-%02u %02u:%02u:%02u ", (1980 + (d >> 9)) % 100, (d >> 5) & 15, d & 31,
                t >> 11, (t >> 5) & 63, (t & 31) * 2);
  line += buf;
  line += Field(e.szAttribute, sizeof e.szAttribute) + " " + Field(e.szMode, sizeof e.szMode) + " ";
  std::snprintf(buf, sizeof buf, "%04X ", e.dwCRC);
  line += buf;
  line += name + " ";
  return line;
}

std::string ArchiveListingText(const std::string& path, const std::vector<TIndividualInfo>& entries) {
  std::string out;
  auto add = [&out](const std::string& l) {
    out += l;
    out += "\r\n";
  };
  add("");
  add("Listing of archive : " + Utf8ToCp932(path));
  add("");
  add(kHeader);
  add(kDash);
  unsigned long long total = 0, packed = 0;
  for (const auto& e : entries) {
    add(ArchiveListingLine(e));
    total += e.dwOriginalSize;
    packed += e.dwCompressedSize;
  }
  add(kDash);
  char buf[128];
  double denom = total > 0 ? static_cast<double>(total) : 1.0;
  std::snprintf(buf, sizeof buf, "%6zu files    %10llu  %10llu %5.1f", entries.size(), total, packed,
                static_cast<double>(packed) / denom * 100.0);
  add(std::string(buf) + "%");
  return out;
}

std::vector<TIndividualInfo> ReadArchiveEntries(TArchiveFile& file, const std::string& wild) {
  std::vector<TIndividualInfo> out;
  TIndividualInfo info;
  for (int r = file.FindFirst(wild, info); r == 0; r = file.FindNext(info)) out.push_back(info);
  return out;
}

std::string ArchiveResultMessage(int code) {
  switch (code) {
    case 0x8005: return "ディスクの空きが足りません。格納時はエラーとなりますが，展開時は当該格納ファイルの展開をスキップして次のファイルの展開に移ります。";
    case 0x8006: return "展開先のファイルはリードオンリーです。";
    case 0x8007: return "ユーザーによって処理がスキップされました。";
    case 0x800C: return "格納ファイルのチェックサムが合っていません。";
    case 0x800D: return "ファイルを開けませんでした。";
    case 0x800E: return "より新しいファイルが展開先に存在しています。";
    case 0x800F: return "ファイルは展開先に存在していません。";
    case 0x8010: return "ファイルは既に存在しています。";
    case 0x8012: return "ディレクトリが作成できません。";
    case 0x8013: return "書き込みエラーが生じました。";
    case 0x8014: return "格納ファイルのハフマンコードが壊れています。";
    case 0x8016: return "書庫のヘッダのチェックサムが合っていません。";
    case 0x8017: return "書庫のヘッダが壊れています。";
    case 0x8018: return "書庫を開く事が出来ません。";
    case 0x8019: return "書庫のファイル名が指定されていません。";
    case 0x801A: return "ファイルの読み込み時にエラーが生じました。";
    case 0x801B: return "指定されたファイルは有効な LZH 書庫ではありません。";
    case 0x801C: return "コマンド指定が間違っています。";
    case 0x801D: return "作業用のためのヒープメモリが不足しています。実際には BC++ のランタイムである malloc() がエラーとなったときにこのエラーとなります。";
    case 0x801E: return "グローバルメモリが不足しています。";
    case 0x801F: return "既に UNLHA32.DLL が動作中です。";
    case 0x8020: return "ユーザーによって処理を中断されました。";
    case 0x8021: return "UnlhaOpenArchive()  で書庫とハンドルを関連付ける前に UnlhaFindFirst() 等の API が使用されました。";
    case 0x8022: return "UnlhaFindFirst() を使用する前に UnlhaFindNext() が呼ばれた。または，これらを呼び出す前に  UnlhaGet-FileName() 等の API が呼ばれました。";
    case 0x8023: return "UNLHA32.DLL  でサポートされていない API が使用されました。";
    case 0x8024: return "日付及び時間の指定形式が間違っています。";
    case 0x8025: return "作業ファイルが作成できません。";
    case 0x8026: return "ディレクトリのパスが長すぎます。";
    case 0x8027: return "書き込み専用属性の書庫に対する操作はできません。";
    case 0x8028: return "すでに同じ名前のファイルが書庫に格納されています。";
    case 0x8029: return "指定されたディレクトリには書庫がありませんでした。";
    case 0x802A: return "レスポンスファイルの読み込み時にエラーが生じました。";
    case 0x802B: return "ファイル名の指定が必要です。";
    case 0x802C: return "作業ファイルの書庫への書き戻しができませんでした。";
    case 0x802D: return "書庫のデータが欠落しています。";
    default: return "";
  }
}

}  // namespace navirt
