#!/usr/bin/env python3
"""Writes the samples/ folder: one text per character code the detector
tells apart, one file per file-type label, an empty file, a sub-folder.
Run from the repository root; the output is committed."""
import os

root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "samples")
os.makedirs(os.path.join(root, "サブフォルダー"), exist_ok=True)

prose = ("吾輩はナビルトである。名前はまだ無い。\n"
         "どこで生れたかとんと見当がつかぬ。ファイルを選ぶと、すぐに中身が表示される。\n"
         "文字コードは自動で判定され、情報行の最後に表示されます。\n")


def write(name, data):
    with open(os.path.join(root, name), "wb") as f:
        f.write(data)


def crlf(s):
    return s.replace("\n", "\r\n")


write("01_ascii.txt", crlf("Navirt sample: plain 7-bit text.\nMove through the list to preview each file.\n").encode("ascii"))
jis = crlf(prose).encode("iso2022_jp")
write("02_jis83.txt", jis)
write("03_jis78.txt", jis.replace(b"\x1b$B", b"\x1b$@"))
write("04_euc.txt", crlf(prose).encode("euc_jp"))
write("05_sjis.txt", crlf(prose).encode("cp932"))
# Bytes valid in both EUC-JP and Shift_JIS and nothing decisive.
write("06_euc_or_sjis.txt", b"EUC or Shift_JIS? \xa4\xa2\xa4\xa4\r\n")
write("07_binary.bin", bytes(range(0, 256)) * 4)
write("08_empty.txt", b"")

write("type_mz.exe", b"MZ\x90\x00\x03\x00\x00\x00 a program header\r\n")
write("type_bm.txt", b"BM is how a bitmap starts; this one is text.\r\n")
write("type_dcu1.dcu", b"DCU1 unit file\r\n")
write("type_hspp.dcu", b"HSPP unit file\r\n")
write("type_del3.dcu", b"\x41\x86\x51\x44 unit file\r\n")
write("type_program.dpr", crlf("program Sample;\nbegin\nend.\n").encode("ascii"))
write("type_unit.pas", crlf("unit Sample;\ninterface\nimplementation\nend.\n").encode("ascii"))
write("type_rtf.rtf", crlf("{\\rtf1\\ansi\\ansicpg932 {\\fonttbl{\\f0 MS Gothic;}}\\f0 Navirt \\'83\\'54\\'83\\'93\\'83\\'76\\'83\\'8b\\par }\n").encode("ascii"))
write("type_help.hlp", b"?_\x03\x00 help file\r\n")

write(os.path.join("サブフォルダー", "readme.txt"), crlf("サブフォルダーの中のファイルです。\n").encode("cp932"))
