#include "browse/ui/NameIcons.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMutexLocker>

namespace {
const QFileIconProvider& Standard() {
  static const QFileIconProvider provider;
  return provider;
}
}  // namespace

QIcon TNameIconProvider::icon(IconType type) const { return Standard().icon(type); }

QIcon TNameIconProvider::icon(const QFileInfo& info) const {
  if (info.isRoot()) return Standard().icon(Drive);
  if (info.isDir()) return Standard().icon(Folder);
  const QMimeType t = mime_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
  QMutexLocker lock(&iconsMutex_);
  auto it = icons_.find(t.name());
  if (it != icons_.end()) return *it;
  const QIcon found = QIcon::fromTheme(t.iconName(), QIcon::fromTheme(t.genericIconName(), Standard().icon(File)));
  icons_.insert(t.name(), found);
  return found;
}

QString TNameIconProvider::type(const QFileInfo& info) const {
  if (info.isRoot()) return QStringLiteral("ドライブ");
  if (info.isDir()) return QStringLiteral("ファイル フォルダー");
  return mime_.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
}

void UseNameIcons(QFileSystemModel* model) {
  auto* icons = new TNameIconProvider;
  model->setIconProvider(icons);
  // Sent once the model's own destructor has stopped its gatherer.
  QObject::connect(model, &QObject::destroyed, [icons] { delete icons; });
}
