#include "archive/libs/LibFrame.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <unordered_map>

#include "archive/libs/LibMessages.h"

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
  rep.Say(msg::kNoSfx);
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
  rep.Say(msg::kListingOf, {NameToCp932(archive)});
  rep.Line("");
  rep.Say(msg::kListingHeader);
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
  std::snprintf(buf, sizeof buf, "%10llu %10llu %3u.%u%%  ", static_cast<unsigned long long>(total),
                static_cast<unsigned long long>(packed), ratio / 10, ratio % 10);
  rep.Line(buf + Text932(msg::kFileCount, {std::to_string(entries.size())}));
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

namespace {
// Steps of ExtractOne. Each reports and counts what it refuses and answers
// false when the entry goes no further.

// The entry is one to write at all: selected, not cancelled, readable.
bool Admit(const ArcEntry& e, const ExtractJob& job, const std::string& shown, Report& rep, ExtractStats& st) {
  if (st.cancelled || !MatchesAny(job.patterns, e.path)) return false;
  if (!NotifyProgress(e)) {
    st.cancelled = true;
    st.Fail(kErrUserCancel);
    return false;
  }
  if (e.nameFallback) rep.Say(msg::kNameFallback, {shown});
  if (e.encrypted) {
    rep.Say(msg::kEncryptedRefused, {shown});
    st.Fail(kErrNotSupport);
    return false;
  }
  if (e.unsupported) {
    rep.Say(msg::kUnsupportedMethod, {e.method, shown});
    st.Fail(kErrNotSupport);
    return false;
  }
  return true;
}

void Refuse(const std::string& shown, const std::string& why, int rc, Report& rep, ExtractStats& st) {
  rep.Say(msg::kRefused, {shown, Reason932(why)});
  st.Fail(rc);
  if (rc == kErrHeaderBroken) ++st.refused;
}

// A safe target for a file entry, its folders made; a run killed there
// before has its temporary files removed.
bool Target(const ArcEntry& e, const ExtractJob& job, const std::string& shown, std::string& target, Report& rep,
            ExtractStats& st) {
  std::string why;
  if (e.isLink && !LinkStaysInside(e.path, e.linkTarget)) {
    Refuse(shown, "link points outside the folder", kErrHeaderBroken, rep, st);
    return false;
  }
  int rc = PrepareTarget(job.outDir, e.path, job.keepPaths, false, target, why, &st.folders);
  if (rc != kOk) {
    Refuse(shown, why, rc, rep, st);
    return false;
  }
  size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  if (st.swept.insert(folder).second) RemoveStaleTemporaries(folder);
  return true;
}

// What stands under the target already: a folder is never replaced; a file
// only when the job's rule says so.
bool MayReplace(const ArcEntry& e, const ExtractJob& job, const std::string& shown, const std::string& target,
                Report& rep, ExtractStats& st) {
  struct stat ts;
  if (::lstat(target.c_str(), &ts) != 0) return true;
  if (S_ISDIR(ts.st_mode)) {
    Refuse(shown, "a folder of that name exists", kErrCannotWrite, rep, st);
    return false;
  }
  std::string why;
  bool write = job.replaceListed ? job.replace.count(target) > 0 : ShouldWrite(target, e.mtime, job.overwrite, why);
  if (job.replaceListed && !write) why = "already exists, skipped";
  if (!write) {
    rep.Say(msg::kSkipped, {shown, Reason932(why)});
    ++st.skipped;
  }
  return write;
}

// Links are placed whole under a temporary name and renamed.
void PlaceLink(const ArcEntry& e, const ExtractJob& job, const std::string& shown, const std::string& target,
               Report& rep, ExtractStats& st) {
  std::string why;
  if (e.isHardLink) {
    if (!PlaceHardLink(e, job, target, why)) {
      rep.Say(msg::kCannotLink, {shown, Reason932(why)});
      st.Fail(kErrCannotWrite);
      return;
    }
    rep.Say(msg::kExtractingHardLink, {shown, NameToCp932(e.linkTarget)});
    ++st.done;
    return;
  }
  std::string tmp = target + ".navirt-link";
  ::unlink(tmp.c_str());
  if (::symlink(e.linkTarget.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), target.c_str()) != 0) {
    ::unlink(tmp.c_str());
    rep.Say(msg::kCannotCreateLink, {shown});
    st.Fail(kErrCannotWrite);
    return;
  }
  rep.Say(msg::kExtractingLink, {shown, NameToCp932(e.linkTarget)});
  ++st.done;
}

