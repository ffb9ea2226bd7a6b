#pragma once
// The file commands' dialogs. Each shows a core model and writes the
// user's choices back into it; the command reads the model afterwards.
#include <QDialog>

#include <functional>

#include "fileops/DirListing.h"
#include "fileops/FileCommands.h"
#include "fileops/SHFOP.h"
#include "fileops/SplitMerge.h"

class QCheckBox;
class QComboBox;
class QFileSystemModel;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTreeView;

// A tree of folders starting at "/", showing the folder given.
QTreeView* MakeFolderTree(QWidget* parent, const std::string& folder, QFileSystemModel*& model);

// The file-operation dialog: sources, a folder tree and the target box.
class TForm2 : public QDialog {
 public:
  TForm2(QWidget* parent, navirt::TFileOpDialogModel& model);
  navirt::TFileOpDialogModel& Model() { return model_; }
  // Takes the box's text into the model (OK does it too).
  void TakeBox();

  QLabel* LDirectory;
  QTreeView* FolderView1;
  QFileSystemModel* FolderModel = nullptr;
  QRadioButton* RGfile[3];
  QLabel* Lfiles;
  QPlainTextEdit* Memo1;
  QComboBox* CBdir;
  QPushButton* BOK;

 private:
  navirt::TFileOpDialogModel& model_;
};

// The attribute dialog: four check boxes.
class TForm5 : public QDialog {
 public:
  TForm5(QWidget* parent, navirt::TAttributeDialogModel& model);
  void TakeBoxes();

  QCheckBox* CBreadonly;
  QCheckBox* CBarchive;
  QCheckBox* CBsystem;
  QCheckBox* CBhidden;
  QPushButton* BOK;

 private:
  navirt::TAttributeDialogModel& model_;
};

// What to do with a target name that exists already.
class TConflictDialog : public QDialog {
 public:
  TConflictDialog(QWidget* parent, const navirt::ConflictQuestion& q);
  navirt::ConflictReply reply;  // Cancel unless a button said otherwise

  QPushButton* BOverwrite;
  QPushButton* BSkip;
  QPushButton* BKeepBoth;
  QPushButton* BCancel;
  QCheckBox* CBall;
};

// The split dialog: presets, the size box, the pieces to be written.
class TForm17 : public QDialog {
 public:
  TForm17(QWidget* parent, navirt::TSplitDialogModel& model);
  // OK's own work (history, the answer); returns false to stay open.
  std::function<bool()> onOk;
  void Show();  // the model's state into the widgets
  void EnterPressed();
  std::function<void(const std::string& warning)> onWarning;

  QRadioButton* RGsize[5];
  QComboBox* CBsize;
  QLabel* Lcount;
  QListWidget* LBfiles;
  QPushButton* BOK;

 private:
  navirt::TSplitDialogModel& model_;
};

// The merge dialog: target name, the files in their order.
class TForm20 : public QDialog {
 public:
  TForm20(QWidget* parent, navirt::TMergeDialogModel& model);
  void Show();

  QLineEdit* Etarget;
  QListWidget* LBfiles;
  QLabel* Lcount;
  QLabel* Linfo;
  QPushButton* BUp;
  QPushButton* BDown;
  QPushButton* BDelete;
  QPushButton* BOK;

 private:
  navirt::TMergeDialogModel& model_;
};

// The listing dialog: path, tree, switches and the command line they make.
class TForm7 : public QDialog {
 public:
  TForm7(QWidget* parent, navirt::TDirDialogModel& model);
  void Show();

  QComboBox* CBpath;
  QTreeView* FolderView1;
  QFileSystemModel* FolderModel = nullptr;
  QComboBox* CBformat;
  QCheckBox* CBlower;
  QComboBox* CBattr;
  QComboBox* CBsort;
  QCheckBox* CBsubdir;
  QLineEdit* Ecommand;
  QPushButton* BOK;

 private:
  navirt::TDirDialogModel& model_;
};
