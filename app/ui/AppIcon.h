#pragma once
#include <QIcon>
#include <QPixmap>

// The program icon, drawn rather than shipped as a file.
QPixmap NavirtIconPixmap(int size);
QIcon NavirtIcon();
// The splash window's picture: name, icon and "Ver. 5.2".
QPixmap NavirtSplashPixmap();
