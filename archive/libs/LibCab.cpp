// libcab32.so: Microsoft cabinets.
#include <map>

#include "archive/libs/Cab.h"
#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"

namespace navirt::arc {
namespace {

class CabLibrary : public ArcLibrary {
 public:
  int List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) override {
    return ListArchiveFile(path, cab::List, out, why);
  }

  int ExtractToMemory(const std::string& path, const std::string& name, std::string& data, ArcEntry& entry,
                      std::string& why) override {
    InputFile in;
    if (!in.Open(path)) return kErrArcFileOpen;
    std::vector<ArcEntry> entries;
    int rc = cab::List(in, entries, why);
    if (rc != kOk) return rc;
    cab::Unpacker up(in, path, entries);
    return ExtractMatchToMemory(
        entries, name,
        [&](size_t i, const Sink& sink, std::string& w) { return up.Unpack(i, TrimmingSink(in, sink), w); }, data,
        entry, why);
  }

  int Run(const std::string& cmdline, Report& rep) override {
    CmdLine cl;
    std::string err;
    int rc = ParseCommandLine(cmdline, {"-x", "-a", "-l", "-v", "-f", "-t"}, {}, cl, err);
    if (rc != kOk) {
      rep.Utf8Line(Reason(err));
      return rc;
    }
    if (cl.archive.empty()) {
      rep.Line("cab: " + Text932(msg::kArchiveNameMissing));
      return kErrNotArcName;
    }
    if (cl.command == "-f") return SfxUnsupported(rep);
    if (cl.command == "-a") return DoAdd(cl, rep);
    InputFile in;
    if (!in.Open(cl.archive)) {
      rep.SayUtf8(msg::kCannotOpen, {cl.archive});
      return kErrArcFileOpen;
    }
    std::vector<ArcEntry> entries;
    std::string why;
    rc = cab::List(in, entries, why);
    if (rc != kOk) {
      rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
      return rc;
    }
    if (cl.command == "-l" || cl.command == "-v") {
      std::vector<ArcEntry> shown;
      for (auto& e : entries)
        if (MatchesAny(cl.names, e.path)) shown.push_back(e);
      ListingReport(cl.archive, shown, true, rep);
      return kOk;
    }
    cab::Unpacker up(in, cl.archive, entries);
    if (cl.command == "-t") {
      int result = kOk;
      for (size_t i = 0; i < entries.size(); ++i) {
        int r = up.Unpack(
            i, [](const unsigned char*, size_t) { return true; }, why);
        rep.Say(msg::kTesting, {NameToCp932(entries[i].path), r == kOk ? "OK" : Reason932(why)});
        if (r != kOk && result == kOk) result = r;
      }
      return result;
    }
    ExtractJob job;
    job.outDir = OutputFolder(cl.folder);
    job.keepPaths = !cl.HasSwitch("j");
    job.overwrite = cl.HasSwitch("o") ? Overwrite::Always : Overwrite::Never;
    job.patterns = cl.names;
    if (int rc = ReadReplaceList(cl, job, rep); rc != kOk) return rc;
    return ExtractEntries(
        entries, job,
        [&](size_t i, const Sink& sink, std::string& w) { return up.Unpack(i, TrimmingSink(in, sink), w); }, rep);
  }

 private:
  int DoAdd(const CmdLine& cl, Report& rep) {
    if (cl.names.empty()) {
      rep.Line("cab: " + Text932(msg::kFileNamesMissing));
      return kErrNotFileName;
    }
    std::vector<PackItem> items;
    int rc = CollectFiles(cl.names, cl.folder, !cl.HasSwitch("j"), cl.HasSwitch("r"), false, items, rep);
    if (rc != kOk) return rc;
    DropArchiveItself(items, cl.archive);
    std::map<std::string, bool> incoming;
    for (const auto& it : items) incoming[it.stored] = true;
    // An existing cabinet keeps the entries the new files do not replace.
    std::vector<cab::KeptEntry> kept;
    if (PathExists(cl.archive)) {
      InputFile in;
      std::vector<ArcEntry> entries;
      std::string why;
      if (!in.Open(cl.archive)) return kErrArcFileOpen;
      rc = cab::List(in, entries, why);
      if (rc != kOk) {
        rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
        return rc;
      }
      // The old cabinet is read while the new one is written beside it.
      auto up = std::make_shared<cab::Unpacker>(in, cl.archive, entries);
      for (size_t i = 0; i < entries.size(); ++i) {
        if (incoming.count(entries[i].path)) continue;
        kept.push_back(
            {entries[i], [up, i](const Sink& sink, std::string& reason) { return up->Unpack(i, sink, reason); }});
      }
      return cab::Write(cl.archive, kept, items, rep);
    }
    return cab::Write(cl.archive, kept, items, rep);
  }
};

CabLibrary g_cab;

}  // namespace
}  // namespace navirt::arc

NAVIRT_ARC_ENTRY_POINTS(Cab, navirt::arc::g_cab)
