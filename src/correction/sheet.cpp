#include "sheet.h"

#include <QByteArray>

namespace calvorigne {

namespace {

// Thin strokes, as filled rectangles: every mark is a filled shape.
void addBar(QPainterPath& path, QPointF from, QPointF to, double width)
{
    const QPointF half(width / 2, width / 2);
    path.addRect(QRectF(QPointF(std::min(from.x(), to.x()), std::min(from.y(), to.y())) - half,
                        QPointF(std::max(from.x(), to.x()), std::max(from.y(), to.y())) + half));
}

} // namespace

std::vector<CalibrationTarget> calibrationTargets(QSizeF paper)
{
    const double w = paper.width(), h = paper.height();
    // Pass 2's, turned end for end with the sheet, land about 20 mm from pass 1's.
    return {{QStringLiteral("A"), {25, 25}, 1},           {QStringLiteral("B"), {w - 25, 25}, 1},
            {QStringLiteral("C"), {25, h - 25}, 1},       {QStringLiteral("D"), {w - 25, h - 25}, 1},
            {QStringLiteral("E"), {w / 2, h / 2}, 1},     {QStringLiteral("F"), {45, 35}, 2},
            {QStringLiteral("G"), {w - 35, 45}, 2},       {QStringLiteral("H"), {35, h - 45}, 2},
            {QStringLiteral("I"), {w - 45, h - 35}, 2},   {QStringLiteral("J"), {w / 2 + 15, h / 2 + 15}, 2}};
}

std::vector<CalibrationTarget> rulerTargets(QSizeF paper, int pass)
{
    std::vector<CalibrationTarget> chosen;
    for (const CalibrationTarget& target : calibrationTargets(paper))
        if (target.pass == pass && chosen.size() < 3)
            chosen.push_back(target);
    return chosen;
}

std::vector<QPainterPath> targetShapes(const CalibrationTarget& target)
{
    const QPointF c = target.at;
    // Curves kept as curves: a boolean of paths would make polygons of them.
    QPainterPath body;
    body.setFillRule(Qt::OddEvenFill);
    body.addEllipse(c, target.pass == 1 ? 2.5 : 3, target.pass == 1 ? 2.5 : 3);
    if (target.pass == 2)
        body.addEllipse(c, 1.8, 1.8);
    QPainterPath cross;
    cross.setFillRule(Qt::WindingFill);
    addBar(cross, c - QPointF(7, 0), c + QPointF(7, 0), 0.25);
    addBar(cross, c - QPointF(0, 7), c + QPointF(0, 7), 0.25);
    return {body, cross};
}

QPainterPath rulesAndArrow(QSizeF paper)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const QPointF top(50, 12), left(12, 60);
    addBar(path, top, top + QPointF(100, 0), 0.2);
    addBar(path, left, left + QPointF(0, 100), 0.2);
    for (int mm = 0; mm <= 100; ++mm) {
        const double tick = mm % 10 == 0 ? 4 : mm % 5 == 0 ? 3 : 1.5;
        addBar(path, top + QPointF(mm, 0), top + QPointF(mm, tick), 0.15);
        addBar(path, left + QPointF(0, mm), left + QPointF(tick, mm), 0.15);
    }
    // To the top of the sheet, at the middle of its width.
    QPainterPath arrow;
    const double x = paper.width() / 2;
    arrow.moveTo(x, 20);
    arrow.lineTo(x + 4, 28);
    arrow.lineTo(x - 4, 28);
    arrow.closeSubpath();
    arrow.addRect(QRectF(x - 1, 28, 2, 10));
    path.addPath(arrow);
    return path;
}

std::vector<SheetText> calibrationLegend()
{
    std::vector<SheetText> texts;
    const QPointF top(50, 12), left(12, 60); // the rules' starts, as rulesAndArrow draws them
    for (int mm = 0; mm <= 100; mm += 10) {
        const QString figure = QString::number(mm);
        // Centred under its tick, or beside it: a figure is about 1.2 mm wide and 2 mm high.
        texts.push_back({figure, top + QPointF(mm - 0.6 * figure.size(), 4.5), 6});
        texts.push_back({figure, left + QPointF(4.8, mm - 1.1), 6});
    }
    texts.push_back({QStringLiteral("cette règle doit mesurer 100 mm"), top + QPointF(0, 8), 7});
    texts.push_back({QStringLiteral("cette règle doit mesurer 100 mm"), left + QPointF(12, 53.5), 7});
    const char* const lines[] = {
        "À la règle, la flèche vers le haut : mesurez, du bord gauche puis du bord",
        "haut de la feuille, jusqu'au centre de la croix de A, de B et de C.",
        "Tournez ensuite la feuille pour lire « passage 2 » à l'endroit, et mesurez",
        "de même F, G et H. Disques : passage 1 ; anneaux : passage 2.",
        "D, E, I et J servent à la lecture d'une numérisation ; les petits carrés,",
        "en bas à gauche, désignent l'imprimante qui a imprimé la feuille.",
    };
    double y = 66;
    for (const char* line : lines) {
        texts.push_back({QString::fromUtf8(line), QPointF(35, y), 8});
        y += 4;
    }
    return texts;
}

quint16 printerChecksum(const QString& printer)
{
    return qChecksum(printer.toUtf8(), Qt::ChecksumIso3309);
}

std::vector<QPointF> printerCodePlaces()
{
    std::vector<QPointF> places;
    for (int bit = 0; bit < 16; ++bit)
        places.emplace_back(20, 175 + 4.5 * bit);
    return places;
}

QPainterPath printerCode(const QString& printer)
{
    QPainterPath path;
    const quint16 sum = printerChecksum(printer);
    const std::vector<QPointF> places = printerCodePlaces();
    for (int bit = 0; bit < 16; ++bit)
        if (sum & (1 << bit))
            path.addRect(QRectF(places[std::size_t(bit)] - QPointF(1.25, 1.25), QSizeF(2.5, 2.5)));
    return path;
}

} // namespace calvorigne
