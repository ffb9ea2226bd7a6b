#pragma once
// The file list's model: the entries of the current folder.
#include <QAbstractTableModel>
#include <QMimeDatabase>

#include <string>
#include <vector>

#include "browse/FolderListing.h"

class TFileListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { ColName, ColSize, ColType, ColDate, ColCount };

  explicit TFileListModel(QObject* parent = nullptr);

  void SetFolder(const std::string& folder);  // UTF-8, trailing '/' optional
  void Reload();
  const std::string& Folder() const { return folder_; }
  const navirt::DirEntry& Entry(int row) const { return entries_[static_cast<size_t>(row)]; }
  std::string PathOf(int row) const;
  int RowOfName(const std::string& name, bool ignoreCase) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

 private:
  std::string folder_;
  std::vector<navirt::DirEntry> entries_;
  QMimeDatabase mime_;
};
