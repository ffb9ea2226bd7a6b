#include "edit/EditRules.h"

#include <cerrno>
#include <cstdlib>

namespace navirt {

int JumpTargetLine(const std::string& answer, int lineCount) {
  // A number means the whole answer is one (blanks around it allowed).
  char* end = nullptr;
  errno = 0;
  long n = std::strtol(answer.c_str(), &end, 10);
  bool number = end != answer.c_str() && errno == 0;
  if (number)
    while (*end == ' ') ++end;
  if (!number || *end != 0) n = 0;
  if (n > lineCount) n = lineCount;
  return n - 1 > 0 ? static_cast<int>(n - 1) : 0;
}

const char* ModeWord(bool editMode) { return editMode ? "編集" : "閲覧"; }

const char* ModeCommandCaption(bool editMode) { return editMode ? "簡易編集を解除(&R)" : "簡易編集する(&R)"; }

}  // namespace navirt
