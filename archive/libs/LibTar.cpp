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
#include "archive/libs/TarHeaders.h"
#include "archive/libs/TarRead.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"

namespace navirt::arc {
namespace {

using namespace tarlib;

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

// A plain tar listed from its headers in the mapped file, in one walk. The
// kind of names is decided as NameKind decides it. Should the walk meet
// what only libarchive reads, libarchive's cursor takes over after the
// entries already given, which it reads the same.
class HeaderCursor : public EntryCursor {
 public:
  explicit HeaderCursor(std::string path) : path_(std::move(path)) {}
  bool Open() { return reader_.Open(path_); }
  bool Rewind() override {
    reader_.Rewind();
    fallback_.reset();
    given_ = 0;
    return true;
  }
  bool Next(ArcEntry& e) override {
    if (fallback_) return fallback_->Next(e);
    TarHeader h;
    while (reader_.Next(h)) {
      RawNames n = NamesOf(h);
      e = ArcEntry{};
      FillEntryFromHeader(h, Utf8(n), e);
      if (e.isDir && (e.path.empty() || e.path == ".")) continue;
      ++given_;
      return true;
    }
    if (!reader_.Unknown()) return false;
    fallback_ = std::make_unique<TarCursor>(path_, kTar);
    if (!fallback_->Rewind()) return false;
    for (size_t i = 0; i < given_; ++i)
      if (!fallback_->Next(e)) return false;
    return fallback_->Next(e);
  }

 private:
  static RawNames NamesOf(const TarHeader& h) {
    RawNames n;
    n.path = h.path;
    if (h.type == '2') n.symlink = h.linkTarget;
    if (h.type == '1') n.hardlink = h.linkTarget;
    return n;
  }
  // The first name beyond ASCII decides, when it holds a three-byte UTF-8
  // sequence; otherwise whether every name is UTF-8 does.
  bool Utf8(const RawNames& n) {
    if (n.Ascii()) return true;
    const bool utf8 = n.Utf8();
    if (state_ < 0)
      state_ = utf8 && (HasThreeByteSequence(n.path) || HasThreeByteSequence(n.symlink)) ? 1 : AllUtf8() ? 1 : 0;
    return state_ == 1 && utf8;
  }
  bool AllUtf8() {
    TarHeaderReader all;
    TarHeader h;
    bool utf8 = all.Open(path_);
    while (utf8 && all.Next(h)) utf8 = NamesOf(h).Utf8();
    return all.Unknown() ? AllNamesUtf8(path_) : utf8;
  }

  std::string path_;
  TarHeaderReader reader_;
  int state_ = -1;
  size_t given_ = 0;
  std::unique_ptr<TarCursor> fallback_;
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
    if (type == kTar) {
      auto h = std::make_unique<HeaderCursor>(path);
      if (h->Open()) return h;
    }
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
    int type;
    archive_entry* ae;
    Reader a = OpenAtFirstHeader(path, type, ae);
    if (!a) return kErrFileStyle;
    NameKind kind(path);
    for (int r = ARCHIVE_OK; HeaderRead(r); r = archive_read_next_header(a.get(), &ae)) {
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
    int type;
    archive_entry* ae;
    Reader a = OpenAtFirstHeader(cl.archive, type, ae);
    if (!a) {
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
    ExtractJob job;
    job.outDir = OutputFolder(cl.folder);
    int useDir = cl.Number("use-directory=");
    job.keepPaths = useDir != 0;
    job.overwrite = Overwrite::Always;
    job.patterns = cl.names;
    if (int rc = ReadReplaceList(cl, job, rep); rc != kOk) return rc;
    ExtractStats st;
    int r = ARCHIVE_OK;
    NameKind kind(cl.archive);
    for (; HeaderRead(r); r = archive_read_next_header(a.get(), &ae)) {
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
