#pragma once
// File facts as the program shows them: 64-bit sizes, last-write time and
// the DOS attribute letters mapped onto Linux.
//   R: the owner may not write; H: the name begins with ".";
//   A and S: kept in the extended attribute user.DOSATTRIB, as Samba does.
#include <cstdint>
#include <ctime>
#include <string>

namespace navirt {

enum FileAttr : uint32_t {
  faReadOnly = 0x01,
  faHidden = 0x02,
  faSysFile = 0x04,
  faDirectory = 0x10,
  faArchive = 0x20,
};

struct FileStat {
  bool found = false;  // the directory lookup found an entry
  bool isDir = false;
  uint64_t size = 0;
  std::time_t mtime = 0;   // last write, seconds since the epoch
  bool attrError = false;  // attributes could not be read
  uint32_t attrs = 0;
};

// Paths are UTF-8, as the system holds them.
FileStat StatPath(const std::string& path);
bool IsRegularFile(const std::string& path);
bool IsDirectory(const std::string& path);

// Attributes alone (R A S H and directory); ok=false when they cannot be read.
uint32_t ReadAttributes(const std::string& path, bool& ok);
// The A S H bits of user.DOSATTRIB alone: a leading "." is not counted.
uint32_t DosXattrBits(const std::string& path);
// Sets R (owner write bit), A and S (extended attribute). H follows the name
// and cannot be set here. Returns false when any part failed.
bool WriteAttributes(const std::string& path, uint32_t attrs);

// "RASH" letters, "-" for a missing one; "ｴﾗｰ" first on error; the
// directory mark "   ﾃﾞｨﾚｸﾄﾘ" last. UTF-8.
std::string AttributeLetters(const FileStat& st);

// Name part and folder part of a path ("/a/b.txt" -> "b.txt", "/a/").
std::string FileNamePart(const std::string& path);
std::string FolderPart(const std::string& path);  // with trailing '/'
std::string WithTrailingSlash(const std::string& path);
// A-Z to a-z and nothing else: names and extensions compare the same
// whatever the locale, and the bytes of a CP932 or UTF-8 name stay intact.
std::string AsciiLower(std::string s);

bool ReadWholeFile(const std::string& path, std::string& out);

}  // namespace navirt
