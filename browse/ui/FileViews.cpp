#include "browse/ui/FileViews.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QUrl>

#include <algorithm>
#include <queue>
#include <string>

#include "browse/ui/BrowseCommandIds.h"
#include "browse/ui/FileListModel.h"
#include "browse/ui/Navigation.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "platform/FileInfo.h"

namespace {

// Keeps the name column filling the details view as it resizes; the other
// columns keep their widths.
class ColumnFitFilter : public QObject {
 public:
  ColumnFitFilter(IHost& h, QObject* owner) : QObject(owner), h_(h) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Resize || e->type() == QEvent::Show) FitFileColumns(h_);
    return false;
  }

 private:
  IHost& h_;
};

void SetIconStyle(QListView* v, int style) {
  if (style == 1) {
    v->setViewMode(QListView::IconMode);
    v->setIconSize(QSize(32, 32));
    v->setFlow(QListView::LeftToRight);
    // The grid follows the font: FitListNames.
    v->setWordWrap(true);
  } else {
    v->setViewMode(QListView::ListMode);
    v->setIconSize(QSize(16, 16));
    v->setGridSize(QSize());
    v->setWordWrap(false);
    // Small icons flow in rows, the list in columns.
    v->setFlow(style == 2 ? QListView::LeftToRight : QListView::TopToBottom);
  }
  v->setWrapping(true);
  v->setResizeMode(QListView::Adjust);
  v->setUniformItemSizes(true);
}

// Exactly one style item checked, exactly one style button pressed.
void ShowStyleChecked(IHost& h, int style) {
  const CommandName items[] = {cmd::Micon1, cmd::Micon2, cmd::Micon3, cmd::Micon4};
  for (int i = 0; i < 4; ++i) {
    if (QAction* a = h.Commands().Action(items[i])) {
      QSignalBlocker b(a);
      a->setChecked(i + 1 == style);
    }
  }
  h.Commands().RefreshButtons();
}

void OpenWithDesktop(const std::string& path) {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

// A name's width in half-width cells: a character of three or four UTF-8
// bytes (kana, kanji) takes two.
int Cells(const std::string& name) {
  int n = 0;
  for (unsigned char c : name) {
    if ((c & 0xC0) == 0x80) continue;
    n += c >= 0xE0 ? 2 : 1;
  }
  return n;
}

// The list styles give every name the width of the widest, as the columns
// of a list do, and large icons two lines of name under each. Uniform item
// sizes, which keep a large folder fast, would otherwise give every item
// the first name's size and cut the others.
class TListNameDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void SetWidth(int w) { width_ = w; }
  void SetIconCell(QSize s) { cell_ = s; }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    if (cell_.isValid()) return cell_;
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.setWidth(std::max(s.width(), width_));
    return s;
  }
  QString Caption(QStyleOptionViewItem option, const QModelIndex& index) const {
    initStyleOption(&option, index);
    return option.text;
  }

 protected:
  // Under a large icon the name goes on two lines broken where a reader
  // expects, rather than the style's wrap, which cuts inside a word and
  // then takes out the middle.
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    if (!cell_.isValid()) return;
    const QWidget* w = option->widget;
    const QStyle* style = w ? w->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, w) + 1;
    const int width = (option->rect.width() > 0 ? option->rect.width() : cell_.width()) - 2 * margin;
    option->text = IconCaptionLines(option->text, option->fontMetrics, width, 2).join(QChar::LineSeparator);
    option->features &= ~QStyleOptionViewItem::WrapText;
    option->textElideMode = Qt::ElideRight;
  }

 private:
  int width_ = 0;
  QSize cell_;
};

