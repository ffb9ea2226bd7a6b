#!/usr/bin/env bash
# Mutation sample: puts one small fault at a time into the core (codec,
# regex, edit, search, archive, fileops, platform, tool), rebuilds only the
# test program of that folder, runs it, and says whether the tests noticed
# (KILLED) or not (SURVIVED). A fault that does not compile is INVALID and
# not counted. The source is restored after every fault. Not part of ./test.
#
#   scripts/mutate.sh [--tree DIR] [--only ID,ID...] [--list]
#
# --tree runs on another checkout of the project (default: this one); its
# build folder is DIR/build-mutate, configured without -Werror so that a
# fault which only warns still counts. One build job at a time, so the
# machine stays usable.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tree=$root
only=
list=0
while [ $# -gt 0 ]; do
  case $1 in
    --tree) tree=$(cd "$2" && pwd); shift 2 ;;
    --only) only=,$2,; shift 2 ;;
    --list) list=1; shift ;;
    *) echo "usage: $0 [--tree DIR] [--only ID,...] [--list]" >&2; exit 2 ;;
  esac
done
build=${MUTATE_BUILD:-$tree/build-mutate}
jobs=${MUTATE_JOBS:-1}

# id ` folder whose tests run ` file ` text found once ` text put instead
# ("@NL@" in the texts stands for a line end; everything else is literal).
# Left out as equivalent (no input tells them apart): the Base64 decoder's
# padding of a short last group and its byte count (the output length is
# fixed before by the count of Base64 characters), and ColumnRange's "b >=
# len" as "b > len" (b == len gives the empty range at the end either way).
mutants() {
  cat <<'EOF'
codec-euc-f0`codec`codec/DetectCode.cpp`if (c2 >= 0xF0 && c2 <= 0xFE) {`if (c2 >= 0xF1 && c2 <= 0xFE) {
codec-euc-lead-f0`codec`codec/DetectCode.cpp`} else if (c >= 0xF0 && c <= 0xFE) {`} else if (c >= 0xF1 && c <= 0xFE) {
codec-binary-07`codec`codec/DetectCode.cpp`} else if (c <= 0x07 || c == 0xFF) {`} else if (c <= 0x06 || c == 0xFF) {
codec-sjis-run-8d`codec`codec/DetectCode.cpp`(c2 >= 0x81 && c2 <= 0x8D) || (c2 >= 0x8F && c2 <= 0x9C)`(c2 >= 0x81 && c2 <= 0x8C) || (c2 >= 0x8F && c2 <= 0x9C)
codec-user-area-f0`codec`codec/CodeConvert.cpp`return c <= 0xEF ? Unit::Pair : Unit::Copy2;`return c <= 0xF0 ? Unit::Pair : Unit::Copy2;
codec-sjis-lead-fc`codec`codec/CodeConvert.cpp`if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))) return Unit::Copy1;`if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFB))) return Unit::Copy1;
codec-vu`codec`codec/CodeConvert.cpp`if (kana == 0xB3) return 0x74 - 0x26;`if (kana == 0xB3) return 0x74 - 0x25;
codec-handakuten`codec`codec/CodeConvert.cpp`if (kana >= 0xCA && kana <= 0xCE) return 2;`if (kana >= 0xCA && kana <= 0xCE) return 1;
codec-utf8-f0`codec`codec/DetectUnicode.cpp`const unsigned lo = c == 0xF0 ? 0x90 : 0x80`const unsigned lo = c == 0xF0 ? 0x80 : 0x80
regex-range-equal`regex`regex/REParser.cpp`if (c < a) throw ERegExpParser(kMsgBadRange`if (c <= a) throw ERegExpParser(kMsgBadRange
regex-range-dash`regex`regex/REParser.cpp`      Position = afterA;@NL@      Symbol = a;@NL@      return Token = retk_Char;`      Position = afterA + 1;@NL@      Symbol = a;@NL@      return Token = retk_Char;
regex-plus-star`regex`regex/REParser.cpp`    case '+':@NL@      return Token = retk_Plus;`    case '+':@NL@      return Token = retk_Star;
regex-negated-set`regex`regex/REParser.cpp`if (d == '^') return Token = retk_LBraNeg;`if (d == '^') return Token = retk_LBra;
edit-csv-empty-field`edit`edit/LineCommands.cpp`if (inRecord > 0) record += separator;`if (!record.empty()) record += separator;
edit-dupkey-zero`edit`edit/LineCommandTable.cpp`if (k < 1) return Refuse(kEmptyKey);`if (k < 0) return Refuse(kEmptyKey);
edit-dupkey-compare`edit`edit/LineCommands.cpp`    if (key != prev) out.push_back(l);@NL@    prev = key;`    if (key != prev) out.push_back(l);
edit-tex-percent`edit`edit/MarkupStrip.cpp`} else if (c == '\\' && i + 1 < s.size() && s[i + 1] == '%') {`} else if (false) {
edit-tex-sjis`edit`edit/MarkupStrip.cpp`if (IsSjisLead(c) && i + 1 < s.size() && IsSjisTrail(static_cast<unsigned char>(s[i + 1]))) {@NL@      out.append(s, i, 2);`if (false) {@NL@      out.append(s, i, 2);
edit-entity-once`edit`edit/MarkupStrip.cpp`        out.append(by);@NL@        i += pat.size();`        out.append(by);@NL@        i += 1;
edit-number-width`edit`edit/LineCommands.cpp`while (n >= 10) {`while (n > 10) {
search-word-brace`search`search/PlainFind.cpp`(b >= 0x7B && b <= 0x80)`(b >= 0x7C && b <= 0x80)
search-char-start`search`search/PlainFind.cpp`return (k & 1) == 0 || !IsSjisTrail(b[p]);`return (k & 1) == 0;
search-lone-lead`search`search/PlainFind.cpp`return !(loneLeadAtEnd && p + m < text.size() && IsSjisTrail(U(text[p + m])));`return !(loneLeadAtEnd && p + m > text.size());
search-word-before`search`search/PlainFind.cpp`if (p > 0 && !IsWordDelimiter(U(text[p - 1]))) return false;`if (false) return false;
search-known-start`search`search/PlainFind.cpp`size_t floor = CharStartAbove(ub, n, std::min(knownStart, from), from) ? from : from + 1;`size_t floor = from;
search-lf-cache`search`search/LineFilter.cpp`if (!lfKnown || nextLf < p) {`if (!lfKnown) {
search-cr-line`search`search/PlainFind.cpp`if (p + 1 >= text.size() || text[p + 1] != '\n') ++lines;`if (p + 1 < text.size() && text[p + 1] != '\n') ++lines;
archive-zip-crc`archive`archive/libs/Zip.cpp`    return kErrEof;@NL@  }@NL@  if (crc != e.crc) {`    return kErrEof;@NL@  }@NL@  if (false) {
archive-zip-short`archive`archive/libs/Zip.cpp`  if (produced != e.size) {`  if (false) {
archive-zip-stored-crc`archive`archive/libs/Zip.cpp`    crc = Crc32Of(in, src, e.size);@NL@    if (crc != e.crc) {`    crc = Crc32Of(in, src, e.size);@NL@    if (false) {
archive-zip-stored-size`archive`archive/libs/Zip.cpp`if (e.packed != e.size) {`if (false) {
archive-lzh-crc`archive`archive/libs/Lzh.cpp`  if (rc == kOk && crc != static_cast<uint16_t>(e.crc)) {`  if (false) {
archive-link-outside`archive`archive/libs/LibFrame.cpp`if (e.isLink && !LinkStaysInside(e.path, e.linkTarget)) {`if (false) {
archive-new-noreplace`archive`archive/libs/ArcCommon.cpp`RENAME_NOREPLACE) == 0`0) == 0
archive-new-taken`archive`archive/libs/ArcCommon.cpp`  if (::lstat(target.c_str(), &st) == 0) return EEXIST;`  if (::lstat(target.c_str(), &st) == 0 && false) return EEXIST;
archive-stale-live`archive`archive/libs/ArcCommon.cpp`if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;`if (pid == ::getpid()) continue;
archive-pack-dot`archive`archive/PackNames.cpp`bool Hidden(const std::string& path) { return (DosXattrBits(path) & (faHidden | faSysFile)) != 0; }`bool Hidden(const std::string& path) { return path.find("/.") != std::string::npos || (DosXattrBits(path) & (faHidden | faSysFile)) != 0; }
archive-pack-unopened`archive`archive/PackNames.cpp`    cx.Skip(dir.empty() ? "." : dir, std::string("cannot open the folder: ") + std::strerror(errno));`
archive-report-crlf`archive`archive/ArcCommands.cpp`if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";`if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\n";
fileops-copy-race`fileops`fileops/SHFOP.cpp`    while (!RenameNoReplace(tmp, target)) {`    while (::rename(tmp.c_str(), target.c_str()) != 0) {
fileops-move-race`fileops`fileops/SHFOP.cpp`: RenameNoReplace(src, target);`: ::rename(src.c_str(), target.c_str()) == 0;
fileops-copy-mode`fileops`fileops/SHFOP.cpp`::fchmod(out, sst.st_mode & 07777)`::fchmod(out, 0644)
fileops-split-self`fileops`fileops/SplitMerge.cpp`if (o == source || (exists && ot.st_dev == st.st_dev && ot.st_ino == st.st_ino)) {`if (o == source) {
fileops-split-ask`fileops`fileops/SplitMerge.cpp`if (exists && !(hooks.replace && hooks.replace(o))) {`if (false) {
fileops-merge-mode`fileops`fileops/SplitMerge.cpp`return ::fchmod(fd, st.st_mode & 07777) == 0;`return ::fchmod(fd, NewFileMode()) == 0;
fileops-merge-bat-first`fileops`fileops/SplitMerge.cpp`if (::stat(bat.c_str(), &st) == 0 && !(!files.empty() && files.front() == target)) {`if (::stat(bat.c_str(), &st) == 0) {
fileops-piece-count`fileops`fileops/SplitMerge.cpp`return fileSize / (pieceSize ? pieceSize : 1) + 1;`return (fileSize + (pieceSize ? pieceSize : 1) - 1) / (pieceSize ? pieceSize : 1);
fileops-dir-link`fileops`fileops/DirListing.cpp`if (e.isDir && !e.isLink && e.name != "." && e.name != "..") subs.push_back(e.name);`if (e.isDir && e.name != "." && e.name != "..") subs.push_back(e.name);
fileops-dir-literal`fileops`fileops/DirListing.cpp`if (c == '[' || c == ']' || c == '\\') out += '\\';`if (c == ']') out += '\\';
platform-atomic-mode`platform`platform/AtomicFile.cpp`    ::fchmod(fd, st.st_mode & 07777);`    ::fchmod(fd, 0644);
platform-atomic-link`platform`platform/AtomicFile.cpp`if (!ec && ::lstat(given.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) path = real.string();`if (!ec && ::lstat(given.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode) && false) path = real.string();
platform-atomic-owner`platform`platform/AtomicFile.cpp`if (::fchown(fd, st.st_uid, st.st_gid) != 0) {`if (false) {
platform-sjis-trail-7f`platform`platform/Cp932.h`return c >= 0x40 && c <= 0xFC && c != 0x7F;`return c >= 0x40 && c <= 0xFC;
platform-norename`platform`platform/FileCopy.cpp`return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;`return ::rename(from.c_str(), to.c_str()) == 0;
tool-final-crlf`tool`tool/cmd_lines_edit.cpp`if (j.Any()) buf.append("\r\n");`if (false) buf.append("\r\n");
tool-replace-lf`tool`tool/cmd_lines_search.cpp`if (with.find_first_of("\r\n") == std::string::npos)`if (true)
EOF
}

if [ "$list" = 1 ]; then mutants | cut -d'`' -f1,2,3 | tr '`' ' '; exit 0; fi

if [ ! -f "$build/build.ninja" ]; then
  CCACHE_BASEDIR=$tree CCACHE_NOHASHDIR=1 cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNAVIRT_WERROR=OFF -DNAVIRT_GUI=OFF -DNAVIRT_BENCH=OFF >/dev/null || exit 2
fi
export CCACHE_BASEDIR=$tree CCACHE_NOHASHDIR=1
arclibs="unlha32 unzip32 zip32j tar32 cab32 unarj32j bga32 unrar32 lmzip32"
targets_of() {  # folder -> build targets
  case $1 in
    archive) echo "test_archive navirt-tool $arclibs" ;;
    *) echo "test_$1 navirt-tool navirt-dir" ;;
  esac
}
# The unchanged tree must build and pass, or no fault means anything.
echo "baseline build..." >&2
for f in codec regex edit search archive fileops platform tool; do
  # shellcheck disable=SC2046
  cmake --build "$build" -j "$jobs" --target $(targets_of $f) >/dev/null 2>&1 || { echo "baseline build of $f failed" >&2; exit 2; }
done

log=$build/mutate.log
: >"$log"
killed=0 survived=0 invalid=0 skipped=0
while IFS='`' read -r id folder file from to; do
  [ -n "$only" ] && [[ $only != *",$id,"* ]] && continue
  path=$tree/$file
  cp -p "$path" "$build/mutate.orig"
  # Literal, first occurrence only; the text must occur exactly once.
  n=$(FROM=$from perl -0777 -ne '$f=$ENV{FROM}; $f=~s/\@NL\@/\n/g; $c=()=/\Q$f\E/g; print $c' "$path")
  if [ "$n" != 1 ]; then
    echo "SKIPPED  $id (text found $n times in $file)" | tee -a "$log"
    skipped=$((skipped + 1))
    continue
  fi
  FROM=$from TO=$to perl -0777 -pi -e '$f=$ENV{FROM}; $t=$ENV{TO}; for ($f,$t) { s/\@NL\@/\n/g } s/\Q$f\E/$t/' "$path"
  # shellcheck disable=SC2046
  if ! cmake --build "$build" -j "$jobs" --target $(targets_of "$folder") >"$build/mutate.build" 2>&1; then
    result=INVALID
    invalid=$((invalid + 1))
  else
    env NAVIRT_TOOL="$build/bin/navirt-tool" timeout 600 "$build/bin/test_$folder" --gtest_brief=1 --gtest_fail_fast \
      >"$build/mutate.test" 2>&1
    rc=$?
    if [ $rc -eq 0 ]; then
      result=SURVIVED
      survived=$((survived + 1))
    else
      result=KILLED
      killed=$((killed + 1))
    fi
  fi
  cp -p "$build/mutate.orig" "$path"
  touch "$path"
  printf '%-9s %-26s %s\n' "$result" "$id" "$file" | tee -a "$log"
done < <(mutants)
# Rebuild what the last fault touched, from the restored source.
for f in codec regex edit search archive fileops platform tool; do
  # shellcheck disable=SC2046
  cmake --build "$build" -j "$jobs" --target $(targets_of $f) >/dev/null 2>&1
done
counted=$((killed + survived))
score=$(awk -v k=$killed -v c=$counted 'BEGIN { printf "%.0f", c ? 100 * k / c : 0 }')
echo "killed $killed of $counted ($score %), invalid $invalid, skipped $skipped" | tee -a "$log"
