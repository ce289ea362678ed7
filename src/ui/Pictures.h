#pragma once
// The program's own pictures (resources/pictures/*.svg), drawn at whatever size and scale
// the screen asks for, so they stay sharp at 100 % and 200 %.
#include <QIcon>
#include <QPixmap>
#include <QString>

// Makes the compiled-in pictures and help pages available; the library that holds them is
// static, so nothing else would pull them in. Safe to call more than once.
void InitResources();

// A picture by its file name without extension ("help", "save", ...). A name without a
// picture gives a null icon.
QIcon Picture(const QString& name);

// The picture drawn into a pixmap of the given logical size at the given device pixel
// ratio, stretched to fill it (for backgrounds).
QPixmap PicturePixmap(const QString& name, const QSize& size, qreal devicePixelRatio = 1.0);

// Whether the picture exists.
bool HasPicture(const QString& name);
