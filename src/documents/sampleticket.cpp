#include "sampleticket.h"

#include "core/numbers.h"
#include "platform/htmlpages.h"
#include "platform/numberpainter.h"

#include <QPainter>
#include <QPdfWriter>

namespace calvorigne {

QString writeSampleTicket(const PrintPlan& plan, const SampleSheet& sheet, const QString& path)
{
    const PlannedPage* pages[2] = {};
    for (const PlannedDocument& document : plan.documents)
        if ((document.pass == 1 || document.pass == 2) && !document.pages.empty())
            pages[document.pass - 1] = &document.pages.front();
    if (!pages[0])
        return QStringLiteral("Ce tirage n'imprime aucun numéro : il n'y a pas de billet à montrer.");
    return writeWhole(path, [&](QIODevice& device) {
        QPdfWriter writer(&device);
        writer.setTitle(QStringLiteral("Billet spécimen"));
        writer.setCreator(QStringLiteral("Calvorigne"));
        writer.setPageLayout(QPageLayout(QPageSize(sheet.sheet.size(), QPageSize::Millimeter), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        const double dots = writer.resolution() / 25.4; // the PDF's dots a millimetre
        const QRectF paper(QPointF(0, 0), sheet.sheet.size() * dots);
        if (!sheet.background.isNull())
            painter.drawImage(paper, sheet.background);
        NumberPainter numbers(sheet.metrics ? *sheet.metrics : writer);
        QFont font;
        if (!plan.fontName.isEmpty())
            font.setFamily(plan.fontName);
        font.setBold(plan.bold);
        const QColor ink(redOf(plan.ink), greenOf(plan.ink), blueOf(plan.ink));
        for (int pass = 0; pass < 2; ++pass) {
            if (!pages[pass])
                continue;
            painter.save();
            // Pass 2 prints the same face, the sheet fed other end first.
            if (pass == 1) {
                painter.translate(paper.bottomRight());
                painter.rotate(180);
            }
            painter.translate(-sheet.sheet.topLeft() * dots);
            painter.scale(dots / numbers.dotsPerMillimetre(), dots / numbers.dotsPerMillimetre());
            // Set again after each restore, which takes the painter's font and pen back.
            numbers.setFont(font, ink);
            for (const PlacedNumber& number : pages[pass]->numbers)
                numbers.draw(painter, plan.text(number), QPointF(number.left, number.top), plan.sizeOf(number), plan.rotationOf(number));
            painter.restore();
        }
        QFont mark;
        mark.setBold(true);
        mark.setPixelSize(int(paper.width() / 7));
        painter.setFont(mark);
        painter.setPen(QColor(200, 0, 0, 120));
        painter.translate(paper.center());
        painter.rotate(-30);
        painter.drawText(QRectF(-paper.width(), -paper.height() / 4, 2 * paper.width(), paper.height() / 2), Qt::AlignCenter,
                         QStringLiteral("SPÉCIMEN"));
        return painter.end();
    });
}

} // namespace calvorigne
