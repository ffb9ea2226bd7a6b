#include "archive/libs/Rar.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "platform/Cp932.h"

namespace navirt::arc::rar {
namespace {

const unsigned char kSig4[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x00};
const unsigned char kSig5[] = {'R', 'a', 'r', '!', 0x1A, 0x07, 0x01, 0x00};

// RAR4's compressed Unicode name: CP932 bytes, NUL, then the encoding.
std::string DecodeUnicodeName(const unsigned char* name, size_t nameLen, const unsigned char* enc, size_t encLen) {
  std::u16string out;
  if (encLen == 0) return std::string();
  size_t ep = 0;
  unsigned high = enc[ep++];
  unsigned flags = 0;
  int flagBits = 0;
  while (ep < encLen && out.size() < 2048) {
    if (flagBits == 0) {
      flags = enc[ep++];
      flagBits = 8;
    }
    switch (flags >> 6) {
      case 0:
        if (ep >= encLen) return Utf16ToUtf8(out);
        out += static_cast<char16_t>(enc[ep++]);
        break;
      case 1:
        if (ep >= encLen) return Utf16ToUtf8(out);
        out += static_cast<char16_t>(enc[ep++] + (high << 8));
        break;
      case 2:
        if (ep + 1 >= encLen) return Utf16ToUtf8(out);
        out += static_cast<char16_t>(enc[ep] | (enc[ep + 1] << 8));
        ep += 2;
        break;
      default: {
        if (ep >= encLen) return Utf16ToUtf8(out);
        unsigned len = enc[ep++];
        if (len & 0x80) {
          if (ep >= encLen) return Utf16ToUtf8(out);
          unsigned corr = enc[ep++];
          for (len = (len & 0x7F) + 2; len > 0 && out.size() < nameLen; --len)
            out += static_cast<char16_t>(((name[out.size()] + corr) & 0xFF) + (high << 8));
        } else {
          for (len += 2; len > 0 && out.size() < nameLen; --len) out += static_cast<char16_t>(name[out.size()]);
        }
      }
    }
    flags = (flags << 2) & 0xFF;
    flagBits -= 2;
  }
  return Utf16ToUtf8(out);
}

void SetAttr(ArcEntry& e, bool unixHost, uint32_t attr) {
  if (unixHost) {
    e.attr = S_ISDIR(attr) ? kAttrDir : kAttrArchive;
    if (!(attr & S_IWUSR)) e.attr |= kAttrRO;
    if (S_ISLNK(attr)) e.unsupported = true;
  } else {
    e.attr = attr & 0x3F;
    if (e.attr == 0) e.attr = kAttrArchive;
  }
  if (e.isDir) e.attr |= kAttrDir;
}

int List4(const InputFile& in, uint64_t pos, std::vector<ArcEntry>& out, std::string& why) {
  bool solid = false;
  while (in.Has(pos, 7)) {
    const unsigned char* b = in.Data() + pos;
    unsigned type = b[2], flags = Le16(b + 3), hsize = Le16(b + 5);
    if (hsize < 7 || !in.Has(pos, hsize)) {
      why = "broken block header";
      return kErrHeaderBroken;
    }
    if ((Crc32(0, b + 2, hsize - 2) & 0xFFFF) != Le16(b) && type != 0x72) {
      why = "block header CRC mismatch";
      return kErrHeaderCrc;
    }
    uint64_t add = 0;
    if (type == 0x73 && hsize >= 13) solid = (flags & 0x0008) != 0;
    if (type == 0x7B) break;
    if (type == 0x74) {
      if (hsize < 32) {
        why = "broken file header";
        return kErrHeaderBroken;
      }
      ArcEntry e;
      e.packed = Le32(b + 7);
      e.size = Le32(b + 11);
      unsigned host = b[15];
      e.crc = Le32(b + 16);
      uint32_t ftime = Le32(b + 20);
      unsigned method = b[25];
      unsigned nameSize = Le16(b + 26);
      uint32_t attr = Le32(b + 28);
      size_t np = 32;
      if (flags & 0x100) {
        if (hsize < 40) {
          why = "broken file header";
          return kErrHeaderBroken;
        }
        e.packed |= uint64_t(Le32(b + 32)) << 32;
        e.size |= uint64_t(Le32(b + 36)) << 32;
        np = 40;
      }
      if (np + nameSize > hsize) {
        why = "name runs past the header";
        return kErrHeaderBroken;
      }
      const unsigned char* name = b + np;
      bool fb = false;
      if (flags & 0x200) {
        const unsigned char* nul = static_cast<const unsigned char*>(std::memchr(name, 0, nameSize));
        if (nul) {
          e.path = DecodeUnicodeName(name, nul - name, nul + 1, nameSize - (nul - name) - 1);
          for (char& c : e.path)
            if (c == '\\') c = '/';
        } else {
          e.path = NameFromArchive(std::string_view(reinterpret_cast<const char*>(name), nameSize), true, fb);
        }
      } else {
        e.path = NameFromArchive(std::string_view(reinterpret_cast<const char*>(name), nameSize), false, fb);
      }
      e.nameFallback = fb;
      e.dosTime = static_cast<uint16_t>(ftime & 0xFFFF);
      e.dosDate = static_cast<uint16_t>(ftime >> 16);
      e.mtime = DosToUnix(e.dosDate, e.dosTime);
      e.isDir = (flags & 0xE0) == 0xE0;
      e.encrypted = (flags & 0x04) != 0;
      SetAttr(e, host == 3, attr);
      e.os = host;
      e.aux = method == 0x30 ? 0 : 1;
      if (solid) e.aux |= 2;
      e.method = method == 0x30 ? "Stored" : "m" + std::to_string(method - 0x30);
      if (flags & 0x03) {
        e.unsupported = true;  // continues in another volume
        e.method = "Split";
      }
      e.dataOffset = pos + hsize;
      add = e.packed;
      if (!in.Has(e.dataOffset, e.packed)) {
        why = "entry data runs past the end";
        return kErrEof;
      }
      out.push_back(std::move(e));
    } else if (flags & 0x8000) {
      if (hsize < 11) {
        why = "broken block";
        return kErrHeaderBroken;
      }
      add = Le32(b + 7);
    }
    pos += hsize + add;
  }
  return kOk;
}

bool Vint(const InputFile& in, uint64_t& pos, uint64_t end, uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (pos >= end || pos >= in.Size()) return false;
    unsigned char c = in.Data()[pos++];
    v |= uint64_t(c & 0x7F) << shift;
    if (!(c & 0x80)) return true;
  }
  return false;
}

int List5(const InputFile& in, uint64_t pos, std::vector<ArcEntry>& out, std::string& why) {
  while (in.Has(pos, 5)) {
    uint32_t crc = Le32(in.Data() + pos);
    uint64_t p = pos + 4, hsize;
    if (!Vint(in, p, in.Size(), hsize) || hsize > (1u << 21) || !in.Has(p, hsize)) {
      why = "broken block header";
      return kErrHeaderBroken;
    }
    if (Crc32(0, in.Data() + pos + 4, (p - pos - 4) + hsize) != crc) {
      why = "block header CRC mismatch";
      return kErrHeaderCrc;
    }
    uint64_t end = p + hsize;
    uint64_t type, flags, extra = 0, data = 0;
    if (!Vint(in, p, end, type) || !Vint(in, p, end, flags) || ((flags & 1) && !Vint(in, p, end, extra)) ||
        ((flags & 2) && !Vint(in, p, end, data))) {
      why = "broken block header";
      return kErrHeaderBroken;
    }
    if (type == 4) {
      why = "the archive's headers are encrypted";
      return kErrNotSupport;
    }
    if (type == 5) break;
    if (type == 2) {
      uint64_t fflags, usize, attr, ci, host, nlen;
      if (!Vint(in, p, end, fflags) || !Vint(in, p, end, usize) || !Vint(in, p, end, attr)) {
        why = "broken file header";
        return kErrHeaderBroken;
      }
      ArcEntry e;
      e.size = usize;
      e.packed = data;
      if (fflags & 2) {
        if (p + 4 > end) return kErrHeaderBroken;
        e.mtime = static_cast<std::time_t>(Le32(in.Data() + p));
        p += 4;
      }
      UnixToDos(e.mtime, e.dosDate, e.dosTime);
      if (fflags & 4) {
        if (p + 4 > end) return kErrHeaderBroken;
        e.crc = Le32(in.Data() + p);
        p += 4;
      }
      if (!Vint(in, p, end, ci) || !Vint(in, p, end, host) || !Vint(in, p, end, nlen) || p + nlen > end) {
        why = "broken file header";
        return kErrHeaderBroken;
      }
      bool fb = false;
      e.path = NameFromArchive(in.View(p, nlen), true, fb);
      e.nameFallback = fb;
      p += nlen;
      // The extra area tells of encryption (record type 1).
      uint64_t xp = end - std::min<uint64_t>(extra, hsize);
      while ((flags & 1) && xp < end) {
        uint64_t rsize, rtype, rstart;
        if (!Vint(in, xp, end, rsize)) break;
        rstart = xp;
        if (!Vint(in, xp, end, rtype)) break;
        if (rtype == 1) e.encrypted = true;
        xp = rstart + rsize;
      }
      e.isDir = (fflags & 1) != 0;
      SetAttr(e, host == 1, static_cast<uint32_t>(attr));
      e.os = static_cast<uint32_t>(host);
      unsigned method = static_cast<unsigned>((ci >> 7) & 7);
      e.aux = method == 0 ? 0 : 1;
      if (ci & 0x40) e.aux |= 2;
      e.method = method == 0 ? "Stored" : "m" + std::to_string(method);
      e.dataOffset = end;
      if (!in.Has(e.dataOffset, e.packed)) {
        why = "entry data runs past the end";
        return kErrEof;
      }
      out.push_back(std::move(e));
    }
    pos = end + data;
  }
  return kOk;
}

}  // namespace

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why) {
  uint64_t limit = std::min<uint64_t>(in.Size(), 1 << 20);
  for (uint64_t i = 0; i + 8 <= limit; ++i) {
    const unsigned char* p = in.Data() + i;
    if (p[0] != 'R' || std::memcmp(p, "Rar!\x1A\x07", 6) != 0) continue;
    if (std::memcmp(p, kSig5, 8) == 0) return List5(in, i + 8, out, why);
    if (std::memcmp(p, kSig4, 7) == 0) return List4(in, i + 7, out, why);
  }
  why = "not a RAR archive";
  return kErrFileStyle;
}

