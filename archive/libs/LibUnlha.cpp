// libunlha32.so: LHA archives.
#include <sys/stat.h>

#include <cstring>
#include <map>

#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"
#include "archive/libs/Lzh.h"

namespace navirt::arc {
namespace {

constexpr uint16_t kLhaVersion = 252;  // answered by UnlhaGetVersion (2.52)

class LhaLibrary : public ArcLibrary {
 public:
  uint16_t Version() const override { return kLhaVersion; }

  int List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) override {
    InputFile in;
    if (!in.Open(path)) {
      why = "cannot open " + path;
      return kErrArcFileOpen;
    }
    if (in.Size() >= 2 && !(in.Data()[0] == 'M' && in.Data()[1] == 'Z') &&
        !(in.Size() >= 4 && std::memcmp(in.Data(),
                                        "\x7F"
                                        "ELF",
                                        4) == 0)) {
      // Only self-extracting programs may carry a stub before the first header.
      if (in.Data()[0] != 0 && !(in.Size() >= 7 && in.Data()[2] == '-')) {
        why = "not an LHA archive";
        return kErrFileStyle;
      }
    }
    return lzh::List(in, out, why);
  }

  int ExtractToMemory(const std::string& path, const std::string& name, std::string& data, ArcEntry& entry,
                      std::string& why) override {
    std::vector<ArcEntry> entries;
    int rc = List(path, entries, why);
    if (rc != kOk) return rc;
    InputFile in;
    if (!in.Open(path)) return kErrArcFileOpen;
    return ExtractMatchToMemory(
        entries, name,
        [&](size_t i, const Sink& sink, std::string& w) {
          return lzh::Unpack(in, entries[i], TrimmingSink(in, sink), w);
        },
        data, entry, why);
  }

  int Run(const std::string& cmdline, Report& rep) override {
    CmdLine cl;
    std::string err;
    int rc = ParseCommandLine(cmdline, {"l", "v", "x", "e", "t", "a", "u", "f", "d", "m", "s"}, {}, cl, err);
    if (rc != kOk) {
      rep.Utf8Line(Reason(err));
      return rc;
    }
    if (cl.command.empty()) {
      rep.Say(msg::kCommandMissing);
      return kErrCommandName;
    }
    if (cl.archive.empty()) {
      rep.Say(msg::kArchiveNameMissing);
      return kErrNotArcName;
    }
    const std::string& c = cl.command;
    if (c == "s") return SfxUnsupported(rep);
    if (c == "l" || c == "v") return DoList(cl, c == "v", rep);
    if (c == "x" || c == "e") return DoExtract(cl, c == "x", rep);
    if (c == "t") return DoTest(cl, rep);
    return DoWrite(cl, rep);
  }

 private:
  int Load(const std::string& path, std::vector<ArcEntry>& entries, Report& rep) {
    std::string why;
    int rc = List(path, entries, why);
    if (rc != kOk) rep.SayUtf8(msg::kNamedReason, {path, Reason(why)});
    return rc;
  }

  int DoList(const CmdLine& cl, bool longNames, Report& rep) {
    std::vector<ArcEntry> entries;
    int rc = Load(cl.archive, entries, rep);
    if (rc != kOk) return rc;
    std::vector<ArcEntry> shown;
    for (auto& e : entries)
      if (MatchesAny(cl.names, e.path)) shown.push_back(e);
    ListingReport(cl.archive, shown, longNames, rep);
    return kOk;
  }

  int DoExtract(const CmdLine& cl, bool keepPaths, Report& rep) {
    std::vector<ArcEntry> entries;
    int rc = Load(cl.archive, entries, rep);
    if (rc != kOk) return rc;
    InputFile in;
    if (!in.Open(cl.archive)) return kErrArcFileOpen;
    ExtractJob job;
    job.outDir = OutputFolder(cl.folder);
    job.keepPaths = keepPaths;
    job.overwrite = cl.Number("c") > 0 ? Overwrite::Always : Overwrite::IfNewer;
    job.patterns = cl.names;
    if (int rc = ReadReplaceList(cl, job, rep); rc != kOk) return rc;
    return ExtractEntries(
        entries, job,
        [&](size_t i, const Sink& sink, std::string& why) {
          return lzh::Unpack(in, entries[i], TrimmingSink(in, sink), why);
        },
        rep);
  }

