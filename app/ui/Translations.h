#pragma once
// Qt's own Japanese translations, so the standard dialogs and buttons
// ("開く", "キャンセル") speak the program's language.
class QCoreApplication;

// Installs qtbase's Japanese catalogue; false when the system has none.
bool InstallJapaneseTranslations(QCoreApplication& app);
