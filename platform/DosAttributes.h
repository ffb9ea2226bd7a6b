#pragma once
// The four DOS attributes the attribute dialog edits, as Navirt keeps them:
//   R  the owner's write bit (cleared: read-only);
//   A, S, H  bits of the extended attribute user.DOSATTRIB ("0x20" text, as
//            Samba writes it); a name beginning with "." is hidden anyway.
// A file is never renamed to change an attribute.
#include <cstdint>
#include <string>

#include "platform/FileInfo.h"

namespace navirt {

class IFileAttributes {
 public:
  virtual ~IFileAttributes() = default;
  // R A S H (faReadOnly | faArchive | faSysFile | faHidden) plus faDirectory.
  virtual bool Read(const std::string& path, uint32_t& attrs) = 0;
  // Writes R and the A S H bits; error holds the system's message.
  virtual bool Write(const std::string& path, uint32_t attrs, std::string* error) = 0;
};

class SystemFileAttributes : public IFileAttributes {
 public:
  bool Read(const std::string& path, uint32_t& attrs) override;
  bool Write(const std::string& path, uint32_t attrs, std::string* error) override;
};

// True for names the system treats as hidden by themselves (".x").
bool IsDotName(const std::string& name);

}  // namespace navirt
