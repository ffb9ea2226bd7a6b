#include "fileops/ui/FileOpsDialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTreeView>
#include <QVBoxLayout>

#include <memory>

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

QPushButton* AddOkCancel(QDialog* d, QBoxLayout* layout) {
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
  QPushButton* ok = box->button(QDialogButtonBox::Ok);
  ok->setObjectName("BOK");
  box->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  box->button(QDialogButtonBox::Cancel)->setObjectName("BCancel");
  QObject::connect(box, &QDialogButtonBox::rejected, d, &QDialog::reject);
  layout->addWidget(box);
  return ok;
}

std::string FolderOf(QFileSystemModel* m, const QModelIndex& i) {
  std::string p = S(m->filePath(i));
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

}  // namespace

QTreeView* MakeFolderTree(QWidget* parent, const std::string& folder, QFileSystemModel*& model) {
  model = new QFileSystemModel(parent);
  model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
  model->setRootPath("/");
  auto* tree = new QTreeView(parent);
  tree->setObjectName("FolderView1");
  tree->setModel(model);
  for (int c = 1; c < model->columnCount(); ++c) tree->hideColumn(c);
  tree->header()->hide();
  // The model knows "/a/b", not "/a/b/".
  std::string path = folder;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const QString start = Q(path);
  auto show = [tree, model, start] {
    const QModelIndex i = model->index(start);
    if (!i.isValid()) return;
    tree->setCurrentIndex(i);
    tree->scrollTo(i, QAbstractItemView::PositionAtCenter);
  };
  show();
  // The folders come in the background and move the rows: while the
  // folders above it come in, the tree goes to the folder again.
  auto conn = std::make_shared<QMetaObject::Connection>();
  *conn = QObject::connect(model, &QFileSystemModel::directoryLoaded, tree,
                           [tree, show, start, conn](const QString& loaded) {
                             const bool above = loaded == "/" || start.startsWith(loaded + "/");
                             // Only the view moves back: what the user typed in the field stays.
                             if (above) {
                               const QSignalBlocker quiet(tree->selectionModel());
                               show();
                               tree->viewport()->update();
                             }
                             if (!above || loaded == start) QObject::disconnect(*conn);
                           });
  return tree;
}

// ---- TForm2 ----

TForm2::TForm2(QWidget* parent, TFileOpDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form2");
  setWindowTitle(Q(model.caption));
  auto* v = new QVBoxLayout(this);
  LDirectory = new QLabel(Q(model.LDirectory), this);
  LDirectory->setObjectName("LDirectory");
  v->addWidget(LDirectory);
  auto* h = new QHBoxLayout;
  FolderView1 = MakeFolderTree(this, model.LDirectory, FolderModel);
  FolderView1->setMinimumSize(220, 240);
  h->addWidget(FolderView1, 1);
  auto* right = new QVBoxLayout;
  auto* group = new QGroupBox("ファイル操作(&F)", this);
  auto* gl = new QVBoxLayout(group);
  for (int i = 0; i < 3; ++i) {
    RGfile[i] = new QRadioButton(Q(model.choices[static_cast<size_t>(i)]), group);
    RGfile[i]->setChecked(i == model.RGfile);
    gl->addWidget(RGfile[i]);
  }
  right->addWidget(group);
  Lfiles = new QLabel(Q(model.Lfiles), this);
  Lfiles->setObjectName("Lfiles");
  right->addWidget(Lfiles);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  QStringList lines;
  for (const std::string& s : model.Memo1) lines << Q(s);
  Memo1->setPlainText(lines.join('\n'));
  right->addWidget(Memo1, 1);
  h->addLayout(right, 1);
  v->addLayout(h, 1);
  auto* boxLabel = new QLabel("操作先ディレクトリ(&T)", this);
  v->addWidget(boxLabel);
  CBdir = new QComboBox(this);
  CBdir->setObjectName("CBdir");
  CBdir->setEditable(true);
  for (const std::string& s : model.history) CBdir->addItem(Q(s));
  CBdir->setEditText(Q(model.CBdir));
  boxLabel->setBuddy(CBdir);
  v->addWidget(CBdir);
  BOK = AddOkCancel(this, v);
  connect(FolderView1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
    if (!i.isValid()) return;
    model_.ChooseFolder(FolderOf(FolderModel, i));
    CBdir->setEditText(Q(model_.CBdir));
    LDirectory->setText(Q(model_.LDirectory));
  });
  connect(BOK, &QPushButton::clicked, this, [this] {
    TakeBox();
    accept();
  });
  resize(560, 420);
}

