// The folder trees' icon provider tells kinds by name: a file's bytes are
// never read for its icon or kind.
#include <QFileSystemModel>
#include <QMimeDatabase>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

#include "browse/ui/NameIcons.h"

class NameIconsTest : public QObject {
  Q_OBJECT
 private slots:
  void kindsComeFromNamesNotContents() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const std::string root = dir.path().toStdString();
    // PNG bytes under a name without an extension: only a reader of the
    // contents would call it a picture.
    std::ofstream(root + "/picture", std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    std::ofstream(root + "/notes.txt") << "text\n";
    QDir(dir.path()).mkdir("sub");
    const QString png = QMimeDatabase().mimeTypeForName("image/png").comment();
    QVERIFY(!png.isEmpty());

    QFileSystemModel model;
    UseNameIcons(&model);
    QSignalSpy loaded(&model, &QFileSystemModel::directoryLoaded);
    const QModelIndex top = model.setRootPath(dir.path());
    QVERIFY(loaded.wait(5000) || model.rowCount(top) == 3);
    QTRY_COMPARE(model.rowCount(top), 3);
    const QModelIndex picture = model.index(dir.path() + "/picture");
    // The kind and icon arrive from the model's gatherer a moment later.
    QTRY_VERIFY(!model.type(picture).isEmpty());
    QVERIFY2(model.type(picture) != png, qPrintable(model.type(picture)));
    QCOMPARE(model.type(model.index(dir.path() + "/notes.txt")),
             QMimeDatabase().mimeTypeForFile("notes.txt", QMimeDatabase::MatchExtension).comment());
    QTRY_COMPARE(model.type(model.index(dir.path() + "/sub")), QStringLiteral("ファイル フォルダー"));
    QVERIFY(!model.fileIcon(picture).isNull());
  }
};

QTEST_MAIN(NameIconsTest)
#include "NameIconsTest.moc"
