#pragma once
#include <QIcon>
#include <QPixmap>

// The program icon: the PNGs of dist/icons, built in as resources.
QPixmap NavirtIconPixmap(int size);
QIcon NavirtIcon();
// The splash window's picture: name, icon and "Ver. 5.2".
QPixmap NavirtSplashPixmap();