void TForm2::TakeBox() { model_.CBdir = S(CBdir->currentText()); }

// ---- TForm5 ----

TForm5::TForm5(QWidget* parent, TAttributeDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form5");
  setWindowTitle(Q(model.caption));
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel(Q(model.text), this));
  auto* path = new QLabel(Q(model.path), this);
  path->setObjectName("Lpath");
  v->addWidget(path);
  auto* group = new QGroupBox(Q(model.group), this);
  auto* g = new QVBoxLayout(group);
  auto box = [&](const std::string& label, bool on, const char* name) {
    auto* c = new QCheckBox(Q(label), group);
    c->setObjectName(name);
    c->setChecked(on);
    c->setEnabled(model.boxesEnabled);
    g->addWidget(c);
    return c;
  };
  CBreadonly = box(model.labelR, model.readOnly, "CBreadonly");
  CBarchive = box(model.labelA, model.archive, "CBarchive");
  CBsystem = box(model.labelS, model.system, "CBsystem");
  CBhidden = box(model.labelH, model.hidden, "CBhidden");
  CBhidden->setEnabled(model.boxesEnabled && model.hiddenEnabled);
  v->addWidget(group);
  BOK = AddOkCancel(this, v);
  connect(BOK, &QPushButton::clicked, this, [this] {
    TakeBoxes();
    accept();
  });
}

void TForm5::TakeBoxes() {
  model_.readOnly = CBreadonly->isChecked();
  model_.archive = CBarchive->isChecked();
  model_.system = CBsystem->isChecked();
  model_.hidden = CBhidden->isChecked();
}

// ---- TConflictDialog ----

TConflictDialog::TConflictDialog(QWidget* parent, const ConflictQuestion& q) : QDialog(parent) {
  setObjectName("ConflictDialog");
  setWindowTitle("同じ名前の項目があります");
  reply.answer = ConflictAnswer::Cancel;
  auto* v = new QVBoxLayout(this);
  QString what = q.targetIsDir ? "フォルダー" : "ファイル";
  auto* text =
      new QLabel(QString("%1 は既にあります。\n%2\n\n元の項目:\n%3").arg(what, Q(q.target), Q(q.source)), this);
  text->setObjectName("Ltext");
  text->setTextInteractionFlags(Qt::TextSelectableByMouse);
  v->addWidget(text);
  CBall = new QCheckBox("残りのすべてに適用(&A)", this);
  CBall->setObjectName("CBall");
  v->addWidget(CBall);
  auto* h = new QHBoxLayout;
  auto button = [&](const char* caption, const char* name, ConflictAnswer a) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    connect(b, &QPushButton::clicked, this, [this, a] {
      reply.answer = a;
      reply.applyToAll = CBall->isChecked();
      if (a == ConflictAnswer::Cancel)
        reject();
      else
        accept();
    });
    h->addWidget(b);
    return b;
  };
  BOverwrite = button("上書き(&O)", "BOverwrite", ConflictAnswer::Overwrite);
  BSkip = button("スキップ(&S)", "BSkip", ConflictAnswer::Skip);
  BKeepBoth = button("両方残す(&K)", "BKeepBoth", ConflictAnswer::KeepBoth);
  BCancel = button("キャンセル", "BCancel", ConflictAnswer::Cancel);
  BSkip->setDefault(true);
  v->addLayout(h);
}

// ---- TForm17 ----

namespace {
// Enter in the size box is the dialog's own check, not OK.
class EnterFilter : public QObject {
 public:
  EnterFilter(QObject* parent, std::function<void()> onEnter) : QObject(parent), onEnter_(std::move(onEnter)) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) return false;
    onEnter_();
    return true;
  }

 private:
  std::function<void()> onEnter_;
};
}  // namespace

