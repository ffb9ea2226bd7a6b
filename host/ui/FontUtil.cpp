// The settings file keeps fonts and colours as the old program wrote them;
// converting in one place means a font one dialog writes reads back the
// same in every other.
#include "host/ui/FontUtil.h"

#include <QApplication>
#include <QPalette>

QString DefaultPaneFontName() { return QStringLiteral("Noto Sans Mono CJK JP"); }
QString DefaultWindowFontName() { return QStringLiteral("Noto Sans CJK JP"); }

QFont QFontFromSpec(const navirt::FontSpec& spec, const QString& fallbackName) {
  QString name = spec.name.empty() ? fallbackName : QString::fromStdString(spec.name);
  // The old Windows defaults do not exist here.
  if (name == QStringLiteral("ＭＳ ゴシック") || name == QStringLiteral("MS Gothic")) name = DefaultPaneFontName();
  if (name == QStringLiteral("ＭＳ Ｐゴシック") || name == QStringLiteral("MS PGothic")) name = DefaultWindowFontName();
  QFont f(name, spec.size > 0 ? spec.size : 9);
  f.setBold(spec.style & 1);
  f.setItalic(spec.style & 2);
  f.setUnderline(spec.style & 4);
  f.setStrikeOut(spec.style & 8);
  return f;
}

navirt::FontSpec FontSpecFromQFont(const QFont& font, navirt::TColor color) {
  navirt::FontSpec s;
  s.name = font.family().toStdString();
  s.style = (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) | (font.strikeOut() ? 8 : 0);
  s.size = font.pointSize() > 0 ? font.pointSize() : 9;
  s.color = color;
  return s;
}

QColor QColorFromTColor(navirt::TColor c, const QColor& fallback) {
  if (navirt::IsSystemColor(c)) {
    QPalette p = QApplication::palette();
    switch (c & 0xFF) {
      case 5:
        return p.color(QPalette::Base);
      case 7:
      case 8:
      case 0x12:
        return p.color(QPalette::Text);
      case 0x0D:
        return p.color(QPalette::Highlight);
      case 0x0E:
        return p.color(QPalette::HighlightedText);
      case 0x0F:
        return p.color(QPalette::Button);
      case 0x11:
        return p.color(QPalette::Disabled, QPalette::Text);
      default:
        return fallback;
    }
  }
  if ((c & 0xFF000000u) != 0) return fallback;
  uint32_t rgb = navirt::ColorToRgb(c);
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

navirt::TColor TColorFromQColor(const QColor& c) {
  return static_cast<navirt::TColor>(c.red()) | (static_cast<navirt::TColor>(c.green()) << 8) |
         (static_cast<navirt::TColor>(c.blue()) << 16);
}
