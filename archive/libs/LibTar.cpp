// libtar32.so: tar, compressed tar (gzip, compress, bzip2) and single
// compressed files, through libarchive.
#include <archive.h>
#include <archive_entry.h>
#include <locale.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"

namespace navirt::arc {
namespace {

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
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    if (utf8) old_ = uselocale(utf8);
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

int TypeOf(const std::string& path) {
  {
    Reader a = OpenReader(path, false);
    archive_entry* e;
    if (a && HeaderRead(archive_read_next_header(a.get(), &e))) return ArchiveKind(a.get());
  }
  Reader a = OpenReader(path, true);
  archive_entry* e;
  if (a && HeaderRead(archive_read_next_header(a.get(), &e))) return RawKind(a.get());
  return kUnknown;
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

// The stored names of an entry, as bytes.
struct RawNames {
  std::string path, symlink, hardlink;
  bool Ascii() const { return arc::Ascii(path) && arc::Ascii(symlink) && arc::Ascii(hardlink); }
  bool Utf8() const { return IsValidUtf8(path) && IsValidUtf8(symlink) && IsValidUtf8(hardlink); }
};

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
class TarCursor : public EntryCursor {
 public:
  TarCursor(std::string path, int type) : path_(path), type_(type), kind_(std::move(path)) {}
  bool Rewind() override {
    Utf8Locale utf8;
    reader_ = OpenReader(path_, false);
    return reader_ != nullptr;
  }
  bool Next(ArcEntry& e) override {
    if (!reader_) return false;
    Utf8Locale utf8;
    archive_entry* ae;
    while (true) {
      int r = archive_read_next_header(reader_.get(), &ae);
      if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
        reader_.reset();
        return false;
      }
      e = ArcEntry{};
      FillEntry(ae, type_, e, kind_.Utf8(NamesOf(ae)));
      if (e.isDir && (e.path.empty() || e.path == ".")) continue;
      return true;
    }
  }

 private:
  std::string path_;
  int type_;
  NameKind kind_;
  Reader reader_;
};

class TarLibrary : public ArcLibrary {
 public:
  std::unique_ptr<EntryCursor> OpenCursor(const std::string& path, std::string& why) override {
    Utf8Locale utf8;
    int type = TypeOf(path);
    if (type == kUnknown) {
      why = "not a tar or compressed file";
      return nullptr;
    }
    if (IsRaw(type)) return ArcLibrary::OpenCursor(path, why);
    auto c = std::make_unique<TarCursor>(path, type);
    if (!c->Rewind()) return nullptr;
    return c;
  }

  int Type(const std::string& path) {
    Utf8Locale utf8;
    return TypeOf(path);
  }

  bool Check(const std::string& path, int mode) override {
    Utf8Locale utf8;
    return TypeOf(path) != kUnknown;
  }

