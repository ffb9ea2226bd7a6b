#pragma once
// What the tar library reads through libarchive, shared by its listing and
// extraction: the kinds of archive, readers in a UTF-8 locale, and stored
// names decoded as one archive decides (UTF-8 or Shift_JIS).
#include <archive.h>
#include <archive_entry.h>
#include <locale.h>

#include <memory>
#include <string>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::tarlib {

// Tar and its compressed forms, single compressed files, and the formats
// Linux users have beyond them (7z, ISO images), all through libarchive.
enum TarType {
  kUnknown = 0,
  kTar = 1,
  kTarGz = 2,
  kTarZ = 3,
  kGz = 4,
  kZ = 5,
  kTarBz2 = 6,
  kBz2 = 7,
  kTarXz = 8,
  kTarZst = 9,
  kTarLz4 = 10,
  kXz = 11,
  kZst = 12,
  kLz4 = 13,
  k7z = 14,
  kIso = 15,
};

// libarchive turns the UTF-16 names of 7z and ISO images into the
// thread's locale: under the C locale they would be lost. Each call into
// the library reads in C.UTF-8 on its own thread, as the window runs.
class Utf8Locale {
 public:
  Utf8Locale() {
    // Freed when the library is unloaded: the window loads and unloads it
    // for every archive it looks at.
    struct Owned {
      locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
      ~Owned() {
        if (loc) freelocale(loc);
      }
    };
    static const Owned utf8;
    if (utf8.loc) old_ = uselocale(utf8.loc);
  }
  ~Utf8Locale() {
    if (old_) uselocale(old_);
  }
  Utf8Locale(const Utf8Locale&) = delete;
  Utf8Locale& operator=(const Utf8Locale&) = delete;

 private:
  locale_t old_ = static_cast<locale_t>(0);
};

struct ReaderDeleter {
  void operator()(archive* a) const { archive_read_free(a); }
};
using Reader = std::unique_ptr<archive, ReaderDeleter>;
struct WriterDeleter {
  void operator()(archive* a) const { archive_write_free(a); }
};
using WriterPtr = std::unique_ptr<archive, WriterDeleter>;

bool Ascii(const std::string& s);

// The stored names of an entry, as bytes.
struct RawNames {
  std::string path, symlink, hardlink;
  bool Ascii() const { return tarlib::Ascii(path) && tarlib::Ascii(symlink) && tarlib::Ascii(hardlink); }
  bool Utf8() const { return IsValidUtf8(path) && IsValidUtf8(symlink) && IsValidUtf8(hardlink); }
};

Reader OpenReader(const std::string& path, bool raw);

// A warning (a name the C locale cannot hold) still delivers the header.
bool HeaderRead(int r);

// The kind of an archive whose first header was read.
int ArchiveKind(archive* a);

// The kind of a single compressed file.
int RawKind(archive* a);

int TypeOf(const std::string& path);

// A reader at its first header, as TypeOf tells the kind: an archive, else
// a single compressed file. Null (type kUnknown) when neither reads. One
// reader serves to tell the kind and to read on: a second would decode the
// first block, or read a 7z's or an ISO image's directory, twice.
Reader OpenAtFirstHeader(const std::string& path, int& type, archive_entry*& first);

bool IsRaw(int t);

const char* MethodOf(int t);

bool EndsWith(const std::string& s, const std::string& suffix);

// The name a single compressed file unpacks to: the gzip header's name, or
// the archive's own name without its compression suffix.
std::string RawName(const std::string& path);

// A name as stored: pax names are UTF-8 whatever the locale, and the
// locale's form is missing when the C locale cannot hold them.
std::string RawPath(const char* mbs, const char* utf8);

RawNames NamesOf(archive_entry* ae);

// Tar names carry no marker, and one archive holds one kind: UTF-8 when
// every name reads as UTF-8, else Shift_JIS (TAR32 and old tools). A
// Shift_JIS name may happen to be valid UTF-8 (half-width kana), so a
// single name does not decide.
bool AllNamesUtf8(const std::string& path);

// A three-byte UTF-8 sequence (kana and kanji are such): Shift_JIS names
// hardly ever form one, so a name holding one is taken for UTF-8 at once.
bool HasThreeByteSequence(const std::string& s);

void FillEntry(archive_entry* ae, int type, ArcEntry& e, bool utf8);

// Decides the archive's kind at its first name beyond ASCII; only a name
// that leaves doubt (valid UTF-8 of two-byte sequences alone) has the
// headers read ahead. A name that is not UTF-8 in a UTF-8 archive is read
// as Shift_JIS.
class NameKind {
 public:
  explicit NameKind(std::string path) : path_(std::move(path)) {}
  bool Utf8(const RawNames& n) {
    if (n.Ascii()) return true;
    const bool utf8 = n.Utf8();
    if (state_ < 0)
      state_ = utf8 && (HasThreeByteSequence(n.path) || HasThreeByteSequence(n.symlink)) ? 1
               : AllNamesUtf8(path_)                                                     ? 1
                                                                                         : 0;
    return state_ == 1 && utf8;
  }

 private:
  std::string path_;
  int state_ = -1;
};

}  // namespace navirt::arc::tarlib
