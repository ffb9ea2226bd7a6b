#include "archive/libs/LibFrame.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <unordered_map>

namespace navirt::arc {

bool ArcLibrary::Check(const std::string& path, int mode) {
  std::vector<ArcEntry> entries;
  std::string why;
  if (List(path, entries, why) != kOk) return false;
  if ((mode & 3) != 2) return true;
  // A full check unpacks every entry and verifies its CRC.
  for (const ArcEntry& e : entries) {
    if (e.isDir || e.isLink || e.isHardLink) continue;
    std::string data;
    ArcEntry found;
    if (ExtractToMemory(path, e.path, data, found, why) != kOk) return false;
  }
  return true;
}

namespace {
class ListCursor : public EntryCursor {
 public:
  explicit ListCursor(std::vector<ArcEntry> entries) : entries_(std::move(entries)) {}
  bool Rewind() override {
    pos_ = 0;
    return true;
  }
  bool Next(ArcEntry& e) override {
    if (pos_ >= entries_.size()) return false;
    e = entries_[pos_++];
    return true;
  }

 private:
  std::vector<ArcEntry> entries_;
  size_t pos_ = 0;
};
}  // namespace

std::unique_ptr<EntryCursor> ArcLibrary::OpenCursor(const std::string& path, std::string& why) {
  std::vector<ArcEntry> entries;
  if (List(path, entries, why) != kOk) return nullptr;
  return std::make_unique<ListCursor>(std::move(entries));
}

int ArcLibrary::ExtractToMemory(const std::string&, const std::string&, std::string&, ArcEntry&, std::string& why) {
  why = "not supported";
  return kErrNotSupport;
}

int ListArchiveFile(const std::string& path, ListFn list, std::vector<ArcEntry>& out, std::string& why) {
  InputFile in;
  if (!in.Open(path)) {
    why = "cannot open " + path;
    return kErrArcFileOpen;
  }
  return list(in, out, why);
}

int ExtractMatchToMemory(const std::vector<ArcEntry>& entries, const std::string& name, const UnpackFn& unpack,
                         std::string& data, ArcEntry& entry, std::string& why) {
  for (size_t i = 0; i < entries.size(); ++i) {
    const ArcEntry& e = entries[i];
    if (e.isDir || !WildMatch(name, e.path)) continue;
    entry = e;
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

int SfxUnsupported(Report& rep) {
  rep.Line("Self-extracting archives cannot be made on this system.");
  return kErrNotSupport;
}

namespace {
std::string Pad(const std::string& s, size_t width, bool right) {
  if (s.size() >= width) return s;
  return right ? std::string(width - s.size(), ' ') + s : s + std::string(width - s.size(), ' ');
}

std::string DateText(uint16_t d, uint16_t t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d-%02d-%02d %02d:%02d:%02d", ((d >> 9) + 80) % 100, (d >> 5) & 15, d & 31, t >> 11,
                (t >> 5) & 63, (t & 31) * 2);
  return buf;
}
}  // namespace

void ListingReport(const std::string& archive, const std::vector<ArcEntry>& entries, bool longNames, Report& rep) {
  rep.Line("Listing of archive : " + NameToCp932(archive));
  rep.Line("");
  rep.Line(" Original   Packed  Ratio   Date     Time    Attr Method  CRC      Name");
  const std::string dash = "---------- ---------- ------ -------- -------- ---- ------- -------- ------------";
  rep.Line(dash);
  uint64_t total = 0, packed = 0;
  for (const ArcEntry& e : entries) {
    char buf[128];
    unsigned ratio = e.size ? static_cast<unsigned>(e.packed * 1000 / e.size) : 0;
    std::snprintf(buf, sizeof buf, "%10llu %10llu %3u.%u%% ", static_cast<unsigned long long>(e.size),
                  static_cast<unsigned long long>(e.packed), ratio / 10, ratio % 10);
    std::string line = buf;
    line += DateText(e.dosDate, e.dosTime) + " " + AttributeText(e.attr) + " " + Pad(e.method, 7, false) + " ";
    std::snprintf(buf, sizeof buf, "%08X ", e.crc);
    line += buf;
    std::string name = NameToCp932(e.path) + (e.isDir ? "/" : "");
    if (!longNames) {
      size_t slash = NameToCp932(e.path).rfind('/');
      if (slash != std::string::npos && !e.isDir) name = name.substr(slash + 1);
    }
    line += name;
    if (e.isLink) line += " -> " + NameToCp932(e.linkTarget);
    rep.Line(line);
    total += e.size;
    packed += e.packed;
  }
  rep.Line(dash);
  char buf[128];
  unsigned ratio = total ? static_cast<unsigned>(packed * 1000 / total) : 0;
  std::snprintf(buf, sizeof buf, "%10llu %10llu %3u.%u%%  %zu file(s)", static_cast<unsigned long long>(total),
                static_cast<unsigned long long>(packed), ratio / 10, ratio % 10, entries.size());
  rep.Line(buf);
}

namespace {
void* g_progressWnd = nullptr;
ProgressCallback g_progressCb = nullptr;
}  // namespace

void SetProgress(void* wnd, ProgressCallback cb) {
  g_progressWnd = wnd;
  g_progressCb = cb;
}

bool NotifyProgress(const ArcEntry& e, unsigned state) {
  if (!g_progressCb) return true;
  IndividualInfo info;
  FillRecord(e, info);
  return g_progressCb(g_progressWnd, 0, state, &info) != 0;
}

bool NotifyPacking(const PackItem& it) {
  if (!g_progressCb) return true;
  ArcEntry e;
  e.path = it.stored;
  e.size = it.size;
  e.isDir = it.isDir;
  e.attr = it.attr;
  e.mtime = it.mtime;
  UnixToDos(it.mtime, e.dosDate, e.dosTime);
  return NotifyProgress(e);
}

void ExtractStats::Fail(int code) {
  ++failed;
  if (result == kOk) result = code;
}

namespace {
// A hard link names a file extracted earlier into the same target: link
// to it there, or copy it where links cannot be made.
bool PlaceHardLink(const ArcEntry& e, const ExtractJob& job, const std::string& target, std::string& why) {
  std::string source;
  if (PrepareTarget(job.outDir, e.linkTarget, job.keepPaths, false, source, why) != kOk) return false;
  struct stat st;
  if (::lstat(source.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "the linked file " + e.linkTarget + " was not extracted";
    return false;
  }
  if (source == target) return true;
  std::string tmp = target + ".navirt-link";
  ::unlink(tmp.c_str());
  if (::link(source.c_str(), tmp.c_str()) == 0) {
    if (::rename(tmp.c_str(), target.c_str()) == 0) return true;
    ::unlink(tmp.c_str());
  }
  OutputFile out;
  std::FILE* in = std::fopen(source.c_str(), "rb");
  bool ok = in && out.Open(target);
  char buf[1 << 16];
  size_t n;
  while (ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0) ok = out.Write(buf, n);
  ok = ok && !std::ferror(in);
  if (in) std::fclose(in);
  if (!ok || !out.Commit(st.st_mtime, true)) {
    why = "cannot copy " + e.linkTarget;
    return false;
  }
  return true;
}
}  // namespace

void ExtractOne(const ArcEntry& e, const ExtractJob& job, const std::function<int(const Sink&, std::string&)>& unpack,
                Report& rep, ExtractStats& st) {
  if (st.cancelled || !MatchesAny(job.patterns, e.path)) return;
  if (!NotifyProgress(e)) {
    st.cancelled = true;
    st.Fail(kErrUserCancel);
    return;
  }
  std::string shown = NameToCp932(e.path);
  if (e.nameFallback) rep.Line("Warning: name not in CP932, stored as " + shown);
  if (e.encrypted) {
    rep.Line("Encrypted entry refused: " + shown);
    st.Fail(kErrNotSupport);
    return;
  }
  if (e.unsupported) {
    rep.Line("Unsupported method " + e.method + ": " + shown);
    st.Fail(kErrNotSupport);
    return;
  }
  std::string target, why;
  if (e.isDir) {
    if (!job.keepPaths || e.path.empty() || e.path == ".") return;
    int rc = PrepareTarget(job.outDir, e.path, true, true, target, why, &st.folders);
    if (rc != kOk) {
      rep.Line("Refused: " + shown + " (" + NameToCp932(why) + ")");
      st.Fail(rc);
      if (rc == kErrHeaderBroken) ++st.refused;
    }
    return;
  }
  if (e.isLink && !LinkStaysInside(e.path, e.linkTarget)) {
    rep.Line("Refused: " + shown + " (link points outside the folder)");
    st.Fail(kErrHeaderBroken);
    ++st.refused;
    return;
  }
  int rc = PrepareTarget(job.outDir, e.path, job.keepPaths, false, target, why, &st.folders);
  if (rc != kOk) {
    rep.Line("Refused: " + shown + " (" + NameToCp932(why) + ")");
    st.Fail(rc);
    if (rc == kErrHeaderBroken) ++st.refused;
    return;
  }
  // A run killed here before left its temporary files: gone now.
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  if (st.swept.insert(folder).second) RemoveStaleTemporaries(folder);
  // Every file is written under a temporary name and renamed when whole;
  // an old file is replaced only then, a free name never over something
  // that appeared meanwhile.
  OutputFile out;
  int created = e.isHardLink || e.isLink ? EEXIST : out.OpenNew(target);
  if (created == EEXIST) {
    struct stat ts;
    if (::lstat(target.c_str(), &ts) == 0 && S_ISDIR(ts.st_mode)) {
      rep.Line("Refused: " + shown + " (a folder of that name exists)");
      st.Fail(kErrCannotWrite);
      return;
    }
    if (!ShouldWrite(target, e.mtime, job.overwrite, why)) {
      rep.Line("Skipped: " + shown + " (" + why + ")");
      ++st.skipped;
      return;
    }
  }
  if (e.isHardLink) {
    if (!PlaceHardLink(e, job, target, why)) {
      rep.Line("Cannot link: " + shown + " (" + NameToCp932(why) + ")");
      st.Fail(kErrCannotWrite);
      return;
    }
    rep.Line("Extracting " + shown + " => " + NameToCp932(e.linkTarget));
    ++st.done;
    return;
  }
  if (e.isLink) {
    std::string tmp = target + ".navirt-link";
    ::unlink(tmp.c_str());
    if (::symlink(e.linkTarget.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), target.c_str()) != 0) {
      ::unlink(tmp.c_str());
      rep.Line("Cannot create link: " + shown);
      st.Fail(kErrCannotWrite);
      return;
    }
    rep.Line("Extracting " + shown + " -> " + NameToCp932(e.linkTarget));
    ++st.done;
    return;
  }
  if ((created != 0 && created != EEXIST) || (created == EEXIST && !out.Open(target))) {
    rep.Line("Cannot create: " + shown);
    st.Fail(kErrCannotWrite);
    return;
  }
  // A large entry asks the hook now and then, so Cancel need not wait for
  // its end.
  uint64_t sinceAsked = 0;
  bool stopped = false;
  Sink sink = [&](const unsigned char* p, size_t n) {
    if (!out.Write(p, n)) return false;
    sinceAsked += n;
    if (sinceAsked < kInEntryStep) return true;
    sinceAsked = 0;
    if (NotifyProgress(e, kStateInEntry)) return true;
    stopped = true;
    return false;
  };
  rc = unpack(sink, why);
  if (stopped) {
    out.Abort();
    rep.Line("Cancelled: " + shown);
    st.cancelled = true;
    st.Fail(kErrUserCancel);
    return;
  }
  if (rc != kOk) {
    out.Abort();
    rep.Line("Error: " + shown + " (" + NameToCp932(why) + ")");
    st.Fail(rc);
    return;
  }
  if (!out.Commit(e.mtime, e.mtime > 0)) {
    rep.Line("Write error: " + shown);
    st.Fail(kErrCannotWrite);
    return;
  }
  ApplyMeta(target, 0, e.attr, false);
  rep.Line("Extracting " + shown);
  ++st.done;
}

int FinishExtract(const ExtractStats& st, Report& rep) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "%zu file(s) extracted, %zu skipped, %zu error(s).", st.done, st.skipped, st.failed);
  rep.Line(buf);
  // Unsafe entries share the broken header's code: say what it was.
  if (st.refused) {
    std::snprintf(buf, sizeof buf, "%zu entr%s refused as unsafe (a name or link leading outside the folder).",
                  st.refused, st.refused == 1 ? "y" : "ies");
    rep.Line(buf);
  }
  return st.result;
}

