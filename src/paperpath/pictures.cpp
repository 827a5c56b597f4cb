#include "pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace calvorigne {

namespace {

const QColor paper(255, 255, 255), edge(90, 90, 90), pass1(30, 70, 200), pass2(210, 40, 40), pencil(110, 110, 110);
const QSize pictureSize(150, 110);
// A sheet seen from above: 40 × 56, its top at the top.
const QSizeF sheet(40, 56);

QImage blank()
{
    QImage image(pictureSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

void drawSheet(QPainter& p, QPointF at, bool back = false)
{
    p.setPen(QPen(edge, 1.2, back ? Qt::DashLine : Qt::SolidLine));
    p.setBrush(back ? QColor(235, 235, 235) : paper);
    p.drawRect(QRectF(at, sheet));
}

// A mark near one end of a sheet; pass 1's carries an arrow to its top.
void drawMark(QPainter& p, QPointF sheetAt, bool top, const QColor& colour, bool arrow, int dots = 0)
{
    const QRectF block(sheetAt.x() + 6, sheetAt.y() + (top ? 5 : sheet.height() - 15), 16, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(block);
    if (arrow) {
        QPainterPath head;
        const double x = sheetAt.x() + 31, y = sheetAt.y() + 5;
        head.moveTo(x, y);
        head.lineTo(x + 5, y + 7);
        head.lineTo(x - 5, y + 7);
        head.closeSubpath();
        p.drawPath(head);
        p.drawRect(QRectF(x - 1.5, y + 7, 3, 8));
    }
    p.setBrush(paper);
    for (int d = 0; d < dots; ++d)
        p.drawEllipse(QPointF(block.left() + 3 + 5 * d, block.center().y()), 1.8, 1.8);
}

void drawCross(QPainter& p, QPointF sheetAt)
{
    p.setPen(QPen(pencil, 1.5));
    const QPointF c = sheetAt + QPointF(sheet.width() / 2, sheet.height() / 2 + 6);
    p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
    p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
}

// The face printed in pass 1 on the left, with its mark, the back of the sheet on the right;
// then what the picture shows on them.
QImage bothFaces(const std::function<void(QPainter&, QPointF front, QPointF back)>& more)
{
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF front(25, 27), back(85, 27);
    drawSheet(p, front);
    drawSheet(p, back, true);
    drawMark(p, front, true, pass1, true);
    more(p, front, back);
    return image;
}

} // namespace

QImage outputPicture(bool printedFaceUp)
{
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // A stack lying in the bin, its top sheet showing what is up.
    for (int k = 2; k >= 0; --k)
        drawSheet(p, QPointF(50 + 4 * k, 30 - 4 * k), k > 0 || !printedFaceUp);
    if (printedFaceUp)
        drawMark(p, QPointF(50, 30), true, pass1, true);
    return image;
}

QImage landingPicture(Landing landing)
{
    const bool sameFace = landing == Landing::SameFaceOtherEnd || landing == Landing::SameFaceSameEnd;
    const bool otherEnd = landing == Landing::SameFaceOtherEnd || landing == Landing::BackFaceOtherEnd;
    return bothFaces([&](QPainter& p, QPointF front, QPointF back) {
        // Beside pass 1's mark rather than over it, where both stand at the top of one face.
        drawMark(p, sameFace ? front + QPointF(0, otherEnd ? 0 : 14) : back, !otherEnd, pass2, false);
    });
}

QImage pairingPicture(bool inOrder)
{
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int k = 0; k < 3; ++k) {
        const QPointF at(10 + 46 * k, 27);
        drawSheet(p, at);
        drawMark(p, at, true, pass1, false, k + 1);
        drawMark(p, at, false, pass2, false, inOrder ? k + 1 : 3 - k);
    }
    return image;
}

QImage crossPicture(bool onPrinted)
{
    return bothFaces([&](QPainter& p, QPointF front, QPointF back) { drawCross(p, onPrinted ? front : back); });
}

QImage movementPicture(Motion movement)
{
    QImage image(QSize(190, 110), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The stack as it came out, its top sheet's pass 1 mark showing how it lies.
    const QPointF before(20, 27), after(130, 27);
    drawSheet(p, before);
    drawMark(p, before, true, pass1, true);
    // Then as it goes back into the tray: turned about its middle, or its back up, the mark
    // seen through the paper.
    const bool flipped = movement == Motion::BookFlip || movement == Motion::PadFlip;
    const QPointF middle = after + QPointF(sheet.width() / 2, sheet.height() / 2);
    p.save();
    p.translate(middle);
    if (movement == Motion::HalfTurn)
        p.rotate(180);
    else if (movement == Motion::BookFlip)
        p.scale(-1, 1);
    else if (movement == Motion::PadFlip)
        p.scale(1, -1);
    p.translate(-middle);
    drawSheet(p, after, flipped);
    if (flipped)
        p.setOpacity(0.3);
    drawMark(p, after, true, pass1, true);
    p.restore();
    // The movement between them: an arrow, curved round for a turn or a flip.
    p.setPen(QPen(edge, 2));
    p.setBrush(Qt::NoBrush);
    QPainterPath way;
    way.moveTo(70, 55);
    if (movement == Motion::None)
        way.lineTo(118, 55);
    else
        way.cubicTo(80, movement == Motion::PadFlip ? 95 : 15, 110, movement == Motion::PadFlip ? 95 : 15, 118, 55);
    p.drawPath(way);
    QPainterPath head;
    head.moveTo(124, 55);
    head.lineTo(115, 49);
    head.lineTo(115, 61);
    head.closeSubpath();
    p.setBrush(edge);
    p.drawPath(head);
    return image;
}

QImage loadingPicture(Face face)
{
    QImage image = blank();
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The printer above, the tray's sheets below with their top towards it.
    p.setPen(QPen(edge, 1.2));
    p.setBrush(QColor(200, 200, 200));
    p.drawRoundedRect(QRectF(35, 4, 80, 18), 4, 4);
    const QPointF at(55, 46);
    for (int k = 2; k >= 1; --k)
        drawSheet(p, at + QPointF(3 * k, 3 * k), face == Face::Down);
    drawSheet(p, at, face == Face::Down);
    if (face == Face::Down)
        p.setOpacity(0.3);
    drawMark(p, at, true, pass1, true);
    return image;
}

} // namespace calvorigne
