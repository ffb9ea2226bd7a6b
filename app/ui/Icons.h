#pragma once
// The desktop's icon theme, for the file views' icons and any theme icon a
// command row names that the project draws no picture of its own for.

// Picks a theme that has the common action icons when the desktop set none.
void ChooseIconTheme();