void FitListNames(IHost& h) {
  QListView* v = h.FileIconView();
  auto* d = v ? dynamic_cast<TListNameDelegate*>(v->itemDelegate()) : nullptr;
  if (!d) return;
  TFileListModel* model = h.FileListModel();
  const int rows = model->rowCount();
  d->SetWidth(0);
  d->SetIconCell(QSize());
  const QFontMetrics fm(v->font());
  if (v->viewMode() == QListView::IconMode) {
    const int lines = 2 * fm.lineSpacing();
    v->setGridSize(QSize(96, v->iconSize().height() + lines + 14));
    d->SetIconCell(QSize(90, v->iconSize().height() + lines + 8));
    return;
  }
  if (rows == 0) return;
  // A large folder measures only the names that count the most cells.
  constexpr int kMeasured = 64;
  std::priority_queue<std::pair<int, int>, std::vector<std::pair<int, int>>, std::greater<>> widest;
  for (int r = 0; r < rows; ++r) {
    widest.emplace(Cells(model->Entry(r).name), r);
    if (static_cast<int>(widest.size()) > kMeasured) widest.pop();
  }
  int text = 0;
  for (; !widest.empty(); widest.pop())
    text = std::max(text, fm.horizontalAdvance(model->CellText(widest.top().second, TFileListModel::ColName)));
  const QModelIndex first = model->index(0, TFileListModel::ColName);
  const int frame = v->sizeHintForIndex(first).width() - fm.horizontalAdvance(first.data().toString());
  d->SetWidth(frame + text);
  // The view lays its items out again after a reset or a change of style.
}

}  // namespace

QStringList IconCaptionLines(const QString& name, const QFontMetrics& fm, int width, int maxLines) {
  QStringList lines;
  QString rest = name;
  while (!rest.isEmpty() && lines.size() < maxLines) {
    if (fm.horizontalAdvance(rest) <= width) {
      lines << rest;
      break;
    }
    if (lines.size() == maxLines - 1) {
      lines << fm.elidedText(rest, Qt::ElideRight, width);
      break;
    }
    // The longest start that fits, a surrogate pair kept whole.
    int fit = 0;
    for (int i = 1; i <= rest.size(); ++i) {
      if (i < rest.size() && rest[i].isLowSurrogate()) continue;
      if (fm.horizontalAdvance(rest.left(i)) > width) break;
      fit = i;
    }
    if (fit == 0) fit = rest.size() > 1 && rest[0].isHighSurrogate() ? 2 : 1;
    // After the last separator in reach, unless that leaves the line less
    // than half full.
    int cut = fit;
    for (int i = fit; i > 0; --i) {
      const QChar c = rest[i - 1];
      if (c == u' ' || c == u'_' || c == u'-' || c == u'.') {
        if (fm.horizontalAdvance(rest.left(i)) * 2 >= width) cut = i;
        break;
      }
    }
    lines << rest.left(cut);
    rest = rest.mid(cut);
  }
  return lines;
}

QStringList ShownIconCaption(QListView* view, const QModelIndex& index) {
  auto* d = dynamic_cast<TListNameDelegate*>(view->itemDelegate());
  if (!d) return {};
  QStyleOptionViewItem option;
  option.initFrom(view);
  option.rect = view->visualRect(index);
  option.decorationPosition = QStyleOptionViewItem::Top;
  option.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
  option.features |= QStyleOptionViewItem::WrapText;
  option.widget = view;
  return d->Caption(option, index).split(QChar::LineSeparator);
}

namespace {

// Column c's due fit (-1 content, -2 heading), kept on the header.
const char* DueFit(int c) {
  static const char* names[] = {"navirtFit0", "navirtFit1", "navirtFit2", "navirtFit3"};
  return names[c];
}

void FitColumn(QTreeView* v, int c, int how) {
  if (how == -2)
    v->header()->resizeSection(c, std::max(v->header()->sectionSizeHint(c), 40));
  else
    v->resizeColumnToContents(c);
}

}  // namespace

void SetFileColumnWidths(IHost& h, int size, int type, int date) {
  QTreeView* v = h.FileListView();
  const int widths[] = {size, type, date};
  for (int c = 1; c <= 3; ++c) {
    const int w = widths[c - 1];
    v->header()->setProperty(DueFit(c), w < 0 ? QVariant(w == -2 ? -2 : -1) : QVariant());
    if (w >= 0) v->header()->resizeSection(c, w);
  }
  FitFileColumns(h);
}

