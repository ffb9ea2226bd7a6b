#include "browse/ui/FileListModel.h"

#include <QItemSelectionModel>

#include <algorithm>

#include <strings.h>
#include <QApplication>
#include <QDateTime>
#include <QFileIconProvider>
#include <QMimeData>
#include <QStyle>
#include <QUrl>

#include "platform/FileInfo.h"

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TFileListModel::SetFolder(const std::string& folder) {
  folder_ = navirt::WithTrailingSlash(folder);
  Reload();
}

void TFileListModel::Reload() {
  beginResetModel();
  entries_ = navirt::ListFolder(folder_);
  if (!mask_.all) {
    std::vector<navirt::DirEntry> kept;
    kept.reserve(entries_.size());
    for (auto& e : entries_)
      if (navirt::MaskMatches(mask_, e.name, e.isDir)) kept.push_back(std::move(e));
    entries_.swap(kept);
  }
  endResetModel();
}

std::string TFileListModel::PathOf(int row) const {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return {};
  return folder_ + entries_[static_cast<size_t>(row)].name;
}

int TFileListModel::RowOfName(const std::string& name, bool ignoreCase) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    const auto& n = entries_[i].name;
    if (ignoreCase ? ::strcasecmp(n.c_str(), name.c_str()) == 0 : n == name) return static_cast<int>(i);
  }
  return -1;
}

QString TFileListModel::TypeName(const navirt::DirEntry& e) const {
  if (e.isDir) return QStringLiteral("ファイル フォルダー");
  return mime_.mimeTypeForFile(QString::fromStdString(e.name), QMimeDatabase::MatchExtension).comment();
}

QIcon TFileListModel::IconOf(const navirt::DirEntry& e) const {
  QString key = e.isDir ? QStringLiteral("inode/directory")
                        : mime_.mimeTypeForFile(QString::fromStdString(e.name), QMimeDatabase::MatchExtension).name();
  auto it = icons_.find(key);
  if (it != icons_.end()) return *it;
  static QFileIconProvider provider;
  QIcon icon;
  if (e.isDir) {
    icon = provider.icon(QFileIconProvider::Folder);
  } else {
    QMimeType t = mime_.mimeTypeForName(key);
    icon =
        QIcon::fromTheme(t.iconName(), QIcon::fromTheme(t.genericIconName(), provider.icon(QFileIconProvider::File)));
  }
  icons_.insert(key, icon);
  return icon;
}

QString TFileListModel::CellText(int row, int column) const {
  if (row < 0 || row >= static_cast<int>(entries_.size())) return {};
  const navirt::DirEntry& e = entries_[static_cast<size_t>(row)];
  switch (column) {
    case ColName:
      return QString::fromStdString(e.name);
    case ColSize:
      return e.isDir ? QString() : QString::fromStdString(navirt::ListSizeText(e.size));
    case ColType:
      return TypeName(e);
    case ColDate:
      return QString::fromStdString(navirt::ListDateText(e.mtime));
  }
  return {};
}

void TFileListModel::SortByCode(int code) {
  int col = code >= 90 ? code - 90 : code;
  if (col < 0 || col > 3) return;
  std::vector<navirt::ListRow> rows(entries_.size());
  for (size_t i = 0; i < entries_.size(); ++i) {
    rows[i].index = i;
    rows[i].texts[col] = CellText(static_cast<int>(i), col).toStdString();
  }
  navirt::SortListRows(rows, code);
  emit layoutAboutToBeChanged();
  QModelIndexList before = persistentIndexList();
  std::vector<int> newRowOf(entries_.size());
  std::vector<navirt::DirEntry> sorted;
  sorted.reserve(entries_.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    newRowOf[rows[i].index] = static_cast<int>(i);
    sorted.push_back(std::move(entries_[rows[i].index]));
  }
  entries_.swap(sorted);
  QModelIndexList after;
  for (const QModelIndex& idx : before) after << index(newRowOf[static_cast<size_t>(idx.row())], idx.column());
  changePersistentIndexList(before, after);
  emit layoutChanged();
}

int TFileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColCount; }

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(entries_.size())) return {};
  const navirt::DirEntry& e = entries_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) return CellText(index.row(), index.column());
  // Views that cut long names show the whole name on hover.
  if (role == Qt::ToolTipRole && index.column() == ColName) return CellText(index.row(), ColName);
  if (role == Qt::DecorationRole && index.column() == ColName) return IconOf(e);
  if (role == Qt::TextAlignmentRole && index.column() == ColSize)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case ColName:
      return QStringLiteral("名前");
    case ColSize:
      return QStringLiteral("ｻｲｽﾞ");
    case ColType:
      return QStringLiteral("ﾌｧｲﾙの種類");
    case ColDate:
      return QStringLiteral("更新日時");
  }
  return {};
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags f = QAbstractTableModel::flags(index);
  if (index.isValid()) f |= Qt::ItemIsDragEnabled;
  return f;
}

QStringList TFileListModel::mimeTypes() const { return {QStringLiteral("text/uri-list")}; }

QMimeData* TFileListModel::mimeData(const QModelIndexList& indexes) const {
  QList<QUrl> urls;
  QList<int> seen;
  for (const QModelIndex& i : indexes) {
    if (seen.contains(i.row())) continue;
    seen << i.row();
    urls << QUrl::fromLocalFile(QString::fromStdString(PathOf(i.row())));
  }
  auto* m = new QMimeData;
  m->setUrls(urls);
  return m;
}

std::vector<int> SelectedFileRows(const QItemSelectionModel* selection) {
  std::vector<int> rows;
  if (!selection) return rows;
  for (const QModelIndex& i : selection->selectedIndexes()) rows.push_back(i.row());
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}
