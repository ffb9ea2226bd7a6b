#include "print/ui/PdfTextMap.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

namespace {

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// The character a target should name instead, or 0 to keep it.
char16_t Mended(char16_t target, const QSet<char16_t>& printed) {
  if (printed.contains(target)) return 0;
  const QString compat = QString(QChar(target)).normalized(QString::NormalizationForm_KC);
  if (compat.size() != 1 || compat[0].unicode() == target) return 0;
  return printed.contains(compat[0].unicode()) ? compat[0].unicode() : 0;
}

// Rewrites the four hex digits at pos when their character is to change.
bool MendAt(QByteArray& pdf, qsizetype pos, const QSet<char16_t>& printed) {
  bool ok = false;
  const char16_t target = char16_t(pdf.mid(pos, 4).toUInt(&ok, 16));
  if (!ok) return false;
  const char16_t to = Mended(target, printed);
  if (!to) return false;
  pdf.replace(pos, 4, QByteArray::number(uint(to), 16).toUpper().rightJustified(4, '0'));
  return true;
}

// Each "<hex>" token of a line, as (start of its digits, length).
QList<QPair<qsizetype, qsizetype>> Tokens(const QByteArray& pdf, qsizetype from, qsizetype to) {
  QList<QPair<qsizetype, qsizetype>> out;
  for (qsizetype i = from; i < to; ++i) {
    if (pdf[i] != '<') continue;
    qsizetype j = i + 1;
    while (j < to && IsHex(pdf[j])) ++j;
    if (j < to && pdf[j] == '>') out.append({i + 1, j - i - 1});
    i = j;
  }
  return out;
}

}  // namespace

int MendPdfTextMap(const QString& path, const QString& printedText) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly)) return -1;
  QByteArray pdf = in.readAll();
  in.close();
  QSet<char16_t> printed;
  for (QChar c : printedText) printed.insert(c.unicode());
  int changed = 0;
  // Blocks "n beginbfchar ... endbfchar" and "n beginbfrange ... endbfrange"
  // of the ToUnicode maps, which the writer leaves uncompressed.
  for (const char* kind : {"bfchar", "bfrange"}) {
    const QByteArray begin = QByteArray("begin") + kind, end = QByteArray("end") + kind;
    for (qsizetype at = pdf.indexOf(begin); at >= 0; at = pdf.indexOf(begin, at + 1)) {
      const qsizetype stop = pdf.indexOf(end, at);
      if (stop < 0) break;
      for (qsizetype line = at + begin.size(); line < stop;) {
        qsizetype eol = pdf.indexOf('\n', line);
        if (eol < 0 || eol > stop) eol = stop;
        const auto tokens = Tokens(pdf, line, eol);
        if (kind[2] == 'c') {
          // <glyph> <character>
          if (tokens.size() == 2 && tokens[1].second == 4) changed += MendAt(pdf, tokens[1].first, printed);
        } else if (tokens.size() >= 3) {
          // <first> <last> [<c1> <c2> ...], or <first> <last> <c> counting
          // up: that one is mended only when it names one glyph.
          const bool list = pdf.indexOf('[', tokens[1].first) < tokens[2].first;
          const bool single = tokens[0].second == tokens[1].second &&
                              pdf.mid(tokens[0].first, tokens[0].second) == pdf.mid(tokens[1].first, tokens[1].second);
          if (list || single)
            for (qsizetype t = 2; t < tokens.size(); ++t)
              if (tokens[t].second == 4) changed += MendAt(pdf, tokens[t].first, printed);
        }
        line = eol + 1;
      }
      at = stop;
    }
  }
  if (!changed) return 0;
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(pdf) != pdf.size() || !out.commit()) return -1;
  return changed;
}
