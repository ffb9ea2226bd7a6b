// Linux has no A, S and H bits; keeping them where Samba keeps them means a
// share served to Windows shows the same attributes the dialog set.
#include "platform/DosAttributes.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace navirt {
namespace {

constexpr const char* kDosAttrName = "user.DOSATTRIB";
constexpr uint32_t kXattrBits = faArchive | faSysFile | faHidden;

// Samba's form: "0x" and hexadecimal text, perhaps followed by a NUL and
// a binary blob that newer versions add.
bool ReadDosXattr(const std::string& path, uint32_t& bits, bool& present) {
  char buf[256];
  ssize_t n = ::getxattr(path.c_str(), kDosAttrName, buf, sizeof buf - 1);
  present = n >= 0;
  bits = 0;
  if (n < 0) return errno == ENODATA || errno == ENOTSUP || errno == ERANGE;
  buf[n] = 0;
  if (n > 2 && buf[0] == '0' && (buf[1] == 'x' || buf[1] == 'X'))
    bits = static_cast<uint32_t>(std::strtoul(buf + 2, nullptr, 16));
  return true;
}

}  // namespace

bool IsDotName(const std::string& name) { return !name.empty() && name[0] == '.' && name != "." && name != ".."; }

bool SystemFileAttributes::Read(const std::string& path, uint32_t& attrs) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  attrs = 0;
  if (!(st.st_mode & S_IWUSR)) attrs |= faReadOnly;
  if (S_ISDIR(st.st_mode)) attrs |= faDirectory;
  uint32_t bits = 0;
  bool present = false;
  if (!ReadDosXattr(path, bits, present)) return false;
  attrs |= bits & kXattrBits;
  if (IsDotName(FileNamePart(path))) attrs |= faHidden;
  return true;
}

bool SystemFileAttributes::Write(const std::string& path, uint32_t attrs, std::string* error) {
  auto fail = [&](int e) {
    if (error) *error = std::strerror(e);
    return false;
  };
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return fail(errno);
  uint32_t bits = 0;
  bool present = false;
  ReadDosXattr(path, bits, present);
  // Bits of the extended attribute this dialog does not edit survive.
  uint32_t keep = (bits & ~kXattrBits) | (attrs & kXattrBits);
  if (IsDotName(FileNamePart(path))) keep &= ~uint32_t(faHidden);
  // The extended attribute first: when the file system has none, nothing
  // has changed yet and the whole change fails.
  if (keep != bits || (keep == 0 && present)) {
    if (keep == 0) {
      if (::removexattr(path.c_str(), kDosAttrName) != 0 && errno != ENODATA) return fail(errno);
    } else {
      char buf[16];
      int n = std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(keep));
      if (::setxattr(path.c_str(), kDosAttrName, buf, static_cast<size_t>(n) + 1, 0) != 0) return fail(errno);
    }
  }
  mode_t mode = st.st_mode & 07777;
  mode_t want = (attrs & faReadOnly) ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  if (want != mode && ::chmod(path.c_str(), want) != 0) return fail(errno);
  return true;
}

}  // namespace navirt
