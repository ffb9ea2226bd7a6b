#pragma once
// Shared machinery of the project's archiver libraries: the entry record,
// result codes, command-line tokens, archive-name conversion, DOS times,
// checksums, report text and safe extraction into a target folder.
//
// Paths handed to a library (command lines, file names) are UTF-8 as the
// system holds them: "/" separates and "\" is a character of a name. Names inside archives are
// CP932 unless the format marks them UTF-8. Report text and the names in
// entry records are CP932, ready for the preview pane.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace navirt::arc {

#pragma pack(push, 1)
struct IndividualInfo {
  uint32_t dwOriginalSize;
  uint32_t dwCompressedSize;
  uint32_t dwCRC;
  uint32_t uFlag;
  uint32_t uOSType;
  uint16_t wRatio;
  uint16_t wDate;
  uint16_t wTime;
  char szFileName[513];
  char dummy1[3];
  char szAttribute[8];
  char szMode[8];
};
#pragma pack(pop)
static_assert(sizeof(IndividualInfo) == 558, "entry record is 558 bytes");

enum ResultCode : int {
  kOk = 0,
  kErrDiskSpace = 0x8005,
  kErrReadOnly = 0x8006,
  kErrUserSkip = 0x8007,
  kErrFileCrc = 0x800C,
  kErrFileOpen = 0x800D,
  kErrMoreNew = 0x800E,
  kErrNotExist = 0x800F,
  kErrAlreadyExist = 0x8010,
  kErrMakeDirectory = 0x8012,
  kErrCannotWrite = 0x8013,
  kErrHuffmanCode = 0x8014,
  kErrHeaderCrc = 0x8016,
  kErrHeaderBroken = 0x8017,
  kErrArcFileOpen = 0x8018,
  kErrNotArcName = 0x8019,
  kErrCannotRead = 0x801A,
  kErrFileStyle = 0x801B,
  kErrCommandName = 0x801C,
  kErrMoreHeapMemory = 0x801D,
  kErrUserCancel = 0x8020,
  kErrHarcIsNotOpened = 0x8021,
  kErrNotSearchMode = 0x8022,
  kErrNotSupport = 0x8023,
  kErrTimeStamp = 0x8024,
  kErrTmpOpen = 0x8025,
  kErrLongFileName = 0x8026,
  kErrSameNameFile = 0x8028,
  kErrNotFindArcFile = 0x8029,
  kErrResponseRead = 0x802A,
  kErrNotFileName = 0x802B,
  kErrTmpCopy = 0x802C,
  kErrEof = 0x802D,
};

// DOS attribute bits as archives store them.
enum : uint32_t { kAttrRO = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04, kAttrDir = 0x10, kAttrArchive = 0x20 };

// One entry of an archive as the libraries see it.
struct ArcEntry {
  std::string path;           // UTF-8, "/" separated, no trailing "/"
  bool nameFallback = false;  // the stored name did not decode; %XX stands in
  uint64_t size = 0;
  uint64_t packed = 0;
  uint32_t crc = 0;
  uint16_t dosDate = 0, dosTime = 0;  // local time, FAT encoding
  std::time_t mtime = 0;
  uint32_t attr = kAttrArchive;
  uint32_t os = 0;
  std::string method;  // at most 7 characters
  bool isDir = false;
  bool isLink = false;
  bool isHardLink = false;  // another name of the earlier entry linkTarget
  std::string linkTarget;   // UTF-8
  bool encrypted = false;
  bool unsupported = false;  // method or variant the reader cannot unpack
  // Format-private facts the writers and extractors use.
  uint64_t headerOffset = 0, dataOffset = 0, headerSize = 0;
  int level = 0;
  uint32_t aux = 0;
};

// Receives unpacked bytes; false stops the unpacking (write error).
using Sink = std::function<bool(const unsigned char*, size_t)>;

// Fills the 558-byte record from an entry.
void FillRecord(const ArcEntry& e, IndividualInfo& info);
std::string AttributeText(uint32_t attr);

// ---- names -----------------------------------------------------------
// Stored name bytes -> UTF-8 path with "/". CP932 unless utf8; backslash
// splits only after decoding, and only in formats where it separates (not
// in tar). Undecodable bytes become %XX.
std::string NameFromArchive(std::string_view raw, bool utf8, bool& fallback, bool backslashSeparates = true);
// UTF-8 path -> CP932 bytes; characters CP932 lacks become %XX of their
// UTF-8 bytes (ok=false then).
std::string NameToCp932(std::string_view utf8, bool& ok);
std::string NameToCp932(std::string_view utf8);
// Collapses "//", strips "./" and a leading "/"; "\" becomes "/" unless
// it is a character of a name here (a name on disk).
std::string NormalizeSlashes(std::string_view path, bool backslashSeparates = true);
bool IsValidUtf8(std::string_view s);

