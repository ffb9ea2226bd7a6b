// libunzip32.so (extract side, prefix UnZip) and libzip32j.so (create side,
// prefix Zip, plus the UnZip listing calls). Built twice from this file.
#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"
#include "archive/libs/Zip.h"

namespace navirt::arc {
namespace {

class ZipLibrary : public ArcLibrary {
 public:
  explicit ZipLibrary(bool createSide) : create_(createSide) {}
  uint16_t Version() const override { return create_ ? 100 : 554; }

  int List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) override {
    return ListArchiveFile(path, zip::List, out, why);
  }

  int ExtractToMemory(const std::string& path, const std::string& name, std::string& data, ArcEntry& entry,
                      std::string& why) override {
    InputFile in;
    if (!in.Open(path)) return kErrArcFileOpen;
    std::vector<ArcEntry> entries;
    int rc = zip::List(in, entries, why);
    if (rc != kOk) return rc;
    return ExtractMatchToMemory(
        entries, name,
        [&](size_t i, const Sink& sink, std::string& w) {
          return zip::Unpack(in, entries[i], TrimmingSink(in, sink), w);
        },
        data, entry, why);
  }

  int Run(const std::string& cmdline, Report& rep) override {
    CmdLine cl;
    std::string err;
    std::vector<std::string> words =
        create_ ? std::vector<std::string>{} : std::vector<std::string>{"-x", "-e", "-l", "-v", "-t"};
    int rc = ParseCommandLine(cmdline, words, {}, cl, err);
    if (rc != kOk) {
      rep.Utf8Line(Reason(err));
      return rc;
    }
    if (cl.archive.empty()) {
      rep.Line("zip: " + Text932(msg::kArchiveNameMissing));
      return kErrNotArcName;
    }
    // The name filter of the callers escapes "[" as "[[]".
    for (auto& n : cl.names) n = Unescape(n);
    if (!create_) {
      if (cl.command == "-l" || cl.command == "-v") return DoList(cl, rep);
      if (cl.command == "-t") return DoTest(cl, rep);
      return DoExtract(cl, cl.command == "-e" ? false : cl.Number("j") <= 0, rep);
    }
    if (cl.HasSwitch("A")) return SfxUnsupported(rep);
    zip::WriteMode mode = zip::WriteMode::Add;
    if (cl.HasSwitch("d"))
      mode = zip::WriteMode::Delete;
    else if (cl.HasSwitch("f"))
      mode = zip::WriteMode::Freshen;
    else if (cl.HasSwitch("u"))
      mode = zip::WriteMode::Update;
    zip::WriteOptions opt;
    for (int lv = 0; lv <= 9; ++lv)
      if (cl.HasSwitch(std::to_string(lv))) opt.level = lv;
    opt.dirEntries = !cl.HasSwitch("D");
    opt.sjisNames = cl.HasSwitch("-sjis-names");
    std::vector<PackItem> items;
    if (mode != zip::WriteMode::Delete) {
      if (cl.names.empty()) {
        rep.Line("zip: " + Text932(msg::kNothingToDo));
        return kErrNotFileName;
      }
      rc = CollectFiles(cl.names, cl.folder, !cl.HasSwitch("j"), cl.HasSwitch("r"), cl.HasSwitch("S"), items, rep);
      if (rc != kOk) return rc;
      DropArchiveItself(items, cl.archive);
    }
    return zip::Write(cl.archive, mode, items, cl.names, opt, rep);
  }

 private:
  static std::string Unescape(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s.compare(i, 3, "[[]") == 0) {
        out += '[';
        i += 2;
      } else {
        out += s[i];
      }
    }
    return out;
  }

  int DoList(const CmdLine& cl, Report& rep) {
    std::vector<ArcEntry> entries;
    std::string why;
    int rc = List(cl.archive, entries, why);
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

  int DoTest(const CmdLine& cl, Report& rep) {
    InputFile in;
    if (!in.Open(cl.archive)) return kErrArcFileOpen;
    std::vector<ArcEntry> entries;
    std::string why;
    int rc = zip::List(in, entries, why);
    if (rc != kOk) {
      rep.Utf8Line(Reason(why));
      return rc;
    }
    int result = kOk;
    for (const auto& e : entries) {
      if (e.isDir || !MatchesAny(cl.names, e.path)) continue;
      int r = zip::Unpack(
          in, e, [](const unsigned char*, size_t) { return true; }, why);
      rep.Say(msg::kTesting, {NameToCp932(e.path), r == kOk ? "OK" : Reason932(why)});
      if (r != kOk && result == kOk) result = r;
    }
    return result;
  }

  int DoExtract(const CmdLine& cl, bool keepPaths, Report& rep) {
    InputFile in;
    if (!in.Open(cl.archive)) {
      rep.SayUtf8(msg::kCannotOpen, {cl.archive});
      return kErrArcFileOpen;
    }
    std::vector<ArcEntry> entries;
    std::string why;
    int rc = zip::List(in, entries, why);
    if (rc != kOk) {
      rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
      return rc;
    }
    ExtractJob job;
    job.outDir = OutputFolder(cl.folder);
    job.keepPaths = keepPaths;
    job.overwrite = cl.HasSwitch("o") ? Overwrite::Always : Overwrite::Never;
    job.patterns = cl.names;
    if (int rc = ReadReplaceList(cl, job, rep); rc != kOk) return rc;
    return ExtractEntries(
        entries, job,
        [&](size_t i, const Sink& sink, std::string& w) {
          return zip::Unpack(in, entries[i], TrimmingSink(in, sink), w);
        },
        rep);
  }

  bool create_;
};

#ifdef NAVIRT_ZIP_CREATE_SIDE
ZipLibrary g_zip(true);
ZipLibrary g_unzip(false);
#else
ZipLibrary g_unzip(false);
#endif

}  // namespace
}  // namespace navirt::arc

#ifdef NAVIRT_ZIP_CREATE_SIDE
NAVIRT_ARC_ENTRY_POINTS(Zip, navirt::arc::g_zip)
// The create side also answers the listing calls of the extract side.
NAVIRT_ARC_EXPORT void* UnZipOpenArchive(void* wnd, const char* file, uint32_t mode) {
  return navirt::arc::ApiOpen(navirt::arc::g_unzip, file, mode);
}
NAVIRT_ARC_EXPORT int UnZipFindFirst(void* h, const char* wild, navirt::arc::IndividualInfo* info) {
  return navirt::arc::ApiFindFirst(h, wild, info);
}
NAVIRT_ARC_EXPORT int UnZipFindNext(void* h, navirt::arc::IndividualInfo* info) {
  return navirt::arc::ApiFindNext(h, info);
}
NAVIRT_ARC_EXPORT int UnZipCloseArchive(void* h) { return navirt::arc::ApiClose(h); }
NAVIRT_ARC_EXPORT int UnZipCheckArchive(const char* file, int mode) {
  return navirt::arc::ApiCheck(navirt::arc::g_unzip, file, mode);
}
NAVIRT_ARC_LANGUAGE_ENTRY_POINTS(UnZip)
#else
NAVIRT_ARC_ENTRY_POINTS(UnZip, navirt::arc::g_unzip)
#endif
