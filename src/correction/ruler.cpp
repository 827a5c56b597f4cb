#include "ruler.h"

#include "correction/sheet.h"

#include <QLocale>
#include <cmath>

namespace calvorigne {

namespace {

// What a ruler can hold: measures that disagree by more than this were misread.
constexpr double rulerTolerance = 1.0;

} // namespace

RulerReading rulerCorrection(QSizeF paper, int pass, const QStringList& typed)
{
    const std::vector<CalibrationTarget> targets = rulerTargets(paper, pass);
    const QLocale french(QLocale::French);
    std::vector<QPointF> asked, landed;
    for (std::size_t k = 0; k < targets.size(); ++k) {
        double values[2];
        for (int axis = 0; axis < 2; ++axis) {
            const QString edge = axis == 0 ? QStringLiteral("du bord gauche") : QStringLiteral("du bord haut");
            const QString text = typed.value(qsizetype(2 * k + axis)).trimmed();
            if (text.isEmpty())
                return {std::nullopt, QStringLiteral("Il manque la distance de %1 %2.").arg(targets[k].label, edge)};
            bool ok = false;
            values[axis] = QLocale::c().toDouble(QString(text).replace(u',', u'.'), &ok);
            if (!ok || !std::isfinite(values[axis]))
                return {std::nullopt, QStringLiteral("« %1 » n'est pas une distance en millimètres (%2, %3).")
                                          .arg(text, targets[k].label, edge)};
            const double limit = axis == 0 ? paper.width() : paper.height();
            if (values[axis] < 0 || values[axis] > limit)
                return {std::nullopt, QStringLiteral("%1 à %2 mm %3 : c'est hors de la feuille, qui mesure %4 mm.")
                                          .arg(targets[k].label, french.toString(values[axis]), edge,
                                               french.toString(limit))};
        }
        asked.push_back(targets[k].at);
        landed.emplace_back(values[0], values[1]);
    }
    const CorrectionFit fit = fitCorrection(asked, landed);
    if (!fit.refusal.isEmpty())
        return {std::nullopt, QStringLiteral("Ces mesures placent les repères presque en ligne : mesurez-les à nouveau.")};
    const PrinterCorrection& c = fit.correction;
    if (!c.printerScale())
        return {std::nullopt, QStringLiteral("Ces mesures donnent une échelle de %1 %, loin de ce que fait une imprimante : "
                                             "mesurez à nouveau.")
                                  .arg(french.toString(c.furthestScale() * 100, 'f', 1))};
    if (fit.worst > rulerTolerance)
        return {std::nullopt, QStringLiteral("Ces mesures ne s'accordent pas entre elles (%1 mm d'écart) : mesurez à nouveau.")
                                  .arg(french.toString(fit.worst, 'f', 1))};
    return {c, QString()};
}

} // namespace calvorigne
