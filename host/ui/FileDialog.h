#pragma once
// The program's own open and save dialogs. Qt's dialog opens at a size made
// for short Latin names: Japanese file names, sizes, kinds and dates come out
// cut short. One place sizes it for them, so every dialog reads the same.
#include <QFileDialog>

// Sets DLG up as the program's file dialog: Qt's own (the desktop's cannot be
// sized or driven by keys in a test), in the detail view, its columns wide
// enough for a name of about thirty full-width characters, a size, a kind and
// a date, and the dialog wide enough for the columns on the screen it opens on.
void SetUpFileDialog(QFileDialog& dlg);
