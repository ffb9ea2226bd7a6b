#pragma once
// A library over a format that is only read: list, test, extract and
// extract to memory, with the command words the format's handler sends.
#include <functional>

#include "archive/libs/LibFrame.h"

namespace navirt::arc {

class ReadOnlyLibrary : public ArcLibrary {
 public:
  using ListFn = std::function<int(const InputFile&, const std::string&, std::vector<ArcEntry>&, std::string&)>;
  // Makes an unpacker bound to one open archive (entries stay alive).
  using UnpackerFn = std::function<UnpackFn(const InputFile&, const std::string&, const std::vector<ArcEntry>&)>;

  struct Words {
    std::vector<std::string> extract, extractFlat, list, test;
  };
  ReadOnlyLibrary(ListFn list, UnpackerFn unpacker, Words words, bool overwriteByDefault)
      : list_(std::move(list)),
        unpacker_(std::move(unpacker)),
        words_(std::move(words)),
        overwrite_(overwriteByDefault) {}

  int List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) override;
  int ExtractToMemory(const std::string& path, const std::string& name, std::string& data, ArcEntry& entry,
                      std::string& why) override;
  int Run(const std::string& cmdline, Report& rep) override;

 private:
  static bool In(const std::vector<std::string>& v, const std::string& w);
  ListFn list_;
  UnpackerFn unpacker_;
  Words words_;
  bool overwrite_;
};

}  // namespace navirt::arc
