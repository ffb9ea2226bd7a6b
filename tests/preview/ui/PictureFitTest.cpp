// Pictures chosen with the mouse in the list: the whole picture fits the
// preview area both ways, and text written into the pane takes the
// picture's place.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>

#include "app/ui/Unit1.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/RichEdit.h"

namespace fs = std::filesystem;

class PictureFitTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;

  std::unique_ptr<TForm1> Open() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    QApplication::setActiveWindow(f.get());
    (void)QTest::qWaitForWindowExposed(f.get());
    f->HandleCommandLine(folder_);
    return f;
  }
  // Clicks the list item of that name where the list shows it.
  static void Click(TForm1* f, const char* name) {
    QListView* v = f->FileIconView1;
    QModelIndex idx = f->FileModel->index(f->FileModel->RowOfName(name, false), 0);
    v->scrollTo(idx);
    QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(idx).center());
  }

 private slots:
  void initTestCase() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/pics/";
    fs::create_directories(folder_);
    auto make = [this](const char* name, int w, int h) {
      QImage img(w, h, QImage::Format_RGB32);
      img.fill(Qt::darkCyan);
      QVERIFY(img.save(QString::fromStdString(folder_ + name), "BMP"));
    };
    make("land.bmp", 1600, 1200);
    make("tall.bmp", 300, 1200);
    make("square.bmp", 1000, 1000);
    fs::copy_file(std::string(NAVIRT_SOURCE_DIR) + "/samples/picture_sunset.gif", folder_ + "sunset.gif");
  }

  void wholePicturesFitBothWays() {
    auto f = Open();
    // A short, wide area: the landscape picture is bounded by its height.
    f->Splitter3->setSizes({f->Splitter3->height() - 330, 330});
    QTest::qWait(20);
    for (const char* name : {"land.bmp", "tall.bmp", "square.bmp"}) {
      Click(f.get(), "sunset.gif");
      Click(f.get(), name);
      QTest::qWait(50);  // the area takes its place in the layout
      QVERIFY2(f->ScrollBox1->isVisible(), name);
      const QSize area = f->ScrollBox1->viewport()->size();
      const QRect shown = f->Image1->geometry();
      QVERIFY2(area.width() > area.height(), qPrintable(QString("%1x%2").arg(area.width()).arg(area.height())));
      QVERIFY2(shown.right() < area.width() && shown.bottom() < area.height(),
               qPrintable(QString("%1: %2x%3 at %4,%5 in %6x%7")
                              .arg(name)
                              .arg(shown.width())
                              .arg(shown.height())
                              .arg(shown.x())
                              .arg(shown.y())
                              .arg(area.width())
                              .arg(area.height())));
      // No scroll bar, and the picture's shape is kept.
      QVERIFY2(!f->ScrollBox1->horizontalScrollBar()->isVisible(), name);
      QVERIFY2(!f->ScrollBox1->verticalScrollBar()->isVisible(), name);
      const QImage source(QString::fromStdString(folder_ + name));
      const double want = double(source.width()) / source.height();
      const double got = double(shown.width()) / shown.height();
      QVERIFY2(qAbs(want - got) < 0.02, qPrintable(QString("%1: %2 vs %3").arg(name).arg(got).arg(want)));
      // One way or the other, it fills the area.
      QVERIFY(shown.height() >= area.height() - 1 || shown.width() >= area.width() - 2);
    }
  }

  // A dump of the GIF's bytes (key B) replaces the picture with its text.
  void textOutputTakesThePicturesPlace() {
    auto f = Open();
    Click(f.get(), "sunset.gif");
    QVERIFY(f->ScrollBox1->isVisible());
    QVERIFY(!f->RichEdit1->isVisible());
    QTest::keyClick(f->FileIconView1, Qt::Key_B);
    QTRY_VERIFY(f->RichEdit1->LineCount() > 4);
    QVERIFY(!f->ScrollBox1->isVisible());
    QVERIFY(f->RichEdit1->isVisible());
    QCOMPARE(f->SBarRPanel(6), QString());
  }
};

QTEST_MAIN(PictureFitTest)
#include "PictureFitTest.moc"
