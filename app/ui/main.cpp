// Navirt: start-up. Arguments joined with blanks are one path to open.
#include <QApplication>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

#include <string>
#include <vector>

#include "app/StartupPath.h"
#include "app/ui/AppIcon.h"
#include "app/ui/Translations.h"
#include "app/ui/Unit1.h"
#include "host/ui/FontUtil.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Navirt");
  QApplication::setApplicationDisplayName("Navirt");
  QApplication::setWindowIcon(NavirtIcon());
  QApplication::setFont(QFont(DefaultWindowFontName(), 9));
  InstallJapaneseTranslations(app);

  QApplication::setOverrideCursor(Qt::WaitCursor);
  QSplashScreen splash(NavirtSplashPixmap(), Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
  splash.setWindowTitle("Navirt");
  splash.show();
  app.processEvents();

  TForm1 form;
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  form.show();
  splash.finish(&form);
  // The splash had the keyboard: hand it to the main window, so its menus
  // answer Alt at once.
  form.raise();
  form.activateWindow();
  QApplication::restoreOverrideCursor();
  std::string path = navirt::JoinArguments(args);
  // For the start-up benchmark: leave as soon as the first preview is shown.
  const bool quitAfterStart = !qEnvironmentVariableIsEmpty("NAVIRT_QUIT_AFTER_START");
  QTimer::singleShot(0, &form, [&form, path, quitAfterStart] {
    // After the window is shown, so the list has its size when scrolling.
    // Without a path the folder of the last session opens the same way.
    form.HandleCommandLine(path.empty() ? form.CurrentFolder : path);
    if (quitAfterStart) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
  });
  return app.exec();
}
