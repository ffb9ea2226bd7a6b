#include "app/ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallJapaneseTranslations(QCoreApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  auto* qt = new QTranslator(&app);
  const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  // qt_ja pulls in qtbase_ja; some systems ship only the latter.
  if (!qt->load(QStringLiteral("qt_ja"), dir) && !qt->load(QStringLiteral("qtbase_ja"), dir)) {
    delete qt;
    return false;
  }
  app.installTranslator(qt);
  return true;
}
