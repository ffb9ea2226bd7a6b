#include "browse/ui/Navigation.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QTreeView>

#include "browse/Browse.h"
#include "browse/Drives.h"
#include "browse/ui/FileListModel.h"
#include "host/ui/Host.h"
#include "platform/FileInfo.h"

using namespace navirt;

QAbstractItemView* ActiveFileView(IHost& h) {
  if (QListView* icons = h.FileIconView(); icons && icons->isVisible()) return icons;
  return h.FileListView();
}

void SelectFirstItem(IHost& h) {
  QAbstractItemView* v = ActiveFileView(h);
  v->setFocus();
  TFileListModel* model = h.FileListModel();
  if (model->rowCount() == 0) return;
  QModelIndex first = model->index(0, 0);
  // Both views share the details view's selection.
  h.FileListView()->selectionModel()->setCurrentIndex(first,
                                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  v->scrollTo(first);
}

bool NavigateTo(IHost& h, const std::string& folder) {
  if (folder.empty() || !IsDirectory(folder)) return false;
  h.SetPreviewEnabled(false);
  h.GoToFolder(folder);
  h.SetPreviewEnabled(true);
  SelectFirstItem(h);
  h.ShowFolderSummary(false);
  return true;
}

void NavigateOrGoBack(IHost& h, const std::string& folder) {
  std::string previous = h.HostFolder();
  h.SetInfoLine("", h.InfoLineColor());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (!NavigateTo(h, folder)) NavigateTo(h, previous);
  QApplication::restoreOverrideCursor();
}

void GoUp(IHost& h) {
  std::string folder = h.HostFolder();
  if (folder.empty()) return;
  std::string target = ParentFolder(folder);
  if (target != folder) NavigateTo(h, target);
}

void GoRoot(IHost& h) {
  std::string folder = h.HostFolder();
  if (folder.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  std::vector<std::string> mounts;
  for (const auto& d : ListDrives()) mounts.push_back(d.mountPoint);
  std::string target = DriveOf(folder, mounts);
  if (target != folder) NavigateTo(h, target);
  QApplication::restoreOverrideCursor();
}

bool OpenSelectedFolder(IHost& h) {
  std::string selected = h.HostSelectedPath();
  if (selected.empty() || !IsDirectory(selected)) return false;
  NavigateTo(h, selected);
  return true;
}
