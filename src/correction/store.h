// Each printer's measured corrections, one a pass, in its section of the settings file.
#pragma once

#include "correction/correction.h"

namespace calvorigne {

// A pass whose key is missing or makes no sense has none.
PrinterCorrections storedCorrections(const QString& settingsPath, const QString& printer);

// Keeps the pass's correction at once, or forgets it; false, with the cause in French.
bool storeCorrection(const QString& settingsPath, const QString& printer, int pass,
                     const std::optional<PrinterCorrection>& correction, QString* failure = nullptr);

} // namespace calvorigne
