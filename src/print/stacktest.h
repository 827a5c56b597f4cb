// The stack test (« Essai de retournement »): three sheets of plain paper printed in two
// passes with the turn prompt the program holds for the printer, then three questions on what
// the sheets show, answered with pictures. The answers give the printer's paper path, which is
// kept for it and offered one more run to confirm.
#pragma once

#include <QString>

namespace calvorigne {

class Dialogs;
class Printer;
class PrintRun;

void runStackTest(PrintRun& run, const Printer& printer, Dialogs& dialogs, const QString& settingsPath);

} // namespace calvorigne
