// « Billet spécimen »: the first sheet of a raffle's run as it will print, the numbers and
// their stubs where the printer puts them, on the picture of a blank sheet when there is one,
// marked « SPÉCIMEN » across: the specimen ticket the mayor's file asks for.
#pragma once

#include "print/plan.h"

#include <QImage>
#include <QRectF>

class QPaintDevice;

namespace calvorigne {

struct SampleSheet {
    QRectF sheet, printable;               // mm, as the printer gives them: positions count from the printable area
    const QPaintDevice* metrics = nullptr; // the printer's, that the numbers stand as printed; none: the PDF's own
    QImage background;                     // the blank sheet; may be null
};

// Pass 1's first page and pass 2's, which lands on the same sheet turned end for end, as one
// PDF page the size of the sheet. Why it was not written; empty when it was.
QString writeSampleTicket(const PrintPlan& plan, const SampleSheet& sheet, const QString& path);

} // namespace calvorigne