// ---- times -----------------------------------------------------------
std::time_t DosToUnix(uint16_t date, uint16_t time);
void UnixToDos(std::time_t t, uint16_t& date, uint16_t& time);

// ---- checksums -------------------------------------------------------
uint16_t Crc16(uint16_t crc, const void* data, size_t len);  // ARC, poly 0xA001
uint32_t Crc32(uint32_t crc, const void* data, size_t len);  // zlib's

// ---- wildcards -------------------------------------------------------
// DOS-like: "*" "?" and "[set]"; "*.*" matches every name. A pattern
// without "/" is tried against the last component too.
bool WildMatch(std::string_view pattern, std::string_view path);
bool MatchesAny(const std::vector<std::string>& patterns, const std::string& path);
// Names on the disk: "*" and "?" only, case-sensitive ("[" is a character).
bool DiskWildMatch(std::string_view pattern, std::string_view name);

// ---- command lines ---------------------------------------------------
struct Token {
  std::string text;
  bool quoted = false;
};
std::vector<Token> Tokenize(std::string_view line);

struct CmdLine {
  std::string command;                // lower case, empty when none
  std::vector<std::string> switches;  // without the leading "-"
  std::string archive;                // UTF-8 path, "/" separators
  std::string folder;                 // ends with "/" or empty
  std::vector<std::string> names;     // after response files are read
  bool HasSwitch(std::string_view name) const;
  // Value of the switch "name<digits>": -1 absent, 1 when given bare.
  int Number(std::string_view name) const;
  std::string Text(std::string_view name) const;  // "-name<text>" or ""
};
// commands: the library's command words (lower case). When the first token
// is not one of them, command stays empty and the token is parsed as usual.
// valueSwitches take the next token as their value (tar's -f and -o).
int ParseCommandLine(std::string_view line, const std::vector<std::string>& commands,
                     const std::vector<std::string>& valueSwitches, CmdLine& out, std::string& err);

// ---- report ----------------------------------------------------------
class Report {
 public:
  void Line(std::string_view cp932) {
    text_.append(cp932);
    text_ += "\r\n";
  }
  void Utf8Line(std::string_view utf8) { Line(NameToCp932(utf8)); }
  // A message of LibMessages.h in the library's language; the arguments
  // are CP932 (Say) or UTF-8 (SayUtf8).
  void Say(const Msg& m, std::initializer_list<std::string_view> cp932Args = {});
  void SayUtf8(const Msg& m, std::initializer_list<std::string_view> utf8Args = {});
  const std::string& Text() const { return text_; }
  // Copies into a caller's buffer, cut to fit, always zero-terminated.
  void CopyTo(char* buf, uint32_t size) const;

 private:
  std::string text_;
};

// ---- reading ---------------------------------------------------------
// A whole-file reader with bounds-checked access (archives are read
// through memory maps so listing large archives stays cheap).
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  bool Open(const std::string& path);
  void OpenMemory(std::string_view data) {
    data_ = data.data();
    size_ = data.size();
  }
  const unsigned char* Data() const { return reinterpret_cast<const unsigned char*>(data_); }
  uint64_t Size() const { return size_; }
  bool Has(uint64_t off, uint64_t len) const { return off <= size_ && len <= size_ - off; }
  std::string_view View(uint64_t off, uint64_t len) const { return {data_ + off, len}; }
  // Lets go of the pages read so far; they come back from the file when
  // touched again. Reading a large archive thus never holds it whole.
  void DropPages() const;

 private:
  const char* data_ = nullptr;
  uint64_t size_ = 0;
  void* map_ = nullptr;
};

inline uint16_t Le16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Le32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void Put16(std::string& s, uint16_t v) {
  s += char(v & 0xFF);
  s += char(v >> 8);
}
inline void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A sink that hands data on a piece at a time and lets go of in's pages
// every few pieces: unpacking an entry of any size holds little of it.
Sink TrimmingSink(const InputFile& in, const Sink& sink);
// CRCs of a stretch of in, letting go of its pages as they are read.
uint32_t Crc32Of(const InputFile& in, const unsigned char* p, uint64_t n);
uint16_t Crc16Of(const InputFile& in, const unsigned char* p, uint64_t n);

// ---- writing ---------------------------------------------------------
// A file written under a temporary name in the target's folder and renamed
// into place only by Commit, so a failure never leaves half a file.
// OpenNew is for a name nothing holds yet: EEXIST when something does, and
// Commit then never replaces what appeared there meanwhile.
class OutputFile {
 public:
  ~OutputFile();
  bool Open(const std::string& target);
  // 0, or the errno of the create: EEXIST when the name is taken (by
  // anything, a symbolic link included; nothing is followed).
  int OpenNew(const std::string& target);
  bool Write(const void* data, size_t len);
  bool Write(std::string_view s) { return Write(s.data(), s.size()); }
  uint64_t Written() const { return written_; }
  // Overwrites bytes already written at off: a header whose sizes are
  // known only after its data was streamed.
  bool Patch(uint64_t off, std::string_view bytes);
  // Drops everything written from off on (data that packed worse than stored).
  bool Truncate(uint64_t off);
  bool Commit(std::time_t mtime = 0, bool setTime = false);
  void Abort();
  const std::string& Target() const { return target_; }

