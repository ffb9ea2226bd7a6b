// The tar library's reading helpers: libarchive readers, the kind of an
// archive, and its names decoded per archive.
#include "archive/libs/TarRead.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "platform/FileInfo.h"

namespace navirt::arc::tarlib {

Reader OpenReader(const std::string& path, bool raw) {
  Reader a(archive_read_new());
  archive_read_support_filter_gzip(a.get());
  archive_read_support_filter_bzip2(a.get());
  archive_read_support_filter_compress(a.get());
  archive_read_support_filter_xz(a.get());
  archive_read_support_filter_lzma(a.get());
  archive_read_support_filter_zstd(a.get());
  archive_read_support_filter_lz4(a.get());
  if (raw) {
    archive_read_support_format_raw(a.get());
  } else {
    archive_read_support_format_tar(a.get());
    archive_read_support_format_gnutar(a.get());
    archive_read_support_format_7zip(a.get());
    archive_read_support_format_iso9660(a.get());
  }
  if (archive_read_open_filename(a.get(), path.c_str(), 1 << 16) != ARCHIVE_OK) return nullptr;
  return a;
}

// A warning (a name the C locale cannot hold) still delivers the header.
bool HeaderRead(int r) { return r == ARCHIVE_OK || r == ARCHIVE_WARN; }

// The kind of an archive whose first header was read.
int ArchiveKind(archive* a) {
  const int format = archive_format(a) & ARCHIVE_FORMAT_BASE_MASK;
  if (format == ARCHIVE_FORMAT_7ZIP) return k7z;
  if (format == ARCHIVE_FORMAT_ISO9660) return kIso;
  switch (archive_filter_code(a, 0)) {
    case ARCHIVE_FILTER_NONE:
      return kTar;
    case ARCHIVE_FILTER_GZIP:
      return kTarGz;
    case ARCHIVE_FILTER_COMPRESS:
      return kTarZ;
    case ARCHIVE_FILTER_BZIP2:
      return kTarBz2;
    case ARCHIVE_FILTER_XZ:
    case ARCHIVE_FILTER_LZMA:
      return kTarXz;
    case ARCHIVE_FILTER_ZSTD:
      return kTarZst;
    case ARCHIVE_FILTER_LZ4:
      return kTarLz4;
    default:
      return kUnknown;
  }
}

// The kind of a single compressed file.
int RawKind(archive* a) {
  switch (archive_filter_code(a, 0)) {
    case ARCHIVE_FILTER_GZIP:
      return kGz;
    case ARCHIVE_FILTER_COMPRESS:
      return kZ;
    case ARCHIVE_FILTER_BZIP2:
      return kBz2;
    case ARCHIVE_FILTER_XZ:
    case ARCHIVE_FILTER_LZMA:
      return kXz;
    case ARCHIVE_FILTER_ZSTD:
      return kZst;
    case ARCHIVE_FILTER_LZ4:
      return kLz4;
    default:
      return kUnknown;
  }
}

Reader OpenAtFirstHeader(const std::string& path, int& type, archive_entry*& first) {
  first = nullptr;
  {
    Reader a = OpenReader(path, false);
    if (a && HeaderRead(archive_read_next_header(a.get(), &first))) {
      type = ArchiveKind(a.get());
      return type == kUnknown ? nullptr : std::move(a);
    }
  }
  Reader a = OpenReader(path, true);
  if (a && HeaderRead(archive_read_next_header(a.get(), &first))) {
    type = RawKind(a.get());
    return type == kUnknown ? nullptr : std::move(a);
  }
  type = kUnknown;
  return nullptr;
}

int TypeOf(const std::string& path) {
  int type;
  archive_entry* first;
  OpenAtFirstHeader(path, type, first);
  return type;
}

bool IsRaw(int t) { return t == kGz || t == kZ || t == kBz2 || t == kXz || t == kZst || t == kLz4; }

const char* MethodOf(int t) {
  switch (t) {
    case kTarGz:
    case kGz:
      return "gzip";
    case kTarZ:
    case kZ:
      return "compress";
    case kTarBz2:
    case kBz2:
      return "bzip2";
    case kTarXz:
    case kXz:
      return "xz";
    case kTarZst:
    case kZst:
      return "zstd";
    case kTarLz4:
    case kLz4:
      return "lz4";
    case k7z:
      return "7z";
    case kIso:
      return "iso9660";
    default:
      return "tar";
  }
}

bool EndsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The name a single compressed file unpacks to: the gzip header's name, or
// the archive's own name without its compression suffix.
std::string RawName(const std::string& path) {
  std::string base = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
  InputFile in;
  if (in.Open(path) && in.Size() > 10 && in.Data()[0] == 0x1F && in.Data()[1] == 0x8B && (in.Data()[3] & 0x08)) {
    uint64_t pos = 10;
    if (in.Data()[3] & 0x04) {
      if (!in.Has(pos, 2)) return base;
      pos += 2 + Le16(in.Data() + pos);
    }
    std::string name;
    while (pos < in.Size() && in.Data()[pos] != 0 && name.size() < 512) name += static_cast<char>(in.Data()[pos++]);
    bool fb;
    std::string n = NameFromArchive(name, IsValidUtf8(name), fb);
    size_t slash = n.rfind('/');
    if (slash != std::string::npos) n = n.substr(slash + 1);
    if (!n.empty() && n != "." && n != "..") return n;
  }
  std::string l = AsciiLower(base);
  for (const char* ext : {".gz", ".bz2", ".z", ".xz", ".zst", ".lz4"})
    if (EndsWith(l, ext)) return base.substr(0, base.size() - std::strlen(ext));
  return base + ".out";
}

// A name as stored: pax names are UTF-8 whatever the locale, and the
// locale's form is missing when the C locale cannot hold them.
std::string RawPath(const char* mbs, const char* utf8) {
  if (mbs && *mbs) return mbs;
  return utf8 ? utf8 : "";
}

bool Ascii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

RawNames NamesOf(archive_entry* ae) {
  RawNames n;
  n.path = RawPath(archive_entry_pathname(ae), archive_entry_pathname_utf8(ae));
  if (archive_entry_symlink(ae) || archive_entry_symlink_utf8(ae))
    n.symlink = RawPath(archive_entry_symlink(ae), archive_entry_symlink_utf8(ae));
  if (archive_entry_hardlink(ae) || archive_entry_hardlink_utf8(ae))
    n.hardlink = RawPath(archive_entry_hardlink(ae), archive_entry_hardlink_utf8(ae));
  return n;
}

// Tar names carry no marker, and one archive holds one kind: UTF-8 when
// every name reads as UTF-8, else Shift_JIS (TAR32 and old tools). A
// Shift_JIS name may happen to be valid UTF-8 (half-width kana), so a
// single name does not decide.
bool AllNamesUtf8(const std::string& path) {
  Reader a = OpenReader(path, false);
  if (!a) return true;
  archive_entry* ae;
  while (HeaderRead(archive_read_next_header(a.get(), &ae)))
    if (!NamesOf(ae).Utf8()) return false;
  return true;
}

// A three-byte UTF-8 sequence (kana and kanji are such): Shift_JIS names
// hardly ever form one, so a name holding one is taken for UTF-8 at once.
bool HasThreeByteSequence(const std::string& s) {
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 0xE0 && c <= 0xEF && (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80) return true;
  }
  return false;
}