int ExtractEntries(const std::vector<ArcEntry>& entries, const ExtractJob& job, const UnpackFn& unpack, Report& rep) {
  ExtractStats st;
  for (size_t i = 0; i < entries.size() && !st.cancelled; ++i)
    ExtractOne(
        entries[i], job, [&](const Sink& sink, std::string& why) { return unpack(i, sink, why); }, rep, st);
  return FinishExtract(st, rep);
}

// ---- exported calls ----------------------------------------------------

namespace {
struct Handle {
  std::unique_ptr<EntryCursor> cursor;
  std::string wild;
  bool searching = false;
  ArcEntry current;
};

// The handles given out and not yet closed. A handle is looked up here
// before it is used, so a stale or foreign one is never read through.
class HandleTable {
 public:
  void* Add(std::unique_ptr<Handle> h) {
    std::lock_guard<std::mutex> lock(mutex_);
    void* key = h.get();
    live_.emplace(key, std::move(h));
    return key;
  }
  Handle* Find(void* key) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = live_.find(key);
    return it == live_.end() ? nullptr : it->second.get();
  }
  bool Remove(void* key) {
    std::unique_ptr<Handle> gone;
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = live_.find(key);
    if (it == live_.end()) return false;
    gone = std::move(it->second);
    live_.erase(it);
    return true;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<void*, std::unique_ptr<Handle>> live_;
};

HandleTable& Handles() {
  static HandleTable table;
  return table;
}

Handle* AsHandle(void* h) { return h ? Handles().Find(h) : nullptr; }

int NextMatch(Handle* h, IndividualInfo* info) {
  while (h->cursor->Next(h->current)) {
    if (WildMatch(h->wild, h->current.path)) {
      if (info) FillRecord(h->current, *info);
      return 0;
    }
  }
  return -1;
}
}  // namespace

