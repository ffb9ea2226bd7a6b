#include "archive/libs/ReadOnlyLibrary.h"

#include <algorithm>

#include "archive/libs/LibMessages.h"

namespace navirt::arc {

bool ReadOnlyLibrary::In(const std::vector<std::string>& v, const std::string& w) {
  return std::find(v.begin(), v.end(), w) != v.end();
}

int ReadOnlyLibrary::List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) {
  InputFile in;
  if (!in.Open(path)) {
    why = "cannot open " + path;
    return kErrArcFileOpen;
  }
  return list_(in, path, out, why);
}

int ReadOnlyLibrary::ExtractToMemory(const std::string& path, const std::string& name, std::string& data,
                                     ArcEntry& entry, std::string& why) {
  InputFile in;
  if (!in.Open(path)) return kErrArcFileOpen;
  std::vector<ArcEntry> entries;
  int rc = list_(in, path, entries, why);
  if (rc != kOk) return rc;
  UnpackFn unpack = unpacker_(in, path, entries);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].isDir || !WildMatch(name, entries[i].path)) continue;
    entry = entries[i];
    data.clear();
    return unpack(
        i,
        [&](const unsigned char* p, size_t n) {
          data.append(reinterpret_cast<const char*>(p), n);
          return true;
        },
        why);
  }
  why = "no such entry";
  return kErrNotExist;
}

int ReadOnlyLibrary::Run(const std::string& cmdline, Report& rep) {
  std::vector<std::string> all;
  for (const auto* v : {&words_.extract, &words_.extractFlat, &words_.list, &words_.test})
    all.insert(all.end(), v->begin(), v->end());
  all.push_back("s");
  CmdLine cl;
  std::string err;
  int rc = ParseCommandLine(cmdline, all, {}, cl, err);
  if (rc != kOk) {
    rep.Utf8Line(Reason(err));
    return rc;
  }
  if (cl.archive.empty()) {
    rep.Say(msg::kArchiveNameMissing);
    return kErrNotArcName;
  }
  if (cl.command == "s") return SfxUnsupported(rep);
  if (!In(all, cl.command)) {
    rep.Say(msg::kReadOnlyLibrary);
    return kErrCommandName;
  }
  InputFile in;
  if (!in.Open(cl.archive)) {
    rep.SayUtf8(msg::kCannotOpen, {cl.archive});
    return kErrArcFileOpen;
  }
  std::vector<ArcEntry> entries;
  std::string why;
  rc = list_(in, cl.archive, entries, why);
  if (rc != kOk) {
    rep.SayUtf8(msg::kNamedReason, {cl.archive, Reason(why)});
    return rc;
  }
  if (In(words_.list, cl.command)) {
    std::vector<ArcEntry> shown;
    for (auto& e : entries)
      if (MatchesAny(cl.names, e.path)) shown.push_back(e);
    ListingReport(cl.archive, shown, cl.command.find('v') != std::string::npos, rep);
    return kOk;
  }
  UnpackFn unpack = unpacker_(in, cl.archive, entries);
  if (In(words_.test, cl.command)) {
    int result = kOk;
    for (size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].isDir || !MatchesAny(cl.names, entries[i].path)) continue;
      int r = unpack(
          i, [](const unsigned char*, size_t) { return true; }, why);
      rep.Say(msg::kTesting, {NameToCp932(entries[i].path), r == kOk ? "OK" : Reason932(why)});
      if (r != kOk && result == kOk) result = r;
    }
    return result;
  }
  ExtractJob job;
  job.outDir = OutputFolder(cl.folder);
  job.keepPaths = !In(words_.extractFlat, cl.command) && !cl.HasSwitch("j");
  // -c (LHA style), -o or -y say: overwrite.
  bool force = cl.Number("c") > 0 || cl.HasSwitch("o") || cl.HasSwitch("y");
  job.overwrite = force ? Overwrite::Always : (overwrite_ || cl.HasSwitch("u") ? Overwrite::IfNewer : Overwrite::Never);
  job.patterns = cl.names;
  if (int rc = ReadReplaceList(cl, job, rep); rc != kOk) return rc;
  return ExtractEntries(entries, job, unpack, rep);
}

}  // namespace navirt::arc