void FillEntry(archive_entry* ae, int type, ArcEntry& e, bool utf8) {
  RawNames raw = NamesOf(ae);
  bool fb = false;
  // "\\" is a character of a tar name.
  e.path = NameFromArchive(raw.path, utf8, fb, false);
  e.nameFallback = fb;
  while (e.path.size() >= 2 && e.path[0] == '.' && e.path[1] == '/') e.path.erase(0, 2);
  e.size = archive_entry_size_is_set(ae) ? static_cast<uint64_t>(archive_entry_size(ae)) : 0;
  e.packed = e.size;
  e.mtime = archive_entry_mtime(ae);
  UnixToDos(e.mtime, e.dosDate, e.dosTime);
  mode_t mode = archive_entry_mode(ae);
  e.isDir = S_ISDIR(mode);
  e.isLink = S_ISLNK(mode);
  e.attr = e.isDir ? kAttrDir : kAttrArchive;
  if (!(mode & S_IWUSR)) e.attr |= kAttrRO;
  if (e.isLink) e.linkTarget = NameFromArchive(raw.symlink, utf8, fb, false);
  if (archive_entry_hardlink(ae) || archive_entry_hardlink_utf8(ae)) {
    // Another name of an entry that came earlier in the archive.
    e.linkTarget = NameFromArchive(raw.hardlink, utf8, fb, false);
    e.isHardLink = true;
    e.isLink = false;
    e.method = "hlink";
  } else {
    e.method = MethodOf(type);
  }
  if (!e.isDir && !e.isLink && !e.isHardLink && !S_ISREG(mode) && !e.unsupported) {
    e.unsupported = true;
    e.method = "special";
  }
  e.os = 3;
}

// Reads a tar's headers as the listing asks for them.

}  // namespace navirt::arc::tarlib
