#include "preview/ReadSettingDialog.h"

#include <algorithm>
#include <charconv>

namespace navirt {

TReadSettingDialogModel TReadSettingDialogModel::ForStreamRead(const TIniFile& ini) {
  TReadSettingDialogModel m;
  m.kind = Kind::StreamRead;
  m.caption = "Stream読み込みの設定";
  m.checkCaption = "Stream読み込みをする(&S)";
  m.note = "現在の設定： ";
  m.bytes = std::clamp<int64_t>(ini.ReadInteger("StreamRead", "Byte", 10000), kMinBytes, kMaxBytes);
  m.checked = ini.ReadBool("StreamRead", "Check", true);
  m.checkEnabled = true;
  return m;
}

TReadSettingDialogModel TReadSettingDialogModel::ForReadMax(const TIniFile& ini) {
  TReadSettingDialogModel m;
  m.kind = Kind::ReadMax;
  m.caption = "読み込み制限の設定";
  m.checkCaption = "読み込み制限をする(&S)";
  m.note = "設定解除は０バイト";
  m.bytes = std::clamp<int64_t>(ini.ReadInteger("ReadMax", "Byte", 0), kMinBytes, kMaxBytes);
  m.checked = true;
  m.checkEnabled = false;
  return m;
}

void TReadSettingDialogModel::Accept(TIniFile& ini) {
  bytes = std::clamp(bytes, kMinBytes, kMaxBytes);
  if (kind == Kind::StreamRead) {
    ini.WriteInteger("StreamRead", "Byte", bytes);
    ini.WriteBool("StreamRead", "Check", checked);
  } else {
    ini.WriteInteger("ReadMax", "Byte", bytes);
  }
}

const CharsetEntry* Charsets(int& count) {
  static const CharsetEntry table[] = {
      {"ANSI", 0},
      {"（標準）", 1},
      {"標準記号", 2},
      {"Macintosh", 77},
      {"日本語シフトJIS", 128},
      {"ハングル（Wansung）", 129},
      {"ハングル（Johab）", 130},
      {"漢字（簡体字中国語）", 134},
      {"漢字（伝統的中国語）", 136},
      {"ギリシャ", 161},
      {"トルコ", 162},
      {"ベトナム", 163},
      {"ヘブライ", 177},
      {"アラビア", 178},
      {"バルト", 186},
      {"キリル", 204},
      {"タイ", 222},
      {"東欧諸国", 238},
      {"ｵﾍﾟﾚｰﾃｨﾝｸﾞｼｽﾃﾑｺｰﾄﾞ", 255},
  };
  count = static_cast<int>(sizeof table / sizeof table[0]);
  return table;
}

int CharsetIndexOf(int number) {
  int n = 0;
  const CharsetEntry* t = Charsets(n);
  for (int i = 0; i < n; ++i)
    if (t[i].number == number) return i;
  return -1;
}

int ParseTabWidth(const std::string& text) {
  size_t b = text.find_first_not_of(' ');
  size_t e = text.find_last_not_of(' ');
  if (b == std::string::npos) return 8;
  int v = 0;
  auto r = std::from_chars(text.data() + b, text.data() + e + 1, v);
  if (r.ec != std::errc() || r.ptr != text.data() + e + 1 || v < 1 || v > 256) return 8;
  return v;
}

}  // namespace navirt
