// Sheets on plain paper that teach the program about a printer: the stack test, which tells
// how to turn the stack, and the calibration sheet, which measures where each pass lands.
#include "printrun.h"

#include "correction/sheet.h"
#include "platform/dialogs.h"
#include "platform/printer.h"

#include <QDate>

namespace calvorigne {

namespace {

// Two passes over the same sheets, with the turn prompt between them.
std::vector<PlannedDocument> twoPasses()
{
    std::vector<PlannedDocument> documents(2);
    for (int pass = 1; pass <= 2; ++pass) {
        documents[std::size_t(pass - 1)].pass = pass;
        documents[std::size_t(pass - 1)].after = pass == 1 ? PlannedDocument::Turn : PlannedDocument::Nothing;
    }
    return documents;
}

} // namespace

bool PrintRun::printPlainPaper(const std::vector<PlannedDocument>& documents, const QString& kind)
{
    beginEntry(kind);
    for (const PlannedDocument& document : documents)
        m_entry.passPages << document.sheets();
    if (!printDocuments(PrintPlan(), documents, false))
        return false;
    m_dialogs.setBusy(false);
    finishEntry(endOutcome());
    return true;
}

bool PrintRun::stackTest(const PaperPath& held)
{
    m_dialogs.setBusy(true);
    m_path = held;
    std::vector<PlannedDocument> documents = twoPasses();
    for (int pass = 1; pass <= 2; ++pass) {
        PlannedDocument& document = documents[std::size_t(pass - 1)];
        // Pass 2 at the right of the page's top: once the sheet is turned end for end, at the
        // sheet's other end; clear of pass 1 whatever the path did.
        const float left = pass == 1 ? 15 : 110;
        for (int sheet = 1; sheet <= 3; ++sheet) {
            PlannedPage& page = document.pages.emplace_back();
            page.marks = {{QString::number(sheet), left, 10, 96}, {QStringLiteral("passage %1").arg(pass), left, 50, 24}};
            if (pass == 1)
                page.marks.push_back({QStringLiteral("\u2191"), left + 40, 10, 96});
        }
    }
    return printPlainPaper(documents, QStringLiteral("essai de retournement"));
}

bool PrintRun::calibrationSheet()
{
    m_dialogs.setBusy(true);
    // Measured as the printer prints, without the correction it may already have.
    const PrinterCorrections corrections = std::exchange(m_corrections, {});
    const QRectF sheet = m_printer.sheet();
    const QPointF toPrintable = sheet.topLeft();
    const QString title = QStringLiteral("Feuille de réglage, imprimante « %1 », %2")
                              .arg(m_printer.name(), QDate::currentDate().toString(QStringLiteral("dd/MM/yyyy")));
    std::vector<PlannedDocument> documents = twoPasses();
    for (int pass = 1; pass <= 2; ++pass) {
        PlannedPage& page = documents[std::size_t(pass - 1)].pages.emplace_back();
        for (const CalibrationTarget& target : calibrationTargets(sheet.size())) {
            if (target.pass != pass)
                continue;
            for (const QPainterPath& shape : targetShapes(target))
                page.shapes.push_back(shape.translated(toPrintable));
            const QPointF label = target.at + toPrintable + QPointF(4, -9);
            page.marks.push_back({target.label, float(label.x()), float(label.y()), 14});
        }
        if (pass == 1) {
            page.shapes.push_back(rulesAndArrow(sheet.size()).translated(toPrintable));
            page.shapes.push_back(printerCode(m_printer.name()).translated(toPrintable));
            for (const SheetText& text : calibrationLegend()) {
                const QPointF at = text.at + toPrintable;
                page.marks.push_back({text.text, float(at.x()), float(at.y()), float(text.points)});
            }
        }
        const QPointF heading = toPrintable + QPointF(50, pass == 1 ? 40 : 20);
        page.marks.push_back({QStringLiteral("%1 : passage %2").arg(title).arg(pass), float(heading.x()),
                              float(heading.y()), 9});
    }
    const bool printed = printPlainPaper(documents, QStringLiteral("feuille de réglage"));
    m_corrections = corrections;
    return printed;
}

} // namespace calvorigne
