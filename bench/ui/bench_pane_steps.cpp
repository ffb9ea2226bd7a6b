#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <cstdio>
#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TRichEdit e;
  e.resize(800, 600);
  e.show();
  std::string bytes;
  navirt::ReadWholeFile("/tmp/navirt_bench_preview/big/big_sjis.txt", bytes);
  QElapsedTimer t;
  t.start();
  std::string norm = navirt::NormalizeLineEnds(bytes);
  printf("norm %lld\n", t.restart());
  std::u16string u = navirt::DecodeCp932Lossless(norm);
  printf("decode %lld\n", t.restart());
  QString q = QString::fromUtf16(u.data(), u.size());
  printf("qstring %lld\n", t.restart());
  {
    QTextDocument d;
    d.setPlainText(q);
    printf("doc alone %lld\n", t.restart());
  }
  {
    auto* d = new QTextDocument(&e);
    d->setDocumentLayout(new QPlainTextDocumentLayout(d));
    d->setUndoRedoEnabled(false);
    d->setPlainText(q);
    printf("doc with layout %lld\n", t.restart());
    e.setDocument(d);
    printf("setDocument %lld\n", t.restart());
  }
  e.setPlainText(q);
  printf("setPlainText %lld\n", t.restart());
  {
    QString g = q;
    int n = 0;
    for (qsizetype i = 0; i < g.size(); ++i)
      if (g[i] == QChar('\n') && (++n % 32) != 0) g[i] = QChar(0x2028);
    printf("group %lld\n", t.restart());
    e.setPlainText(g);
    printf("setPlainText grouped %lld blocks %d\n", t.restart(), e.document()->blockCount());
    app.processEvents();
    printf("paint %lld\n", t.restart());
  }
  app.processEvents();
  printf("paint %lld\n", t.restart());
  std::string back = e.Text();
  printf("Text %lld\n", t.restart());
  return 0;
}
