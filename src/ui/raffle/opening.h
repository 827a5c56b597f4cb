// Opening « Suivi de la tombola » on the program's record, from the preview or on its own.
#pragma once

#include "platform/dialogs.h"
#include "platform/printer.h"

#include <QString>

class QWidget;

namespace calvorigne {

class RaffleWindow;

// Shows the window, then says once what opening the register had to say. A run's booklets are
// planned again on printer from the parameters the record kept; its sample ticket is drawn on
// the preview's picture of a blank sheet, background, when there is one.
RaffleWindow* openRaffleWindow(const QString& recordPath, const Printer& printer, Dialogs& dialogs, const QString& background,
                               QWidget* parent = nullptr);

} // namespace calvorigne
