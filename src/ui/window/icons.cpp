#include "icons.h"

#include <QDir>
#include <QImageReader>
#include <QPixmap>

namespace calvorigne {

namespace {

// Every size the build rendered of the picture. Read as the PNG files they are: left to guess,
// the reader first loads every image plugin to ask each one, which slows the window's start.
QIcon picture(const QString& name)
{
    QIcon icon;
    const QDir pictures(QStringLiteral(":/pictures"));
    for (const QString& file : pictures.entryList({name + QStringLiteral("-*.png")}, QDir::Files)) {
        QImageReader reader(pictures.filePath(file), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}

} // namespace

QIcon applicationIcon()
{
    return picture(QStringLiteral("calvorigne"));
}

QIcon printerIcon()
{
    return picture(QStringLiteral("printer"));
}

QIcon previewIcon()
{
    return picture(QStringLiteral("preview"));
}

QIcon exitIcon()
{
    return picture(QStringLiteral("exit"));
}

} // namespace calvorigne
