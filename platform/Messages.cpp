#include "platform/Messages.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace navirt {

namespace {
// -1: not chosen yet (the locale decides). Jobs read it from their threads.
std::atomic<int> g_lang{-1};

struct ErrnoText {
  int err;
  Msg text;
};
const ErrnoText kErrnoTexts[] = {
    {ENOENT, {"No such file or directory", "そのようなファイルやフォルダーはありません"}},
    {EACCES, {"Permission denied", "許可がありません"}},
    {EPERM, {"Operation not permitted", "操作が許可されていません"}},
    {EEXIST, {"File exists", "ファイルが既にあります"}},
    {EISDIR, {"Is a directory", "フォルダーです"}},
    {ENOTDIR, {"Not a directory", "フォルダーではありません"}},
    {ENOTEMPTY, {"Directory not empty", "フォルダーが空ではありません"}},
    {ENOSPC, {"No space left on device", "ディスクの空きがありません"}},
    {EDQUOT, {"Disk quota exceeded", "ディスクの割り当てを超えました"}},
    {EROFS, {"Read-only file system", "読み取り専用のファイルシステムです"}},
    {EIO, {"Input/output error", "入出力エラーです"}},
    {ENOMEM, {"Cannot allocate memory", "メモリーが足りません"}},
    {ENAMETOOLONG, {"File name too long", "ファイル名が長すぎます"}},
    {ELOOP, {"Too many levels of symbolic links", "シンボリックリンクが多すぎます"}},
    {EXDEV, {"Invalid cross-device link", "別のファイルシステムへはリンクできません"}},
    {EBUSY, {"Device or resource busy", "使用中です"}},
    {EINVAL, {"Invalid argument", "引数が無効です"}},
    {EPIPE, {"Broken pipe", "パイプの相手が閉じました"}},
    {EFBIG, {"File too large", "ファイルが大きすぎます"}},
    {EMFILE, {"Too many open files", "開いているファイルが多すぎます"}},
    {ETXTBSY, {"Text file busy", "実行中のファイルです"}},
    {EAGAIN, {"Resource temporarily unavailable", "一時的に使えません"}},
};
}  // namespace

MsgLang LocaleMessageLanguage() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* v = std::getenv(name);
    if (v && *v) return std::strncmp(v, "ja", 2) == 0 ? MsgLang::Japanese : MsgLang::English;
  }
  return MsgLang::English;
}

MsgLang MessageLanguage() {
  int lang = g_lang.load(std::memory_order_relaxed);
  if (lang < 0) {
    int expected = -1;
    g_lang.compare_exchange_strong(expected, static_cast<int>(LocaleMessageLanguage()));
    lang = g_lang.load(std::memory_order_relaxed);
  }
  return static_cast<MsgLang>(lang);
}

void SetMessageLanguage(MsgLang lang) { g_lang = static_cast<int>(lang); }

const char* Tr(const Msg& m) { return MessageLanguage() == MsgLang::Japanese ? m.ja : m.en; }

std::string Tr(const Msg& m, std::initializer_list<std::string_view> args) {
  const std::string_view text = Tr(m);
  std::string out;
  out.reserve(text.size() + 32);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '{' && i + 2 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9' && text[i + 2] == '}') {
      const size_t n = static_cast<size_t>(text[i + 1] - '1');
      if (n < args.size()) out += *(args.begin() + n);
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string ErrorText(int err) {
  for (const ErrnoText& e : kErrnoTexts)
    if (e.err == err) return Tr(e.text);
  return std::strerror(err);
}

std::string TrFrom(const Msg* table, size_t count, std::string_view en) {
  for (size_t i = 0; i < count; ++i) {
    const std::string_view key = table[i].en;
    if (en == key) return Tr(table[i]);
  }
  // "cannot open " + a name: the longest key that begins the text.
  const Msg* best = nullptr;
  for (size_t i = 0; i < count; ++i) {
    const std::string_view key = table[i].en;
    if (!key.empty() && key.back() == ' ' && en.substr(0, key.size()) == key &&
        (!best || key.size() > std::strlen(best->en)))
      best = &table[i];
  }
  if (best) return Tr(*best) + std::string(en.substr(std::strlen(best->en)));
  return std::string(en);
}

}  // namespace navirt