  int DoTest(const CmdLine& cl, Report& rep) {
    std::vector<ArcEntry> entries;
    int rc = Load(cl.archive, entries, rep);
    if (rc != kOk) return rc;
    InputFile in;
    if (!in.Open(cl.archive)) return kErrArcFileOpen;
    int result = kOk;
    for (const ArcEntry& e : entries) {
      if (!MatchesAny(cl.names, e.path)) continue;
      std::string why;
      int r = lzh::Unpack(
          in, e, [](const unsigned char*, size_t) { return true; }, why);
      rep.Say(msg::kTesting, {NameToCp932(e.path), r == kOk ? "OK" : Reason932(why)});
      if (r != kOk && result == kOk) result = r;
    }
    rep.Say(result == kOk ? msg::kArchiveOk : msg::kArchiveHasErrors);
    return result;
  }

  // a (add/replace), u (add newer), f (freshen existing), d (delete),
  // m (add, then remove the packed files).
  int DoWrite(const CmdLine& cl, Report& rep) {
    const std::string& c = cl.command;
    std::vector<ArcEntry> old;
    InputFile in;
    bool exists = PathExists(cl.archive);
    if (exists) {
      int rc = Load(cl.archive, old, rep);
      if (rc != kOk) return rc;
      if (!in.Open(cl.archive)) return kErrArcFileOpen;
    } else if (c == "d" || c == "f") {
      rep.SayUtf8(msg::kArchiveNotFound, {cl.archive});
      return kErrArcFileOpen;
    }
    if (cl.names.empty()) {
      rep.Say(msg::kFileNamesMissing);
      return kErrNotFileName;
    }
    std::vector<bool> drop(old.size(), false);
    std::map<std::string, size_t> index;
    for (size_t i = 0; i < old.size(); ++i) index[old[i].path] = i;
    std::vector<PackItem> items;
    if (c == "d") {
      size_t n = 0;
      for (size_t i = 0; i < old.size(); ++i)
        if (MatchesAny(cl.names, old[i].path)) {
          drop[i] = true;
          ++n;
          rep.Say(msg::kDeleting, {NameToCp932(old[i].path)});
        }
      if (n == 0) {
        rep.Say(msg::kNoMatchUnchanged);
        return kOk;
      }
    } else {
      int rc =
          CollectFiles(cl.names, cl.folder, cl.Number("x") > 0, cl.Number("r") > 0, cl.Number("a") > 0, items, rep);
      if (rc != kOk) return rc;
      DropArchiveItself(items, cl.archive);
    }
    // Which items replace which entries, which are new.
    std::vector<int> replaceBy(old.size(), -1);
    std::vector<size_t> appended;
    std::vector<bool> seen;
    std::map<std::string, bool> taken;
    for (size_t k = 0; k < items.size(); ++k) {
      const PackItem& it = items[k];
      if (taken[it.stored]) continue;
      taken[it.stored] = true;
      auto f = index.find(it.stored);
      if (f != index.end()) {
        const ArcEntry& e = old[f->second];
        std::time_t stored = e.mtime;
        std::time_t disk = e.level <= 1 ? (it.mtime & ~std::time_t(1)) : it.mtime;
        bool newer = disk > stored;
        if (c == "a" || c == "m" || ((c == "u" || c == "f") && newer)) replaceBy[f->second] = static_cast<int>(k);
      } else if (c != "f") {
        appended.push_back(k);
      }
    }
    OutputFile out;
    if (!out.Open(cl.archive)) {
      rep.Say(msg::kNoWorkFile);
      return kErrTmpOpen;
    }
    int result = kOk;
    size_t added = 0;
    auto writeItem = [&](const PackItem& it) -> int {
      std::string why;
      int r = PackOne(it, out, rep, why);
      if (r != kOk)
        rep.SayUtf8(msg::kEntryError, {it.disk, Reason(why)});
      else
        ++added;
      return r;
    };
    for (size_t i = 0; i < old.size() && result == kOk; ++i) {
      if (drop[i]) continue;
      if (replaceBy[i] >= 0) {
        result = writeItem(items[replaceBy[i]]);
        continue;
      }
      const ArcEntry& e = old[i];
      if (!out.Write(in.View(e.headerOffset, e.headerSize + e.packed))) result = kErrCannotWrite;
    }
    for (size_t k : appended) {
      if (result != kOk) break;
      result = writeItem(items[k]);
    }
    if (result == kOk && !out.Write(std::string(1, '\0'))) result = kErrCannotWrite;
    if (result != kOk) {
      out.Abort();
      rep.Say(msg::kLeftUnchanged);
      return result;
    }
    if (!out.Commit()) {
      rep.Say(msg::kCannotWriteBack);
      return kErrTmpCopy;
    }
    if (c == "m") {
      for (const PackItem& it : items)
        if (!it.isDir) ::unlink(it.disk.c_str());
    }
    if (c != "d") rep.Say(msg::kPacked, {std::to_string(added)});
    return kOk;
  }

