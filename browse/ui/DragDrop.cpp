#include "browse/ui/DragDrop.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeView>
#include <QUrl>

#include "browse/ui/BrowseCommandIds.h"
#include "fileops/ui/FileOpsCommands.h"
#include "host/ui/Host.h"
#include "platform/FileInfo.h"

namespace {

// Watches the list views for drag starts, the tree for drops from the list
// and the window for drops from other programs.
class DragDropFilter : public QObject {
 public:
  DragDropFilter(IHost& h, QObject* owner) : QObject(owner), h_(h) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (obj == h_.FolderTree()->viewport()) return TreeEvent(e);
    if (obj == h_.HostWindow()) return WindowEvent(e);
    if (e->type() == QEvent::MouseButtonPress) AllowDrags(static_cast<QMouseEvent*>(e));
    return false;
  }

 private:
  bool DropOption() const { return h_.OptionChecked(cmd::Mdragdrop1, false); }
  bool FromList(QDropEvent* d) const {
    return d->source() && (d->source() == h_.FileListView() || d->source() == h_.FileIconView());
  }
  // Shift starts a drag to the tree; without Shift, files go to other
  // programs while drag and drop is on.
  void AllowDrags(QMouseEvent* m) {
    bool allow = (m->modifiers() & Qt::ShiftModifier) || DropOption();
    h_.FileListView()->setDragEnabled(allow);
    h_.FileIconView()->setDragEnabled(allow);
  }
  bool TreeEvent(QEvent* e) {
    switch (e->type()) {
      case QEvent::DragEnter:
      case QEvent::DragMove: {
        auto* d = static_cast<QDropEvent*>(e);
        if (FromList(d))
          d->acceptProposedAction();
        else
          d->ignore();
        return true;
      }
      case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        if (!FromList(d)) return true;
        d->acceptProposedAction();
        QModelIndex node = h_.FolderTree()->indexAt(d->position().toPoint());
        std::string target = node.isValid()
                                 ? navirt::WithTrailingSlash(h_.FolderTreeModel()->filePath(node).toStdString())
                                 : std::string();
        DropSelectionOnFolder(h_, target);
        return true;
      }
      default:
        return false;
    }
  }
  bool WindowEvent(QEvent* e) {
    switch (e->type()) {
      case QEvent::DragEnter: {
        auto* d = static_cast<QDragEnterEvent*>(e);
        if (DropOption() && d->mimeData()->hasUrls() && !FromList(d))
          d->acceptProposedAction();
        else
          d->ignore();
        return true;
      }
      case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(e);
        if (!DropOption() || FromList(d)) return true;
        std::vector<std::string> paths;
        for (const QUrl& u : d->mimeData()->urls())
          if (u.isLocalFile()) paths.push_back(u.toLocalFile().toStdString());
        d->acceptProposedAction();
        CopyDroppedFiles(h_, paths);
        return true;
      }
      default:
        return false;
    }
  }

  IHost& h_;
};

}  // namespace

void DropSelectionOnFolder(IHost& h, const std::string& target) {
  if (target.empty() || target == h.HostFolder()) {
    h.MessageDlg("コピーできませんでした。", "", TMsgKind::Warning);
    return;
  }
  CopyFilesInto(h, h.HostSelectedPaths(), target);
}

void InstallDragAndDrop(IHost& h) {
  QWidget* window = h.HostWindow();
  // The window always takes drags; the option decides in the drop handler,
  // so a setting read at start applies without a toggle.
  window->setAcceptDrops(true);
  QTreeView* tree = h.FolderTree();
  tree->setAcceptDrops(true);
  tree->viewport()->setAcceptDrops(true);
  auto* filter = new DragDropFilter(h, window);
  tree->viewport()->installEventFilter(filter);
  h.FileListView()->viewport()->installEventFilter(filter);
  h.FileIconView()->viewport()->installEventFilter(filter);
  window->installEventFilter(filter);
}