int FileColumnWidth(IHost& h, int column) {
  QHeaderView* header = h.FileListView()->header();
  QVariant due = header->property(DueFit(column));
  return due.isValid() ? due.toInt() : header->sectionSize(column);
}

void SetNameColumnWidth(IHost& h, int width) {
  h.FileListView()->header()->setProperty("navirtNameWidth", width);
  FitFileColumns(h);
}

void FitFileColumns(IHost& h) {
  QTreeView* v = h.FileListView();
  TFileListModel* model = h.FileListModel();
  if (!v->isVisible() || model->rowCount() == 0) return;
  QHeaderView* header = v->header();
  int others = 0;
  for (int c = 1; c < model->columnCount(); ++c) {
    QVariant due = header->property(DueFit(c));
    if (due.isValid()) {
      FitColumn(v, c, due.toInt());
      header->setProperty(DueFit(c), QVariant());
    }
    others += header->sectionSize(c);
  }
  // The name takes what the others leave, and never less than it was given
  // (its content, first).
  QVariant own = header->property("navirtNameWidth");
  if (!own.isValid()) {
    v->resizeColumnToContents(0);
    own = header->sectionSize(0);
    header->setProperty("navirtNameWidth", own);
  }
  const int spare = v->viewport()->width() - others;
  header->resizeSection(0, std::max(own.toInt(), spare));
}

void ApplyFileViewStyle(IHost& h, int style) {
  if (style < 1 || style > 4) style = 3;
  h.RememberFileViewStyle(style);
  QListView* icons = h.FileIconView();
  QTreeView* details = h.FileListView();
  if (!icons) return;
  bool hadFocus = ActiveFileView(h)->hasFocus();
  if (style == 4) {
    icons->hide();
    details->show();
    FitFileColumns(h);
  } else {
    SetIconStyle(icons, style);
    FitListNames(h);
    details->hide();
    icons->show();
  }
  ShowStyleChecked(h, style);
  if (hadFocus) ActiveFileView(h)->setFocus();
  QModelIndex cur = details->selectionModel()->currentIndex();
  if (cur.isValid()) ActiveFileView(h)->scrollTo(cur);
}

void SetUpFileViews(IHost& h) {
  QTreeView* details = h.FileListView();
  QListView* icons = h.FileIconView();
  QObject* owner = h.HostWindow();
  // Names alike at their start ("picture_sunset.bmp", ".gif", ".jpg")
  // stay apart when the middle gives way.
  icons->setTextElideMode(Qt::ElideMiddle);
  details->setTextElideMode(Qt::ElideMiddle);
  details->header()->setStretchLastSection(false);
  QObject::connect(h.FileListModel(), &QAbstractItemModel::modelReset, owner, [&h] {
    // Another folder's names: the name column fits them again.
    h.FileListView()->header()->setProperty("navirtNameWidth", QVariant());
    FitFileColumns(h);
    FitListNames(h);
  });
  icons->setItemDelegate(new TListNameDelegate(icons));
  details->viewport()->installEventFilter(new ColumnFitFilter(h, owner));
  // Drags start only as the drag-and-drop rules allow (see DragDrop).
  icons->setDragDropMode(QAbstractItemView::DragOnly);
  details->setDragDropMode(QAbstractItemView::DragOnly);
  details->setDragEnabled(false);
  details->setEditTriggers(QAbstractItemView::NoEditTriggers);

  // A folder opens in the tree; anything else with the desktop's program.
  auto doubleClick = [&h](const QModelIndex& idx) {
    if (!idx.isValid()) return;
    std::string path = h.FileListModel()->PathOf(idx.row());
    if (navirt::IsDirectory(path))
      NavigateTo(h, path);
    else
      OpenWithDesktop(path);
  };
  QObject::connect(details, &QAbstractItemView::doubleClicked, owner, doubleClick);
  QObject::connect(icons, &QAbstractItemView::doubleClicked, owner, doubleClick);
}
