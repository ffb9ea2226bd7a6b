#pragma once
// Pictures in the preview area: decoding by format and the zoom menus.
#include <QImage>
#include <QSize>

#include <string>

#include "preview/Wmf.h"

class IHost;

// Loads a picture file. fullSize is the picture's own size; fit, when
// valid, is the size it will be shown at, so a large JPEG may be decoded
// smaller. False for a file that does not decode.
bool LoadPictureImage(const std::string& path, QSize fit, QImage& image, QSize& fullSize);

// Draws a metafile's shapes into a picture of the given size.
QImage RenderWmf(const navirt::WmfPicture& wmf, QSize size);

// "画像表示(&G)", "画像拡大縮小表示(&Z)", the zoom items and their pop-up copy.
void InstallPictureCommands(IHost& host);
// The zoom of a zoom item's caption order: 0, 50, 75, 100, 125, 150, 200, 300.
int ZoomOfItem(int index);
