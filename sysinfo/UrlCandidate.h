#pragma once
// "URL先を開く(&H)": the address offered from the pane's text. Texts are
// CP932 bytes; a printable byte is 0x21..0x7E.
#include <string>
#include <string_view>

#include "settings/History.h"
#include "settings/IniFile.h"

namespace navirt {

// Without a selection: the caret's line. Double-byte characters before the
// first printable byte are stepped over whole; the candidate is the run of
// printable bytes from there, kept only when it holds "://".
std::string UrlCandidateFromLine(std::string_view line);
// With a selection: leading double-byte characters go two bytes at a time,
// then non-printable bytes at both ends; the candidate is the run of
// printable bytes from the start. No "://" test.
std::string UrlCandidateFromSelection(std::string_view selection);

// The input dialog reused for the address, one and a half times as wide:
// its captions, the history of the section "URL" and the candidate.
TInputDialogModel UrlDialogModel(const TIniFile& ini, const std::string& candidate);
constexpr const char* kUrlHistorySection = "URL";
constexpr int kUrlDialogWidthPercent = 150;

}  // namespace navirt
