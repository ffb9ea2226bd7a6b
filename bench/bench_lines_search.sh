#!/usr/bin/env bash
# navirt-tool lines del-match-re / keep-match-re against GNU grep -v -E /
# grep -E (C locale), and lines replace against sed, side by side on the
# 64 MiB Shift_JIS corpus (bench/sjis_corpus.bash). Every command writes its
# result to a file; the figures are the best of three runs (wall ms) and the
# user+system CPU ms of the best run. The counts compare what each side did:
# lines deleted or kept, occurrences replaced.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bin=${NAVIRT_BIN:-$root/build/bin}
tool=$bin/navirt-tool
source "$root/bench/sjis_corpus.bash"

sj() { printf '%s' "$1" | iconv -f UTF-8 -t CP932; }
sjre() { sj "$1" | LC_ALL=C sed 's/[][\\.*+?(){}|^$]/\\&/g'; }

best() {  # prints "wall_ms cpu_ms" of the fastest of three runs
  local b=999999 bc=0 t s e c
  for _ in 1 2 3; do
    s=$(date +%s%N)
    /usr/bin/time -o "$work/time.txt" -f '%U %S' "$@" >"$work/out.txt" 2>"$work/err.txt"
    c=$(tail -1 "$work/time.txt")
    e=$(date +%s%N)
    t=$(((e - s) / 1000000))
    if [ $t -lt $b ]; then
      b=$t
      bc=$(awk -v u="${c% *}" -v y="${c#* }" 'BEGIN { printf "%d", (u + y) * 1000 }')
    fi
  done
  echo "$b $bc"
}

printf '%-34s %9s %8s %9s %8s %7s %9s %9s  %s\n' case navirt_ms cpu_ms other_ms cpu_ms ratio navirt_n other_n verdict
report() {  # name, navirt "wall cpu", other "wall cpu", navirt count, other count
  local name=$1 tn=${2% *} tc=${2#* } on=${3% *} oc=${3#* } nn=$4 on_=$5
  local ratio verdict=ok
  ratio=$(awk -v a="$tn" -v b="$on" 'BEGIN { if (b < 1) b = 1; printf "%.2f", a / b }')
  awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }' || verdict="SLOWER than 1.5x"
  [ "$nn" = "$on_" ] || verdict="$verdict, COUNTS DIFFER"
  printf '%-34s %9s %8s %9s %8s %7s %9s %9s  %s\n' "$name" "$tn" "$tc" "$on" "$oc" "$ratio" "$nn" "$on_" "$verdict"
}

lines_re() {  # label, UTF-8 expression, GNU ERE over the bytes
  local label=$1 expr=$2 gexpr=$3 tn tg nn ng
  tn=$(best "$tool" lines del-match-re "$expr" "$corpus")
  tg=$(best env LC_ALL=C grep -v -E -e "$gexpr" "$corpus")
  nn=$("$tool" lines del-match-re "$expr" "$corpus" 2>&1 >/dev/null)
  ng=$(LC_ALL=C grep -c -E -e "$gexpr" "$corpus")
  report "del-match-re $label" "$tn" "$tg" "$nn" "$ng"
  tn=$(best "$tool" lines keep-match-re "$expr" "$corpus")
  tg=$(best env LC_ALL=C grep -E -e "$gexpr" "$corpus")
  nn=$("$tool" lines keep-match-re "$expr" "$corpus" 2>&1 >/dev/null)
  report "keep-match-re $label" "$tn" "$tg" "$nn" "$ng"
}

kanji=$(printf '(\x88[\x9f-\xfc]|[\x89-\x9f\xe0-\xe9][\x40-\xfc]|\xea[\x40-\xa4])+\x83\x41')
lines_re "passwd" "passwd" "passwd"
lines_re "[0-9]+\\.[0-9]+" '[0-9]+\.[0-9]+' '[0-9]+\.[0-9]+'
lines_re "three words" "ファイル|ディレクトリ|ユーザー" "$(sjre ファイル)|$(sjre ディレクトリ)|$(sjre ユーザー)"
lines_re "[亜-熙]+ア" "[亜-熙]+ア" "$kanji"

replace() {  # label, UTF-8 text, UTF-8 new text (both free of sed specials)
  local label=$1 text=$2 new=$3 tn ts nn ns
  tn=$(best "$tool" lines replace "$text" "$new" "$corpus")
  ts=$(best env LC_ALL=C sed "s/$(sj "$text")/$(sj "$new")/g" "$corpus")
  nn=$("$tool" lines replace "$text" "$new" "$corpus" 2>&1 >/dev/null)
  ns=$(LC_ALL=C grep -o -F -e "$(sj "$text")" "$corpus" | wc -l)
  report "replace $label" "$tn" "$ts" "$nn" "$ns"
}
replace "passwd" passwd PASSWORD
replace "ファイル" ファイル フォルダ
echo "corpus: $corpus ($(stat -c %s "$corpus") bytes)"
