// How a printer moves what it prints, measured once per pass: an offset, a scale across and
// down, and a turn. A point asked at p (mm from the paper's top-left corner) lands at
// R(turn) · diag(scale) · p + offset. Printing through the inverse puts every number, and its
// glyphs, where the plan says.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <cmath>
#include <optional>
#include <vector>

namespace calvorigne {

struct PrinterCorrection {
    double dx = 0, dy = 0; // mm
    double sx = 1, sy = 1;
    double degrees = 0;    // clockwise

    // The scale, across or down, that is further from 100 %, and whether it stays within what a
    // printer does (5 %): beyond, the page was reduced or the measures misread.
    double furthestScale() const { return std::abs(sx - 1) > std::abs(sy - 1) ? sx : sy; }
    bool printerScale() const { return std::abs(furthestScale() - 1) <= 0.05; }
    // Where a point asked lands, and where to ask for one so that it lands at its place.
    QTransform landing() const;
    QTransform asking() const { return landing().inverted(); }
    // The same, for coordinates whose origin is not the paper's corner: the sheet's top-left
    // corner stands at sheet.topLeft().
    QTransform landingIn(const QRectF& sheet) const;
    QTransform askingIn(const QRectF& sheet) const { return landingIn(sheet).inverted(); }
    // « décalage +0,4 mm vers la droite, −0,2 mm vers le bas, échelle 100,3 % », with the turn
    // when there is one.
    QString words() const;
    // The settings file's form, and back; nothing for a text that makes no sense.
    QString key() const;
    static std::optional<PrinterCorrection> fromKey(const QString& key);
};

// Both passes of a printer; a pass without a correction prints as asked.
struct PrinterCorrections {
    std::optional<PrinterCorrection> pass[2];

    const PrinterCorrection* forPass(int pass) const;
    bool any() const { return pass[0] || pass[1]; }
    // « passage 1 : décalage … ; passage 2 : … »
    QString words() const;
};

// The part of the sheet where a text asked lands on the paper through every pass's
// correction: the sheet itself when there is none.
QRectF usableSheet(const QRectF& sheet, const PrinterCorrections& corrections);

// The correction that best takes the marks asked to where they landed (least squares), with
// each mark's residual in mm; or why there is none.
struct CorrectionFit {
    PrinterCorrection correction;
    std::vector<QPointF> residuals;
    double worst = 0; // the largest residual, mm
    QString refusal;
};
CorrectionFit fitCorrection(const std::vector<QPointF>& asked, const std::vector<QPointF>& landed);

} // namespace calvorigne
