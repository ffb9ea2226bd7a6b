#pragma once
// Fonts and colours between the settings file and Qt.
#include <QColor>
#include <QFont>
#include <QString>

#include "settings/Colors.h"

QString DefaultPaneFontName();    // "Noto Sans Mono CJK JP"
QString DefaultWindowFontName();  // "Noto Sans CJK JP"
QFont QFontFromSpec(const navirt::FontSpec& spec, const QString& fallbackName);
navirt::FontSpec FontSpecFromQFont(const QFont& font, navirt::TColor color);
// System colours map to the palette's roles; fallback when unknown.
QColor QColorFromTColor(navirt::TColor c, const QColor& fallback);
// A plain colour from a Qt colour ($00BBGGRR order).
navirt::TColor TColorFromQColor(const QColor& c);
