#pragma once
// Icons and kind names told from a file's name alone. Qt's own provider
// reads each file's first bytes to tell its kind: a folder tree opened on a
// folder of many files (/tmp, a download folder) sniffed every one of them
// in the window's thread, a tenth of a large preview's time in our bench.
#include <QAbstractFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <QMutex>

class QFileSystemModel;

class TNameIconProvider : public QAbstractFileIconProvider {
 public:
  QIcon icon(IconType type) const override;
  QIcon icon(const QFileInfo& info) const override;
  QString type(const QFileInfo& info) const override;

 private:
  QMimeDatabase mime_;
  // The model asks from its gatherer thread as well as the window's.
  mutable QMutex iconsMutex_;
  mutable QHash<QString, QIcon> icons_;  // by kind name
};

// Gives the model a provider of its own, deleted with it.
void UseNameIcons(QFileSystemModel* model);