  int List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) override {
    Utf8Locale utf8;
    // A tar is listed in the same pass that recognises it.
    {
      Reader a = OpenReader(path, false);
      archive_entry* ae;
      int r = a ? archive_read_next_header(a.get(), &ae) : ARCHIVE_FATAL;
      if (r == ARCHIVE_OK || r == ARCHIVE_WARN) {
        const int type = ArchiveKind(a.get());
        if (type != kUnknown) {
          // Read as UTF-8, and read again as Shift_JIS once a name is not.
          std::vector<std::pair<size_t, archive_entry*>> others;
          bool utf8 = true;
          do {
            RawNames raw = NamesOf(ae);
            ArcEntry e;
            FillEntry(ae, type, e, true);
            if (e.isDir && (e.path.empty() || e.path == ".")) continue;
            utf8 = utf8 && raw.Utf8();
            if (!raw.Ascii()) others.emplace_back(out.size(), archive_entry_clone(ae));
            out.push_back(std::move(e));
          } while ((r = archive_read_next_header(a.get(), &ae)) == ARCHIVE_OK || r == ARCHIVE_WARN);
          for (auto& [i, clone] : others) {
            if (!utf8) FillEntry(clone, type, out[i], false);
            archive_entry_free(clone);
          }
          if (r != ARCHIVE_EOF) {
            why = archive_error_string(a.get()) ? archive_error_string(a.get()) : "broken archive";
            return kErrHeaderBroken;
          }
          return kOk;
        }
      }
    }
    int type = TypeOf(path);
    if (type == kUnknown || !IsRaw(type)) {
      why = "not a tar or compressed file";
      return PathExists(path) ? kErrFileStyle : kErrArcFileOpen;
    }
    Reader a = OpenReader(path, true);
    if (!a) {
      why = "cannot open " + path;
      return kErrArcFileOpen;
    }
    archive_entry* ae;
    if (archive_read_next_header(a.get(), &ae) != ARCHIVE_OK) {
      why = "broken data";
      return kErrHeaderBroken;
    }
    ArcEntry e;
    e.path = RawName(path);
    e.method = MethodOf(type);
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
      e.packed = static_cast<uint64_t>(st.st_size);
      e.mtime = st.st_mtime;
    }
    UnixToDos(e.mtime, e.dosDate, e.dosTime);
    // The unpacked size is known only after unpacking.
    char buf[65536];
    la_ssize_t n;
    while ((n = archive_read_data(a.get(), buf, sizeof buf)) > 0) e.size += static_cast<uint64_t>(n);
    if (n < 0) {
      why = archive_error_string(a.get()) ? archive_error_string(a.get()) : "broken data";
      return kErrHuffmanCode;
    }
    out.push_back(std::move(e));
    return kOk;
  }

  int ExtractToMemory(const std::string& path, const std::string& name, std::string& data, ArcEntry& entry,
                      std::string& why) override {
    Utf8Locale utf8;
    int type = TypeOf(path);
    if (type == kUnknown) return kErrFileStyle;
    Reader a = OpenReader(path, IsRaw(type));
    if (!a) return kErrArcFileOpen;
    archive_entry* ae;
    NameKind kind(path);
    while (HeaderRead(archive_read_next_header(a.get(), &ae))) {
      ArcEntry e;
      if (IsRaw(type))
        e.path = RawName(path);
      else
        FillEntry(ae, type, e, kind.Utf8(NamesOf(ae)));
      if (e.isDir || e.isHardLink || !WildMatch(name, e.path)) continue;
      entry = e;
      data.clear();
      return ReadData(
          a.get(),
          [&](const unsigned char* p, size_t n) {
            data.append(reinterpret_cast<const char*>(p), n);
            return true;
          },
          why);
    }
    why = "no such entry";
    return kErrNotExist;
  }

  int Run(const std::string& cmdline, Report& rep) override {
    Utf8Locale utf8;
    CmdLine cl;
    std::string err;
    int rc = ParseCommandLine(cmdline, {"x", "c", "l", "v", "t", "s"}, {"f", "o"}, cl, err);
    if (rc != kOk) {
      rep.Utf8Line(err);
      return rc;
    }
    // Archive and folder may come as -f and -o values.
    std::string f = cl.Text("f");
    if (!f.empty()) {
      if (!cl.archive.empty()) cl.names.insert(cl.names.begin(), cl.archive);
      cl.archive = NormalizePath(f);
    }
    std::string o = cl.Text("o");
    if (!o.empty()) cl.folder = NormalizePath(o) + "/";
    if (cl.archive.empty()) {
      rep.Line("tar: " + Text932(msg::kArchiveNameMissing));
      return kErrNotArcName;
    }
    if (cl.command == "s") return SfxUnsupported(rep);
    if (cl.command == "c") return DoCreate(cl, rep);
    if (cl.command == "l" || cl.command == "v" || cl.command == "t") {
      std::vector<ArcEntry> entries;
      std::string why;
      rc = List(cl.archive, entries, why);
      if (rc != kOk) {
        rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
        return rc;
      }
      std::vector<ArcEntry> shown;
      for (auto& e : entries)
        if (MatchesAny(cl.names, e.path)) shown.push_back(e);
      ListingReport(cl.archive, shown, true, rep);
      return kOk;
    }
    if (cl.command == "x" || cl.command.empty()) return DoExtract(cl, rep);
    return kErrCommandName;
  }

 private:
  static std::string NormalizePath(std::string s) {
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
  }

