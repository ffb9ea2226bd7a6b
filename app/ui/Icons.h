#pragma once
// Toolbar icons: the desktop icon theme's icon that means the command, by
// its freedesktop name, else one drawn here with the command's initial.
class QIcon;
class QString;
class QWidget;

// Picks a theme that has the common action icons when the desktop set none.
void ChooseIconTheme();
// The theme's icon of that name (or its "-symbolic" form), else a drawn one.
QIcon CommandIcon(const char* themeName, const QString& initial);
// Gives every known button of the window its icon.
void ApplyToolbarIcons(QWidget* window);
