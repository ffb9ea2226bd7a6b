#pragma once
// Rules of the folder tree and the file list: masks, the list's texts and
// sort orders, moving up and to the root, and the key map of the panes.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "browse/FolderListing.h"

namespace navirt {

// ---- mask ----
struct FileMask {
  bool all = true;                // "*" or empty: every file
  std::vector<std::string> exts;  // each beginning with "."
};
// "txt;BMP" -> {".txt", ".BMP"}; "*" or "" -> all; an empty part gives ".";
// parts with a "." are kept as typed (so "*.txt" matches nothing).
FileMask ParseMask(const std::string& answer);
// Folders always pass; a file passes when the mask is empty or its
// extension (from the last ".", upper-cased) equals an entry upper-cased.
bool MaskMatches(const FileMask& mask, const std::string& name, bool isDir);

// ---- the list's texts ----
// "%16.0n": thousands separators, right-aligned in 16 characters. Sizes are
// 64-bit here.
std::string ListSizeText(uint64_t size);
// "yy/mm/dd hh:nn" in local time.
std::string ListDateText(std::time_t t);

// ---- sort ----
// Codes of the sort dialog: the key index (0 name, 1 size, 2 type, 3 date),
// plus 90 when descending.
int SortCode(int keyIndex, bool descending);
// Locale-aware comparison of two displayed texts (ICU collation for
// Japanese): negative, zero or positive.
int CompareDisplayed(const std::string& a, const std::string& b);
struct ListRow {
  std::string texts[4];  // caption, size, type, date as displayed
  size_t index = 0;      // the row's position before sorting
};
// Sorts rows in place by the code; unknown codes change nothing. Equal
// rows keep their order.
void SortListRows(std::vector<ListRow>& rows, int code);

// ---- folders ----
// The parent of a folder ("/a/b/" -> "/a/"); "/" stays "/".
std::string ParentFolder(const std::string& folder);
// The drive of a folder: the longest mount point (from drives) that
// contains it, "/" when none does.
std::string DriveOf(const std::string& folder, const std::vector<std::string>& drives);

// ---- key map ----
// The key-list letter of a character typed in the panes: letters in upper
// case, ';' and '\\'; a half-width kana of the same key on a Japanese
// keyboard in kana mode (its CP932 byte given as U+FF61..U+FF9F) gives the
// same letter. 0 for characters without a command (Y among them).
char KeyListLetter(char32_t ch);
// The CP932 byte of a half-width kana character, 0 for others.
unsigned char HalfWidthKanaByte(char32_t ch);

}  // namespace navirt