int ApiRun(ArcLibrary& lib, const char* cmd, char* out, uint32_t size) {
  Report rep;
  int rc;
  try {
    rc = cmd ? lib.Run(cmd, rep) : kErrCommandName;
  } catch (const std::bad_alloc&) {
    rep.Line("Out of memory.");
    rc = kErrMoreHeapMemory;
  } catch (const std::exception& e) {
    rep.Line(std::string("Error: ") + e.what());
    rc = kErrHeaderBroken;
  }
  rep.CopyTo(out, size);
  return rc;
}

int ApiCheck(ArcLibrary& lib, const char* file, int mode) {
  if (!file) return 0;
  std::string path = file;
  // Callers may pass the path between double quotes.
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
  try {
    return lib.Check(path, mode) ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

void* ApiOpen(ArcLibrary& lib, const char* file, uint32_t mode) {
  if (!file) return nullptr;
  try {
    auto h = std::make_unique<Handle>();
    std::string why;
    h->cursor = lib.OpenCursor(file, why);
    if (!h->cursor) return nullptr;
    return Handles().Add(std::move(h));
  } catch (...) {
    return nullptr;
  }
}

int ApiFindFirst(void* hv, const char* wild, IndividualInfo* info) {
  Handle* h = AsHandle(hv);
  if (!h) return kErrHarcIsNotOpened;
  h->wild = wild ? wild : "*.*";
  if (!h->cursor->Rewind()) return -1;
  h->searching = true;
  return NextMatch(h, info);
}

int ApiFindNext(void* hv, IndividualInfo* info) {
  Handle* h = AsHandle(hv);
  if (!h) return kErrHarcIsNotOpened;
  if (!h->searching) return kErrNotSearchMode;
  return NextMatch(h, info);
}

int ApiClose(void* hv) { return hv && Handles().Remove(hv) ? 0 : kErrHarcIsNotOpened; }

int ApiExtractMem(ArcLibrary& lib, const char* cmd, unsigned char* buf, uint32_t size, std::time_t* time,
                  uint16_t* attr, uint32_t* written) {
  if (!cmd) return kErrCommandName;
  std::vector<Token> tokens = Tokenize(cmd);
  std::vector<std::string> plain;
  for (const Token& t : tokens)
    if (!(t.text.size() > 1 && t.text[0] == '-') && !t.text.empty()) plain.push_back(t.text);
  // An optional command word comes first.
  if (plain.size() == 3) plain.erase(plain.begin());
  if (plain.size() != 2) return kErrNotFileName;
  // The archive is a path of this system; the entry's name is the
  // archive's, where "\" separates.
  for (char& c : plain[1])
    if (c == '\\') c = '/';
  std::string data, why;
  ArcEntry e;
  int rc;
  try {
    rc = lib.ExtractToMemory(plain[0], plain[1], data, e, why);
  } catch (...) {
    rc = kErrMoreHeapMemory;
  }
  if (rc != kOk) return rc;
  size_t n = std::min<size_t>(data.size(), size);
  if (buf && n) std::memcpy(buf, data.data(), n);
  if (written) *written = static_cast<uint32_t>(n);
  if (time) *time = e.mtime;
  if (attr) *attr = static_cast<uint16_t>(e.attr);
  return kOk;
}

}  // namespace navirt::arc
