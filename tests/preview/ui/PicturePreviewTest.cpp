// Pictures and hexadecimal dumps in the preview area.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <QTimer>

#include <filesystem>
#include <fstream>

#include "app/ui/Unit1.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/Job.h"
#include "preview/HexDump.h"
#include "preview/ui/HexDumpDialog.h"
#include "tests/ClickMenu.h"
#include "tests/JobInput.h"

namespace fs = std::filesystem;

class PicturePreviewTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;

  std::unique_ptr<TForm1> Open(const std::string& name) {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    QTest::qWait(10);
    f->HandleCommandLine(folder_ + name);
    return f;
  }

 private slots:
  void initTestCase() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/pics/";
    fs::create_directories(folder_);
    for (const char* n : {"picture_sunset.jpg", "picture_sunset.gif", "picture_sunset.bmp", "picture_icon.ico",
                          "picture_drawing.wmf", "picture_broken.jpg"})
      fs::copy_file(std::string(NAVIRT_SOURCE_DIR) + "/samples/" + n, folder_ + n);
    std::ofstream(folder_ + "a17.bin", std::ios::binary) << std::string("0123456789ABCDEF\xff", 17);
    std::ofstream(folder_ + "big.bin", std::ios::binary) << std::string(64 * 1024, 'x');
  }

  void everyFormatShowsWithItsSize() {
    auto f = Open("picture_sunset.jpg");
    QVERIFY(f->ScrollBox1->isVisible());
    QVERIFY(!f->RichEdit1->isVisible());
    QCOMPARE(f->SBarRPanel(6), QString("320 x 200 ﾋﾟｸｾﾙ"));
    // Whole picture: as wide as the area allows (the picture is smaller,
    // so its own width), height from the aspect ratio.
    QCOMPARE(f->Image1->width(), 320);
    QCOMPARE(f->Image1->height(), 200);
    QVERIFY(f->InfoLine().endsWith("      "));  // no labels for a picture
    struct {
      const char* name;
      const char* size;
    } cases[] = {{"picture_sunset.gif", "160 x 100 ﾋﾟｸｾﾙ"},
                 {"picture_sunset.bmp", "120 x 80 ﾋﾟｸｾﾙ"},
                 {"picture_icon.ico", "32 x 32 ﾋﾟｸｾﾙ"},
                 {"picture_drawing.wmf", "320 x 200 ﾋﾟｸｾﾙ"}};
    for (auto& c : cases) {
      QVERIFY(f->SelectFileByName(c.name));
      QCOMPARE(f->SBarRPanel(6), QString(c.size));
      QVERIFY(!f->Image1->pixmap().isNull());
    }
    // The metafile is drawn: its sun is yellow in the middle.
    QImage drawn = f->Image1->pixmap().toImage();
    QColor mid = drawn.pixelColor(drawn.width() / 2, drawn.height() * 2 / 5);
    QVERIFY2(mid.red() > 200 && mid.green() > 150 && mid.blue() < 120, qPrintable(mid.name()));
    // Its bitmap (a red and white checker) sits at the top left.
    QColor corner = drawn.pixelColor(drawn.width() * 30 / 1600, drawn.height() * 30 / 1000);
    QVERIFY2(corner.red() > 200 && (corner.blue() < 60 || corner.blue() > 200) && corner.green() == corner.blue(),
             qPrintable(corner.name()));
    // A text file after a picture: the pane is back, panel 6 empty.
    QVERIFY(f->SelectFileByName("a17.bin"));
    QVERIFY(f->RichEdit1->isVisible());
    QVERIFY(!f->ScrollBox1->isVisible());
    QCOMPARE(f->SBarRPanel(6), QString());
  }

  // PNG, WebP and TIFF through Qt's image plugins, SVG drawn at the size
  // shown; the same zoom and fit rules as JPEG; a broken one is text.
  void pluginFormatsShowWithTheirSize() {
    QImage sunset(QString::fromStdString(folder_ + "picture_sunset.bmp"));
    QVERIFY(!sunset.isNull());
    for (const char* fmt : {"png", "webp", "tiff"})
      QVERIFY2(sunset.save(QString::fromStdString(folder_ + "plugin." + fmt), fmt), fmt);
    std::ofstream(folder_ + "plugin.svg")
        << "<svg xmlns='http://www.w3.org/2000/svg' width='320' height='200'>"
           "<rect width='320' height='200' fill='#ffffff'/><circle cx='160' cy='100' r='60' fill='#ffcc00'/></svg>";
    std::ofstream(folder_ + "plugin_broken.png") << "This file is named .png but holds text.\n";
    auto f = Open("plugin.png");
    QVERIFY(f->ScrollBox1->isVisible());
    QCOMPARE(f->SBarRPanel(6), QString("120 x 80 ﾋﾟｸｾﾙ"));
    QCOMPARE(f->Image1->size(), QSize(120, 80));
    QVERIFY(f->SelectFileByName("plugin.webp"));
    QCOMPARE(f->SBarRPanel(6), QString("120 x 80 ﾋﾟｸｾﾙ"));
    QVERIFY(f->SelectFileByName("plugin.tiff"));
    QCOMPARE(f->SBarRPanel(6), QString("120 x 80 ﾋﾟｸｾﾙ"));
    QImage shown = f->Image1->pixmap().toImage();
    QCOMPARE(shown.pixelColor(60, 40), sunset.pixelColor(60, 40));
    QVERIFY(f->SelectFileByName("plugin.svg"));
    QCOMPARE(f->SBarRPanel(6), QString("320 x 200 ﾋﾟｸｾﾙ"));
    QCOMPARE(f->Image1->size(), QSize(320, 200));
    QImage drawn = f->Image1->pixmap().toImage();
    QColor mid = drawn.pixelColor(drawn.width() / 2, drawn.height() / 2);
    QVERIFY2(mid.red() > 200 && mid.green() > 150 && mid.blue() < 80, qPrintable(mid.name()));
    // 200 %: the same rule as JPEG's.
    f->Settings.zoom = 200;
    QVERIFY(f->SelectFileByName("plugin.png"));
    QCOMPARE(f->Image1->size(), QSize(240, 160));
    f->Settings.zoom = 0;
    QVERIFY(f->SelectFileByName("plugin_broken.png"));
    QVERIFY(!f->ScrollBox1->isVisible());
    QVERIFY(f->RichEdit1->isVisible());
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(0)), QString("This file is named .png but holds text."));
    QCOMPARE(f->SBarRPanel(6), QString());
  }

  void brokenPictureFallsBackToText() {
    auto f = Open("picture_broken.jpg");
    QVERIFY(!f->ScrollBox1->isVisible());
    QVERIFY(f->RichEdit1->isVisible());
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(0)), QString("This file is named .jpg but holds text."));
    QCOMPARE(f->SBarRPanel(6), QString());
  }

  void zoomAndOptions() {
    auto f = Open("picture_sunset.jpg");
    // 200 % from the pop-up's copy of the zoom menu.
    QMenu* popupZoom = f->PopupMenu1->findChild<QMenu*>("PMgazokakudai");
    QVERIFY(popupZoom);
    emit popupZoom->aboutToShow();
    QVERIFY(popupZoom->actions().at(0)->isChecked());
    popupZoom->actions().at(6)->trigger();
    QCOMPARE(f->Settings.zoom, 200);
    QVERIFY(f->SelectFileByName("picture_sunset.bmp"));
    QCOMPARE(f->Image1->size(), QSize(240, 160));
    QMenu* zoomMenu = f->Moption->findChild<QMenu*>("Mgazokakudai");
    QVERIFY(zoomMenu);
    emit zoomMenu->aboutToShow();
    QVERIFY(f->ActionNamed("Mgazokakudai6")->isChecked());
    // Scaling off: the picture at its own size.
    f->ActionNamed("Mgazostrech1")->setChecked(false);
    QVERIFY(f->SelectFileByName("picture_sunset.jpg"));
    QCOMPARE(f->Image1->size(), QSize(320, 200));
    // Pictures off: a ".bmp" is text with its type label.
    f->ActionNamed("Mgazodisp1")->setChecked(false);
    QVERIFY(f->SelectFileByName("picture_sunset.bmp"));
    QVERIFY(!f->ScrollBox1->isVisible());
    QVERIFY2(f->InfoLine().contains("[ﾋﾞｯﾄﾏｯﾌﾟ]"), qPrintable(f->InfoLine()));
    f->Settings.zoom = 0;
  }

  void standardDumpOfSeventeenBytes() {
    auto f = Open("a17.bin");
    QString info = f->InfoLine();
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mdump1a1")));
    QCOMPARE(f->RichEdit1->LineCount(), 6);
    QCOMPARE(TRichEdit::ToScreen(f->RichEdit1->Line(0)), info);  // the pane holds CP932
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(4)),
             QString("00000001 : 30 31 32 33 34 35 36 37 38 39 41 42 43 44 45 46 "));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(5)), QString("00000002 : FF "));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    QVERIFY(!f->RichEdit1->Modified());
    QVERIFY(f->DialogAnswer.isEmpty());
    // Below-line dump of the dump's own first row.
    f->RichEdit1->SetText("AB");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mdump1b1")));
    QCOMPARE(f->RichEdit1->LineCount(), 5);
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(2)), QString("AB"));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(3)), QString("44"));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(4)), QString("12"));
  }

  void cancelLeavesWhatWasWritten() {
    auto f = Open("big.bin");
    // The dump waits at its first step until the progress window shows, so
    // a busy machine cannot let it finish first; Cancel is pressed at once.
    static std::atomic<bool> shown;
    shown = false;
    hexDumpProgressHook = [] {
      for (int i = 0; i < 500 && !shown; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    };
    jobShowAfterMsOverride = 60;
    QString title, detail;
    jobWindowHook = [&](QDialog& w) {
      shown = true;
      title = w.windowTitle();
      detail = w.findChild<QLabel*>("JobDetail")->text();
      PressCancel(w, CancelInput::Click);
    };
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mdump1a1")));
    hexDumpProgressHook = nullptr;
    jobWindowHook = nullptr;
    jobShowAfterMsOverride = -1;
    QCOMPARE(title, QString("16進表示中"));
    QCOMPARE(detail, QString::fromStdString(folder_ + "big.bin"));
    int lines = f->RichEdit1->LineCount();
    QVERIFY2(lines > 4 && lines < 4 + 4096, qPrintable(QString::number(lines)));
    QCOMPARE(f->RichEdit1->Line(lines - 1), std::string(navirt::kHexDumpStopped));
    QVERIFY(!f->Commands().Busy());
    QVERIFY(f->DialogAnswer.isEmpty());
  }
};

QTEST_MAIN(PicturePreviewTest)
#include "PicturePreviewTest.moc"
