// The calibration sheet read from a scan: the paper's four edges by line fits, every target by
// its centroid, the scanner's own scale from the paper's known size, and for each pass the
// correction that takes the targets asked to where they landed. A scan that cannot be read
// right is refused with words, never misread.
#pragma once

#include "correction/correction.h"

#include <QImage>
#include <QSizeF>

namespace calvorigne {

struct FoundTarget {
    QString label;
    int pass;
    QPointF residual; // of the fit, mm
    QPointF inScan;   // its centre in the scan's pixels
};

struct ScanReading {
    std::optional<PrinterCorrection> pass[2];
    std::vector<FoundTarget> targets;
    QString refusal; // in French; nothing is to be kept when it is not empty
};

// The sheet must have been printed on that printer.
ScanReading readScan(const QImage& scan, QSizeF paper, const QString& printer);

} // namespace calvorigne
