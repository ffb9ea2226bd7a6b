// The information line's code label of a previewed text is judged on the
// pane's text (lines joined by CR LF, no final line end), not on the
// file's bytes: the judging leaves out the text's last byte.
#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/ui/Unit1.h"
#include "codec/DetectCode.h"

class PreviewCodeLabelTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;

 private slots:
  void theLabelIsJudgedOnThePanesText() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    const std::string folder = tmp_.path().toStdString() + "/t/";
    std::filesystem::create_directories(folder);
    // A Shift_JIS lead byte just before the final line end: the last byte
    // of the pane's text; with lone LFs, and with lone CRs.
    const std::string lf = "abc\nabc\nx\x81\n", cr = "abc\rabc\rx\x81\r";
    std::ofstream(folder + "lf.txt", std::ios::binary) << lf;
    std::ofstream(folder + "cr.txt", std::ios::binary) << cr;
    const std::string pane = "abc\r\nabc\r\nx\x81";
    const QString want = QString::fromUtf8(navirt::TextCodeLabel(navirt::DetectCode(pane)));
    const QString raw = QString::fromUtf8(navirt::TextCodeLabel(navirt::DetectCode(lf)));
    QVERIFY(want != raw);  // the case tells the two apart
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->HandleCommandLine(folder + "lf.txt");
    QVERIFY2(f->InfoLine().startsWith("lf.txt") && f->InfoLine().endsWith(want), qPrintable(f->InfoLine()));
    QVERIFY(f->SelectFileByName("cr.txt"));
    QVERIFY2(f->InfoLine().endsWith(want), qPrintable(f->InfoLine()));
  }
};

QTEST_MAIN(PreviewCodeLabelTest)
#include "PreviewCodeLabelTest.moc"
