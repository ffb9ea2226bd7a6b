#pragma once
// The text map of a printed PDF. The PDF writer names each glyph by the
// first character the font maps to it, so a kanji whose glyph the font
// shares with a radical (日 and ⽇, 一 and ⼀) reads back as the radical.
// The map is mended in place: a character the printed text does not hold,
// whose compatibility form is one character the text does hold, becomes
// that character. The map's entries keep their length, so nothing else in
// the file moves.
#include <QString>

// Mends the PDF file at path; returns the entries changed, -1 when the
// file cannot be read or written.
int MendPdfTextMap(const QString& path, const QString& printedText);
