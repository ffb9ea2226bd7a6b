// liblmzip32.so: ZIP in one library under two prefixes. "Unzip" lists and
// unpacks; "Zip" packs with "-ru" (into an archive the caller has removed
// first), deletes with "-d" and freshens with "-f". Names for "-ru" come
// as they are on disk; the other commands get the callers' "[[]" form.
#include <utime.h>

#include <algorithm>

#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"
#include "archive/libs/Zip.h"

namespace navirt::arc {
namespace {

constexpr uint16_t kLmzipVersion = 130;

std::string UnescapeBracket(const std::string& s) {
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

int Parse(const std::string& cmdline, const std::vector<std::string>& words, CmdLine& cl, Report& rep) {
  std::string err;
  int rc = ParseCommandLine(cmdline, words, {}, cl, err);
  if (rc != kOk) {
    rep.Utf8Line(Reason(err));
    return rc;
  }
  if (cl.archive.empty()) {
    rep.Line("lmzip: " + Text932(msg::kArchiveNameMissing));
    return kErrNotArcName;
  }
  return kOk;
}

// The "Unzip" side.
class UnzipSide : public ArcLibrary {
 public:
  uint16_t Version() const override { return kLmzipVersion; }

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
    int rc = Parse(cmdline, {"-x", "-e", "-l", "-v", "-t"}, cl, rep);
    if (rc != kOk) return rc;
    // Names are patterns here: "[[]" already reads as a literal "[".
    InputFile in;
    if (!in.Open(cl.archive)) {
      rep.SayUtf8(msg::kCannotOpen, {cl.archive});
      return kErrArcFileOpen;
    }
    std::vector<ArcEntry> entries;
    std::string why;
    rc = zip::List(in, entries, why);
    if (rc != kOk) {
      rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
      return rc;
    }
    if (cl.command == "-l" || cl.command == "-v") {
      std::vector<ArcEntry> shown;
      for (auto& e : entries)
        if (MatchesAny(cl.names, e.path)) shown.push_back(e);
      ListingReport(cl.archive, shown, cl.command == "-v", rep);
      return kOk;
    }
    if (cl.command == "-t") {
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
    ExtractJob job;
    job.outDir = OutputFolder(cl.folder);
    job.keepPaths = cl.command != "-e" && cl.Number("j") <= 0;
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
};

// The "Zip" side.
class ZipSide : public UnzipSide {
 public:
  int Run(const std::string& cmdline, Report& rep) override {
    CmdLine cl;
    int rc = Parse(cmdline, {"-ru", "-r", "-u", "-d", "-f"}, cl, rep);
    if (rc != kOk) return rc;
    if (cl.HasSwitch("A")) return SfxUnsupported(rep);
    const std::string& c = cl.command;
    zip::WriteMode mode = zip::WriteMode::Add;
    if (c == "-d")
      mode = zip::WriteMode::Delete;
    else if (c == "-f")
      mode = zip::WriteMode::Freshen;
    else if (c == "-ru" || c == "-u")
      mode = zip::WriteMode::Update;
    zip::WriteOptions opt;
    for (int lv = 0; lv <= 9; ++lv)
      if (cl.HasSwitch(std::to_string(lv))) opt.level = lv;
    if (cl.names.empty()) {
      rep.Line("lmzip: " + Text932(msg::kNothingToDo));
      return kErrNotFileName;
    }
    std::vector<PackItem> items;
    if (mode != zip::WriteMode::Delete) {
      std::vector<std::string> names = cl.names;
      if (mode == zip::WriteMode::Freshen)
        for (auto& n : names) n = UnescapeBracket(n);
      bool recurse = c == "-ru" || c == "-r";
      rc = CollectFiles(names, cl.folder, !cl.HasSwitch("j"), recurse, false, items, rep);
      if (rc != kOk) return rc;
      DropArchiveItself(items, cl.archive);
    }
    rc = zip::Write(cl.archive, mode, items, cl.names, opt, rep);
    // "-o": the archive takes the time of its newest file.
    if (rc == kOk && cl.HasSwitch("o") && !items.empty()) {
      std::time_t newest = 0;
      for (const auto& it : items) newest = std::max(newest, it.mtime);
      struct utimbuf t {
        newest, newest
      };
      ::utime(cl.archive.c_str(), &t);
    }
    return rc;
  }
};

UnzipSide g_unzip;
ZipSide g_zip;

}  // namespace
}  // namespace navirt::arc

NAVIRT_ARC_ENTRY_POINTS(Unzip, navirt::arc::g_unzip)
NAVIRT_ARC_EXPORT int Zip(void* wnd, const char* cmd, char* out, uint32_t size) {
  return navirt::arc::ApiRun(navirt::arc::g_zip, cmd, out, size);
}
NAVIRT_ARC_EXPORT uint16_t ZipGetVersion() { return navirt::arc::g_zip.Version(); }
NAVIRT_ARC_LANGUAGE_ENTRY_POINTS(Zip)