struct Unpacker::Impl {
  const InputFile& in;
  std::string path;
  const std::vector<ArcEntry>& entries;
  archive* la = nullptr;
  long laCur = -1;
  Impl(const InputFile& i, const std::string& p, const std::vector<ArcEntry>& e) : in(i), path(p), entries(e) {}
  ~Impl() {
    if (la) archive_read_free(la);
  }
  int Lib(size_t idx, const Sink& sink, std::string& why) {
    if (!la || laCur >= static_cast<long>(idx)) {
      if (la) archive_read_free(la);
      la = archive_read_new();
      archive_read_support_format_rar(la);
      archive_read_support_format_rar5(la);
      laCur = -1;
      if (archive_read_open_filename(la, path.c_str(), 1 << 16) != ARCHIVE_OK) {
        why = "cannot open";
        return kErrArcFileOpen;
      }
    }
    archive_entry* ae = nullptr;
    while (laCur < static_cast<long>(idx)) {
      int r = archive_read_next_header(la, &ae);
      if (r != ARCHIVE_OK && r != ARCHIVE_WARN) {
        why = archive_error_string(la) ? archive_error_string(la) : "broken archive";
        laCur = 1L << 30;
        return kErrHeaderBroken;
      }
      ++laCur;
    }
    // libarchive must be at the same entry as our walker.
    if (ae && archive_entry_size_is_set(ae) && static_cast<uint64_t>(archive_entry_size(ae)) != entries[idx].size) {
      why = "entry order differs from the headers";
      laCur = 1L << 30;
      return kErrHeaderBroken;
    }
    uint32_t crc = 0;
    char b[65536];
    la_ssize_t n;
    while ((n = archive_read_data(la, b, sizeof b)) > 0) {
      crc = Crc32(crc, b, static_cast<size_t>(n));
      if (!sink(reinterpret_cast<unsigned char*>(b), static_cast<size_t>(n))) {
        why = "write error";
        return kErrCannotWrite;
      }
    }
    if (n < 0) {
      why = archive_error_string(la) ? archive_error_string(la) : "broken data";
      return kErrHuffmanCode;
    }
    if (entries[idx].crc && crc != entries[idx].crc) {
      why = "CRC mismatch";
      return kErrFileCrc;
    }
    return kOk;
  }
};

Unpacker::Unpacker(const InputFile& in, const std::string& path, const std::vector<ArcEntry>& entries)
    : impl_(std::make_unique<Impl>(in, path, entries)) {}
Unpacker::~Unpacker() = default;

int Unpacker::Unpack(size_t idx, const Sink& sink, std::string& why) {
  const ArcEntry& e = impl_->entries[idx];
  if (e.isDir) return kOk;
  if (e.encrypted) {
    why = "encrypted entry";
    return kErrNotSupport;
  }
  if ((e.aux & 1) == 0) {
    if (e.packed != e.size) {
      why = "stored sizes differ";
      return kErrHeaderBroken;
    }
    const unsigned char* src = impl_->in.Data() + e.dataOffset;
    if (e.crc && Crc32Of(impl_->in, src, e.size) != e.crc) {
      why = "CRC mismatch";
      return kErrFileCrc;
    }
    if (!sink(src, e.size)) {
      why = "write error";
      return kErrCannotWrite;
    }
    return kOk;
  }
  return impl_->Lib(idx, sink, why);
}

}  // namespace navirt::arc::rar