TForm17::TForm17(QWidget* parent, TSplitDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form17");
  setWindowTitle(Q(model.caption));
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel(Q(model.text), this));
  v->addWidget(new QLabel(Q(model.path), this));
  auto* size = new QLabel(Q(model.SizeLine()), this);
  size->setObjectName("Lsize");
  v->addWidget(size);
  auto* group = new QGroupBox("サイズ", this);
  auto* gl = new QHBoxLayout(group);
  for (int i = 0; i < 5; ++i) {
    RGsize[i] = new QRadioButton(Q(TSplitDialogModel::kPresets[i].label), group);
    gl->addWidget(RGsize[i]);
    connect(RGsize[i], &QRadioButton::clicked, this, [this, i] {
      model_.ChoosePreset(i);
      Show();
    });
  }
  v->addWidget(group);
  CBsize = new QComboBox(this);
  CBsize->setObjectName("CBsize");
  CBsize->setEditable(true);
  for (const std::string& s : model.sizeItems) CBsize->addItem(Q(s));
  // Keys typed into an editable box reach the box itself (its line edit
  // only through it), so the filter sits there.
  CBsize->installEventFilter(new EnterFilter(this, [this] { EnterPressed(); }));
  connect(CBsize, &QComboBox::currentTextChanged, this, [this](const QString& t) { model_.sizeText = S(t); });
  v->addWidget(CBsize);
  Lcount = new QLabel(this);
  Lcount->setObjectName("Lcount");
  v->addWidget(Lcount);
  v->addWidget(new QLabel("作成するﾌｧｲﾙ", this));
  LBfiles = new QListWidget(this);
  LBfiles->setObjectName("LBfiles");
  v->addWidget(LBfiles, 1);
  BOK = AddOkCancel(this, v);
  BOK->setAutoDefault(false);
  connect(BOK, &QPushButton::clicked, this, [this] {
    model_.sizeText = S(CBsize->currentText());
    if (!onOk || onOk()) accept();
  });
  Show();
}

void TForm17::Show() {
  for (int i = 0; i < 5; ++i) {
    QSignalBlocker b(RGsize[i]);
    RGsize[i]->setChecked(i == model_.preset);
  }
  {
    QSignalBlocker b(CBsize);
    CBsize->setEditText(Q(model_.sizeText));
  }
  Lcount->setText(Q(model_.countLine));
  LBfiles->clear();
  for (const std::string& s : model_.pieceList) LBfiles->addItem(Q(s));
}

void TForm17::EnterPressed() {
  model_.sizeText = S(CBsize->currentText());
  std::string warning = model_.Enter();
  Show();
  if (!warning.empty() && onWarning) onWarning(warning);
  if (model_.focusOk)
    BOK->setFocus();
  else
    CBsize->setFocus();
}

// ---- TForm20 ----

TForm20::TForm20(QWidget* parent, TMergeDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form20");
  setWindowTitle(Q(model.caption));
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel(Q(model.folder), this));
  Lcount = new QLabel(this);
  Lcount->setObjectName("Lcount");
  v->addWidget(Lcount);
  auto* tl = new QLabel(Q(model.labelTarget), this);
  v->addWidget(tl);
  Etarget = new QLineEdit(this);
  Etarget->setObjectName("Etarget");
  tl->setBuddy(Etarget);
  v->addWidget(Etarget);
  auto* ll = new QLabel(Q(model.labelList), this);
  v->addWidget(ll);
  auto* h = new QHBoxLayout;
  LBfiles = new QListWidget(this);
  LBfiles->setObjectName("LBfiles");
  ll->setBuddy(LBfiles);
  h->addWidget(LBfiles, 1);
  auto* bs = new QVBoxLayout;
  BUp = new QPushButton("上へ", this);
  BDown = new QPushButton("下へ", this);
  BDelete = new QPushButton("削除", this);
  for (QPushButton* b : {BUp, BDown, BDelete}) bs->addWidget(b);
  bs->addStretch();
  h->addLayout(bs);
  v->addLayout(h, 1);
  Linfo = new QLabel(this);
  Linfo->setObjectName("Linfo");
  v->addWidget(Linfo);
  BOK = AddOkCancel(this, v);
  connect(Etarget, &QLineEdit::textChanged, this, [this](const QString& t) {
    model_.targetName = S(t);
    Show();
  });
  connect(LBfiles, &QListWidget::currentRowChanged, this, [this](int r) { model_.chosen = r; });
  connect(BUp, &QPushButton::clicked, this, [this] {
    model_.Up();
    Show();
  });
  connect(BDown, &QPushButton::clicked, this, [this] {
    model_.Down();
    Show();
  });
  connect(BDelete, &QPushButton::clicked, this, [this] {
    model_.Delete();
    Show();
  });
  connect(BOK, &QPushButton::clicked, this, [this] {
    if (model_.OkEnabled()) accept();
  });
  Show();
}

