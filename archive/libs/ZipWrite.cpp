// The ZIP writer: new entries streamed from their files, kept entries
// copied raw, and the archive replaced only when the whole is written.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"
#include "archive/libs/Zip.h"
#include "platform/Cp932.h"

namespace navirt::arc::zip {

namespace {

struct Central {
  std::string record;  // the central entry, offset patched on write
};

// The name bytes of a new entry and the flags they need: UTF-8 with the
// language-encoding flag (bit 11) for any name beyond ASCII, which unzip,
// 7-Zip, bsdtar and current Windows read; Shift_JIS without it when asked.
uint16_t StoredNameOf(const PackItem& it, bool sjis, std::string& name, Report& rep) {
  bool ascii = std::all_of(it.stored.begin(), it.stored.end(), [](char c) { return (unsigned char)c < 0x80; });
  if (ascii) {
    name = it.stored;
    return 0;
  }
  if (sjis) {
    bool ok = true;
    name = NameToCp932(it.stored, ok);
    if (ok) return 0;
    // The report is Shift_JIS too: characters it lacks show as "?" there.
    rep.Say(msg::kNameAsUtf8, {Utf8ToCp932(it.stored)});
  }
  name = it.stored;
  return 0x800;
}

// The folders some item lies in.
std::set<std::string> FoldersHolding(const std::vector<PackItem>& items) {
  std::set<std::string> out;
  for (const PackItem& it : items)
    for (size_t slash = it.stored.rfind('/'); slash != std::string::npos && slash > 0;
         slash = it.stored.rfind('/', slash - 1))
      if (!out.insert(it.stored.substr(0, slash)).second) break;
  return out;
}

uint32_t UnixMode(const PackItem& it) {
  if (it.isDir) return 040755;
  return (it.attr & kAttrRO) ? 0100444 : 0100644;
}

}  // namespace

namespace {

// An existing archive's entries, read before it is rewritten.
int ReadOld(const std::string& path, WriteMode mode, InputFile& in, std::vector<ArcEntry>& old, Report& rep) {
  if (PathExists(path)) {
    if (!in.Open(path)) {
      rep.SayUtf8(msg::kCannotOpen, {path});
      return kErrArcFileOpen;
    }
    std::string why;
    int rc = List(in, old, why);
    if (rc != kOk) rep.SayUtf8(msg::kNamedReason, {path, Reason(why)});
    return rc;
  }
  if (mode == WriteMode::Delete || mode == WriteMode::Freshen) {
    rep.SayUtf8(msg::kArchiveNotFound, {path});
    return kErrArcFileOpen;
  }
  return kOk;
}

// What becomes of each old entry and which items are added at the end.
struct WritePlan {
  std::vector<int> replaceBy;  // the item that replaces an old entry, or -1
  std::vector<bool> drop;      // an old entry deleted
  std::vector<size_t> appended;
  size_t deleted = 0;
};

void PlanDelete(const std::vector<ArcEntry>& old, const std::vector<std::string>& patterns, WritePlan& plan,
                Report& rep) {
  for (size_t i = 0; i < old.size(); ++i)
    if (MatchesAny(patterns, old[i].path)) {
      plan.drop[i] = true;
      ++plan.deleted;
      rep.Say(msg::kDeleting, {NameToCp932(old[i].path)});
    }
}

void PlanAdd(WriteMode mode, const std::vector<ArcEntry>& old, const std::vector<PackItem>& items,
             const WriteOptions& opt, WritePlan& plan) {
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < old.size(); ++i) index[old[i].path] = i;
  std::map<std::string, bool> taken;
  const std::set<std::string> parents = FoldersHolding(items);
  for (size_t k = 0; k < items.size(); ++k) {
    const PackItem& it = items[k];
    // Without folder entries, an empty folder still keeps its own.
    if (it.isDir && !opt.dirEntries && parents.count(it.stored)) continue;
    if (taken[it.stored]) continue;
    taken[it.stored] = true;
    auto f = index.find(it.stored);
    if (f != index.end()) {
      bool newer = (it.mtime & ~std::time_t(1)) > old[f->second].mtime;
      if (mode == WriteMode::Add || newer) plan.replaceBy[f->second] = static_cast<int>(k);
    } else if (mode != WriteMode::Freshen) {
      plan.appended.push_back(k);
    }
  }
}

// The fields the local and the central header share.
struct EntryHead {
  std::string name;
  uint16_t flags = 0, method = 0, date = 0, time = 0;
  bool unixMade = false;
  uint32_t crc = 0;
  uint64_t packed = 0, size = 0;
};

// The local header with zeros for the sizes and CRC, mended once the data
// is through.
std::string LocalHeader(const EntryHead& h) {
  std::string lh;
  Put32(lh, kLocalSig);
  Put16(lh, h.unixMade ? 0x0314 : 20);
  Put16(lh, h.flags);
  Put16(lh, h.method);
  Put16(lh, h.time);
  Put16(lh, h.date);
  Put32(lh, 0);
  Put32(lh, 0);
  Put32(lh, 0);
  Put16(lh, static_cast<uint16_t>(h.name.size()));
  Put16(lh, 0);
  return lh + h.name;
}

// The local header's bytes from its method on, as they are at the end.
std::string LocalHeaderFix(const EntryHead& h) {
  std::string fix;
  Put16(fix, h.method);
  Put16(fix, h.time);
  Put16(fix, h.date);
  Put32(fix, h.crc);
  Put32(fix, static_cast<uint32_t>(h.packed));
  Put32(fix, static_cast<uint32_t>(h.size));
  return fix;
}

std::string CentralRecord(const EntryHead& h, const PackItem& it, uint64_t offset) {
  std::string ce;
  Put32(ce, kCentralSig);
  Put16(ce, h.unixMade ? 0x0314 : 20);  // made by MS-DOS (or Unix), version 2.0
  Put16(ce, h.unixMade ? 0x0314 : 20);
  Put16(ce, h.flags);
  Put16(ce, h.method);
  Put16(ce, h.time);
  Put16(ce, h.date);
  Put32(ce, h.crc);
  Put32(ce, static_cast<uint32_t>(h.packed));
  Put32(ce, static_cast<uint32_t>(h.size));
  Put16(ce, static_cast<uint16_t>(h.name.size()));
  Put16(ce, 0);
  Put16(ce, 0);
  Put16(ce, 0);
  Put16(ce, 0);
  Put32(ce, (it.attr & 0xFF) | (h.unixMade ? UnixMode(it) << 16 : 0));
  Put32(ce, static_cast<uint32_t>(offset));
  return ce + h.name;
}

// Writes the new archive: new entries streamed from their files, old ones
// copied as they are, then the central directory.
class ZipWriter {
 public:
  ZipWriter(OutputFile& out, const WriteOptions& opt, Report& rep) : out_(out), opt_(opt), rep_(rep) {}

