# Sourced by the whole-command benchmarks: builds (once) a 64 MiB Shift_JIS
# corpus of Japanese prose from the system's Japanese manual pages (or a
# bundled fallback text) and sets $corpus to its path.
work=${TMPDIR:-/tmp}/navirt-bench-grep
mkdir -p "$work"
corpus=$work/corpus-sjis.txt
size=$((64 * 1024 * 1024))

if [ ! -s "$corpus" ] || [ "$(stat -c %s "$corpus")" -ne $size ]; then
  base=$work/base.txt
  : >"$base"
  for f in /usr/share/man/ja/man*/*.gz; do
    [ -e "$f" ] || continue
    # Prose only: drop requests and comments, then font and character escapes.
    zcat "$f" | grep -v -e '^[.'"'"']' | sed -e 's/\\f[BIRP]//g; s/\\f(..//g; s/\\(..//g; s/\\-/-/g; s/\\e/\\/g; s/\\&//g' >>"$base"
  done
  if [ ! -s "$base" ]; then
    for i in $(seq 1 2000); do
      echo "第${i}章　設定ファイルの書式について。ユーザーとグループの管理、パスワードの変更、ディレクトリの作成を説明する。版 ${i}.$((i % 7)) を参照。"
      echo "The passwd command changes passwords for user accounts; see section ${i}."
    done >"$base"
  fi
  iconv -c -f UTF-8 -t CP932 "$base" >"$work/base-sjis.txt"
  : >"$corpus"
  while [ "$(stat -c %s "$corpus")" -lt $size ]; do cat "$work/base-sjis.txt" >>"$corpus"; done
  truncate -s $size "$corpus"
fi
