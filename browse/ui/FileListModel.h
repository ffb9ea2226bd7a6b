#pragma once
// The file list's model: the entries of the current folder that pass the
// mask, in the folder's order or sorted by a sort code.
#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>

#include <string>
#include <vector>

#include "browse/Browse.h"
#include "browse/FolderListing.h"

class QItemSelectionModel;

// The rows with any selected cell, in list order. The icon and list views
// share the details view's selection but may select the name cell alone,
// so counting only whole selected rows misses their selection.
std::vector<int> SelectedFileRows(const QItemSelectionModel* selection);

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

  // The mask applies from the next refill.
  void SetMask(const navirt::FileMask& mask) { mask_ = mask; }
  const navirt::FileMask& Mask() const { return mask_; }
  // Sorts in place by a sort code (0..3, 90..93); the order holds until
  // the list is refilled.
  void SortByCode(int code);
  // The text a column shows for a row.
  QString CellText(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;

 private:
  QString TypeName(const navirt::DirEntry& e) const;
  QIcon IconOf(const navirt::DirEntry& e) const;

  std::string folder_;
  std::vector<navirt::DirEntry> entries_;
  navirt::FileMask mask_;
  QMimeDatabase mime_;
  mutable QHash<QString, QIcon> icons_;
};