  static int PackOne(const PackItem& it, OutputFile& out, Report& rep, std::string& why) {
    if (!NotifyPacking(it)) {
      why = "stopped";
      return kErrUserCancel;
    }
    bool nameOk = true;
    if (it.isDir) {
      std::string h = lzh::BuildHeader(it.stored, true, "-lhd-", 0, 0, 0, it.mtime, it.attr, nameOk);
      if (!nameOk) rep.Say(msg::kNameFallback, {NameToCp932(it.stored)});
      rep.Say(msg::kAdding, {NameToCp932(it.stored) + "/"});
      return out.Write(h) ? kOk : kErrCannotWrite;
    }
    InputFile src;
    if (!src.Open(it.disk)) {
      why = "cannot read";
      return kErrFileOpen;
    }
    uint64_t size = src.Size();
    if (size > 0xFFFFFFFFull) {
      why = "file too large for this header";
      return kErrNotSupport;
    }
    uint16_t crc = Crc16Of(src, src.Data(), size);
    std::string method = size > 0 ? "-lh5-" : "-lh0-";
    // The header goes out first and is mended once the packed size is
    // known: neither the file nor its packed form is ever held whole.
    const uint64_t start = out.Written();
    std::string h = lzh::BuildHeader(it.stored, false, method, 0, size, crc, it.mtime, it.attr, nameOk);
    if (!nameOk) rep.Say(msg::kNameFallback, {NameToCp932(it.stored)});
    if (!out.Write(h)) return kErrCannotWrite;
    const uint64_t dataStart = out.Written();
    Sink toArchive = [&out](const unsigned char* p, size_t n) { return out.Write(p, n); };
    bool ok = true;
    if (method == "-lh5-") {
      ok = lzh::EncodeLh5(src.Data(), size, toArchive, [&src] { src.DropPages(); });
      if (ok && out.Written() - dataStart >= size) {
        method = "-lh0-";  // packing did not pay
        ok = out.Truncate(dataStart);
      }
    }
    if (ok && method == "-lh0-" && size > 0) ok = TrimmingSink(src, toArchive)(src.Data(), size);
    const uint64_t psize = out.Written() - dataStart;
    ok =
        ok && out.Patch(start, lzh::BuildHeader(it.stored, false, method, psize, size, crc, it.mtime, it.attr, nameOk));
    char buf[32];
    std::snprintf(buf, sizeof buf, " (%.1f%%)", size ? psize * 100.0 / size : 0.0);
    rep.Line(Text932(msg::kAdding, {NameToCp932(it.stored)}) + buf);
    return ok ? kOk : kErrCannotWrite;
  }
};

LhaLibrary g_lha;

}  // namespace
}  // namespace navirt::arc

NAVIRT_ARC_ENTRY_POINTS(Unlha, navirt::arc::g_lha)