// The file's bytes into out, then into place. A large entry asks the hook
// now and then, so Cancel need not wait for its end.
void WriteFile(const ArcEntry& e, OutputFile& out, const std::string& shown, const std::string& target,
               const std::function<int(const Sink&, std::string&)>& unpack, Report& rep, ExtractStats& st) {
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
  std::string why;
  int rc = unpack(sink, why);
  if (stopped) {
    out.Abort();
    rep.Say(msg::kCancelled, {shown});
    st.cancelled = true;
    st.Fail(kErrUserCancel);
    return;
  }
  if (rc != kOk) {
    out.Abort();
    rep.Say(msg::kEntryError, {shown, Reason932(why)});
    st.Fail(rc);
    return;
  }
  if (!out.Commit(e.mtime, e.mtime > 0)) {
    rep.Say(msg::kWriteError, {shown});
    st.Fail(kErrCannotWrite);
    return;
  }
  ApplyMeta(target, 0, e.attr, false);
  rep.Say(msg::kExtracting, {shown});
  ++st.done;
}
}  // namespace

void ExtractOne(const ArcEntry& e, const ExtractJob& job, const std::function<int(const Sink&, std::string&)>& unpack,
                Report& rep, ExtractStats& st) {
  const std::string shown = NameToCp932(e.path);
  if (!Admit(e, job, shown, rep, st)) return;
  std::string target, why;
  if (e.isDir) {
    if (!job.keepPaths || e.path.empty() || e.path == ".") return;
    int rc = PrepareTarget(job.outDir, e.path, true, true, target, why, &st.folders);
    if (rc != kOk) Refuse(shown, why, rc, rep, st);
    return;
  }
  if (!Target(e, job, shown, target, rep, st)) return;
  // Every file is written under a temporary name and renamed when whole;
  // an old file is replaced only then, a free name never over something
  // that appeared meanwhile.
  OutputFile out;
  int created = e.isHardLink || e.isLink ? EEXIST : out.OpenNew(target);
  if (created == EEXIST && !MayReplace(e, job, shown, target, rep, st)) return;
  if (e.isHardLink || e.isLink) return PlaceLink(e, job, shown, target, rep, st);
  if ((created != 0 && created != EEXIST) || (created == EEXIST && !out.Open(target))) {
    rep.Say(msg::kCannotCreate, {shown});
    st.Fail(kErrCannotWrite);
    return;
  }
  WriteFile(e, out, shown, target, unpack, rep, st);
}

int ReadReplaceList(const CmdLine& cl, ExtractJob& job, Report& rep) {
  std::string list = cl.Text("replace-only=");
  if (list.empty()) return kOk;
  std::string data;
  if (!ReadFileBytes(list, data)) {
    rep.SayUtf8(msg::kNamedReason, {list, "cannot read the list of files to replace"});
    return kErrResponseRead;
  }
  job.replaceListed = true;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    if (end > start) job.replace.insert(data.substr(start, end - start));
    start = end + 1;
  }
  return kOk;
}

int FinishExtract(const ExtractStats& st, Report& rep) {
  rep.Say(msg::kExtracted, {std::to_string(st.done), std::to_string(st.skipped), std::to_string(st.failed)});
  // Unsafe entries share the broken header's code: say what it was.
  if (st.refused) rep.Say(msg::kRefusedUnsafe, {std::to_string(st.refused), st.refused == 1 ? "y" : "ies"});
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
    rep.Say(msg::kOutOfMemory);
    rc = kErrMoreHeapMemory;
  } catch (const std::exception& e) {
    rep.Say(msg::kError, {Reason932(e.what())});
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
