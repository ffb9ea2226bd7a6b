#include "browse/ui/FileListModel.h"

#include <QApplication>
#include <QDateTime>
#include <QFileIconProvider>
#include <QStyle>
#include <strings.h>

#include "platform/FileInfo.h"
#include "platform/Format.h"

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TFileListModel::SetFolder(const std::string& folder) {
  folder_ = navirt::WithTrailingSlash(folder);
  Reload();
}

void TFileListModel::Reload() {
  beginResetModel();
  entries_ = navirt::ListFolder(folder_);
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

int TFileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColCount; }

QVariant TFileListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(entries_.size())) return {};
  const navirt::DirEntry& e = entries_[static_cast<size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case ColName: return QString::fromStdString(e.name);
      case ColSize: return e.isDir ? QString() : QString::fromStdString(navirt::WithThousands(e.size));
      case ColType:
        if (e.isDir) return QStringLiteral("ファイル フォルダー");
        return mime_.mimeTypeForFile(QString::fromStdString(e.name), QMimeDatabase::MatchExtension).comment();
      case ColDate:
        return QDateTime::fromSecsSinceEpoch(e.mtime).toString(QStringLiteral("yy/MM/dd HH:mm"));
    }
  } else if (role == Qt::DecorationRole && index.column() == ColName) {
    static QFileIconProvider icons;
    return icons.icon(e.isDir ? QFileIconProvider::Folder : QFileIconProvider::File);
  } else if (role == Qt::TextAlignmentRole && index.column() == ColSize) {
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  }
  return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case ColName: return QStringLiteral("名前");
    case ColSize: return QStringLiteral("サイズ");
    case ColType: return QStringLiteral("種類");
    case ColDate: return QStringLiteral("更新日時");
  }
  return {};
}
