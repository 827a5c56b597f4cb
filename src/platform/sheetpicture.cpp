#include "sheetpicture.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>

namespace calvorigne {

QImage sheetPicture(const QString& path, QString* why)
{
    const QString name = QDir::toNativeSeparators(path);
    const QFileInfo file(path);
    // A pipe or a device would be read for ever.
    if (file.exists() && !file.isFile()) {
        *why = QStringLiteral("Le chemin « %1 » n'est pas un fichier d'image").arg(name);
        return {};
    }
    QImageReader reader(path);
    const QSize size = reader.size();
    // Up to an A4 sheet scanned at 1,200 dots per inch, either way round.
    if (std::max(size.width(), size.height()) > 14100 || std::min(size.width(), size.height()) > 10000) {
        *why = QStringLiteral("L'image « %1 » est trop grande (%2 × %3 points) : numérisez la feuille à 1 200 points "
                              "par pouce au plus")
                   .arg(name)
                   .arg(size.width())
                   .arg(size.height());
        return {};
    }
    // A 300 dpi A4 page is more than the preview shows at any zoom.
    const QSize shown(2480, 3508);
    if (size.isValid() && (size.width() > shown.width() || size.height() > shown.height()))
        reader.setScaledSize(size.scaled(size.width() > size.height() ? shown.transposed() : shown, Qt::KeepAspectRatio));
    // Formats that cannot be read reduced are read whole first: make room for a 1,200 dpi scan.
    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(std::max(limit, 1024));
    QImage picture = reader.read();
    QImageReader::setAllocationLimit(limit);
    if (picture.isNull())
        *why = QStringLiteral("L'image « %1 » n'a pas pu être lue").arg(name);
    return picture;
}

} // namespace calvorigne
