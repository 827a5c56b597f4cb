// Scans made here: the calibration sheet as a printer with known errors puts it on paper,
// then as a flatbed gives it back.
#pragma once

#include "correction/correction.h"
#include "correction/sheet.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QRandomGenerator>

namespace calvorigne::testing {

// What a printer of that name with these errors puts on a sheet of plain paper, seen from
// above on the glass: the sheet, at dpi, with dark around it, skewed by that much about its
// middle. Pass 2 may be left unprinted.
inline QImage onTheGlass(const PrinterCorrection passes[2], double dpi, double skew, const QString& printer = QStringLiteral("Test"),
                         int printed = 2)
{
    const QSizeF a4(210, 297);
    const double px = dpi / 25.4, margin = 12;
    QImage image(QSize(int((a4.width() + 2 * margin) * px), int((a4.height() + 2 * margin) * px)), QImage::Format_Grayscale8);
    image.fill(QColor(45, 45, 45));
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QTransform glass = QTransform::fromTranslate(-a4.width() / 2, -a4.height() / 2) * QTransform().rotate(skew)
                             * QTransform::fromTranslate(a4.width() / 2 + margin, a4.height() / 2 + margin)
                             * QTransform::fromScale(px, px);
    painter.setTransform(glass);
    painter.fillRect(QRectF(QPointF(), a4), QColor(246, 246, 246));
    for (int pass = 1; pass <= printed; ++pass) {
        // Pass 2 prints on the sheet turned end for end.
        const QTransform turned = pass == 1 ? QTransform() : QTransform(-1, 0, 0, -1, a4.width(), a4.height());
        painter.setTransform(passes[pass - 1].landing() * turned * glass);
        for (const CalibrationTarget& target : calibrationTargets(a4))
            if (target.pass == pass) {
                for (const QPainterPath& shape : targetShapes(target))
                    painter.fillPath(shape, QColor(20, 20, 20));
                // 14 points, in the painter's millimetres.
                QFont font(QStringLiteral("Liberation Sans"));
                font.setPixelSize(5);
                painter.setFont(font);
                painter.drawText(target.at + QPointF(4, -4), target.label);
            }
        if (pass == 1) {
            painter.fillPath(rulesAndArrow(a4), QColor(20, 20, 20));
            painter.fillPath(printerCode(printer), QColor(20, 20, 20));
        }
    }
    return image;
}

// The flatbed's own faults: a little blur, noise, and JPEG at quality 60.
inline QImage scanned(QImage image)
{
    image = image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QRandomGenerator noise(11);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width(); ++x)
            line[x] = uchar(std::clamp(int(line[x]) + int(noise.bounded(25)) - 12, 0, 255));
    }
    QBuffer jpeg;
    jpeg.open(QIODevice::WriteOnly);
    image.save(&jpeg, "JPG", 60);
    QImageReader::setAllocationLimit(1024); // a 600 dpi scan decodes to more than Qt's default
    return QImage::fromData(jpeg.data(), "JPG");
}

} // namespace calvorigne::testing
