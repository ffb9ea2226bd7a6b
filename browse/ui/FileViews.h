#pragma once
// The file list's two views (details, and icons or list over the same model
// and selection): their style, their columns and their mouse.
#include <QStringList>

class IHost;
class QFontMetrics;
class QListView;
class QModelIndex;

// 1 large icons, 2 small icons, 3 list, 4 details: the views, the style's
// menu check and its pressed button.
void ApplyFileViewStyle(IHost& host, int style);
// The details view's columns: the size, type and date columns keep the
// widths they were given (stored, or set by the column commands); -1 fits
// a column to its content and -2 to its heading, once, as soon as the view
// shows rows. The name column takes the width the others leave.
void SetFileColumnWidths(IHost& host, int size, int type, int date);
// A column's width to store: pixels, or -1/-2 while its fit is still due.
int FileColumnWidth(IHost& host, int column);
// Applies the fits that are due and lets the name column take the rest.
void FitFileColumns(IHost& host);
// Column 0's own width (fitted to its heading or content by a command);
// the name column never gets narrower than this.
void SetNameColumnWidth(IHost& host, int width);
// Elision, column fitting, double clicks and drag modes of both views.
void SetUpFileViews(IHost& host);
// A name under a large icon, as lines of at most width pixels: broken after
// a space, "_", "-" or "." in reach, else between two characters; what
// does not fit into maxLines ends in "…" on the last line.
QStringList IconCaptionLines(const QString& name, const QFontMetrics& fm, int width, int maxLines);
// The lines the icons view draws under index's icon.
QStringList ShownIconCaption(QListView* view, const QModelIndex& index);
