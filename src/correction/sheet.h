// The calibration sheet (« Feuille de réglage »): what each pass prints on it, in millimetres
// from the paper's top-left corner as that pass prints it. Pass 1 marks five targets (A to E)
// with a disc, pass 2 five others (F to J) with a ring, placed so that none falls on another
// once the sheet is turned end for end; two 100 mm rules along the edges of pass 1.
#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace calvorigne {

struct CalibrationTarget {
    QString label;
    QPointF at;
    int pass;
};

std::vector<CalibrationTarget> calibrationTargets(QSizeF paper);
// The three targets of a pass that a ruler measures: A, B, C, or F, G, H.
std::vector<CalibrationTarget> rulerTargets(QSizeF paper, int pass);

// A target's mark: a disc (pass 1) or a ring (pass 2), then a thin cross through its centre.
std::vector<QPainterPath> targetShapes(const CalibrationTarget& target);
// Pass 1's rules: 100 mm along the top and along the left, a tick every millimetre; and an
// arrow to the top of the sheet.
QPainterPath rulesAndArrow(QSizeF paper);

// Pass 1's words: what to measure and how, what the marks are; the rules' figures, every 10 mm.
// Each text's top-left corner in mm, and its size in points; kept clear of every target's
// surroundings, where the scan looks for it.
struct SheetText {
    QString text;
    QPointF at;
    double points;
};
std::vector<SheetText> calibrationLegend();

// Pass 1's mark of the printer the sheet was printed on: sixteen places down the left side, a
// small square in each place whose bit of the name's checksum is 1, so that a scan of one
// printer's sheet is never taken for another's.
QPainterPath printerCode(const QString& printer);
std::vector<QPointF> printerCodePlaces();
quint16 printerChecksum(const QString& printer);

} // namespace calvorigne
