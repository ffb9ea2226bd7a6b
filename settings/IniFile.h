#pragma once
// The settings file: sectioned key=value text, UTF-8. Section and key names
// compare without regard to ASCII case, as the old INI files did. Rewriting
// keeps every section, key and comment it does not know.
#include <cstdint>
#include <string>
#include <vector>

namespace navirt {

class TIniFile {
 public:
  TIniFile() = default;
  explicit TIniFile(std::string path);  // loads the file when it exists

  const std::string& Path() const { return path_; }
  bool Load(const std::string& path);  // false when missing or unreadable (then empty)
  void Parse(const std::string& text);
  std::string Text() const;
  // Atomic: the old file survives a failed write.
  bool Save(std::string* error = nullptr) const;
  bool SaveAs(const std::string& path, std::string* error = nullptr) const;

  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& key) const;
  std::vector<std::string> Sections() const;
  std::vector<std::string> Keys(const std::string& section) const;

  std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
  // A value that is not a whole number in range gives the default.
  int64_t ReadInteger(const std::string& section, const std::string& key, int64_t def) const;
  // "0" is false, any other number true; anything else gives the default.
  bool ReadBool(const std::string& section, const std::string& key, bool def) const;

  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, int64_t value);
  void WriteBool(const std::string& section, const std::string& key, bool value);
  void DeleteKey(const std::string& section, const std::string& key);
  void EraseSection(const std::string& section);

 private:
  struct Line {
    std::string key;    // empty for comments and blank lines
    std::string value;  // or the raw text of a comment line
  };
  struct Section {
    std::string name;
    std::vector<Line> lines;
  };
  Section* Find(const std::string& name);
  const Section* Find(const std::string& name) const;
  Section& Ensure(const std::string& name);

  std::string path_;
  std::vector<std::string> preamble_;  // lines before the first section
  std::vector<Section> sections_;
};

}  // namespace navirt