void TForm20::Show() {
  Lcount->setText(Q(model_.countLine));
  Linfo->setText(Q(model_.InfoLine()));
  BOK->setEnabled(model_.OkEnabled());
  QSignalBlocker b(LBfiles);
  LBfiles->clear();
  for (const std::string& s : model_.items) LBfiles->addItem(Q(s));
  LBfiles->setCurrentRow(model_.chosen);
}

// ---- TForm7 ----

TForm7::TForm7(QWidget* parent, TDirDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form7");
  setWindowTitle(Q(model.caption));
  auto* v = new QVBoxLayout(this);
  auto* text = new QLabel(Q(model.text), this);
  text->setWordWrap(true);
  v->addWidget(text);
  auto* pl = new QLabel(Q(model.pathLabel), this);
  v->addWidget(pl);
  CBpath = new QComboBox(this);
  CBpath->setObjectName("CBpath");
  CBpath->setEditable(true);
  CBpath->setToolTip(Q(model.pathHint));
  for (const std::string& s : model.history) CBpath->addItem(Q(s));
  CBpath->setEditText(Q(model.path));
  pl->setBuddy(CBpath);
  v->addWidget(CBpath);
  auto* h = new QHBoxLayout;
  FolderView1 = MakeFolderTree(this, model.path, FolderModel);
  FolderView1->setMinimumSize(200, 200);
  h->addWidget(FolderView1, 1);
  auto* g = new QGridLayout;
  auto combo = [&](const char* label, const std::vector<std::string>& items, int row, const char* name) {
    auto* l = new QLabel(label, this);
    auto* c = new QComboBox(this);
    c->setObjectName(name);
    for (const std::string& s : items) c->addItem(Q(s));
    l->setBuddy(c);
    g->addWidget(l, row, 0);
    g->addWidget(c, row, 1);
    return c;
  };
  CBformat = combo("表示形式(&V)", TDirDialogModel::FormatChoices(), 0, "CBformat");
  CBattr = combo("属性(&A)", TDirDialogModel::AttrChoices(), 1, "CBattr");
  CBsort = combo("ソート(&O)", TDirDialogModel::SortChoices(), 2, "CBsort");
  CBlower = new QCheckBox("小文字で表示(/&L)", this);
  CBlower->setObjectName("CBlower");
  g->addWidget(CBlower, 3, 0, 1, 2);
  CBsubdir = new QCheckBox("ｻﾌﾞﾃﾞｨﾚﾄｸﾘも表示(/&S)", this);
  CBsubdir->setObjectName("CBsubdir");
  g->addWidget(CBsubdir, 4, 0, 1, 2);
  h->addLayout(g, 1);
  v->addLayout(h, 1);
  v->addWidget(new QLabel("ｺﾏﾝﾄﾞ", this));
  Ecommand = new QLineEdit(this);
  Ecommand->setObjectName("Ecommand");
  Ecommand->setReadOnly(true);
  v->addWidget(Ecommand);
  BOK = AddOkCancel(this, v);
  auto changed = [this] {
    model_.path = S(CBpath->currentText());
    model_.format = CBformat->currentIndex();
    model_.attr = CBattr->currentIndex();
    model_.sort = CBsort->currentIndex();
    model_.lower = CBlower->isChecked();
    model_.subdirs = CBsubdir->isChecked();
    Show();
  };
  connect(CBpath, &QComboBox::currentTextChanged, this, changed);
  for (QComboBox* c : {CBformat, CBattr, CBsort}) connect(c, &QComboBox::currentIndexChanged, this, changed);
  for (QCheckBox* c : {CBlower, CBsubdir}) connect(c, &QCheckBox::toggled, this, changed);
  connect(FolderView1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& i) {
    if (!i.isValid()) return;
    model_.ChooseFolder(FolderOf(FolderModel, i));
    CBpath->setEditText(Q(model_.path));
  });
  connect(BOK, &QPushButton::clicked, this, [this] { accept(); });
  Show();
  resize(560, 440);
}

void TForm7::Show() { Ecommand->setText(Q(model_.CommandLine())); }