 private:
  // Small writes (headers) gather here; a large piece goes to the file as
  // it comes, not copied through a buffer and split in two writes.
  static constexpr size_t kGather = 64 * 1024;
  bool Flush();

  int fd_ = -1;
  std::string pending_;
  std::string target_, temp_;
  bool direct_ = false;  // opened by OpenNew
  uint64_t written_ = 0;
  bool failed_ = false;
};

// Removes the temporary files OutputFile left in dir when its process was
// killed (the process named in the temporary name is gone).
void RemoveStaleTemporaries(const std::string& dir);

// A file to pack, read a piece at a time, so packing holds one piece of
// it whatever its size.
class SourceFile {
 public:
  static constexpr size_t kPiece = 1 << 20;
  SourceFile() = default;
  ~SourceFile();
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  bool Open(const std::string& path);      // a regular file
  uint64_t Size() const { return size_; }  // as it was at Open
  // Hands the file from its start to sink, piece by piece: kOk, or
  // kErrCannotRead, or kErrCannotWrite when sink said stop. Each pass
  // reads the file again.
  int Stream(const Sink& sink);

 private:
  int fd_ = -1;
  uint64_t size_ = 0;
  std::string piece_;
};

// Deflates src into sink a piece at a time (windowBits as zlib takes them:
// -15 raw, 31 gzip). crc and size describe the bytes read.
int DeflateFile(SourceFile& src, int level, int windowBits, const Sink& sink, uint32_t& crc, uint64_t& size);
// Copies src into sink unchanged, with its CRC-32 and size.
int StoreFile(SourceFile& src, const Sink& sink, uint32_t& crc, uint64_t& size);

enum class Overwrite { Always, Never, IfNewer };

// The folders one extraction run has checked (no symbolic link, a real
// folder) or made. The run never turns a folder into anything else, so
// later entries under them need not look again.
struct FolderCache {
  std::vector<std::string> known;  // sorted
  bool Has(const std::string& folder) const;
  void Add(const std::string& folder);
};

// Resolves an entry path inside outDir. Refuses absolute names, drive
// prefixes, ".." and paths through symbolic links; creates the folders on
// the way. keepPaths=false keeps only the last component. Returns 0 or a
// result code, with a reason for the report. With a cache, the folders it
// holds are not looked at again, and a file's own name is left for the
// caller's create to test (OutputFile::OpenNew).
int PrepareTarget(const std::string& outDir, const std::string& entryPath, bool keepPaths, bool isDir,
                  std::string& target, std::string& why, FolderCache* cache = nullptr);
// The file an entry lands on, as PrepareTarget names it, without looking
// at the disk; false for a name PrepareTarget refuses.
bool ExtractTargetOf(const std::string& outDir, const std::string& entryPath, bool keepPaths, std::string& target);
// Decides about an existing file: true to write.
bool ShouldWrite(const std::string& target, std::time_t entryTime, Overwrite mode, std::string& why);
// Applies time and read-only bit after a file was placed.
void ApplyMeta(const std::string& target, std::time_t mtime, uint32_t attr, bool isDir);
// True when a link target stays inside the extraction folder.
bool LinkStaysInside(const std::string& entryPath, const std::string& linkTarget);
// "out/" folder of a command: "" -> current folder.
std::string OutputFolder(const std::string& folder);

// Reads the files to pack: each name (a file, a folder with -r, or a
// wildcard) becomes a list of (disk path, stored name). storedPaths=false
// stores only the final component.
struct PackItem {
  std::string disk;    // UTF-8 path on disk
  std::string stored;  // UTF-8 name inside the archive, "/" separated
  bool isDir = false;
  bool isLink = false;  // a symbolic link, stored as one (linkTarget)
  std::string linkTarget;
  std::time_t mtime = 0;
  uint64_t size = 0;
  uint32_t attr = kAttrArchive;
};
// Symbolic links are never followed: with storeLinks they become link
// items, otherwise they are left out with a warning in the report.
int CollectFiles(const std::vector<std::string>& names, const std::string& baseFolder, bool storedPaths, bool recurse,
                 bool includeHidden, std::vector<PackItem>& out, Report& rep, bool storeLinks = false);

// Drops the archive itself from the files to pack (a mask such as "*.*"
// in its own folder finds it).
void DropArchiveItself(std::vector<PackItem>& items, const std::string& archive);

// Reads a whole file; false on error.
bool ReadFileBytes(const std::string& path, std::string& out);
bool PathExists(const std::string& path);

}  // namespace navirt::arc
