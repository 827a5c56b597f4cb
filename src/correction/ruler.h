// A printer's correction from a ruler: for each pass, the distances the user measured on the
// printed calibration sheet from the sheet's left and top edges to three of its targets.
#pragma once

#include "correction/correction.h"

#include <QSizeF>
#include <QStringList>

namespace calvorigne {

struct RulerReading {
    std::optional<PrinterCorrection> correction;
    QString refusal; // why the distances give none, in French
};

// typed: for each of the pass's three ruler targets, the distance from the left edge, then
// from the top edge, in mm, written with a comma or a point.
RulerReading rulerCorrection(QSizeF paper, int pass, const QStringList& typed);

} // namespace calvorigne
