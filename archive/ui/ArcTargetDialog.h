#pragma once
// The extraction target: a plain folder dialog over TArcTargetModel. It
// stands in for the full file-operation dialog; the commands only know it
// through ExecDialog and FolderText, so that one can take its place.
#include <QDialog>

#include "archive/ArcCommands.h"

class QComboBox;
class QLabel;
class QListWidget;

class TArcTargetDialog : public QDialog {
  Q_OBJECT
 public:
  TArcTargetDialog(QWidget* parent, const navirt::TArcTargetModel& model);

  // The folder box (UTF-8 path).
  QString FolderText() const;
  void SetFolderText(const QString& text);

  QLabel* Heading = nullptr;    // the folder being shown
  QLabel* Operation = nullptr;  // "解凍" and the file count
  QListWidget* Files = nullptr;
  QComboBox* FolderBox = nullptr;

 private:
  void Browse();
};