  static int ReadData(archive* a, const Sink& sink, std::string& why) {
    const void* buf;
    size_t size;
    la_int64_t offset;
    int r;
    la_int64_t written = 0;
    static const char zeros[4096] = {};
    while ((r = archive_read_data_block(a, &buf, &size, &offset)) == ARCHIVE_OK) {
      // Sparse holes come back as gaps in the offsets.
      while (written < offset) {
        size_t gap = static_cast<size_t>(std::min<la_int64_t>(offset - written, sizeof zeros));
        if (!sink(reinterpret_cast<const unsigned char*>(zeros), gap)) {
          why = "write error";
          return kErrCannotWrite;
        }
        written += static_cast<la_int64_t>(gap);
      }
      if (size && !sink(static_cast<const unsigned char*>(buf), size)) {
        why = "write error";
        return kErrCannotWrite;
      }
      written += static_cast<la_int64_t>(size);
    }
    if (r != ARCHIVE_EOF) {
      why = archive_error_string(a) ? archive_error_string(a) : "broken data";
      return kErrHuffmanCode;
    }
    return kOk;
  }

  // The whole compressed stream read once: gzip checks its CRC only at the
  // stream's end and bzip2 a block's only after handing out its bytes, while
  // the tar inside ends earlier. A damaged byte must stop the run before
  // any file is written.
  static bool CompressedStreamSound(const std::string& path, int type, std::string& why) {
    if (type == kTarGz) {
      // libarchive's gzip reader does not compare the trailer's CRC: zlib does.
      gzFile g = gzopen(path.c_str(), "rb");
      if (!g) {
        why = "cannot read the compressed stream";
        return false;
      }
      std::vector<char> buf(1 << 16);
      int n;
      while ((n = gzread(g, buf.data(), static_cast<unsigned>(buf.size()))) > 0) {
      }
      int err = Z_OK;
      if (n < 0) why = std::string("gzip: ") + gzerror(g, &err);
      gzclose(g);
      return n == 0;
    }
    Reader a = OpenReader(path, true);
    archive_entry* ae;
    if (!a || !HeaderRead(archive_read_next_header(a.get(), &ae))) {
      why = "cannot read the compressed stream";
      return false;
    }
    std::vector<char> buf(1 << 16);
    la_ssize_t n;
    while ((n = archive_read_data(a.get(), buf.data(), buf.size())) > 0) {
    }
    if (n < 0) why = archive_error_string(a.get()) ? archive_error_string(a.get()) : "broken compressed data";
    return n == 0;
  }

