#!/usr/bin/env bash
# navirt-tool grep against GNU grep (C locale) on a 64 MiB Shift_JIS corpus of
# Japanese prose (bench/sjis_corpus.bash). Both print the matching lines to
# /dev/null; the figures are the best of three runs. Same expressions, same matching lines.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin}
tool=$bin/navirt-tool
source "$root/bench/sjis_corpus.bash"

sj() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
# Shift_JIS bytes as a GNU ERE: trail bytes such as 5B "[" or 5C "\" escaped.
sjre() { sj "$1" | LC_ALL=C sed 's/[][\\.*+?(){}|^$]/\\&/g'; }

best() {  # best wall time of three runs, in ms
  # Output goes to a file: GNU grep stops at the first match when it sees
  # /dev/null.
  local b=999999 t s e
  for _ in 1 2 3; do
    s=$(date +%s%N)
    "$@" >"$work/out.txt" 2>&1
    e=$(date +%s%N)
    t=$(((e - s) / 1000000))
    [ $t -lt $b ] && b=$t
  done
  echo $b
}

printf '%-26s %9s %9s %7s %9s %9s %8s\n' case navirt_ms grep_ms ratio navirt_n grep_n rss_KiB
run() {  # name, limit, navirt expression (UTF-8), grep mode, grep expression (bytes)
  local name=$1 limit=$2 expr=$3 mode=$4 gexpr=$5
  local tn tg nn ng rss
  tn=$(best "$tool" grep "$expr" "$corpus")
  tg=$(best env LC_ALL=C grep "$mode" -e "$gexpr" "$corpus")
  nn=$("$tool" grep "$expr" "$corpus" | wc -l)
  ng=$(LC_ALL=C grep "$mode" -e "$gexpr" "$corpus" | wc -l)
  rss=$(/usr/bin/time -f %M "$tool" grep "$expr" "$corpus" 2>&1 >/dev/null | tail -1)
  local ratio
  ratio=$(awk -v a="$tn" -v b="$tg" 'BEGIN { if (b < 1) b = 1; printf "%.2f", a / b }')
  local verdict=ok
  awk -v r="$ratio" -v l="$limit" 'BEGIN { exit !(r <= l) }' || verdict="SLOWER than ${limit}x"
  [ "$nn" = "$ng" ] || verdict="$verdict, COUNTS DIFFER"
  printf '%-26s %9s %9s %7s %9s %9s %8s  %s\n' "$name" "$tn" "$tg" "$ratio" "$nn" "$ng" "$rss" "$verdict"
}

# Byte form of the kanji class for GNU grep: 亜 = 88 9F, 熙 = EA A4.
kanji=$(printf '(\x88[\x9f-\xfc]|[\x89-\x9f\xe0-\xe9][\x40-\xfc]|\xea[\x40-\xa4])+\x83\x41')
words="ファイル|ユーザー|パスワード|グループ|ディレクトリ"
gwords="$(sjre ファイル)|$(sjre ユーザー)|$(sjre パスワード)|$(sjre グループ)|$(sjre ディレクトリ)"
run "ascii literal" 1.5 "passwd" -F "passwd"
run "japanese literal" 1.5 "設定ファイル" -F "$(sj 設定ファイル)"
run "[0-9]+\\.[0-9]+" 2 '[0-9]+\.[0-9]+' -E '[0-9]+\.[0-9]+'
run "[亜-熙]+ア" 2 "[亜-熙]+ア" -E "$kanji"
run "five words" 2 "$words" -E "$gwords"
echo "corpus: $corpus ($(stat -c %s "$corpus") bytes)"
