// libbga32.so: BGA archives (.gza, .bza).
#include <algorithm>
#include <map>

#include "archive/libs/Bga.h"
#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"

namespace navirt::arc {
namespace {

class BgaLibrary : public ArcLibrary {
 public:
  int List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) override {
    return ListArchiveFile(path, bga::List, out, why);
  }

  int ExtractToMemory(const std::string& path, const std::string& name, std::string& data, ArcEntry& entry,
                      std::string& why) override {
    InputFile in;
    if (!in.Open(path)) return kErrArcFileOpen;
    std::vector<ArcEntry> entries;
    int rc = bga::List(in, entries, why);
    if (rc != kOk) return rc;
    return ExtractMatchToMemory(
        entries, name,
        [&](size_t i, const Sink& sink, std::string& w) {
          return bga::Unpack(in, entries[i], TrimmingSink(in, sink), w);
        },
        data, entry, why);
  }

  int Run(const std::string& cmdline, Report& rep) override {
    CmdLine cl;
    std::string err;
    int rc = ParseCommandLine(cmdline, {"x", "e", "a", "d", "s", "l", "v", "t"}, {}, cl, err);
    if (rc != kOk) {
      rep.Utf8Line(Reason(err));
      return rc;
    }
    if (cl.archive.empty()) {
      rep.Line("bga: " + Text932(msg::kArchiveNameMissing));
      return kErrNotArcName;
    }
    const std::string& c = cl.command;
    if (c == "s") return SfxUnsupported(rep);
    if (c == "a" || c == "d") return DoWrite(cl, rep);
    InputFile in;
    if (!in.Open(cl.archive)) {
      rep.SayUtf8(msg::kCannotOpen, {cl.archive});
      return kErrArcFileOpen;
    }
    std::vector<ArcEntry> entries;
    std::string why;
    rc = bga::List(in, entries, why);
    if (rc != kOk) {
      rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
      return rc;
    }
    if (c == "l" || c == "v") {
      std::vector<ArcEntry> shown;
      for (auto& e : entries)
        if (MatchesAny(cl.names, e.path)) shown.push_back(e);
      ListingReport(cl.archive, shown, c == "v", rep);
      return kOk;
    }
    if (c == "t") {
      int result = kOk;
      for (const auto& e : entries) {
        int r = bga::Unpack(
            in, e, [](const unsigned char*, size_t) { return true; }, why);
        if (r != kOk && result == kOk) result = r;
        rep.Say(msg::kTesting, {NameToCp932(e.path), r == kOk ? "OK" : Reason932(why)});
      }
      return result;
    }
    if (c != "x" && c != "e") return kErrCommandName;
    ExtractJob job;
    job.outDir = OutputFolder(cl.folder);
    job.keepPaths = c == "x" && !cl.HasSwitch("j");
    job.overwrite = cl.HasSwitch("o") ? Overwrite::Always : Overwrite::Never;
    job.patterns = cl.names;
    if (int rc = ReadReplaceList(cl, job, rep); rc != kOk) return rc;
    return ExtractEntries(
        entries, job,
        [&](size_t i, const Sink& sink, std::string& w) {
          return bga::Unpack(in, entries[i], TrimmingSink(in, sink), w);
        },
        rep);
  }

 private:
  int DoWrite(const CmdLine& cl, Report& rep) {
    std::vector<ArcEntry> old;
    InputFile in;
    if (PathExists(cl.archive)) {
      std::string why;
      if (!in.Open(cl.archive)) return kErrArcFileOpen;
      int rc = bga::List(in, old, why);
      if (rc != kOk) {
        rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
        return rc;
      }
    } else if (cl.command == "d") {
      rep.SayUtf8(msg::kArchiveNotFound, {cl.archive});
      return kErrArcFileOpen;
    }
    if (cl.names.empty()) {
      rep.Line("bga: " + Text932(msg::kFileNamesMissing));
      return kErrNotFileName;
    }
    std::vector<PackItem> items;
    std::map<std::string, bool> replaced;
    if (cl.command == "a") {
      int rc = CollectFiles(cl.names, cl.folder, !cl.HasSwitch("j"), cl.HasSwitch("r"), cl.HasSwitch("a"), items, rep);
      if (rc != kOk) return rc;
      DropArchiveItself(items, cl.archive);
      items.erase(std::remove_if(items.begin(), items.end(), [](const PackItem& p) { return p.isDir; }), items.end());
      for (const auto& it : items) replaced[it.stored] = true;
    }
    std::string lower = cl.archive;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    bool bz = lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".bza") == 0;
    int level = cl.Number("l");
    OutputFile out;
    if (!out.Open(cl.archive)) {
      rep.Say(msg::kNoWorkFile);
      return kErrTmpOpen;
    }
    size_t deleted = 0;
    for (const ArcEntry& e : old) {
      bool drop = cl.command == "d" ? MatchesAny(cl.names, e.path) : replaced.count(e.path) > 0;
      if (drop) {
        if (cl.command == "d") rep.Say(msg::kDeleting, {NameToCp932(e.path)});
        ++deleted;
        continue;
      }
      if (!out.Write(in.View(e.headerOffset, e.headerSize + e.packed))) return kErrCannotWrite;
    }
    for (const PackItem& it : items) {
      int rc = bga::WriteRecord(it, bz, level, out, rep);
      if (rc != kOk) {
        out.Abort();
        rep.Say(msg::kLeftUnchanged);
        return rc;
      }
    }
    if (cl.command == "d" && deleted == 0) {
      out.Abort();
      rep.Say(msg::kNoMatchUnchanged);
      return kOk;
    }
    if (!out.Commit()) return kErrTmpCopy;
    return kOk;
  }
};

BgaLibrary g_bga;

}  // namespace
}  // namespace navirt::arc

NAVIRT_ARC_ENTRY_POINTS(Bga, navirt::arc::g_bga)
