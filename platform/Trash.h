#pragma once
// Deleting to the Trash the way freedesktop.org desktops lay it
// out: the item moves to files/NAME and info/NAME.trashinfo records where it
// came from and when. Items on the home file system go to the home trash
// ($XDG_DATA_HOME/Trash); items on other mounts go to that mount's
// $topdir/.Trash/$uid (when the administrator made it, sticky and no link)
// or $topdir/.Trash-$uid, so nothing is ever copied across file systems.
#include <sys/types.h>

#include <map>
#include <string>

namespace navirt {

class ITrash {
 public:
  virtual ~ITrash() = default;
  // Moves one file or folder (with its content) to the Trash. On failure the
  // item stays where it was and error holds the system's message.
  virtual bool MoveToTrash(const std::string& path, std::string* error) = 0;
};

class FreedesktopTrash : public ITrash {
 public:
  // homeTrash empty: $XDG_DATA_HOME/Trash, else ~/.local/share/Trash.
  explicit FreedesktopTrash(std::string homeTrash = "");
  bool MoveToTrash(const std::string& path, std::string* error) override;

  const std::string& HomeTrash() const { return home_; }
  // The trash folder an item on device dev with absolute path uses; empty
  // when none can be made. topdir gets the mount's top ("" for the home one).
  std::string TrashFor(const std::string& absPath, dev_t dev, std::string& topdir, std::string* error);

 private:
  std::string home_;
  struct Where {
    std::string trash, topdir;
  };
  std::map<dev_t, Where> byDevice_;
};

// "%"-escapes a path for the Path= line (RFC 2396 escaping:
// everything but unreserved characters and "/").
std::string TrashInfoEscape(const std::string& path);
std::string TrashInfoText(const std::string& pathForInfo, time_t when);

}  // namespace navirt
