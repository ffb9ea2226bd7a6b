// The core speaks Japanese, as the window does whatever the locale; the
// shell faces follow the user's language. Under an English locale the
// core's texts that reach a message of navirt-tool (the regular-expression
// engine's syntax errors, the archive handlers' refusals and result codes,
// the file and line commands' refusals) are put into English where they are printed.
// The Japanese side of each pair is the core's own text, so the two cannot
// drift apart.
#include <string>
#include <vector>

#include "archive/ArcListing.h"
#include "archive/Archives.h"
#include "archive/HandlerBase.h"
#include "edit/LineCommands.h"
#include "fileops/Messages.h"
#include "regex/bmRegExp.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {

using namespace arcimpl;

struct CoreText {
  std::string en;
  std::string ja;  // "{1}": the part both keep
};

const std::vector<CoreText>& CoreTexts() {
  static const std::vector<CoreText> table = [] {
    std::vector<CoreText> t = {
        {"invalid double-byte character", kMsgBadDbcs},
        {"a character must follow \"\\\"", kMsgNeedCharAfterBs},
        {"invalid hexadecimal character code", kMsgBadHex},
        {"invalid octal character code", kMsgBadOctal},
        {"a closing bracket \"]\" is missing", kMsgNeedRBracket},
        {"invalid character range", kMsgBadRange},
        {"invalid character class", kMsgBadClass},
        {"a closing parenthesis is missing", kMsgNeedRPar},
        {"a character or an opening parenthesis \"(\" is expected", kMsgNeedPrimary},
        {"extra characters in the regular expression", kMsgExtraChars},
        {"the regular expression is too complex", kMsgTooComplex},
        {"TREParseTree: fatal error", kMsgTreeFatal},
        {"this format does not support creating archives", kMsgPack},
        {"archives of this format do not support deleting files", kMsgRemove},
        {"archives of this format do not support updating", kMsgUpdate},
        {"this format does not support self-extracting archives", kMsgSfx},
        {"this format does not support extracting to memory", kMsgToMemory},
        {"this format does not support checking archives", kMsgCheck},
        {"LHA archives need UNLHA32.DLL", kLoadLha},
        {"ZIP archives need UNZIP32.DLL to extract and ZIP32J.DLL to create", kLoadZipAny},
        {"creating ZIP archives needs ZIP32J.DLL or LMZIP32.DLL", kLoadZipCreate},
        {"extracting ZIP archives needs UNZIP32.DLL or LMZIP32.DLL", kLoadZipExtract},
        {"CAB archives need CAB32.DLL", kLoadCab},
        {"ARJ archives need UNARJ32J.DLL", kLoadArj},
        {"tar/tgz/taz/bz2 archives need tar32.dll", kLoadTar},
        {"this needs UNRAR32.DLL", kLoadRar},
        {"Bga archives need BGA32.DLL", kLoadBga},
        {"cannot tell the archive's format", kMsgUnknownFormat},
        {"could not determine the archive's format", kMsgBadType},
        {"could not extract", "解凍できませんでした。"},
        {"the file name is not valid", "ファイル名が正しくありません。"},
    };
    // The file commands' refusals.
    const std::vector<CoreText> files = {
        {"cannot split into {1} files", std::string("{1}") + navirt::msg::kCannotSplitInto},
        {"the piece would be the file being split", navirt::msg::kSplitWouldReplaceSource},
        {"exists already (--force replaces it)", navirt::msg::kSplitPieceExists},
        {"the target folder is the source folder or lies inside it", navirt::msg::kCopyIntoItself},
        {"the target folder is the source folder or lies inside it", navirt::msg::kMoveIntoItself},
        {"a file name cannot hold /", navirt::msg::kSlashInName},
        {"a file of the same name exists already", navirt::msg::kNameExists},
        {"the trash cannot be used", navirt::msg::kNoTrash},
        {"give the size of a piece as a number of 1 or more", navirt::msg::kNotAPieceSize},
        {"could not copy", navirt::msg::kCopyFailed},
        {"could not move", navirt::msg::kMoveFailed},
        {"the file operation failed", navirt::msg::kOperationFailed},
        {"could not read the attributes", navirt::msg::kAttrReadFailed},
        {"could not change the attributes", navirt::msg::kAttrWriteFailed},
    };
    t.insert(t.end(), files.begin(), files.end());
    // The line commands' refusal of a number names the answer.
    const std::string invalid = InvalidIntegerMessage("{1}");
    t.push_back({"'{1}' is not a valid whole number", invalid});
    static const std::pair<int, const char*> kResults[] = {
        {0x8005, "not enough disk space (packing fails; extracting skips the entry and goes on)"},
        {0x8006, "the target file is read-only"},
        {0x8007, "skipped by the user"},
        {0x800C, "an entry's checksum does not match"},
        {0x800D, "the file could not be opened"},
        {0x800E, "a newer file exists at the target"},
        {0x800F, "the file does not exist at the target"},
        {0x8010, "the file already exists"},
        {0x8012, "cannot create the folder"},
        {0x8013, "a write error occurred"},
        {0x8014, "an entry's Huffman code is broken"},
        {0x8016, "the archive header's checksum does not match"},
        {0x8017, "the archive header is broken"},
        {0x8018, "cannot open the archive"},
        {0x8019, "no archive file name was given"},
        {0x801A, "an error occurred while reading the file"},
        {0x801B, "the file is not a valid LZH archive"},
        {0x801C, "the command is wrong"},
        {0x801D, "not enough heap memory to work in (malloc failed)"},
        {0x801E, "not enough global memory"},
        {0x801F, "UNLHA32.DLL is already running"},
        {0x8020, "stopped by the user"},
        {0x8021, "an API such as UnlhaFindFirst() was used before UnlhaOpenArchive() tied an archive to the handle"},
        {0x8022,
         "UnlhaFindNext() was called before UnlhaFindFirst(), or an API such as UnlhaGetFileName() before both"},
        {0x8023, "an API UNLHA32.DLL does not support was used"},
        {0x8024, "the date and time are given in a wrong form"},
        {0x8025, "cannot create a work file"},
        {0x8026, "the folder path is too long"},
        {0x8027, "archives with the write-only attribute cannot be worked on"},
        {0x8028, "a file of the same name is already in the archive"},
        {0x8029, "the given folder held no archive"},
        {0x802A, "an error occurred while reading the response file"},
        {0x802B, "a file name is needed"},
        {0x802C, "the work file could not be written back into the archive"},
        {0x802D, "the archive's data is incomplete"},
    };
    for (const auto& [code, en] : kResults) t.push_back({en, ArchiveResultMessage(code)});
    return t;
  }();
  return table;
}

}  // namespace

std::string InShellLanguage(std::string_view text) {
  std::string out(text);
  if (MessageLanguage() == MsgLang::Japanese) return out;
  for (const CoreText& t : CoreTexts()) {
    if (t.ja.empty()) continue;
    const size_t hole = t.ja.find("{1}");
    if (hole == std::string::npos) {
      for (size_t at = out.find(t.ja); at != std::string::npos; at = out.find(t.ja, at + t.en.size()))
        out.replace(at, t.ja.size(), t.en);
      continue;
    }
    // A text around a part of the caller's: the whole message.
    const std::string_view head = std::string_view(t.ja).substr(0, hole);
    const std::string_view tail = std::string_view(t.ja).substr(hole + 3);
    const std::string_view o = out;
    if (o.size() >= head.size() + tail.size() && o.substr(0, head.size()) == head &&
        o.substr(o.size() - tail.size()) == tail) {
      const std::string part(o.substr(head.size(), o.size() - head.size() - tail.size()));
      const size_t enHole = t.en.find("{1}");
      out = t.en.substr(0, enHole) + part + t.en.substr(enHole + 3);
    }
  }
  return out;
}

}  // namespace navirt::tool
