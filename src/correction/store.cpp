#include "store.h"

#include "platform/printerprofile.h"

namespace calvorigne {

namespace {

const char* const keys[] = {"Correction1", "Correction2"};

} // namespace

PrinterCorrections storedCorrections(const QString& settingsPath, const QString& printer)
{
    PrinterCorrections corrections;
    if (printer.isEmpty())
        return corrections;
    for (int k = 0; k < 2; ++k)
        corrections.pass[k] = PrinterCorrection::fromKey(readPrinterKey(settingsPath, printer, keys[k]));
    return corrections;
}

bool storeCorrection(const QString& settingsPath, const QString& printer, int pass,
                     const std::optional<PrinterCorrection>& correction, QString* failure)
{
    return writePrinterKeys(settingsPath, printer, {{keys[pass - 1], correction ? std::optional(correction->key()) : std::nullopt}},
                            failure);
}

} // namespace calvorigne
