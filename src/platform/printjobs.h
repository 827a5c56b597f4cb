// What the print system says of a job once a document has been handed to it. Qt's CUPS print
// engine does not report a refused submission, so the run asks CUPS itself.
#pragma once

#include <QString>

namespace calvorigne {

// Whether the printer's queue holds a job of that title that was not aborted or cancelled.
// Where the system reports refusals through the document's end (the Windows spooler), this
// is always true.
bool jobAccepted(const QString& printer, const QString& title);

} // namespace calvorigne