  int AddNew(const PackItem& it) {
    if (!NotifyPacking(it)) {
      rep_.Say(msg::kStopped);
      return kErrUserCancel;
    }
    EntryHead h;
    h.flags = StoredNameOf(it, opt_.sjisNames, h.name, rep_);
    if (it.isDir) h.name += '/';
    // Made by Unix for UTF-8 names (unzip turns a DOS host's names from
    // the OEM code page) and for a "\" in a name (a DOS host's separates;
    // libarchive takes the host from the local header's version too).
    h.unixMade = (h.flags & 0x800) || it.stored.find('\\') != std::string::npos;
    UnixToDos(it.mtime, h.date, h.time);
    const uint64_t offset = out_.Written();
    if (offset >= 0xFFFFFFFFull) {
      rep_.Say(msg::kArchiveTooLarge);
      return kErrNotSupport;
    }
    SourceFile src;
    if (!it.isDir) {
      if (!src.Open(it.disk)) {
        rep_.SayUtf8(msg::kCannotRead, {it.disk});
        return kErrFileOpen;
      }
      if (src.Size() >= 0xFFFFFFFFull) {
        rep_.SayUtf8(msg::kFileTooLarge, {it.disk});
        return kErrNotSupport;
      }
    }
    h.method = !it.isDir && opt_.level > 0 && src.Size() > 0 ? 8 : 0;
    // The sizes and CRC are known once the data is through: the header goes
    // out with zeros and is mended afterwards, so no file is held whole.
    if (!out_.Write(LocalHeader(h))) return kErrCannotWrite;
    if (int rc = WriteData(it, src, h); rc != kOk) return rc;
    if (!out_.Patch(offset + 8, LocalHeaderFix(h))) return kErrCannotWrite;
    central_.push_back(CentralRecord(h, it, offset));
    char buf[48];
    std::snprintf(buf, sizeof buf, " (%s %d%%)", h.method == 8 ? "deflated" : "stored",
                  h.size ? static_cast<int>(100 - h.packed * 100 / h.size) : 0);
    rep_.Line(Text932(msg::kAdding, {Utf8ToCp932(it.stored) + (it.isDir ? "/" : "")}) + buf);
    return kOk;
  }

