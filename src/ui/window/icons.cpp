#include "icons.h"

#include <QDir>

namespace calvorigne {

namespace {

// Every size the build rendered of the picture.
QIcon picture(const QString& name)
{
    QIcon icon;
    const QDir pictures(QStringLiteral(":/pictures"));
    for (const QString& file : pictures.entryList({name + QStringLiteral("-*.png")}, QDir::Files))
        icon.addFile(pictures.filePath(file));
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
