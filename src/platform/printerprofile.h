// The settings file's section of one printer, where what the program learns of that printer
// is kept: "[Imprimante NAME]". Only the printer of that very name reads it back, so a renamed
// or another printer starts with nothing learned.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace calvorigne {

// The section's name: the printer's, whatever characters it holds, in the file's Latin-1.
QByteArray printerSection(const QString& printer);

// Empty when the file, the section or the key is missing.
QString readPrinterKey(const QString& settingsPath, const QString& printer, const char* key);

// Writes the keys at once, removing those given no value; false, with the cause in French,
// when the file cannot be written.
using PrinterKeys = std::vector<std::pair<const char*, std::optional<QString>>>;
bool writePrinterKeys(const QString& settingsPath, const QString& printer, const PrinterKeys& keys,
                      QString* failure = nullptr);

} // namespace calvorigne