  int DoExtract(const CmdLine& cl, Report& rep) {
    int type = TypeOf(cl.archive);
    if (type == kUnknown) {
      rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason("not a tar or compressed file")});
      return PathExists(cl.archive) ? kErrFileStyle : kErrArcFileOpen;
    }
    if (type == kTarGz || type == kTarBz2) {
      std::string why;
      if (!CompressedStreamSound(cl.archive, type, why)) {
        rep.Line("tar: " + Text932(msg::kNothingExtracted, {Reason932(why)}));
        ExtractStats st;
        st.Fail(kErrFileCrc);
        return FinishExtract(st, rep);
      }
    }
    Reader a = OpenReader(cl.archive, IsRaw(type));
    if (!a) return kErrArcFileOpen;
    ExtractJob job;
    job.outDir = OutputFolder(cl.folder);
    int useDir = cl.Number("use-directory=");
    job.keepPaths = useDir != 0;
    job.overwrite = Overwrite::Always;
    job.patterns = cl.names;
    if (int rc = ReadReplaceList(cl, job, rep); rc != kOk) return rc;
    ExtractStats st;
    archive_entry* ae;
    int r;
    NameKind kind(cl.archive);
    while ((r = archive_read_next_header(a.get(), &ae)) == ARCHIVE_OK || r == ARCHIVE_WARN) {
      ArcEntry e;
      if (IsRaw(type)) {
        e.path = RawName(cl.archive);
        struct stat sst;
        if (::stat(cl.archive.c_str(), &sst) == 0) e.mtime = sst.st_mtime;
      } else {
        FillEntry(ae, type, e, kind.Utf8(NamesOf(ae)));
      }
      ExtractOne(
          e, job, [&](const Sink& sink, std::string& why) { return ReadData(a.get(), sink, why); }, rep, st);
      if (IsRaw(type)) {
        r = ARCHIVE_EOF;
        break;
      }
    }
    if (r != ARCHIVE_EOF) {
      rep.Line("tar: " + Reason932(archive_error_string(a.get()) ? archive_error_string(a.get()) : "broken archive"));
      st.Fail(kErrHeaderBroken);
    }
    return FinishExtract(st, rep);
  }

  int DoCreate(const CmdLine& cl, Report& rep) {
    if (cl.names.empty()) {
      rep.Line("tar: " + Text932(msg::kFileNamesMissing));
      return kErrNotFileName;
    }
    std::vector<PackItem> items;
    int rc =
        CollectFiles(cl.names, cl.folder, cl.Number("use-directory=") != 0, true, cl.Number("a") > 0, items, rep, true);
    if (rc != kOk) return rc;
    DropArchiveItself(items, cl.archive);
    std::string lower = AsciiLower(cl.archive);
    // Read, but not written: 7z, ISO images and lz4.
    for (const char* ext : {".7z", ".iso", ".lz4"})
      if (EndsWith(lower, ext)) {
        rep.Utf8Line(std::string("tar: cannot create ") + ext + " archives (.tar.xz and .tar.zst can be made).");
        return kErrNotSupport;
      }
    // The name's own compression first: the handler's -z stands for any.
    const bool xz = EndsWith(lower, ".xz") || EndsWith(lower, ".txz");
    const bool zst = EndsWith(lower, ".zst") || EndsWith(lower, ".tzst");
    bool gz = !xz && !zst &&
              (cl.Number("z") >= 0 || EndsWith(lower, ".tgz") || EndsWith(lower, ".gz") || EndsWith(lower, ".z"));
    bool bz = !xz && !zst && (cl.Number("B") >= 0 || EndsWith(lower, ".bz2") || EndsWith(lower, ".tbz"));
    bool compress = EndsWith(lower, ".taz");
    bool tarName = EndsWith(lower, ".tar") || EndsWith(lower, ".tgz") || EndsWith(lower, ".taz") ||
                   EndsWith(lower, ".tbz") || EndsWith(lower, ".txz") || EndsWith(lower, ".tzst") ||
                   lower.find(".tar.") != std::string::npos;
    bool single = !tarName && (gz || bz || xz || zst) && items.size() == 1 && !items[0].isDir;
    OutputFile out;
    if (!out.Open(cl.archive)) {
      rep.Line("tar: " + Text932(msg::kNoWorkFile));
      return kErrTmpOpen;
    }
    auto writeCb = [](archive*, void* user, const void* buf, size_t n) -> la_ssize_t {
      return static_cast<OutputFile*>(user)->Write(buf, n) ? static_cast<la_ssize_t>(n) : -1;
    };
    // A compressed stream ends where its data ends: zeros after it are
    // trailing garbage to gzip, bzip2 and 7-Zip. The tar inside is padded
    // to whole records instead, as GNU tar pads it; so the tar is written
    // into a second, filtering writer.
    auto addFilter = [&](archive* w) {
      if (xz)
        archive_write_add_filter_xz(w);
      else if (zst)
        archive_write_add_filter_zstd(w);
      else if (bz)
        archive_write_add_filter_bzip2(w);
      else if (compress)
        archive_write_add_filter_compress(w);
      else
        archive_write_add_filter_gzip(w);
      archive_write_set_format_raw(w);
      archive_write_set_bytes_in_last_block(w, 1);
    };
    const bool filtered = gz || bz || compress || xz || zst;
    WriterPtr filter;
    if (filtered && !single) {
      filter.reset(archive_write_new());
      addFilter(filter.get());
      archive_entry* whole = archive_entry_new();
      archive_entry_set_filetype(whole, AE_IFREG);
      bool opened = archive_write_open(filter.get(), &out, nullptr, writeCb, nullptr) == ARCHIVE_OK &&
                    archive_write_header(filter.get(), whole) == ARCHIVE_OK;
      archive_entry_free(whole);
      if (!opened) return kErrTmpOpen;
    }
    WriterPtr writer(archive_write_new());
    archive* a = writer.get();
    if (single)
      addFilter(a);
    else
      archive_write_set_format_gnutar(a);
    auto intoFilter = [](archive*, void* user, const void* buf, size_t n) -> la_ssize_t {
      return archive_write_data(static_cast<archive*>(user), buf, n);
    };
    if ((filter ? archive_write_open(a, filter.get(), nullptr, intoFilter, nullptr)
                : archive_write_open(a, &out, nullptr, writeCb, nullptr)) != ARCHIVE_OK)
      return kErrTmpOpen;
    int result = kOk;
    for (const PackItem& it : items) {
      if (!NotifyPacking(it)) {
        rep.Say(msg::kStopped);
        result = kErrUserCancel;
        break;
      }
      archive_entry* ae = archive_entry_new();
      // UTF-8, as every Linux tool reads tar names (and as GNU tar writes
      // them); long names go in GNU long-name records.
      std::string name = it.stored;
      if (it.isDir) name += '/';
      archive_entry_copy_pathname(ae, name.c_str());
      archive_entry_set_mtime(ae, it.mtime, 0);
      archive_entry_set_filetype(ae, it.isDir ? AE_IFDIR : it.isLink ? AE_IFLNK : AE_IFREG);
      archive_entry_set_perm(ae, it.isDir || it.isLink ? 0755 : ((it.attr & kAttrRO) ? 0444 : 0644));
      archive_entry_set_size(ae, it.isDir || it.isLink ? 0 : static_cast<la_int64_t>(it.size));
      if (it.isLink) archive_entry_copy_symlink(ae, it.linkTarget.c_str());
      const bool hasData = !it.isDir && !it.isLink;
      SourceFile src;
      if (hasData && !src.Open(it.disk)) {
        rep.Utf8Line("tar: " + Tr(msg::kCannotRead, {it.disk}));
        archive_entry_free(ae);
        result = kErrFileOpen;
        break;
      }
      if (hasData) archive_entry_set_size(ae, static_cast<la_int64_t>(src.Size()));
      if (archive_write_header(a, ae) != ARCHIVE_OK) {
        rep.Line("tar: " + Reason932(archive_error_string(a) ? archive_error_string(a) : "write error"));
        archive_entry_free(ae);
        result = kErrCannotWrite;
        break;
      }
      archive_entry_free(ae);
      if (hasData) {
        // A piece at a time, and exactly the size the header gave.
        uint64_t left = src.Size();
        int rc = src.Stream([&](const unsigned char* p, size_t n) {
          n = static_cast<size_t>(std::min<uint64_t>(n, left));
          left -= n;
          return n == 0 || archive_write_data(a, p, n) == static_cast<la_ssize_t>(n);
        });
        if (rc == kOk && left > 0) rc = kErrCannotRead;  // the file shrank meanwhile
        if (rc == kErrCannotRead) rep.Utf8Line("tar: " + Tr(msg::kCannotRead, {it.disk}));
        if (rc != kOk) {
          result = rc;
          break;
        }
      }
      // The report is CP932: a character it lacks shows as "?" there.
      rep.Say(msg::kAdding, {Utf8ToCp932(it.stored) + (it.isDir ? "/" : "")});
    }
    if (archive_write_close(a) != ARCHIVE_OK && result == kOk) result = kErrCannotWrite;
    if (filter && archive_write_close(filter.get()) != ARCHIVE_OK && result == kOk) result = kErrCannotWrite;
    if (result != kOk) {
      out.Abort();
      rep.Say(msg::kNotWritten);
      return result;
    }
    if (!out.Commit()) return kErrTmpCopy;
    return kOk;
  }
};

TarLibrary g_tar;

}  // namespace
}  // namespace navirt::arc

NAVIRT_ARC_ENTRY_POINTS(Tar, navirt::arc::g_tar)

NAVIRT_ARC_EXPORT int TarGetArchiveType(const char* file) {
  if (!file) return 0;
  try {
    return navirt::arc::g_tar.Type(file);
  } catch (...) {
    return 0;
  }
}
