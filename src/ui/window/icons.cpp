#include "icons.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace calvorigne {

namespace {

QIcon fromSvg(const QString& resource, std::initializer_list<int> sizes)
{
    QSvgRenderer renderer(resource);
    QIcon icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon applicationIcon()
{
    return fromSvg(QStringLiteral(":/calvorigne.svg"), {16, 24, 32, 48, 64, 128});
}

QIcon printerIcon()
{
    return fromSvg(QStringLiteral(":/printer.svg"), {24, 48});
}

QIcon exitIcon()
{
    return fromSvg(QStringLiteral(":/exit.svg"), {28, 56});
}

} // namespace calvorigne