  // An old entry copied byte for byte, its central record pointed at the
  // new place.
  int CopyOld(const InputFile& in, const ArcEntry& e) {
    uint64_t start;
    if (!DataStart(in, e, start)) return kErrHeaderBroken;
    uint64_t endPos = start + e.packed;
    unsigned flags = e.aux >> 16;
    if (flags & 8) {
      bool zip64 = e.size >= 0xFFFFFFFFull || e.packed >= 0xFFFFFFFFull;
      uint64_t dlen = in.Has(endPos, 4) && Le32(in.Data() + endPos) == 0x08074B50 ? 4 : 0;
      dlen += zip64 ? 20 : 12;
      endPos = std::min<uint64_t>(endPos + dlen, in.Size());
    }
    uint64_t offset = out_.Written();
    if (offset >= 0xFFFFFFFFull || e.headerOffset >= 0xFFFFFFFFull) return kErrNotSupport;
    if (!out_.Write(in.View(e.headerOffset, endPos - e.headerOffset))) return kErrCannotWrite;
    std::string ce(in.View(e.dataOffset, e.headerSize));
    for (int i = 0; i < 4; ++i) ce[42 + i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
    central_.push_back(std::move(ce));
    return kOk;
  }

  int Finish() {
    if (central_.size() >= 0xFFFF) {
      rep_.Say(msg::kTooManyZipEntries);
      return kErrNotSupport;
    }
    uint64_t cdStart = out_.Written();
    for (const auto& c : central_)
      if (!out_.Write(c)) return kErrCannotWrite;
    uint64_t cdSize = out_.Written() - cdStart;
    std::string end;
    Put32(end, kEndSig);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, static_cast<uint16_t>(central_.size()));
    Put16(end, static_cast<uint16_t>(central_.size()));
    Put32(end, static_cast<uint32_t>(cdSize));
    Put32(end, static_cast<uint32_t>(cdStart));
    Put16(end, 0);
    return out_.Write(end) ? kOk : kErrCannotWrite;
  }

 private:
  // The file's bytes, deflated or stored (stored when packing did not pay).
  int WriteData(const PackItem& it, SourceFile& src, EntryHead& h) {
    const uint64_t dataStart = out_.Written();
    if (!it.isDir) {
      Sink sink = [this](const unsigned char* p, size_t n) { return out_.Write(p, n); };
      int rc =
          h.method == 8 ? DeflateFile(src, opt_.level, -15, sink, h.crc, h.size) : StoreFile(src, sink, h.crc, h.size);
      if (rc == kOk && h.method == 8 && out_.Written() - dataStart >= h.size) {
        h.method = 0;
        rc = out_.Truncate(dataStart) ? StoreFile(src, sink, h.crc, h.size) : kErrCannotWrite;
      }
      if (rc == kErrCannotRead) rep_.SayUtf8(msg::kCannotRead, {it.disk});
      if (rc != kOk) return rc;
      if (h.size >= 0xFFFFFFFFull) {
        rep_.SayUtf8(msg::kFileTooLarge, {it.disk});
        return kErrNotSupport;
      }
    }
    h.packed = out_.Written() - dataStart;
    if (h.packed >= 0xFFFFFFFFull) {
      rep_.Say(msg::kArchiveTooLarge);
      return kErrNotSupport;
    }
    return kOk;
  }

  OutputFile& out_;
  const WriteOptions& opt_;
  Report& rep_;
  std::vector<std::string> central_;
};

}  // namespace

int Write(const std::string& path, WriteMode mode, const std::vector<PackItem>& items,
          const std::vector<std::string>& patterns, const WriteOptions& opt, Report& rep) {
  std::vector<ArcEntry> old;
  InputFile in;
  if (int rc = ReadOld(path, mode, in, old, rep); rc != kOk) return rc;
  WritePlan plan;
  plan.replaceBy.assign(old.size(), -1);
  plan.drop.assign(old.size(), false);
  if (mode == WriteMode::Delete) {
    PlanDelete(old, patterns, plan, rep);
    if (plan.deleted == 0) {
      rep.Say(msg::kNoMatchUnchanged);
      return kOk;
    }
  } else {
    PlanAdd(mode, old, items, opt, plan);
  }
  OutputFile out;
  if (!out.Open(path)) {
    rep.Say(msg::kNoWorkFile);
    return kErrTmpOpen;
  }
  ZipWriter w(out, opt, rep);
  int result = kOk;
  for (size_t i = 0; i < old.size() && result == kOk; ++i) {
    if (plan.drop[i]) continue;
    result = plan.replaceBy[i] >= 0 ? w.AddNew(items[plan.replaceBy[i]]) : w.CopyOld(in, old[i]);
  }
  for (size_t k : plan.appended) {
    if (result != kOk) break;
    result = w.AddNew(items[k]);
  }
  if (result == kOk) result = w.Finish();
  if (result != kOk) {
    out.Abort();
    rep.Say(msg::kLeftUnchanged);
    return result;
  }
  if (!out.Commit()) {
    rep.Say(msg::kCannotWriteBack);
    return kErrTmpCopy;
  }
  return kOk;
}

}  // namespace navirt::arc::zip
